// Velmora — 16-bit PNGs decoded by libpng straight into the 32-bit picture.
#include "picture/png_decoder.h"

#include <cstring>

#include <png.h>

#include <QColorSpace>
#include <QPointF>

#include "picture/picture_memory.h"

namespace velmora {

namespace {

constexpr qsizetype kSignatureBytes = 8;
constexpr qsizetype kBitDepthAt = 24; // signature, IHDR's length and type, width, height
// libpng's own rows at their widest (8 bytes a pixel): the row read, the one before it for the
// filters, and the row being transformed.
constexpr qint64 kLibpngRows = 3;
constexpr qint64 kLibpngRowPixelBytes = 8;

struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const uchar *data = nullptr;
    qsizetype size = 0;
    qsizetype at = 0;
    bool readingEnd = false; // the picture is all there; only the chunks after it are left
    qint64 memoryLimit = 0;
    QImage image;
    DecodedPicture result;
};

[[noreturn]] void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Warnings are about chunks libpng checks and drops (a bad CRC on a text chunk, a profile it
// doubts); the pixels they leave are whole.
void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, size_t length)
{
    auto *s = static_cast<Session *>(png_get_io_ptr(png));
    const qsizetype left = s->size - s->at;
    // A file cut inside the end chunk's checksum, after everything else: Qt's reader opens these,
    // so 8-bit and 16-bit files get the same verdict.
    if (s->readingEnd && length == 4 && left < 4) {
        static const png_byte kEndChecksum[4] = {0xAE, 0x42, 0x60, 0x82};
        std::memcpy(out, kEndChecksum, 4);
        s->at = s->size;
        return;
    }
    if (qsizetype(length) > left)
        png_error(png, "file cut short");
    std::memcpy(out, s->data + s->at, length);
    s->at += qsizetype(length);
}

bool HasAlpha(png_structp png, png_infop info)
{
    return (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
}

// To 8 bits rounded, grey spread to RGB, a transparent colour made alpha, bytes in QImage's order.
// Returns the number of passes over the rows: 7 for an interlaced file, else 1.
int SetTransforms(png_structp png, png_infop info, bool alpha)
{
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (!(png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    png_set_scale_16(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    if (!alpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
#else
    if (alpha)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
#endif
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return passes;
}

// Only trivially destructible locals from here on: libpng's errors jump back into this frame.
bool Decode(Session &s)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_read_info(s.png, s.info);
    if (png_get_bit_depth(s.png, s.info) != 16) {
        s.result.problem = LoadProblem::NotAPicture;
        return false;
    }
    const qint64 width = png_get_image_width(s.png, s.info);
    const qint64 height = png_get_image_height(s.png, s.info);
    s.result.declaredSize = QSize(int(width), int(height));
    const qint64 rowBytes = kLibpngRows * kLibpngRowPixelBytes * width;
    // Divided, not multiplied: two 31-bit sides times four bytes would overflow.
    if (rowBytes >= s.memoryLimit || width > (s.memoryLimit - rowBytes) / 4 / height) {
        s.result.problem = LoadProblem::TooLarge;
        return false;
    }
    const bool alpha = HasAlpha(s.png, s.info);
    const int passes = SetTransforms(s.png, s.info, alpha);
    if (png_get_rowbytes(s.png, s.info) != size_t(width) * 4)
        return false;

    s.image = AllocatePicture(QSize(int(width), int(height)), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (s.image.isNull()) {
        s.result.problem = LoadProblem::TooLarge;
        return false;
    }
    // Every pass of an interlaced file lands in the picture's own rows, one row at a time: no other
    // full-size buffer, not even a table of row pointers.
    uchar *pixels = s.image.bits();
    const qsizetype stride = s.image.bytesPerLine();
    for (int pass = 0; pass < passes; ++pass)
        for (qint64 y = 0; y < height; ++y)
            png_read_row(s.png, pixels + y * stride, nullptr);
    s.readingEnd = true;
    png_read_end(s.png, nullptr);
    return true;
}

// A chromaticity that can name a colour at all; Qt warns on others before refusing them.
bool Chromaticity(double x, double y) { return x >= 0.0 && x <= 1.0 && y > 0.0 && y <= 1.0; }

// As Qt's reader declares it, so 8-bit and 16-bit files of one photo show the same colours: a
// profile Qt can use, else the sRGB chunk, else the gamma with the primaries if the file gives them.
QColorSpace FileColourSpace(png_structp png, png_infop info)
{
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length)) {
        const QColorSpace fromProfile =
            QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char *>(profile), qsizetype(length)));
        if (fromProfile.isValid())
            return fromProfile;
    }
    int intent = -1;
    if (png_get_sRGB(png, info, &intent) && intent >= 0 && intent <= 3)
        return QColorSpace::SRgb;
    double fileGamma = 0.0;
    if (!png_get_gAMA(png, info, &fileGamma) || fileGamma <= 0.0)
        return {};
    // The file gives the exponent that encoded its values; decoding raises them to its inverse.
    const float gamma = float(1.0 / fileGamma);
    double wx = 0, wy = 0, rx = 0, ry = 0, gx = 0, gy = 0, bx = 0, by = 0;
    if (png_get_cHRM(png, info, &wx, &wy, &rx, &ry, &gx, &gy, &bx, &by) && Chromaticity(wx, wy)
        && Chromaticity(rx, ry) && Chromaticity(gx, gy) && Chromaticity(bx, by)) {
        const QColorSpace withPrimaries(QPointF(wx, wy), QPointF(rx, ry), QPointF(gx, gy), QPointF(bx, by),
                                        QColorSpace::TransferFunction::Gamma, gamma);
        if (withPrimaries.isValid())
            return withPrimaries;
    }
    return QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma, gamma);
}

} // namespace

