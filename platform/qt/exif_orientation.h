// Velmora — the orientation a camera recorded in a photo's EXIF data.
#pragma once

#include <QByteArray>

namespace velmora {

// 1 (upright, the default) to 8, from the payload of a JPEG APP1 segment ("Exif\0\0" and a TIFF
// structure). Anything missing, cut or out of range gives 1.
int ExifOrientation(const QByteArray &app1);

} // namespace velmora
