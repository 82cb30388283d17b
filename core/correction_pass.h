// Velmora — the pass: every row of the target picture rewritten through the gain tables, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/gain_table.h"
#include "core/picture_surface.h"

namespace velmora {

// Whole percent done after `row` of a picture whose last row is `lastRow`, floored from the
// quotient in double precision; 100 for a one-row picture.
std::int32_t ProgressPercent(std::int32_t row, float lastRow);
// "已完成_37%".
std::string ProgressText(std::int32_t percent);

// Called after each row with its index; false stops the pass before the next row.
using AfterRow = std::function<bool(std::int32_t row)>;

// Rewrites rows 0..lastRow, each within the columns 0..lastColumn of whatever picture the
// surface holds when the row starts, and marks each for refresh. True when every row ran.
bool MapRows(PictureSurface &surface, const RowTables &tables, std::int32_t lastColumn, std::int32_t lastRow,
             const AfterRow &afterRow);

} // namespace velmora
