// make_swatches — draws the four skin swatches and the program icon into a resources folder.
//
// The pictures are committed; this program exists so they can be rebuilt byte for byte. It
// uses its own integer hash for randomness and only arithmetic and square roots for the
// drawing, so neither the standard library nor libm can change a pixel between versions.
//
//   make_swatches <resources-dir>
//     writes swatches/skin_0.bmp .. skin_3.bmp, icon/velmora.bmp and icon/velmora.png
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Small maths

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
Rgb Mix(Rgb a, Rgb b, double t) { return a + (b - a) * t; }

double SmoothStep(double e0, double e1, double x)
{
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// A soft round spot: 1 at the centre, 0 from `radius` on. Polynomial, so no exp().
double Spot(double x, double y, double cx, double cy, double radius)
{
    const double t = 1 - ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
    return t <= 0 ? 0 : t * t;
}

// Same, stretched into an ellipse.
double Oval(double x, double y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    const double t = 1 - dx * dx - dy * dy;
    return t <= 0 ? 0 : t * t;
}

// ---------------------------------------------------------------------------------------------
// Randomness: splitmix64 for sequences and as a lattice hash for noise.

std::uint64_t Mix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double Hash01(std::int64_t ix, std::int64_t iy, std::uint64_t seed)
{
    const std::uint64_t h =
        Mix64(seed ^ Mix64(static_cast<std::uint64_t>(ix) ^ Mix64(static_cast<std::uint64_t>(iy) + 0x51ED27ull)));
    return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double Next() { return static_cast<double>(Mix64(state_++ * 0xD1B54A32D192ED03ull) >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
    std::uint64_t state_;
};

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Smooth value noise in 0..1 with one lattice cell per unit.
double Noise(double x, double y, std::uint64_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    const double tx = Fade(x - fx), ty = Fade(y - fy);
    const double a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    const double c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    const double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

// Several octaves of the above, still in 0..1 and centred near 0.5.
double Fbm(double x, double y, std::uint64_t seed, int octaves)
{
    double sum = 0, norm = 0, amp = 1, freq = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise(x * freq + o * 17.3, y * freq - o * 9.1, seed + 101 * o);
        norm += amp;
        amp *= 0.5;
        freq *= 2;
    }
    return sum / norm;
}

// ---------------------------------------------------------------------------------------------
// Skin

// Light falls off faster in green and blue, so skin turns warmer as it darkens, as real skin
// does; above full light it washes out a little instead.
Rgb Shade(Rgb base, double light)
{
    const double d = std::max(-0.4, 1 - light);
    return {base.r * light, base.g * light * (1 - 0.16 * d), base.b * light * (1 - 0.26 * d)};
}

// Blood under the skin: pulls green and blue down.
Rgb Flush(Rgb c, double amount) { return {c.r, c.g * (1 - 0.10 * amount), c.b * (1 - 0.08 * amount)}; }

// A glossy sheen, pulled towards a slightly cool white.
Rgb Sheen(Rgb c, double amount, Rgb tint = {1.0, 0.98, 1.0}) { return Mix(c, tint, Clamp01(amount)); }

struct SkinGrain {
    double light;  // multiplier around 1
    double flush;  // signed, around 0
    double pore;   // 0..1, where highlights break up
};

// Pores, fine lines and mottling at photographic scale (units are pixels).
SkinGrain Grain(double x, double y, std::uint64_t seed, double strength = 1.0)
{
    const double mottle = Fbm(x * 0.08, y * 0.08, seed, 3) - 0.5;
    const double fine = Fbm(x * 0.45, y * 0.5, seed + 7, 2) - 0.5;
    const double pore = SmoothStep(0.58, 0.86, Noise(x * 1.15 + 3.7, y * 1.15 - 1.3, seed + 13));
    return {1 + strength * (0.05 * mottle + 0.045 * fine - 0.05 * pore), strength * (0.9 * mottle + 0.3 * fine), pore};
}

// ---------------------------------------------------------------------------------------------
// Hair strands: cubic curves, tapered at the free end.

struct Strand {
    std::vector<std::array<double, 2>> points;
    double halfWidth = 0.4;
    Rgb colour;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

Strand MakeStrand(std::array<double, 2> p0, std::array<double, 2> p1, std::array<double, 2> p2,
                  std::array<double, 2> p3, double halfWidth, Rgb colour)
{
    Strand s;
    s.halfWidth = halfWidth;
    s.colour = colour;
    const int steps = 32;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        s.points.push_back({a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0], a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1]});
    }
    s.minX = s.maxX = s.points[0][0];
    s.minY = s.maxY = s.points[0][1];
    for (const auto &p : s.points) {
        s.minX = std::min(s.minX, p[0]);
        s.maxX = std::max(s.maxX, p[0]);
        s.minY = std::min(s.minY, p[1]);
        s.maxY = std::max(s.maxY, p[1]);
    }
    return s;
}

// How much of the point (x, y) the strand covers, 0..1.
double StrandCover(const Strand &s, double x, double y)
{
    const double margin = s.halfWidth + 1;
    if (x < s.minX - margin || x > s.maxX + margin || y < s.minY - margin || y > s.maxY + margin) {
        return 0;
    }
    double best = 1e9, bestT = 0;
    const std::size_t n = s.points.size() - 1;
    for (std::size_t i = 0; i < n; ++i) {
        const double ax = s.points[i][0], ay = s.points[i][1];
        const double dx = s.points[i + 1][0] - ax, dy = s.points[i + 1][1] - ay;
        const double len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? Clamp01(((x - ax) * dx + (y - ay) * dy) / len2) : 0;
        const double px = ax + t * dx - x, py = ay + t * dy - y;
        const double d2 = px * px + py * py;
        if (d2 < best) {
            best = d2;
            bestT = (static_cast<double>(i) + t) / static_cast<double>(n);
        }
    }
    const double width = s.halfWidth * (1 - 0.7 * SmoothStep(0.6, 1.0, bestT));
    return Clamp01((width - std::sqrt(best)) / 0.45 + 0.5);
}

// ---------------------------------------------------------------------------------------------
// Eyes and brows

struct EyeLook {
    double cx = 0, cy = 0;
    double halfWidth = 6, lidHeight = 2.5;
    double outer = 1;  // +1 when the outer corner points to +x
    double tilt = 0.1;
    double irisRadius = 2.2, gazeX = 0, gazeY = 0;
    Rgb sclera{0.90, 0.86, 0.85};
    Rgb iris{0.36, 0.22, 0.13};
    Rgb pupil{0.02, 0.015, 0.015};
    Rgb lash{0.10, 0.06, 0.05};
    Rgb catchlight{1.0, 0.97, 1.0};
    double lashLength = 0;  // visible single lashes above the lid, in pixels
    std::uint64_t seed = 1;
};

Rgb DrawEye(const EyeLook &e, double x, double y, Rgb skin)
{
    const double lx = (x - e.cx) / e.halfWidth;
    if (lx < -1.5 || lx > 1.5 || y < e.cy - 4.5 * e.lidHeight - 3 || y > e.cy + 3 * e.lidHeight + 4) {
        return skin;
    }
    const double s = lx * e.outer;  // -1 at the inner corner, +1 at the outer
    const double open = std::max(0.0, 1 - lx * lx);
    const double lift = e.tilt * s * e.lidHeight;
    const double upper = e.cy - lift - e.lidHeight * open * (1 + 0.15 * s);
    const double lower = e.cy - lift + 0.5 * e.lidHeight * open * (1 - 0.2 * s);
    const double shut = 1 - open;

    Rgb c = skin;
    // The socket and the upper lid sit a little in shadow; the crease is a soft dark fold.
    const double crease = e.cy - lift - e.lidHeight * (1.55 + 0.25 * open) * std::max(0.0, 1 - 0.8 * lx * lx) - 0.9;
    const double lidZone = SmoothStep(1.25, 0.9, std::fabs(lx)) * SmoothStep(crease - 1.2, crease + 0.6, y) *
                           SmoothStep(lower + 2.5, lower + 0.5, y);
    c = Shade(c, 1 - 0.07 * lidZone);
    const double creaseLine = SmoothStep(1.2, 0.6, std::fabs(lx)) * Clamp01(1 - std::fabs(y - crease) / 1.1);
    c = Shade(c, 1 - 0.22 * creaseLine);
    // A faint shadow under the lower lid.
    const double under = SmoothStep(1.2, 0.5, std::fabs(lx)) * SmoothStep(lower, lower + 1.0, y) *
                         SmoothStep(lower + 3.5 + 0.3 * e.lidHeight, lower + 1.0, y);
    c = Shade(c, 1 - 0.08 * under);
    c = {c.r, c.g * (1 - 0.015 * under), c.b * (1 + 0.01 * under)};

    // Single lashes along the outer half of the upper lid.
    if (e.lashLength > 0) {
        const double above = upper - y;
        if (above > 0 && above < e.lashLength * (0.4 + 0.6 * Clamp01(s + 0.3))) {
            const double slant = (x + 0.45 * above * e.outer) * 1.4;
            const double stroke = SmoothStep(0.62, 0.9, Noise(slant, above * 0.15, e.seed + 5));
            const double reach = 1 - above / (e.lashLength * (0.4 + 0.6 * Clamp01(s + 0.3)));
            c = Mix(c, e.lash, 0.85 * stroke * reach * SmoothStep(-0.6, 0.3, s) * SmoothStep(1.05, 0.8, std::fabs(lx)));
        }
    }

    // The opening itself.
    const double insideX = SmoothStep(1.0, 0.93, std::fabs(lx));
    const double insideY = SmoothStep(upper - 0.25, upper + 0.25, y) * SmoothStep(lower + 0.25, lower - 0.25, y);
    const double inside = insideX * insideY;
    if (inside > 0) {
        Rgb ball = e.sclera;
        // The lid shadows the top of the eyeball; the corners are pink and wet.
        ball = ball * (0.72 + 0.28 * SmoothStep(0, 0.9 * e.lidHeight, y - upper));
        ball = Mix(ball, Rgb{0.80, 0.52, 0.50}, SmoothStep(-0.72, -0.95, s));
        ball = Mix(ball, ball * Rgb{0.95, 0.86, 0.84}, SmoothStep(0.6, 0.95, std::fabs(lx)));
        const double icx = e.cx + e.gazeX, icy = e.cy - lift + e.gazeY;
        const double dx = x - icx, dy = y - icy;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < e.irisRadius + 0.5) {
            const double ux = d > 1e-6 ? dx / d : 0, uy = d > 1e-6 ? dy / d : 0;
            const double streak = Noise(ux * 7 + 11, uy * 7 + d * 0.25, e.seed + 17);
            Rgb ir = e.iris * (0.75 + 0.5 * streak);
            ir = Mix(ir, e.iris * 0.45, SmoothStep(0.7 * e.irisRadius, e.irisRadius, d));  // limbal ring
            ir = ir * (0.55 + 0.45 * SmoothStep(0, 1.1 * e.irisRadius, y - upper));     // lid shadow
            const double pupilR = 0.42 * e.irisRadius;
            ir = Mix(ir, e.pupil, SmoothStep(pupilR + 0.35, pupilR - 0.35, d));
            ball = Mix(ball, ir, SmoothStep(e.irisRadius + 0.35, e.irisRadius - 0.35, d));
        }
        const double glint = Spot(x, y, icx - 0.32 * e.irisRadius, icy - 0.38 * e.irisRadius, 0.34 * e.irisRadius + 0.3);
        ball = Mix(ball, e.catchlight, SmoothStep(0.05, 0.5, glint));
        c = Mix(c, ball, inside);
    }

    // Lash lines: heavy on the upper lid, thickening outwards; faint on the lower.
    const double thick = (0.55 + 0.75 * Clamp01((s + 1) / 2)) * (0.6 + 0.4 * open) + 0.15 * e.lidHeight;
    const double upperLine = SmoothStep(1.02, 0.85, std::fabs(lx)) * SmoothStep(thick + 0.35, thick - 0.25, upper - y) *
                             SmoothStep(upper + 0.9, upper + 0.2, y);
    c = Mix(c, e.lash, 0.92 * upperLine);
    const double lowerLine = SmoothStep(1.0, 0.7, std::fabs(lx)) * Clamp01(1 - std::fabs(y - lower - 0.3) / 0.7);
    c = Mix(c, c * Rgb{0.62, 0.52, 0.5}, 0.6 * lowerLine * (0.4 + 0.6 * shut + 0.6 * Clamp01(s)));
    return c;
}

