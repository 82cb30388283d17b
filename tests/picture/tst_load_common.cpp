// Velmora tests — the loader's verdict on files in general: what is not a file, a file rewritten while
// it loads, the memory limit, colour profiles in every format, 16-bit samples rounded, reloads, names in
// any encoding and the file's bytes kept. Fixtures are made here; pixels are checked against
// ImageMagick's decoding of the same file or a model made from the samples written, never against our
// own earlier output.
#include <QtTest>

#include "support/files.h"
#include "support/image_compare.h"
#include "support/loader_rig.h"
#include "support/jpeg_fixtures.h"
#include "support/png_fixtures.h"
#include "support/tiff_fixtures.h"
#include "support/tools.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QColorSpace>
#include <QImageReader>

#include "picture/picture_loader.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;
using namespace velmora::fakes;

Q_DECLARE_METATYPE(velmora::LoadProblem)
Q_DECLARE_METATYPE(velmora::LoadWarning)

class TestLoadCommon : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void notAFile_data();
    void notAFile();
    void rewrittenWhileLoading_data();
    void rewrittenWhileLoading();
    void memoryRefusal_data();
    void memoryRefusal();
    void profileToSrgb_data();
    void profileToSrgb();
    void brokenProfile_data();
    void brokenProfile();
    void sixteenBitsRounded_data();
    void sixteenBitsRounded();
    void reloadReusesMemoryOnlyWhenFree();
    void nameInAnyEncoding();
    void fileBytesKept_data();
    void fileBytesKept();

private:
    FixtureFolder m_files;
};

void TestLoadCommon::initTestCase()
{
    ConfigureProcess(); ConfigureApplication();
    // The size limits below assume the largest limit the program ever sets.
    QImageReader::setAllocationLimit(2047);
    QVERIFY(m_files.isValid());
    QVERIFY2(QFile::exists(kAdobeRgb), "icc-profiles-free is needed for the colour tests");
}

void TestLoadCommon::notAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO named like a picture") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("device") << "device";
}

// A FIFO with no writer would block a plain open or read for good; the load must come back at once.
void TestLoadCommon::notAFile()
{
    QFETCH(QString, kind);
    QString target;
    if (kind == "fifo") {
        target = m_files.path("waiting.bmp");
        QVERIFY(::mkfifo(QFile::encodeName(target).constData(), 0600) == 0);
    } else if (kind == "folder") {
        target = m_files.path("folder.jpg");
        QVERIFY(QDir().mkpath(target));
    } else {
        target = QStringLiteral("/dev/zero");
    }
    auto load = std::async(std::launch::async, [target] { return LoadPicture(target); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Free the stuck reader before failing, so the test program can end.
        const int writer = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        QFAIL("the load blocked");
    }
    const LoadedPicture loaded = load.get();
    QCOMPARE(loaded.problem, LoadProblem::NotAFile);
    QVERIFY(loaded.image.isNull());
}

void TestLoadCommon::rewrittenWhileLoading_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("jpeg") << QByteArray("JPG");
    QTest::newRow("bitmap") << QByteArray("BMP");
    QTest::newRow("png") << QByteArray("PNG");
}

