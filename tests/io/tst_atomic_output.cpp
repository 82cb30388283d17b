// Velmora tests — the one writer every output goes through, with and without the file system's
// unnamed files: a name taken while the file is written, failures that must leave nothing, hidden
// files of dead runs, and the signals that end a run while a hidden file exists.
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/atomic_output.h"
#include "support/file_size_limit.h"
#include "support/files.h"

using namespace velmora;
using fakes::Read;
using fakes::Write;

namespace {

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

std::string Native(const QString &path) { return QFile::encodeName(path).toStdString(); }

bool IsLink(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The writer takes the hidden-name way when the file system has no unnamed files; a test asks for it.
void UseNamedTemporaries(bool named)
{
    if (named)
        qputenv("VELMORA_NO_TMPFILE", "1");
    else
        qunsetenv("VELMORA_NO_TMPFILE");
}

QString HostName()
{
    char host[65] = {};
    ::gethostname(host, sizeof host - 1);
    return QString::fromLocal8Bit(host);
}

// A process id that belonged to a process that has ended.
pid_t DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

const QByteArray kContent = QByteArray("the new file's bytes, ").repeated(1000);

} // namespace

class TestAtomicOutput : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { UseNamedTemporaries(false); }
    void nameTakenDuringTheWrite_data();
    void nameTakenDuringTheWrite();
    void failuresLeaveNothing_data();
    void failuresLeaveNothing();
    void hiddenFilesOfDeadRunsRemoved_data();
    void hiddenFilesOfDeadRunsRemoved();
    void endingSignalRemovesHiddenFile_data();
    void endingSignalRemovesHiddenFile();
};

void TestAtomicOutput::nameTakenDuringTheWrite_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("appears");
    QTest::addColumn<int>("error");
    for (const bool named : {false, true}) {
        const char *way = named ? "named" : "unnamed";
        for (const char *appears : {"file", "read-only file", "link"})
            QTest::addRow("%s, %s appears, refuse", way, appears) << named << false << appears << int(OutputError::Exists);
        QTest::addRow("%s, file appears, replace", way) << named << true << "file" << int(OutputError::None);
        QTest::addRow("%s, read-only file appears, replace", way)
            << named << true << "read-only file" << int(OutputError::ReadOnlyFile);
        QTest::addRow("%s, link appears, replace", way) << named << true << "link" << int(OutputError::None);
    }
}

// Without replace, whatever took the name meanwhile is kept; with it, a read-only file still is,
// and a link is replaced, never followed. While the file is written, its folder shows nothing
// (unnamed) or one hidden file of this process (named).
void TestAtomicOutput::nameTakenDuringTheWrite()
{
    QFETCH(bool, named);
    QFETCH(bool, replace);
    QFETCH(QString, appears);
    QFETCH(int, error);
    UseNamedTemporaries(named);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/photo.bmp");
    const QString theirs = dir.filePath(QStringLiteral("theirs"));
    const QByteArray earlier("what took the name meanwhile");

    AtomicOutput out(Native(path), OutputPolicy::BatchOutput(replace));
    QCOMPARE(int(out.error()), int(OutputError::None));
    QVERIFY(out.append(kContent.constData(), std::size_t(kContent.size())));
    const QStringList during = Entries(folder);
    if (named) {
        QCOMPARE(during.size(), 1);
        QVERIFY2(during[0].startsWith(QStringLiteral(".velmora-part-%1-").arg(::getpid())), qPrintable(during[0]));
    } else {
        QCOMPARE(during, QStringList());
    }

    if (appears == QLatin1String("link")) {
        QVERIFY(Write(theirs, earlier));
        QVERIFY(::symlink(QFile::encodeName(theirs).constData(), QFile::encodeName(path).constData()) == 0);
    } else {
        QVERIFY(Write(path, earlier));
        if (appears == QLatin1String("read-only file"))
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    }
    QCOMPARE(int(out.commit()), error);

    if (OutputError(error) == OutputError::None) {
        QVERIFY(!IsLink(path));
        QCOMPARE(Read(path), kContent);
    } else {
        QCOMPARE(IsLink(path), appears == QLatin1String("link"));
        QCOMPARE(Read(path), earlier);
    }
    if (appears == QLatin1String("link"))
        QCOMPARE(Read(theirs), earlier);
    QCOMPARE(Entries(folder), QStringList{QStringLiteral("photo.bmp")});
}

void TestAtomicOutput::failuresLeaveNothing_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("error");
    for (const bool named : {false, true}) {
        const char *way = named ? "named" : "unnamed";
        QTest::addRow("%s, given up", way) << named << "abandon" << int(OutputError::WriteFailed);
        QTest::addRow("%s, past the file size limit", way) << named << "limit" << int(OutputError::FileSizeLimit);
        QTest::addRow("%s, never committed", way) << named << "drop" << int(OutputError::None);
        QTest::addRow("%s, folder missing", way) << named << "no folder" << int(OutputError::NoFolder);
    }
}

