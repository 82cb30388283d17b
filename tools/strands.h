// make_swatches — stray hairs: cubic curves, tapered at the free end.
#pragma once

#include <array>
#include <vector>

#include "colour_maths.h"

namespace swatches {

using Point = std::array<double, 2>;

struct Strand {
    std::vector<Point> points;
    double halfWidth = 0.4;
    Rgb colour;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// A strand along the cubic Bezier curve p0..p3.
Strand MakeStrand(Point p0, Point p1, Point p2, Point p3, double halfWidth, Rgb colour);

// How much of the point (x, y) the strand covers, 0..1.
double StrandCover(const Strand &s, double x, double y);

}  // namespace swatches
