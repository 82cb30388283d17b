// Velmora — the colour word 0x00BBGGRR and its channels.
#pragma once

#include <cstdint>

#include "platform/picture_surface.h"

namespace velmora {

struct Channels {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
    friend bool operator==(const Channels &, const Channels &) = default;
};

// Splits by signed arithmetic, not byte masks: every real pixel gives its three bytes,
// and the outside answer -1 gives red -1, green -1, blue 255.
Channels SplitColour(ColourWord word);

// Channels each in 0..255.
ColourWord ComposeColour(std::int16_t red, std::int16_t green, std::int16_t blue);

} // namespace velmora
