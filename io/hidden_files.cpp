// Velmora — hidden names for outputs being written.
#include "io/hidden_files.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <tuple>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr char kHiddenPrefix[] = ".velmora-part-";

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

} // namespace

// ".velmora-part-<pid>-<token>-<host>": whose it is can be told from the name alone, and only
// this machine's processes are ever judged gone (a shared folder may be written from elsewhere).
std::string HiddenName()
{
    return kHiddenPrefix + std::to_string(::getpid()) + "-" + RandomToken() + "-" + HostName();
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

// -1 when the table is full: the name is then left to the next run's clearing.
int RememberHidden(int folder, const std::string &name)
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

void ForgetHidden(int &slot)
{
    if (slot >= 0)
        g_hidden[slot].state.store(0, std::memory_order_release);
    slot = -1;
}

} // namespace velmora
