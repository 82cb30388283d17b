// Velmora — writing pictures as Windows bitmaps.
#pragma once

#include <QImage>
#include <QString>

namespace velmora {

// Writes a 24-bit uncompressed bottom-up bitmap beside the target and renames it into place only
// once complete, so a failed save leaves any earlier file intact. Empty on success, else the reason.
QString SavePicture(const QImage &image, const QString &path);

} // namespace velmora
