// Velmora — an output file that appears whole or not at all.
#include "io/atomic_output.h"

#include "io/background_flush.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr long long kWritebackEvery = 8LL << 20; // bytes between asking the disk to catch up

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder's own entry must reach the disk too, or a crash could lose the rename.
void SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

AtomicOutput::AtomicOutput(std::string path, bool replace) : m_path(std::move(path)), m_replace(replace)
{
    if (!m_replace && ::access(m_path.c_str(), F_OK) == 0) {
        m_error = OutputError::Exists;
        return;
    }
    std::string pattern = FolderOf(m_path) + "/." + NameOf(m_path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_error = OutputError::CannotCreate;
        return;
    }
    m_temporary = name.data();
    // mkostemp makes the file private; an output is an ordinary file like any other the user writes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(m_fd, 0666 & ~mask);
}

AtomicOutput::~AtomicOutput()
{
    m_flush.reset(); // its thread uses the descriptor
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_temporary.empty())
        ::unlink(m_temporary.c_str());
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
        if (n <= 0) {
            m_error = OutputError::WriteFailed;
            return false;
        }
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

void AtomicOutput::abandon()
{
    if (m_error == OutputError::None)
        m_error = OutputError::WriteFailed;
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
    onDisk = ::fdatasync(m_fd) == 0 && onDisk;
    onDisk = ::close(m_fd) == 0 && onDisk;
    m_fd = -1;
    if (!onDisk)
        return m_error = OutputError::WriteFailed;
    int renamed;
    if (m_replace) {
        renamed = ::rename(m_temporary.c_str(), m_path.c_str());
    } else {
        // Refuses to replace a file that appeared while we were writing.
        renamed = ::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_path.c_str(), RENAME_NOREPLACE);
        if (renamed != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without that flag: a hard link gives the same refusal.
            renamed = ::link(m_temporary.c_str(), m_path.c_str());
            if (renamed == 0)
                ::unlink(m_temporary.c_str());
        }
    }
    if (renamed != 0)
        return m_error = errno == EEXIST ? OutputError::Exists : OutputError::CannotCreate;
    m_committed = true;
    SyncFolder(FolderOf(m_path));
    return OutputError::None;
}

} // namespace velmora
