// Velmora — one save at a time, run beside the window's thread.
#include "picture/background_save.h"

#include <utility>

namespace velmora {

BackgroundSave::~BackgroundSave()
{
    // Never leave a file half-written because the window went away.
    wait();
}

bool BackgroundSave::start(Job job)
{
    if (busy())
        return false;
    const unsigned generation = ++m_generation;
    m_thread = std::thread([this, generation, job = std::move(job)] {
        m_outcome = job();
        QMetaObject::invokeMethod(this, [this, generation] { deliver(generation); }, Qt::QueuedConnection);
    });
    return true;
}

SaveOutcome BackgroundSave::wait()
{
    if (!busy())
        return {};
    m_thread.join();
    ++m_generation; // the queued report of this save is now stale
    return m_outcome;
}

void BackgroundSave::deliver(unsigned generation)
{
    if (generation != m_generation || !busy())
        return;
    m_thread.join();
    emit finished(m_outcome);
}

} // namespace velmora