struct BrowLook {
    double x0 = 0, x1 = 10;  // inner and outer end
    double y0 = 0, y1 = 0;   // the line through the middle of the brow at both ends
    double arch = 2, thick0 = 2.5, thick1 = 1.0;
    Rgb colour{0.22, 0.14, 0.10};
    double density = 0.85;
    std::uint64_t seed = 3;
};

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

// ---------------------------------------------------------------------------------------------
// Pictures

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> px;  // top row first
};

template <class Scene>
Picture Render(int width, int height, const Scene &scene)
{
    const int sub = 4;  // 4x4 samples per pixel, which is also the lens softness
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

// 0: a face, neck and shoulders, lit brightly from the upper left. The lower face and the neck
// are in the chin's shade; dark hair frames the face on the left.
Picture FaceNeckShoulder(std::uint64_t seed)
{
    const double cx = 31, headCy = 10, headRy = 32;
    const Rgb skinBase{0.93, 0.83, 0.79};
    const Rgb shineTint{1.0, 0.94, 0.93};
    const Rgb hairDark{0.06, 0.04, 0.028}, hairLit{0.21, 0.13, 0.085};
    const Rgb wall{0.90, 0.80, 0.75};
    auto headRx = [](double y) { return 24.0 - 5.5 * SmoothStep(12, 42, y); };

    EyeLook leftEye;
    leftEye.cx = 22;
    leftEye.cy = 13.5;
    leftEye.halfWidth = 5.0;
    leftEye.lidHeight = 2.2;
    leftEye.outer = -1;
    leftEye.irisRadius = 2.0;
    leftEye.iris = Rgb{0.15, 0.09, 0.06};
    leftEye.lash = Rgb{0.05, 0.035, 0.03};
    leftEye.gazeX = 0.3;
    leftEye.seed = seed + 31;
    EyeLook rightEye = leftEye;
    rightEye.cx = 40;
    rightEye.outer = 1;
    rightEye.seed = seed + 37;
    const Rgb browColour{0.12, 0.08, 0.06};
    BrowLook leftBrow{28.2, 15.5, 8.6, 9.0, 1.5, 2.8, 1.2, browColour, 1.0, seed + 41};
    BrowLook rightBrow{33.8, 46.5, 8.6, 9.2, 1.5, 2.8, 1.2, browColour, 1.0, seed + 43};

    const double lLen = std::sqrt(0.2 * 0.2 + 0.55 * 0.55 + 0.81 * 0.81);
    const double lx = -0.2 / lLen, ly = -0.55 / lLen, lz = 0.81 / lLen;

    // Strands run downwards; `bend` shifts them sideways for the swept fringe.
    auto hairColour = [&](double x, double y, double bend) {
        const double across = x + bend;
        const double s1 = Noise(across * 1.2, y * 0.08, seed + 51);
        const double s2 = Noise(across * 2.5 + 5, y * 0.15, seed + 52);
        const double sheen = Spot(x, y, 6, 20, 9) * 0.8 + Spot(x, y, 20, 1, 7) * 0.7 + Spot(x, y, 55, 8, 6) * 0.6;
        return Mix(hairDark, hairLit, Clamp01(0.1 + 0.5 * (s1 - 0.5) + 0.3 * (s2 - 0.5) + sheen * (0.2 + 0.8 * s1)));
    };

    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x, y, seed + 3);
        const double rx = headRx(y);
        const double hx = (x - cx) / rx, hy = (y - headCy) / headRy;
        const double headD = hx * hx + hy * hy;
        const double face = SmoothStep(1.04, 0.96, headD);
        const double neckHalf = 14.5 + 0.1 * (y - 40) + 3 * SmoothStep(52, 66, y);
        const double dn = std::fabs(x - cx);
        const double neck = SmoothStep(neckHalf + 0.6, neckHalf - 0.6, dn) * SmoothStep(30, 34, y);
        const double slope = std::max(0.0, dn - neckHalf + 1);
        const double bodyTop = 62.5 + 8 * (1 - 1 / (1 + 0.12 * slope));
        const double body = SmoothStep(bodyTop - 0.6, bodyTop + 0.6, y);

        // Neck and shoulders.
        Rgb lower;
        {
            const double nx = Clamp01(dn / (neckHalf + 3)) * (x < cx ? -1 : 1);
            const double nz = std::sqrt(std::max(0.05, 1 - nx * nx));
            double light = 0.3 + 0.42 * std::max(0.0, nx * lx + nz * lz);
            const double jx = (x - cx) / headRx(42);
            const double jawY = headCy + headRy * std::sqrt(std::max(0.0, 1 - jx * jx));
            light *= 0.8 - 0.28 * (1 - SmoothStep(jawY - 1, jawY + 16, y));  // in the shade of the head
            light *= 1 - 0.14 * Spot(x, y, cx, 64.5, 4);                   // the notch between the collarbones
            // The chest and shoulders come out of the shade and face the light.
            const double shoulder = SmoothStep(bodyTop - 1, bodyTop + 5, y);
            const double top = SmoothStep(bodyTop + 10, bodyTop, y);
            light = light * (1 - shoulder) + shoulder * (0.94 + 0.16 * top - 0.08 * SmoothStep(cx, 62, x));
            // Collarbones: a soft ridge with a shadow under it.
            const double collar = 68.0 - 0.1 * (dn - 8) + 0.004 * (dn - 8) * (dn - 8);
            const double ridge = SmoothStep(5, 10, dn) * SmoothStep(28, 20, dn);
            light *= 1 + ridge * (0.05 * Clamp01(1 - std::fabs(y - collar + 0.8) / 1.2) -
                                  0.09 * Clamp01(1 - std::fabs(y - collar - 1.5) / 1.7));
            lower = Shade(skinBase, light * gr.light);
            lower = Flush(lower, 0.3 * gr.flush + 0.25);
            const double shine = Spot(x, y, 7, 76, 8) + Spot(x, y, 55, 78, 7) * 0.6 + Spot(x, y, 24, 70, 3.5) * 0.4;
            lower = Sheen(lower, 0.4 * shine * (0.5 + 0.8 * (1 - gr.pore)), shineTint);
        }

        // The face.
        Rgb upper;
        {
            const double nx = hx * 0.95, ny = hy * 0.8;
            const double nz = std::sqrt(std::max(0.04, 1 - nx * nx - ny * ny));
            double light = 0.42 + 0.72 * std::max(0.0, nx * lx + ny * ly + nz * lz);
            // Sockets, the shaded side of the nose, under the nose and the lower lip, the chin.
            light *= 1 - 0.08 * Oval(x, y, 22.5, 13.5, 7, 4.5) - 0.08 * Oval(x, y, 39.5, 13.5, 7, 4.5);
            light *= 1 - 0.18 * Oval(x, y, 33.6, 20, 2.0, 6.5) * SmoothStep(13, 17, y);
            light *= 1 + 0.06 * Oval(x, y, 30.3, 19, 1.2, 5.5);
            light *= 1 - 0.16 * Oval(x, y, 31, 27.4, 4.5, 1.3);
            light *= 1 - 0.15 * Oval(x, y, 31.3, 35.6, 5.0, 1.3);
            light *= 1 + 0.05 * Oval(x, y, 30.5, 38.5, 4, 2.2);
            light *= 1.06 - 0.3 * SmoothStep(14, 42, y);
            light *= 1 - 0.14 * SmoothStep(0.4, 0.85, std::fabs(hx)) * SmoothStep(20, 34, y);  // the jaw turning away
            upper = Shade(skinBase, light * gr.light);
            const double flush = 0.3 * gr.flush + 0.2 + 0.5 * Oval(x, y, 18.5, 23, 5.5, 4) +
                                 0.4 * Oval(x, y, 43.5, 23, 5, 4) + 0.5 * Oval(x, y, 31, 24.5, 2.6, 2);
            upper = Flush(upper, flush);
            const double nostril = Oval(x, y, 29.0, 25.7, 1.35, 0.8) + Oval(x, y, 33.0, 25.7, 1.35, 0.8);
            upper = Mix(upper, Rgb{0.36, 0.24, 0.21}, Clamp01(1.6 * nostril));
            // Lips.
            const double mx = (x - cx) / 6.3;
            if (std::fabs(mx) < 1.1) {
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
                upper = Mix(upper, lip, onLip);
            }
            const double shine = Spot(x, y, 26, 2.5, 6) * 0.8 + Spot(x, y, 30.6, 23.4, 1.8) * 0.9 +
                                 Spot(x, y, 17.5, 19.5, 3.5) * 0.5 + Oval(x, y, 30.4, 18.5, 0.8, 3.2) * 0.5;
            upper = Sheen(upper, 0.5 * shine * (0.55 + 0.9 * (1 - gr.pore)), shineTint);
            upper = DrawBrow(leftBrow, x, y, upper);
            upper = DrawBrow(rightBrow, x, y, upper);
            upper = DrawEye(leftEye, x, y, upper);
            upper = DrawEye(rightEye, x, y, upper);
        }

        Rgb c = Mix(Mix(Rgb{}, lower, std::max(neck, body)), upper, face);
        const double skin = std::max(face, std::max(neck, body));

        // Behind: a pale wall, and the hair around the head, long on the left.
        const double leftHair = SmoothStep(10.0, 7.5, x + 0.1 * y) * SmoothStep(40, 32, y + 3 * Noise(x * 0.3, 0, seed + 61));
        const double rightHair = SmoothStep(51, 54, x) * SmoothStep(12, 6, y + 2 * Noise(x * 0.3, 5, seed + 62));
        const double backHair = std::max(leftHair, rightHair);
        const Rgb wallLit = wall * (0.97 + 0.05 * SmoothStep(60, 20, y) + 0.03 * (Fbm(x * 0.05, y * 0.05, seed + 71, 2) - 0.5));
        c = Mix(Mix(wallLit, hairColour(x, y, 0.0), backHair), c, skin);

        // A fringe swept to the left, and a lock over the left temple.
        const double hairline = 0.6 + 1.4 * Noise(x * 0.25, 1.5, seed + 81) + 2.6 * SmoothStep(34, 12, x);
        const double fringe = SmoothStep(hairline + 0.8, hairline - 0.8, y) * (0.8 + 0.2 * Noise(x * 1.4, y * 0.2, seed + 83));
        const double lockEdge = 6.5 + 2.0 * SmoothStep(0, 10, y) * SmoothStep(30, 16, y) + 1.0 * Noise(y * 0.3, 3, seed + 85);
        const double lock = SmoothStep(lockEdge + 0.8, lockEdge - 0.8, x) * SmoothStep(44, 32, y);
        const double over = std::max(Clamp01(fringe), lock);
        c = Mix(c, hairColour(x, y, 0.4 * (12 - y) * SmoothStep(10, 0, y)), over);

        // A long lock falls from behind the left ear over the collarbone, with a soft shadow.
        const double fall = SmoothStep(22, 66, y);
        const double lockX = 8.5 + 9.5 * fall * fall * (3 - 2 * fall) * 0.9;
        const double lockHalf = (2.7 - 1.2 * SmoothStep(52, 70, y)) * SmoothStep(70, 64, y);
        const double ragged = 0.9 * (Noise(y * 0.35, 7, seed + 87) - 0.5);
        const double shadowCover = SmoothStep(lockHalf + 2.5, lockHalf, std::fabs(x - lockX - 1.2)) * SmoothStep(28, 34, y) *
                                   SmoothStep(72, 66, y) * skin;
        c = Shade(c, 1 - 0.25 * shadowCover * (1 - lock));
        const double frontLock = SmoothStep(lockHalf + 0.7 + ragged, lockHalf - 0.5 + ragged, std::fabs(x - lockX)) * SmoothStep(14, 20, y) *
                                 SmoothStep(70, 66, y);
        c = Mix(c, hairColour(x, y, -9.5 * fall), frontLock);
        return c;
    };
    Picture p = Render(62, 86, scene);
    AddSensorNoise(p, seed + 99, 0.02);
    return p;
}

