// Velmora — lets the window's events run during a pass by the clock, not after every row.
#pragma once

#include <cstdint>
#include <functional>

#include <QElapsedTimer>

namespace velmora {

class PassPacer {
public:
    // `yield` shows what changed and runs pending events; false once the program is ending.
    PassPacer(std::function<bool()> yield, int intervalMs, std::int32_t rowWidth, std::int32_t lastRow);

    // After each row: yields when the interval has passed since the last yield, and always after
    // the last row, so a picture of millions of narrow rows costs no more than its pixels.
    bool afterRow(std::int32_t row);

private:
    // Reading the clock costs more than mapping a short row; look at it once per this many pixels.
    static constexpr std::int64_t kPixelsPerClockRead = 16384;

    std::function<bool()> m_yield;
    int m_intervalMs;
    std::int64_t m_rowWidth;
    std::int32_t m_lastRow;
    std::int64_t m_pixelsSinceClock = 0;
    QElapsedTimer m_sinceYield;
};

} // namespace velmora
