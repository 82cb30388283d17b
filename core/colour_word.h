// Velmora — the colour word 0x00BBGGRR, its channels, and the 0xFFRRGGBB pixels pictures hold.
#pragma once

#include <cstdint>

namespace velmora {

// Colour word 0x00BBGGRR; -1 stands for a point outside the picture.
using ColourWord = std::int32_t;

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

// A stored pixel 0xAARRGGBB as a colour word; the alpha byte is dropped.
constexpr ColourWord ColourWordFromPixel(std::uint32_t pixel)
{
    return static_cast<ColourWord>(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
}

// A colour word as an opaque stored pixel 0xFFRRGGBB; bits above the blue byte are ignored.
constexpr std::uint32_t PixelFromColourWord(ColourWord word)
{
    const auto w = static_cast<std::uint32_t>(word);
    return 0xFF000000u | (w & 0xFF) << 16 | (w & 0xFF00) | ((w >> 16) & 0xFF);
}

} // namespace velmora