// 1: a cheek under an eye and its brow; the cheekbone catches the light.
Picture CheekEyeBrow(std::uint64_t seed)
{
    const Rgb skinBase{0.90, 0.79, 0.74};
    EyeLook eye;
    eye.cx = 31;
    eye.cy = 23.5;
    eye.halfWidth = 15.5;
    eye.lidHeight = 5.6;
    eye.outer = 1;
    eye.tilt = 0.12;
    eye.irisRadius = 5.3;
    eye.gazeX = -0.6;
    eye.gazeY = 0.4;
    eye.iris = Rgb{0.36, 0.36, 0.24};
    eye.pupil = Rgb{0.06, 0.075, 0.07};
    eye.sclera = Rgb{0.93, 0.89, 0.89};
    eye.lash = Rgb{0.16, 0.12, 0.1};
    eye.lashLength = 3.2;
    eye.seed = seed + 11;
    BrowLook brow{0, 62, 9.0, 8.2, 3.4, 6.5, 2.8, Rgb{0.22, 0.15, 0.11}, 1.0, seed + 13};

    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x * 0.8, y * 0.8, seed + 3);  // closer, so larger pores
        // A broad rounded surface: the cheekbone sits under the outer half of the eye.
        double light = 0.9 + 0.2 * Oval(x, y, 34, 44, 28, 26);
        light *= 1 - 0.16 * SmoothStep(14, 0, x) * SmoothStep(12, 40, y);       // the side of the nose
        light *= 1 - 0.08 * SmoothStep(50, 80, y) * SmoothStep(40, 0, x);       // towards the mouth
        light *= 1 - 0.10 * SmoothStep(52, 62, x) * SmoothStep(30, 75, y);      // turning away to the ear
        light *= 1 - 0.07 * SmoothStep(8, 0, y);                                // under the brow ridge
        Rgb c = Shade(skinBase, light * gr.light);
        c = Flush(c, 0.35 * gr.flush + 0.2 + 0.4 * Oval(x, y, 40, 56, 18, 14));
        const double shine = Oval(x, y, 40, 42, 10, 6) * 0.55 + Oval(x, y, 26, 35, 6, 2.5) * 0.2;
        c = Sheen(c, 0.45 * shine * (0.4 + 1.0 * (1 - gr.pore)) * (0.7 + 0.6 * Noise(x * 0.3, y * 0.3, seed + 5)));
        c = DrawBrow(brow, x, y, c);
        c = DrawEye(eye, x, y, c);
        return c;
    };
    Picture p = Render(62, 80, scene);
    AddSensorNoise(p, seed + 99, 0.02);
    return p;
}

