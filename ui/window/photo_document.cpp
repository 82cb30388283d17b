// Velmora — the photo being corrected.
#include "ui/window/photo_document.h"

#include <QImage>

namespace velmora {

void PhotoDocument::load(std::string path, QByteArray fileBytes, const QImage &loaded, const QImage &withAlpha)
{
    m_path = std::move(path);
    m_fileBytes = std::move(fileBytes);
    m_withAlpha = withAlpha;
    ++m_generation;
    m_history.reset(loaded);
    m_savedState = m_history.state();
}

void PhotoDocument::passCompleted(int generation, const CorrectionRecord &record)
{
    if (generation == m_generation)
        m_history.recordPass(record);
    else
        m_history.forget(); // the photo was replaced while the rows ran: nothing to replay from
    m_lastCorrection = record;
}

} // namespace velmora

namespace velmora {

std::optional<CorrectionRecord> PhotoDocument::currentCorrection() const
{
    if (const CorrectionRecord *shown = m_history.current())
        return *shown;
    if (m_history.hasPasses())
        return std::nullopt;
    return m_lastCorrection;
}

} // namespace velmora
