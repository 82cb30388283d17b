// Velmora — a photo's resolution and depth, read from its file's header.
#include "picture/file_facts.h"

#include <cmath>
#include <cstdint>

#include <QtEndian>

#include "io/jpeg_setup.h"
#include "io/tiff_directory.h"
#include "picture/png_decoder.h"

namespace velmora {

namespace {

constexpr double kMetresPerInch = 0.0254;
constexpr std::uint16_t kTiffBitsPerSample = 258, kTiffXResolution = 282, kTiffYResolution = 283,
                        kTiffResolutionUnit = 296;

std::optional<QSize> Valid(double x, double y)
{
    // Beyond a billion dots a metre no file means it; zero says nothing.
    if (!(x >= 1 && y >= 1 && x < 1e9 && y < 1e9))
        return std::nullopt;
    return QSize(int(std::lround(x)), int(std::lround(y)));
}

std::optional<QSize> OfJpeg(const QByteArray &file)
{
    const JpegDensity d = DensityOfFile(reinterpret_cast<const unsigned char *>(file.constData()), std::size_t(file.size()));
    if (d.unit == 1)
        return Valid(d.x / kMetresPerInch, d.y / kMetresPerInch);
    if (d.unit == 2)
        return Valid(d.x * 100.0, d.y * 100.0);
    return std::nullopt;
}

std::optional<QSize> OfPng(const QByteArray &file)
{
    for (qsizetype at = 8; at + 12 <= file.size();) {
        const quint32 length = qFromBigEndian<quint32>(file.constData() + at);
        const QByteArray type = file.mid(at + 4, 4);
        if (type == "pHYs" && length == 9 && at + 8 + 9 <= file.size()) {
            const char *data = file.constData() + at + 8;
            if (data[8] != 1) // 0: an aspect ratio only
                return std::nullopt;
            return Valid(qFromBigEndian<quint32>(data), qFromBigEndian<quint32>(data + 4));
        }
        if (type == "IDAT" || type == "IEND" || length > quint32(file.size()))
            return std::nullopt;
        at += qsizetype(length) + 12;
    }
    return std::nullopt;
}

std::optional<QSize> OfBmp(const QByteArray &file)
{
    if (file.size() < 46 || qFromLittleEndian<quint32>(file.constData() + 14) < 40)
        return std::nullopt;
    return Valid(qFromLittleEndian<qint32>(file.constData() + 38), qFromLittleEndian<qint32>(file.constData() + 42));
}

// A RATIONAL tag's value; zero when absent or unreadable.
double Rational(const TiffReader &tiff, std::uint16_t tag)
{
    const std::int64_t entry = tiff.findEntry(tag);
    if (entry < 0 || tiff.u16(entry + 2) != 5)
        return 0;
    const std::int64_t at = tiff.u32(entry + 8);
    if (!tiff.has(at, 8) || tiff.u32(at + 4) == 0)
        return 0;
    return double(tiff.u32(at)) / tiff.u32(at + 4);
}

std::optional<QSize> OfTiff(const TiffReader &tiff)
{
    const std::int64_t unitEntry = tiff.findEntry(kTiffResolutionUnit);
    const int unit = unitEntry < 0 ? 2 : tiff.u16(unitEntry + 8); // inches unless it says otherwise
    const double x = Rational(tiff, kTiffXResolution), y = Rational(tiff, kTiffYResolution);
    if (unit == 2)
        return Valid(x / kMetresPerInch, y / kMetresPerInch);
    if (unit == 3)
        return Valid(x * 100, y * 100);
    return std::nullopt;
}

} // namespace

std::optional<QSize> DotsPerMeterOf(const QByteArray &file)
{
    if (file.startsWith("\xFF\xD8"))
        return OfJpeg(file);
    if (file.startsWith("\x89PNG\r\n\x1A\n"))
        return OfPng(file);
    if (file.startsWith("BM"))
        return OfBmp(file);
    const TiffReader tiff(reinterpret_cast<const std::uint8_t *>(file.constData()), file.size());
    return tiff.valid() ? OfTiff(tiff) : std::nullopt;
}

bool HasDeepChannels(const QByteArray &file)
{
    if (IsSixteenBitPng(file))
        return true;
    const TiffReader tiff(reinterpret_cast<const std::uint8_t *>(file.constData()), file.size());
    const std::int64_t entry = tiff.findEntry(kTiffBitsPerSample);
    if (entry < 0 || tiff.u16(entry + 2) != 3)
        return false;
    // One value sits in the entry itself; several are stored elsewhere, all alike in practice.
    const std::uint32_t count = tiff.u32(entry + 4);
    const std::int64_t at = count <= 2 ? entry + 8 : tiff.u32(entry + 8);
    return tiff.has(at, 2) && tiff.u16(at) > 8;
}

} // namespace velmora
