// make_swatches — eyes and brows, painted over skin.
#pragma once

#include <cstdint>

#include "colour_maths.h"

namespace swatches {

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

// The colour at (x, y) with the eye drawn over `skin`.
Rgb DrawEye(const EyeLook &e, double x, double y, Rgb skin);

struct BrowLook {
    double x0 = 0, x1 = 10;  // inner and outer end
    double y0 = 0, y1 = 0;   // the line through the middle of the brow at both ends
    double arch = 2, thick0 = 2.5, thick1 = 1.0;
    Rgb colour{0.22, 0.14, 0.10};
    double density = 0.85;
    std::uint64_t seed = 3;
};

Rgb DrawBrow(const BrowLook &b, double x, double y, Rgb skin);

}  // namespace swatches
