// Velmora tests — loading TIFFs of 8 and 16 bits in every layout, and cut or broken ones. Fixtures are
// made here; pixels are checked against ImageMagick's decoding of the same file or a model made from the
// samples written, never against our own earlier output.
#include <QtTest>

#include "support/files.h"
#include "support/image_compare.h"
#include "support/loader_rig.h"
#include "support/tiff_fixtures.h"
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

namespace {

// ImageMagick's samples of a file at its own depth (8 or 16 bits), turned upright, 16-bit ones rounded
// to 8 bits as v × 255 / 65535: the model the picture must match. ARGB32, opaque where the file has no
// alpha.
QImage SampleModel(const QString &path, int depth)
{
    const QByteArray out = ImageMagick({path, "-auto-orient", "-depth", QString::number(depth), "-endian", "LSB",
                                        "-format", "%w %h\n", "-write", "info:-", "rgba:-"});
    if (out.isEmpty())
        return {};
    const qsizetype newline = out.indexOf('\n');
    const QList<QByteArray> size = out.left(newline).split(' ');
    if (size.size() != 2)
        return {};
    QImage model(size[0].toInt(), size[1].toInt(), QImage::Format_ARGB32);
    const QByteArray samples = out.mid(newline + 1);
    const int sampleBytes = depth / 8;
    if (model.isNull() || samples.size() != qsizetype(model.width()) * model.height() * 4 * sampleBytes)
        return {};
    const auto round = [&](qsizetype i) {
        if (depth == 8)
            return int(quint8(samples[i]));
        return int(std::lround(qFromLittleEndian<quint16>(samples.constData() + 2 * i) * 255.0 / 65535.0));
    };
    for (int y = 0; y < model.height(); ++y)
        for (int x = 0; x < model.width(); ++x) {
            const qsizetype at = (qsizetype(y) * model.width() + x) * 4;
            model.setPixel(x, y, qRgba(round(at), round(at + 1), round(at + 2), round(at + 3)));
        }
    return model;
}

} // namespace

class TestLoadTiff : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void directTiff_data();
    void directTiff();
    void directTiffDamaged_data();
    void directTiffDamaged();

private:
    FixtureFolder m_files;
};

void TestLoadTiff::initTestCase()
{
    ConfigureProcess(); ConfigureApplication();
    // The size limits below assume the largest limit the program ever sets.
    QImageReader::setAllocationLimit(2047);
    QVERIFY(m_files.isValid());
}

void TestLoadTiff::directTiff_data()
{
    QTest::addColumn<QStringList>("options"); // ImageMagick's, for writing the file
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<bool>("associated");

    // Every layout at both depths: at 8 bits, separate planes in tiles (refused before) and unassociated
    // alpha (kept as stored, where it once came back premultiplied and undone again) among them.
    for (const int depth : {16, 8}) {
        const auto row = [depth](const QByteArray &name, const QStringList &options, bool alpha, bool associated) {
            QTest::addRow("%d-bit, %s", depth, name.constData()) << options << depth << alpha << associated;
        };
        const QStringList lzw{"-compress", "lzw"}, planes{"-interlace", "plane"};
        const QStringList tiles{"-define", "tiff:tile-geometry=32x16"}, grey{"-colorspace", "gray"};
        // Alpha from fully transparent to opaque in a pattern, over noise in every channel.
        const QStringList alpha{"-alpha", "set", "-channel", "A", "-fx", "((i*7+j*13)%17)/16", "+channel"};
        const QStringList associated = alpha + QStringList{"-define", "tiff:alpha=associated"};
        const QStringList unassociated = alpha + QStringList{"-define", "tiff:alpha=unassociated"};
        row("rgb, lzw strips", lzw, false, false);
        row("rgb, uncompressed", QStringList{"-compress", "none"}, false, false);
        row("rgb, zip tiles", QStringList{"-compress", "zip"} + tiles, false, false);
        row("rgb, separate planes, lzw", planes + lzw, false, false);
        row("rgb, separate planes, tiles", planes + tiles, false, false);
        row("rgb, unassociated alpha", unassociated, true, false);
        row("rgb, unassociated alpha, separate planes", unassociated + planes, true, false);
        row("rgb, associated alpha, lzw", associated + lzw, true, true);
        row("rgb, associated alpha, tiles", associated + tiles, true, true);
        row("rgb, associated alpha, separate planes", associated + planes, true, true);
        row("rgb, associated alpha, separate planes in tiles", associated + planes + tiles, true, true);
        row("grey", grey, false, false);
        row("grey, lzw tiles", grey + lzw + tiles, false, false);
        const char *turns[] = {"top-right", "bottom-right", "bottom-left", "left-top", "right-top", "right-bottom",
                               "left-bottom"};
        for (const char *turn : turns)
            row(QByteArray("rgb, orientation ") + turn, QStringList{"-orient", turn}, false, false);
        row("rgb turned, separate planes", planes + QStringList{"-orient", "left-bottom"}, false, false);
        row("rgb turned, tiles", tiles + QStringList{"-orient", "right-top"}, false, false);
        row("grey turned", grey + QStringList{"-orient", "right-bottom"}, false, false);
        row("associated alpha turned", associated + QStringList{"-orient", "left-top"}, true, true);
        row("unassociated alpha turned, separate planes", unassociated + planes + QStringList{"-orient", "right-bottom"},
            true, false);
    }
}

