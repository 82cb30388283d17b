// Velmora tests — what a photo's file had that its corrected output keeps, or is said to have lost,
// on the command line and in the window: transparency (kept in PNG, TIFF and WebP, laid over white
// in BMP and JPEG), 16 bits a channel (8 now, said once) and the resolution. Fixtures are made by
// ImageMagick; outputs are read back by ImageMagick and exiftool, and the pixels compared with a
// model of the pass (v' = floor(gain × v) + v) on ImageMagick's decode of the photo.
#include <QtTest>

#include "support/image_compare.h"
#include "support/tools.h"
#include "support/window_rig.h"

#include <cmath>

#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

constexpr double kRedGain = 0.1;

int Corrected(int v) { return std::min(255, int(std::floor(kRedGain * v)) + v); }

// The photo's pixels as the pass leaves them: red corrected, green, blue and alpha as they were.
QImage PassModel(QImage photo)
{
    photo.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const QRgb p = photo.pixel(x, y);
            photo.setPixel(x, y, qRgba(Corrected(qRed(p)), qGreen(p), qBlue(p), qAlpha(p)));
        }
    return photo;
}

// The colours of the visible pixels and every alpha, compared; invisible pixels have no colour.
QString AlphaDifference(const QImage &actual, const QImage &expected, int tolerance)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2").arg(actual.width()).arg(actual.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            const bool differs = qAlpha(a) != qAlpha(e)
                                 || (qAlpha(e) > 0 && (std::abs(qRed(a) - qRed(e)) > tolerance
                                                       || std::abs(qGreen(a) - qGreen(e)) > tolerance
                                                       || std::abs(qBlue(a) - qBlue(e)) > tolerance));
            if (differs)
                return QStringLiteral("pixel (%1, %2): %3 against %4").arg(x).arg(y).arg(a, 8, 16).arg(e, 8, 16);
        }
    return {};
}

// Transparent, half-transparent and opaque parts, at 300 dpi, in sRGB.
QString MakeTransparentPng(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("alpha.png"));
    const QByteArray png = fakes::ImageMagick({"-size", "40x30", "xc:none", "-fill", "rgba(200,100,50,0.5)", "-draw",
                                               "rectangle 5,5 30,20", "-fill", "rgb(120,200,30)", "-draw", "rectangle 0,0 9,9",
                                               "-units", "PixelsPerInch", "-density", "300",
                                               // No gamma chunks: the colours are sRGB as they stand.
                                               "-define", "png:exclude-chunks=gAMA,cHRM", "png:-"});
    return fakes::Write(path, png) ? path : QString();
}

fakes::Ran Apply(const QStringList &photos, const QString &format, const QString &out)
{
    return fakes::RunVelmora(QStringList{"apply", "--gains", QString::number(kRedGain) + ",0,0", "--format", format,
                                         "--quality", "100", "--out", out} + photos,
                             {{}, {"LC_ALL=C"}});
}

} // namespace

class TestSavedProperties : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void transparency_data();
    void transparency();
    void transparencyInTheWindow_data();
    void transparencyInTheWindow();
    void deepChannelsSaid();
    void resolution_data();
    void resolution();
};

void TestSavedProperties::transparency_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("kept");
    QTest::newRow("png") << "png" << true;
    QTest::newRow("tif") << "tif" << true;
    QTest::newRow("webp") << "webp" << true;
    QTest::newRow("bmp") << "bmp" << false;
    QTest::newRow("jpg") << "jpg" << false;
}

// The pass changes colour, never alpha; a format without alpha gets the photo laid over white
// (as ImageMagick flattens it) and one line saying so.
void TestSavedProperties::transparency()
{
    QFETCH(QString, format);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString photo = MakeTransparentPng(dir);
    QVERIFY(!photo.isEmpty());
    const QString out = dir.filePath(QStringLiteral("out"));
    const fakes::Ran ran = Apply({photo}, format == QLatin1String("webp") ? format : format, out);
    QVERIFY2(ran.ok(), ran.err.constData());
    const QString output = out + QStringLiteral("/alpha.") + format;
    QCOMPARE(ran.out.count("transparent parts filled with white"), kept ? 0 : 1);
    if (kept) {
        const QImage actual = fakes::DecodedByImageMagickWithAlpha(output, QSize(40, 30));
        const QImage expected = PassModel(fakes::DecodedByImageMagickWithAlpha(photo, QSize(40, 30)));
        QVERIFY(!actual.isNull() && !expected.isNull());
        const QString difference = AlphaDifference(actual, expected, 0);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    } else {
        // The colours corrected first, then laid over white: c × a + 255 × (1 − a).
        const QImage corrected = PassModel(fakes::DecodedByImageMagickWithAlpha(photo, QSize(40, 30)));
        QImage expected(corrected.size(), QImage::Format_RGB32);
        for (int y = 0; y < corrected.height(); ++y)
            for (int x = 0; x < corrected.width(); ++x) {
                const QRgb p = corrected.pixel(x, y);
                const double a = qAlpha(p) / 255.0;
                const auto over = [a](int c) { return int(std::lround(c * a + 255 * (1 - a))); };
                expected.setPixel(x, y, qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p))));
            }
        const QString difference = fakes::FirstDifference(fakes::DecodedByImageMagick(output), expected,
                                                          format == QLatin1String("jpg") ? 6 : 1);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
}

