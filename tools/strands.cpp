// make_swatches — hair strands.
#include "strands.h"

#include <algorithm>
#include <cmath>

namespace swatches {

namespace {

void FitBounds(Strand &s)
{
    s.minX = s.maxX = s.points[0][0];
    s.minY = s.maxY = s.points[0][1];
    for (const auto &p : s.points) {
        s.minX = std::min(s.minX, p[0]);
        s.maxX = std::max(s.maxX, p[0]);
        s.minY = std::min(s.minY, p[1]);
        s.maxY = std::max(s.maxY, p[1]);
    }
}

}  // namespace

Strand MakeStrand(Point p0, Point p1, Point p2, Point p3, double halfWidth, Rgb colour)
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
    FitBounds(s);
    return s;
}

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

}  // namespace swatches
