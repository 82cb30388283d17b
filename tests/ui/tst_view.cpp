// Velmora tests — the whole photo in the real window: fit, 1:1, zoom steps and the wheel, the
// pixel under the pointer at any zoom, the averaged picker, and the marks where picks were made.
#include <QtTest>

#include <cmath>

#include "support/image_compare.h"
#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

// Pixel (x, y) is (x, y, 7) for pictures up to 256 × 256, so a sampled colour tells where it came from.
QImage Coordinates(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(x & 255, y & 255, 7);
    }
    return image;
}

ColourWord Word(int r, int g, int b) { return r | g << 8 | b << 16; }

void MoveTo(QWidget *w, QPoint p)
{
    QTest::mouseMove(w, p + QPoint(1, 1));
    QTest::mouseMove(w, p);
}

void Wheel(QWidget *w, QPoint p, int delta)
{
    QWheelEvent event(QPointF(p), QPointF(w->mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// The part of a picture box the window shows: its area's client clips it.
QRect Visible(PictureBox *box) { return box->visibleRegion().boundingRect(); }

QRect Room(PictureBox *box) { return box->parentWidget()->rect(); }

QRgb DrawnAt(QWidget *w, QPoint p) { return w->grab(QRect(p, QSize(1, 1))).toImage().pixel(0, 0); }

QString WritePicture(const QTemporaryDir &dir, const char *name, QSize size)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    Coordinates(size.width(), size.height()).save(path, "BMP");
    return path;
}

struct Shown : fakes::WindowRig {
    Shown(QSize size = {200, 150})
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        reference = box("取样图片");
        target = box("客体图片");
        reference->setPicture(Coordinates(size.width(), size.height()));
        target->setPicture(Coordinates(size.width(), size.height()));
    }
    // Zoom steps from 1:1 on the photo: +2 is 200 %, -3 is 33 %.
    void steps(int count)
    {
        for (int i = 0; i < std::abs(count); ++i)
            count > 0 ? form.zoomIn() : form.zoomOut();
    }
    void import(const char *button, const QString &path)
    {
        picker.answers.push_back(path.toStdString());
        this->button(button)->click();
    }
    PictureBox *reference = nullptr;
    PictureBox *target = nullptr;
};

// Fitted: the box lies in its room, touches it on one side, is centred, and is never enlarged.
void VerifyFitted(PictureBox *box, QSize picture)
{
    const QRect room = Room(box);
    const QRect placed = box->geometry();
    QVERIFY2(room.contains(placed), qPrintable(QStringLiteral("%1,%2 %3×%4").arg(placed.x()).arg(placed.y())
                                                   .arg(placed.width()).arg(placed.height())));
    QVERIFY(std::abs(placed.left() - (room.right() - placed.right())) <= 1);
    QVERIFY(std::abs(placed.top() - (room.bottom() - placed.bottom())) <= 1);
    QVERIFY(box->zoom() <= 1);
    if (box->zoom() < 1)
        QVERIFY(placed.width() == room.width() || placed.height() == room.height());
    else
        QCOMPARE(placed.size(), picture + QSize(4, 4));
    QCOMPARE(box->image().size(), picture); // the picture itself is untouched
}

} // namespace

class TestView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void fitShowsTheWholePicture_data();
    void fitShowsTheWholePicture();
    void actualSizeIsImportPlacement();
    void zoomStepsKeepTheMiddle();
    void viewActsOnTheAreaLastPointedAt();
    void wheelZoomsAroundThePointer_data();
    void wheelZoomsAroundThePointer();
    void wheelBesideThePicture();
    void samplesThePixelUnderThePointer_data();
    void samplesThePixelUnderThePointer();
    void dragMovesByTheViewOffset();
    void importPlacement_data();
    void importPlacement();
    void refreshKeepsTheView();
    void averagedPick_data();
    void averagedPick();
    void marksFollowPicks();
    void marksAreNeverInThePicture();
    void fittedViewShowsThePass();
};

