// make_swatches — the program icon.
#pragma once

#include "picture.h"

namespace swatches {

// A cartoon face, `size` pixels square; drawn in a 32-unit frame, so 32 is the design size.
Swatch DrawIcon(int size = 32);

}  // namespace swatches
