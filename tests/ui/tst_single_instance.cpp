// Velmora tests — the one copy per user and the hand-over channel: their folder is the user's own
// (made 0700 when there is no runtime folder; refused when it belongs to another user, is open to
// others or is a link), and neither end deals with a process of another user. Another user is a
// forked child that changes its user id; that needs root, so those cases are skipped otherwise.
#include <QtTest>

#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <linux/securebits.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ui/desktop/instance_channel.h"
#include "ui/desktop/launch_request.h"
#include "ui/desktop/qt_services.h"

using namespace velmora;

namespace {

constexpr uid_t kStranger = 65534; // nobody

// Everything the program puts in its folder goes here: no runtime folder, TMPDIR set to a fresh one.
struct Environment {
    QTemporaryDir tmp;
    QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray oldTmp = qgetenv("TMPDIR");
    bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");

    Environment()
    {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    }
    ~Environment()
    {
        hadRuntime ? void(qputenv("XDG_RUNTIME_DIR", oldRuntime)) : void(qunsetenv("XDG_RUNTIME_DIR"));
        hadTmp ? void(qputenv("TMPDIR", oldTmp)) : void(qunsetenv("TMPDIR"));
    }
    // Where the program keeps its lock and socket when there is no runtime folder.
    QString fallback() const { return tmp.filePath(QStringLiteral("velmora-%1").arg(::geteuid())); }
};

struct stat Lstat(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        st.st_mode = 0;
    return st;
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// In a forked child: becomes the stranger while keeping root's capabilities, so it can still reach
// the user's 0700 folder and 0600 socket. Only the other end's check of its user can stop it then.
bool BecomeStranger()
{
    return ::prctl(PR_SET_SECUREBITS, SECBIT_NO_SETUID_FIXUP, 0, 0, 0) == 0
           && ::setresgid(kStranger, kStranger, kStranger) == 0 && ::setresuid(kStranger, kStranger, kStranger) == 0;
}

sockaddr_un Address(const QByteArray &path)
{
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, path.constData(), std::size_t(path.size()));
    return a;
}

// Waits for a child, letting the window's events run meanwhile; its exit code, or -1.
int WaitForChild(pid_t pid)
{
    int status = 0;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 || clock.elapsed() > 20000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void fallbackFolderIsMadePrivate();
    void secondCopyFindsTheFirst();
    void unsafeFolderIsRefused_data();
    void unsafeFolderIsRefused();
    void runtimeFolderIsCheckedToo();
    void strangerCannotHandOver();
    void strangerServerIsNotHandedFiles();
};

void TestSingleInstance::fallbackFolderIsMadePrivate()
{
    Environment env;
    QtSingleInstance instance;
    QVERIFY(instance.folderError().empty());
    QVERIFY(!instance.previousInstance());
    const struct stat st = Lstat(env.fallback());
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(st.st_mode & 07777, mode_t(0700));
    QCOMPARE(st.st_uid, ::geteuid());
    // The lock is inside it, and nothing of ours lies in the shared folder itself.
    QVERIFY(QFile::exists(env.fallback() + "/velmora.lock"));
    QCOMPARE(Entries(env.tmp.path()), QStringList{QFileInfo(env.fallback()).fileName()});

    InstanceChannel channel;
    QVERIFY(channel.listen());
    const struct stat socket = Lstat(env.fallback() + "/velmora.socket");
    QVERIFY(S_ISSOCK(socket.st_mode));
}

void TestSingleInstance::secondCopyFindsTheFirst()
{
    Environment env;
    QtSingleInstance first;
    QVERIFY(!first.previousInstance());
    QtSingleInstance second;
    QVERIFY(second.previousInstance());

    InstanceChannel channel;
    QVERIFY(channel.listen());
    QSignalSpy received(&channel, &InstanceChannel::received);
    LaunchRequest request;
    request.photo = QStringLiteral("/photos/照片.jpg");
    bool sent = false;
    // The sender waits for the answer, which the running copy's loop gives: send from a second thread.
    std::thread sender([&] { sent = InstanceChannel::send(EncodeLaunch(request)); });
    QTRY_COMPARE(received.size(), 1);
    sender.join();
    QVERIFY(sent);
    QCOMPARE(DecodeLaunch(received.first().first().toByteArray()).photo, request.photo);
}

void TestSingleInstance::unsafeFolderIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("open to all") << "0777";
    QTest::newRow("readable by the group") << "0750";
    QTest::newRow("a link to a private folder") << "link";
    QTest::newRow("a file") << "file";
    QTest::newRow("another user's") << "stranger";
}

