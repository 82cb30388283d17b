// Velmora tests — loading JPEGs: cut and damaged files, the EXIF turn, two decoders sharing one photo,
// CMYK with and without its press's profile. Fixtures are made here; pixels are checked against
// ImageMagick's decoding of the same file or a model made from the samples written, never against our
// own earlier output.
#include <QtTest>

#include "support/files.h"
#include "support/image_compare.h"
#include "support/loader_rig.h"
#include "support/jpeg_fixtures.h"
#include "support/tools.h"

#include <array>
#include <cmath>
#include <cstdint>

#include <QColorSpace>
#include <QImageReader>

#include "picture/jpeg_decoder.h"
#include "picture/picture_loader.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;
using namespace velmora::fakes;

Q_DECLARE_METATYPE(velmora::LoadProblem)
Q_DECLARE_METATYPE(velmora::LoadWarning)

namespace {

// PIL's plain CMYK JPEGs (no YCC step, Adobe marker) of a CMYK JPEG: one with the same inks, and
// one with every value turned over, so that once the Adobe marker is gone it stores ink amounts.
constexpr const char *kPlainCmyk = R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
icc = im.info['icc_profile']
im.save(sys.argv[2], quality=95, subsampling=0, icc_profile=icc)
Image.eval(im, lambda v: 255 - v).save(sys.argv[3], quality=95, subsampling=0, icc_profile=icc)
)";

// Smooth like a photo, so that reading rows without decoding them costs a good deal less than
// decoding them and two decoders split the rows; rows and columns are not whole blocks.
QImage SplitSizedPhoto()
{
    QImage image(645, 1203, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int grain = int(state >> 29) - 4;
            image.setPixel(x, y, qRgb(qBound(0, x * 255 / 645 + grain, 255), qBound(0, y * 255 / 1203 + grain, 255),
                                      qBound(0, (x + y) % 256 + grain, 255)));
        }
    return image;
}

} // namespace

class TestLoadJpeg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void jpegVerdict_data();
    void jpegVerdict();
    void exifTurn_data();
    void exifTurn();
    void twoDecoders_data();
    void twoDecoders();
    void twoDecodersDamaged_data();
    void twoDecodersDamaged();
    void cmykJpeg();
    void cmykProfile_data();
    void cmykProfile();

private:
    FixtureFolder m_files;
};

void TestLoadJpeg::initTestCase()
{
    ConfigureProcess(); ConfigureApplication();
    // The size limits below assume the largest limit the program ever sets.
    QImageReader::setAllocationLimit(2047);
    QVERIFY(m_files.isValid());
    QVERIFY2(QFile::exists(kAdobeRgb), "icc-profiles-free is needed for the colour tests");
}

void TestLoadJpeg::jpegVerdict_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");

    const QByteArray whole = Encode(Noise(120, 80), "JPG", 90);
    const int scanAt = int(whole.indexOf("\xFF\xDA"));
    QVERIFY(scanAt > 0);
    QTest::newRow("whole") << whole << LoadProblem::None;
    QByteArray clip("\0\0\0\x20" "ftypmp42", 12);
    clip += QByteArray(200000, '\x5A');
    QTest::newRow("whole, motion clip after it") << whole + clip << LoadProblem::None;
    QTest::newRow("whole, stray bytes before a marker")
        << whole.left(scanAt) + QByteArray("\0\0\0", 3) + whole.mid(scanAt) << LoadProblem::None;
    QTest::newRow("cut in the header") << whole.left(scanAt / 2) << LoadProblem::Damaged;
    QTest::newRow("cut in the scan") << whole.left(scanAt + (whole.size() - scanAt) * 2 / 3) << LoadProblem::Damaged;
    // An end marker in a comment near the end of a small cut file once passed for a whole file.
    const QByteArray small = Encode(Noise(24, 16), "JPG", 90);
    const QByteArray commented = AfterStart(small, Segment(0xFE, QByteArray("note \xFF\xD9 end")));
    QTest::newRow("cut, end marker in a comment") << commented.left(commented.size() - 60) << LoadProblem::Damaged;
    const QByteArray claim = ClaimSize(Encode(Noise(64, 64), "JPG", 90), 22000, 22000);
    QTest::newRow("small file claiming 22000 x 22000") << claim << LoadProblem::Damaged;
    QTest::newRow("small file claiming 22000 x 22000, turned")
        << AfterStart(claim, Segment(0xE1, ExifOrientation(6))) << LoadProblem::Damaged;
    const QByteArray progressive = Read(Data("progressive.jpg"));
    QTest::newRow("progressive, whole") << progressive << LoadProblem::None;
    QTest::newRow("progressive, cut between scans") << progressive.left(progressive.size() * 3 / 4)
                                                    << LoadProblem::Damaged;
    QTest::newRow("only the start marker") << QByteArray("\xFF\xD8\xFF", 3) << LoadProblem::Damaged;
}

