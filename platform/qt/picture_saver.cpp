// Velmora — writing pictures as Windows bitmaps.
#include "platform/qt/picture_saver.h"

#include <algorithm>
#include <vector>

#include <fcntl.h>

#include <QSaveFile>
#include <QtEndian>

namespace velmora {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

QByteArray BitmapHeader(int width, int height, quint32 imageBytes)
{
    QByteArray header(54, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, header.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, header.data() + at); };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<quint32>(width));
    put32(22, static_cast<quint32>(height)); // positive: rows bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(34, imageBytes);
    put32(38, 3780); // 96 pixels per inch
    put32(42, 3780);
    return header;
}

// One bitmap row from 0xFFRRGGBB pixels: blue, green, red bytes, four pixels to three words.
void PackBitmapRow(const quint32 *in, int width, char *out)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, out += 12) {
        const quint32 p0 = in[x] & 0xFFFFFF, p1 = in[x + 1] & 0xFFFFFF, p2 = in[x + 2] & 0xFFFFFF,
                      p3 = in[x + 3] & 0xFFFFFF;
        qToLittleEndian<quint32>(p0 | p1 << 24, out);
        qToLittleEndian<quint32>(p1 >> 8 | p2 << 16, out + 4);
        qToLittleEndian<quint32>(p2 >> 16 | p3 << 8, out + 8);
    }
    for (; x < width; ++x, out += 3) {
        out[0] = static_cast<char>(in[x]);
        out[1] = static_cast<char>(in[x] >> 8);
        out[2] = static_cast<char>(in[x] >> 16);
    }
}

// Starts writing what is already written out to disk, so the flush before the rename has
// little left to wait for.
void StartWriteback(QSaveFile &file, qint64 upTo)
{
#if defined(__linux__)
    file.flush();
    sync_file_range(file.handle(), 0, upTo, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(file);
    Q_UNUSED(upTo);
#endif
}

QString WriteFailure(const QSaveFile &file)
{
    switch (file.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QStringLiteral("无法在该文件夹中写入文件（没有权限或文件夹不存在）");
    case QFileDevice::RenameError:
        return QStringLiteral("无法替换原有文件");
    default:
        // A write that stops part-way: the disk is full or the file grew past what the system allows.
        return QStringLiteral("写入文件失败，磁盘可能已满");
    }
}

} // namespace

QString SavePicture(const QImage &source, const QString &path)
{
    const QImage image = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const qint64 rowBytes = (qint64{width} * 3 + 3) & ~qint64{3};
    if (width <= 0 || height <= 0 || rowBytes * height > 0xFFFFFFFFLL - 54)
        return QStringLiteral("图片太大，无法保存为BMP格式");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteFailure(file);
    file.write(BitmapHeader(width, height, static_cast<quint32>(rowBytes * height)));

    // Rows go out in batches of about a megabyte: few system calls, little extra memory.
    const int rowsPerBatch = static_cast<int>(std::max<qint64>(1, kMegabyte / rowBytes));
    std::vector<char> batch(static_cast<std::size_t>(rowBytes * rowsPerBatch), '\0');
    qint64 written = 54, sinceWriteback = 0;
    for (int y = height - 1; y >= 0;) {
        char *out = batch.data();
        int rows = 0;
        for (; rows < rowsPerBatch && y >= 0; ++rows, --y, out += rowBytes)
            PackBitmapRow(reinterpret_cast<const quint32 *>(image.constScanLine(y)), width, out);
        if (file.write(batch.data(), rowBytes * rows) != rowBytes * rows) {
            const QString reason = WriteFailure(file);
            file.cancelWriting();
            return reason;
        }
        written += rowBytes * rows;
        sinceWriteback += rowBytes * rows;
        if (sinceWriteback >= 8 * kMegabyte) {
            StartWriteback(file, written);
            sinceWriteback = 0;
        }
    }
    if (!file.commit())
        return WriteFailure(file);
    return {};
}

} // namespace velmora
