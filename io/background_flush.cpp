// Velmora — a file's bytes sent to the disk while more are still being written.
#include "io/background_flush.h"

#include <system_error>

#include <unistd.h>

namespace velmora {

void BackgroundFlush::nudge()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_finishing)
            return;
        if (!m_thread.joinable()) {
            try {
                m_thread = std::thread([this] { loop(); });
            } catch (const std::system_error &) {
                // No thread to be had: the flush before the file appears does all the work.
                m_finishing = true;
                return;
            }
        }
        m_pending = true;
    }
    m_wake.notify_one();
}

BackgroundFlush::~BackgroundFlush()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = false;
    }
    finish();
}

void BackgroundFlush::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundFlush::loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_finishing; });
        if (!m_pending)
            return;
        m_pending = false;
        lock.unlock();
        if (::fdatasync(m_fd) != 0)
            m_failed = true;
        lock.lock();
    }
}

} // namespace velmora
