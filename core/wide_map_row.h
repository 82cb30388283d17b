// Velmora — the row mapping with 64-byte table lookups, where the processor has them.
#pragma once

#include <cstdint>

namespace velmora {

// True when this processor can run WideMapRow.
bool WideMapRowAvailable();

// Maps whole groups of 16 pixels of 0xFFRRGGBB in place through 256-byte tables for blue, green and red,
// laid end to end; returns how many pixels it mapped (the rest are the caller's).
int WideMapRow(std::uint32_t *row, int width, const std::uint8_t *tables);

} // namespace velmora
