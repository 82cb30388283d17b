// Velmora — BMP decoding (stand-in until the full decoder lands): Qt's reader and a length check.
#include "platform/qt/bmp_decoder.h"
#include <cstdlib>
#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
namespace velmora {
DecodedPicture DecodeBmp(const QByteArray &bytes, qint64 memoryLimitBytes)
{
    if (bytes.size() < 54)
        return {{}, LoadProblem::Damaged, {}};
    const char *h = bytes.constData();
    const qint64 width = qFromLittleEndian<qint32>(h + 18), height = std::abs(qFromLittleEndian<qint32>(h + 22));
    const quint32 compression = qFromLittleEndian<quint32>(h + 30);
    if (width * height * 4 > memoryLimitBytes)
        return {{}, LoadProblem::TooLarge, QSize(int(width), int(height))};
    if ((compression == 0 || compression == 3)
        && qFromLittleEndian<quint32>(h + 10) + ((width * qFromLittleEndian<quint16>(h + 28) + 31) / 32) * 4 * height
               > bytes.size())
        return {{}, LoadProblem::Damaged, {}};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage image;
    if (!QImageReader(&buffer, "bmp").read(&image))
        return {{}, LoadProblem::Damaged, {}};
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return {std::move(image), LoadProblem::None, {}};
}
} // namespace velmora
