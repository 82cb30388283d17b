// make_swatches — skin shading and grain.
#include "skin.h"

#include <algorithm>

#include "noise.h"

namespace swatches {

Rgb Shade(Rgb base, double light)
{
    const double d = std::max(-0.4, 1 - light);
    return {base.r * light, base.g * light * (1 - 0.16 * d), base.b * light * (1 - 0.26 * d)};
}

Rgb Flush(Rgb c, double amount) { return {c.r, c.g * (1 - 0.10 * amount), c.b * (1 - 0.08 * amount)}; }

Rgb Sheen(Rgb c, double amount, Rgb tint) { return Mix(c, tint, Clamp01(amount)); }

SkinGrain Grain(double x, double y, std::uint64_t seed, double strength)
{
    const double mottle = Fbm(x * 0.08, y * 0.08, seed, 3) - 0.5;
    const double fine = Fbm(x * 0.45, y * 0.5, seed + 7, 2) - 0.5;
    const double pore = SmoothStep(0.58, 0.86, Noise(x * 1.15 + 3.7, y * 1.15 - 1.3, seed + 13));
    return {1 + strength * (0.05 * mottle + 0.045 * fine - 0.05 * pore), strength * (0.9 * mottle + 0.3 * fine), pore};
}

}  // namespace swatches