// Someone else made the folder first: the program neither locks nor listens there, nor writes in it.
void TestSingleInstance::unsafeFolderIsRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir elsewhere; // a private folder of ours a link might lead to, outside the shared one
    Environment env;
    const QByteArray path = QFile::encodeName(env.fallback());
    if (kind == "link") {
        QVERIFY(::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700) == 0);
        QVERIFY(::symlink(QFile::encodeName(elsewhere.path()).constData(), path.constData()) == 0);
    } else if (kind == "file") {
        QVERIFY(QFile(env.fallback()).open(QIODevice::WriteOnly));
    } else {
        QVERIFY(::mkdir(path.constData(), 0700) == 0);
        if (kind == "stranger") {
            if (::geteuid() != 0)
                QSKIP("making a folder of another user needs root");
            QVERIFY(::chown(path.constData(), kStranger, kStranger) == 0);
        } else {
            QVERIFY(::chmod(path.constData(), mode_t(kind.toInt(nullptr, 8))) == 0);
        }
    }
    const QStringList before = kind == "link" || kind == "file" ? QStringList() : Entries(env.fallback());

    QtSingleInstance instance;
    QVERIFY(!instance.folderError().empty());
    QVERIFY2(QString::fromStdString(instance.folderError()).contains(env.fallback()), instance.folderError().c_str());
    QVERIFY(!instance.previousInstance()); // this copy runs on its own
    InstanceChannel channel;
    QVERIFY(!channel.listen());
    QVERIFY(!InstanceChannel::send(EncodeLaunch({QStringLiteral("/photos/a.jpg"), {}, {}}), 500));

    if (kind == "link")
        QVERIFY(Entries(elsewhere.path()).isEmpty());
    else if (kind != "file")
        QCOMPARE(Entries(env.fallback()), before);
    // Nor does it fall back to the shared folder itself.
    QCOMPARE(Entries(env.tmp.path()), QStringList{QFileInfo(env.fallback()).fileName()});
}

void TestSingleInstance::runtimeFolderIsCheckedToo()
{
    Environment env;
    const QString runtime = env.tmp.filePath("run");
    QVERIFY(::mkdir(QFile::encodeName(runtime).constData(), 0777) == 0);
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0777) == 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    {
        QtSingleInstance instance;
        QVERIFY(!instance.folderError().empty());
        QVERIFY(!instance.previousInstance());
        QVERIFY(Entries(runtime).isEmpty());
    }
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    QtSingleInstance instance;
    QVERIFY(instance.folderError().empty());
    QVERIFY(!instance.previousInstance());
    QVERIFY(QFile::exists(runtime + "/velmora.lock"));
}

// A process of another user that reaches the socket all the same is not heard.
void TestSingleInstance::strangerCannotHandOver()
{
    if (::geteuid() != 0)
        QSKIP("acting as another user needs root");
    Environment env;
    QtSingleInstance instance;
    QVERIFY(!instance.previousInstance());
    InstanceChannel channel;
    QVERIFY(channel.listen());
    QSignalSpy received(&channel, &InstanceChannel::received);
    const QByteArray message = EncodeLaunch({QStringLiteral("/photos/a.jpg"), {}, {}}) + "\n.\n";
    const sockaddr_un address = Address(QFile::encodeName(env.fallback() + "/velmora.socket"));

    const pid_t child = ::fork();
    if (child == 0) {
        // 3: could not become the stranger; 4: could not connect; 0: dropped unheard; 1: answered.
        if (!BecomeStranger())
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            ::_exit(4);
        ::send(fd, message.constData(), std::size_t(message.size()), MSG_NOSIGNAL);
        char answer[2];
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            ::_exit(5);
        ::_exit(::recv(fd, answer, 2, 0) > 0 ? 1 : 0);
    }
    QVERIFY(child > 0);
    const int code = WaitForChild(child);
    if (code == 3)
        QSKIP("this system does not let root act as another user and keep its capabilities");
    QCOMPARE(code, 0);
    QCoreApplication::processEvents();
    QCOMPARE(received.size(), 0);
}

// A socket another user put in place is not handed the names of the photos.
void TestSingleInstance::strangerServerIsNotHandedFiles()
{
    if (::geteuid() != 0)
        QSKIP("acting as another user needs root");
    Environment env;
    QtSingleInstance instance; // makes the private folder
    QVERIFY(instance.folderError().empty());
    const QByteArray socketPath = QFile::encodeName(env.fallback() + "/velmora.socket");
    const sockaddr_un address = Address(socketPath);
    int ready[2];
    QVERIFY(::pipe(ready) == 0);

    const pid_t child = ::fork();
    if (child == 0) {
        // 3: could not become the stranger; 4: could not listen; 0: nothing came; 1: bytes came.
        ::close(ready[0]);
        if (!BecomeStranger())
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0)
            ::_exit(4);
        ::write(ready[1], "r", 1);
        const int peer = ::accept(fd, nullptr, nullptr);
        char bytes[64];
        pollfd p{peer, POLLIN, 0};
        const bool came = ::poll(&p, 1, 10000) > 0 && ::recv(peer, bytes, sizeof bytes, 0) > 0;
        if (came)
            ::send(peer, "ok", 2, MSG_NOSIGNAL);
        ::_exit(came ? 1 : 0);
    }
    QVERIFY(child > 0);
    ::close(ready[1]);
    char r = 0;
    const bool listening = ::read(ready[0], &r, 1) == 1;
    ::close(ready[0]);
    if (!listening) {
        const int code = WaitForChild(child);
        if (code == 3)
            QSKIP("this system does not let root act as another user and keep its capabilities");
        QFAIL(qPrintable(QStringLiteral("the stranger's socket did not listen (%1)").arg(code)));
    }
    struct stat st = Lstat(env.fallback() + "/velmora.socket");
    QCOMPARE(st.st_uid, kStranger);
    QVERIFY(!InstanceChannel::send(EncodeLaunch({QStringLiteral("/photos/secret.jpg"), {}, {}}), 3000));
    QCOMPARE(WaitForChild(child), 0);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