void TestView::fitShowsTheWholePicture_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("24 MP landscape") << QSize(6000, 4000);
    QTest::newRow("portrait") << QSize(1200, 1900);
    QTest::newRow("one pixel too wide") << QSize(403, 300);
    QTest::newRow("small stays 1:1") << QSize(200, 150);
}

void TestView::fitShowsTheWholePicture()
{
    QFETCH(QSize, size);
    Shown w(size);
    w.target->move(-500, 40);
    w.form.fitToWindow();
    VerifyFitted(w.target, size);
    QCOMPARE(w.reference->zoom(), 1.0); // the other area keeps its view
}

void TestView::actualSizeIsImportPlacement()
{
    QTemporaryDir dir;
    Shown w;
    w.import("导入客体", WritePicture(dir, "large.bmp", {1000, 800}));
    const QPoint imported = w.target->pos();
    w.form.fitToWindow();
    QVERIFY(w.target->zoom() < 1);
    w.form.actualSize();
    QCOMPARE(w.target->zoom(), 1.0);
    QCOMPARE(w.target->pos(), imported);
    QCOMPARE(w.target->size(), QSize(1004, 804));
}

// Each step goes to the next zoom and keeps the picture point at the middle of the area in place.
void TestView::zoomStepsKeepTheMiddle()
{
    Shown w;
    const QPointF middle = QRectF(Room(w.target)).center();
    const auto pictureAtMiddle = [&] { return (middle - QPointF(w.target->pos() + QPoint(2, 2))) / w.target->zoom(); };
    const double in[] = {1.5, 2, 3, 4, 6, 8, 8};
    for (double zoom : in) {
        const QPointF before = pictureAtMiddle();
        w.form.zoomIn();
        QCOMPARE(w.target->zoom(), zoom);
        QCOMPARE(w.target->size(), QSize(int(std::ceil(200 * zoom)), int(std::ceil(150 * zoom))) + QSize(4, 4));
        // Within half a view pixel of where it was.
        QVERIFY(std::abs(pictureAtMiddle().x() - before.x()) * zoom <= 0.5 + 1e-9);
        QVERIFY(std::abs(pictureAtMiddle().y() - before.y()) * zoom <= 0.5 + 1e-9);
    }
    w.form.actualSize();
    const double out[] = {2.0 / 3, 0.5, 1.0 / 3, 0.25, 1.0 / 6, 1.0 / 8, 1.0 / 12, 1.0 / 16, 1.0 / 24, 1.0 / 32, 1.0 / 32};
    for (double zoom : out) {
        w.form.zoomOut();
        QCOMPARE(w.target->zoom(), zoom);
        QVERIFY(w.target->width() >= 5 && w.target->height() >= 5); // a picture never shrinks to nothing
    }
}

// Before any move the photo's area; then the area last entered, over its picture or beside it.
void TestView::viewActsOnTheAreaLastPointedAt()
{
    Shown w;
    w.form.zoomIn();
    QCOMPARE(w.target->zoom(), 1.5);
    QCOMPARE(w.reference->zoom(), 1.0);
    MoveTo(w.reference, QPoint(20, 20));
    w.form.zoomIn();
    QCOMPARE(w.reference->zoom(), 1.5);
    QCOMPARE(w.target->zoom(), 1.5);
    // Beside the photo, in its area but not over it.
    PictureBox *area = w.box("客体");
    w.target->move(250, 300);
    MoveTo(area, QPoint(30, 30));
    w.form.zoomOut();
    QCOMPARE(w.target->zoom(), 1.0);
    QCOMPARE(w.reference->zoom(), 1.5);
}

void TestView::wheelZoomsAroundThePointer_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("turns");
    QTest::addColumn<double>("zoom");
    QTest::newRow("one notch in") << 120 << 1 << 1.5;
    QTest::newRow("two notches in") << 120 << 2 << 2.0;
    QTest::newRow("one notch out") << -120 << 1 << 2.0 / 3;
    QTest::newRow("touchpad quarter notches") << 30 << 4 << 1.5;
    QTest::newRow("touchpad, not yet a notch") << 30 << 3 << 1.0;
    QTest::newRow("one turn of two notches") << 240 << 1 << 2.0;
}

