// Velmora — the per-channel gain rule, as lookup tables applied to whole rows.
#include "core/gain_table.h"

#include <cmath>

namespace velmora {

std::uint8_t CorrectChannel(float gain, std::int32_t value)
{
    // Clamped before any integer conversion, so huge typed gains saturate instead of overflowing.
    const double corrected = std::floor(static_cast<double>(gain) * value) + value;
    if (corrected > 255)
        return 255;
    if (corrected < 0)
        return 0;
    return static_cast<std::uint8_t>(corrected);
}

RowTables MakeRowTables(const Gains &gains)
{
    RowTables t;
    for (std::uint32_t v = 0; v < 256; ++v) {
        t.red[v] = std::uint32_t{CorrectChannel(gains.red, v)} << 16;
        t.green[v] = std::uint32_t{CorrectChannel(gains.green, v)} << 8;
        t.blue[v] = std::uint32_t{CorrectChannel(gains.blue, v)} | 0xFF000000u;
    }
    return t;
}

void MapRow(std::uint32_t *row, int width, const RowTables &tables)
{
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = row[x];
        row[x] = tables.red[(p >> 16) & 0xFF] | tables.green[(p >> 8) & 0xFF] | tables.blue[p & 0xFF];
    }
}

} // namespace velmora
