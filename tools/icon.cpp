// make_swatches — the icon: a cartoon face, drawn with heavy supersampling for clean edges at 32x32.
#include "icon.h"

#include <cmath>

namespace swatches {

namespace {

const Rgb kBackground{0.36, 0.66, 0.74}, kBackgroundDeep{0.27, 0.55, 0.66};
const Rgb kSkin{0.98, 0.80, 0.66}, kSkinShade{0.90, 0.66, 0.52}, kOutline{0.42, 0.24, 0.16};
const Rgb kHair{0.42, 0.25, 0.14}, kHairLight{0.58, 0.37, 0.22};
const Rgb kEye{0.16, 0.10, 0.08}, kCheek{0.98, 0.56, 0.52}, kMouth{0.55, 0.18, 0.16};
const double kFaceX = 16, kFaceY = 17.2, kFaceR = 12.2;

// Ears, then the head with a dark outline and a little shading on the lower right.
Rgb Head(double x, double y, Rgb c)
{
    for (double side : {-1.0, 1.0}) {
        const double ex = x - kFaceX - side * 12.4;
        const double ed = std::sqrt(ex * ex + (y - 18.4) * (y - 18.4));
        c = Mix(c, kOutline, SmoothStep(3.3, 2.8, ed));
        c = Mix(c, kSkinShade, SmoothStep(2.5, 2.0, ed));
    }
    const double dx = x - kFaceX, dy = y - kFaceY;
    const double d = std::sqrt(dx * dx + dy * dy);
    c = Mix(c, kOutline, SmoothStep(kFaceR + 1.1, kFaceR + 0.6, d));
    const Rgb face = Mix(kSkin, kSkinShade, SmoothStep(4, 13, (dx * 0.6 + dy * 0.8) + 3));
    c = Mix(c, face, SmoothStep(kFaceR + 0.25, kFaceR - 0.25, d));
    // Hair: a cap over the top of the head with a side-swept fringe.
    const double capEdge = 10.6 + 2.2 * SmoothStep(22, 6, x) - 1.0 * SmoothStep(16, 26, x) + 0.9 * (dx > 6 ? (dx - 6) * 0.5 : 0);
    const double capCover = SmoothStep(kFaceR + 1.2, kFaceR + 0.7, d) * SmoothStep(capEdge + 0.3, capEdge - 0.3, y);
    return Mix(c, Mix(kHair, kHairLight, Spot(x, y, 12, 7, 4.5)), capCover);
}

// Eyes with a catchlight each, rosy cheeks and a smile along the lower part of a circle.
Rgb Features(double x, double y, Rgb c)
{
    for (double ex : {11.6, 20.4}) {
        const double e = Oval(x, y, ex, 17.6, 1.75, 2.3);
        c = Mix(c, kEye, SmoothStep(0.0, 0.15, e));
        c = Mix(c, Rgb{1, 1, 1}, SmoothStep(0.05, 0.3, Spot(x, y, ex + 0.6, 16.6, 1.0)));
    }
    for (double cx : {8.6, 23.4}) {
        c = Mix(c, kCheek, 0.55 * SmoothStep(0.0, 0.6, Oval(x, y, cx, 22.0, 2.5, 1.7)));
    }
    const double sx = x - 16, sy = y - 19.2;
    const double sd = std::sqrt(sx * sx + sy * sy);
    return Mix(c, kMouth, SmoothStep(1.0, 0.55, std::fabs(sd - 5.0)) * SmoothStep(1.2, 2.6, sy));
}

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::floor(Clamp01(v) * 255 + 0.5)); }

}  // namespace

Swatch DrawIcon(int size)
{
    const double unit = 32.0 / size;
    auto scene = [unit](double x, double y) {
        x *= unit;
        y *= unit;
        return Features(x, y, Head(x, y, Mix(kBackground, kBackgroundDeep, SmoothStep(0, 32, y))));
    };
    const Picture p = Render(size, size, 8, scene);
    Swatch icon{size, size, std::vector<std::uint8_t>(p.px.size() * 3)};
    for (std::size_t i = 0; i < p.px.size(); ++i) {
        icon.rgb[i * 3] = ToByte(p.px[i].r);
        icon.rgb[i * 3 + 1] = ToByte(p.px[i].g);
        icon.rgb[i * 3 + 2] = ToByte(p.px[i].b);
    }
    return icon;
}

}  // namespace swatches