// The picture pixel under the pointer stays under it.
void TestView::wheelZoomsAroundThePointer()
{
    QFETCH(int, delta);
    QFETCH(int, turns);
    QFETCH(double, zoom);
    Shown w;
    const QPoint at(2 + 37, 2 + 81); // picture pixel (37, 81) at 1:1
    const QPoint global = w.target->mapToGlobal(at);
    for (int i = 0; i < turns; ++i)
        Wheel(w.target, w.target->mapFromGlobal(global), delta);
    QCOMPARE(w.target->zoom(), zoom);
    QCOMPARE(w.reference->zoom(), 1.0);
    MoveTo(w.target, w.target->mapFromGlobal(global));
    const Channels under = SplitColour(w.form.hoverColour());
    const int slack = zoom < 1 ? 1 : 0;
    QVERIFY2(std::abs(under.red - 37) <= slack && std::abs(under.green - 81) <= slack,
             qPrintable(QStringLiteral("%1, %2").arg(under.red).arg(under.green)));
}

// Over the area beside a picture the wheel zooms that area's picture, keeping the point under the pointer.
void TestView::wheelBesideThePicture()
{
    Shown w;
    PictureBox *area = w.box("Picture3");
    w.reference->move(100, 100);
    const QPoint at(60, 70); // in the area, above and left of the picture
    const QPointF pointer = QPointF(at) + QPointF(0.5, 0.5);
    const QPointF before = QPointF(w.reference->mapTo(area, QPoint(2, 2))) - pointer;
    Wheel(area, at, -120);
    QCOMPARE(w.reference->zoom(), 2.0 / 3);
    QCOMPARE(w.target->zoom(), 1.0);
    // The picture's corner is two thirds as far from the pointer as it was.
    const QPointF after = QPointF(w.reference->mapTo(area, QPoint(2, 2))) - pointer;
    QVERIFY2(std::abs(after.x() - before.x() * 2 / 3) <= 0.5 && std::abs(after.y() - before.y() * 2 / 3) <= 0.5,
             qPrintable(QStringLiteral("%1, %2 from %3, %4").arg(after.x()).arg(after.y()).arg(before.x()).arg(before.y())));
}

void TestView::samplesThePixelUnderThePointer_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("positionField");
    for (const auto &[box, field] : {std::pair{"客体图片", "Text2"}, std::pair{"取样图片", "Text1"}})
        for (int steps : {2, 1, 6, -1, -2, -3}) // 200 %, 150 %, 800 %, 67 %, 50 %, 33 %
            QTest::addRow("%s %+d", box, steps) << QString::fromUtf8(box) << steps << QString::fromUtf8(field);
}

// Wherever the pointer is over the picture, the window samples the pixel drawn there, and its
// position field shows that pixel's place in the picture.
void TestView::samplesThePixelUnderThePointer()
{
    QFETCH(QString, box);
    QFETCH(int, steps);
    QFETCH(QString, positionField);
    Shown w;
    PictureBox *picture = w.box(box.toUtf8().constData());
    MoveTo(picture, QPoint(10, 10)); // makes its area the one the steps act on
    picture->move(203 - 102, 253 - 77); // centred, so the steps keep it in view
    w.steps(steps);
    const QRect visible = Visible(picture).adjusted(2, 2, -3, -3);
    QVERIFY(!visible.isEmpty());
    for (const QPoint p : {visible.topLeft(), visible.center(), visible.bottomRight(),
                           QPoint(visible.left() + 7, visible.bottom() - 11)}) {
        MoveTo(picture, p);
        const Channels c = SplitColour(w.form.hoverColour());
        QCOMPARE(c.blue, 7);
        QCOMPARE(w.text(positionField.toUtf8().constData()), QStringLiteral("鼠标 X=%1  Y=%2").arg(c.red).arg(c.green));
        // What is drawn there: the same pixel at and above 1:1, the mean of a block it lies in below.
        const QRgb drawn = DrawnAt(picture, p);
        const int slack = picture->zoom() < 1 ? int(std::ceil(1 / picture->zoom())) : 0;
        QVERIFY2(std::abs(qRed(drawn) - c.red) <= slack && std::abs(qGreen(drawn) - c.green) <= slack,
                 qPrintable(QStringLiteral("at (%1, %2) drawn %3, %4, sampled %5, %6")
                                .arg(p.x()).arg(p.y()).arg(qRed(drawn)).arg(qGreen(drawn)).arg(c.red).arg(c.green)));
    }
}

