// Velmora — a picture file's bytes, read once.
#include "picture/file_bytes.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "io/input_file.h"
#include "picture/picture_memory.h"

namespace velmora {

namespace {

LoadProblem OpenProblem(InputProblem problem)
{
    switch (problem) {
    case InputProblem::None: break;
    case InputProblem::Missing: return LoadProblem::Missing;
    case InputProblem::NotAFile: return LoadProblem::NotAFile;
    case InputProblem::NoResources: return LoadProblem::NoResources;
    case InputProblem::Unreadable: return LoadProblem::Unreadable;
    }
    return LoadProblem::None;
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
    const InputFile file(localName.constData());
    if (file.problem() != InputProblem::None)
        return {{}, OpenProblem(file.problem())};
    struct stat info = file.info();
    if (info.st_size > maxBytes)
        return {{}, LoadProblem::TooLarge};

    // A file rewritten while we read it would give part of each version: read again until the
    // file's size and times are the same after the read as before it.
    QByteArray bytes;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!ReadAll(file.fd(), info.st_size, maxBytes, bytes))
            return {{}, LoadProblem::Unreadable};
        if (bytes.size() > maxBytes)
            return {{}, LoadProblem::TooLarge};
        struct stat after {};
        if (::fstat(file.fd(), &after) != 0)
            return {{}, LoadProblem::Unreadable};
        if (SameVersion(info, after) && bytes.size() == after.st_size)
            return {std::move(bytes), LoadProblem::None};
        info = after;
    }
    return {{}, LoadProblem::Unreadable};
}

} // namespace velmora