// Another program rewrites the file in place over and over while we load it: every load is
// either refused or one whole version, never rows of both.
void TestLoadCommon::rewrittenWhileLoading()
{
    QFETCH(QByteArray, format);
    QImage red(96, 64, QImage::Format_RGB32), blue(96, 64, QImage::Format_RGB32);
    red.fill(qRgb(230, 20, 20));
    blue.fill(qRgb(20, 20, 230));
    const QByteArray versions[2] = {Encode(red, format, 90), Encode(blue, format, 90)};
    const QString target = m_files.path(QStringLiteral("rewritten.") + QString::fromLatin1(format).toLower());
    QVERIFY(Write(target, versions[0]));

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const QByteArray name = QFile::encodeName(target);
        for (int i = 0; !stop; ++i) {
            const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC);
            const QByteArray &v = versions[i % 2];
            // Two writes, so a reader can meet the file half rewritten.
            const qsizetype half = v.size() / 2;
            [[maybe_unused]] auto a = ::write(fd, v.constData(), size_t(half));
            [[maybe_unused]] auto b = ::write(fd, v.constData() + half, size_t(v.size() - half));
            ::close(fd);
        }
    });
    int mixed = 0;
    for (int i = 0; i < 1500; ++i) {
        const LoadedPicture loaded = LoadPicture(target);
        if (loaded.problem != LoadProblem::None)
            continue;
        const QImage &img = loaded.image;
        const QRgb first = img.pixel(0, 0), last = img.pixel(img.width() - 1, img.height() - 1);
        const bool uniform = std::abs(qRed(first) - qRed(last)) < 24 && std::abs(qBlue(first) - qBlue(last)) < 24
                             && img.size() == red.size();
        if (!uniform)
            ++mixed;
    }
    stop = true;
    writer.join();
    QCOMPARE(mixed, 0);
    // Once the file holds still it loads.
    QCOMPARE(LoadPicture(target).problem, LoadProblem::None);
}

void TestLoadCommon::memoryRefusal_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");
    QTest::addColumn<QSize>("declared");

    // With a 40 MB limit.
    const QByteArray jpeg = Encode(Noise(64, 64), "JPG", 90);
    QTest::newRow("jpeg, picture over the limit")
        << ClaimSize(jpeg, 4000, 3000) << LoadProblem::TooLarge << QSize(4000, 3000);
    QTest::newRow("jpeg turned, the upright size reported")
        << AfterStart(ClaimSize(jpeg, 4000, 3000), Segment(0xE1, ExifOrientation(8))) << LoadProblem::TooLarge
        << QSize(3000, 4000);
    // 36 MB of picture fits; with the decoder's coefficients for every block it does not.
    QTest::newRow("progressive jpeg, picture and coefficients over the limit")
        << ClaimSize(Read(Data("progressive.jpg")), 3000, 3000) << LoadProblem::TooLarge << QSize(3000, 3000);
    QImage flat(3000, 3000, QImage::Format_RGB32);
    flat.fill(qRgb(200, 150, 120));
    QTest::newRow("png, 8-bit, fits") << Encode(flat, "PNG") << LoadProblem::None << QSize();
    // 16-bit PNGs are read straight into 32 bits: the 36 MB picture is all they take.
    QTest::newRow("png, 16-bit, fits")
        << Encode(flat.convertToFormat(QImage::Format_RGBX64), "PNG") << LoadProblem::None << QSize();
    // Tiny files claiming large pictures: refused on their header, before any pixel is read.
    const QByteArray noData = PngChunk("IDAT", qCompress(QByteArray(16, '\0')).mid(4));
    QTest::newRow("png, 16-bit, picture over the limit")
        << DeepPng({3500, 3000, 2, {}, {}}, false, {}, noData) << LoadProblem::TooLarge << QSize(3500, 3000);
    QTest::newRow("png, 16-bit, sides beyond libpng's own limit")
        << DeepPng({2000000, 1500000, 6, {}, {}}, true, {}, noData) << LoadProblem::TooLarge
        << QSize(2000000, 1500000);
    // 16-bit TIFFs go straight to 32 bits: the picture alone counts (the claimed pixels are never read).
    QTest::newRow("tiff, 16-bit, fits")
        << ImageMagick({"-size", "3000x3000", "xc:#C89678", "-depth", "16", "-compress", "lzw", "tiff:-"})
        << LoadProblem::None << QSize();
    QTest::newRow("tiff, 16-bit, picture over the limit")
        << UncompressedTiff(4000, 3000, 3, {1, 2, 3}) << LoadProblem::TooLarge << QSize(4000, 3000);
    QTest::newRow("tiff, 16-bit turned, the upright size reported")
        << UncompressedTiff(4000, 3000, 1, {1, 2, 3}, 6) << LoadProblem::TooLarge << QSize(3000, 4000);
    // 8-bit TIFFs turned a quarter are written upright as they are read: no second 36 MB picture.
    QTest::newRow("tiff, 8-bit turned, fits")
        << ImageMagick({"-size", "3000x3000", "xc:#C89678", "-orient", "right-top", "-depth", "8", "-compress", "lzw",
                    "tiff:-"})
        << LoadProblem::None << QSize();
    QTest::newRow("tiff, 8-bit, picture over the limit")
        << UncompressedTiff(4000, 3000, 3, {1, 2, 3}, 1, 8) << LoadProblem::TooLarge << QSize(4000, 3000);
    QTest::newRow("tiff, 8-bit turned, the upright size reported")
        << UncompressedTiff(4000, 3000, 4, {1, 2, 3}, 8, 8) << LoadProblem::TooLarge << QSize(3000, 4000);
    QTest::newRow("png, palette, with its conversion over the limit")
        << Encode(flat.convertToFormat(QImage::Format_Indexed8), "PNG") << LoadProblem::TooLarge
        << QSize(3000, 3000);
}

