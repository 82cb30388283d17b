// Velmora — JPEG photos decoded by libjpeg-turbo, refused when the decoder had to make data up.
#pragma once

#include <QByteArray>

#include "picture/decoded_picture.h"

namespace velmora {

struct DecodedJpeg {
    DecodedPicture picture;      // Format_RGB32, turned upright by its EXIF orientation
    QByteArray iccProfile;       // the embedded colour profile, empty if there is none
    bool profileBroken = false;  // profile segments present but not put together
    bool profileApplied = false; // CMYK pixels already brought to sRGB through iccProfile
    bool profileUnusable = false; // a CMYK file's profile Little CMS cannot use: the plain formula was used
    int secondDecoderFrom = 0;    // the first stored row a second decoder made; 0 if one made them all
};

// CMYK and YCCK files go to sRGB through their embedded CMYK profile when Little CMS can use it,
// otherwise by the plain ink formula.
// Judged as every JPEG path judges (io/jpeg_setup.h), so the batch and `velmora apply` give the same
// verdict. Damaged: the data ends early or is corrupt where the decoder would have to invent pixels
// (a cut scan, a cut with an end marker in a comment, a tiny file claiming a picture it cannot hold).
// Harmless warnings (stray bytes before a marker) and any data after the end marker are accepted.
// TooLarge: the picture and the decoder's own full-size buffers exceed memoryLimitBytes; refused
// before they are allocated.
// With two threads or more, a large baseline photo is decoded by two decoders at once, one from the
// top and one from further down; the pixels are the same as one decoder's.
DecodedJpeg DecodeJpeg(const QByteArray &bytes, qint64 memoryLimitBytes, int threads);

} // namespace velmora
