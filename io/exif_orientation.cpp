// Velmora — the EXIF orientation tag.
#include "io/exif_orientation.h"

#include <cstring>

#include "io/tiff_directory.h"

namespace velmora {

namespace {
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kSignatureBytes = 6; // "Exif\0\0"
} // namespace

int ExifOrientation(const std::uint8_t *payload, std::size_t size)
{
    if (size < kSignatureBytes || std::memcmp(payload, "Exif\0\0", kSignatureBytes) != 0)
        return 1;
    const TiffReader r(payload + kSignatureBytes, static_cast<std::int64_t>(size - kSignatureBytes));
    const std::int64_t entry = r.findEntry(kOrientationTag);
    if (entry < 0 || r.u16(entry + 2) != kShortType || r.u32(entry + 4) < 1)
        return 1;
    const int value = r.u16(entry + 8);
    return value >= 1 && value <= 8 ? value : 1;
}

} // namespace velmora
