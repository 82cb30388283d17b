// Velmora — the colour the picker takes: one pixel, or the mean of a square around it.
#pragma once

#include "core/colour_word.h"
#include "core/picture_surface.h"

namespace velmora {

// The colour at pixel (x, y) when `size` is 1 or less; otherwise the mean of the `size` × `size`
// pixels centred on it (an even size counts as the next odd one), taking only those inside the
// picture. Each channel is rounded half up. A centre outside the picture gives -1, as colourAt() does.
ColourWord SampleMean(const PictureSurface &surface, int x, int y, int size);

} // namespace velmora