void TestLoadCommon::memoryRefusal()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    QFETCH(QSize, declared);
    const QString file = m_files.path(QStringLiteral("large.pic"));
    QVERIFY(Write(file, bytes));
    const MemoryLimit limit(40);
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, problem);
    if (problem == LoadProblem::TooLarge)
        QCOMPARE(loaded.declaredSize, declared);
    else
        QCOMPARE(loaded.image.size(), QSize(3000, 3000));
}

void TestLoadCommon::profileToSrgb_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("deep"); // stored at 16 bits a channel
    QTest::newRow("jpeg") << QByteArray("JPG") << false;
    QTest::newRow("png") << QByteArray("PNG") << false;
    QTest::newRow("png, 16-bit") << QByteArray("PNG") << true;
    QTest::newRow("tiff") << QByteArray("TIFF") << false;
    QTest::newRow("tiff, 16-bit") << QByteArray("TIFF16") << true;
    QTest::newRow("webp") << QByteArray("WEBP") << false;
}

// A photo tagged Adobe RGB is shown in sRGB, within 2 levels of an independent conversion.
void TestLoadCommon::profileToSrgb()
{
    QFETCH(QByteArray, format);
    QFETCH(bool, deep);
    QImage image(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x * 4, 255 - y * 8, (x * 4 + y * 8) % 256));
    if (deep)
        image.convertTo(QImage::Format_RGBX64);
    image.setColorSpace(QColorSpace::fromIccProfile(Read(kAdobeRgb)));
    QVERIFY(image.colorSpace().isValid());
    const QString file = m_files.path(QStringLiteral("adobe.") + QString::fromLatin1(format).toLower());
    if (format == "TIFF16") // Qt writes the profile and 16-bit samples
        QVERIFY(Write(file, Encode(image.convertToFormat(QImage::Format_RGBX64), "TIFF")));
    else
        QVERIFY(Write(file, Encode(image, format, 100)));
    QCOMPARE(QImageReader(file).imageFormat() == QImage::Format_RGBX64, deep);

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    const QImage reference = DecodedByImageMagick(file, {"-profile", kSrgb});
    QVERIFY(!reference.isNull());
    const int difference = MaxDifference(loaded.image, reference);
    QVERIFY2(difference <= 2, qPrintable(QString::number(difference)));
    // The conversion matters: the stored values are far from sRGB.
    QVERIFY(MaxDifference(DecodedByImageMagick(file), reference) > 20);
}

