// Velmora tests — saved files checked with decoders and metadata tools that are not the program's:
// every format's pixels and colour profile, camera data carried over, and failures named for what
// really happened, with nothing half-written.
#include <QtTest>

#include "support/files.h"
#include "support/tools.h"

#include "support/file_size_limit.h"

#include <csignal>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "picture/picture_saver.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;
using fakes::Read;
using fakes::Write;

namespace {

// Decodes with PIL: mode, size, the ICC profile's description and the RGB bytes in hex.
constexpr const char *kDecode = R"(
import io, json, sys
from PIL import Image, ImageCms
im = Image.open(sys.argv[1])
icc = im.info.get('icc_profile')
desc = ImageCms.getProfileDescription(ImageCms.ImageCmsProfile(io.BytesIO(icc))).strip() if icc else ''
print(json.dumps({'format': im.format, 'mode': im.mode, 'width': im.width, 'height': im.height,
                  'icc': desc, 'rgb': im.convert('RGB').tobytes().hex()}))
)";

QJsonObject DecodeWithPil(const QString &path)
{
    return fakes::JsonOf(fakes::kPython, {QStringLiteral("-c"), QString::fromLatin1(kDecode), path});
}

QImage Photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 255 / std::max(1, width - 1) + (x * y) % 7) % 256,
                                      (y * 255 / std::max(1, height - 1)) % 256, (x + 2 * y) % 256));
    return image;
}

// Grain that no encoder squeezes much: a fixed seed, so every run sees the same picture.
QImage Grain(int width, int height)
{
    QRandomGenerator random(7);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(100 + random.bounded(60), 80 + random.bounded(60), 60 + random.bounded(60)));
    return image;
}

QByteArray RgbHex(const QImage &image)
{
    QByteArray bytes;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            bytes.append(char(qRed(p))).append(char(qGreen(p))).append(char(qBlue(p)));
        }
    return bytes.toHex();
}

// The largest difference of any channel of any pixel between two RGB byte strings.
int LargestDifference(const QByteArray &a, const QByteArray &b)
{
    int largest = 0;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        largest = std::max(largest, std::abs(int(quint8(a[i])) - int(quint8(b[i]))));
    return largest;
}

QStringList Entries(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

SaveOutcome Save(const QImage &image, const QString &path, const QByteArray &original = {}, SaveOptions options = {})
{
    return SavePicture({image, path, WrittenFormatOfPath(path.toStdString()).value_or(PictureFormat::Bmp), options, original});
}

// A JPEG as a phone leaves it: make, model, date, turned by its orientation tag, with a thumbnail of
// the uncorrected photo, XMP and IPTC.
bool MakeCameraJpeg(const QTemporaryDir &dir, const QString &path)
{
    const QString thumbnail = dir.filePath(QStringLiteral("thumb.jpg"));
    return Photo(64, 48).save(path, "JPEG", 90) && Photo(16, 12).save(thumbnail, "JPEG", 80)
           && fakes::RunProgram(QStringLiteral("exiftool"),
                  {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Make=Kestrel"),
                   QStringLiteral("-Model=K-7 Pro"), QStringLiteral("-DateTimeOriginal=2024:05:17 09:41:12"),
                   QStringLiteral("-Orientation#=6"), QStringLiteral("-ColorSpace#=65535"),
                   QStringLiteral("-ExifImageWidth=4000"), QStringLiteral("-ExifImageHeight=3000"),
                   QStringLiteral("-ThumbnailImage<=") + thumbnail, QStringLiteral("-XMP-dc:Title=Harbour at dawn"),
                   QStringLiteral("-IPTC:Keywords=harbour"), path})
                  .ok();
}

// File access as an unprivileged user for the life of the object: root passes every permission
// check, so a test of one drops root's file-system identity (and with it the override) on this thread.
class AsNobody {
public:
    AsNobody() : m_previous(setfsuid(65534)) {}
    ~AsNobody() { setfsuid(m_previous); }

private:
    int m_previous;
};

} // namespace

