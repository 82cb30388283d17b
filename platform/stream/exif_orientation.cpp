// Velmora — the EXIF orientation tag.
#include "platform/stream/exif_orientation.h"

#include <cstring>

namespace velmora {

int ExifOrientation(const std::uint8_t *p, std::size_t size)
{
    if (size < 14 || std::memcmp(p, "Exif\0\0", 6) != 0)
        return 1;
    const std::uint8_t *tiff = p + 6;
    const std::size_t length = size - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    const auto u16 = [&](std::size_t at) -> std::uint32_t {
        return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
    };
    const auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    };
    const std::uint32_t directory = u32(4);
    if (directory > length || length - directory < 2)
        return 1;
    const std::uint32_t entries = u16(directory);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + std::size_t{i} * 12;
        if (entry + 12 > length)
            return 1;
        if (u16(entry) == 0x0112) { // Orientation, a SHORT
            const std::uint32_t value = u16(entry + 8);
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
    }
    return 1;
}

} // namespace velmora
