// Velmora — the colour word 0x00BBGGRR and its channels.
#include "core/colour_word.h"

#include <cmath>

namespace velmora {

Channels SplitColour(ColourWord word)
{
    Channels c;
    c.red = word % 256; // C++ division truncates, so -1 % 256 is -1
    const double greenQuotient = static_cast<double>(word & static_cast<std::int32_t>(0xFFFFFF00)) / 256.0;
    c.green = static_cast<std::int32_t>(std::nearbyint(greenQuotient)) % 256;
    c.blue = static_cast<std::int32_t>(std::nearbyint((word & 0x00FF0000) / 65536.0));
    return c;
}

ColourWord ComposeColour(std::int16_t red, std::int16_t green, std::int16_t blue)
{
    return red + 256 * green + 65536 * blue;
}

} // namespace velmora
