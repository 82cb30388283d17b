// Velmora — reading pictures from files.
#include "picture/picture_loader.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include <unistd.h>

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>

#include "core/orientation.h"
#include "picture/bmp_decoder.h"
#include "picture/colour_profile.h"
#include "picture/file_bytes.h"
#include "picture/gif_check.h"
#include "picture/heif_decoder.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_memory.h"
#include "picture/png_decoder.h"
#include "picture/tiff_decoder.h"

namespace velmora {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

enum class Kind { Unknown, Jpeg, Png, Gif, Bmp, Ico, Tiff, Webp, Heif };

// Decided from the bytes, never from the name: a renamed file still opens as what it is.
Kind Sniff(const QByteArray &b)
{
    if (b.startsWith("\xFF\xD8\xFF"))
        return Kind::Jpeg;
    if (b.startsWith("\x89PNG\r\n\x1A\n"))
        return Kind::Png;
    if (b.startsWith("GIF87a") || b.startsWith("GIF89a"))
        return Kind::Gif;
    if (b.startsWith("BM"))
        return Kind::Bmp;
    if (b.startsWith(QByteArray("\0\0\1\0", 4)))
        return Kind::Ico;
    if (b.startsWith(QByteArray("II*\0", 4)) || b.startsWith(QByteArray("MM\0*", 4)))
        return Kind::Tiff;
    if (b.size() >= 12 && b.startsWith("RIFF") && b.mid(8, 4) == "WEBP")
        return Kind::Webp;
    if (IsHeif(b))
        return Kind::Heif;
    return Kind::Unknown;
}

const char *QtFormat(Kind kind)
{
    switch (kind) {
    case Kind::Png: return "png";
    case Kind::Gif: return "gif";
    case Kind::Ico: return "ico";
    case Kind::Tiff: return "tiff";
    case Kind::Webp: return "webp";
    default: return "";
    }
}

// Icon files hold several pictures; the largest is the one worth correcting.
void JumpToLargestImage(QImageReader &reader)
{
    const int count = reader.imageCount();
    if (count <= 1)
        return;
    int best = 0;
    qint64 bestArea = -1;
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            continue;
        const QSize s = reader.size();
        if (qint64{s.width()} * s.height() > bestArea) {
            bestArea = qint64{s.width()} * s.height();
            best = i;
        }
    }
    reader.jumpToImage(best);
}

bool IsFinalFormat(QImage::Format f) { return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32; }

qint64 PictureBytes(QSize size, QImage::Format format)
{
    const int depth = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return ((qint64{size.width()} * depth + 31) / 32) * 4 * size.height();
}

// To 32 bits a pixel. 16-bit channels are rounded to 8 (v × 255 / 65535) row by row into the
// picture's own memory: each 32-bit row ends before the next 64-bit row begins.
void ToFinalFormat(QImage &image)
{
    const QImage::Format target = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.depth() == 64) {
        QImage out = TakeOverPicture(image, image.size(), target);
        if (!out.isNull()) {
            for (int y = 0; y < image.height(); ++y) {
                const QImage row(image.constScanLine(y), image.width(), 1, image.bytesPerLine(), image.format());
                const QImage converted = row.convertToFormat(target);
                std::memcpy(out.scanLine(y), converted.constBits(), std::size_t(image.width()) * 4);
            }
            out.setColorSpace(image.colorSpace());
            image = std::move(out);
            return;
        }
    }
    image.convertTo(target);
}

// The tag value of what Qt's reader reports: mirror and flip before the quarter turn.
Orientation OrientationOf(QImageIOHandler::Transformations turn)
{
    switch (int(turn)) {
    case QImageIOHandler::TransformationMirror: return Orientation(2);
    case QImageIOHandler::TransformationRotate180: return Orientation(3);
    case QImageIOHandler::TransformationFlip: return Orientation(4);
    case QImageIOHandler::TransformationFlipAndRotate90: return Orientation(5);
    case QImageIOHandler::TransformationRotate90: return Orientation(6);
    case QImageIOHandler::TransformationMirrorAndRotate90: return Orientation(7);
    case QImageIOHandler::TransformationRotate270: return Orientation(8);
    default: return Orientation(1);
    }
}

// A 32-bit picture turned upright into a new one; false when there is no memory for it.
bool TurnUpright(QImage &image, Orientation orientation)
{
    if (orientation.upright())
        return true;
    QImage out = AllocatePicture(orientation.swapsSides() ? image.size().transposed() : image.size(), image.format());
    if (out.isNull())
        return false;
    out.setColorSpace(image.colorSpace());
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    const UprightPlacement place = orientation.placement(image.width(), image.height(), out.bytesPerLine() / 4);
    auto *to = reinterpret_cast<quint32 *>(out.bits());
    for (int y = 0; y < image.height(); ++y) {
        const auto *from = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            to[place.at(x, y)] = from[x];
    }
    image = std::move(out);
    return true;
}

