// make_swatches — the program icon.
#pragma once

#include "picture.h"

namespace swatches {

// A cartoon face, 32x32.
Swatch DrawIcon();

}  // namespace swatches
