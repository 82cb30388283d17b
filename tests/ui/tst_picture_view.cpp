// Velmora tests — zoom steps, fitting, the pixel under a view position, and drawing at a zoom.
#include <QtTest>

#include <QPainter>

#include "support/image_compare.h"
#include "ui/widgets/picture_painter.h"
#include "ui/widgets/picture_pyramid.h"
#include "ui/widgets/picture_view.h"

using namespace velmora;

namespace {

// Red rises 2 a column and green 2 a row, so a view pixel's colour tells which pixels it shows.
QImage Ramp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(2 * x, 2 * y, 50));
    return image;
}

QImage Checkerboard(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return image;
}

constexpr QRgb kBackground = 0xFF123456;

// `picture` drawn at `zoom` with its corner at `corner` on a canvas, only `exposed` repainted.
QImage Painted(const QImage &picture, double zoom, QPoint corner, QSize canvas, QRect exposed = {})
{
    PicturePyramid pyramid;
    pyramid.build(picture);
    QImage out(canvas, QImage::Format_RGB32);
    out.fill(kBackground);
    QPainter painter(&out);
    PaintPicture(painter, picture, pyramid, corner, zoom, exposed.isNull() ? out.rect() : exposed);
    return out;
}

} // namespace

class TestPictureView : public QObject {
    Q_OBJECT

private slots:
    void zoomSteps_data();
    void zoomSteps();
    void fitting_data();
    void fitting();
    void pixelUnderPosition_data();
    void pixelUnderPosition();
    void anchorStays_data();
    void anchorStays();
    void sharpSquaresAreThePixelsThePointerFinds_data();
    void sharpSquaresAreThePixelsThePointerFinds();
    void smoothBelowOneToOne_data();
    void smoothBelowOneToOne();
    void partRepaintMatchesWholeRepaint_data();
    void partRepaintMatchesWholeRepaint();
};

void TestPictureView::zoomSteps_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("to");
    QTest::newRow("in from 1:1") << 1.0 << 1 << 1.5;
    QTest::newRow("out from 1:1") << 1.0 << -1 << 2.0 / 3;
    QTest::newRow("in from 2/3") << 2.0 / 3 << 1 << 1.0;
    QTest::newRow("out from 50 %") << 0.5 << -1 << 1.0 / 3;
    QTest::newRow("in at the top") << 8.0 << 1 << 8.0;
    QTest::newRow("out at the bottom") << 1.0 / 32 << -1 << 1.0 / 32;
    QTest::newRow("in from a fit between steps") << 0.067 << 1 << 1.0 / 12;
    QTest::newRow("out from a fit between steps") << 0.067 << -1 << 1.0 / 16;
    QTest::newRow("in from a hair under a step") << 0.5 * (1 - 1e-12) << 1 << 2.0 / 3;
    QTest::newRow("in from below the bottom") << 0.001 << 1 << 1.0 / 32;
    QTest::newRow("out from below the bottom") << 0.001 << -1 << 0.001;
}

void TestPictureView::zoomSteps()
{
    QFETCH(double, from);
    QFETCH(int, direction);
    QFETCH(double, to);
    QCOMPARE(NextZoomStep(from, direction), to);
}

void TestPictureView::fitting_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("room");
    QTest::newRow("24 MP landscape") << QSize(6000, 4000) << QSize(406, 506);
    QTest::newRow("portrait") << QSize(3000, 4000) << QSize(406, 506);
    QTest::newRow("just over the room") << QSize(403, 100) << QSize(406, 506);
    QTest::newRow("fits as it is") << QSize(300, 200) << QSize(406, 506);
    QTest::newRow("exactly fits") << QSize(402, 502) << QSize(406, 506);
    QTest::newRow("long strip") << QSize(40000, 3) << QSize(406, 506);
    QTest::newRow("odd primes") << QSize(4091, 2897) << QSize(406, 506);
}

// Fitted, the picture and its border lie inside the room, touch it on one side, and keep their shape.
void TestPictureView::fitting()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, room);
    const int border = 2;
    const double zoom = FitZoom(picture, border, room);
    const QSize shown = ShownSize(picture, zoom);
    QVERIFY(zoom <= 1);
    QVERIFY2(shown.width() + 2 * border <= room.width() && shown.height() + 2 * border <= room.height(),
             qPrintable(QStringLiteral("%1 × %2").arg(shown.width()).arg(shown.height())));
    if (zoom < 1)
        QVERIFY(shown.width() + 2 * border == room.width() || shown.height() + 2 * border == room.height());
    else
        QCOMPARE(shown, picture);
    QVERIFY(std::abs(shown.width() - picture.width() * zoom) < 1);
    QVERIFY(std::abs(shown.height() - picture.height() * zoom) < 1);
}

void TestPictureView::pixelUnderPosition_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("pixel");
    QTest::newRow("1:1") << 12.0 << 1.0 << 12;
    QTest::newRow("1:1 fraction") << 12.75 << 1.0 << 12;
    QTest::newRow("1:1 left of the picture") << -0.5 << 1.0 << -1;
    QTest::newRow("2x first of a square") << 6.0 << 2.0 << 3;
    QTest::newRow("2x second of a square") << 7.0 << 2.0 << 3;
    QTest::newRow("1.5x") << 4.0 << 1.5 << 2;
    QTest::newRow("1.5x edge") << 3.0 << 1.5 << 2;
    QTest::newRow("half") << 5.0 << 0.5 << 10;
    QTest::newRow("third") << 5.0 << 1.0 / 3 << 15;
    QTest::newRow("8x left of the picture") << -1.0 << 8.0 << -1;
}

