// make_swatches — swatch 0: a face, neck and shoulders, lit brightly from the upper left. The
// lower face and the neck are in the chin's shade; dark hair frames the face on the left.
#include <algorithm>
#include <cmath>

#include "eyes.h"
#include "noise.h"
#include "skin.h"
#include "swatches.h"

namespace swatches {

namespace {

const double kCx = 31, kHeadCy = 10, kHeadRy = 32;
const Rgb kSkin{0.93, 0.83, 0.79};
const Rgb kShineTint{1.0, 0.94, 0.93};
const Rgb kHairDark{0.06, 0.04, 0.028}, kHairLit{0.21, 0.13, 0.085};
const Rgb kWall{0.90, 0.80, 0.75};
const Rgb kBrow{0.12, 0.08, 0.06};

// The direction towards the light.
const double kLightLen = std::sqrt(0.2 * 0.2 + 0.55 * 0.55 + 0.81 * 0.81);
const double kLightX = -0.2 / kLightLen, kLightY = -0.55 / kLightLen, kLightZ = 0.81 / kLightLen;

double HeadRx(double y) { return 24.0 - 5.5 * SmoothStep(12, 42, y); }

EyeLook FaceEye(double cx, double outer, std::uint64_t seed)
{
    return {.cx = cx, .cy = 13.5, .halfWidth = 5.0, .lidHeight = 2.2, .outer = outer, .irisRadius = 2.0, .gazeX = 0.3,
            .iris = Rgb{0.15, 0.09, 0.06}, .lash = Rgb{0.05, 0.035, 0.03}, .seed = seed};
}

// The outline of the neck and where the shoulders start, at (x, y).
struct Torso {
    double dn;        // distance from the middle of the neck
    double neckHalf;  // half the neck's width
    double bodyTop;
};

Torso TorsoAt(double x, double y)
{
    Torso t;
    t.neckHalf = 14.5 + 0.1 * (y - 40) + 3 * SmoothStep(52, 66, y);
    t.dn = std::fabs(x - kCx);
    const double slope = std::max(0.0, t.dn - t.neckHalf + 1);
    t.bodyTop = 62.5 + 8 * (1 - 1 / (1 + 0.12 * slope));
    return t;
}

// Collarbones: a soft ridge with a shadow under it.
double Collarbones(double dn, double y)
{
    const double collar = 68.0 - 0.1 * (dn - 8) + 0.004 * (dn - 8) * (dn - 8);
    const double ridge = SmoothStep(5, 10, dn) * SmoothStep(28, 20, dn);
    return 1 + ridge * (0.05 * Clamp01(1 - std::fabs(y - collar + 0.8) / 1.2) -
                        0.09 * Clamp01(1 - std::fabs(y - collar - 1.5) / 1.7));
}

double NeckLight(double x, double y, const Torso &t)
{
    const double nx = Clamp01(t.dn / (t.neckHalf + 3)) * (x < kCx ? -1 : 1);
    const double nz = std::sqrt(std::max(0.05, 1 - nx * nx));
    double light = 0.3 + 0.42 * std::max(0.0, nx * kLightX + nz * kLightZ);
    const double jx = (x - kCx) / HeadRx(42);
    const double jawY = kHeadCy + kHeadRy * std::sqrt(std::max(0.0, 1 - jx * jx));
    light *= 0.8 - 0.28 * (1 - SmoothStep(jawY - 1, jawY + 16, y));  // in the shade of the head
    light *= 1 - 0.14 * Spot(x, y, kCx, 64.5, 4);                     // the notch between the collarbones
    // The chest and shoulders come out of the shade and face the light.
    const double shoulder = SmoothStep(t.bodyTop - 1, t.bodyTop + 5, y);
    const double top = SmoothStep(t.bodyTop + 10, t.bodyTop, y);
    light = light * (1 - shoulder) + shoulder * (0.94 + 0.16 * top - 0.08 * SmoothStep(kCx, 62, x));
    return light * Collarbones(t.dn, y);
}

Rgb NeckAndShoulders(double x, double y, const Torso &t, const SkinGrain &gr)
{
    Rgb c = Shade(kSkin, NeckLight(x, y, t) * gr.light);
    c = Flush(c, 0.3 * gr.flush + 0.25);
    const double shine = Spot(x, y, 7, 76, 8) + Spot(x, y, 55, 78, 7) * 0.6 + Spot(x, y, 24, 70, 3.5) * 0.4;
    return Sheen(c, 0.4 * shine * (0.5 + 0.8 * (1 - gr.pore)), kShineTint);
}

// (hx, hy) is the point on the head's ellipse, 0 at its centre and 1 on its edge.
double FaceLight(double x, double y, double hx, double hy)
{
    const double nx = hx * 0.95, ny = hy * 0.8;
    const double nz = std::sqrt(std::max(0.04, 1 - nx * nx - ny * ny));
    double light = 0.42 + 0.72 * std::max(0.0, nx * kLightX + ny * kLightY + nz * kLightZ);
    // Sockets, the shaded side of the nose, under the nose and the lower lip, the chin.
    light *= 1 - 0.08 * Oval(x, y, 22.5, 13.5, 7, 4.5) - 0.08 * Oval(x, y, 39.5, 13.5, 7, 4.5);
    light *= 1 - 0.18 * Oval(x, y, 33.6, 20, 2.0, 6.5) * SmoothStep(13, 17, y);
    light *= 1 + 0.06 * Oval(x, y, 30.3, 19, 1.2, 5.5);
    light *= 1 - 0.16 * Oval(x, y, 31, 27.4, 4.5, 1.3);
    light *= 1 - 0.15 * Oval(x, y, 31.3, 35.6, 5.0, 1.3);
    light *= 1 + 0.05 * Oval(x, y, 30.5, 38.5, 4, 2.2);
    light *= 1.06 - 0.3 * SmoothStep(14, 42, y);
    light *= 1 - 0.14 * SmoothStep(0.4, 0.85, std::fabs(hx)) * SmoothStep(20, 34, y);  // the jaw turning away
    return light;
}

Rgb Lips(Rgb c, double x, double y, double light, const SkinGrain &gr)
{
    const double mx = (x - kCx) / 6.3;
    if (std::fabs(mx) >= 1.1) {
        return c;
    }
    const double bow = 0.6 * Spot(x, 0, 29.6, 0, 1.8) + 0.6 * Spot(x, 0, 32.4, 0, 1.8);
    const double mouth = 31.8 + 0.5 * mx * mx;
    const double top = 29.9 + 1.5 * mx * mx - bow;
    const double bottom = 34.3 - 2.3 * mx * mx;
    const double onLip = SmoothStep(1.02, 0.88, std::fabs(mx)) * SmoothStep(top - 0.3, top + 0.4, y) *
                         SmoothStep(bottom + 0.4, bottom - 0.3, y);
    Rgb lip = Shade(Rgb{0.78, 0.52, 0.52}, (y < mouth ? 0.84 : 1.0) * light * gr.light);
    lip = Sheen(lip, 0.35 * Oval(x, y, 30.2, 33.1, 2.8, 0.8) * (0.5 + 0.5 * (1 - gr.pore)), Rgb{0.98, 0.9, 0.92});
    const double line = Clamp01(1 - std::fabs(y - mouth) / 0.7) * SmoothStep(1.05, 0.85, std::fabs(mx));
    lip = Mix(lip, Rgb{0.36, 0.18, 0.16}, 0.85 * line);
    return Mix(c, lip, onLip);
}

class FaceScene {
public:
    explicit FaceScene(std::uint64_t seed)
        : seed_(seed), leftEye_(FaceEye(22, -1, seed + 31)), rightEye_(FaceEye(40, 1, seed + 37)),
          leftBrow_{28.2, 15.5, 8.6, 9.0, 1.5, 2.8, 1.2, kBrow, 1.0, seed + 41},
          rightBrow_{33.8, 46.5, 8.6, 9.2, 1.5, 2.8, 1.2, kBrow, 1.0, seed + 43}
    {
    }

