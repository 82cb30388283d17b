// Velmora — 8- and 16-bit TIFFs, decoded by libtiff from the file's bytes straight into the 32-bit picture.
#pragma once

#include <optional>

#include <QByteArray>

#include "picture/decoded_picture.h"

namespace velmora {

// The first image of a TIFF with 8- or 16-bit unsigned samples: RGB with or without an alpha sample,
// and single-sample min-is-black grey; strips or tiles, one plane or separate planes; any compression
// but JPEG. 8-bit samples are kept as they are, 16-bit ones become round(v × 255 / 65535); associated
// alpha is undone, unassociated alpha kept as stored, and the pixels are written turned
// upright by the orientation tag, so no second full-size picture is ever made. An embedded ICC
// profile becomes the picture's colour space (an unreadable one an invalid colour space).
// nullopt for every other TIFF and for one libtiff cannot open: those are left to Qt's reader.
// Damaged when a read fails or libtiff reports an error, never a picture filled in part.
// TooLarge, with the upright size, when the picture and the read's buffers exceed memoryLimitBytes;
// refused before anything is allocated.
std::optional<DecodedPicture> DecodeTiffDirectly(const QByteArray &bytes, qint64 memoryLimitBytes);

} // namespace velmora
