// Velmora — writing the corrected picture: the 24-bit BMP, or PNG, JPEG, TIFF, WebP.
#include "picture/picture_saver.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageWriter>
#include <QPainter>

#include "picture/file_facts.h"
#include "picture/jpeg_writer.h"
#include "picture/metadata_copy.h"
#include "io/atomic_output.h"
#include "io/bitmap_rows.h"

namespace velmora {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;
constexpr int kWebpMaxSide = 16383;
constexpr int kJpegMaxSide = 65500;

// Transparent and half-transparent parts laid over white, as paper shows them.
QImage OverWhite(const QImage &picture)
{
    QImage opaque(picture.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, picture);
    return opaque;
}

QImage Opaque32(const QImage &source)
{
    if (source.hasAlphaChannel())
        return OverWhite(source);
    return source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
}

bool KeepsAlpha(PictureFormat format)
{
    return format == PictureFormat::Png || format == PictureFormat::Tiff || format == PictureFormat::WebP;
}

// Whether any pixel is less than opaque: a picture may carry an alpha channel it does not use.
bool HasTransparency(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (row[x] < 0xFF000000u)
                return true;
    }
    return false;
}

// The sRGB profile every encoded format carries: the pixels are sRGB from loading on.
QByteArray SrgbProfile() { return QColorSpace(QColorSpace::SRgb).iccProfile(); }

// The alpha goes along when the picture has one; the resolution when the photo's file gave one.
std::optional<QByteArray> EncodeWithQt(const QImage &source, const char *format, int quality, int compression,
                                       std::optional<QSize> dotsPerMeter)
{
    QImage rgb = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    rgb.setColorSpace(QColorSpace(QColorSpace::SRgb));
    if (dotsPerMeter) {
        rgb.setDotsPerMeterX(dotsPerMeter->width());
        rgb.setDotsPerMeterY(dotsPerMeter->height());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (compression >= 0)
        writer.setCompression(compression);
    if (!writer.write(rgb))
        return std::nullopt;
    return bytes;
}

// A JPEG takes its density from `original` when that is a JPEG stating one.
std::optional<QByteArray> Encode(const QImage &image, PictureFormat format, const SaveOptions &options,
                                 const QByteArray &original)
{
    const std::optional<QSize> dpm = DotsPerMeterOf(original);
    switch (format) {
    case PictureFormat::Png:
        return EncodeWithQt(image, "png", -1, -1, dpm);
    case PictureFormat::Tiff:
        return EncodeWithQt(image, "tiff", -1, 1, dpm); // LZW, lossless
    case PictureFormat::WebP:
        // Qt's WebP writer encodes losslessly at quality 100.
        return EncodeWithQt(image, "webp", options.webpLossless ? 100 : std::clamp(options.webpQuality, 1, 99), -1, dpm);
    case PictureFormat::Jpeg:
        return EncodeJpeg(image, options.jpegQuality, SrgbProfile(), original);
    case PictureFormat::Bmp: // written row by row, not encoded whole
    case PictureFormat::Gif:
    case PictureFormat::Ico:
    case PictureFormat::Heif:
    case PictureFormat::Avif:
        break;
    }
    return std::nullopt;
}

bool TooLargeFor(PictureFormat format, QSize size)
{
    const int side = std::max(size.width(), size.height());
    return (format == PictureFormat::WebP && side > kWebpMaxSide) || (format == PictureFormat::Jpeg && side > kJpegMaxSide);
}

SaveOutcome OutcomeOf(const AtomicOutput &file) { return SaveOutcomeOf(file.error(), file.systemError()); }

SaveOutcome WriteWhole(const QByteArray &bytes, const QByteArray &localName, OutputPolicy policy)
{
    AtomicOutput file(localName.toStdString(), policy);
    if (file.append(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        file.commit();
    return OutcomeOf(file);
}

SaveOutcome SaveBitmapTo(const QImage &source, const QByteArray &localName, OutputPolicy policy,
                         std::optional<QSize> dotsPerMeter = std::nullopt)
{
    const QImage image = Opaque32(source);
    const std::optional<BitmapLayout> layout = LayOutBitmap(image.width(), image.height());
    if (!layout)
        return {SaveProblem::TooLargeForFormat};

    AtomicOutput file(localName.toStdString(), policy);
    const auto header = dotsPerMeter ? BitmapHeader(*layout, std::uint32_t(dotsPerMeter->width()),
                                                    std::uint32_t(dotsPerMeter->height()))
                                     : BitmapHeader(*layout);
    if (!file.append(header.data(), header.size()))
        return OutcomeOf(file);

    // Rows go out in batches of about a megabyte: few system calls, little extra memory.
    const qint64 rowBytes = layout->rowBytes;
    const int rowsPerBatch = static_cast<int>(std::max<qint64>(1, kMegabyte / rowBytes));
    std::vector<std::uint8_t> batch(static_cast<std::size_t>(rowBytes * rowsPerBatch), 0);
    for (int y = layout->height - 1; y >= 0;) {
        std::uint8_t *out = batch.data();
        int rows = 0;
        for (; rows < rowsPerBatch && y >= 0; ++rows, --y, out += rowBytes)
            PackBitmapRow(reinterpret_cast<const std::uint32_t *>(image.constScanLine(y)), layout->width, out);
        // The writer asks the disk to catch up every few megabytes, so the final flush waits less.
        if (!file.append(batch.data(), static_cast<std::size_t>(rowBytes * rows)))
            return OutcomeOf(file);
    }
    file.commit();
    return OutcomeOf(file);
}

} // namespace

SaveOutcome SaveBitmap(const QImage &image, const QString &path, OutputPolicy policy)
{
    return SaveBitmapTo(image, QFile::encodeName(path), policy);
}

SaveOutcome SavePicture(const SaveRequest &request) { return SavePicture(request, QFile::encodeName(request.path)); }

SaveOutcome SavePicture(const SaveRequest &request, const QByteArray &localPath)
{
    // What the file cannot keep, said once by whoever saved: transparency in a BMP or JPEG, and a
    // photo's 16 bits a channel in any file.
    const bool flattens = !KeepsAlpha(request.format) && HasTransparency(request.image);
    const auto noted = [&](SaveOutcome outcome) {
        if (outcome.ok()) {
            outcome.transparencyFlattened = flattens;
            outcome.depthReduced = HasDeepChannels(request.original);
        }
        return outcome;
    };
    if (request.format == PictureFormat::Bmp)
        return noted(SaveBitmapTo(request.image, localPath, request.policy, DotsPerMeterOf(request.original)));
    if (request.image.isNull())
        return {SaveProblem::EncodeFailed};
    if (TooLargeFor(request.format, request.image.size()))
        return {SaveProblem::TooLargeForFormat};
    const QImage image = KeepsAlpha(request.format) ? request.image : Opaque32(request.image);
    const std::optional<QByteArray> encoded = Encode(image, request.format, request.options, request.original);
    if (!encoded)
        return {SaveProblem::EncodeFailed};
    const CopiedMetadata withMetadata = CopyMetadata(request.original, *encoded, request.image.size());
    SaveOutcome outcome = WriteWhole(withMetadata.bytes, localPath, request.policy);
    outcome.cameraDataDropped = outcome.ok() && withMetadata.dropped;
    return noted(outcome);
}

} // namespace velmora
