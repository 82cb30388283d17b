// Velmora — an output file that appears whole or not at all.
#include "io/atomic_output.h"

#include "io/background_flush.h"
#include "io/file_names.h"
#include "io/hidden_files.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr long long kWritebackEvery = 8LL << 20; // bytes between asking the disk to catch up
constexpr int kMostLinks = 40; // as the system itself gives up on a chain of links

// The file a chain of links ends at (the path itself when it is no link). A link's relative target
// is read from the link's own folder, as the system reads it.
int FollowLinks(std::string &path)
{
    for (int hops = 0; hops < kMostLinks; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0;
        std::vector<char> target(PATH_MAX);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (std::size_t(n) >= target.size())
            return ENAMETOOLONG;
        const std::string to(target.data(), std::size_t(n));
        path = to.front() == '/' ? to : FolderOf(path) + "/" + to;
    }
    return ELOOP;
}

// A test can have the hidden-name way on a file system that offers unnamed files.
bool UnnamedFilesOffered()
{
    const char *off = std::getenv("VELMORA_NO_TMPFILE");
    return !off || !*off || std::strcmp(off, "0") == 0;
}

// The folder's own entry must reach the disk too, or a crash could lose the new name.
void SyncFolder(int folder)
{
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Gives the unnamed file `fd` the name `name`; fails with EEXIST when anything has it.
int LinkUnnamed(int fd, int folder, const std::string &name)
{
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    int error = errno;
    // Without /proc the descriptor itself names the file, where the process may do that.
    if (error == ENOENT && ::access("/proc/self/fd", F_OK) != 0)
        error = ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
    return error;
}

} // namespace

OutputError OutputErrorFromErrno(int error)
{
    switch (error) {
    case 0: return OutputError::None;
    case EEXIST: return OutputError::Exists;
    case EISDIR: return OutputError::IsFolder;
    case EACCES:
    case EPERM: return OutputError::NoPermission;
    case ENOENT:
    case ENOTDIR: return OutputError::NoFolder;
    case EROFS: return OutputError::ReadOnlyDisk;
    case ENOSPC:
    case EDQUOT: return OutputError::DiskFull;
    case EFBIG: return OutputError::FileSizeLimit;
    case ENAMETOOLONG: return OutputError::NameTooLong;
    default: return OutputError::WriteFailed;
    }
}