void TestPictureView::pixelUnderPosition()
{
    QFETCH(double, position);
    QFETCH(double, zoom);
    QFETCH(int, pixel);
    QCOMPARE(PixelAt(position, zoom), pixel);
}

void TestPictureView::anchorStays_data()
{
    QTest::addColumn<QPoint>("corner");
    QTest::addColumn<QPointF>("anchor");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::newRow("in at the corner") << QPoint(10, 20) << QPointF(10.5, 20.5) << 1.0 << 2.0;
    QTest::newRow("in at the middle") << QPoint(-100, -50) << QPointF(203, 253) << 1.0 << 1.5;
    QTest::newRow("out") << QPoint(-3000, -2000) << QPointF(200.5, 250.5) << 1.0 << 0.5;
    QTest::newRow("from a fit") << QPoint(2, 119) << QPointF(150.5, 200.5) << 0.067 << 1.0 / 12;
    QTest::newRow("8x to 6x") << QPoint(-900, -700) << QPointF(33.5, 401.5) << 8.0 << 6.0;
}

// The picture point under the anchor is the same before and after, to within a view pixel.
void TestPictureView::anchorStays()
{
    QFETCH(QPoint, corner);
    QFETCH(QPointF, anchor);
    QFETCH(double, from);
    QFETCH(double, to);
    const QPoint moved = KeepUnderAnchor(corner, anchor, from, to);
    const QPointF before = (anchor - corner) / from;
    const QPointF after = (anchor - moved) / to;
    QVERIFY2(std::abs(before.x() - after.x()) * to <= 0.5 && std::abs(before.y() - after.y()) * to <= 0.5,
             qPrintable(QStringLiteral("(%1, %2) against (%3, %4)")
                            .arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
}

void TestPictureView::sharpSquaresAreThePixelsThePointerFinds_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("1:1") << 1.0;
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("2x") << 2.0;
    QTest::newRow("3x") << 3.0;
    QTest::newRow("8x") << 8.0;
}

// At and above 1:1 every view pixel is exactly the picture pixel a pointer there would sample.
void TestPictureView::sharpSquaresAreThePixelsThePointerFinds()
{
    QFETCH(double, zoom);
    const QImage picture = Ramp(23, 17);
    const QPoint corner(3, 5);
    const QImage out = Painted(picture, zoom, corner, QSize(200, 160));
    const QSize shown = ShownSize(picture.size(), zoom);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const int u = PixelAt(x - corner.x(), zoom), v = PixelAt(y - corner.y(), zoom);
            const bool inside = QRect(corner, shown).contains(x, y);
            QCOMPARE(inside, picture.rect().contains(u, v));
            const QRgb expected = inside ? picture.pixel(u, v) : kBackground;
            if (out.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("view (%1, %2)").arg(x).arg(y)));
        }
}

void TestPictureView::smoothBelowOneToOne_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("half") << 0.5;
    QTest::newRow("third") << 1.0 / 3;
    QTest::newRow("quarter") << 0.25;
    QTest::newRow("0.37") << 0.37;
    QTest::newRow("1/8") << 0.125;
}

// Below 1:1 a one-pixel checkerboard is an even grey (no pixel skipped), and on a ramp each view
// pixel is the mean of the picture pixels it covers.
void TestPictureView::smoothBelowOneToOne()
{
    QFETCH(double, zoom);
    const QImage board = Painted(Checkerboard(240, 160), zoom, {0, 0}, ShownSize({240, 160}, zoom));
    for (int y = 0; y < board.height() - 1; ++y)
        for (int x = 0; x < board.width() - 1; ++x)
            if (std::abs(qRed(board.pixel(x, y)) - 128) > 2)
                QFAIL(qPrintable(QStringLiteral("view (%1, %2): %3").arg(x).arg(y).arg(qRed(board.pixel(x, y)))));

    const QImage ramp = Painted(Ramp(120, 96), zoom, {0, 0}, ShownSize({120, 96}, zoom));
    // Away from the edges, where the filter has pixels on both sides.
    for (int y = 1; y < ramp.height() - 2; ++y)
        for (int x = 1; x < ramp.width() - 2; ++x) {
            // Covered picture pixels run from x / zoom to (x + 1) / zoom; a ramp's mean is its middle.
            const double red = 2 * ((x + 0.5) / zoom - 0.5), green = 2 * ((y + 0.5) / zoom - 0.5);
            if (std::abs(qRed(ramp.pixel(x, y)) - red) > 1.5 || std::abs(qGreen(ramp.pixel(x, y)) - green) > 1.5)
                QFAIL(qPrintable(QStringLiteral("view (%1, %2): %3, %4 against %5, %6")
                                     .arg(x).arg(y).arg(qRed(ramp.pixel(x, y))).arg(qGreen(ramp.pixel(x, y)))
                                     .arg(red).arg(green)));
        }
}

void TestPictureView::partRepaintMatchesWholeRepaint_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("1:1") << 1.0;
    QTest::newRow("third") << 1.0 / 3;
    QTest::newRow("0.37") << 0.37;
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("3x") << 3.0;
}

// A paint of part of the view gives exactly that part of a whole paint, and nothing outside it.
void TestPictureView::partRepaintMatchesWholeRepaint()
{
    QFETCH(double, zoom);
    const QImage picture = Ramp(100, 90);
    const QRect part(17, 9, 31, 40);
    const QImage whole = Painted(picture, zoom, {-7, 4}, {120, 110});
    const QImage piece = Painted(picture, zoom, {-7, 4}, {120, 110}, part);
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) {
            const QRgb expected = part.contains(x, y) ? whole.pixel(x, y) : kBackground;
            if (piece.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("view (%1, %2)").arg(x).arg(y)));
        }
}

QTEST_MAIN(TestPictureView)
#include "tst_picture_view.moc"
