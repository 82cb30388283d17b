// make_swatches — skin close-ups in given tones: the Monk Skin Tone Scale and the two skin
// patches of the colour checker chart.
#pragma once

#include <array>
#include <cstdint>

#include "picture.h"

namespace swatches {

// A tone as 8-bit sRGB.
using Tone = std::array<int, 3>;

// The size of every tone swatch: as wide as the designed ones, and short enough that a box
// with its border stays inside its slot.
inline constexpr int kToneWidth = 62;
inline constexpr int kToneHeight = 75;

// Where the window's picker lands on a swatch when pointed at its middle.
inline constexpr int kCentreX = kToneWidth / 2;
inline constexpr int kCentreY = kToneHeight / 2;

// Plain skin seen close: broad light, mottling, pores, a little sheen on the ridge.
Picture SkinCloseUp(const Tone &tone, std::uint64_t seed);

// The picture in bytes with the central 40 × 40 mean and the 11 × 11 mean around the centre
// pixel both on `tone`, so a pick anywhere near the middle gives the tone it is named after.
Swatch FitCentre(const Picture &p, const Tone &tone);

// Prints the two central means the fit reached.
void PrintCentre(const char *name, const Swatch &s, const Tone &tone);

}  // namespace swatches
