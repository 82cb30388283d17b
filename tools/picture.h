// make_swatches — pictures in floating point and in bytes, and drawing a scene into one.
#pragma once

#include <cstdint>
#include <vector>

#include "colour_maths.h"

namespace swatches {

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> px;  // top row first
};

// Eight bits a channel, as the files hold it.
struct Swatch {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, R G B
};

// Averages sub x sub samples of scene(x, y) in each pixel.
template <class Scene>
Picture Render(int width, int height, int sub, const Scene &scene)
{
    Picture p{width, height, std::vector<Rgb>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb sum;
            for (int j = 0; j < sub; ++j) {
                for (int i = 0; i < sub; ++i) {
                    sum = sum + scene(x + (i + 0.5) / sub, y + (j + 0.5) / sub);
                }
            }
            p.px[static_cast<std::size_t>(y) * width + x] = sum * (1.0 / (sub * sub));
        }
    }
    return p;
}

// Sensor noise, a little stronger in luminance than in colour.
void AddSensorNoise(Picture &p, std::uint64_t seed, double amount);

// A photograph of the scene: 4x4 samples a pixel, which is also the lens softness, then sensor noise.
template <class Scene>
Picture Photograph(int width, int height, const Scene &scene, std::uint64_t noiseSeed, double noise)
{
    Picture p = Render(width, height, 4, scene);
    AddSensorNoise(p, noiseSeed, noise);
    return p;
}

}  // namespace swatches
