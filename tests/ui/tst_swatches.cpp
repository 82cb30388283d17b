// Velmora tests — the built-in skin swatches and the icon: file layout, size and tones.
#include <QtTest>

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <algorithm>
#include <array>
#include <vector>

#include "support/tools.h"

namespace {

struct SwatchTones {
    int width = 0;
    int height = 0;
    std::array<double, 3> mean{};
    std::array<int, 3> median{};
    std::array<int, 3> minimum{};
    std::array<int, 3> maximum{};
    int redP10AtLeast = 0;
    int redP90AtMost = 0;
    bool redOverGreenOverBlue = false;  // pale pink skin has green and blue about level
};

// Sorted channel values and the pixel counts the tests look at.
struct Measured {
    std::array<std::vector<int>, 3> sorted;
    std::array<double, 3> mean{};
    double redLargestShare = 0;
    double orderedShare = 0;
};

Measured Measure(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    Measured m;
    std::array<double, 3> sum{};
    qsizetype redLargest = 0, ordered = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar *line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = line[3 * x], g = line[3 * x + 1], b = line[3 * x + 2];
            m.sorted[0].push_back(r);
            m.sorted[1].push_back(g);
            m.sorted[2].push_back(b);
            sum[0] += r;
            sum[1] += g;
            sum[2] += b;
            redLargest += r > g && r > b;
            ordered += r > g && g > b;
        }
    }
    const double n = double(rgb.width()) * rgb.height();
    for (int c = 0; c < 3; ++c) {
        std::sort(m.sorted[c].begin(), m.sorted[c].end());
        m.mean[c] = sum[c] / n;
    }
    m.redLargestShare = redLargest / n;
    m.orderedShare = ordered / n;
    return m;
}

// Nearest rank: the smallest value with at least `percent` of the values at or below it.
int Percentile(const std::vector<int> &sorted, int percent)
{
    const std::size_t n = sorted.size();
    return sorted[(std::size_t(percent) * n + 99) / 100 - 1];
}

quint32 LittleEndian(const QByteArray &bytes, int at, int size)
{
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i) {
        v = (v << 8) | quint8(bytes.at(at + i));
    }
    return v;
}

const char *const kChannel[3] = {"red", "green", "blue"};

// A tone swatch as Pillow reads the committed file: the 40 × 40 mean in the middle, the 11 × 11
// mean around the pixel a pick at the middle lands on, the spread of its luminance and how many
// distinct colours it holds.
const char *const kPillowTones = R"(
import sys, json
from PIL import Image, ImageStat
im = Image.open(sys.argv[1]).convert("RGB")
w, h = im.size
def mean(box):
    return ImageStat.Stat(im.crop(box)).mean
wide = mean(((w - 40) // 2, (h - 40) // 2, (w - 40) // 2 + 40, (h - 40) // 2 + 40))
pick = mean((w // 2 - 5, h // 2 - 5, w // 2 + 6, h // 2 + 6))
spread = ImageStat.Stat(im.convert("L")).stddev[0]
print(json.dumps({"size": [w, h], "wide": wide, "pick": pick, "spread": spread,
                  "colours": len(im.getcolors(1 << 16))}))
)";

QString SourceSwatch(const QString &name) { return QStringLiteral(SWATCH_DIR "/") + name; }

}  // namespace

Q_DECLARE_METATYPE(SwatchTones)

class TestSwatches : public QObject {
    Q_OBJECT

private slots:
    void fileLayout_data();
    void fileLayout();
    void levels_data() { swatchTable(); }
    void levels();
    void warmth_data() { swatchTable(); }
    void warmth();
    void iconIsAPicture();
    void designedUnchanged_data();
    void designedUnchanged();
    void toneSwatches_data();
    void toneSwatches();

private:
    static void swatchTable();
};

void TestSwatches::swatchTable()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<SwatchTones>("tones");
    QTest::newRow("0 face, neck and shoulders") << QStringLiteral(":/swatches/skin_0.bmp")
        << SwatchTones{62, 86, {214.7, 191.7, 181.2}, {233, 211, 201}, {0, 0, 0}, {255, 247, 251}, 144, 253, true};
    QTest::newRow("1 cheek, eye and brow") << QStringLiteral(":/swatches/skin_1.bmp")
        << SwatchTones{62, 80, {203.9, 181.4, 172.4}, {211, 187, 177}, {41, 48, 46}, {231, 207, 205}, 179, 224, true};
    QTest::newRow("2 even skin, stray hairs") << QStringLiteral(":/swatches/skin_2.bmp")
        << SwatchTones{62, 83, {209.9, 179.4, 170.3}, {215, 183, 176}, {68, 38, 17}, {249, 224, 228}, 185, 236, true};
    QTest::newRow("3 pale pink, highlights") << QStringLiteral(":/swatches/skin_3.bmp")
        << SwatchTones{62, 75, {214.0, 192.2, 193.9}, {211, 189, 191}, {141, 81, 91}, {255, 255, 255}, 197, 251, false};
}

void TestSwatches::fileLayout_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("skin_0") << QStringLiteral(":/swatches/skin_0.bmp") << 62 << 86;
    QTest::newRow("skin_1") << QStringLiteral(":/swatches/skin_1.bmp") << 62 << 80;
    QTest::newRow("skin_2") << QStringLiteral(":/swatches/skin_2.bmp") << 62 << 83;
    QTest::newRow("skin_3") << QStringLiteral(":/swatches/skin_3.bmp") << 62 << 75;
    QTest::newRow("icon") << QStringLiteral(":/icon/velmora.bmp") << 32 << 32;
}

