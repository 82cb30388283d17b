// Velmora — the 24-bit bottom-up bitmap the window saves, laid out so it can be written in bands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace velmora {

inline constexpr int kBitmapHeaderBytes = 54;

struct BitmapLayout {
    int width = 0;
    int height = 0;
    long long rowBytes = 0; // three bytes a pixel, padded to four

    long long fileBytes() const { return kBitmapHeaderBytes + rowBytes * height; }
    // Rows are stored bottom-up: the top row comes last.
    long long rowOffset(int y) const { return kBitmapHeaderBytes + rowBytes * (height - 1 - y); }
};

// Nothing when the picture is empty or too large for a bitmap's 32-bit sizes.
std::optional<BitmapLayout> LayOutBitmap(int width, int height);

// `perMetreX`, `perMetreY`: the resolution in pixels a metre; 3780 is 96 a inch.
std::array<std::uint8_t, kBitmapHeaderBytes> BitmapHeader(const BitmapLayout &layout, std::uint32_t perMetreX = 3780,
                                                         std::uint32_t perMetreY = 3780);

// One stored row from 0xFFRRGGBB pixels: blue, green, red; the padding bytes are left as they are.
void PackBitmapRow(const std::uint32_t *pixels, int width, std::uint8_t *out);

} // namespace velmora
