// Velmora — one picture's rows shared by two decoders of the same file. The top one decodes from the
// first row down; the bottom one reads ahead without making pixels, which costs it less per row,
// and starts decoding where both have as many rows left, so the two finish together whatever each
// core's speed. Either may stop the other.
#pragma once

#include <atomic>
#include <mutex>

namespace velmora {

class RowSplit {
public:
    explicit RowSplit(int rows);

    // Top: how many of the `want` rows from `row` on it may decode; 0 once it meets the bottom's
    // rows or the split is stopped.
    int claimTop(int row, int want);

    // Bottom, reading ahead at `row`: whether the rows from here on are no more than half of what
    // is left to decode.
    bool bottomMayStart(int row);
    // Bottom: fixes where its rows begin: at `row`, or further down if the top already has rows
    // beyond it. The top then ends there. Returns that row (the picture's height: nothing left).
    int settle(int row);

    void stop();
    bool stopped() const { return m_stopped.load(std::memory_order_acquire); }

private:
    std::mutex m_mutex;
    const int m_rows;
    int m_claimed = 0;  // rows the top has taken
    int m_boundary;     // where the top must end; the height until the bottom settles
    std::atomic<bool> m_stopped{false};
};

} // namespace velmora
