// Velmora — an output file that appears whole or not at all.
#include "io/atomic_output.h"

#include "io/background_flush.h"
#include "io/file_names.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr long long kWritebackEvery = 8LL << 20; // bytes between asking the disk to catch up
constexpr char kHiddenPrefix[] = ".velmora-part-";
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

std::string HostName()
{
    char host[65] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !host[0])
        return "localhost";
    return host;
}

std::string RandomToken()
{
    static std::atomic<unsigned> counter{0};
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        const auto mixed = static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ULL
                           ^ (reinterpret_cast<std::uintptr_t>(&counter) + counter++) * 0xBF58476D1CE4E5B9ULL;
        std::memcpy(bytes, &mixed, sizeof bytes);
    }
    std::string token;
    for (const unsigned char b : bytes)
        token += "0123456789abcdefghijklmnopqrstuvwxyz"[b % 36];
    return token;
}

// ".velmora-part-<pid>-<token>-<host>": whose it is can be told from the name alone, and only
// this machine's processes are ever judged gone (a shared folder may be written from elsewhere).
std::string HiddenName()
{
    return kHiddenPrefix + std::to_string(::getpid()) + "-" + RandomToken() + "-" + HostName();
}

// The process that made a hidden name, when it ran on this machine; 0 when the name is not ours.
pid_t MakerOf(const char *name)
{
    const std::size_t prefix = sizeof kHiddenPrefix - 1;
    if (std::strncmp(name, kHiddenPrefix, prefix) != 0)
        return 0;
    char *end = nullptr;
    const long pid = std::strtol(name + prefix, &end, 10);
    if (pid <= 0 || *end != '-' || std::strlen(end) < 10 || end[9] != '-')
        return 0;
    return HostName() == end + 10 ? static_cast<pid_t>(pid) : 0;
}

// Hidden files of runs that ended without removing them (killed outright, or a power cut), each
// removed only once its process is gone. Once per folder: a batch writes many files into one. (The
// path too tells folders apart: a removed folder's number may be given to a new one.)
void RemoveStaleHiddenFiles(int folder, const std::string &path)
{
    static std::mutex mutex;
    static std::set<std::tuple<dev_t, ino_t, std::string>> cleared;
    struct stat st {};
    if (::fstat(folder, &st) != 0)
        return;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!cleared.insert({st.st_dev, st.st_ino, path}).second)
            return;
    }
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return;
    }
    while (const dirent *entry = ::readdir(entries)) {
        const pid_t maker = MakerOf(entry->d_name);
        if (maker <= 0 || maker == ::getpid() || ::kill(maker, 0) == 0 || errno != ESRCH)
            continue;
        struct stat file {};
        if (::fstatat(folder, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(file.st_mode))
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

// Hidden names that exist now, for the signal handler to remove. A fixed table written with atomics
// only, so the handler reads it safely whatever thread it interrupts.
struct HiddenSlot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 holds a name
    int folder = -1;
    char name[NAME_MAX + 1] = {};
};
constexpr int kSlots = 64;
HiddenSlot g_hidden[kSlots];

extern "C" void RemoveHiddenAndStop(int signal)
{
    const int saved = errno;
    for (HiddenSlot &slot : g_hidden)
        if (slot.state.load(std::memory_order_acquire) == 2)
            ::unlinkat(slot.folder, slot.name, 0);
    errno = saved;
    // SA_RESETHAND made the usual action current again: raised now, it ends the process as the
    // signal would have, once this handler returns.
    ::raise(signal);
}

// Only where the signal would end the process: an ignored SIGHUP (nohup) stays ignored, and a
// handler someone else installed is left alone. Asked each time, since the handler resets itself.
void CatchEndingSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO)
            || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action {};
        action.sa_handler = RemoveHiddenAndStop;
        sigfillset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

// -1 when the table is full: the name is then left to the next run's clearing.
int Remember(int folder, const std::string &name)
{
    CatchEndingSignals();
    if (name.size() > NAME_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!g_hidden[i].state.compare_exchange_strong(expected, 1, std::memory_order_acq_rel))
            continue;
        g_hidden[i].folder = folder;
        std::memcpy(g_hidden[i].name, name.c_str(), name.size() + 1);
        g_hidden[i].state.store(2, std::memory_order_release);
        return i;
    }
    return -1;
}

void Forget(int &slot)
{
    if (slot >= 0)
        g_hidden[slot].state.store(0, std::memory_order_release);
    slot = -1;
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
        m_slot = Remember(m_folder, m_hidden);
        m_fd = ::openat(m_folder, m_hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            break;
        const int error = errno;
        Forget(m_slot);
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
    Forget(m_slot);
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
        int slot = Remember(m_folder, hidden);
        const int error = LinkUnnamed(m_fd, m_folder, hidden);
        if (error == EEXIST) {
            Forget(slot);
            continue;
        }
        if (error != 0) {
            Forget(slot);
            return failFromErrno(error);
        }
        const bool renamed = ::renameat(m_folder, hidden.c_str(), m_folder, m_name.c_str()) == 0;
        const int renameError = errno;
        if (!renamed)
            ::unlinkat(m_folder, hidden.c_str(), 0);
        Forget(slot);
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
    Forget(m_slot);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    SyncFolder(m_folder);
    return OutputError::None;
}

} // namespace velmora