AtomicOutput::AtomicOutput(const std::string &path, OutputPolicy policy) : m_policy(policy)
{
    std::string target = path;
    if (m_policy.followLink)
        if (const int error = FollowLinks(target); error != 0) {
            failFromErrno(error);
            return;
        }
    m_name = NameOf(target);
    const std::string folder = FolderOf(target);
    m_folder = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        failFromErrno(errno);
        return;
    }
    if (!checkName())
        return;
    RemoveStaleHiddenFiles(m_folder, folder);

    // 0666 less the umask, as any new file gets; a replaced file's own permissions are set below.
    if (UnnamedFilesOffered()) {
        m_fd = ::openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
            failFromErrno(errno);
            return;
        }
    }
    for (int attempt = 0; m_fd < 0 && attempt < 16; ++attempt) {
        m_hidden = HiddenName();
        // Remembered before it exists: a signal in between finds nothing to remove, which is harmless.
        m_slot = RememberHidden(m_folder, m_hidden);
        m_fd = ::openat(m_folder, m_hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            break;
        const int error = errno;
        ForgetHidden(m_slot);
        m_hidden.clear();
        if (error != EEXIST) {
            failFromErrno(error);
            return;
        }
    }
    if (m_fd < 0) {
        failFromErrno(EEXIST);
        return;
    }
    struct stat existing {};
    if (m_policy.replace && ::fstatat(m_folder, m_name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISREG(existing.st_mode))
        ::fchmod(m_fd, existing.st_mode & 0777);
}

AtomicOutput::~AtomicOutput()
{
    discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

// Gives up the file: an unnamed one goes with its descriptor, a hidden one is removed.
void AtomicOutput::discard()
{
    m_flush.reset(); // its thread uses the descriptor
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_committed && !m_hidden.empty())
        ::unlinkat(m_folder, m_hidden.c_str(), 0);
    m_hidden.clear();
    ForgetHidden(m_slot);
}

bool AtomicOutput::fail(OutputError error, int systemError)
{
    if (m_error == OutputError::None) {
        m_error = error;
        m_errno = systemError;
    }
    return false;
}

bool AtomicOutput::failFromErrno(int systemError) { return fail(OutputErrorFromErrno(systemError), systemError); }

// What has the name now may be replaced: nothing, or (with replace) a file that is not read-only or
// a link that is not followed. A read-only file means "keep this", honoured for root too, who passes
// every access check.
bool AtomicOutput::checkName()
{
    struct stat st {};
    if (::fstatat(m_folder, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || failFromErrno(errno);
    if (!m_policy.replace)
        return fail(OutputError::Exists, EEXIST);
    if (S_ISDIR(st.st_mode))
        return fail(OutputError::IsFolder, EISDIR);
    if (S_ISLNK(st.st_mode))
        return true; // only met when links are not followed: the link itself is replaced
    if (::faccessat(m_folder, m_name.c_str(), W_OK, 0) != 0) {
        if (errno == EROFS)
            return fail(OutputError::ReadOnlyDisk, EROFS);
        return fail(OutputError::ReadOnlyFile, errno);
    }
    if ((st.st_mode & 0222) == 0)
        return fail(OutputError::ReadOnlyFile, EACCES);
    return true;
}

bool AtomicOutput::writeAt(const void *data, std::size_t size, long long offset)
{
    if (m_error != OutputError::None)
        return false;
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, bytes, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failFromErrno(errno);
        if (n == 0)
            return fail(OutputError::WriteFailed);
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
        m_unflushed += n;
    }
    if (offset > m_end)
        m_end = offset;
    if (m_unflushed >= kWritebackEvery)
        startWriteback();
    return true;
}

bool AtomicOutput::append(const void *data, std::size_t size) { return writeAt(data, size, m_end); }

void AtomicOutput::flushAsItGoes()
{
    if (m_fd >= 0 && !m_flush)
        m_flush = std::make_unique<BackgroundFlush>(m_fd);
}

// Asks the system to start writing back what is written so far, so the final flush waits less.
void AtomicOutput::startWriteback()
{
    m_unflushed = 0;
#if defined(__linux__)
    ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    if (m_flush)
        m_flush->nudge();
}

void AtomicOutput::abandon() { fail(OutputError::WriteFailed); }

// The whole file, on disk, takes the name. Without replace, a name taken meanwhile is refused.
bool AtomicOutput::linkIntoPlace()
{
    if (!m_hidden.empty()) {
        if (m_policy.replace)
            return ::renameat(m_folder, m_hidden.c_str(), m_folder, m_name.c_str()) == 0 || failFromErrno(errno);
        if (::renameat2(m_folder, m_hidden.c_str(), m_folder, m_name.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return failFromErrno(errno);
        // A file system without that flag: a hard link gives the same refusal.
        if (::linkat(m_folder, m_hidden.c_str(), m_folder, m_name.c_str(), 0) != 0)
            return failFromErrno(errno);
        ::unlinkat(m_folder, m_hidden.c_str(), 0);
        return true;
    }
    if (!m_policy.replace) {
        const int error = LinkUnnamed(m_fd, m_folder, m_name);
        return error == 0 || failFromErrno(error);
    }
    // A link cannot replace: the file takes a hidden name for the moment of the rename.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string hidden = HiddenName();
        int slot = RememberHidden(m_folder, hidden);
        const int error = LinkUnnamed(m_fd, m_folder, hidden);
        if (error == EEXIST) {
            ForgetHidden(slot);
            continue;
        }
        if (error != 0) {
            ForgetHidden(slot);
            return failFromErrno(error);
        }
        const bool renamed = ::renameat(m_folder, hidden.c_str(), m_folder, m_name.c_str()) == 0;
        const int renameError = errno;
        if (!renamed)
            ::unlinkat(m_folder, hidden.c_str(), 0);
        ForgetHidden(slot);
        return renamed || failFromErrno(renameError);
    }
    return failFromErrno(EEXIST);
}

OutputError AtomicOutput::commit()
{
    if (m_error != OutputError::None)
        return m_error;
    bool onDisk = true;
    if (m_flush) {
        m_flush->finish();
        onDisk = !m_flush->failed();
        m_flush.reset();
    }
    if (::fdatasync(m_fd) != 0)
        failFromErrno(errno);
    else if (!onDisk)
        fail(OutputError::WriteFailed);
    // A file system over the network may report a failed write only now. (An unnamed file needs
    // its descriptor until it has a name.)
    if (m_error == OutputError::None && !m_hidden.empty()) {
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0)
            failFromErrno(errno);
    }
    // What has the name may have changed while the file was written.
    if (m_error != OutputError::None || (m_policy.replace && !checkName()) || !linkIntoPlace()) {
        discard();
        return m_error;
    }
    m_committed = true;
    m_hidden.clear();
    ForgetHidden(m_slot);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    SyncFolder(m_folder);
    return OutputError::None;
}

} // namespace velmora
