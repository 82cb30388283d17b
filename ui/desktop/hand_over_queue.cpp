// Velmora — what later starts hand over, opened one at a time in the window's own loop.
#include "ui/desktop/hand_over_queue.h"

#include <QApplication>
#include <QWidget>

namespace velmora {

namespace {

constexpr int kRetryMs = 50;

// True while a dialog or message is up, or a popup menu is open: a request waits.
bool ModalUp() { return QApplication::activeModalWidget() || QApplication::activePopupWidget(); }

} // namespace

HandOverQueue::HandOverQueue(std::function<void(const LaunchRequest &)> open, QObject *parent)
    : QObject(parent), m_open(std::move(open))
{
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &HandOverQueue::openWaiting);
}

void HandOverQueue::offer(const LaunchRequest &request)
{
    m_waiting = request;
    // Never opened from here: offer runs inside whatever loop the message arrived in.
    if (!m_retry.isActive())
        m_retry.start();
}

void HandOverQueue::openWaiting()
{
    if (!m_waiting) {
        m_retry.stop();
        return;
    }
    if (m_opening || ModalUp())
        return;
    const LaunchRequest request = std::move(*m_waiting);
    m_waiting.reset();
    m_retry.stop();
    m_opening = true;
    m_open(request);
    m_opening = false;
    if (m_waiting)
        m_retry.start();
}

} // namespace velmora
