// make_swatches — splitmix64 for sequences and as a lattice hash for noise.
#include "noise.h"

#include <cmath>

namespace swatches {

namespace {

std::uint64_t Mix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// 53 random bits as a double in 0..1.
double Unit(std::uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

double Hash01(std::int64_t ix, std::int64_t iy, std::uint64_t seed)
{
    return Unit(Mix64(seed ^ Mix64(static_cast<std::uint64_t>(ix) ^ Mix64(static_cast<std::uint64_t>(iy) + 0x51ED27ull))));
}

double Random::Next() { return Unit(Mix64(state_++ * 0xD1B54A32D192ED03ull)); }

double Noise(double x, double y, std::uint64_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    const double tx = Fade(x - fx), ty = Fade(y - fy);
    const double a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    const double c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    const double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double Fbm(double x, double y, std::uint64_t seed, int octaves)
{
    double sum = 0, norm = 0, amp = 1, freq = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise(x * freq + o * 17.3, y * freq - o * 9.1, seed + 101 * o);
        norm += amp;
        amp *= 0.5;
        freq *= 2;
    }
    return sum / norm;
}

}  // namespace swatches
