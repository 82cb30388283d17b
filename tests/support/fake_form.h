// Velmora tests — the window's fields and an in-memory picture, without a window.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/colour_word.h"
#include "core/form_fields.h"
#include "core/picture_surface.h"

namespace velmora::fakes {

class Fields : public FormFields {
public:
    std::string text(Field f) const override
    {
        const auto it = texts.find(f);
        return it == texts.end() ? std::string() : it->second;
    }
    void setText(Field f, const std::string &t) override
    {
        texts[f] = t;
        writes.push_back(f);
        if (f == Field::TargetStatus)
            progressTexts.push_back(t);
    }
    void setProgressMaximum(int m) override { progressMaximum = m; }
    void setProgressValue(int v) override { progressValues.push_back(v); }

    std::map<Field, std::string> texts;
    std::vector<Field> writes;
    std::vector<std::string> progressTexts;
    std::vector<int> progressValues;
    int progressMaximum = 32767;
};

// A picture of 0xFFRRGGBB pixels that can be swapped for another mid-pass.
class Surface : public PictureSurface {
public:
    Surface(int width, int height, std::uint32_t fill = 0xFF000000u) { resize(width, height, fill); }

    void resize(int w, int h, std::uint32_t fill)
    {
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * h, fill);
    }

    int drawingWidth() const override { return width; }
    int drawingHeight() const override { return height; }
    ColourWord colourAt(int x, int y) const override
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return -1;
        return ColourWordFromPixel(at(x, y));
    }
    void setColourAt(int x, int y, ColourWord c) override
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            at(x, y) = PixelFromColourWord(c);
    }
    PixelRow row(int y) override
    {
        if (y < 0 || y >= height)
            return {};
        return {&pixels[static_cast<std::size_t>(y) * width], width};
    }
    void refresh() override { ++refreshes; }

    std::uint32_t &at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    int refreshes = 0;
};

inline std::uint32_t Rgb(int r, int g, int b)
{
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

} // namespace velmora::fakes