bool IsSixteenBitPng(const QByteArray &bytes)
{
    return bytes.size() > kBitDepthAt && bytes.startsWith("\x89PNG\r\n\x1A\n")
           && bytes.mid(kSignatureBytes + 4, 4) == "IHDR" && quint8(bytes[kBitDepthAt]) == 16;
}

DecodedPicture DecodeSixteenBitPng(const QByteArray &bytes, qint64 memoryLimitBytes)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return {{}, LoadProblem::NotAPicture, {}};
    Session s;
    s.data = reinterpret_cast<const uchar *>(bytes.constData());
    s.size = bytes.size();
    s.at = kSignatureBytes;
    s.memoryLimit = memoryLimitBytes;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (!s.png)
        return {{}, LoadProblem::TooLarge, {}};
    s.info = png_create_info_struct(s.png);
    if (!s.info) {
        png_destroy_read_struct(&s.png, nullptr, nullptr);
        return {{}, LoadProblem::TooLarge, {}};
    }
#ifdef VELMORA_FUZZING
    // Mutated chunks nearly all fail their checksums; past them the fuzzer reaches the pixels.
    png_set_crc_action(s.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_set_read_fn(s.png, &s, ReadBytes);
    png_set_sig_bytes(s.png, int(kSignatureBytes));
    // The size is judged against the memory limit, not libpng's own million-pixel sides.
    png_set_user_limits(s.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
    // Files some encoders write with a wrong window size open in Qt's reader; here too.
    png_set_option(s.png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
    const bool decoded = Decode(s);
    DecodedPicture out;
    if (decoded) {
        s.image.setColorSpace(FileColourSpace(s.png, s.info));
        out.image = std::move(s.image);
    } else {
        out.problem = s.result.problem == LoadProblem::None ? LoadProblem::Damaged : s.result.problem;
        if (out.problem == LoadProblem::TooLarge)
            out.declaredSize = s.result.declaredSize;
    }
    png_destroy_read_struct(&s.png, &s.info, nullptr);
    return out;
}

} // namespace velmora