// At 200 % the pointer's 20 view pixels are 10 picture pixels; the view moves by 20.
void TestView::dragMovesByTheViewOffset()
{
    Shown w;
    // Zoom acts where the pointer was last: make that the photo, whatever an earlier test left.
    QTest::mouseMove(w.target, QPoint(5, 5));
    w.steps(2);
    QCOMPARE(w.target->zoom(), 2.0);
    w.target->move(-100, -50);
    QTest::mousePress(w.target, Qt::LeftButton, {}, QPoint(150, 160));
    QTest::mouseMove(w.target, QPoint(160, 160));
    QCOMPARE(w.target->pos(), QPoint(-100, -50));
    QTest::mouseRelease(w.target, Qt::LeftButton, {}, QPoint(171, 153));
    QCOMPARE(w.target->pos(), QPoint(-79, -57));
}

void TestView::importPlacement_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("fitLarge");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("fitted");
    for (const auto &[button, box] : {std::pair{"导入客体", "客体图片"}, std::pair{"导入主体", "取样图片"}}) {
        const auto row = [&](const char *name, bool fitLarge, QSize size, bool fitted) {
            QTest::addRow("%s %s", button, name) << QString::fromUtf8(button) << QString::fromUtf8(box) << fitLarge
                                                 << size << fitted;
        };
        row("large, fitting off", false, {1000, 800}, false);
        row("large, fitting on", true, {1000, 800}, true);
        row("just too wide, fitting on", true, {403, 200}, true);
        row("small, fitting on", true, {300, 200}, false);
        row("area size, fitting on", true, {402, 502}, false);
    }
}

// A picture comes in 1:1 where import centres it, or fitted when asked and too large, whatever
// the view was before.
void TestView::importPlacement()
{
    QFETCH(QString, button);
    QFETCH(QString, box);
    QFETCH(bool, fitLarge);
    QFETCH(QSize, size);
    QFETCH(bool, fitted);
    QTemporaryDir dir;
    Shown w;
    QCOMPARE(w.form.fitLargeOnImport(), false);
    w.form.setFitLargeOnImport(fitLarge);
    PictureBox *picture = w.box(box.toUtf8().constData());
    MoveTo(picture, QPoint(5, 5));
    w.steps(3);
    w.import(button.toUtf8().constData(), WritePicture(dir, "photo.bmp", size));
    QVERIFY(w.messages.shown.empty());
    if (fitted) {
        QVERIFY(picture->zoom() < 1);
        VerifyFitted(picture, size);
    } else {
        QCOMPARE(picture->zoom(), 1.0);
        QCOMPARE(picture->pos(), QPoint(205 - size.width() / 2, 255 - size.height() / 2));
        QCOMPARE(picture->size(), size + QSize(4, 4));
    }
}

// 刷新 brings the photo back from its file where it stands, at the zoom it had.
void TestView::refreshKeepsTheView()
{
    QTemporaryDir dir;
    Shown w;
    w.import("导入客体", WritePicture(dir, "photo.bmp", {1000, 800}));
    w.form.fitToWindow();
    const QRect fitted = w.target->geometry();
    const double zoom = w.target->zoom();
    w.button("校正点")->click(); // 刷新
    QCOMPARE(w.target->zoom(), zoom);
    QCOMPARE(w.target->geometry(), fitted);
}

