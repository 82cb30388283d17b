// Velmora — a file's bytes sent to the disk while more are still being written, so the flush that
// completes the file finds little left to do. (In a virtual machine the host writes everything the
// guest wrote when it is asked to flush: left to the end, that wait comes after all the work.)
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace velmora {

class BackgroundFlush {
public:
    explicit BackgroundFlush(int fd) : m_fd(fd) {}
    ~BackgroundFlush(); // waits for a flush in progress but starts none: the file is given up
    BackgroundFlush(const BackgroundFlush &) = delete;
    BackgroundFlush &operator=(const BackgroundFlush &) = delete;

    // More has been written: flush it when the flush in progress, if any, is done.
    void nudge();
    // Waits until every nudge so far has been followed by a flush; nudges after this start nothing.
    void finish();
    // A flush here failed. The system reports a write-back failure to one flush only, and this
    // one may have taken it: the file must then not be reported as safely on disk.
    bool failed() const { return m_failed; }

private:
    void loop();

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_finishing = false;
    std::atomic<bool> m_failed{false};
    std::thread m_thread;
};

} // namespace velmora
