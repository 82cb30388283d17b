// Velmora — the photo's camera data (EXIF, XMP, IPTC) carried from its file into a saved one.
#pragma once

#include <QByteArray>
#include <QSize>

namespace velmora {

struct CopiedMetadata {
    QByteArray bytes;      // the encoded file, with the camera data when it could be written
    bool dropped = false;  // the original had camera data that could not be carried over
};

// Copies the metadata of `original` (a whole picture file) into `encoded` (a new PNG, JPEG, TIFF
// or WebP file of `size` pixels, stored upright in sRGB): orientation 1, the new dimensions, no
// embedded thumbnail, no reference to the original's colour profile. A file without metadata, or
// one whose metadata cannot be read, gives `encoded` unchanged.
CopiedMetadata CopyMetadata(const QByteArray &original, const QByteArray &encoded, QSize size);

} // namespace velmora
