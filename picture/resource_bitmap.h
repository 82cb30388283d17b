// Velmora — the bitmaps built into the program, read without Qt's image plugins.
#pragma once

#include <QImage>
#include <QString>

namespace velmora {

// Decodes a BMP held in the program's resources with the program's own decoder: Qt's readers would
// first list every image plugin installed, which the first paint should not wait for. Null when the
// resource is missing or is not a whole bitmap.
QImage LoadResourceBitmap(const QString &resource);

} // namespace velmora
