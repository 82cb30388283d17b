// Velmora — libFuzzer target for the bitmap, 8- and 16-bit TIFF and 16-bit PNG decoders and the GIF
// completeness check. Built and run by run_fuzz.sh, outside the normal build and the test suite.
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "picture/bmp_decoder.h"
#include "picture/gif_check.h"
#include "picture/tiff_decoder.h"
#include "picture/png_decoder.h"

using namespace velmora;

namespace {

// A picture is whole and in one of the two final formats; a refusal hands back no picture. Every
// pixel is read, so memory left unwritten or out of bounds shows under the sanitizers.
int Check(const DecodedPicture &picture)
{
    if (picture.problem != LoadProblem::None) {
        if (!picture.image.isNull())
            std::abort(); // a refusal that still hands back a picture
        return 0;
    }
    const QImage &image = picture.image;
    if (image.isNull() || (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32))
        std::abort();
    std::uint32_t sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const std::uint32_t *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (image.format() == QImage::Format_RGB32 && (row[x] >> 24) != 0xFF)
                std::abort(); // an opaque picture with a pixel that is not
            sum += row[x];
        }
    }
    return sum == 0x12345678u ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Raw data, not a copy: a read past the input is a read past the fuzzer's own buffer.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    std::optional<DecodedPicture> deep = DecodeTiffDirectly(bytes, 64LL * 1024 * 1024);
    Check(deep ? std::move(*deep) : DecodeBmp(bytes, 64LL * 1024 * 1024));
    Check(DecodeSixteenBitPng(bytes, 16LL * 1024 * 1024));
    GifFirstFrameComplete(bytes);
    return 0;
}
