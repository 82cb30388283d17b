// Velmora — the orientation a camera recorded in a photo's EXIF data.
#include "platform/qt/exif_orientation.h"

#include "platform/qt/tiff_directory.h"

namespace velmora {

namespace {
constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kShortType = 3;
} // namespace

int ExifOrientation(const QByteArray &app1)
{
    static const QByteArray kSignature("Exif\0\0", 6);
    if (!app1.startsWith(kSignature))
        return 1;
    const TiffReader r(reinterpret_cast<const uchar *>(app1.constData()) + kSignature.size(),
                       app1.size() - kSignature.size());
    const qint64 entry = r.findEntry(kOrientationTag);
    if (entry < 0 || r.u16(entry + 2) != kShortType || r.u32(entry + 4) < 1)
        return 1;
    const int value = r.u16(entry + 8);
    return value >= 1 && value <= 8 ? value : 1;
}

} // namespace velmora
