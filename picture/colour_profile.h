// Velmora — pictures brought to sRGB, the colours the window shows, samples and corrects in.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPointF>

namespace velmora {

// Converts an RGB32/ARGB32 picture from the colour space it carries to sRGB, in place (no second
// full-size copy). A picture without one is taken as sRGB and left alone.
void ConvertToSrgb(QImage &image);

// Tags the picture with an embedded ICC profile. False, leaving the picture untagged, when the
// profile cannot be read or describes colours Qt cannot convert from.
bool TagWithProfile(QImage &image, const QByteArray &iccProfile);

// The chromaticities (CIE xy) of a colour space's primaries and white point.
struct Chromaticities {
    QPointF red, green, blue, white;
};

// Tags the picture with the colour space an nclx description names (as HEIF and AVIF files carry
// it, in ITU-T H.273 code points): its primaries and its transfer characteristics. Pictures already
// in sRGB stay untagged. False, leaving the picture untagged, for a transfer Qt cannot convert from
// (PQ, HLG, logarithmic).
bool TagWithPrimaries(QImage &image, const Chromaticities &primaries, int transfer);

// Whether a PNG (iCCP chunk), WebP (ICCP chunk) or TIFF (ICC tag) file carries an embedded profile,
// so a profile Qt's readers drop without a word can be told from none at all.
bool FileHasProfile(const QByteArray &bytes);

// Whether a PNG's colours are sRGB by its sRGB chunk: present, and no iCCP profile before it to
// decide instead. Such a file's gAMA and cHRM are only hints for readers that know no sRGB, so
// they must not be applied on top.
bool PngDeclaresSrgb(const QByteArray &bytes);

} // namespace velmora
