// Velmora — JPEG encoding with full-resolution colour.
#pragma once

#include <optional>

#include <QByteArray>
#include <QImage>

namespace velmora {

// The picture as a JPEG written the one way every path writes them (see io/jpeg_setup.h) at
// `quality` (1–100), tagged with `iccProfile` when one is given, with the density of `original`
// when that is a JPEG that states one, or the resolution another format states; nothing when the
// encoder fails.
std::optional<QByteArray> EncodeJpeg(const QImage &image, int quality, const QByteArray &iccProfile,
                                     const QByteArray &original = {});

} // namespace velmora
