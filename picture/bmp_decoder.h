// Velmora — Windows and OS/2 bitmaps, decoded from the file's bytes.
#pragma once

#include <QByteArray>

#include "picture/decoded_picture.h"

namespace velmora {

// Every header kind (12, 40, 52, 56, 108 and 124 bytes), bottom-up and top-down, 1 to 32 bits,
// uncompressed, run-length and bit-field pixels. A picture whose data stops early is Damaged,
// never shown in part; one that would take more than memoryLimitBytes is TooLarge, refused
// before anything is allocated.
DecodedPicture DecodeBmp(const QByteArray &bytes, qint64 memoryLimitBytes);

} // namespace velmora
