// Velmora — what an HEIF file (HEIC, AVIF) says in its boxes before anything is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmora {

// Whether the bytes begin with an 'ftyp' box naming one of the HEIF picture brands (HEIC, AVIF,
// the plain HEIF image brands), as its major brand or a compatible one.
bool IsHeifFile(const std::uint8_t *data, std::size_t size);

// The size the primary picture's 'ispe' property claims, before any turn or crop: read from the
// 'meta' box alone, every read checked against `size`, so the head of a file is enough.
struct HeifClaim {
    std::uint32_t width = 0, height = 0;
};
std::optional<HeifClaim> ReadHeifClaim(const std::uint8_t *data, std::size_t size);

} // namespace velmora
