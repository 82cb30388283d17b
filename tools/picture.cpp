// make_swatches — sensor noise.
#include "picture.h"

#include "noise.h"

namespace swatches {

void AddSensorNoise(Picture &p, std::uint64_t seed, double amount)
{
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            Rgb &c = p.px[static_cast<std::size_t>(y) * p.width + x];
            const double l = (Hash01(x, y, seed) + Hash01(x, y, seed + 1) - 1) * amount;
            const double k = (Hash01(x, y, seed + 2) - 0.5) * amount * 0.5;
            c = {c.r * (1 + l + k), c.g * (1 + l), c.b * (1 + l - k)};
        }
    }
}

}  // namespace swatches