// 2: plain skin with a little shading, and a few stray hairs reaching in from the top edge.
Picture EvenSkinStrands(std::uint64_t seed)
{
    const Rgb skinBase{0.93, 0.78, 0.72};
    std::vector<Strand> strands;
    Random rnd(seed + 7);
    const double starts[] = {6, 14, 23, 27, 38, 47, 55};
    for (double sx : starts) {
        const double x0 = sx + rnd.Range(-2, 2);
        const double drop = rnd.Range(6, 20);
        const double lean = rnd.Range(-6, 9);
        const double curl = rnd.Range(-5, 5);
        const Rgb colour = Rgb{0.27, 0.15, 0.075} * rnd.Range(0.85, 1.3);
        strands.push_back(MakeStrand({x0, -2}, {x0 + lean * 0.3 + curl, drop * 0.35}, {x0 + lean * 0.8 - curl, drop * 0.75},
                                     {x0 + lean, drop}, rnd.Range(0.32, 0.5), colour));
    }
    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x, y, seed + 3, 0.7);
        double light = 0.86 + 0.12 * SmoothStep(75, 5, x * 0.7 + y * 0.5) + 0.05 * (Fbm(x * 0.04, y * 0.04, seed + 9, 2) - 0.5);
        light *= 1 - 0.09 * SmoothStep(60, 83, y) * SmoothStep(20, 62, x);
        Rgb c = Shade(skinBase, light * gr.light);
        c = Flush(c, 0.45 * gr.flush + 0.15);
        const double shine = Oval(x, y, 36, 44, 20, 14) * (0.7 + 0.3 * (1 - gr.pore)) * (0.8 + 0.4 * Noise(x * 0.15, y * 0.15, seed + 5));
        c = Sheen(c, 0.16 * shine, Rgb{1.0, 0.93, 0.91});
        // Each strand first casts a soft shadow, then lies on top.
        for (const Strand &s : strands) {
            c = Shade(c, 1 - 0.12 * StrandCover(s, x - 0.9, y - 1.1));
        }
        for (const Strand &s : strands) {
            const double cover = StrandCover(s, x, y);
            if (cover > 0) {
                const double glint = Noise(x * 0.5, y * 0.5, seed + 21);
                c = Mix(c, s.colour * (0.85 + 0.5 * glint), cover);
            }
        }
        return c;
    };
    Picture p = Render(62, 83, scene);
    AddSensorNoise(p, seed + 99, 0.012);
    return p;
}

