// Velmora — lets the window's events run during a pass by the clock.
#include "ui/window/pass_pacer.h"

#include <algorithm>

namespace velmora {

PassPacer::PassPacer(std::function<bool()> yield, int intervalMs, std::int32_t rowWidth, std::int32_t lastRow)
    : m_yield(std::move(yield)), m_intervalMs(intervalMs), m_rowWidth(std::max(1, rowWidth)), m_lastRow(lastRow)
{
    m_sinceYield.start();
}

bool PassPacer::afterRow(std::int32_t row)
{
    if (row < m_lastRow && m_intervalMs > 0) {
        m_pixelsSinceClock += m_rowWidth;
        if (m_pixelsSinceClock < kPixelsPerClockRead)
            return true;
        m_pixelsSinceClock = 0;
        if (m_sinceYield.elapsed() < m_intervalMs)
            return true;
    }
    m_sinceYield.restart();
    return m_yield();
}

} // namespace velmora
