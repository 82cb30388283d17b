// Velmora tests — what every way of writing a picture does with what already has the output's name:
// the window's save, a batch's banded and whole-picture paths, and the real `velmora apply` with and
// without --overwrite; and a run killed mid-write, which must leave only complete outputs behind.
// Outputs are checked by ImageMagick, earlier files by their bytes.
#include <QtTest>

#include <csignal>
#include <functional>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/files.h"
#include "support/tools.h"
#include "batch/batch_files.h"
#include "picture/picture_saver.h"
#include "picture/process_setup.h"

using namespace velmora;
using fakes::Read;
using fakes::Write;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

QImage Photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 0x2545F491u;
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            row[x] = qRgb(90 + (x + y) % 60 + int(state & 15), 70 + int(state >> 8 & 31), 50 + y % 40);
        }
    }
    return image;
}

QByteArray PathBytes(const QString &path) { return QFile::encodeName(path); }

// "64 48" when ImageMagick reads a whole picture there; empty otherwise.
QString PictureSize(const QString &path)
{
    return fakes::Identify(path, QStringLiteral("%w %h"), {QStringLiteral("-regard-warnings")});
}

bool IsLink(const QString &path)
{
    struct stat st {};
    return ::lstat(PathBytes(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool Present(const QString &path)
{
    struct stat st {};
    return ::lstat(PathBytes(path).constData(), &st) == 0;
}

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::stat(PathBytes(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QString LinkText(const QString &path)
{
    char text[4096];
    const ssize_t n = ::readlink(PathBytes(path).constData(), text, sizeof text);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(text, int(n)));
}

// Every entry of a folder, hidden ones included.
QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Root passes every permission check; the writes that must meet a locked folder run with nobody's
// file access (this thread only, which is the one that creates the file).
class AsNobody {
public:
    explicit AsNobody(bool active) : m_previous(active && ::geteuid() == 0 ? setfsuid(65534) : -1) {}
    ~AsNobody()
    {
        if (m_previous >= 0)
            setfsuid(m_previous);
    }

private:
    int m_previous;
};

QString Outcome(SaveProblem problem)
{
    switch (problem) {
    case SaveProblem::None: return QStringLiteral("written");
    case SaveProblem::ReadOnlyFile: return QStringLiteral("read-only");
    case SaveProblem::NoPermission: return QStringLiteral("not-writable");
    default: return QStringLiteral("save problem %1").arg(int(problem));
    }
}

QString Outcome(FileFailure failure)
{
    switch (failure) {
    case FileFailure::None: return QStringLiteral("written");
    case FileFailure::OutputExists: return QStringLiteral("exists");
    case FileFailure::OutputReadOnly: return QStringLiteral("read-only");
    case FileFailure::OutputNotWritable: return QStringLiteral("not-writable");
    default: return QStringLiteral("failure %1").arg(int(failure));
    }
}

struct Ran {
    int exit = -1;
    QString err;
};

// The real binary without a display, as nobody when `asNobody` (for the locked folder).
Ran Apply(const QStringList &arguments, bool asNobody = false, const QStringList &environment = {})
{
    const fakes::Environment changes{{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"},
                                     QStringList{"LANG=C"} + environment};
    const QStringList command = QStringList{QStringLiteral("apply")} + arguments;
    const fakes::Ran ran =
        asNobody && ::geteuid() == 0
            ? fakes::RunProgram(QStringLiteral("setpriv"),
                                QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", VELMORA_BINARY} + command,
                                QByteArray(), 120000, changes)
            : fakes::RunVelmora(command, changes);
    if (ran.timedOut)
        return {};
    return {ran.exit, QString::fromUtf8(ran.err)};
}

QString Outcome(const Ran &ran)
{
    if (ran.exit == 0)
        return QStringLiteral("written");
    if (ran.err.contains(QLatin1String("output file exists")))
        return QStringLiteral("exists");
    if (ran.err.contains(QLatin1String("read-only")))
        return QStringLiteral("read-only");
    if (ran.err.contains(QLatin1String("cannot write in the output folder")))
        return QStringLiteral("not-writable");
    return QStringLiteral("exit %1: %2").arg(ran.exit).arg(ran.err);
}

// How each way of writing treats what is at the name.
enum class Policy {
    Save,    // the window's 保存: the user chose this name, a link leads to the file it names
    Refuse,  // a batch output without --overwrite
    Replace, // a batch output with --overwrite: the entry itself is replaced, a link never followed
};

struct Expected {
    const char *outcome;
    const char *name;   // afterwards: "new" (a regular file, the new picture), "old" (the earlier bytes),
                        // "link" (the same link), "none"
    const char *target; // a link's file elsewhere: "unchanged", "new", "none"; "" for no link
};

Expected Expect(const QString &situation, Policy policy)
{
    const bool save = policy == Policy::Save;
    const bool refuse = policy == Policy::Refuse;
    if (situation == QLatin1String("none"))
        return {"written", "new", ""};
    if (situation == QLatin1String("file") || situation == QLatin1String("mode 0640")
        || situation == QLatin1String("appears"))
        return refuse ? Expected{"exists", "old", ""} : Expected{"written", "new", ""};
    if (situation == QLatin1String("read-only"))
        return {refuse ? "exists" : "read-only", "old", ""};
    if (situation == QLatin1String("link"))
        return save ? Expected{"written", "link", "new"}
                    : refuse ? Expected{"exists", "link", "unchanged"} : Expected{"written", "new", "unchanged"};
    if (situation == QLatin1String("dangling link"))
        return save ? Expected{"written", "link", "new"}
                    : refuse ? Expected{"exists", "link", "none"} : Expected{"written", "new", "none"};
    if (situation == QLatin1String("link to read-only"))
        return save ? Expected{"read-only", "link", "unchanged"}
                    : refuse ? Expected{"exists", "link", "unchanged"} : Expected{"written", "new", "unchanged"};
    if (situation == QLatin1String("locked folder"))
        return {"not-writable", "none", ""};
    return {"?", "?", "?"};
}

void KillAndWait(QProcess &process, int signal)
{
    ::kill(static_cast<pid_t>(process.processId()), signal);
    process.waitForFinished(60000);
}

// Bytes the process has handed to write() and pwrite() so far; -1 once it is gone.
long long BytesWritten(qint64 pid)
{
    QFile io(QStringLiteral("/proc/%1/io").arg(pid));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

class TestOutputTargets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPathTreatsTheNameAlike_data();
    void everyPathTreatsTheNameAlike();
    void killedMidWriteLeavesOnlyCompleteOutputs_data();
    void killedMidWriteLeavesOnlyCompleteOutputs();

private:
    QTemporaryDir m_photos;
    QString m_photo;
    QString m_bigPhoto;
};

void TestOutputTargets::initTestCase()
{
    ConfigureProcess();
    ::umask(022);
    QVERIFY(m_photos.isValid());
    QVERIFY(::chmod(PathBytes(m_photos.path()).constData(), 0755) == 0); // nobody reads the photo too
    m_photo = m_photos.filePath(QStringLiteral("photo.jpg"));
    QVERIFY(Photo(kWidth, kHeight).save(m_photo, "JPEG", 90));
    // Large enough that writing its bitmap takes a good part of a second.
    m_bigPhoto = m_photos.filePath(QStringLiteral("big.jpg"));
    QVERIFY(Photo(6000, 4000).save(m_bigPhoto, "JPEG", 90));
}

void TestOutputTargets::everyPathTreatsTheNameAlike_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("policy");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("situation");

    struct Way {
        const char *name;
        Policy policy;
        const char *suffix;
    };
    const Way ways[] = {
        {"save", Policy::Save, "bmp"},          {"save", Policy::Save, "png"},
        {"banded", Policy::Refuse, "bmp"},      {"banded", Policy::Replace, "bmp"},
        {"banded", Policy::Refuse, "jpg"},      {"banded", Policy::Replace, "jpg"},
        {"whole", Policy::Refuse, "png"},       {"whole", Policy::Replace, "png"},
        {"whole", Policy::Refuse, "tif"},       {"whole", Policy::Replace, "tif"},
        {"whole", Policy::Refuse, "webp"},      {"whole", Policy::Replace, "webp"},
        {"apply", Policy::Refuse, "bmp"},       {"apply", Policy::Replace, "bmp"},
        {"apply", Policy::Refuse, "png"},       {"apply", Policy::Replace, "png"},
    };
    for (const char *situation : {"none", "file", "read-only", "link", "dangling link", "link to read-only",
                                  "locked folder", "appears", "mode 0640"}) {
        for (const Way &way : ways) {
            // Only the banded path reports progress while the output is still being written.
            if (QByteArray(situation) == "appears" && QByteArray(way.name) != "banded")
                continue;
            const char *policy = way.policy == Policy::Save ? "" : way.policy == Policy::Refuse ? " refuse" : " replace";
            QTest::addRow("%s: %s %s%s", situation, way.name, way.suffix, policy)
                << QString::fromLatin1(way.name) << int(way.policy) << QString::fromLatin1(way.suffix)
                << QString::fromLatin1(situation);
        }
    }
}

// One table: the situation at the output's name × every way of writing; each row states the outcome,
// what the name holds afterwards and, for a link, the state of the file it names.
void TestOutputTargets::everyPathTreatsTheNameAlike()
{
    QFETCH(QString, way);
    QFETCH(int, policy);
    QFETCH(QString, suffix);
    QFETCH(QString, situation);
    const Expected expected = Expect(situation, Policy(policy));

    QTemporaryDir dir;
    QVERIFY(::chmod(PathBytes(dir.path()).constData(), 0755) == 0);
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkpath(out) && QDir().mkpath(elsewhere));
    const QString name = out + QStringLiteral("/photo.") + suffix;
    const QString target = elsewhere + QStringLiteral("/theirs.") + suffix;
    const QByteArray earlier("an earlier file, kept byte for byte");
    const QByteArray appeared("a file that appeared while the output was written");

    if (situation == QLatin1String("file") || situation == QLatin1String("read-only")
        || situation == QLatin1String("mode 0640"))
        QVERIFY(Write(name, earlier));
    if (situation == QLatin1String("read-only"))
        QVERIFY(::chmod(PathBytes(name).constData(), 0444) == 0);
    if (situation == QLatin1String("mode 0640"))
        QVERIFY(::chmod(PathBytes(name).constData(), 0640) == 0);
    if (situation.contains(QLatin1String("link"))) {
        if (situation != QLatin1String("dangling link"))
            QVERIFY(Write(target, earlier));
        if (situation == QLatin1String("link to read-only"))
            QVERIFY(::chmod(PathBytes(target).constData(), 0444) == 0);
        QVERIFY(::symlink("../elsewhere/theirs." + suffix.toLatin1(), PathBytes(name).constData()) == 0);
    }
    const bool locked = situation == QLatin1String("locked folder");
    if (locked)
        QVERIFY(::chmod(PathBytes(out).constData(), 0555) == 0);

    QString outcome;
    if (way == QLatin1String("save")) {
        SaveRequest request{Photo(kWidth, kHeight), name,
                            suffix == QLatin1String("bmp") ? PictureFormat::Bmp : PictureFormat::Png, {}, {}};
        const AsNobody nobody(locked);
        outcome = Outcome(SavePicture(request).problem);
    } else if (way == QLatin1String("apply")) {
        QStringList arguments{"--gains", "0.1,0,-0.1", "--format", suffix, "--jobs", "1", "--out", out};
        if (Policy(policy) == Policy::Replace)
            arguments << "--overwrite";
        outcome = Outcome(Apply(arguments << m_photo, locked));
    } else {
        const PlannedFile file{PathBytes(m_photo).toStdString(), PathBytes(name).toStdString(),
                               *WrittenFormatOfEnding(suffix.toStdString()), QFileInfo(m_photo).size(), FileFailure::None};
        bool staged = false;
        const auto progress = [&](long long) {
            if (situation == QLatin1String("appears") && !staged)
                staged = Write(name, appeared);
        };
        const AsNobody nobody(locked);
        const FileResult result =
            CorrectOneFile(file, 90, Policy(policy) == Policy::Replace ? NameClash::Replace : NameClash::Refuse,
                           MakeRowTables(Gains{0.1f, 0, -0.1f}), progress);
        outcome = Outcome(result.failure);
        if (situation == QLatin1String("appears"))
            QVERIFY(staged);
    }
    if (locked)
        QVERIFY(::chmod(PathBytes(out).constData(), 0755) == 0);

    QCOMPARE(outcome, QString::fromLatin1(expected.outcome));
    const QString size = QStringLiteral("%1 %2").arg(kWidth).arg(kHeight);
    const QByteArray nameAfter(expected.name);
    if (nameAfter == "new") {
        QVERIFY2(!IsLink(name), "the link was followed, or a link was made");
        QCOMPARE(PictureSize(name), size);
    } else if (nameAfter == "old") {
        QCOMPARE(Read(name), situation == QLatin1String("appears") ? appeared : earlier);
    } else if (nameAfter == "link") {
        QVERIFY2(IsLink(name), "the link was replaced");
        QCOMPARE(LinkText(name), QStringLiteral("../elsewhere/theirs.") + suffix);
    } else {
        QVERIFY(!Present(name));
    }
    const QByteArray targetAfter(expected.target);
    if (targetAfter == "unchanged")
        QCOMPARE(Read(target), earlier);
    else if (targetAfter == "new")
        QCOMPARE(PictureSize(target), size);
    else if (targetAfter == "none")
        QVERIFY(!Present(target));
    if (situation == QLatin1String("mode 0640") && QByteArray(expected.outcome) == "written")
        QCOMPARE(ModeOf(name), mode_t(0640));
    if (situation == QLatin1String("read-only"))
        QCOMPARE(ModeOf(name), mode_t(0444));

    // Nothing but the name itself, in both folders: no partial or hidden file left.
    QCOMPARE(Entries(out), nameAfter == "none" ? QStringList() : QStringList{QFileInfo(name).fileName()});
    QCOMPARE(Entries(elsewhere),
             targetAfter.isEmpty() || targetAfter == "none" ? QStringList() : QStringList{QFileInfo(target).fileName()});
}

void TestOutputTargets::killedMidWriteLeavesOnlyCompleteOutputs_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("named");
    for (const bool named : {false, true})
        for (const auto &[name, signal] : {std::pair{"SIGKILL", SIGKILL}, std::pair{"SIGTERM", SIGTERM},
                                           std::pair{"SIGINT", SIGINT}, std::pair{"SIGHUP", SIGHUP}})
            QTest::addRow("%s, %s temporary", name, named ? "named" : "unnamed") << signal << named;
}

// A run stopped while it writes a large bitmap: the output folder holds the outputs that were
// complete, and nothing else. Where the temporary had to have a name, a kill that cannot be caught
// leaves it until the next run in that folder, which removes it.
void TestOutputTargets::killedMidWriteLeavesOnlyCompleteOutputs()
{
    QFETCH(int, signal);
    QFETCH(bool, named);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    if (named)
        env.insert(QStringLiteral("VELMORA_NO_TMPFILE"), QStringLiteral("1"));
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(VELMORA_BINARY), {"apply", "--gains", "0.1,0,-0.1", "--format", "bmp", "--jobs", "1",
                                               "--out", out, m_photo, m_bigPhoto});
    QVERIFY(run.waitForStarted());
    // The small photo's bitmap is about 9 kB, the large one's 72 MB: past 8 MB the large one is
    // being written.
    long long written = 0;
    QElapsedTimer waited;
    waited.start();
    while ((written = BytesWritten(run.processId())) >= 0 && written < (8LL << 20) && waited.elapsed() < 60000
           && run.state() == QProcess::Running)
        QThread::usleep(500);
    QVERIFY2(run.state() == QProcess::Running && written >= (8LL << 20), "the run ended before it was stopped");
    KillAndWait(run, signal);
    QCOMPARE(run.exitStatus(), QProcess::CrashExit);

    if (named && signal == SIGKILL) {
        // The next run in the folder clears what the killed one left.
        QVERIFY(!Entries(out).filter(QRegularExpression(QStringLiteral("^\\."))).isEmpty());
        QStringList arguments{"--gains", "0,0,0", "--format", "bmp", "--out", out, m_photo, "--overwrite"};
        QCOMPARE(Apply(arguments, false, {QStringLiteral("VELMORA_NO_TMPFILE=1")}).exit, 0);
    }
    for (const QString &entry : Entries(out)) {
        QCOMPARE(entry, QStringLiteral("photo.bmp")); // the large photo's bitmap was never complete
        QCOMPARE(PictureSize(out + '/' + entry), QStringLiteral("%1 %2").arg(kWidth).arg(kHeight));
    }
}

QTEST_GUILESS_MAIN(TestOutputTargets)
#include "tst_output_targets.moc"