// 3: pale, pink, nearly even skin with oily highlights and one soft fold near the corner.
Picture PaleSkinHighlights(std::uint64_t seed)
{
    const Rgb skinBase{0.95, 0.84, 0.86};
    auto scene = [&](double x, double y) -> Rgb {
        const SkinGrain gr = Grain(x, y, seed + 3, 0.4);
        // A broad rounded surface lit from the upper right.
        double light = 0.9 + 0.1 * Oval(x, y, 40, 28, 46, 42) + 0.03 * (Fbm(x * 0.05, y * 0.05, seed + 9, 2) - 0.5);
        // A soft fold across the lower left corner: skin bulging below it, a pink crease in it.
        const double fold = 60.0 + 0.4 * x - y;  // zero on the fold line, positive above it
        const double crease = Clamp01(1 - fold * fold / 9.0);
        light *= 1 - 0.09 * SmoothStep(18, 0, fold) * SmoothStep(-3, 0, fold) - 0.06 * crease * crease;
        light *= 1 - 0.04 * SmoothStep(-1, -8, fold);
        Rgb c = Shade(skinBase, light * gr.light);
        c = Flush(c, 0.4 * gr.flush + 0.1 + 0.5 * crease * crease + 0.3 * SmoothStep(14, 0, fold) * SmoothStep(-3, 0, fold));
        // The oily sheen on the ridge of the surface, and a few glints inside it.
        const double ridge = Oval(x, y, 38, 25, 21, 10.5) + 0.8 * Oval(x, y, 50, 47, 8, 6);
        const double glint = Spot(x, y, 33, 24, 2.4) + Spot(x, y, 43, 26.5, 1.8) + 0.8 * Spot(x, y, 51, 46, 1.6);
        const double oil = 0.5 * ridge * (0.8 + 0.35 * (1 - gr.pore)) + 0.9 * glint * (0.6 + 0.4 * (1 - gr.pore));
        c = Sheen(c, oil, Rgb{1.0, 0.975, 0.985});
        return c;
    };
    Picture p = Render(62, 75, scene);
    AddSensorNoise(p, seed + 99, 0.007);
    return p;
}

