// make_swatches — eyes and brows.
#include "eyes.h"

#include <algorithm>
#include <cmath>

#include "noise.h"
#include "skin.h"

namespace swatches {

namespace {

// Where the lids run at one x across the eye.
struct Lids {
    double lx;    // -1..1 across the opening
    double s;     // -1 at the inner corner, +1 at the outer
    double open;  // 1 in the middle, 0 at the corners
    double lift, upper, lower;
};

Lids LidsAt(const EyeLook &e, double x)
{
    Lids l;
    l.lx = (x - e.cx) / e.halfWidth;
    l.s = l.lx * e.outer;
    l.open = std::max(0.0, 1 - l.lx * l.lx);
    l.lift = e.tilt * l.s * e.lidHeight;
    l.upper = e.cy - l.lift - e.lidHeight * l.open * (1 + 0.15 * l.s);
    l.lower = e.cy - l.lift + 0.5 * e.lidHeight * l.open * (1 - 0.2 * l.s);
    return l;
}

// The socket and the upper lid sit a little in shadow; the crease is a soft dark fold.
Rgb ShadeSocket(const EyeLook &e, const Lids &l, double y, Rgb c)
{
    const double lx = l.lx;
    const double crease = e.cy - l.lift - e.lidHeight * (1.55 + 0.25 * l.open) * std::max(0.0, 1 - 0.8 * lx * lx) - 0.9;
    const double lidZone = SmoothStep(1.25, 0.9, std::fabs(lx)) * SmoothStep(crease - 1.2, crease + 0.6, y) *
                           SmoothStep(l.lower + 2.5, l.lower + 0.5, y);
    c = Shade(c, 1 - 0.07 * lidZone);
    const double creaseLine = SmoothStep(1.2, 0.6, std::fabs(lx)) * Clamp01(1 - std::fabs(y - crease) / 1.1);
    c = Shade(c, 1 - 0.22 * creaseLine);
    // A faint shadow under the lower lid.
    const double under = SmoothStep(1.2, 0.5, std::fabs(lx)) * SmoothStep(l.lower, l.lower + 1.0, y) *
                         SmoothStep(l.lower + 3.5 + 0.3 * e.lidHeight, l.lower + 1.0, y);
    c = Shade(c, 1 - 0.08 * under);
    return {c.r, c.g * (1 - 0.015 * under), c.b * (1 + 0.01 * under)};
}

// Single lashes along the outer half of the upper lid.
Rgb SingleLashes(const EyeLook &e, const Lids &l, double x, double y, Rgb c)
{
    const double above = l.upper - y;
    const double length = e.lashLength * (0.4 + 0.6 * Clamp01(l.s + 0.3));
    if (e.lashLength <= 0 || above <= 0 || above >= length) {
        return c;
    }
    const double slant = (x + 0.45 * above * e.outer) * 1.4;
    const double stroke = SmoothStep(0.62, 0.9, Noise(slant, above * 0.15, e.seed + 5));
    const double reach = 1 - above / length;
    return Mix(c, e.lash, 0.85 * stroke * reach * SmoothStep(-0.6, 0.3, l.s) * SmoothStep(1.05, 0.8, std::fabs(l.lx)));
}

// The iris at offset (dx, dy), distance d, from its centre; `belowLid` is how far under the upper lid.
Rgb Iris(const EyeLook &e, double dx, double dy, double d, double belowLid)
{
    const double ux = d > 1e-6 ? dx / d : 0, uy = d > 1e-6 ? dy / d : 0;
    const double streak = Noise(ux * 7 + 11, uy * 7 + d * 0.25, e.seed + 17);
    Rgb ir = e.iris * (0.75 + 0.5 * streak);
    ir = Mix(ir, e.iris * 0.45, SmoothStep(0.7 * e.irisRadius, e.irisRadius, d));  // limbal ring
    ir = ir * (0.55 + 0.45 * SmoothStep(0, 1.1 * e.irisRadius, belowLid));      // lid shadow
    const double pupilR = 0.42 * e.irisRadius;
    return Mix(ir, e.pupil, SmoothStep(pupilR + 0.35, pupilR - 0.35, d));
}

Rgb Eyeball(const EyeLook &e, const Lids &l, double x, double y)
{
    Rgb ball = e.sclera;
    // The lid shadows the top of the eyeball; the corners are pink and wet.
    ball = ball * (0.72 + 0.28 * SmoothStep(0, 0.9 * e.lidHeight, y - l.upper));
    ball = Mix(ball, Rgb{0.80, 0.52, 0.50}, SmoothStep(-0.72, -0.95, l.s));
    ball = Mix(ball, ball * Rgb{0.95, 0.86, 0.84}, SmoothStep(0.6, 0.95, std::fabs(l.lx)));
    const double icx = e.cx + e.gazeX, icy = e.cy - l.lift + e.gazeY;
    const double dx = x - icx, dy = y - icy;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d < e.irisRadius + 0.5) {
        ball = Mix(ball, Iris(e, dx, dy, d, y - l.upper), SmoothStep(e.irisRadius + 0.35, e.irisRadius - 0.35, d));
    }
    const double glint = Spot(x, y, icx - 0.32 * e.irisRadius, icy - 0.38 * e.irisRadius, 0.34 * e.irisRadius + 0.3);
    return Mix(ball, e.catchlight, SmoothStep(0.05, 0.5, glint));
}

// Lash lines: heavy on the upper lid, thickening outwards; faint on the lower.
Rgb LashLines(const EyeLook &e, const Lids &l, double y, Rgb c)
{
    const double lx = l.lx, s = l.s;
    const double thick = (0.55 + 0.75 * Clamp01((s + 1) / 2)) * (0.6 + 0.4 * l.open) + 0.15 * e.lidHeight;
    const double upperLine = SmoothStep(1.02, 0.85, std::fabs(lx)) * SmoothStep(thick + 0.35, thick - 0.25, l.upper - y) *
                             SmoothStep(l.upper + 0.9, l.upper + 0.2, y);
    c = Mix(c, e.lash, 0.92 * upperLine);
    const double lowerLine = SmoothStep(1.0, 0.7, std::fabs(lx)) * Clamp01(1 - std::fabs(y - l.lower - 0.3) / 0.7);
    return Mix(c, c * Rgb{0.62, 0.52, 0.5}, 0.6 * lowerLine * (0.4 + 0.6 * (1 - l.open) + 0.6 * Clamp01(s)));
}

}  // namespace

