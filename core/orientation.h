// Velmora — a picture's recorded orientation (the EXIF and TIFF tag, 1..8) as a value: where each
// stored pixel lands when the picture is turned upright.
#pragma once

#include <cstdint>

namespace velmora {

// Stored pixel (x, y) lands at index origin + x * xStep + y * yStep of the upright picture.
struct UprightPlacement {
    std::int64_t origin = 0;
    std::int64_t xStep = 1;
    std::int64_t yStep = 0;
    std::int64_t at(std::int64_t x, std::int64_t y) const { return origin + x * xStep + y * yStep; }
};

class Orientation {
public:
    // The tag's meaning: 1 upright, 2 mirrored, 3 turned half way, 4 flipped; 5 to 8 swap the sides
    // (5 mirrored and turned a quarter anticlockwise, 6 turned a quarter clockwise, 7 mirrored and
    // turned a quarter clockwise, 8 turned a quarter anticlockwise). Anything else is upright.
    explicit Orientation(int tag = 1) : m_tag(tag >= 1 && tag <= 8 ? tag : 1) {}

    int tag() const { return m_tag; }
    bool upright() const { return m_tag == 1; }
    // The upright picture's width is the stored height.
    bool swapsSides() const { return m_tag >= 5; }
    // For a stored `width` × `height` picture whose upright rows are `stride` pixels apart.
    UprightPlacement placement(int width, int height, std::int64_t stride) const;

private:
    int m_tag;
};

} // namespace velmora