class TestSaving : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lossless_data();
    void lossless();
    void jpegWithinCodecError_data();
    void jpegWithinCodecError();
    void lossyWebp();
    void cameraDataCarriedOver_data();
    void cameraDataCarriedOver();
    void noCameraDataGetsNone();
    void failuresNamedAndNothingLost_data();
    void failuresNamedAndNothingLost();
    void noPermission();
    void fileSizeLimitDoesNotEndTheProgram();
    void replacesAndKeepsPermissions();
};

void TestSaving::initTestCase()
{
    // Whatever the test runner left the signal as, the program's own start-up must take care of it.
    std::signal(SIGXFSZ, SIG_DFL);
    ConfigureProcess(); ConfigureApplication();
}

void TestSaving::lossless_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("profile");
    QTest::newRow("png") << "out.png" << "PNG" << "RGB" << true;
    QTest::newRow("PNG upper case") << "OUT.PNG" << "PNG" << "RGB" << true;
    QTest::newRow("tiff") << "out.tiff" << "TIFF" << "RGB" << true;
    QTest::newRow("tif") << "out.Tif" << "TIFF" << "RGB" << true;
    QTest::newRow("webp lossless") << "out.webp" << "WEBP" << "RGB" << true;
    QTest::newRow("bmp") << "out.bmp" << "BMP" << "RGB" << false;
}

// Exactly the corrected pixels, 8-bit RGB, and an sRGB profile for the formats that carry one.
void TestSaving::lossless()
{
    QFETCH(QString, name);
    QFETCH(QString, format);
    QFETCH(QString, mode);
    QFETCH(bool, profile);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QImage image = Photo(61, 37);
    const SaveOutcome outcome = Save(image, path);
    QVERIFY(outcome.ok());
    const QJsonObject decoded = DecodeWithPil(path);
    QCOMPARE(decoded[QLatin1String("format")].toString(), format);
    QCOMPARE(decoded[QLatin1String("mode")].toString(), mode);
    QCOMPARE(decoded[QLatin1String("width")].toInt(), 61);
    QCOMPARE(decoded[QLatin1String("height")].toInt(), 37);
    QVERIFY(decoded[QLatin1String("rgb")].toString().toLatin1() == RgbHex(image));
    const QString icc = decoded[QLatin1String("icc")].toString();
    QVERIFY2(profile ? icc.contains(QLatin1String("sRGB")) : icc.isEmpty(), qPrintable(icc));
    QCOMPARE(Entries(dir.path()), QStringList{name});
}

void TestSaving::jpegWithinCodecError_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("jpg") << "out.jpg";
    QTest::newRow("JPEG") << "out.JPEG";
}

// Quality 95 with full-resolution colour: each pixel within a few levels, even colour detail one
// pixel wide (halved chroma would smear it by tens of levels).
void TestSaving::jpegWithinCodecError()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QImage image = Photo(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; x += 2)
            image.setPixel(x, y, qRgb(200, 40, 40)); // red and photo colours alternate column by column
    QVERIFY(Save(image, path).ok());
    const QJsonObject decoded = DecodeWithPil(path);
    QCOMPARE(decoded[QLatin1String("format")].toString(), QStringLiteral("JPEG"));
    QVERIFY(decoded[QLatin1String("icc")].toString().contains(QLatin1String("sRGB")));
    const int largest = LargestDifference(QByteArray::fromHex(decoded[QLatin1String("rgb")].toString().toLatin1()),
                                          QByteArray::fromHex(RgbHex(image)));
    QVERIFY2(largest <= 12, qPrintable(QString::number(largest)));
    // 4:4:4: every component sampled 1×1, as ImageMagick reads the file.
    QCOMPARE(fakes::Identify(path, QStringLiteral("%[jpeg:sampling-factor] %Q")), QStringLiteral("1x1,1x1,1x1 95"));
}

