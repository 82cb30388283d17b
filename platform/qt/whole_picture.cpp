// Velmora — a picture corrected whole.
#include "platform/qt/whole_picture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include "platform/qt/picture_loader.h"
#include "platform/qt/picture_saver.h"
#include "platform/stream/atomic_output.h"

namespace velmora {

namespace {

const char *WriterFormat(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Jpeg: return "jpeg";
    case PictureFormat::Png: return "png";
    case PictureFormat::Tiff: return "tiff";
    case PictureFormat::Webp: return "webp";
    }
    return "png";
}

QString OutputFailure(OutputError error)
{
    switch (error) {
    case OutputError::Exists: return QStringLiteral("输出文件已存在");
    case OutputError::CannotCreate: return QStringLiteral("无法在该文件夹中写入文件（没有权限或文件夹不存在）");
    case OutputError::WriteFailed:
    case OutputError::None: break;
    }
    return QStringLiteral("写入文件失败，磁盘可能已满");
}

// As the window shows a picture: opaque 0xFFRRGGBB, transparent parts laid over white.
QImage Opaque(QImage picture)
{
    if (picture.hasAlphaChannel()) {
        QImage opaque(picture.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
        return opaque;
    }
    if (picture.format() != QImage::Format_RGB32)
        picture.convertTo(QImage::Format_RGB32);
    return picture;
}

} // namespace

QString SaveCorrected(const QImage &image, const QString &path, PictureFormat format, int quality, bool replace)
{
    if (!replace && QFile::exists(path))
        return OutputFailure(OutputError::Exists);
    if (format == PictureFormat::Bmp)
        return SavePicture(image, path);

    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, WriterFormat(format));
    writer.setQuality(quality);
    if (!writer.write(image))
        return QStringLiteral("无法编码为所选格式：%1").arg(writer.errorString());
    AtomicOutput output(QFile::encodeName(path).toStdString(), replace);
    output.append(encoded.data().constData(), static_cast<std::size_t>(encoded.data().size()));
    const OutputError error = output.commit(); // reports an earlier failure as well
    return error == OutputError::None ? QString() : OutputFailure(error);
}

QString CorrectWholePicture(const QString &input, const QString &output, const RowTables &tables,
                            PictureFormat format, int quality, bool replace)
{
    LoadedPicture loaded = LoadPicture(input);
    if (!loaded.error.isEmpty())
        return loaded.error;
    QImage image = Opaque(std::move(loaded.image));
    for (int y = 0; y < image.height(); ++y)
        MapRow(reinterpret_cast<std::uint32_t *>(image.scanLine(y)), image.width(), tables);
    return SaveCorrected(image, output, format, quality, replace);
}

} // namespace velmora