    Rgb operator()(double x, double y) const
    {
        const SkinGrain gr = Grain(x, y, seed_ + 3);
        const double hx = (x - kCx) / HeadRx(y), hy = (y - kHeadCy) / kHeadRy;
        const double face = SmoothStep(1.04, 0.96, hx * hx + hy * hy);
        const Torso t = TorsoAt(x, y);
        const double neck = SmoothStep(t.neckHalf + 0.6, t.neckHalf - 0.6, t.dn) * SmoothStep(30, 34, y);
        const double body = SmoothStep(t.bodyTop - 0.6, t.bodyTop + 0.6, y);
        Rgb c = Mix(Mix(Rgb{}, NeckAndShoulders(x, y, t, gr), std::max(neck, body)), Face(x, y, hx, hy, gr), face);
        const double skin = std::max(face, std::max(neck, body));
        c = Mix(Backdrop(x, y), c, skin);
        return LongLock(Fringe(c, x, y), x, y, skin);
    }

private:
    Rgb Face(double x, double y, double hx, double hy, const SkinGrain &gr) const
    {
        const double light = FaceLight(x, y, hx, hy);
        Rgb c = Shade(kSkin, light * gr.light);
        const double flush = 0.3 * gr.flush + 0.2 + 0.5 * Oval(x, y, 18.5, 23, 5.5, 4) + 0.4 * Oval(x, y, 43.5, 23, 5, 4) +
                             0.5 * Oval(x, y, 31, 24.5, 2.6, 2);
        c = Flush(c, flush);
        const double nostril = Oval(x, y, 29.0, 25.7, 1.35, 0.8) + Oval(x, y, 33.0, 25.7, 1.35, 0.8);
        c = Mix(c, Rgb{0.36, 0.24, 0.21}, Clamp01(1.6 * nostril));
        c = Lips(c, x, y, light, gr);
        const double shine = Spot(x, y, 26, 2.5, 6) * 0.8 + Spot(x, y, 30.6, 23.4, 1.8) * 0.9 +
                             Spot(x, y, 17.5, 19.5, 3.5) * 0.5 + Oval(x, y, 30.4, 18.5, 0.8, 3.2) * 0.5;
        c = Sheen(c, 0.5 * shine * (0.55 + 0.9 * (1 - gr.pore)), kShineTint);
        c = DrawBrow(leftBrow_, x, y, c);
        c = DrawBrow(rightBrow_, x, y, c);
        c = DrawEye(leftEye_, x, y, c);
        return DrawEye(rightEye_, x, y, c);
    }

