// make_swatches — colours as three doubles, and the soft shapes the pictures are drawn with.
#pragma once

namespace swatches {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

inline double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline Rgb Mix(Rgb a, Rgb b, double t) { return a + (b - a) * t; }

inline double SmoothStep(double e0, double e1, double x)
{
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// A soft round spot: 1 at the centre, 0 from `radius` on. Polynomial, so no exp().
inline double Spot(double x, double y, double cx, double cy, double radius)
{
    const double t = 1 - ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
    return t <= 0 ? 0 : t * t;
}

// Same, stretched into an ellipse.
inline double Oval(double x, double y, double cx, double cy, double rx, double ry)
{
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    const double t = 1 - dx * dx - dy * dy;
    return t <= 0 ? 0 : t * t;
}

}  // namespace swatches
