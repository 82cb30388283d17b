// Velmora — one correction over a planned list of photos on worker threads: the one pool that both
// the window's batch and `velmora apply` run.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

#include "batch/batch_files.h"

namespace velmora {

struct BatchJob {
    std::vector<PlannedFile> plan;
    RowTables tables;
    int quality = 95;
    NameClash clash = NameClash::Refuse;
    int threads = 0; // in all; 0: one per core
};

// Called on the worker threads; each must be safe to call from any of them.
struct BatchEvents {
    std::function<void(std::size_t index)> started;
    std::function<void(std::size_t index, const FileResult &result)> done;
    std::function<void(long long bytes)> addBytes; // input bytes done, as each photo goes
    std::function<void()> ended;                   // once, by the last worker to finish
};

class BatchRun {
public:
    // Starts the workers at once; the photos are taken in turn.
    BatchRun(BatchJob job, BatchEvents events);
    ~BatchRun(); // cancels, and waits for the photos under way
    BatchRun(const BatchRun &) = delete;
    BatchRun &operator=(const BatchRun &) = delete;

    const std::vector<PlannedFile> &plan() const { return m_job.plan; }
    // No photo is started after this; those under way finish.
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }
    // Returns when every worker has ended.
    void wait();

private:
    void work(int threadsEach);

    BatchJob m_job;
    BatchEvents m_events;
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_running{0};
    std::vector<std::thread> m_workers;
};

} // namespace velmora
