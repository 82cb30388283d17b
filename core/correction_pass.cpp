// Velmora — the pass over the rows.
#include "core/correction_pass.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"

namespace velmora {

std::int32_t ProgressPercent(std::int32_t row, float lastRow)
{
    // One row leaves nothing to divide by; it is done as soon as it is written.
    if (!(lastRow > 0))
        return 100;
    return static_cast<std::int32_t>(std::floor(row / static_cast<double>(lastRow) * 100));
}

std::string ProgressText(std::int32_t percent) { return "已完成_" + IntegerText(percent) + "%"; }

bool MapRows(PictureSurface &surface, const RowTables &tables, std::int32_t lastColumn, std::int32_t lastRow,
             const AfterRow &afterRow)
{
    for (std::int32_t y = 0; y <= lastRow; ++y) {
        const PixelRow row = surface.row(y);
        MapRow(row.pixels, std::min(row.width, lastColumn + 1), tables);
        surface.refresh();
        if (!afterRow(y))
            return false;
    }
    return true;
}

} // namespace velmora
