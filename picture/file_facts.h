// Velmora — what a photo's file says about itself that a save keeps or owns up to losing: its
// resolution, and whether its channels hold more than 8 bits.
#pragma once

#include <optional>

#include <QByteArray>
#include <QSize>

namespace velmora {

// The resolution a JPEG (JFIF density), PNG (pHYs), TIFF (XResolution, YResolution) or BMP states,
// in dots per metre; nothing when it states none, or only an aspect ratio.
std::optional<QSize> DotsPerMeterOf(const QByteArray &file);

// Whether a PNG or TIFF stores 16 bits a channel, which the corrected picture cannot keep.
bool HasDeepChannels(const QByteArray &file);

} // namespace velmora
