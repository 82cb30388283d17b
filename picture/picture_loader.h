// Velmora — reading pictures from files.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "picture/decoded_picture.h"

namespace velmora {

// Something the window should say about a picture that did load.
enum class LoadWarning { None, ProfileIgnored };

struct LoadedPicture {
    QImage image; // Format_RGB32 or ARGB32, upright, in sRGB; null unless problem is None
    LoadProblem problem = LoadProblem::None;
    QSize declaredSize; // for TooLarge: the size the file claims, if it got that far
    LoadWarning warning = LoadWarning::None;
    QByteArray encoded; // the file's bytes as read, for carrying its camera data over on saving
};

// Sets how many megabytes one load may take, from the machine's memory.
void SetPictureMemoryLimit();
// The limit in force, in bytes.
qint64 PictureMemoryLimit();

// BMP, JPEG, GIF (first frame), ICO (largest image), PNG, TIFF and WebP, upright by the EXIF
// orientation, and HEIC/HEIF and AVIF (the primary picture), upright by the file's own turn and
// mirror alone; converted to sRGB from an embedded colour profile or an HEIF file's nclx colours. The file is named by its bytes
// as the system knows them, so names in any encoding open; it is read once and decoded from memory.
// `threads`: how many threads may decode it (a large JPEG uses two); 0 for every core.
LoadedPicture LoadPicture(const QByteArray &localName, int threads = 0);
LoadedPicture LoadPicture(const QString &path);

} // namespace velmora
