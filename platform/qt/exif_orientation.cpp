// Velmora — the orientation a camera recorded in a photo's EXIF data.
#include "platform/qt/exif_orientation.h"

namespace velmora {

namespace {

constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kShortType = 3;

// Reads from a TIFF structure in its own byte order; every read is checked against the end.
class TiffReader {
public:
    TiffReader(const uchar *data, qsizetype size, bool bigEndian) : m_data(data), m_size(size), m_big(bigEndian) {}

    bool has(qint64 at, qint64 count) const { return at >= 0 && count >= 0 && at + count <= m_size; }
    quint16 u16(qint64 at) const
    {
        const quint16 a = m_data[at], b = m_data[at + 1];
        return m_big ? quint16(a << 8 | b) : quint16(b << 8 | a);
    }
    quint32 u32(qint64 at) const
    {
        return m_big ? quint32(u16(at)) << 16 | u16(at + 2) : quint32(u16(at + 2)) << 16 | u16(at);
    }

private:
    const uchar *m_data;
    qsizetype m_size;
    bool m_big;
};

} // namespace

int ExifOrientation(const QByteArray &app1)
{
    static const QByteArray kSignature("Exif\0\0", 6);
    if (!app1.startsWith(kSignature))
        return 1;
    const auto *tiff = reinterpret_cast<const uchar *>(app1.constData()) + kSignature.size();
    const qsizetype size = app1.size() - kSignature.size();
    if (size < 8)
        return 1;
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
        return 1;
    const TiffReader r(tiff, size, bigEndian);
    if (r.u16(2) != 42)
        return 1;
    const qint64 ifd = r.u32(4);
    if (!r.has(ifd, 2))
        return 1;
    const int entries = r.u16(ifd);
    for (int i = 0; i < entries; ++i) {
        const qint64 entry = ifd + 2 + qint64{i} * 12;
        if (!r.has(entry, 12))
            return 1;
        if (r.u16(entry) != kOrientationTag)
            continue;
        if (r.u16(entry + 2) != kShortType || r.u32(entry + 4) < 1)
            return 1;
        const int value = r.u16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

} // namespace velmora