void TestLoadCommon::brokenProfile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("untagged");

    const QByteArray jpeg = Encode(Quadrants(32, 16), "JPG", 95);
    const QByteArray garbage(400, '\x37');
    QTest::newRow("jpeg, profile that is not one")
        << AfterStart(jpeg, Segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + garbage)) << jpeg;
    QTest::newRow("jpeg, profile pieces out of order")
        << AfterStart(jpeg, Segment(0xE2, QByteArray("ICC_PROFILE\0\x02\x01", 14) + Read(kAdobeRgb))) << jpeg;
    QByteArray cut = Read(kAdobeRgb);
    cut.truncate(300);
    QTest::newRow("jpeg, profile cut short")
        << AfterStart(jpeg, Segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + cut)) << jpeg;

    const QByteArray png = Encode(Quadrants(32, 16), "PNG");
    const QByteArray iccp = PngChunk("iCCP", QByteArray("bad\0\0", 5) + qCompress(garbage).mid(4));
    QTest::newRow("png, profile that is not one") << png.left(33) + iccp + png.mid(33) << png;
    const QByteArray deepPng = Encode(Quadrants(32, 16).convertToFormat(QImage::Format_RGBX64), "PNG");
    QTest::newRow("png, 16-bit, profile that is not one") << deepPng.left(33) + iccp + deepPng.mid(33) << deepPng;

    // Qt writes the profile as it is into TIFF and WebP; its first bytes are overwritten here.
    for (const char *format : {"TIFF", "WEBP"}) {
        QImage image = Quadrants(32, 16);
        const QByteArray untagged = Encode(image, format, 100);
        image.setColorSpace(QColorSpace::fromIccProfile(Read(kAdobeRgb)));
        QByteArray tagged = Encode(image, format, 100);
        const qsizetype at = tagged.indexOf(Read(kAdobeRgb).mid(0, 64));
        QVERIFY(at > 0);
        tagged.replace(at, 40, QByteArray(40, '\x37'));
        QTest::addRow("%s, profile that is not one", format) << tagged << untagged;
    }
    QImage deep = Quadrants(32, 16).convertToFormat(QImage::Format_RGBX64);
    const QByteArray deepUntagged = Encode(deep, "TIFF");
    deep.setColorSpace(QColorSpace::fromIccProfile(Read(kAdobeRgb)));
    QByteArray deepTagged = Encode(deep, "TIFF");
    const qsizetype at = deepTagged.indexOf(Read(kAdobeRgb).mid(0, 64));
    QVERIFY(at > 0);
    deepTagged.replace(at, 40, QByteArray(40, '\x37'));
    QTest::newRow("tiff, 16-bit, profile that is not one") << deepTagged << deepUntagged;
}

// The picture still loads, as if it had no profile, and the window is told to say so.
void TestLoadCommon::brokenProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, untagged);
    const QString file = m_files.path(QStringLiteral("broken profile"));
    const QString plain = m_files.path(QStringLiteral("plain"));
    QVERIFY(Write(file, bytes));
    QVERIFY(Write(plain, untagged));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::ProfileIgnored);
    QCOMPARE(MaxDifference(loaded.image, DecodedByImageMagick(plain)), 0);
}

void TestLoadCommon::sixteenBitsRounded_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png") << QByteArray("PNG");
    QTest::newRow("tiff") << QByteArray("TIFF");
}

// 16-bit channels come down to 8 bits rounded to the nearest level, v × 255 / 65535.
void TestLoadCommon::sixteenBitsRounded()
{
    QFETCH(QByteArray, format);
    const quint16 values[] = {0, 127, 128, 257 * 100 + 128, 257 * 100 + 129, 0x7FFF, 0x8080, 65407, 65535};
    const int count = int(std::size(values));
    QImage image(count, 1, QImage::Format_RGBX64);
    for (int i = 0; i < count; ++i)
        image.setPixelColor(i, 0, QColor::fromRgba64(values[i], values[count - 1 - i], values[i], 65535));
    const QString file = m_files.path(QStringLiteral("deep.") + QString::fromLatin1(format).toLower());
    QVERIFY(Write(file, Encode(image, format)));
    QVERIFY(QImageReader(file).imageFormat() != QImage::Format_RGB32); // stored at 16 bits
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    const auto round = [](quint16 v) { return int(std::lround(v * 255.0 / 65535.0)); };
    for (int i = 0; i < count; ++i) {
        const QRgb p = loaded.image.pixel(i, 0);
        QCOMPARE(qRed(p), round(values[i]));
        QCOMPARE(qGreen(p), round(values[count - 1 - i]));
    }
}

