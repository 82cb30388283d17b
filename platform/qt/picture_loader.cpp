// Velmora — reading pictures from files.
#include "platform/qt/picture_loader.h"

#include <algorithm>

#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QtEndian>

namespace velmora {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

QString ReadFailure(QImageReader::ImageReaderError error)
{
    switch (error) {
    case QImageReader::FileNotFoundError: return QStringLiteral("文件不存在或无法读取");
    case QImageReader::DeviceError: return QStringLiteral("读取文件时出错");
    case QImageReader::UnsupportedFormatError: return QStringLiteral("不是可识别的图片格式");
    case QImageReader::InvalidDataError: return QStringLiteral("图片数据已损坏或不完整");
    case QImageReader::UnknownError: break;
    }
    return QStringLiteral("图片数据已损坏或不完整");
}

QString TooLarge(QSize size)
{
    return QStringLiteral("图片太大（%1 × %2 像素），超出了本机内存允许的 %3 MB")
        .arg(size.width())
        .arg(size.height())
        .arg(PictureMemoryLimit() / kMegabyte);
}

bool ExceedsLimit(QSize size)
{
    return size.isValid() && qint64{size.width()} * size.height() * 4 > PictureMemoryLimit();
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

// Qt's readers show a cut-off bitmap or JPEG as far as it goes, without an error; such a file
// is damaged, and correcting half a photo would only hide that.
bool IsTruncated(const QString &path, const QByteArray &format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (format == "bmp") {
        const QByteArray header = file.read(54);
        if (header.size() < 54)
            return true;
        const quint32 offset = qFromLittleEndian<quint32>(header.constData() + 10);
        const qint32 width = qFromLittleEndian<qint32>(header.constData() + 18);
        const qint32 height = qFromLittleEndian<qint32>(header.constData() + 22);
        const quint16 bits = qFromLittleEndian<quint16>(header.constData() + 28);
        const quint32 compression = qFromLittleEndian<quint32>(header.constData() + 30);
        if (compression != 0 && compression != 3) // run-length data has no fixed size
            return false;
        const qint64 rowBytes = ((qint64{width} * bits + 31) / 32) * 4;
        return qint64{offset} + rowBytes * std::abs(qint64{height}) > size;
    }
    if (format == "jpeg" || format == "jpg") {
        // Picture data cannot hold the end marker, so a whole file shows it in its last bytes.
        file.seek(std::max<qint64>(0, size - 4096));
        return !file.read(4096).contains(QByteArray("\xFF\xD9", 2));
    }
    return false;
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

LoadedPicture LoadPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {{}, ReadFailure(reader.error())};
    JumpToLargestImage(reader);
    if (ExceedsLimit(reader.size()))
        return {{}, TooLarge(reader.size())};
    if (IsTruncated(path, reader.format()))
        return {{}, ReadFailure(QImageReader::InvalidDataError)};
    QImage image;
    if (!reader.read(&image)) {
        if (ExceedsLimit(reader.size()))
            return {{}, TooLarge(reader.size())};
        return {{}, ReadFailure(reader.error())};
    }
    return {std::move(image), {}};
}

} // namespace velmora
