// Velmora — a file written beside its target and renamed into place once it is on disk.
#include "picture/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

namespace velmora {

namespace {

// A symbolic link is followed, so saving over it replaces the file it names, not the link.
QByteArray ResolvedTarget(const QByteArray &name)
{
    struct stat link {}, target {};
    char resolved[PATH_MAX];
    if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) && ::stat(name.constData(), &target) == 0
        && ::realpath(name.constData(), resolved))
        return QByteArray(resolved);
    return name;
}

QByteArray FolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace

SaveOutcome OutcomeFromErrno(int error)
{
    switch (error) {
    case 0:
        return {};
    case EISDIR:
        return {SaveProblem::IsFolder};
    case EACCES:
    case EPERM:
        return {SaveProblem::NoPermission};
    case ENOENT:
    case ENOTDIR:
        return {SaveProblem::NoFolder};
    case EROFS:
        return {SaveProblem::ReadOnlyDisk};
    case ENOSPC:
    case EDQUOT:
        return {SaveProblem::DiskFull};
    case EFBIG:
        return {SaveProblem::FileSizeLimit};
    case ENAMETOOLONG:
        return {SaveProblem::NameTooLong};
    default:
        return {SaveProblem::OtherError, error};
    }
}

AtomicFile::AtomicFile(const QString &path) : AtomicFile(QFile::encodeName(path)) {}

AtomicFile::AtomicFile(const QByteArray &localName) : m_target(ResolvedTarget(localName)) {}

AtomicFile::~AtomicFile() { discard(); }

SaveOutcome AtomicFile::open()
{
    struct stat existing {};
    const bool replacing = ::stat(m_target.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return {SaveProblem::IsFolder};
    // The rename could replace a read-only file (it needs only the folder), but read-only says
    // "keep this": honoured for root too, who passes every access check.
    if (replacing) {
        const int denied = ::access(m_target.constData(), W_OK) != 0 ? errno : 0;
        if (denied == EROFS)
            return {SaveProblem::ReadOnlyDisk};
        if (denied != 0 || (existing.st_mode & 0222) == 0)
            return {SaveProblem::ReadOnlyFile};
    }

    const QByteArray folder = FolderOf(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = folder + "/.velmora-save-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // 0666 less the umask, as any new file gets.
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            break;
        if (errno != EEXIST) {
            m_temporary.clear();
            return OutcomeFromErrno(errno);
        }
    }
    if (m_fd < 0) {
        m_temporary.clear();
        return OutcomeFromErrno(EEXIST);
    }
    if (replacing)
        ::fchmod(m_fd, existing.st_mode & 07777);
    return {};
}

SaveOutcome AtomicFile::write(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return OutcomeFromErrno(errno);
        }
        data += n;
        size -= n;
        m_written += n;
    }
    return {};
}

void AtomicFile::startWriteback()
{
#if defined(__linux__)
    ::sync_file_range(m_fd, 0, m_written, SYNC_FILE_RANGE_WRITE);
#endif
}

SaveOutcome AtomicFile::commit()
{
    if (::fdatasync(m_fd) != 0)
        return OutcomeFromErrno(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return OutcomeFromErrno(errno);
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        return OutcomeFromErrno(errno);
    m_temporary.clear();
    // The new name is on disk only once its folder is.
    const int folder = ::open(FolderOf(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
}

} // namespace velmora