void TestLoadJpeg::jpegVerdict()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    const QString file = m_files.path(QStringLiteral("verdict.jpg"));
    QVERIFY(Write(file, bytes));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, problem);
    if (problem != LoadProblem::None) {
        QVERIFY(loaded.image.isNull());
        return;
    }
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    QCOMPARE(qAlpha(loaded.image.pixel(3, 3)), 255);
    // The same pixels as an independent decoder gives for the same file.
    const QImage reference = DecodedByImageMagick(file);
    QVERIFY(!reference.isNull());
    QCOMPARE(MaxDifference(loaded.image, reference), 0);
}

void TestLoadJpeg::exifTurn_data()
{
    QTest::addColumn<int>("orientation");
    for (int o = 1; o <= 8; ++o)
        QTest::addRow("orientation %d", o) << o;
}

// Each of the eight orientations, turned while decoding, as an independent tool turns it.
void TestLoadJpeg::exifTurn()
{
    QFETCH(int, orientation);
    const QByteArray jpeg = Encode(Quadrants(48, 32), "JPG", 95);
    const QString file = m_files.path(QStringLiteral("turned.jpg"));
    QVERIFY(Write(file, AfterStart(jpeg, Segment(0xE1, ExifOrientation(orientation)))));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), orientation >= 5 ? QSize(32, 48) : QSize(48, 32));
    const QImage reference = DecodedByImageMagick(file, {"-auto-orient"});
    QCOMPARE(MaxDifference(loaded.image, reference), 0);
}

void TestLoadJpeg::twoDecoders_data()
{
    QTest::addColumn<QStringList>("encoding"); // ImageMagick's options
    QTest::addColumn<int>("orientation");
    QTest::newRow("4:2:0") << QStringList{"-sampling-factor", "2x2"} << 1;
    QTest::newRow("4:4:4") << QStringList{"-sampling-factor", "1x1"} << 1;
    QTest::newRow("4:2:2") << QStringList{"-sampling-factor", "2x1"} << 1;
    QTest::newRow("4:4:0") << QStringList{"-sampling-factor", "1x2"} << 1;
    QTest::newRow("4:1:1") << QStringList{"-sampling-factor", "4x1"} << 1;
    QTest::newRow("grey") << QStringList{"-colorspace", "Gray"} << 1;
    QTest::newRow("4:2:0, upside down") << QStringList{"-sampling-factor", "2x2"} << 3;
    QTest::newRow("4:2:0, turned right") << QStringList{"-sampling-factor", "2x2"} << 6;
    QTest::newRow("4:2:2, turned left") << QStringList{"-sampling-factor", "2x1"} << 8;
}

// A photo decoded by two decoders at once, each taking its own rows, has the pixels an independent
// decoder gives, in every sampling and turn, and those of one decoder alone.
void TestLoadJpeg::twoDecoders()
{
    QFETCH(QStringList, encoding);
    QFETCH(int, orientation);
    const QByteArray plain = ImageMagick(QStringList{"png:-"} + encoding + QStringList{"-quality", "92", "jpg:-"},
                                     Encode(SplitSizedPhoto(), "PNG"));
    QVERIFY(!plain.isEmpty());
    const QByteArray bytes = orientation == 1 ? plain : AfterStart(plain, Segment(0xE1, ExifOrientation(orientation)));
    const QString file = m_files.fixture(QStringLiteral("split.jpg"), bytes);
    const QImage reference = DecodedByImageMagick(file, {"-auto-orient"});
    QVERIFY(!reference.isNull());

    const DecodedJpeg one = DecodeJpeg(bytes, qint64{1} << 30, 1);
    QCOMPARE(one.picture.problem, LoadProblem::None);
    QCOMPARE(one.picture.image.size(), reference.size());
    QCOMPARE(MaxDifference(one.picture.image, reference), 0);
    // Where the second decoder starts depends on how fast each thread runs: try until it has rows.
    int secondFrom = 0;
    for (int attempt = 0; attempt < 50 && secondFrom == 0; ++attempt) {
        const DecodedJpeg two = DecodeJpeg(bytes, qint64{1} << 30, 2);
        QCOMPARE(two.picture.problem, LoadProblem::None);
        QVERIFY(two.picture.image == one.picture.image);
        QVERIFY(AllOpaque(two.picture.image));
        secondFrom = two.secondDecoderFrom;
    }
    QVERIFY2(secondFrom > 0, "the second decoder never took any rows");
}