// 8- and 16-bit TIFFs of every layout come out as the model from the file's own samples says,
// upright, with their alpha; associated alpha is undone (within a level of ImageMagick's).
void TestLoadTiff::directTiff()
{
    QFETCH(QStringList, options);
    QFETCH(int, depth);
    QFETCH(bool, alpha);
    QFETCH(bool, associated);
    const QString file = m_files.path(QStringLiteral("direct.tif"));
    QVERIFY(RunProgram(QStringLiteral("convert"), QStringList{"-size", "67x45", "xc:", "-seed", "7", "+noise", "Random"} + options
                                               + QStringList{"-depth", QString::number(depth), "tiff:" + file}, {}, 30000).ok());
    const QImage model = SampleModel(file, depth);
    QVERIFY(!model.isNull());

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    QCOMPARE(loaded.image.format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QCOMPARE(loaded.image.size(), model.size());
    if (!alpha)
        QVERIFY(AllOpaque(loaded.image));
    const int tolerance = associated ? 1 : 0;
    for (int y = 0; y < model.height(); ++y)
        for (int x = 0; x < model.width(); ++x) {
            const QRgb got = loaded.image.pixel(x, y), want = model.pixel(x, y);
            QCOMPARE(qAlpha(got), qAlpha(want));
            if (qAlpha(want) == 0)
                continue; // no colour to speak of
            const int difference = std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                                             std::abs(qBlue(got) - qBlue(want))});
            if (difference > tolerance)
                QFAIL(qPrintable(QStringLiteral("(%1, %2): %3 for %4").arg(x).arg(y).arg(got, 8, 16).arg(want, 8, 16)));
        }
}

void TestLoadTiff::directTiffDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("depth");

    for (const int depth : {16, 8}) {
        // 5 × 4 pixels of known samples, its directory first; whole, it loads (checked below).
        const int sampleBytes = depth / 8;
        QList<quint16> samples;
        for (int i = 0; i < 5 * 4 * 3; ++i)
            samples.append(depth == 16 ? quint16(i * 1100 + 7) : quint16(i * 4 + 3));
        const QByteArray whole = UncompressedTiff(5, 4, 3, samples, 1, quint16(depth));
        const qsizetype pixels = 5 * 4 * 3 * sampleBytes;
        QTest::addRow("%d-bit, whole", depth) << whole << depth;
        for (const qsizetype kept : {qsizetype(1), pixels / 2, pixels - 1})
            QTest::addRow("%d-bit, cut %lld bytes into its pixels", depth, qlonglong(kept))
                << whole.left(whole.size() - pixels + kept) << depth;
        QTest::addRow("%d-bit, cut before its pixels", depth) << whole.left(whole.size() - pixels) << depth;

        // ImageMagick's files keep their directory at the end.
        const QByteArray lzw = ImageMagick({"-size", "67x45", "xc:", "+noise", "Random", "-depth", QString::number(depth),
                                        "-compress", "lzw", "tiff:-"});
        QVERIFY(lzw.size() > 4000);
        QTest::addRow("%d-bit, lzw, cut in half", depth) << lzw.left(lzw.size() / 2) << depth;
        // The compressed pixels overwritten in the middle, the directory whole.
        QByteArray garbled = lzw;
        garbled.replace(2000, 200, QByteArray(200, '\xFF'));
        QTest::addRow("%d-bit, lzw, pixels garbled", depth) << garbled << depth;
        QByteArray zeroed = lzw;
        zeroed.replace(2000, 1500, QByteArray(1500, '\0'));
        QTest::addRow("%d-bit, lzw, pixels zeroed", depth) << zeroed << depth;
    }
}

// A cut or broken TIFF is refused as damaged, with no picture in part.
void TestLoadTiff::directTiffDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, depth);
    const LoadedPicture loaded = LoadPicture(m_files.fixture(QStringLiteral("damaged.tif"), bytes));
    if (QByteArray(QTest::currentDataTag()).endsWith("whole")) {
        QCOMPARE(loaded.problem, LoadProblem::None);
        QCOMPARE(loaded.image.size(), QSize(5, 4));
        for (int i = 0; i < 5 * 4; ++i) {
            const auto level = [&](int c) {
                const int n = i * 3 + c;
                return depth == 8 ? n * 4 + 3 : int(std::lround((n * 1100 + 7) * 255.0 / 65535.0));
            };
            QCOMPARE(loaded.image.pixel(i % 5, i / 5), qRgb(level(0), level(1), level(2)));
        }
        return;
    }
    QCOMPARE(loaded.problem, LoadProblem::Damaged);
    QVERIFY(loaded.image.isNull());
}

QTEST_MAIN(TestLoadTiff)
#include "tst_load_tiff.moc"
