// Velmora tests — the picker's colour: one pixel, or the rounded mean of a square clipped to the picture.
#include <QtTest>

#include <cmath>
#include <random>

#include "core/sample_area.h"
#include "support/fake_form.h"

using namespace velmora;
using fakes::Rgb;

namespace {

// Noisy pixels, so every mean has fractions to round and every square differs from its centre.
fakes::Surface Noise(int width, int height)
{
    fakes::Surface surface(width, height);
    std::mt19937 random(20261210);
    for (std::uint32_t &pixel : surface.pixels)
        pixel = 0xFF000000u | (random() & 0xFFFFFFu);
    return surface;
}

// The mean as a reader would work it out: visit the square, skip what lies outside, average in
// real numbers and round halves up.
ColourWord ExpectedMean(const fakes::Surface &s, int x, int y, int size)
{
    double sum[3] = {0, 0, 0};
    int count = 0;
    for (int dy = -(size / 2); dy <= size / 2; ++dy)
        for (int dx = -(size / 2); dx <= size / 2; ++dx) {
            const int u = x + dx, v = y + dy;
            if (u < 0 || v < 0 || u >= s.width || v >= s.height)
                continue;
            const std::uint32_t p = s.at(u, v);
            sum[0] += (p >> 16) & 0xFF;
            sum[1] += (p >> 8) & 0xFF;
            sum[2] += p & 0xFF;
            ++count;
        }
    const auto channel = [&](int i) { return int(std::floor(sum[i] / count + 0.5)); };
    return channel(0) | channel(1) << 8 | channel(2) << 16;
}

} // namespace

class TestSampleArea : public QObject {
    Q_OBJECT

private slots:
    void meanOfSquare_data();
    void meanOfSquare();
    void halvesRoundUp();
    void outsideIsOutside_data();
    void outsideIsOutside();
};

void TestSampleArea::meanOfSquare_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QPoint>("at");
    for (int size : {1, 3, 5, 11}) {
        const auto row = [size](const char *name, QPoint at) { QTest::addRow("%d %s", size, name) << size << at; };
        row("inside", {20, 15});
        row("top left corner", {0, 0});
        row("top right corner", {39, 0});
        row("bottom left corner", {0, 29});
        row("bottom right corner", {39, 29});
        row("near an edge", {2, 14});
        row("left edge", {0, 10});
    }
}

void TestSampleArea::meanOfSquare()
{
    QFETCH(int, size);
    QFETCH(QPoint, at);
    const fakes::Surface surface = Noise(40, 30);
    QCOMPARE(SampleMean(surface, at.x(), at.y(), size), ExpectedMean(surface, at.x(), at.y(), size));
    if (size == 1)
        QCOMPARE(SampleMean(surface, at.x(), at.y(), size), surface.colourAt(at.x(), at.y()));
}

// Four pixels at a corner of a 3 × 3 with sums ending in .5 and .25/.75: halves go up, quarters to nearest.
void TestSampleArea::halvesRoundUp()
{
    fakes::Surface surface(2, 2);
    surface.at(0, 0) = Rgb(10, 0, 1);
    surface.at(1, 0) = Rgb(11, 0, 0);
    surface.at(0, 1) = Rgb(10, 0, 0);
    surface.at(1, 1) = Rgb(11, 2, 2); // red 10.5, green 0.5, blue 0.75
    const Channels c = SplitColour(SampleMean(surface, 0, 0, 3));
    QCOMPARE(c, (Channels{11, 1, 1}));
    // A picture of one pixel: every square is that pixel.
    fakes::Surface one(1, 1, Rgb(200, 100, 50));
    QCOMPARE(SampleMean(one, 0, 0, 11), one.colourAt(0, 0));
}

void TestSampleArea::outsideIsOutside_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("left") << QPoint(-1, 5);
    QTest::newRow("above") << QPoint(5, -1);
    QTest::newRow("right") << QPoint(40, 5);
    QTest::newRow("below") << QPoint(5, 30);
    QTest::newRow("far") << QPoint(-500, 900);
}

// Even when the square would still reach into the picture, a centre outside it samples outside.
void TestSampleArea::outsideIsOutside()
{
    QFETCH(QPoint, at);
    const fakes::Surface surface = Noise(40, 30);
    for (int size : {1, 3, 5, 11})
        QCOMPARE(SampleMean(surface, at.x(), at.y(), size), -1);
}

QTEST_MAIN(TestSampleArea)
#include "tst_sample_area.moc"
