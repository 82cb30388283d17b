// Velmora tests — loading 16-bit PNGs: every colour type plain and interlaced, cut and damaged files,
// colour chunks other than a profile. Fixtures are made here; pixels are checked against ImageMagick's
// decoding of the same file or a model made from the samples written, never against our own earlier
// output.
#include <QtTest>

#include "support/files.h"
#include "support/image_compare.h"
#include "support/loader_rig.h"
#include "support/png_fixtures.h"
#include "support/tools.h"

#include <array>
#include <cmath>
#include <cstdint>

#include <QColorSpace>
#include <QImageReader>

#include "picture/picture_loader.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;
using namespace velmora::fakes;

Q_DECLARE_METATYPE(velmora::LoadProblem)
Q_DECLARE_METATYPE(velmora::LoadWarning)

class TestLoadPng : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sixteenBitPng_data();
    void sixteenBitPng();
    void sixteenBitVerdict_data();
    void sixteenBitVerdict();
    void sixteenBitColourSpace_data();
    void sixteenBitColourSpace();
    void imageMagickColourChunks_data();
    void imageMagickColourChunks();

private:
    FixtureFolder m_files;
};

void TestLoadPng::initTestCase()
{
    ConfigureProcess(); ConfigureApplication();
    // The size limits below assume the largest limit the program ever sets.
    QImageReader::setAllocationLimit(2047);
    QVERIFY(m_files.isValid());
}

void TestLoadPng::sixteenBitPng_data()
{
    QTest::addColumn<int>("colourType");
    QTest::addColumn<bool>("interlaced");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("transparentColour");
    const auto rows = [](const char *name, int colourType, bool transparent = false) {
        for (const bool interlaced : {false, true})
            QTest::addRow("%s%s", name, interlaced ? ", interlaced" : "")
                << colourType << interlaced << QSize(13, 11) << transparent;
    };
    rows("rgb", 2);
    rows("rgba", 6);
    rows("grey", 0);
    rows("grey and alpha", 4);
    rows("rgb, transparent colour", 2, true);
    rows("grey, transparent colour", 0, true);
    // Most of the seven passes are empty.
    QTest::newRow("rgba, interlaced, 5 x 1") << 6 << true << QSize(5, 1) << false;
    QTest::newRow("grey, interlaced, 1 x 6") << 0 << true << QSize(1, 6) << false;
}

// Every 16-bit colour type, plain and interlaced, to the value rounded from each 16-bit sample.
void TestLoadPng::sixteenBitPng()
{
    QFETCH(int, colourType);
    QFETCH(bool, interlaced);
    QFETCH(QSize, size);
    QFETCH(bool, transparentColour);
    DeepPicture picture = MakeDeep(size.width(), size.height(), colourType);
    if (transparentColour) {
        // The transparent colour, and beside it one that differs from it in its low byte only:
        // the two round to the same 8 bits, so only a comparison at 16 bits tells them apart.
        const int channels = picture.channels();
        for (int c = 0; c < channels; ++c)
            picture.samples[channels * 2 + c] = picture.samples[channels + c];
        picture.samples[channels] = 1000;
        picture.samples[channels * 2] = 1001;
        picture.transparent = picture.samples.mid(channels, channels);
    }
    const QString file = m_files.fixture(QStringLiteral("deep.png"), DeepPng(picture, interlaced));
    // The fixture holds what it should: ImageMagick reads the same samples back.
    QCOMPARE(ImageMagick({file, "-depth", "16", "-endian", "MSB", "rgba:-"}), DeepRgba(picture));

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    const QImage model = DeepModel(picture);
    QCOMPARE(loaded.image.format(), model.format());
    QCOMPARE(loaded.image.size(), model.size());
    if (model.format() == QImage::Format_RGB32)
        QVERIFY(AllOpaque(loaded.image));
    const QString difference = fakes::FirstDifference(
        reinterpret_cast<const std::uint32_t *>(loaded.image.constBits()),
        reinterpret_cast<const std::uint32_t *>(model.constBits()), model.width(), model.height(), 0,
        loaded.image.bytesPerLine() / 4, model.bytesPerLine() / 4);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(Alphas(loaded.image), Alphas(model));
    if (transparentColour) {
        QCOMPARE(qAlpha(loaded.image.pixel(1, 0)), 0);
        QCOMPARE(qAlpha(loaded.image.pixel(2, 0)), 255);
    }
}

