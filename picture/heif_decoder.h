// Velmora — HEIF photos (HEIC, AVIF) decoded by libheif.
#pragma once

#include <QByteArray>

#include "picture/decoded_picture.h"

namespace velmora {

// Whether the bytes are an HEIF file: an 'ftyp' box naming a picture brand.
bool IsHeif(const QByteArray &bytes);

struct DecodedHeif {
    DecodedPicture picture;
    bool profileIgnored = false; // the file describes its colours in a way that could not be used
};

// The primary picture, 8 bits a channel, turned and mirrored by the file's own properties (never by
// its EXIF orientation), its alpha kept, tagged with its colour space (ICC profile or nclx
// description). The size the header claims is judged against `limit` (bytes) before any pixel is
// decoded. `threads`: how many threads may decode its tiles.
DecodedHeif DecodeHeif(const QByteArray &bytes, qint64 limit, int threads);

// The primary picture's camera data: EXIF as a TIFF structure (from its "II*"/"MM" header) and
// the XMP packet; empty when there is none or the file cannot be read.
struct HeifCameraData {
    QByteArray exif;
    QByteArray xmp;
};
HeifCameraData ReadHeifCameraData(const QByteArray &bytes);

} // namespace velmora
