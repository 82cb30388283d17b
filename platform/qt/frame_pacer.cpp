// Velmora — holds repaints to the display's pace.
#include "platform/qt/frame_pacer.h"

namespace velmora {

FramePacer::FramePacer(std::function<void()> late)
{
    m_late.setSingleShot(true);
    QObject::connect(&m_late, &QTimer::timeout, [this, late = std::move(late)] {
        m_sinceRepaint.restart();
        late();
    });
}

bool FramePacer::now()
{
    if (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= kFrameMilliseconds) {
        m_late.stop();
        m_sinceRepaint.restart();
        return true;
    }
    if (!m_late.isActive())
        m_late.start(int(kFrameMilliseconds - m_sinceRepaint.elapsed()));
    return false;
}

} // namespace velmora
