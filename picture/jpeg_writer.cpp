// Velmora — JPEG encoding with full-resolution colour, through libjpeg-turbo directly: Qt's
// writer always halves the colour resolution.
#include "picture/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>

#include <QSysInfo>

#include "io/jpeg_setup.h"
#include "picture/file_facts.h"

namespace velmora {

namespace {

// Everything that needs cleaning up after a longjmp lives outside the function that jumps.
struct Compressor {
    jpeg_compress_struct info{};
    JpegErrors errors;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    ~Compressor()
    {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

bool Compress(Compressor &c, const QImage &image, int quality, const QByteArray &iccProfile, const JpegDensity &density)
{
    c.info.err = UseJpegErrors(c.errors);
    if (setjmp(c.errors.jump))
        return false;
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.buffer, &c.size);
    // Format_RGB32 is 0xFFRRGGBB: blue, green, red, pad in memory on a little-endian machine.
    SetUpJpegEncoder(&c.info, static_cast<unsigned>(image.width()), static_cast<unsigned>(image.height()),
                     QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB, quality, density);
    jpeg_start_compress(&c.info, TRUE);
    if (!iccProfile.isEmpty())
        jpeg_write_icc_profile(&c.info, reinterpret_cast<const JOCTET *>(iccProfile.constData()),
                               static_cast<unsigned int>(iccProfile.size()));
    while (c.info.next_scanline < c.info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(c.info.next_scanline)));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace

std::optional<QByteArray> EncodeJpeg(const QImage &source, int quality, const QByteArray &iccProfile,
                                     const QByteArray &original)
{
    if (source.isNull() || source.width() > JPEG_MAX_DIMENSION || source.height() > JPEG_MAX_DIMENSION)
        return std::nullopt;
    const QImage image = source.format() == QImage::Format_RGB32 ? source
                                                                 : source.convertToFormat(QImage::Format_RGB32);
    JpegDensity density = DensityOfFile(reinterpret_cast<const unsigned char *>(original.constData()),
                                        static_cast<std::size_t>(original.size()));
    // Another format's resolution, in the unit photos are printed by.
    if (const std::optional<QSize> dpm = DotsPerMeterOf(original); density.unit == 0 && dpm) {
        const auto perInch = [](int perMetre) { return UINT16(std::clamp(std::lround(perMetre * 0.0254), 1L, 65535L)); };
        density = {1, perInch(dpm->width()), perInch(dpm->height())};
    }
    Compressor c;
    if (!Compress(c, image, quality, iccProfile, density))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(c.buffer), static_cast<qsizetype>(c.size));
}

} // namespace velmora
