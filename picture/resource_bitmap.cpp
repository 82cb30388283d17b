// Velmora — the bitmaps built into the program, read without Qt's image plugins.
#include "picture/resource_bitmap.h"

#include <QFile>

#include "picture/bmp_decoder.h"

namespace velmora {

QImage LoadResourceBitmap(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    constexpr qint64 kLimit = qint64{16} << 20; // the built-in bitmaps are a few kilobytes
    DecodedPicture decoded = DecodeBmp(file.readAll(), kLimit);
    return decoded.problem == LoadProblem::None ? std::move(decoded.image) : QImage();
}

} // namespace velmora
