// Velmora — a picture file's bytes, read once.
#include "picture/file_bytes.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/picture_memory.h"

namespace velmora {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

LoadProblem OpenProblem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return LoadProblem::Missing;
    case EISDIR:
    case ENXIO: // a FIFO or socket with nothing behind it
    case ENODEV: return LoadProblem::NotAFile;
    default: return LoadProblem::Unreadable;
    }
}

bool SameVersion(const struct stat &a, const struct stat &b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
           && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// One pass from the start; false if reading failed.
bool ReadAll(int fd, qint64 sizeHint, qint64 maxBytes, QByteArray &bytes)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    bytes.resize(qsizetype(std::min(sizeHint, maxBytes)) + 1);
    PrepareToFill(bytes.data(), std::size_t(bytes.size()));
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes)
                return true; // the caller sees more than maxBytes
            bytes.resize(qsizetype(std::min<qint64>(qint64{bytes.size()} * 2, maxBytes + 1)));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return true;
}

} // namespace

FileBytes ReadFileOnce(const QByteArray &localName, qint64 maxBytes)
{
    if (localName.isEmpty() || localName.contains('\0'))
        return {{}, LoadProblem::Missing};
    // Non-blocking, so a FIFO or a terminal cannot hold the window before its type is known.
    const Descriptor file(::open(localName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        return {{}, OpenProblem(errno)};
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return {{}, LoadProblem::Unreadable};
    if (!S_ISREG(info.st_mode))
        return {{}, LoadProblem::NotAFile};
    if (info.st_size > maxBytes)
        return {{}, LoadProblem::TooLarge};

    // A file rewritten while we read it would give part of each version: read again until the
    // file's size and times are the same after the read as before it.
    QByteArray bytes;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!ReadAll(file.get(), info.st_size, maxBytes, bytes))
            return {{}, LoadProblem::Unreadable};
        if (bytes.size() > maxBytes)
            return {{}, LoadProblem::TooLarge};
        struct stat after {};
        if (::fstat(file.get(), &after) != 0)
            return {{}, LoadProblem::Unreadable};
        if (SameVersion(info, after) && bytes.size() == after.st_size)
            return {std::move(bytes), LoadProblem::None};
        info = after;
    }
    return {{}, LoadProblem::Unreadable};
}

} // namespace velmora
