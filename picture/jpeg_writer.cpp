// Velmora — JPEG encoding with full-resolution colour, through libjpeg-turbo directly: Qt's
// writer always halves the colour resolution.
#include "picture/jpeg_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <QSysInfo>

namespace velmora {

namespace {

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorExit *>(info->err)->jump, 1);
}

void Quiet(j_common_ptr, int) {}

// Everything that needs cleaning up after a longjmp lives outside the function that jumps.
struct Compressor {
    jpeg_compress_struct info{};
    ErrorExit error{};
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    ~Compressor()
    {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

bool Compress(Compressor &c, const QImage &image, int quality, const QByteArray &iccProfile)
{
    c.info.err = jpeg_std_error(&c.error.manager);
    c.error.manager.error_exit = JumpOut;
    c.error.manager.emit_message = Quiet;
    if (setjmp(c.error.jump))
        return false;
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.buffer, &c.size);
    c.info.image_width = static_cast<JDIMENSION>(image.width());
    c.info.image_height = static_cast<JDIMENSION>(image.height());
    c.info.input_components = 4;
    // Format_RGB32 is 0xFFRRGGBB: blue, green, red, pad in memory on a little-endian machine.
    c.info.in_color_space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    for (int i = 0; i < c.info.num_components; ++i) {
        c.info.comp_info[i].h_samp_factor = 1;
        c.info.comp_info[i].v_samp_factor = 1;
    }
    c.info.optimize_coding = TRUE;
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

std::optional<QByteArray> EncodeJpeg(const QImage &source, int quality, const QByteArray &iccProfile)
{
    if (source.isNull() || source.width() > JPEG_MAX_DIMENSION || source.height() > JPEG_MAX_DIMENSION)
        return std::nullopt;
    const QImage image = source.format() == QImage::Format_RGB32 ? source
                                                                 : source.convertToFormat(QImage::Format_RGB32);
    Compressor c;
    if (!Compress(c, image, std::clamp(quality, 1, 100), iccProfile))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(c.buffer), static_cast<qsizetype>(c.size));
}

} // namespace velmora
