// Velmora — one picture's rows shared by two decoders of the same file.
#include "io/row_split.h"

#include <algorithm>

namespace velmora {

RowSplit::RowSplit(int rows) : m_rows(rows), m_boundary(rows) {}

int RowSplit::claimTop(int row, int want)
{
    const std::lock_guard lock(m_mutex);
    if (stopped())
        return 0;
    const int granted = std::max(0, std::min(want, m_boundary - row));
    m_claimed = std::max(m_claimed, row + granted);
    return granted;
}

bool RowSplit::bottomMayStart(int row)
{
    const std::lock_guard lock(m_mutex);
    return m_rows - row <= row - m_claimed;
}

int RowSplit::settle(int row)
{
    const std::lock_guard lock(m_mutex);
    m_boundary = std::min(m_rows, std::max(row, m_claimed));
    return m_boundary;
}

void RowSplit::stop() { m_stopped.store(true, std::memory_order_release); }

} // namespace velmora