void TestLoadJpeg::twoDecodersDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("threads");
    const QByteArray whole = Encode(SplitSizedPhoto(), "JPG", 90);
    const qsizetype data = ScanData(whole);
    QVERIFY(data > 0);
    const qsizetype length = whole.size() - 2 - data;
    // A marker in the scan's data makes the decoder pad the rest of the picture with grey.
    const auto marked = [&](double at) {
        return whole.left(data + qsizetype(length * at)) + QByteArray("\xFF\xD9", 2) + whole.mid(data + qsizetype(length * at) + 2);
    };
    for (const int threads : {1, 2}) {
        QTest::addRow("end marker in the top rows, %d", threads) << marked(0.1) << threads;
        QTest::addRow("end marker in the bottom rows, %d", threads) << marked(0.9) << threads;
        QTest::addRow("cut in the top rows, %d", threads) << whole.left(data + length / 10) << threads;
        QTest::addRow("cut in the bottom rows, %d", threads) << whole.left(data + length * 19 / 20) << threads;
        QTest::addRow("cut before the end marker, %d", threads) << whole.chopped(2) << threads;
    }
}

// Damage anywhere is found whichever decoder's rows it lies in, and nothing is handed back.
void TestLoadJpeg::twoDecodersDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, threads);
    const DecodedJpeg decoded = DecodeJpeg(bytes, qint64{1} << 30, threads);
    QCOMPARE(decoded.picture.problem, LoadProblem::Damaged);
    QVERIFY(decoded.picture.image.isNull());
}

// Adobe's inverted CMYK, converted without a profile, as ImageMagick converts it.
void TestLoadJpeg::cmykJpeg()
{
    const LoadedPicture loaded = LoadPicture(Data("cmyk.jpg"));
    QCOMPARE(loaded.problem, LoadProblem::None);
    const QImage reference = DecodedByImageMagick(Data("cmyk.jpg"), {"-colorspace", "sRGB"});
    QVERIFY(MaxDifference(loaded.image, reference) <= 1);
}