Rgb DrawEye(const EyeLook &e, double x, double y, Rgb skin)
{
    const double lx = (x - e.cx) / e.halfWidth;
    if (lx < -1.5 || lx > 1.5 || y < e.cy - 4.5 * e.lidHeight - 3 || y > e.cy + 3 * e.lidHeight + 4) {
        return skin;
    }
    const Lids l = LidsAt(e, x);
    Rgb c = ShadeSocket(e, l, y, skin);
    c = SingleLashes(e, l, x, y, c);
    // The opening itself.
    const double insideX = SmoothStep(1.0, 0.93, std::fabs(lx));
    const double insideY = SmoothStep(l.upper - 0.25, l.upper + 0.25, y) * SmoothStep(l.lower + 0.25, l.lower - 0.25, y);
    const double inside = insideX * insideY;
    if (inside > 0) {
        c = Mix(c, Eyeball(e, l, x, y), inside);
    }
    return LashLines(e, l, y, c);
}

Rgb DrawBrow(const BrowLook &b, double x, double y, Rgb skin)
{
    const double t = (x - b.x0) / (b.x1 - b.x0);
    if (t < -0.15 || t > 1.15) {
        return skin;
    }
    // Highest at about two thirds of the way out.
    const double peak = t < 0.65 ? t / 0.65 : (1 - t) / 0.35;
    const double mid = b.y0 + (b.y1 - b.y0) * t - b.arch * (peak * (2 - peak));
    const double half = 0.5 * (b.thick0 + (b.thick1 - b.thick0) * t) * SmoothStep(-0.12, 0.06, t) * SmoothStep(1.1, 0.9, t);
    const double band = SmoothStep(half + 0.7, half - 0.5, std::fabs(y - mid));
    if (band <= 0) {
        return skin;
    }
    // Hairs grow upwards at the inner end and lie along the brow further out.
    const double dirX = 0.35 + 0.65 * Clamp01(t * 1.4), dirY = -(0.95 - 0.75 * Clamp01(t * 1.4));
    const double len = std::sqrt(dirX * dirX + dirY * dirY);
    const double ax = dirX / len * (b.x1 > b.x0 ? 1 : -1), ay = dirY / len;
    const double along = x * ax + y * ay, across = -x * ay + y * ax;
    const double hairs = Noise(along * 0.28, across * 1.9, b.seed);
    const double hairs2 = Noise(along * 0.2 + 40, across * 1.3, b.seed + 1);
    const double amount = b.density * band * Clamp01(0.45 + 1.2 * (hairs - 0.45) + 0.5 * (hairs2 - 0.5) + 0.4 * band);
    return Mix(skin, b.colour * (0.8 + 0.5 * hairs2), Clamp01(amount));
}

}  // namespace swatches
