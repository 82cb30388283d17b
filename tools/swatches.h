// make_swatches — the four skin swatches, drawn before their tones are fitted.
#pragma once

#include <cstdint>

#include "picture.h"

namespace swatches {

// 0: a face, neck and shoulders, lit brightly from the upper left.
Picture FaceNeckShoulder(std::uint64_t seed);

// 1: a cheek under an eye and its brow.
Picture CheekEyeBrow(std::uint64_t seed);

// 2: plain skin with a few stray hairs.
Picture EvenSkinStrands(std::uint64_t seed);

// 3: pale, pink skin with oily highlights.
Picture PaleSkinHighlights(std::uint64_t seed);

}  // namespace swatches