void TestLoadPng::sixteenBitVerdict_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");
    QTest::addColumn<QImage>("model");

    const DeepPicture picture = MakeDeep(64, 48, 2);
    const QImage model = DeepModel(picture);
    const QByteArray whole = DeepPng(picture, false);
    const QByteArray interlaced = DeepPng(picture, true);
    const qsizetype data = whole.indexOf("IDAT") + 4;
    QVERIFY(data > 4);
    const QByteArray rows = StoredRows(picture, false);
    const QByteArray stream = qCompress(rows).mid(4);

    QTest::newRow("whole") << whole << LoadProblem::None << model;
    QTest::newRow("whole, interlaced") << interlaced << LoadProblem::None << model;
    QTest::newRow("whole, bytes after the end") << whole + QByteArray(300, '\x5A') << LoadProblem::None << model;
    // Qt's reader opens these at 8 bits; the 16-bit ones get the same verdict.
    QTest::newRow("end chunk's checksum cut") << whole.chopped(3) << LoadProblem::None << model;
    QTest::newRow("no end chunk") << whole.chopped(12) << LoadProblem::Damaged << QImage();
    QTest::newRow("8-bit, no end chunk") << Encode(Quadrants(32, 16), "PNG").chopped(12) << LoadProblem::Damaged
                                         << QImage();

    QTest::newRow("cut in the header") << whole.left(30) << LoadProblem::Damaged << QImage();
    QTest::newRow("cut in the data") << whole.left(data + stream.size() / 2) << LoadProblem::Damaged << QImage();
    QTest::newRow("cut in the data, interlaced")
        << interlaced.left(interlaced.indexOf("IDAT") + 4 + stream.size() * 3 / 4) << LoadProblem::Damaged
        << QImage();
    // Whole chunks, correct checksums, but the rows run out: never shown padded.
    QTest::newRow("data stream ends early")
        << DeepPng(picture, false, {}, PngChunk("IDAT", qCompress(rows.left(rows.size() / 2)).mid(4)))
        << LoadProblem::Damaged << QImage();
    QTest::newRow("data stream cut")
        << DeepPng(picture, false, {}, PngChunk("IDAT", stream.left(stream.size() / 2))) << LoadProblem::Damaged
        << QImage();
    QByteArray corrupt = whole;
    corrupt[data + stream.size() / 2] = char(corrupt[data + stream.size() / 2] ^ 0x55);
    QTest::newRow("data changed, checksum wrong") << corrupt << LoadProblem::Damaged << QImage();
    QTest::newRow("palette at 16 bits") << DeepPng({4, 4, 3, {}, {}}, false, {}, PngChunk("IDAT", stream))
                                        << LoadProblem::Damaged << QImage();
}

// Cut and damaged 16-bit files are refused, never shown in part; whole ones load exactly.
void TestLoadPng::sixteenBitVerdict()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    QFETCH(QImage, model);
    const LoadedPicture loaded = LoadPicture(m_files.fixture(QStringLiteral("verdict.png"), bytes));
    QCOMPARE(loaded.problem, problem);
    if (problem != LoadProblem::None) {
        QVERIFY(loaded.image.isNull());
        return;
    }
    const QString difference = fakes::FirstDifference(loaded.image, model);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestLoadPng::sixteenBitColourSpace_data()
{
    QTest::addColumn<QByteArray>("chunks");
    QTest::addColumn<bool>("matters"); // the conversion moves colours far

    const auto fixed = [](double v) { return BigEndian32(quint32(std::lround(v * 100000))); };
    const QByteArray adobePrimaries = fixed(0.3127) + fixed(0.3290) + fixed(0.64) + fixed(0.33) + fixed(0.21)
                                      + fixed(0.71) + fixed(0.15) + fixed(0.06);
    const QByteArray notAProfile = PngChunk("iCCP", QByteArray("bad\0\0", 5) + qCompress(QByteArray(400, '\x37')).mid(4));
    QTest::newRow("srgb") << PngChunk("sRGB", QByteArray(1, '\0')) << false;
    QTest::newRow("gamma alone") << PngChunk("gAMA", fixed(0.8)) << true;
    QTest::newRow("linear gamma") << PngChunk("gAMA", fixed(1.0)) << true;
    QTest::newRow("gamma and primaries") << PngChunk("gAMA", fixed(1 / 2.2)) + PngChunk("cHRM", adobePrimaries)
                                         << true;
    QTest::newRow("profile that is not one, then gamma") << notAProfile + PngChunk("gAMA", fixed(1.0)) << true;
}

