// Velmora — 16-bit PNGs decoded by libpng straight into the 32-bit picture.
#pragma once

#include <QByteArray>

#include "picture/decoded_picture.h"

namespace velmora {

// Whether the PNG's header says 16 bits a channel.
bool IsSixteenBitPng(const QByteArray &bytes);

// Grey, grey with alpha, RGB and RGBA at 16 bits a channel, interlaced or not, each channel
// rounded to the nearest of 8 bits (v × 255 / 65535) as its row is read, so no 64-bit copy of the
// picture is ever made. Format_RGB32, or ARGB32 (not premultiplied) when the file has an alpha
// channel or a transparent colour. The picture carries the colour space the file declares: its
// ICC profile, else sRGB, else its gamma (with its primaries if it gives them).
// Damaged: the data ends early or is corrupt; the picture is never handed back in part.
// TooLarge: the picture and libpng's rows exceed memoryLimitBytes; refused before allocating.
// NotAPicture: not a PNG, or not one at 16 bits.
DecodedPicture DecodeSixteenBitPng(const QByteArray &bytes, qint64 memoryLimitBytes);

} // namespace velmora
