// Velmora tests — how `velmora apply` takes its inputs and writes JPEGs, against the window's own
// save: a FIFO among the photos, names that are not UTF-8, and the same JPEG bytes from both faces.
#include <QtTest>

#include <cmath>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColorSpace>

#include "batch/batch_files.h"
#include "picture/jpeg_writer.h"
#include "picture/picture_loader.h"
#include "picture/picture_saver.h"
#include "picture/process_setup.h"
#include "support/files.h"
#include "support/tools.h"

extern char **environ;

using namespace velmora;
using fakes::Read;
using fakes::Write;

namespace {

struct Ran {
    int exit = -1;
    QByteArray err;
};

// `velmora apply` with arguments passed as bytes, as a shell passes names in any encoding
// (QProcess would turn them into text first). Ends with the process.
Ran ApplyRaw(const QList<QByteArray> &arguments)
{
    QList<QByteArray> all{VELMORA_BINARY, "apply"};
    all += arguments;
    std::vector<char *> argv;
    for (QByteArray &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QTemporaryFile err;
    if (!err.open())
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, err.handle(), 2);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {};
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    err.seek(0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err.readAll()};
}

// With a time limit: a run that hangs fails the test instead of holding it.
Ran Apply(const QStringList &arguments)
{
    const fakes::Ran ran =
        fakes::RunVelmora(QStringList{"apply"} + arguments, {{"LC_ALL", "LC_MESSAGES", "LANG"}, {}}, 60000);
    if (ran.timedOut)
        return {-2, "timed out"};
    return {ran.exit, ran.err};
}

QImage Photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 0x2545F491u;
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            const int light = 120 + int(50 * std::sin(x * 0.02) * std::cos(y * 0.017));
            row[x] = qRgb(qBound(0, light + 30 + int(state & 15), 255), qBound(0, light + int(state >> 8 & 15), 255),
                          qBound(0, light - 15 + int(state >> 16 & 15), 255));
        }
    }
    return image;
}

bool Exists(const QByteArray &localName)
{
    struct stat st {};
    return ::stat(localName.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

} // namespace

class TestApplyInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); }
    void fifoAmongPhotosFailsAlone_data();
    void fifoAmongPhotosFailsAlone();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void windowSaveAndApplyWriteTheSameJpeg();
    void fullDescriptorTableIsNotAMissingFile();
};

void TestApplyInputs::fifoAmongPhotosFailsAlone_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("to JPEG") << "jpg";
    QTest::newRow("to BMP") << "bmp";
    QTest::newRow("to PNG") << "png";
}

// A FIFO with nobody writing to it would block an open or a read for ever.
void TestApplyInputs::fifoAmongPhotosFailsAlone()
{
    QFETCH(QString, format);
    QTemporaryDir dir;
    QVERIFY(Photo(96, 64).save(dir.filePath("a.jpg"), "jpeg", 90));
    QVERIFY(Photo(64, 96).save(dir.filePath("c.jpg"), "jpeg", 90));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("b.jpg")).constData(), 0600) == 0);
    const QString out = dir.filePath("out");
    const Ran ran = Apply({"--gains", "0.1,0,0", "--format", format, "--out", out, dir.filePath("a.jpg"),
                           dir.filePath("b.jpg"), dir.filePath("c.jpg")});
    QCOMPARE(ran.exit, 1);
    QVERIFY2(ran.err.contains("b.jpg: not a regular file"), ran.err.constData());
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{"a." + format, "c." + format}));
}

void TestApplyInputs::namesThatAreNotUtf8_data()
{
    QTest::addColumn<QString>("inputFormat");
    QTest::addColumn<QString>("format");
    QTest::newRow("JPEG to PNG") << "jpg" << "png";   // the whole-picture path
    QTest::newRow("JPEG to BMP") << "jpg" << "bmp";   // the banded path
    QTest::newRow("PNG to BMP") << "png" << "bmp";    // the whole-picture path to a bitmap
    QTest::newRow("JPEG to JPEG") << "jpg" << "jpg";
}