// ---------------------------------------------------------------------------------------------
// Fitting the tones. Each channel goes through one monotone curve, so the drawing keeps its
// look while the order statistics land exactly where they are wanted; a soft centre-weighted
// exposure change moves the centre mean. Red is fitted first; green and blue start from the
// fitted red times the drawing's own hue, so their curves stay close to a plain scale and
// do not tint the picture unevenly.

struct ToneTarget {
    std::array<double, 3> mean, centreMean;
    std::array<int, 3> median, minimum, maximum;
    int redP10, redP90;
};

struct Swatch {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, R G B
};

// The index of the p-th percentile (nearest rank) among n sorted values.
std::size_t RankOf(int percent, std::size_t n) { return (static_cast<std::size_t>(percent) * n + 99) / 100 - 1; }

bool InCentre(int x, int y, int w, int h) { return x >= w / 4 && x < w - w / 4 && y >= h / 4 && y < h - h / 4; }

// Schlick's bias: a curve through (0,0) and (1,1); 0.5 is the identity.
double Bias(double u, double b) { return u / ((1 / b - 2) * (1 - u) + 1); }

struct ChannelGoal {
    double mean = 0, centreMean = 0;
    std::array<double, 5> values{};  // at the ranks 0, 10, 50, 90 and 100 percent
};

struct FittedChannel {
    std::vector<double> values;  // 0..255, not yet rounded
    double exposure = 0;
};

FittedChannel FitChannel(const std::vector<double> &src, int width, int height, const ChannelGoal &goal)
{
    static constexpr std::array<int, 5> kRanks = {0, 10, 50, 90, 100};
    const std::size_t n = src.size();
    std::vector<double> weight(n);
    std::vector<char> centre(n);
    std::size_t centreCount = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            const double ux = (x + 0.5) / width * 2 - 1, uy = (y + 0.5) / height * 2 - 1;
            weight[i] = 1 - SmoothStep(0.15, 1.0, std::sqrt(ux * ux + uy * uy));
            centre[i] = InCentre(x, y, width, height);
            centreCount += centre[i];
        }
    }

    std::vector<double> v(n), sorted(n), out(n);
    auto apply = [&](double exposure, double bias) {
        for (std::size_t i = 0; i < n; ++i) {
            v[i] = src[i] * (1 + exposure * (weight[i] - 0.5));
        }
        sorted = v;
        std::sort(sorted.begin(), sorted.end());
        std::array<double, 5> knots{};
        for (std::size_t k = 0; k < kRanks.size(); ++k) {
            knots[k] = kRanks[k] == 0 ? sorted.front() : sorted[RankOf(kRanks[k], n)];
        }
        double sum = 0, centreSum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t k = 0;
            while (k + 2 < knots.size() && v[i] > knots[k + 1]) {
                ++k;
            }
            const double span = knots[k + 1] - knots[k];
            const double u = span > 0 ? Clamp01((v[i] - knots[k]) / span) : 1.0;
            out[i] = goal.values[k] + (goal.values[k + 1] - goal.values[k]) * Bias(u, bias);
            const double rounded = std::floor(out[i] + 0.5);
            sum += rounded;
            centreSum += centre[i] ? rounded : 0;
        }
        return std::array<double, 2>{sum / n, centreSum / centreCount};
    };
    auto fitMean = [&](double exposure) {
        double lo = 0.03, hi = 0.97;
        for (int i = 0; i < 40; ++i) {
            const double mid = (lo + hi) / 2;
            (apply(exposure, mid)[0] < goal.mean ? lo : hi) = mid;
        }
        return apply(exposure, (lo + hi) / 2);
    };

    // A brighter centre raises the centre mean; bounded so the lighting stays believable.
    double lo = -0.5, hi = 0.5;
    if (fitMean(lo)[1] > goal.centreMean) {
        hi = lo;
    } else if (fitMean(hi)[1] < goal.centreMean) {
        lo = hi;
    }
    for (int i = 0; i < 30 && hi > lo; ++i) {
        const double mid = (lo + hi) / 2;
        (fitMean(mid)[1] < goal.centreMean ? lo : hi) = mid;
    }
    fitMean((lo + hi) / 2);
    return {out, (lo + hi) / 2};
}

double Quantile(std::vector<double> v, int percent)
{
    std::sort(v.begin(), v.end());
    return v[RankOf(percent, v.size())];
}