// Colour chunks other than a profile are taken as Qt's reader takes them, for 8-bit files too:
// the picture comes out as Qt's own reading of the file brought to sRGB.
void TestLoadPng::sixteenBitColourSpace()
{
    QFETCH(QByteArray, chunks);
    QFETCH(bool, matters);
    const DeepPicture picture = MakeDeep(32, 16, 2);
    const QByteArray bytes = DeepPng(picture, false, chunks);
    const LoadedPicture loaded = LoadPicture(m_files.fixture(QStringLiteral("colour.png"), bytes));
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);

    QImage qtReading = QImage::fromData(bytes, "PNG");
    QCOMPARE(qtReading.format(), QImage::Format_RGBX64);
    QVERIFY(qtReading.colorSpace().isValid());
    qtReading.convertTo(QImage::Format_RGB32);
    const QImage asStored = qtReading;
    qtReading.convertToColorSpace(QColorSpace::SRgb);
    const QString difference = fakes::FirstDifference(loaded.image, qtReading, 1);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(fakes::FirstDifference(asStored, qtReading, 20).isEmpty(), !matters);
}

namespace {

// The PNG with `chunk` after its header and without any chunk of the `removed` types.
QByteArray WithChunks(const QByteArray &png, const QByteArray &chunk, const QList<QByteArray> &removed = {})
{
    QByteArray out = png.left(8 + 25); // the signature and IHDR
    out += chunk;
    for (qsizetype at = 8 + 25; at + 8 <= png.size();) {
        const qsizetype length = qsizetype(qFromBigEndian<quint32>(png.constData() + at)) + 12;
        if (!removed.contains(png.mid(at + 4, 4)))
            out += png.mid(at, length);
        at += length;
    }
    return out;
}

// Each channel of a picture stored with a plain power curve (`gamma` as the gAMA chunk gives it)
// and sRGB's primaries, re-encoded with sRGB's curve.
QImage PowerCurveToSrgb(const QImage &stored, double gamma)
{
    QImage out = stored.convertToFormat(QImage::Format_RGB32);
    const auto channel = [gamma](int v) {
        const double linear = std::pow(v / 255.0, 1.0 / gamma);
        const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        return int(std::lround(encoded * 255));
    };
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = out.pixel(x, y);
            out.setPixel(x, y, qRgb(channel(qRed(p)), channel(qGreen(p)), channel(qBlue(p))));
        }
    return out;
}

// The samples as ImageMagick reads them, without a colour conversion, each 16-bit one rounded to
// 8 bits (v × 255 / 65535): ImageMagick's own 8-bit output of a 16-bit file truncates some.
QImage StoredByImageMagick(const QString &file, int depth, QSize size)
{
    if (depth == 8)
        return DecodedByImageMagick(file);
    const QByteArray rgb = ImageMagick({file, "-depth", "16", "-endian", "MSB", "rgb:-"});
    if (rgb.size() != qsizetype(size.width()) * size.height() * 6)
        return {};
    QImage out(size, QImage::Format_RGB32);
    const auto at = [&](qsizetype i) {
        const int v = quint8(rgb[2 * i]) << 8 | quint8(rgb[2 * i + 1]);
        return int(std::lround(v * 255.0 / 65535.0));
    };
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const qsizetype i = (qsizetype(y) * size.width() + x) * 3;
            out.setPixel(x, y, qRgb(at(i), at(i + 1), at(i + 2)));
        }
    return out;
}

// The file converted by ImageMagick to the profile, kept at 16 bits, as a new file beside it.
QString Converted(const QString &file, const QString &icc)
{
    const QString out = file + QStringLiteral(".converted.png");
    return Write(out, ImageMagick({file, "-profile", icc, "-depth", "16", "png:-"})) ? out : QString();
}

enum class Expect { AsStored, PowerCurve, ProfileConverted };

} // namespace