// 刷新 reloads into the memory of the picture it replaces, but only once nothing shows that picture.
void TestLoadCommon::reloadReusesMemoryOnlyWhenFree()
{
    QImage red(300, 200, QImage::Format_RGB32), blue(300, 200, QImage::Format_RGB32);
    red.fill(qRgb(230, 20, 20));
    blue.fill(qRgb(20, 20, 230));
    const QString redFile = m_files.path(QStringLiteral("red.jpg")), blueFile = m_files.path(QStringLiteral("blue.jpg"));
    QVERIFY(Write(redFile, Encode(red, "JPG", 95)));
    QVERIFY(Write(blueFile, Encode(blue, "JPG", 95)));

    QImage shown = LoadPicture(redFile).image;
    const uchar *first = shown.constBits();
    QCOMPARE(reinterpret_cast<quintptr>(first) % (2u << 20), quintptr(0)); // huge-page aligned
    QImage copy = shown; // a second holder of the same pixels, as a paint in flight would be

    QImage reloaded = LoadPicture(blueFile).image;
    QVERIFY(reloaded.constBits() != first);
    QVERIFY(qRed(shown.pixel(150, 100)) > 200); // the shown picture was not written over

    shown = QImage(); // the box drops it, but the copy still holds it
    QImage third = LoadPicture(redFile).image;
    QVERIFY(third.constBits() != first);
    third = QImage();
    // Now the first picture's memory is free: its last holder goes, a reload of the size takes it.
    copy = QImage();
    QImage fourth = LoadPicture(blueFile).image;
    QCOMPARE(fourth.constBits(), first);
    QVERIFY(qBlue(fourth.pixel(0, 0)) > 200 && qBlue(fourth.pixel(299, 199)) > 200);
    QVERIFY(qRed(reloaded.pixel(0, 0)) < 60);

    // A picture of another size after it gets memory of its own size.
    QImage small(30, 20, QImage::Format_RGB32);
    small.fill(Qt::white);
    const QString smallFile = m_files.path(QStringLiteral("small.jpg"));
    QVERIFY(Write(smallFile, Encode(small, "JPG", 95)));
    fourth = QImage();
    const QImage smallLoaded = LoadPicture(smallFile).image;
    QCOMPARE(smallLoaded.size(), QSize(30, 20));
    QCOMPARE(smallLoaded.pixel(29, 19), qRgb(255, 255, 255));
}

// Zips from Chinese Windows carry GBK names, which are not UTF-8: the bytes open as they are.
void TestLoadCommon::nameInAnyEncoding()
{
    const QByteArray name = m_files.encodedPath() + "/\xC4\xE3\xBA\xC3.jpg"; // 你好 in GBK
    const QByteArray jpeg = Encode(Quadrants(16, 16), "JPG", 95);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, jpeg.constData(), size_t(jpeg.size())), ssize_t(jpeg.size()));
    ::close(fd);
    const LoadedPicture loaded = LoadPicture(name);
    ::unlink(name.constData()); // Qt's own removal of the folder would not see this name
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), QSize(16, 16));
}

// The file's bytes come back with the picture, for saving its camera data later.
void TestLoadCommon::fileBytesKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray jpeg = AfterStart(Encode(Quadrants(16, 16), "JPG", 95), Segment(0xE1, ExifOrientation(6)));
    QTest::newRow("small") << jpeg;
    // Read into memory prepared in huge pages: every byte still lands where it belongs.
    QByteArray clip(5 * 1024 * 1024 + 12345, Qt::Uninitialized);
    for (qsizetype i = 0; i < clip.size(); ++i)
        clip[i] = char((i * 7 + i / 4093) & 0xFF);
    QTest::newRow("several megabytes, motion clip after the picture") << jpeg + clip;
}

void TestLoadCommon::fileBytesKept()
{
    QFETCH(QByteArray, bytes);
    const QString file = m_files.path(QStringLiteral("camera.jpg"));
    QVERIFY(Write(file, bytes));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QVERIFY(loaded.encoded == bytes);
}

QTEST_MAIN(TestLoadCommon)
#include "tst_load_common.moc"