void TestSwatches::fileLayout()
{
    // Other readers are less forgiving than QImage, so the header is checked byte by byte.
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(int, height);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() >= 54);

    const quint32 stride = (quint32(width) * 3 + 3) & ~3u;
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(LittleEndian(bytes, 2, 4), quint32(bytes.size()));  // bfSize
    QCOMPARE(LittleEndian(bytes, 10, 4), 54u);                    // pixels right after the headers
    QCOMPARE(LittleEndian(bytes, 14, 4), 40u);                    // BITMAPINFOHEADER
    QCOMPARE(qint32(LittleEndian(bytes, 18, 4)), width);
    QCOMPARE(qint32(LittleEndian(bytes, 22, 4)), height);         // positive: rows bottom-up
    QCOMPARE(LittleEndian(bytes, 26, 2), 1u);                     // planes
    QCOMPARE(LittleEndian(bytes, 28, 2), 24u);                    // bits per pixel
    QCOMPARE(LittleEndian(bytes, 30, 4), 0u);                     // BI_RGB
    QCOMPARE(LittleEndian(bytes, 34, 4), stride * quint32(height));
    QCOMPARE(LittleEndian(bytes, 38, 4), 2834u);
    QCOMPARE(LittleEndian(bytes, 42, 4), 2834u);
    QCOMPARE(quint32(bytes.size()), 54 + stride * quint32(height));
}

void TestSwatches::levels()
{
    QFETCH(QString, path);
    QFETCH(SwatchTones, tones);
    const QImage picture(path);
    QVERIFY2(!picture.isNull(), qPrintable(path));
    QCOMPARE(picture.size(), QSize(tones.width, tones.height));

    const Measured m = Measure(picture);
    for (int c = 0; c < 3; ++c) {
        const int median = Percentile(m.sorted[c], 50);
        QVERIFY2(qAbs(m.mean[c] - tones.mean[c]) <= 4.0,
                 qPrintable(QStringLiteral("%1 mean %2, wanted %3").arg(kChannel[c]).arg(m.mean[c]).arg(tones.mean[c])));
        QVERIFY2(qAbs(median - tones.median[c]) <= 8,
                 qPrintable(QStringLiteral("%1 median %2, wanted %3").arg(kChannel[c]).arg(median).arg(tones.median[c])));
        QCOMPARE(m.sorted[c].front(), tones.minimum[c]);
        QCOMPARE(m.sorted[c].back(), tones.maximum[c]);
    }
}

void TestSwatches::warmth()
{
    QFETCH(QString, path);
    QFETCH(SwatchTones, tones);
    const QImage picture(path);
    QVERIFY2(!picture.isNull(), qPrintable(path));

    const Measured m = Measure(picture);
    QVERIFY2(m.redLargestShare >= 0.97, qPrintable(QStringLiteral("red largest in %1 of the pixels").arg(m.redLargestShare)));
    if (tones.redOverGreenOverBlue) {
        QVERIFY2(m.orderedShare > 0.90, qPrintable(QStringLiteral("red > green > blue in %1 of the pixels").arg(m.orderedShare)));
    }
    const int p10 = Percentile(m.sorted[0], 10), p90 = Percentile(m.sorted[0], 90);
    QVERIFY2(p10 >= tones.redP10AtLeast, qPrintable(QStringLiteral("red 10th percentile %1").arg(p10)));
    QVERIFY2(p90 <= tones.redP90AtMost, qPrintable(QStringLiteral("red 90th percentile %1").arg(p90)));
}

