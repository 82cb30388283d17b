// Velmora tests — the built-in skin swatches and the icon: file layout, size and tones.
#include <QtTest>

#include <QFile>
#include <QImage>
#include <QSet>

#include <algorithm>
#include <array>
#include <vector>

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

QTEST_GUILESS_MAIN(TestSwatches)
#include "tst_swatches.moc"
