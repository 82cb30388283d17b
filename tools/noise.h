// make_swatches — seeded randomness and value noise. Own hash, so no library version can
// change a pixel.
#pragma once

#include <cstdint>

namespace swatches {

// A value in 0..1 fixed by a lattice point and a seed.
double Hash01(std::int64_t ix, std::int64_t iy, std::uint64_t seed);

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double Next();
    double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
    std::uint64_t state_;
};

// Smooth value noise in 0..1 with one lattice cell per unit.
double Noise(double x, double y, std::uint64_t seed);

// Several octaves of Noise, still in 0..1 and centred near 0.5.
double Fbm(double x, double y, std::uint64_t seed, int octaves);

}  // namespace swatches