void TestLoadPng::imageMagickColourChunks_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("chunks");
    QTest::addColumn<int>("expect");
    for (int depth : {8, 16}) {
        // As ImageMagick writes them: gAMA 1/2.2 and sRGB's cHRM; with an sRGB chunk too, as its
        // other versions and many editors write them. The sRGB chunk decides.
        QTest::addRow("%d-bit, srgb, gamma and primaries", depth) << depth << "srgb" << int(Expect::AsStored);
        QTest::addRow("%d-bit, srgb alone", depth) << depth << "srgb alone" << int(Expect::AsStored);
        QTest::addRow("%d-bit, gamma and primaries", depth) << depth << "" << int(Expect::PowerCurve);
        QTest::addRow("%d-bit, gamma alone", depth) << depth << "gamma alone" << int(Expect::PowerCurve);
        // A profile comes before everything: an sRGB one changes nothing, a wide one is converted.
        QTest::addRow("%d-bit, srgb profile", depth) << depth << "srgb profile" << int(Expect::AsStored);
        QTest::addRow("%d-bit, wide profile", depth) << depth << "wide profile" << int(Expect::ProfileConverted);
    }
}

// At zero correction the photo is what ImageMagick decodes (it applies no gamma: the stored values)
// when the file's colours are sRGB; a bare gamma follows its curve; a profile is converted as
// ImageMagick converts it to sRGB.
void TestLoadPng::imageMagickColourChunks()
{
    QFETCH(int, depth);
    QFETCH(QString, chunks);
    QFETCH(int, expect);
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.png"));
    // Saturated colours where a wide profile is converted, so the conversion shows.
    const QString gradient = chunks == QLatin1String("wide profile") ? QStringLiteral("gradient:#10d020-#f01040")
                                                                     : QStringLiteral("gradient:#081020-#f0e0d0");
    QVERIFY(Write(plain, ImageMagick({"-size", "64x48", gradient, "-depth", QString::number(depth), "png:-"})));
    const QByteArray written = Read(plain);
    QVERIFY(written.contains("gAMA") && written.contains("cHRM") && !written.contains("sRGB"));

    const QString srgbIcc = dir.filePath(QStringLiteral("srgb.icc"));
    QVERIFY(Write(srgbIcc, QColorSpace(QColorSpace::SRgb).iccProfile()));
    const QByteArray srgbChunk = PngChunk("sRGB", QByteArray(1, '\0'));
    QByteArray bytes;
    if (chunks == QLatin1String("srgb"))
        bytes = WithChunks(written, srgbChunk);
    else if (chunks == QLatin1String("srgb alone"))
        bytes = WithChunks(written, srgbChunk, {"gAMA", "cHRM"});
    else if (chunks == QLatin1String("gamma alone"))
        bytes = WithChunks(written, {}, {"cHRM"});
    else if (chunks.endsWith(QLatin1String("profile"))) {
        const QString icc = dir.filePath(QStringLiteral("given.icc"));
        QVERIFY(Write(icc, chunks == QLatin1String("srgb profile") ? QColorSpace(QColorSpace::SRgb).iccProfile()
                                                                 : QColorSpace(QColorSpace::DisplayP3).iccProfile()));
        // The first -profile of a picture without one assigns it; nothing is converted.
        bytes = ImageMagick({plain, "-profile", icc, "png:-"});
        QVERIFY(bytes.contains("iCCP"));
    } else
        bytes = written;
    const QString file = dir.filePath(QStringLiteral("photo.png"));
    QVERIFY(Write(file, bytes));

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    const QImage stored = StoredByImageMagick(file, depth, QSize(64, 48));
    QVERIFY(!stored.isNull());
    QImage expected = stored;
    int tolerance = 0;
    if (Expect(expect) == Expect::PowerCurve) {
        expected = PowerCurveToSrgb(stored, 0.45455);
        tolerance = 1;
        // The curve moves the shadows far: the row shows the conversion, not a rounding.
        QVERIFY(!fakes::FirstDifference(stored, expected, 4).isEmpty());
    } else if (Expect(expect) == Expect::ProfileConverted) {
        expected = depth == 8 ? DecodedByImageMagick(file, {"-profile", srgbIcc})
                              : StoredByImageMagick(Converted(file, srgbIcc), 16, QSize(64, 48));
        tolerance = 2;
        QVERIFY(!fakes::FirstDifference(stored, expected, 4).isEmpty());
    }
    const QString difference = fakes::FirstDifference(loaded.image, expected, tolerance);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_MAIN(TestLoadPng)
#include "tst_load_png.moc"