// PNG, TIFF, WebP, ICO and whole GIFs, through Qt's readers on the same bytes. Every full-size
// buffer the read, the conversion to 32 bits and a turn will hold is counted before any is made.
DecodedPicture DecodeWithQt(const QByteArray &bytes, Kind kind, qint64 limit)
{
    QBuffer buffer;
    buffer.setData(bytes); // shares the bytes, no copy
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QtFormat(kind));
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return {{}, LoadProblem::Damaged, {}};
    if (kind == Kind::Ico)
        JumpToLargestImage(reader);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {{}, LoadProblem::Damaged, {}};
    const QImage::Format format = reader.imageFormat();
    const Orientation orientation = OrientationOf(reader.transformation());
    const qint64 finalBytes = qint64{size.width()} * size.height() * 4;
    qint64 total = PictureBytes(size, format);
    if (!IsFinalFormat(format))
        total += finalBytes;
    if (!orientation.upright())
        total += finalBytes;
    const QSize upright = orientation.swapsSides() ? size.transposed() : size;
    if (total > limit)
        return {{}, LoadProblem::TooLarge, upright};

    // Qt's readers decode into the picture they are given when its size and format are theirs.
    QImage image = format == QImage::Format_Invalid ? QImage() : AllocatePicture(size, format);
    if (!reader.read(&image))
        return {{}, LoadProblem::Damaged, {}};
    if (!IsFinalFormat(image.format()))
        ToFinalFormat(image);
    if (!TurnUpright(image, orientation))
        return {{}, LoadProblem::TooLarge, upright};
    return {std::move(image), LoadProblem::None, {}};
}

struct Decoded {
    DecodedPicture picture;
    LoadWarning warning = LoadWarning::None;
};

Decoded DecodeJpegWithProfile(const QByteArray &bytes, qint64 limit, int threads)
{
    DecodedJpeg jpeg = DecodeJpeg(bytes, limit, threads);
    Decoded out{std::move(jpeg.picture)};
    if (out.picture.problem != LoadProblem::None || jpeg.profileApplied)
        return out;
    // A CMYK file's profile describes its inks, never the RGB the plain formula made of them.
    if (jpeg.profileUnusable) {
        out.warning = LoadWarning::ProfileIgnored;
        return out;
    }
    const bool tagged = !jpeg.iccProfile.isEmpty() && TagWithProfile(out.picture.image, jpeg.iccProfile);
    if (jpeg.profileBroken || (!jpeg.iccProfile.isEmpty() && !tagged))
        out.warning = LoadWarning::ProfileIgnored;
    return out;
}

// Each format by what its bytes say it is.
Decoded DecodeBytes(const QByteArray &bytes, qint64 limit, int threads)
{
    const Kind kind = Sniff(bytes);
    switch (kind) {
    case Kind::Unknown: return {{{}, LoadProblem::NotAPicture, {}}};
    case Kind::Jpeg: return DecodeJpegWithProfile(bytes, limit, threads);
    case Kind::Bmp: return {DecodeBmp(bytes, limit)};
    case Kind::Heif: {
        DecodedHeif heif = DecodeHeif(bytes, limit, threads);
        return {std::move(heif.picture), heif.profileIgnored ? LoadWarning::ProfileIgnored : LoadWarning::None};
    }
    case Kind::Gif:
        if (!GifFirstFrameComplete(bytes))
            return {{{}, LoadProblem::Damaged, {}}};
        return {DecodeWithQt(bytes, kind, limit)};
    default: break;
    }
    // 16-bit PNGs without Qt's 64-bit picture in between, and 8- and 16-bit RGB and grey TIFFs written
    // upright as they are read, without a turned copy; every other one goes to Qt's reader.
    std::optional<DecodedPicture> deep;
    if (kind == Kind::Png && IsSixteenBitPng(bytes))
        deep = DecodeSixteenBitPng(bytes, limit);
    else if (kind == Kind::Tiff)
        deep = DecodeTiffDirectly(bytes, limit);
    Decoded out{deep ? std::move(*deep) : DecodeWithQt(bytes, kind, limit)};
    // Qt's PNG reader takes the gamma and primaries even when the sRGB chunk says what the colours are.
    if (out.picture.problem == LoadProblem::None && kind == Kind::Png && PngDeclaresSrgb(bytes))
        out.picture.image.setColorSpace(QColorSpace(QColorSpace::SRgb));
    // Qt's readers drop a profile they cannot read without a word; the file says it had one.
    if (out.picture.problem == LoadProblem::None && kind != Kind::Ico && !out.picture.image.colorSpace().isValid()
        && FileHasProfile(bytes))
        out.warning = LoadWarning::ProfileIgnored;
    return out;
}

} // namespace

void SetPictureMemoryLimit()
{
    const qint64 physical = qint64{sysconf(_SC_PHYS_PAGES)} * sysconf(_SC_PAGE_SIZE);
    // A quarter of the machine for one picture leaves room for the window and the rest of the
    // system; Qt's own default of 128 MB refuses photos of about 33 megapixels and up.
    const qint64 limit = std::clamp(physical / 4, 512 * kMegabyte, 2047 * kMegabyte);
    QImageReader::setAllocationLimit(static_cast<int>(limit / kMegabyte));
}

qint64 PictureMemoryLimit() { return qint64{QImageReader::allocationLimit()} * kMegabyte; }

LoadedPicture LoadPicture(const QString &path) { return LoadPicture(QFile::encodeName(path)); }

LoadedPicture LoadPicture(const QByteArray &localName, int threads)
{
    const qint64 limit = PictureMemoryLimit();
    FileBytes file = ReadFileOnce(localName, limit);
    if (file.problem != LoadProblem::None)
        return {{}, file.problem, {}, {}, {}};
    // The file's bytes stay in memory through the decode: they count against the limit too.
    // A photo opened in the window has the machine to itself: every core may help decode it.
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    Decoded decoded = DecodeBytes(file.bytes, limit - file.bytes.size(), threads);
    DecodedPicture &picture = decoded.picture;
    if (picture.problem != LoadProblem::None)
        return {{}, picture.problem, picture.declaredSize, {}, {}};
    ConvertToSrgb(picture.image);
    return {std::move(picture.image), LoadProblem::None, {}, decoded.warning, std::move(file.bytes)};
}

} // namespace velmora
