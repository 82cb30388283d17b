// Velmora tests — half-size copies of a picture, against a box filter worked out here pixel by pixel.
#include <QtTest>

#include <cmath>
#include <random>

#include "support/image_compare.h"
#include "ui/widgets/picture_pyramid.h"

using namespace velmora;

namespace {

QImage Noise(int width, int height, unsigned seed = 7)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
    return image;
}

// The box filter: each pixel the mean of the up-to-four pixels it covers, halves rounded up.
QImage Halved(const QImage &from)
{
    QImage half((from.width() + 1) / 2, (from.height() + 1) / 2, QImage::Format_RGB32);
    for (int y = 0; y < half.height(); ++y)
        for (int x = 0; x < half.width(); ++x) {
            double r = 0, g = 0, b = 0;
            int n = 0;
            for (int v = 2 * y; v < std::min(2 * y + 2, from.height()); ++v)
                for (int u = 2 * x; u < std::min(2 * x + 2, from.width()); ++u) {
                    const QRgb p = from.pixel(u, v);
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                    ++n;
                }
            const auto round = [n](double sum) { return int(std::floor(sum / n + 0.5)); };
            half.setPixel(x, y, qRgb(round(r), round(g), round(b)));
        }
    return half;
}

} // namespace

class TestPicturePyramid : public QObject {
    Q_OBJECT

private slots:
    void everyLevelIsTheBoxFilter_data();
    void everyLevelIsTheBoxFilter();
    void rewrittenRowsReachEveryLevel_data();
    void rewrittenRowsReachEveryLevel();
    void levelForZoom_data();
    void levelForZoom();
};

void TestPicturePyramid::everyLevelIsTheBoxFilter_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("even") << QSize(64, 48);
    QTest::newRow("odd both ways") << QSize(67, 45);
    QTest::newRow("one row") << QSize(37, 1);
    QTest::newRow("one column") << QSize(1, 29);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("wide odd") << QSize(301, 3);
}

void TestPicturePyramid::everyLevelIsTheBoxFilter()
{
    QFETCH(QSize, size);
    const QImage picture = Noise(size.width(), size.height());
    PicturePyramid pyramid;
    pyramid.build(picture);
    QImage expected = picture;
    int k = 0;
    while (expected.width() > 1 || expected.height() > 1) {
        expected = Halved(expected);
        ++k;
        QVERIFY2(k <= pyramid.depth(), "too few levels");
        const QString difference = fakes::FirstDifference(pyramid.level(k), expected);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("level %1: %2").arg(k).arg(difference)));
    }
    QCOMPARE(pyramid.depth(), k);
}

void TestPicturePyramid::rewrittenRowsReachEveryLevel_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("one even row") << 10 << 10;
    QTest::newRow("one odd row") << 11 << 11;
    QTest::newRow("the last row") << 44 << 44;
    QTest::newRow("a band") << 7 << 30;
    QTest::newRow("all") << 0 << 44;
}

// A pass rewrites rows in place; updating from just those rows must give what a fresh build gives.
void TestPicturePyramid::rewrittenRowsReachEveryLevel()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QImage picture = Noise(67, 45);
    PicturePyramid pyramid;
    pyramid.build(picture);
    const QImage other = Noise(67, 45, 99);
    for (int y = first; y <= last; ++y)
        std::memcpy(picture.scanLine(y), other.constScanLine(y), std::size_t(picture.bytesPerLine()));
    pyramid.update(picture, first, last);

    QImage expected = picture;
    for (int k = 1; k <= pyramid.depth(); ++k) {
        expected = Halved(expected);
        const QString difference = fakes::FirstDifference(pyramid.level(k), expected);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("level %1: %2").arg(k).arg(difference)));
    }
}

void TestPicturePyramid::levelForZoom_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("level");
    QTest::newRow("8x") << 8.0 << 0;
    QTest::newRow("1:1") << 1.0 << 0;
    QTest::newRow("just under 1:1") << 0.99 << 0;
    QTest::newRow("2/3") << 2.0 / 3 << 0;
    QTest::newRow("half") << 0.5 << 1;
    QTest::newRow("a third") << 1.0 / 3 << 1;
    QTest::newRow("quarter") << 0.25 << 2;
    QTest::newRow("fitted 24 MP") << 402.0 / 6000 << 3;
    QTest::newRow("1/32") << 1.0 / 32 << 5;
    QTest::newRow("below the last level") << 1e-6 << 7; // 100 × 80 has 7 levels
}

// The level drawn from is the smallest that still has a pixel for every view pixel.
void TestPicturePyramid::levelForZoom()
{
    QFETCH(double, zoom);
    QFETCH(int, level);
    PicturePyramid pyramid;
    pyramid.build(Noise(100, 80));
    QCOMPARE(pyramid.depth(), 7);
    QCOMPARE(pyramid.levelFor(zoom), level);
    if (level > 0)
        QVERIFY(pyramid.level(level).width() >= std::floor(100 * zoom));
}

QTEST_MAIN(TestPicturePyramid)
#include "tst_picture_pyramid.moc"
