// Velmora — bands of rows handed from the thread that decodes them to the thread that writes them,
// in order, through a few buffers that go round; either side may stop the other.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace velmora {

struct Band {
    std::uint32_t *pixels = nullptr;
    int top = 0;  // the first row's place in the picture
    int rows = 0;
    int slot = 0; // which buffer: handed back through release()
};

class BandPipe {
public:
    BandPipe(int slots, std::size_t pixelsPerSlot);

    // Producer: a free buffer to fill, or nothing once the pipe is stopped.
    std::optional<Band> acquire();
    void publish(const Band &band);
    void finish(); // no more bands

    // Consumer: the next band in order, or nothing at the end or once stopped.
    std::optional<Band> take();
    void release(const Band &band);

    // Either side, from any thread: the other side's next call returns nothing.
    void stop();
    bool stopped();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::vector<std::uint32_t>> m_buffers;
    std::vector<int> m_free;
    std::deque<Band> m_filled;
    bool m_finished = false;
    bool m_stopped = false;
};

} // namespace velmora
