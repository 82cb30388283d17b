// Velmora — the orientation a camera wrote into a JPEG's EXIF block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// The orientation tag (1..8, a SHORT) from an APP1 marker's payload ("Exif\0\0" then a TIFF block);
// 1, upright as stored, when the tag is missing, out of range or the block is damaged.
int ExifOrientation(const std::uint8_t *payload, std::size_t size);

} // namespace velmora
