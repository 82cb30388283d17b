// Velmora — reading pictures from files.
#pragma once

#include <QImage>
#include <QString>

namespace velmora {

struct LoadedPicture {
    QImage image;
    QString error; // the reason in the window's language; empty on success
};

// Sets how many megabytes one decoded picture may take, from the machine's memory.
void SetPictureMemoryLimit();
// The limit in force, in bytes.
qint64 PictureMemoryLimit();

// BMP, JPEG, GIF (first frame) and ICO (largest image), upright by its EXIF orientation.
LoadedPicture LoadPicture(const QString &path);

} // namespace velmora
