// Velmora — the progress line of `velmora apply` on a terminal: a bar, files done, MB/s and
// time left, redrawn in place a few times a second by a thread of its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/apply_texts.h"

namespace velmora {

class ApplyProgress {
public:
    // Draws nothing unless `shown`.
    ApplyProgress(const ApplyTexts &texts, bool shown, int files, long long bytes);
    ~ApplyProgress(); // stops drawing and clears the line

    void addBytes(long long bytes) { m_bytes += bytes; }
    void fileDone() { ++m_files; }
    double seconds() const;

private:
    void draw() const;
    void loop();

    const ApplyTexts &m_texts;
    const int m_totalFiles;
    const long long m_totalBytes;
    std::atomic<int> m_files{0};
    std::atomic<long long> m_bytes{0};
    const double m_start;
    bool m_shown;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace velmora