void TestView::averagedPick_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QPoint>("pixel");
    for (int size : {1, 3, 5, 11}) {
        QTest::addRow("%d x %d inside", size, size) << size << 0 << QPoint(60, 40);
        QTest::addRow("%d x %d top left corner", size, size) << size << 0 << QPoint(0, 0);
        QTest::addRow("%d x %d bottom right corner", size, size) << size << 0 << QPoint(199, 149);
        QTest::addRow("%d x %d at 200 %%", size, size) << size << 2 << QPoint(51, 47);
        QTest::addRow("%d x %d at 50 %%", size, size) << size << -2 << QPoint(2, 148);
    }
    QTest::newRow("not a size: one pixel") << 4 << 0 << QPoint(60, 40);
}

// Hover and click take the rounded mean of the square, clipped to the picture, at any zoom.
void TestView::averagedPick()
{
    QFETCH(int, size);
    QFETCH(int, steps);
    QFETCH(QPoint, pixel);
    Shown w;
    w.form.setSampleSize(size);
    const int expectedSize = size == 4 ? 1 : size;
    QCOMPARE(w.form.sampleSize(), expectedSize);
    MoveTo(w.reference, QPoint(30, 30));
    w.steps(steps);
    w.reference->move(0, 0); // every pixel of interest in view at these zooms
    const double zoom = w.reference->zoom();
    const QPoint at(2 + int(std::ceil(pixel.x() * zoom)), 2 + int(std::ceil(pixel.y() * zoom)));
    MoveTo(w.reference, at);
    QCOMPARE(w.text("Text1"), QStringLiteral("鼠标 X=%1  Y=%2").arg(pixel.x()).arg(pixel.y()));
    // The mean of x and of y over the clipped square, halves up.
    const auto mean = [expectedSize](int centre, int length) {
        double sum = 0;
        int n = 0;
        for (int v = centre - expectedSize / 2; v <= centre + expectedSize / 2; ++v)
            if (v >= 0 && v < length) {
                sum += v;
                ++n;
            }
        return int(std::floor(sum / n + 0.5));
    };
    const ColourWord expected = Word(mean(pixel.x(), 200), mean(pixel.y(), 150), 7);
    QCOMPARE(w.form.hoverColour(), expected);
    QTest::mouseClick(w.reference, Qt::LeftButton, {}, at);
    QCOMPARE(w.text("主红"), QString::number(mean(pixel.x(), 200)));
    QCOMPARE(w.text("主绿"), QString::number(mean(pixel.y(), 150)));
    QCOMPARE(w.reference->mark(), (std::optional<PickMark>{PickMark{pixel, expectedSize}}));
}

void TestView::marksFollowPicks()
{
    QTemporaryDir dir;
    Shown w;
    w.form.setSampleSize(5);
    PictureBox *swatch = w.box("Picture2(1)");
    QVERIFY(!w.reference->mark() && !w.target->mark());

    MoveTo(w.reference, QPoint(2 + 30, 2 + 40));
    QTest::mouseClick(w.reference, Qt::LeftButton, {}, QPoint(2 + 30, 2 + 40));
    QCOMPARE(w.reference->mark(), (std::optional<PickMark>{PickMark{{30, 40}, 5}}));

    MoveTo(w.target, QPoint(2 + 70, 2 + 20));
    QTest::mouseClick(w.target, Qt::LeftButton, {}, QPoint(2 + 70, 2 + 20));
    QVERIFY(w.messages.shown.empty());
    QCOMPARE(w.target->mark(), (std::optional<PickMark>{PickMark{{70, 20}, 5}}));

    // The reference now comes from a swatch: the mark moves there.
    MoveTo(swatch, QPoint(1 + 30, 1 + 40));
    QTest::mouseClick(swatch, Qt::LeftButton, {}, QPoint(1 + 30, 1 + 40));
    QCOMPARE(swatch->mark(), (std::optional<PickMark>{PickMark{{30, 40}, 5}}));
    QVERIFY(!w.reference->mark());
    QCOMPARE(w.target->mark(), (std::optional<PickMark>{PickMark{{70, 20}, 5}}));

    // Importing a picture again removes its mark, and only its own.
    w.import("导入客体", WritePicture(dir, "again.bmp", {100, 80}));
    QVERIFY(!w.target->mark());
    QVERIFY(swatch->mark());
}

