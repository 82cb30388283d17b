// Velmora — one memory budget for the whole process, shared by the photos corrected at once: a
// photo reserves what it will need, from the size its file claims, before anything is allocated,
// and waits while other photos hold the memory rather than going past the budget.
#pragma once

#include <condition_variable>
#include <mutex>

#include <QByteArray>
#include <QtGlobal>

namespace velmora {

class MemoryBudget {
public:
    // What a photo holds; given back when it goes.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(Reservation &&other) noexcept;
        Reservation &operator=(Reservation &&other) noexcept;
        Reservation(const Reservation &) = delete;
        Reservation &operator=(const Reservation &) = delete;
        ~Reservation() { release(); }
        qint64 bytes() const { return m_bytes; }
        void release();

    private:
        friend class MemoryBudget;
        Reservation(MemoryBudget *budget, qint64 bytes) : m_budget(budget), m_bytes(bytes) {}
        MemoryBudget *m_budget = nullptr;
        qint64 m_bytes = 0;
    };

    // `total` 0: the picture memory limit in force (PictureMemoryLimit), looked up at each reservation.
    explicit MemoryBudget(qint64 total = 0) : m_total(total) {}

    // Waits until `bytes` fit beside what the others hold, then holds them. More than the whole
    // budget waits until nothing else is held and holds all of it: such a photo runs on its own,
    // and its decoder judges it against the limit as ever.
    Reservation reserve(qint64 bytes);

    qint64 total() const;
    qint64 held() const;

private:
    void giveBack(qint64 bytes);

    qint64 m_total;
    mutable std::mutex m_lock;
    std::condition_variable m_freed;
    qint64 m_held = 0;
};

// The process's budget, shared by `velmora apply --jobs N` and the window's batch.
MemoryBudget &PictureMemoryBudget();

// What correcting a photo takes, by what its header claims (the file is not decoded; a FIFO or
// device is never opened for reading): the file's bytes, the 32-bit picture and one full-size copy
// made while converting or saving. 0 when the file cannot be read or its size is not told: its load
// fails before allocating, or is judged by the decoder's own limit.
qint64 WholePictureNeeds(const QByteArray &localName);
// The same for a JPEG corrected in bands: a few bands of rows, or for a progressive JPEG the
// coefficients libjpeg holds for the whole picture.
qint64 BandedJpegNeeds(const QByteArray &localName);

} // namespace velmora
