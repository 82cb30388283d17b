// Velmora — bands of rows handed from one thread to another.
#include "io/band_pipe.h"

namespace velmora {

BandPipe::BandPipe(int slots, std::size_t pixelsPerSlot) : m_buffers(static_cast<std::size_t>(slots))
{
    for (int i = slots - 1; i >= 0; --i) {
        m_buffers[static_cast<std::size_t>(i)].resize(pixelsPerSlot);
        m_free.push_back(i);
    }
}

std::optional<Band> BandPipe::acquire()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || !m_free.empty(); });
    if (m_stopped)
        return std::nullopt;
    const int slot = m_free.back();
    m_free.pop_back();
    return Band{m_buffers[static_cast<std::size_t>(slot)].data(), 0, 0, slot};
}

void BandPipe::publish(const Band &band)
{
    {
        std::lock_guard lock(m_mutex);
        m_filled.push_back(band);
    }
    m_changed.notify_all();
}

void BandPipe::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

std::optional<Band> BandPipe::take()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_finished || !m_filled.empty(); });
    if (m_stopped || m_filled.empty())
        return std::nullopt;
    const Band band = m_filled.front();
    m_filled.pop_front();
    return band;
}

void BandPipe::release(const Band &band)
{
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(band.slot);
    }
    m_changed.notify_all();
}

void BandPipe::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

bool BandPipe::stopped()
{
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

} // namespace velmora
