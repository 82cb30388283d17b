// Velmora — the batch's worker pool.
#include "batch/batch_run.h"

namespace velmora {

BatchRun::BatchRun(BatchJob job, BatchEvents events) : m_job(std::move(job)), m_events(std::move(events))
{
    const ThreadSplit split = SplitThreads(m_job.threads, m_job.plan.size());
    m_running = split.workers;
    for (int j = 0; j < split.workers; ++j)
        m_workers.emplace_back(&BatchRun::work, this, split.threadsEach);
}

BatchRun::~BatchRun()
{
    cancel();
    wait();
}

void BatchRun::wait()
{
    for (std::thread &w : m_workers)
        if (w.joinable())
            w.join();
}

void BatchRun::work(int threadsEach)
{
    const auto addBytes = [this](long long bytes) {
        if (m_events.addBytes)
            m_events.addBytes(bytes);
    };
    for (std::size_t i; !m_cancelled && (i = m_next++) < m_job.plan.size();) {
        if (m_events.started)
            m_events.started(i);
        const FileResult result =
            CorrectOneFile(m_job.plan[i], m_job.quality, m_job.clash, m_job.tables, addBytes, threadsEach);
        if (m_events.done)
            m_events.done(i, result);
    }
    if (--m_running == 0 && m_events.ended)
        m_events.ended();
}

} // namespace velmora