// 你好 in GBK, as a photo copied from an older machine is named: bytes that are not UTF-8.
void TestApplyInputs::namesThatAreNotUtf8()
{
    QFETCH(QString, inputFormat);
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray stem = folder + "/\xC4\xE3\xBA\xC3";
    const QString plain = dir.filePath("plain." + inputFormat);
    QVERIFY(Photo(80, 60).save(plain, inputFormat == "jpg" ? "jpeg" : "png", 90));
    QVERIFY(::rename(QFile::encodeName(plain).constData(), (stem + "." + inputFormat.toLatin1()).constData()) == 0);

    const Ran ran = ApplyRaw({"--gains", "0.1,0,0", "--format", format.toLatin1(), "--out", folder + "/out",
                              stem + "." + inputFormat.toLatin1()});
    QVERIFY2(ran.exit == 0, ran.err.constData());
    const QByteArray output = folder + "/out/\xC4\xE3\xBA\xC3." + format.toLatin1();
    QVERIFY(Exists(output));
    // Read by ImageMagick under a plain name: the whole picture is there.
    const QString copy = dir.filePath("copy." + format);
    QVERIFY(::link(output.constData(), QFile::encodeName(copy).constData()) == 0);
    QCOMPARE(fakes::IdentifiedSize(copy), QSize(80, 60));
}

// The window's 保存 and `velmora apply` encode the same pixels with the same settings the same way:
// the same bytes, heading, density and colour profile included.
void TestApplyInputs::windowSaveAndApplyWriteTheSameJpeg()
{
    QTemporaryDir dir;
    // A photo at 300 dots per inch, tagged sRGB, as the window's own save writes one.
    const QString dense = dir.filePath("dense.jpg");
    QVERIFY(Photo(333, 217).save(dir.filePath("photo.png")));
    QVERIFY(fakes::RunProgram("convert", {dir.filePath("photo.png"), "-density", "300", "-units", "PixelsPerInch", dense}).ok());
    const std::optional<QByteArray> tagged =
        EncodeJpeg(Photo(333, 217), 92, QColorSpace(QColorSpace::SRgb).iccProfile(), Read(dense));
    QVERIFY(tagged);
    const QString input = dir.filePath("photo.jpg");
    QVERIFY(Write(input, *tagged));
    QCOMPARE(fakes::RunProgram("exiftool", {"-s3", "-XResolution", "-ResolutionUnit", input}).out.simplified(),
             QByteArray("300 inches"));

    const LoadedPicture loaded = LoadPicture(QFile::encodeName(input), 1);
    QCOMPARE(loaded.problem, LoadProblem::None);
    SaveOptions options;
    options.jpegQuality = 77;
    const QString saved = dir.filePath("saved.jpg");
    QVERIFY(SavePicture({loaded.image, saved, PictureFormat::Jpeg, options, loaded.encoded}).ok());

    const Ran ran = Apply({"--gains", "0,0,0", "--quality", "77", "--format", "jpg", "--out", dir.filePath("out"), input});
    QVERIFY2(ran.exit == 0, ran.err.constData());
    const QByteArray window = Read(saved), command = Read(dir.filePath("out/photo.jpg"));
    QVERIFY(!window.isEmpty());
    QCOMPARE(command.size(), window.size());
    QVERIFY(command == window);
}

// With no descriptor left, a photo that is there is not reported missing: the run is short of files.
void TestApplyInputs::fullDescriptorTableIsNotAMissingFile()
{
    QTemporaryDir dir;
    const QString photo = dir.filePath("photo.jpg");
    QVERIFY(Photo(32, 24).save(photo, "jpeg", 90));
    const std::string input = QFile::encodeName(photo).toStdString();
    const std::string output = QFile::encodeName(dir.filePath("out.bmp")).toStdString();

    rlimit before {};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
    const int lowestFree = ::dup(0);
    QVERIFY(lowestFree >= 0);
    ::close(lowestFree);
    rlimit full = before;
    full.rlim_cur = rlim_t(lowestFree); // every descriptor below it is taken
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &full) == 0);
    const LoadProblem loaded = LoadPicture(QFile::encodeName(photo), 1).problem;
    const StreamOutcome banded =
        CorrectJpegFile({input, output, false, PictureFormat::Bmp, 90, 1LL << 30, 1}, MakeRowTables(Gains{}), {});
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &before) == 0);

    QCOMPARE(loaded, LoadProblem::NoResources);
    QCOMPARE(banded.result, StreamResult::Unreadable);
    QCOMPARE(FailureOfStream(banded), FileFailure::NoResources);
    QVERIFY(!QFile::exists(dir.filePath("out.bmp")));
}

QTEST_GUILESS_MAIN(TestApplyInputs)
#include "tst_apply_inputs.moc"
