// Velmora — JPEG encoding with full-resolution colour.
#pragma once

#include <optional>

#include <QByteArray>
#include <QImage>

namespace velmora {

// The picture as a baseline JPEG at `quality` (1–100) with 4:4:4 chroma, tagged with `iccProfile`
// when one is given; nothing when the encoder fails.
std::optional<QByteArray> EncodeJpeg(const QImage &image, int quality, const QByteArray &iccProfile);

} // namespace velmora