// Lossy WebP at the chosen quality is smaller than lossless and still close to the picture.
void TestSaving::lossyWebp()
{
    QTemporaryDir dir;
    const QImage image = Grain(120, 80);
    SaveOptions lossy;
    lossy.webpLossless = false;
    lossy.webpQuality = 80;
    QVERIFY(Save(image, dir.filePath(QStringLiteral("lossy.webp")), {}, lossy).ok());
    QVERIFY(Save(image, dir.filePath(QStringLiteral("lossless.webp"))).ok());
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("lossy.webp"))).size()
            < QFileInfo(dir.filePath(QStringLiteral("lossless.webp"))).size());
    const QJsonObject decoded = DecodeWithPil(dir.filePath(QStringLiteral("lossy.webp")));
    const QByteArray rgb = QByteArray::fromHex(decoded[QLatin1String("rgb")].toString().toLatin1());
    QCOMPARE(rgb.size(), 120 * 80 * 3);
    QVERIFY(rgb != QByteArray::fromHex(RgbHex(image)));
    QVERIFY(LargestDifference(rgb, QByteArray::fromHex(RgbHex(image))) < 80);
}

void TestSaving::cameraDataCarriedOver_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("iptc");
    QTest::newRow("jpeg") << "out.jpg" << true;
    QTest::newRow("png") << "out.png" << true;
    QTest::newRow("tiff") << "out.tif" << true;
    QTest::newRow("webp") << "out.webp" << false; // the format has no place for IPTC
}

// Make, model and date come along; the orientation says upright, the sizes are the saved picture's,
// the thumbnail of the uncorrected photo is gone, and the pixels and profile are untouched.
void TestSaving::cameraDataCarriedOver()
{
    QFETCH(QString, name);
    QFETCH(bool, iptc);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("camera.jpg"));
    QVERIFY(MakeCameraJpeg(dir, source));
    const QJsonObject before = fakes::ExifToolJson(source);
    QVERIFY(before.contains(QLatin1String("IFD1:ThumbnailImage")));
    QCOMPARE(before[QLatin1String("IFD0:Orientation")].toInt(), 6);

    const QString path = dir.filePath(name);
    const QImage image = Photo(48, 64); // the photo as shown: turned upright
    const SaveOutcome outcome = Save(image, path, Read(source));
    QVERIFY(outcome.ok());
    QCOMPARE(outcome.cameraDataDropped, !iptc);

    const QJsonObject after = fakes::ExifToolJson(path);
    QVERIFY2(!after.isEmpty(), qPrintable(path));
    QCOMPARE(after[QLatin1String("IFD0:Make")].toString(), QStringLiteral("Kestrel"));
    QCOMPARE(after[QLatin1String("IFD0:Model")].toString(), QStringLiteral("K-7 Pro"));
    QCOMPARE(after[QLatin1String("ExifIFD:DateTimeOriginal")].toString(), QStringLiteral("2024:05:17 09:41:12"));
    QCOMPARE(after[QLatin1String("IFD0:Orientation")].toInt(), 1);
    QCOMPARE(after[QLatin1String("ExifIFD:ExifImageWidth")].toInt(), 48);
    QCOMPARE(after[QLatin1String("ExifIFD:ExifImageHeight")].toInt(), 64);
    QCOMPARE(after[QLatin1String("ExifIFD:ColorSpace")].toInt(), 1);
    QCOMPARE(after[QLatin1String("XMP-dc:Title")].toString(), QStringLiteral("Harbour at dawn"));
    if (iptc)
        QCOMPARE(after[QLatin1String("IPTC:Keywords")].toString(), QStringLiteral("harbour"));
    for (auto it = after.begin(); it != after.end(); ++it)
        QVERIFY2(!it.key().startsWith(QLatin1String("IFD1:")), qPrintable(it.key()));

    const QJsonObject decoded = DecodeWithPil(path);
    QVERIFY(decoded[QLatin1String("icc")].toString().contains(QLatin1String("sRGB")));
    QCOMPARE(decoded[QLatin1String("width")].toInt(), 48);
    if (!name.endsWith(QLatin1String(".jpg")))
        QVERIFY(decoded[QLatin1String("rgb")].toString().toLatin1() == RgbHex(image));
}

