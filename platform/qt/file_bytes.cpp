// Velmora — a picture file's bytes, read once.
#include "platform/qt/file_bytes.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // The size is only a hint: the file may grow or shrink while we read; what we read is what we use.
    QByteArray bytes;
    bytes.resize(qsizetype(info.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes)
                return {{}, LoadProblem::TooLarge};
            bytes.resize(std::min<qint64>(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {{}, LoadProblem::Unreadable};
        }
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return {std::move(bytes), LoadProblem::None};
}

} // namespace velmora