// A mark is drawn over the picture, never into it: the picture's pixels, what a pass writes and
// what a save writes stay free of it.
void TestView::marksAreNeverInThePicture()
{
    Shown w;
    const QRgb skin = qRgb(200, 150, 120), photo = qRgb(150, 140, 130);
    QImage plain(200, 150, QImage::Format_RGB32);
    plain.fill(skin);
    w.reference->setPicture(plain);
    plain.fill(photo);
    w.target->setPicture(plain);
    w.target->move(0, 0);
    w.form.setSampleSize(11);

    MoveTo(w.reference, QPoint(2 + 50, 2 + 50));
    QTest::mouseClick(w.reference, Qt::LeftButton, {}, QPoint(2 + 50, 2 + 50));
    MoveTo(w.target, QPoint(2 + 80, 2 + 60));
    QTest::mouseClick(w.target, Qt::LeftButton, {}, QPoint(2 + 80, 2 + 60));
    QVERIFY(w.reference->mark() && w.target->mark());
    QCOMPARE(w.form.hoverColour(), Word(150, 140, 130)); // the mark is not sampled either

    // On screen the mark shows over the photo, around the picked pixel only; in the picture nothing changed.
    const QImage screen = w.target->grab().toImage();
    int marked = 0;
    for (int y = 2; y < 148; ++y) // clear of the box's border
        for (int x = 2; x < 198; ++x)
            if (screen.pixel(x + 2, y + 2) != photo) {
                ++marked;
                QVERIFY2(std::abs(x - 80) <= 20 && std::abs(y - 60) <= 20, qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
    QVERIFY2(marked > 40, qPrintable(QString::number(marked)));
    QVERIFY(fakes::FirstDifference(w.target->image(), plain).isEmpty());

    // The pass rewrites every pixel alike: a mark written in would leave its pixels different.
    w.button("校正")->click();
    QVERIFY(w.messages.shown.empty());
    const QRgb corrected = w.target->image().pixel(0, 0);
    QVERIFY(corrected != photo);
    plain.fill(corrected);
    QVERIFY(fakes::FirstDifference(w.target->image(), plain).isEmpty());
    QVERIFY(w.target->mark());
}

// After a pass the fitted view shows the corrected photo, not the one before it.
void TestView::fittedViewShowsThePass()
{
    Shown w(QSize(3000, 2000));
    QImage plain(3000, 2000, QImage::Format_RGB32);
    plain.fill(qRgb(150, 140, 130));
    w.target->setPicture(plain);
    w.form.fitToWindow();
    w.field("红")->setText(QStringLiteral("40"));
    w.field("绿")->setText(QStringLiteral("0"));
    w.field("蓝")->setText(QStringLiteral("-5")); // a gain above -1, which would blacken the channel
    w.button("校正")->click();
    const QRgb corrected = w.target->image().pixel(1500, 1000);
    QVERIFY(corrected != plain.pixel(0, 0));
    const QRect visible = Visible(w.target).adjusted(3, 3, -3, -3);
    for (const QPoint p : {visible.topLeft(), visible.center(), visible.bottomRight()}) {
        const QRgb drawn = DrawnAt(w.target, p);
        QVERIFY2(fakes::FirstDifference(&drawn, &corrected, 1, 1, 1).isEmpty(),
                 qPrintable(QStringLiteral("%1 against %2").arg(drawn, 0, 16).arg(corrected, 0, 16)));
    }
}

QTEST_MAIN(TestView)
#include "tst_view.moc"