    // Strands run downwards; `bend` shifts them sideways for the swept fringe.
    Rgb HairColour(double x, double y, double bend) const
    {
        const double across = x + bend;
        const double s1 = Noise(across * 1.2, y * 0.08, seed_ + 51);
        const double s2 = Noise(across * 2.5 + 5, y * 0.15, seed_ + 52);
        const double sheen = Spot(x, y, 6, 20, 9) * 0.8 + Spot(x, y, 20, 1, 7) * 0.7 + Spot(x, y, 55, 8, 6) * 0.6;
        return Mix(kHairDark, kHairLit, Clamp01(0.1 + 0.5 * (s1 - 0.5) + 0.3 * (s2 - 0.5) + sheen * (0.2 + 0.8 * s1)));
    }

    // Behind the head: a pale wall, and the hair around the head, long on the left.
    Rgb Backdrop(double x, double y) const
    {
        const double leftHair = SmoothStep(10.0, 7.5, x + 0.1 * y) * SmoothStep(40, 32, y + 3 * Noise(x * 0.3, 0, seed_ + 61));
        const double rightHair = SmoothStep(51, 54, x) * SmoothStep(12, 6, y + 2 * Noise(x * 0.3, 5, seed_ + 62));
        const double backHair = std::max(leftHair, rightHair);
        const Rgb wallLit = kWall * (0.97 + 0.05 * SmoothStep(60, 20, y) + 0.03 * (Fbm(x * 0.05, y * 0.05, seed_ + 71, 2) - 0.5));
        return Mix(wallLit, HairColour(x, y, 0.0), backHair);
    }

    // The lock over the left temple, 0..1.
    double TempleLock(double x, double y) const
    {
        const double lockEdge = 6.5 + 2.0 * SmoothStep(0, 10, y) * SmoothStep(30, 16, y) + 1.0 * Noise(y * 0.3, 3, seed_ + 85);
        return SmoothStep(lockEdge + 0.8, lockEdge - 0.8, x) * SmoothStep(44, 32, y);
    }

    // A fringe swept to the left, and the temple lock.
    Rgb Fringe(Rgb c, double x, double y) const
    {
        const double hairline = 0.6 + 1.4 * Noise(x * 0.25, 1.5, seed_ + 81) + 2.6 * SmoothStep(34, 12, x);
        const double fringe = SmoothStep(hairline + 0.8, hairline - 0.8, y) * (0.8 + 0.2 * Noise(x * 1.4, y * 0.2, seed_ + 83));
        const double over = std::max(Clamp01(fringe), TempleLock(x, y));
        return Mix(c, HairColour(x, y, 0.4 * (12 - y) * SmoothStep(10, 0, y)), over);
    }

    // A long lock falls from behind the left ear over the collarbone, with a soft shadow.
    Rgb LongLock(Rgb c, double x, double y, double skin) const
    {
        const double fall = SmoothStep(22, 66, y);
        const double lockX = 8.5 + 9.5 * fall * fall * (3 - 2 * fall) * 0.9;
        const double lockHalf = (2.7 - 1.2 * SmoothStep(52, 70, y)) * SmoothStep(70, 64, y);
        const double ragged = 0.9 * (Noise(y * 0.35, 7, seed_ + 87) - 0.5);
        const double shadowCover = SmoothStep(lockHalf + 2.5, lockHalf, std::fabs(x - lockX - 1.2)) * SmoothStep(28, 34, y) *
                                   SmoothStep(72, 66, y) * skin;
        c = Shade(c, 1 - 0.25 * shadowCover * (1 - TempleLock(x, y)));
        const double frontLock = SmoothStep(lockHalf + 0.7 + ragged, lockHalf - 0.5 + ragged, std::fabs(x - lockX)) *
                                 SmoothStep(14, 20, y) * SmoothStep(70, 66, y);
        return Mix(c, HairColour(x, y, -9.5 * fall), frontLock);
    }

    std::uint64_t seed_;
    EyeLook leftEye_, rightEye_;
    BrowLook leftBrow_, rightBrow_;
};

}  // namespace

Picture FaceNeckShoulder(std::uint64_t seed) { return Photograph(62, 86, FaceScene(seed), seed + 99, 0.02); }

}  // namespace swatches