void TestSaving::noCameraDataGetsNone()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("plain.png"));
    QVERIFY(Photo(20, 10).save(source, "PNG"));
    const QString path = dir.filePath(QStringLiteral("out.jpg"));
    const SaveOutcome outcome = Save(Photo(20, 10), path, Read(source));
    QVERIFY(outcome.ok() && !outcome.cameraDataDropped);
    const QJsonObject after = fakes::ExifToolJson(path);
    for (auto it = after.begin(); it != after.end(); ++it)
        QVERIFY2(!it.key().startsWith(QLatin1String("IFD0:")) && !it.key().startsWith(QLatin1String("XMP")),
                 qPrintable(it.key()));
}

void TestSaving::failuresNamedAndNothingLost_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<int>("problem");
    for (const char *name : {"out.bmp", "out.png", "out.jpg"}) {
        QTest::addRow("%s: folder of that name", name) << name << "folder" << int(SaveProblem::IsFolder);
        QTest::addRow("%s: read-only file", name) << name << "read-only" << int(SaveProblem::ReadOnlyFile);
        QTest::addRow("%s: missing folder", name) << QStringLiteral("gone/") + name << "" << int(SaveProblem::NoFolder);
    }
}

// Each failure says what happened, the file there before is as it was, and no partial file remains.
void TestSaving::failuresNamedAndNothingLost()
{
    QFETCH(QString, name);
    QFETCH(QString, setUp);
    QFETCH(int, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QByteArray earlier("an earlier photo");
    if (setUp == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(name));
    if (setUp == QLatin1String("read-only")) {
        QVERIFY(Write(path, earlier));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    const QStringList entries = Entries(dir.path());
    const SaveOutcome outcome = Save(Photo(30, 20), path);
    QCOMPARE(int(outcome.problem), problem);
    QCOMPARE(Entries(dir.path()), entries);
    if (setUp == QLatin1String("read-only"))
        QCOMPARE(Read(path), earlier);
    if (setUp == QLatin1String("folder"))
        QVERIFY(QFileInfo(path).isDir());
}

// A folder the user may not write to. Root may write anywhere, so the save runs with an ordinary
// user's file access.
void TestSaving::noPermission()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    SaveOutcome outcome;
    bool denied = false;
    {
        const AsNobody nobody;
        const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/probe"));
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        denied = fd < 0 && errno == EACCES;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.constData());
        }
        if (denied)
            outcome = Save(Photo(8, 8), folder + QStringLiteral("/out.png"));
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    if (!denied)
        QSKIP("this process may write to a folder of mode 0555 (root without a way to drop its file access)");
    QCOMPARE(int(outcome.problem), int(SaveProblem::NoPermission));
    QVERIFY(Entries(folder).isEmpty());
}

// Under `ulimit -f` the write fails with EFBIG, reported as such; the process lives on, and the
// earlier file and the folder are as they were.
void TestSaving::fileSizeLimitDoesNotEndTheProgram()
{
    QTemporaryDir dir;
    for (const char *name : {"limit.bmp", "limit.png"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QVERIFY(Save(Photo(10, 10), path).ok());
        const QByteArray before = Read(path);
        SaveOutcome outcome;
        {
            const fakes::FileSizeLimit limit(16 * 1024);
            outcome = Save(Grain(400, 300), path);
        }
        QCOMPARE(int(outcome.problem), int(SaveProblem::FileSizeLimit));
        QCOMPARE(Read(path), before);
    }
    QCOMPARE(Entries(dir.path()), (QStringList{"limit.bmp", "limit.png"}));
}

// Replacing a file keeps its permissions; a new file gets the usual ones.
void TestSaving::replacesAndKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.png"));
    QVERIFY(Write(path, "old"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    QVERIFY(Save(Photo(5, 5), path).ok());
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0640));
    QCOMPARE(DecodeWithPil(path)[QLatin1String("width")].toInt(), 5);

    const mode_t mask = ::umask(022);
    const QString fresh = dir.filePath(QStringLiteral("fresh.bmp"));
    QVERIFY(Save(Photo(5, 5), fresh).ok());
    ::umask(mask);
    QVERIFY(::stat(QFile::encodeName(fresh).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0644));
}

QTEST_MAIN(TestSaving)
#include "tst_saving.moc"
