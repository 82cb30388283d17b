// Velmora — turning a picture upright by its recorded orientation, against Qt's own mirror, flip
// and rotation as the tag defines them.
#include <QImage>
#include <QTest>
#include <QTransform>

#include "core/orientation.h"

using namespace velmora;

namespace {

// What the tag means, in Qt's words: mirror and flip first, then a clockwise turn.
QImage Model(const QImage &stored, int tag)
{
    static const struct { bool mirror, flip; int degrees; } kMeaning[9] = {
        {}, {false, false, 0}, {true, false, 0}, {true, true, 0}, {false, true, 0},
        {false, true, 90}, {false, false, 90}, {true, false, 90}, {true, true, 90}};
    const auto m = kMeaning[tag];
    QImage out = stored.mirrored(m.mirror, m.flip);
    return m.degrees ? out.transformed(QTransform().rotate(m.degrees)) : out;
}

} // namespace

class TestOrientation : public QObject {
    Q_OBJECT

private slots:
    void placesEveryPixel_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (int tag = 1; tag <= 8; ++tag) {
            QTest::addRow("%d, wide", tag) << tag << 5 << 3;
            QTest::addRow("%d, one row", tag) << tag << 4 << 1;
            QTest::addRow("%d, one column", tag) << tag << 1 << 3;
        }
    }
    void placesEveryPixel()
    {
        QFETCH(int, tag);
        QFETCH(int, width);
        QFETCH(int, height);
        QImage stored(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                stored.setPixel(x, y, qRgb(x * 40, y * 40, 7));
        const Orientation orientation(tag);
        QImage upright(orientation.swapsSides() ? QSize(height, width) : QSize(width, height), QImage::Format_RGB32);
        upright.fill(Qt::black);
        // Rows a few pixels longer than the picture, as a padded picture's are.
        const std::int64_t stride = upright.width() + 3;
        std::vector<quint32> pixels(std::size_t(stride * upright.height()), 0);
        const UprightPlacement place = orientation.placement(width, height, stride);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[std::size_t(place.at(x, y))] = stored.pixel(x, y);
        for (int y = 0; y < upright.height(); ++y)
            for (int x = 0; x < upright.width(); ++x)
                upright.setPixel(x, y, pixels[std::size_t(y * stride + x)]);
        QCOMPARE(upright, Model(stored, tag));
    }

    void tagsOutOfRangeAreUpright()
    {
        for (int tag : {0, 9, -1, 65535}) {
            QCOMPARE(Orientation(tag).tag(), 1);
            QVERIFY(Orientation(tag).upright());
        }
    }
};

QTEST_APPLESS_MAIN(TestOrientation)
#include "tst_orientation.moc"
