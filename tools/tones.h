// make_swatches — fitting a drawn picture to the tones its swatch has to show.
#pragma once

#include <array>

#include "picture.h"

namespace swatches {

// Per channel R, G, B; percentiles are by nearest rank.
struct ToneTarget {
    std::array<double, 3> mean, centreMean;  // the centre is the middle half in each direction
    std::array<int, 3> median, minimum, maximum;
    int redP10, redP90;
};

// The fitted swatch; `exposures` receives each channel's centre-weighted exposure change.
Swatch FitTones(const Picture &p, const ToneTarget &t, std::array<double, 3> &exposures);

// Prints the size, the exposures and the tones the swatch ended up with.
void PrintStatistics(const char *name, const Swatch &s, const std::array<double, 3> &exposures);

}  // namespace swatches