void TestSwatches::iconIsAPicture()
{
    const QImage icon(QStringLiteral(":/icon/velmora.bmp"));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            colours.insert(icon.pixel(x, y));
        }
    }
    QVERIFY2(colours.size() > 1, "the icon is one flat colour");
}

// The designed swatches are the design's pictures: the tone swatches' generator must leave them be.
void TestSwatches::designedUnchanged_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("sha256");
    QTest::newRow("skin_0") << "skin_0.bmp" << QByteArray("3ea58539c6d8551abf4fac169306c052673567eb3da017db9df9ccc4cbd2bd9e");
    QTest::newRow("skin_1") << "skin_1.bmp" << QByteArray("9022f4bf5cc5641e8ac5c06b0334a408fffbb9f512853aa43ec27472cc82a496");
    QTest::newRow("skin_2") << "skin_2.bmp" << QByteArray("43ef184e3f17f8bb006f32b5a3ea1a702c2145b8d7549789b89d3fa016050a5f");
    QTest::newRow("skin_3") << "skin_3.bmp" << QByteArray("da5bb8d18ff6ca5cab14cb1fd39c40cb55f2e1043d310b47844b46b799f0d97e");
}

void TestSwatches::designedUnchanged()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, sha256);
    for (const QString &path : {SourceSwatch(name), QStringLiteral(":/swatches/") + name}) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex(), sha256);
    }
}

// The published values, typed here from the scale and the chart, not taken from the program's table.
void TestSwatches::toneSwatches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("tone");
    const char *const monk[] = {"#f6ede4", "#f3e7db", "#f7ead0", "#eadaba", "#d7bd96",
                                "#a07e56", "#825c43", "#604134", "#3a312a", "#292420"};
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("monk_%1.bmp").arg(i + 1, 2, 10, QLatin1Char('0'));
        QTest::newRow(qPrintable(name)) << name << QColor::fromString(QLatin1String(monk[i]));
    }
    QTest::newRow("chart light skin") << "checker_light_skin.bmp" << QColor(194, 150, 130);
    QTest::newRow("chart dark skin") << "checker_dark_skin.bmp" << QColor(115, 82, 68);
}

// Skin with texture, yet a pick at the middle, small or large, gives the tone the box is named after;
// and the program carries exactly the committed file.
void TestSwatches::toneSwatches()
{
    QFETCH(QString, name);
    QFETCH(QColor, tone);
    const velmora::fakes::Ran ran = velmora::fakes::RunPython(QString::fromUtf8(kPillowTones), {SourceSwatch(name)});
    const QJsonObject m = QJsonDocument::fromJson(ran.out).object();
    QVERIFY2(!m.isEmpty(), ran.err.constData());
    QCOMPARE(m["size"].toArray(), QJsonArray({62, 75}));
    const int published[3] = {tone.red(), tone.green(), tone.blue()};
    for (int c = 0; c < 3; ++c) {
        const double wide = m["wide"].toArray()[c].toDouble(), pick = m["pick"].toArray()[c].toDouble();
        QVERIFY2(qAbs(wide - published[c]) <= 2.0,
                 qPrintable(QStringLiteral("%1 40 × 40 mean %2, published %3").arg(kChannel[c]).arg(wide).arg(published[c])));
        QVERIFY2(qAbs(pick - published[c]) <= 3.0,
                 qPrintable(QStringLiteral("%1 11 × 11 mean %2, published %3").arg(kChannel[c]).arg(pick).arg(published[c])));
    }
    // Not a flat patch: even the darkest tone varies by more than a level or two across the box.
    QVERIFY2(m["spread"].toDouble() >= 2.0, qPrintable(QString::number(m["spread"].toDouble())));
    QVERIFY2(m["colours"].toInt() >= 50, qPrintable(QString::number(m["colours"].toInt())));

    QFile built(QStringLiteral(":/swatches/") + name), committed(SourceSwatch(name));
    QVERIFY(built.open(QIODevice::ReadOnly) && committed.open(QIODevice::ReadOnly));
    QCOMPARE(built.readAll(), committed.readAll());
}

QTEST_GUILESS_MAIN(TestSwatches)
#include "tst_swatches.moc"
