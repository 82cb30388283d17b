// Velmora — the progress line of `velmora apply`.
#include "cli/apply_progress.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace velmora {

namespace {

constexpr int kBarWidth = 24;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

ApplyProgress::ApplyProgress(const ApplyTexts &texts, bool shown, int files, long long bytes)
    : m_texts(texts), m_totalFiles(files), m_totalBytes(bytes), m_start(Now()), m_shown(shown)
{
    if (m_shown)
        m_thread = std::thread([this] { loop(); });
}

ApplyProgress::~ApplyProgress()
{
    if (!m_shown)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    std::fputs("\r\033[K", stdout);
    std::fflush(stdout);
}

double ApplyProgress::seconds() const { return Now() - m_start; }

void ApplyProgress::loop()
{
    // Drawn at once, so even a short run shows that it started.
    std::unique_lock lock(m_mutex);
    do
        draw();
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; }));
}

void ApplyProgress::draw() const
{
    const double elapsed = seconds();
    const double done = static_cast<double>(m_bytes.load());
    const double share = m_totalBytes > 0 ? std::min(1.0, done / static_cast<double>(m_totalBytes)) : 0.0;
    const double rate = elapsed > 0 ? done / 1e6 / elapsed : 0;
    const double left = done > 0 ? (static_cast<double>(m_totalBytes) - done) / (done / elapsed) : -1;
    const int filled = static_cast<int>(share * kBarWidth);
    std::string bar = "\r[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] ";
    bar += m_texts.progress(m_files.load(), m_totalFiles, rate, left) + "\033[K";
    std::fputs(bar.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace velmora
