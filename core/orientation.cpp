// Velmora — turning a picture upright.
#include "core/orientation.h"

namespace velmora {

UprightPlacement Orientation::placement(int width, int height, std::int64_t stride) const
{
    const std::int64_t w = width, h = height;
    switch (m_tag) {
    case 2: return {w - 1, -1, stride};                         // (w-1-x, y)
    case 3: return {(h - 1) * stride + w - 1, -1, -stride};     // (w-1-x, h-1-y)
    case 4: return {(h - 1) * stride, 1, -stride};              // (x, h-1-y)
    case 5: return {0, stride, 1};                              // (y, x)
    case 6: return {h - 1, stride, -1};                         // (h-1-y, x)
    case 7: return {(w - 1) * stride + h - 1, -stride, -1};     // (h-1-y, w-1-x)
    case 8: return {(w - 1) * stride, -stride, 1};              // (y, w-1-x)
    default: return {0, 1, stride};
    }
}

} // namespace velmora
