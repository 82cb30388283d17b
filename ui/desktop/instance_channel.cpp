// Velmora — hands the files a second start was asked to open to the copy that already runs.
#include "ui/desktop/instance_channel.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>

#include "ui/desktop/runtime_folder.h"

namespace velmora {

namespace {

// One per user, beside the instance lock in the user's private runtime folder; empty when there is
// none (then no copy listens and none is handed anything).
QByteArray ServerPath()
{
    const RuntimeFolder folder = UserRuntimeFolder();
    return folder.path.empty() ? QByteArray() : QByteArray::fromStdString(folder.path + "/velmora.socket");
}

// Only a process of this user may hand files over, or be handed them: the folder keeps others out,
// and the other end's user is checked besides.
bool PeerIsUs(int fd) { return PeerUser(fd) == long(::geteuid()); }

// A message is two percent-encoded paths: a few kilobytes at most.
constexpr qsizetype kMaxMessage = 64 * 1024;
constexpr char kTerminator[] = "\n.\n";

// False when the path does not fit a socket address.
bool AddressOf(const QByteArray &path, sockaddr_un &address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

// One connection of a second start: its bytes gathered until the terminator, then answered.
class Connection : public QObject {
public:
    Connection(int fd, InstanceChannel *channel, const std::function<void(const QByteArray &)> &deliver)
        : QObject(channel), m_fd(fd), m_notifier(new QSocketNotifier(fd, QSocketNotifier::Read, this)),
          m_deliver(deliver)
    {
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { read(); });
    }
    ~Connection() override { ::close(m_fd); }

private:
    void read()
    {
        char chunk[4096];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // Closed, failed, or longer than any message: not one.
        if (n <= 0 || m_message.size() + n > kMaxMessage) {
            end();
            return;
        }
        m_message.append(chunk, n);
        if (!m_message.endsWith(kTerminator))
            return;
        m_message.chop(qsizetype(sizeof kTerminator - 1));
        ::send(m_fd, "ok", 2, MSG_NOSIGNAL);
        const QByteArray message = m_message;
        end();
        m_deliver(message);
    }
    void end()
    {
        m_notifier->setEnabled(false);
        deleteLater();
    }

    int m_fd;
    QSocketNotifier *m_notifier;
    QByteArray m_message;
    std::function<void(const QByteArray &)> m_deliver;
};

using Clock = std::chrono::steady_clock;

// Waits for `events` on fd until the deadline; false on time out or failure.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0 && (p.revents & events);
    }
}

bool SendAll(int fd, const QByteArray &bytes, Clock::time_point deadline)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && WaitFor(fd, POLLOUT, deadline))
            continue;
        else
            return false;
    }
    return true;
}

bool Exchange(int fd, const QByteArray &message, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sockaddr_un address;
    if (!AddressOf(ServerPath(), address))
        return false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return false;
        int error = 0;
        socklen_t length = sizeof error;
        if (!WaitFor(fd, POLLOUT, deadline) || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error)
            return false;
    }
    // The names of the photos go to no one but a copy of this user's.
    if (!PeerIsUs(fd))
        return false;
    if (!SendAll(fd, message + kTerminator, deadline))
        return false;
    // Done only when the running copy says it has the whole message.
    char answer[2];
    std::size_t got = 0;
    while (got < sizeof answer) {
        if (!WaitFor(fd, POLLIN, deadline))
            return false;
        const ssize_t n = ::recv(fd, answer + got, sizeof answer - got, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        got += std::size_t(n);
    }
    return std::memcmp(answer, "ok", 2) == 0;
}

} // namespace

InstanceChannel::InstanceChannel(QObject *parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    if (m_listening >= 0)
        ::close(m_listening);
}

bool InstanceChannel::listen()
{
    const QByteArray path = ServerPath();
    sockaddr_un address;
    if (m_listening >= 0 || !AddressOf(path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A copy that was killed leaves its socket behind; we hold the instance lock, so it is stale.
    ::unlink(path.constData());
    // Only the user may hand this copy files to open.
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return false;
    }
    m_listening = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InstanceChannel::accept);
    return true;
}

void InstanceChannel::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED))
            continue;
        if (fd < 0 && errno != EAGAIN) {
            // Out of descriptors: the connection waits; asking again at once would only spin.
            m_notifier->setEnabled(false);
            QTimer::singleShot(1000, this, [this] { m_notifier->setEnabled(true); });
        }
        if (fd < 0)
            return;
        if (!PeerIsUs(fd)) {
            ::close(fd);
            continue;
        }
        new Connection(fd, this, [this](const QByteArray &message) { emit received(message); });
    }
}

bool InstanceChannel::send(const QByteArray &message, int timeoutMs)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const bool delivered = Exchange(fd, message, timeoutMs);
    ::close(fd);
    return delivered;
}

} // namespace velmora