Swatch FitTones(const Picture &p, const ToneTarget &t, std::array<double, 3> &exposures)
{
    const std::size_t n = p.px.size();
    std::vector<double> red(n);
    for (std::size_t i = 0; i < n; ++i) {
        red[i] = p.px[i].r;
    }
    ChannelGoal redGoal{t.mean[0], t.centreMean[0],
                        {double(t.minimum[0]), double(t.redP10), double(t.median[0]), double(t.redP90), double(t.maximum[0])}};
    const FittedChannel fittedRed = FitChannel(red, p.width, p.height, redGoal);
    exposures[0] = fittedRed.exposure;

    std::array<std::vector<double>, 3> fitted;
    fitted[0] = fittedRed.values;
    for (int c = 1; c < 3; ++c) {
        std::vector<double> start(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double raw = c == 1 ? p.px[i].g : p.px[i].b;
            start[i] = fittedRed.values[i] * raw / std::max(1e-6, p.px[i].r);
        }
        // Only the ends, the median and the mean are set; in between follow the starting values.
        const double scale = t.median[c] / Quantile(start, 50);
        ChannelGoal goal{t.mean[c], t.centreMean[c], {double(t.minimum[c]), 0, double(t.median[c]), 0, double(t.maximum[c])}};
        goal.values[1] = std::clamp(Quantile(start, 10) * scale, goal.values[0] + 1, goal.values[2] - 1);
        goal.values[3] = std::clamp(Quantile(start, 90) * scale, goal.values[2] + 1, goal.values[4] - 1);
        const FittedChannel f = FitChannel(start, p.width, p.height, goal);
        exposures[c] = f.exposure;
        fitted[c] = f.values;
    }

    Swatch s{p.width, p.height, std::vector<std::uint8_t>(n * 3)};
    for (std::size_t i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c) {
            s.rgb[i * 3 + c] = static_cast<std::uint8_t>(std::clamp(std::floor(fitted[c][i] + 0.5), 0.0, 255.0));
        }
    }
    return s;
}

void PrintStatistics(const char *name, const Swatch &s, const std::array<double, 3> &exposures)
{
    const std::size_t n = static_cast<std::size_t>(s.width) * s.height;
    std::printf("%s  %dx%d  exposure %.3f %.3f %.3f\n", name, s.width, s.height, exposures[0], exposures[1], exposures[2]);
    std::array<std::vector<int>, 3> ch;
    std::array<double, 3> centre{};
    std::size_t centreCount = 0, redLargest = 0, ordered = 0, dark = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int r = s.rgb[i * 3], g = s.rgb[i * 3 + 1], b = s.rgb[i * 3 + 2];
        ch[0].push_back(r);
        ch[1].push_back(g);
        ch[2].push_back(b);
        redLargest += r > g && r > b;
        ordered += r > g && g > b;
        dark += r + g + b < 3 * 90;
        if (InCentre(static_cast<int>(i % s.width), static_cast<int>(i / s.width), s.width, s.height)) {
            centre[0] += r;
            centre[1] += g;
            centre[2] += b;
            ++centreCount;
        }
    }
    for (int c = 0; c < 3; ++c) {
        std::vector<int> v = ch[c];
        std::sort(v.begin(), v.end());
        const double mean = std::accumulate(v.begin(), v.end(), 0.0) / n;
        std::printf("  %c mean %6.2f median %3d centre %6.2f min %3d max %3d p10 %3d p90 %3d\n", "RGB"[c], mean,
                    v[RankOf(50, n)], centre[c] / centreCount, v.front(), v.back(), v[RankOf(10, n)], v[RankOf(90, n)]);
    }
    std::printf("  red largest %.2f%%  R>G>B %.2f%%  dark %.2f%%\n", 100.0 * redLargest / n, 100.0 * ordered / n, 100.0 * dark / n);
}

// ---------------------------------------------------------------------------------------------
// The icon: a cartoon face, drawn with heavy supersampling for clean edges at 32x32.

