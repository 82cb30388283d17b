// Velmora — pictures brought to sRGB, the colours the window shows, samples and corrects in.
#include "picture/colour_profile.h"

#include <QColorSpace>
#include <QtEndian>

#include "io/tiff_directory.h"

namespace velmora {

void ConvertToSrgb(QImage &image)
{
    const QColorSpace srgb(QColorSpace::SRgb);
    if (!image.colorSpace().isValid() || image.colorSpace() == srgb)
        return;
    // Works row by row in the image's own memory for the 32-bit formats.
    image.convertToColorSpace(srgb);
}

bool TagWithProfile(QImage &image, const QByteArray &iccProfile)
{
    const QColorSpace space = QColorSpace::fromIccProfile(iccProfile);
    if (!space.isValid())
        return false;
    image.setColorSpace(space);
    return true;
}

bool TagWithPrimaries(QImage &image, const Chromaticities &primaries, int transfer)
{
    QColorSpace::TransferFunction function = QColorSpace::TransferFunction::SRgb;
    float gamma = 0;
    switch (transfer) {
    // BT.709 and its relatives are a camera's encoding; stills that name them are shown as sRGB, as
    // browsers show them.
    case 1: case 2: case 6: case 13: case 14: case 15: break;
    case 4: function = QColorSpace::TransferFunction::Gamma, gamma = 2.2f; break;
    case 5: function = QColorSpace::TransferFunction::Gamma, gamma = 2.8f; break;
    case 8: function = QColorSpace::TransferFunction::Linear; break;
    default: return false;
    }
    const auto near = [](QPointF a, double x, double y) { return qAbs(a.x() - x) < 1e-3 && qAbs(a.y() - y) < 1e-3; };
    const bool srgbPrimaries = near(primaries.red, 0.64, 0.33) && near(primaries.green, 0.30, 0.60)
                               && near(primaries.blue, 0.15, 0.06) && near(primaries.white, 0.3127, 0.3290);
    if (srgbPrimaries && function == QColorSpace::TransferFunction::SRgb)
        return true;
    const QColorSpace space(primaries.white, primaries.red, primaries.green, primaries.blue, function, gamma);
    if (!space.isValid())
        return false;
    image.setColorSpace(space);
    return true;
}

namespace {

constexpr quint16 kTiffIccTag = 34675;

// Whether a chunk of the type comes before the picture data.
bool PngHasChunk(const QByteArray &bytes, const char *wanted)
{
    qsizetype at = 8; // past the signature
    while (at + 8 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type == wanted)
            return true;
        if (type == "IDAT" || type == "IEND")
            return false;
        at += qsizetype(length) + 12;
    }
    return false;
}

bool PngHasProfile(const QByteArray &bytes) { return PngHasChunk(bytes, "iCCP"); }

bool WebpHasProfile(const QByteArray &bytes)
{
    qsizetype at = 12; // past "RIFF", the size and "WEBP"
    while (at + 8 <= bytes.size()) {
        if (bytes.mid(at, 4) == "ICCP")
            return true;
        const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        at += 8 + qsizetype(length) + (length & 1);
    }
    return false;
}

} // namespace

bool PngDeclaresSrgb(const QByteArray &bytes)
{
    return bytes.startsWith("\x89PNG") && !PngHasChunk(bytes, "iCCP") && PngHasChunk(bytes, "sRGB");
}

bool FileHasProfile(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG"))
        return PngHasProfile(bytes);
    if (bytes.startsWith("RIFF"))
        return WebpHasProfile(bytes);
    return TiffReader(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size()).findEntry(kTiffIccTag) >= 0;
}

} // namespace velmora
