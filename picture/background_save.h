// Velmora — one save at a time, run beside the window's thread so the window stays live while the
// file goes to disk.
#pragma once

#include <functional>
#include <thread>

#include <QObject>

#include "picture/save_outcome.h"

namespace velmora {

class BackgroundSave : public QObject {
    Q_OBJECT

public:
    using Job = std::function<SaveOutcome()>;

    BackgroundSave() = default;
    ~BackgroundSave() override;

    bool busy() const { return m_thread.joinable(); }
    // Starts `job` on its own thread; false, and nothing started, while another runs.
    bool start(Job job);
    // Blocks until the save in flight is done and returns how it ended; `finished` is not emitted for
    // it afterwards. Returns a success when nothing runs.
    SaveOutcome wait();

signals:
    // On the thread that started the save, once the file is on disk or the save failed.
    void finished(velmora::SaveOutcome outcome);

private:
    void deliver(unsigned generation);

    std::thread m_thread;
    SaveOutcome m_outcome;
    unsigned m_generation = 0;
};

} // namespace velmora