void TestSavedProperties::transparencyInTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("kept");
    QTest::newRow("png") << "saved.png" << true;
    QTest::newRow("webp") << "saved.webp" << true;
    QTest::newRow("bmp") << "saved.bmp" << false;
}

// The window shows the photo over its grey, but saves the photo's own alpha, and says once when
// the format cannot keep it.
void TestSavedProperties::transparencyInTheWindow()
{
    QFETCH(QString, name);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString photo = MakeTransparentPng(dir);
    fakes::WindowRig w;
    w.picker.answers.push_back(photo.toStdString());
    w.button("导入客体")->click();
    QVERIFY(w.messages.shown.empty());
    QSignalSpy ended(&w.form, &MainForm::saveEnded);
    const QString output = dir.filePath(name);
    w.picker.answers.push_back(output.toStdString());
    w.button("保存")->click();
    QVERIFY(ended.wait(20000));
    const QImage source = fakes::DecodedByImageMagickWithAlpha(photo, QSize(40, 30));
    if (kept) {
        QVERIFY(w.messages.shown.empty());
        const QString difference = AlphaDifference(fakes::DecodedByImageMagickWithAlpha(output, QSize(40, 30)), source, 0);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    } else {
        QCOMPARE(w.messages.shown.size(), size_t(1));
        const QString message = QString::fromStdString(w.messages.shown[0].text);
        QVERIFY2(message.contains(QStringLiteral("透明")) && message.contains(QStringLiteral("白色")), qPrintable(message));
        const QImage flat = fakes::DecodedByImageMagick(photo, {"-background", "white", "-flatten"});
        const QString difference = fakes::FirstDifference(fakes::DecodedByImageMagick(output), flat, 1);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
}

// A 16-bit PNG or TIFF is corrected from its samples rounded to 8 bits, and each output says once
// that it has 8; an 8-bit photo says nothing.
void TestSavedProperties::deepChannelsSaid()
{
    QTemporaryDir dir;
    const QStringList photos{dir.filePath("deep.png"), dir.filePath("deep16.tif"), dir.filePath("plain.png")};
    QVERIFY(fakes::Write(photos[0], fakes::ImageMagick({"-size", "16x8", "gradient:#102030-#f0e0d0", "-depth", "16", "png:-"})));
    QVERIFY(fakes::Write(photos[1], fakes::ImageMagick({"-size", "16x8", "gradient:#102030-#f0e0d0", "-depth", "16", "tif:-"})));
    QVERIFY(fakes::Write(photos[2], fakes::ImageMagick({"-size", "16x8", "gradient:#102030-#f0e0d0", "-depth", "8", "png:-"})));
    for (const QString &format : {QStringLiteral("png"), QStringLiteral("bmp")}) {
        const fakes::Ran ran = Apply(photos, format, dir.filePath(format));
        QVERIFY2(ran.ok(), ran.err.constData());
        QCOMPARE(ran.out.count("16 bits per channel"), 2);
        QVERIFY(ran.out.contains("deep." + format.toLatin1() + ": the photo has 16 bits"));
        QVERIFY(ran.out.contains("deep16." + format.toLatin1() + ": the photo has 16 bits"));
        QCOMPARE(fakes::Identify(dir.filePath(format + "/deep." + format), "%z"), QStringLiteral("8"));
    }
}

void TestSavedProperties::resolution_data()
{
    QTest::addColumn<QString>("photo");
    for (const char *ending : {"jpg", "png", "tif", "bmp"})
        QTest::newRow(ending) << QString::fromLatin1(ending);
}

// A photo at 300 dpi gives outputs at 300 dpi in every format that holds one, as ImageMagick reads it.
void TestSavedProperties::resolution()
{
    QFETCH(QString, photo);
    QTemporaryDir dir;
    const QString path = dir.filePath("photo." + photo);
    QVERIFY(fakes::Write(path, fakes::ImageMagick({"-size", "24x16", "gradient:#102030-#f0e0d0", "-units", "PixelsPerInch",
                                                   "-density", "300", photo + ":-"})));
    QCOMPARE(std::lround(fakes::Identify(path, "%x", {"-units", "PixelsPerInch"}).toDouble()), 300L);
    for (const QString &format : {QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("bmp")}) {
        const QString out = dir.filePath(format);
        const fakes::Ran ran = Apply({path}, format, out);
        QVERIFY2(ran.ok(), ran.err.constData());
        const QString output = out + "/photo." + format;
        // Through ImageMagick's units: pixels a centimetre in PNG and BMP, rounded to a whole metre.
        const double dpi = fakes::Identify(output, "%x", {"-units", "PixelsPerInch"}).toDouble();
        QVERIFY2(std::abs(dpi - 300) < 0.5, qPrintable(output + QStringLiteral(": %1").arg(dpi)));
    }
}

QTEST_MAIN(TestSavedProperties)
#include "tst_saved_properties.moc"