// The earlier file stays byte for byte, and no other entry appears.
void TestAtomicOutput::failuresLeaveNothing()
{
    QFETCH(bool, named);
    QFETCH(QString, failure);
    QFETCH(int, error);
    UseNamedTemporaries(named);
    std::signal(SIGXFSZ, SIG_IGN); // as the program sets it: the write fails instead
    QTemporaryDir dir;
    const QString path = dir.filePath(failure == QLatin1String("no folder") ? QStringLiteral("gone/photo.bmp")
                                                                            : QStringLiteral("photo.bmp"));
    const QByteArray earlier("the earlier photo");
    if (failure != QLatin1String("no folder"))
        QVERIFY(Write(path, earlier));
    const QStringList before = Entries(dir.path());
    {
        AtomicOutput out(Native(path), OutputPolicy::BatchOutput(true));
        if (failure == QLatin1String("limit")) {
            const fakes::FileSizeLimit limit(4096);
            QVERIFY(!out.append(kContent.constData(), std::size_t(kContent.size())));
        } else {
            out.append(kContent.constData(), std::size_t(kContent.size()));
        }
        if (failure == QLatin1String("abandon"))
            out.abandon();
        if (failure != QLatin1String("drop"))
            QCOMPARE(int(out.commit()), error);
    }
    QCOMPARE(Entries(dir.path()), before);
    if (failure != QLatin1String("no folder"))
        QCOMPARE(Read(path), earlier);
}

void TestAtomicOutput::hiddenFilesOfDeadRunsRemoved_data()
{
    QTest::addColumn<bool>("named");
    QTest::newRow("unnamed") << false;
    QTest::newRow("named") << true;
}

// Only a hidden file of ours, made on this machine by a process that has ended, is removed: a live
// run's, another machine's (a shared folder) and names we did not make stay.
void TestAtomicOutput::hiddenFilesOfDeadRunsRemoved()
{
    QFETCH(bool, named);
    UseNamedTemporaries(named);
    QTemporaryDir dir;
    const pid_t dead = DeadProcess();
    QVERIFY(::kill(dead, 0) != 0);
    const QString host = HostName();
    const QString deadRun = QStringLiteral(".velmora-part-%1-abcdefgh-%2").arg(dead).arg(host);
    const QStringList kept{
        QStringLiteral(".velmora-part-%1-abcdefgh-%2").arg(::getppid()).arg(host), // a live run
        QStringLiteral(".velmora-part-%1-abcdefgh-%2x").arg(dead).arg(host),       // another machine
        QStringLiteral(".velmora-save-k3j2h1"),                                    // not a name we can judge
        QStringLiteral("photo.jpg"),
    };
    for (const QString &name : kept + QStringList{deadRun})
        QVERIFY(Write(dir.filePath(name), "partial"));

    AtomicOutput out(Native(dir.filePath(QStringLiteral("new.bmp"))), OutputPolicy::BatchOutput(false));
    QVERIFY(out.append("whole", 5));
    QCOMPARE(int(out.commit()), int(OutputError::None));
    QStringList expected = kept + QStringList{QStringLiteral("new.bmp")};
    expected.sort();
    QCOMPARE(Entries(dir.path()), expected);
}

void TestAtomicOutput::endingSignalRemovesHiddenFile_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("ignored");
    QTest::newRow("SIGINT") << SIGINT << false;
    QTest::newRow("SIGTERM") << SIGTERM << false;
    QTest::newRow("SIGHUP") << SIGHUP << false;
    QTest::newRow("SIGHUP ignored, as under nohup") << SIGHUP << true;
}

// In a child process with a hidden file being written: the signal removes it and still ends the
// process as the signal does. An ignored signal stays ignored, and the file is completed.
void TestAtomicOutput::endingSignalRemovesHiddenFile()
{
    QFETCH(int, signal);
    QFETCH(bool, ignored);
    UseNamedTemporaries(true);
    QTemporaryDir dir;
    const std::string path = Native(dir.filePath(QStringLiteral("photo.bmp")));
    const pid_t child = ::fork();
    if (child == 0) {
        // As the program starts (the test runner catches these signals itself).
        for (const int each : {SIGINT, SIGTERM, SIGHUP})
            std::signal(each, SIG_DFL);
        if (ignored)
            std::signal(signal, SIG_IGN);
        AtomicOutput out(path, OutputPolicy::BatchOutput(false));
        out.append(kContent.constData(), std::size_t(kContent.size()));
        ::raise(signal);
        ::_exit(out.commit() == OutputError::None ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    if (ignored) {
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("photo.bmp")});
        QCOMPARE(Read(dir.filePath(QStringLiteral("photo.bmp"))), kContent);
    } else {
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), signal);
        QCOMPARE(Entries(dir.path()), QStringList());
    }
}

QTEST_GUILESS_MAIN(TestAtomicOutput)
#include "tst_atomic_output.moc"
