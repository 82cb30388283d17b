// Velmora — a picture's drawing surface, as the correction pass and the pointer handlers see it.
#pragma once

#include <cstdint>

#include "core/colour_word.h"

namespace velmora {

// One row of the picture in memory: `width` pixels of 0xFFRRGGBB.
struct PixelRow {
    std::uint32_t *pixels = nullptr;
    int width = 0;
};

class PictureSurface {
public:
    virtual ~PictureSurface() = default;

    // Drawing-area size in pixels (the picture's size once one is loaded).
    virtual int drawingWidth() const = 0;
    virtual int drawingHeight() const = 0;

    // Colour at pixel (x, y) of the persistent image; -1 outside it.
    virtual ColourWord colourAt(int x, int y) const = 0;
    // Sets one pixel; a point outside the image changes nothing.
    virtual void setColourAt(int x, int y, ColourWord colour) = 0;

    // Whole-row access for the correction pass; an empty row outside the image.
    virtual PixelRow row(int y) = 0;

    // Marks what was written since the last refresh as due to be shown; cheap, called every row.
    virtual void refresh() = 0;
};

} // namespace velmora
