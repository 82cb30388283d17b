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

#include "picture/atomic_file.h"
#include "picture/jpeg_writer.h"
#include "picture/metadata_copy.h"
#include "io/bitmap_rows.h"

namespace velmora {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;
constexpr int kWebpMaxSide = 16383;
constexpr int kJpegMaxSide = 65500;

QImage Opaque32(const QImage &source)
{
    return source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
               ? source
               : source.convertToFormat(QImage::Format_RGB32);
}

// The sRGB profile every encoded format carries: the pixels are sRGB from loading on.
QByteArray SrgbProfile() { return QColorSpace(QColorSpace::SRgb).iccProfile(); }

std::optional<QByteArray> EncodeWithQt(const QImage &source, const char *format, int quality, int compression)
{
    QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    rgb.setColorSpace(QColorSpace(QColorSpace::SRgb));
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
std::optional<QByteArray> Encode(const QImage &image, SaveFormat format, const SaveOptions &options,
                                 const QByteArray &original)
{
    switch (format) {
    case SaveFormat::Png:
        return EncodeWithQt(image, "png", -1, -1);
    case SaveFormat::Tiff:
        return EncodeWithQt(image, "tiff", -1, 1); // LZW, lossless
    case SaveFormat::WebP:
        // Qt's WebP writer encodes losslessly at quality 100.
        return EncodeWithQt(image, "webp", options.webpLossless ? 100 : std::clamp(options.webpQuality, 1, 99), -1);
    case SaveFormat::Jpeg:
        return EncodeJpeg(image, options.jpegQuality, SrgbProfile(), original);
    case SaveFormat::Bmp:
        break;
    }
    return std::nullopt;
}

bool TooLargeFor(SaveFormat format, QSize size)
{
    const int side = std::max(size.width(), size.height());
    return (format == SaveFormat::WebP && side > kWebpMaxSide) || (format == SaveFormat::Jpeg && side > kJpegMaxSide);
}

SaveOutcome WriteWhole(const QByteArray &bytes, const QByteArray &localName)
{
    AtomicFile file(localName);
    SaveOutcome outcome = file.open();
    if (outcome.ok())
        outcome = file.write(bytes.constData(), bytes.size());
    if (outcome.ok())
        outcome = file.commit();
    return outcome;
}

SaveOutcome SaveBitmapTo(const QImage &source, const QByteArray &localName)
{
    const QImage image = Opaque32(source);
    const std::optional<BitmapLayout> layout = LayOutBitmap(image.width(), image.height());
    if (!layout)
        return {SaveProblem::TooLargeForFormat};

    AtomicFile file(localName);
    if (SaveOutcome opened = file.open(); !opened.ok())
        return opened;
    const auto header = BitmapHeader(*layout);
    if (SaveOutcome wrote = file.write(reinterpret_cast<const char *>(header.data()), qint64(header.size()));
        !wrote.ok())
        return wrote;

    // Rows go out in batches of about a megabyte: few system calls, little extra memory.
    const qint64 rowBytes = layout->rowBytes;
    const int rowsPerBatch = static_cast<int>(std::max<qint64>(1, kMegabyte / rowBytes));
    std::vector<std::uint8_t> batch(static_cast<std::size_t>(rowBytes * rowsPerBatch), 0);
    qint64 sinceWriteback = 0;
    for (int y = layout->height - 1; y >= 0;) {
        std::uint8_t *out = batch.data();
        int rows = 0;
        for (; rows < rowsPerBatch && y >= 0; ++rows, --y, out += rowBytes)
            PackBitmapRow(reinterpret_cast<const std::uint32_t *>(image.constScanLine(y)), layout->width, out);
        if (SaveOutcome wrote = file.write(reinterpret_cast<const char *>(batch.data()), rowBytes * rows); !wrote.ok())
            return wrote;
        // Writing out early leaves the final flush little to wait for.
        sinceWriteback += rowBytes * rows;
        if (sinceWriteback >= 8 * kMegabyte) {
            file.startWriteback();
            sinceWriteback = 0;
        }
    }
    return file.commit();
}

} // namespace

SaveOutcome SaveBitmap(const QImage &source, const QString &path) { return SaveBitmapTo(source, QFile::encodeName(path)); }

SaveOutcome SavePicture(const SaveRequest &request) { return SavePicture(request, QFile::encodeName(request.path)); }

SaveOutcome SavePicture(const SaveRequest &request, const QByteArray &localPath)
{
    if (request.format == SaveFormat::Bmp)
        return SaveBitmapTo(request.image, localPath);
    if (request.image.isNull())
        return {SaveProblem::EncodeFailed};
    if (TooLargeFor(request.format, request.image.size()))
        return {SaveProblem::TooLargeForFormat};
    const std::optional<QByteArray> encoded = Encode(request.image, request.format, request.options, request.original);
    if (!encoded)
        return {SaveProblem::EncodeFailed};
    const CopiedMetadata withMetadata = CopyMetadata(request.original, *encoded, request.image.size());
    SaveOutcome outcome = WriteWhole(withMetadata.bytes, localPath);
    outcome.cameraDataDropped = outcome.ok() && withMetadata.dropped;
    return outcome;
}

} // namespace velmora
