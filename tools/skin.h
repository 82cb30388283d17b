// make_swatches — how skin takes light, blood and sheen, and its fine grain.
#pragma once

#include <cstdint>

#include "colour_maths.h"

namespace swatches {

// Light falls off faster in green and blue, so skin turns warmer as it darkens, as real skin
// does; above full light it washes out a little instead.
Rgb Shade(Rgb base, double light);

// Blood under the skin: pulls green and blue down.
Rgb Flush(Rgb c, double amount);

// A glossy sheen, pulled towards a slightly cool white.
Rgb Sheen(Rgb c, double amount, Rgb tint = {1.0, 0.98, 1.0});

struct SkinGrain {
    double light;  // multiplier around 1
    double flush;  // signed, around 0
    double pore;   // 0..1, where highlights break up
};

// Pores, fine lines and mottling at photographic scale (units are pixels).
SkinGrain Grain(double x, double y, std::uint64_t seed, double strength = 1.0);

}  // namespace swatches