Swatch DrawIcon()
{
    const int size = 32, sub = 8;
    const Rgb background{0.36, 0.66, 0.74}, backgroundDeep{0.27, 0.55, 0.66};
    const Rgb skin{0.98, 0.80, 0.66}, skinShade{0.90, 0.66, 0.52}, outline{0.42, 0.24, 0.16};
    const Rgb hair{0.42, 0.25, 0.14}, hairLight{0.58, 0.37, 0.22};
    const Rgb eye{0.16, 0.10, 0.08}, cheek{0.98, 0.56, 0.52}, mouth{0.55, 0.18, 0.16};
    const double fx = 16, fy = 17.2, fr = 12.2;

    auto scene = [&](double x, double y) -> Rgb {
        Rgb c = Mix(background, backgroundDeep, SmoothStep(0, 32, y));
        const double dx = x - fx, dy = y - fy;
        const double d = std::sqrt(dx * dx + dy * dy);
        // Ears.
        for (double side : {-1.0, 1.0}) {
            const double ed = std::sqrt((x - fx - side * 12.4) * (x - fx - side * 12.4) + (y - 18.4) * (y - 18.4));
            c = Mix(c, outline, SmoothStep(3.3, 2.8, ed));
            c = Mix(c, skinShade, SmoothStep(2.5, 2.0, ed));
        }
        // Head with a dark outline and a little shading on the lower right.
        c = Mix(c, outline, SmoothStep(fr + 1.1, fr + 0.6, d));
        Rgb face = Mix(skin, skinShade, SmoothStep(4, 13, (dx * 0.6 + dy * 0.8) + 3));
        c = Mix(c, face, SmoothStep(fr + 0.25, fr - 0.25, d));
        // Hair: a cap over the top of the head with a side-swept fringe.
        const double capEdge = 10.6 + 2.2 * SmoothStep(22, 6, x) - 1.0 * SmoothStep(16, 26, x) + 0.9 * (dx > 6 ? (dx - 6) * 0.5 : 0);
        const double inHead = SmoothStep(fr + 1.2, fr + 0.7, d);
        const double capCover = inHead * SmoothStep(capEdge + 0.3, capEdge - 0.3, y);
        Rgb hc = Mix(hair, hairLight, Spot(x, y, 12, 7, 4.5));
        c = Mix(c, hc, capCover);
        // Eyes with a catchlight each.
        for (double ex : {11.6, 20.4}) {
            const double e = Oval(x, y, ex, 17.6, 1.75, 2.3);
            c = Mix(c, eye, SmoothStep(0.0, 0.15, e));
            c = Mix(c, Rgb{1, 1, 1}, SmoothStep(0.05, 0.3, Spot(x, y, ex + 0.6, 16.6, 1.0)));
        }
        // Rosy cheeks.
        c = Mix(c, cheek, 0.55 * SmoothStep(0.0, 0.6, Oval(x, y, 8.6, 22.0, 2.5, 1.7)));
        c = Mix(c, cheek, 0.55 * SmoothStep(0.0, 0.6, Oval(x, y, 23.4, 22.0, 2.5, 1.7)));
        // A smile: a band along the lower part of a circle.
        const double sx = x - 16, sy = y - 19.2;
        const double sd = std::sqrt(sx * sx + sy * sy);
        const double smileBand = SmoothStep(1.0, 0.55, std::fabs(sd - 5.0)) * SmoothStep(1.2, 2.6, sy);
        c = Mix(c, mouth, smileBand);
        return c;
    };
    Swatch icon{size, size, std::vector<std::uint8_t>(size * size * 3)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb sum;
            for (int j = 0; j < sub; ++j) {
                for (int i = 0; i < sub; ++i) {
                    sum = sum + scene(x + (i + 0.5) / sub, y + (j + 0.5) / sub);
                }
            }
            sum = sum * (1.0 / (sub * sub));
            const std::size_t o = (static_cast<std::size_t>(y) * size + x) * 3;
            icon.rgb[o] = static_cast<std::uint8_t>(std::floor(Clamp01(sum.r) * 255 + 0.5));
            icon.rgb[o + 1] = static_cast<std::uint8_t>(std::floor(Clamp01(sum.g) * 255 + 0.5));
            icon.rgb[o + 2] = static_cast<std::uint8_t>(std::floor(Clamp01(sum.b) * 255 + 0.5));
        }
    }
    return icon;
}

// ---------------------------------------------------------------------------------------------
// File formats

void PutLe(std::vector<std::uint8_t> &out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void PutBe32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// 24-bit uncompressed BMP with a BITMAPINFOHEADER, rows bottom-up and padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const Swatch &s)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(s.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(s.height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 14 + 40 + imageSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, 14 + 40, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(s.width), 4);
    PutLe(out, static_cast<std::uint32_t>(s.height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);  // BI_RGB
    PutLe(out, imageSize, 4);
    PutLe(out, 2834, 4);  // 72 dpi
    PutLe(out, 2834, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = s.height - 1; y >= 0; --y) {
        for (int x = 0; x < s.width; ++x) {
            const std::size_t o = (static_cast<std::size_t>(y) * s.width + x) * 3;
            out.push_back(s.rgb[o + 2]);
            out.push_back(s.rgb[o + 1]);
            out.push_back(s.rgb[o]);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(s.width) * 3; pad < stride; ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

std::uint32_t Crc32(const std::uint8_t *data, std::size_t n)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<std::uint8_t> &out, const char *type, const std::vector<std::uint8_t> &data)
{
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// 8-bit RGB PNG. The pixels go into "stored" deflate blocks: no compression library needed,
// and at 32x32 the size does not matter.
std::vector<std::uint8_t> EncodePng(const Swatch &s)
{
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < s.height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = s.rgb.begin() + static_cast<std::ptrdiff_t>(y) * s.width * 3;
        raw.insert(raw.end(), row, row + s.width * 3);
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
        const std::size_t len = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        PutLe(z, static_cast<std::uint32_t>(len), 2);
        PutLe(z, static_cast<std::uint32_t>(~len & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
        if (last) {
            break;
        }
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBe32(header, static_cast<std::uint32_t>(s.width));
    PutBe32(header, static_cast<std::uint32_t>(s.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter variants, not interlaced
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}

bool WriteFile(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) {
        std::fprintf(stderr, "make_swatches: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_swatches <resources-dir>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(root / "swatches", ec);
    std::filesystem::create_directories(root / "icon", ec);

    const std::uint64_t seed = 0x7E1F0A5EED2024ull;
    const Picture pictures[4] = {FaceNeckShoulder(seed), CheekEyeBrow(seed + 1000), EvenSkinStrands(seed + 2000),
                                 PaleSkinHighlights(seed + 3000)};
    // The tones each swatch has to show: means, centre means, medians, extremes, red's 10th and 90th percentiles.
    const ToneTarget targets[4] = {
        {{214.7, 191.7, 181.2}, {194.6, 165.2, 152.2}, {233, 211, 201}, {0, 0, 0}, {255, 247, 251}, 144, 253},
        {{203.9, 181.4, 172.4}, {215.3, 191.8, 183.5}, {211, 187, 177}, {41, 48, 46}, {231, 207, 205}, 179, 224},
        {{209.9, 179.4, 170.3}, {214.9, 186.2, 179.0}, {215, 183, 176}, {68, 38, 17}, {249, 224, 228}, 185, 236},
        {{214.0, 192.2, 193.9}, {214.4, 194.1, 198.8}, {211, 189, 191}, {141, 81, 91}, {255, 255, 255}, 197, 251},
    };
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        std::array<double, 3> exposures{};
        const Swatch s = FitTones(pictures[i], targets[i], exposures);
        const std::string name = "skin_" + std::to_string(i) + ".bmp";
        PrintStatistics(name.c_str(), s, exposures);
        ok = WriteFile(root / "swatches" / name, EncodeBmp(s)) && ok;
    }
    const Swatch icon = DrawIcon();
    ok = WriteFile(root / "icon" / "velmora.bmp", EncodeBmp(icon)) && ok;
    ok = WriteFile(root / "icon" / "velmora.png", EncodePng(icon)) && ok;
    return ok ? 0 : 1;
}