void TestLoadJpeg::cmykProfile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadWarning>("warning");
    QTest::addColumn<QImage>("reference");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QImage>("naive"); // the plain formula's colours, to be far from the reference

    QVERIFY2(QFile::exists(kCmykProfile), "ghostscript is needed for its CMYK profile");
    // Skin, shadow and highlight tones, inside both the press's gamut and sRGB.
    QImage picture(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, qRgb(40 + x * 3, 30 + x * 2 + y, 20 + x + y * 3));
    const QString png = m_files.fixture(QStringLiteral("rgb.png"), Encode(picture, "PNG"));
    // ImageMagick writes CMYK as YCCK, inverted, with an Adobe marker.
    const QString ycckFile = m_files.path(QStringLiteral("ycck.jpg"));
    QVERIFY(RunProgram(QStringLiteral("convert"), {png, "-profile", kSrgb, "-profile", kCmykProfile, "-quality", "95", ycckFile}).ok());
    const QString plainFile = m_files.path(QStringLiteral("plain cmyk.jpg"));
    const QString turnedOverFile = m_files.path(QStringLiteral("turned over.jpg"));
    QVERIFY(RunPython(QString::fromLatin1(kPlainCmyk), {ycckFile, plainFile, turnedOverFile}).ok());
    const QByteArray ycck = Read(ycckFile);
    const QByteArray cmykIcc = Read(kCmykProfile);
    QVERIFY(ycck.contains(cmykIcc.mid(128, 64))); // the profile went in whole

    const QStringList throughProfile{"-profile", kSrgb};
    const QStringList formula{"-colorspace", "sRGB"};
    // Converted through the profile, within 3 levels of ImageMagick's conversion: it evaluates the
    // profile in 16 bits, we through a precalculated 8-bit table, which rounds and interpolates.
    QTest::newRow("ycck, inverted, profile")
        << ycck << LoadWarning::None << DecodedByImageMagick(ycckFile, throughProfile) << 3 << DecodedByImageMagick(ycckFile, formula);
    QTest::newRow("plain cmyk, inverted, profile")
        << Read(plainFile) << LoadWarning::None << DecodedByImageMagick(plainFile, throughProfile) << 3
        << DecodedByImageMagick(plainFile, formula);
    const QString turned = m_files.fixture(QStringLiteral("turned.jpg"), AfterStart(ycck, Segment(0xE1, ExifOrientation(6))));
    QTest::newRow("ycck, inverted, profile, turned")
        << Read(turned) << LoadWarning::None << DecodedByImageMagick(turned, {"-auto-orient", "-profile", kSrgb}) << 3
        << DecodedByImageMagick(turned, {"-auto-orient", "-colorspace", "sRGB"});

    // Without the Adobe marker the stored values are ink amounts. ImageMagick reads every CMYK JPEG
    // the Adobe way, marker or not, so its raw values are turned back and converted on their own.
    const QByteArray inkBytes = WithoutSegments(Read(turnedOverFile), 0xEE, "Adobe");
    const QString inkFile = m_files.fixture(QStringLiteral("ink amounts.jpg"), inkBytes);
    QByteArray raw = ImageMagick({inkFile, "-depth", "8", "cmyk:-"});
    QCOMPARE(raw.size(), 64 * 32 * 4);
    QCOMPARE(raw, ImageMagick({turnedOverFile, "-depth", "8", "cmyk:-"}));
    for (char &v : raw)
        v = char(255 - quint8(v));
    const QImage inkReference = QImage::fromData(
        ImageMagick({"-size", "64x32", "-depth", "8", "cmyk:-", "-profile", kCmykProfile, "-profile", kSrgb, "-depth", "8",
                 "ppm:-"},
                raw),
        "PPM").convertToFormat(QImage::Format_RGB32);
    QTest::newRow("plain cmyk, ink amounts, profile") << inkBytes << LoadWarning::None << inkReference << 3 << QImage();

    // No usable profile: the plain formula, as ImageMagick's, and a word about a profile left out.
    const auto formulaRow = [&](const char *name, const QByteArray &bytes, LoadWarning warning) {
        const QString file = m_files.fixture(QString::fromLatin1(name), bytes);
        QTest::newRow(name) << bytes << warning << DecodedByImageMagick(file, formula) << 1 << QImage();
    };
    formulaRow("ycck, no profile", WithProfile(ycck, {}), LoadWarning::None);
    formulaRow("ycck, profile that is not one", WithProfile(ycck, QByteArray(400, '\x37')), LoadWarning::ProfileIgnored);
    // Cut inside the table that turns ink into colour.
    formulaRow("ycck, profile cut short", WithProfile(ycck, cmykIcc.left(20000)),
               LoadWarning::ProfileIgnored);
    // An RGB profile says nothing about inks, nor about the RGB the formula makes of them.
    formulaRow("ycck, RGB profile", WithProfile(ycck, Read(kAdobeRgb)), LoadWarning::ProfileIgnored);
}

// A CMYK photo with its press's profile is shown in sRGB through that profile, with no warning.
void TestLoadJpeg::cmykProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadWarning, warning);
    QFETCH(QImage, reference);
    QFETCH(int, tolerance);
    QFETCH(QImage, naive);
    QVERIFY(!reference.isNull());
    const QString file = m_files.fixture(QStringLiteral("cmyk.jpg"), bytes);
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, warning);
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    QVERIFY(AllOpaque(loaded.image));
    const int difference = MaxDifference(loaded.image, reference);
    QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
    // The profile matters: the plain formula is far off on the same file.
    if (!naive.isNull())
        QVERIFY(MaxDifference(naive, reference) > 20);
}

QTEST_MAIN(TestLoadJpeg)
#include "tst_load_jpeg.moc"
