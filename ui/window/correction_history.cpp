// Velmora — the passes made on the photo since it was loaded.
#include "ui/window/correction_history.h"

#include <algorithm>
#include <cstring>

#include "core/picture_surface.h"

namespace velmora {

void CorrectionHistory::reset(const QImage &loaded)
{
    m_loaded = loaded;
    m_passes.clear();
    m_serials.clear();
    m_applied = 0;
    m_base = m_nextSerial++;
    m_replayable = true;
}

std::optional<std::vector<Step>> CorrectionHistory::appliedPasses() const
{
    if (!m_replayable)
        return std::nullopt;
    return appliedSteps();
}

std::vector<Step> CorrectionHistory::appliedSteps() const
{
    std::vector<Step> applied;
    for (std::size_t i = 0; i < m_applied; ++i)
        applied.push_back(StepOf(m_passes[i]));
    return applied;
}

void CorrectionHistory::recordPass(const Gains &gains)
{
    CorrectionRecord record;
    record.gains = gains;
    recordPass(record);
}

void CorrectionHistory::recordPass(const CorrectionRecord &record)
{
    if (m_loaded.isNull())
        return;
    m_passes.resize(m_applied);
    m_serials.resize(m_applied);
    m_passes.push_back(record);
    m_serials.push_back(m_nextSerial++);
    m_applied = m_passes.size();
}

void CorrectionHistory::forget()
{
    m_passes.clear();
    m_serials.clear();
    m_applied = 0;
    m_base = m_nextSerial++; // what the photo holds now matches no earlier state
    m_replayable = false;
}

void CorrectionHistory::undo(PictureSurface &picture)
{
    if (!canUndo())
        return;
    --m_applied;
    replay(picture);
}

void CorrectionHistory::redo(PictureSurface &picture)
{
    if (!canRedo())
        return;
    ++m_applied;
    replay(picture);
}

void CorrectionHistory::replay(PictureSurface &picture) const
{
    // Each pass by the rule it ran with, whatever the rule in force now.
    const RowTables tables = MakeRowTables(appliedSteps());
    const int rows = std::min(m_loaded.height(), picture.drawingHeight());
    for (int y = 0; y < rows; ++y) {
        const PixelRow row = picture.row(y);
        const int width = std::min(row.width, m_loaded.width());
        std::memcpy(row.pixels, m_loaded.constScanLine(y), std::size_t(width) * sizeof(std::uint32_t));
        MapRow(row.pixels, width, tables);
        picture.refresh();
    }
}

} // namespace velmora
