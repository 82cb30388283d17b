// Velmora — the colour the picker takes: one pixel, or the mean of a square around it.
#include "core/sample_area.h"

#include <algorithm>
#include <cstdint>

namespace velmora {

ColourWord SampleMean(const PictureSurface &surface, int x, int y, int size)
{
    const ColourWord centre = surface.colourAt(x, y);
    if (size <= 1 || centre == -1)
        return centre;
    const int half = size / 2;
    const int left = std::max(0, x - half), right = std::min(surface.drawingWidth() - 1, x + half);
    const int top = std::max(0, y - half), bottom = std::min(surface.drawingHeight() - 1, y + half);
    std::int64_t red = 0, green = 0, blue = 0, count = 0;
    for (int v = top; v <= bottom; ++v)
        for (int u = left; u <= right; ++u) {
            const ColourWord word = surface.colourAt(u, v);
            red += word & 0xFF;
            green += (word >> 8) & 0xFF;
            blue += (word >> 16) & 0xFF;
            ++count;
        }
    // Half up: floor(sum / count + 1/2), kept in integers.
    const auto mean = [count](std::int64_t sum) { return static_cast<std::int16_t>((2 * sum + count) / (2 * count)); };
    return ComposeColour(mean(red), mean(green), mean(blue));
}

} // namespace velmora
