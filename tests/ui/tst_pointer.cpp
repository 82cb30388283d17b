// Velmora tests — pointing at the swatches and pictures: sampling, picking and dragging.
#include <QtTest>

#include <QApplication>

#include "support/window_rig.h"
#include "ui/window/window_texts.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

// A picture whose pixel (x, y) is (x, y, 7), so a sampled colour tells where it came from.
QImage Coordinates(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x, y, 7));
    return image;
}

ColourWord Word(int r, int g, int b) { return r | g << 8 | b << 16; }

// Widget positions of picture pixel (x, y): the box's border comes first.
QPoint At(PictureBox *box, int x, int y) { return QPoint(x + box->borderWidth(), y + box->borderWidth()); }

// Moves there by way of a neighbouring point, so the move is a real one.
void MoveTo(QWidget *w, QPoint p)
{
    QTest::mouseMove(w, p + QPoint(1, 1));
    QTest::mouseMove(w, p);
}

struct Shown : fakes::WindowRig {
    Shown()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        box("取样图片")->setPicture(Coordinates(200, 150));
        box("客体图片")->setPicture(Coordinates(200, 150));
    }
};

} // namespace

class TestPointer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void hoverSamplesAndShowsPosition_data();
    void hoverSamplesAndShowsPosition();
    void swatchClickPicksReference();
    void lastSourceWins();
    void targetClickNeedsReference();
    void dragMovesOnceAtRelease_data();
    void dragMovesOnceAtRelease();
    void dragFartherThanTheDragDistanceIsNoPick_data();
    void dragFartherThanTheDragDistanceIsNoPick();
    void heldMoveOutsideSamplesOutside();
    void pointingDuringPass();
    void fractionalPositionsOnScaledScreens();
    void borderIsNotThePicture_data();
    void borderIsNotThePicture();
    void heldMoveOntoBorderIsNoClick_data();
    void heldMoveOntoBorderIsNoClick();
};

void TestPointer::hoverSamplesAndShowsPosition_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("shows");
    QTest::newRow("reference") << "取样图片" << "Text1";
    QTest::newRow("target") << "客体图片" << "Text2";
    QTest::newRow("swatch") << "Picture2(2)" << "";
}

// A move samples the colour under the pointer; only a picture's own position field is written.
void TestPointer::hoverSamplesAndShowsPosition()
{
    QFETCH(QString, box);
    QFETCH(QString, shows);
    Shown w;
    PictureBox *source = w.box(box.toUtf8().constData());
    MoveTo(source, At(source, 12, 34));
    QCOMPARE(w.form.hoverColour(), source->colourAt(12, 34));
    if (box != "Picture2(2)")
        QCOMPARE(w.form.hoverColour(), Word(12, 34, 7));
    for (QLineEdit *field : w.form.findChildren<QLineEdit *>()) {
        const QString expected = field->objectName() == shows ? QStringLiteral("鼠标 X=12  Y=34") : QString();
        QCOMPARE(field->text(), expected);
    }
}

void TestPointer::swatchClickPicksReference()
{
    Shown w;
    PictureBox *swatch = w.box("Picture2(1)");
    MoveTo(swatch, At(swatch, 30, 40));
    QTest::mouseClick(swatch, Qt::LeftButton, {}, At(swatch, 30, 40));
    const Channels c = SplitColour(swatch->colourAt(30, 40));
    QCOMPARE(w.text("主红"), QString::number(c.red));
    QCOMPARE(w.text("主绿"), QString::number(c.green));
    QCOMPARE(w.text("主蓝"), QString::number(c.blue));
    QVERIFY(w.text("红").isEmpty());
    QCOMPARE(swatch->colourAt(30, 40), swatch->colourAt(30, 40)); // picking changes nothing in the swatch
}

// The colour committed is the one last moved over, from whichever source.
void TestPointer::lastSourceWins()
{
    Shown w;
    PictureBox *reference = w.box("取样图片");
    PictureBox *target = w.box("客体图片");
    PictureBox *swatch = w.box("Picture2(0)");
    MoveTo(swatch, At(swatch, 5, 5));
    MoveTo(reference, At(reference, 120, 90));
    QCOMPARE(w.form.hoverColour(), Word(120, 90, 7));
    // Press on the reference, move to another point within the drag distance, release: a pick
    // of the colour there (a longer move is a pan: dragFartherThanTheDragDistanceIsNoPick).
    QTest::mousePress(reference, Qt::LeftButton, {}, At(reference, 120, 90));
    QTest::mouseMove(reference, At(reference, 116, 88));
    QTest::mouseRelease(reference, Qt::LeftButton, {}, At(reference, 116, 88));
    QCOMPARE(w.text("主红"), QStringLiteral("116"));
    QCOMPARE(w.text("主绿"), QStringLiteral("88"));
    QCOMPARE(w.text("主蓝"), QStringLiteral("7"));

    MoveTo(target, At(target, 60, 50));
    QTest::mouseClick(target, Qt::RightButton, {}, At(target, 60, 50));
    QCOMPARE(w.text("客红"), QStringLiteral("60"));
    QCOMPARE(w.text("客绿"), QStringLiteral("50"));
    QCOMPARE(w.text("红"), QStringLiteral("56"));
    QCOMPARE(w.text("绿"), QStringLiteral("38"));
    QCOMPARE(w.text("蓝"), QStringLiteral("0"));
    QCOMPARE(w.form.targetChannels(), (Channels{60, 50, 7}));
}

void TestPointer::targetClickNeedsReference()
{
    Shown w;
    PictureBox *target = w.box("客体图片");
    MoveTo(target, At(target, 60, 50));
    QTest::mouseClick(target, Qt::LeftButton, {}, At(target, 60, 50));
    QCOMPARE(w.messages.shown, (std::vector<fakes::Message>{{text::RefusalText(Refusal::NoReference), "提示"}}));
    QVERIFY(w.text("客红").isEmpty());
}

void TestPointer::dragFartherThanTheDragDistanceIsNoPick_data()
{
    const int d = QApplication::startDragDistance();
    QTest::addColumn<QString>("box");
    QTest::addColumn<QPoint>("release"); // from a press at (60, 50)
    QTest::addColumn<bool>("picks");
    for (const char *box : {"客体图片", "取样图片"}) {
        QTest::addRow("%s click without a move", box) << QString::fromUtf8(box) << QPoint(60, 50) << true;
        QTest::addRow("%s within the drag distance", box) << QString::fromUtf8(box) << QPoint(60 + d, 50) << true;
        QTest::addRow("%s just past it", box) << QString::fromUtf8(box) << QPoint(60 + d, 51) << false;
        QTest::addRow("%s a long pan", box) << QString::fromUtf8(box) << QPoint(10, 20) << false;
    }
}

// A press, move and release farther than the desktop's drag distance pans the picture and picks
// nothing; a click, or a move within the distance, picks the colour under the release.
void TestPointer::dragFartherThanTheDragDistanceIsNoPick()
{
    QFETCH(QString, box);
    QFETCH(QPoint, release);
    QFETCH(bool, picks);
    Shown w;
    w.field("主红")->setText("100");
    w.field("主绿")->setText("100");
    w.field("主蓝")->setText("100");
    PictureBox *picture = w.box(box.toUtf8().constData());
    const QStringList fields{w.text("主红"), w.text("客红"), w.text("红")};
    const QPoint start = picture->pos();
    MoveTo(picture, At(picture, 60, 50));
    QTest::mousePress(picture, Qt::LeftButton, {}, At(picture, 60, 50));
    QTest::mouseMove(picture, At(picture, release.x(), release.y()));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, At(picture, release.x(), release.y()));
    QCOMPARE(picture->pos(), start + release - QPoint(60, 50));
    QVERIFY(w.messages.shown.empty());
    const QStringList now{w.text("主红"), w.text("客红"), w.text("红")};
    if (!picks) {
        QCOMPARE(now, fields);
        return;
    }
    if (box == "取样图片")
        QCOMPARE(w.text("主红"), QString::number(release.x()));
    else
        QCOMPARE(w.text("客红"), QString::number(release.x()));
}

void TestPointer::dragMovesOnceAtRelease_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<QPoint>("end");
    for (const char *box : {"客体图片", "取样图片"}) {
        QTest::addRow("%s worked example", box) << QString::fromUtf8(box) << QPoint(100, 50) << QPoint(10, 10)
                                                << QPoint(30, 5) << QPoint(120, 45);
        QTest::addRow("%s out of its area", box) << QString::fromUtf8(box) << QPoint(0, 0) << QPoint(150, 140)
                                                 << QPoint(-90, 10) << QPoint(-240, -130);
        QTest::addRow("%s release where pressed", box) << QString::fromUtf8(box) << QPoint(7, 9) << QPoint(20, 20)
                                                       << QPoint(20, 20) << QPoint(7, 9);
    }
}

void TestPointer::dragMovesOnceAtRelease()
{
    QFETCH(QString, box);
    QFETCH(QPoint, start);
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(QPoint, end);
    Shown w;
    PictureBox *picture = w.box(box.toUtf8().constData());
    picture->move(start);
    QTest::mousePress(picture, Qt::LeftButton, {}, At(picture, press.x(), press.y()));
    QTest::mouseMove(picture, At(picture, (press.x() + release.x()) / 2, press.y()));
    QCOMPARE(picture->pos(), start); // it does not follow the pointer
    QTest::mouseRelease(picture, Qt::LeftButton, {}, At(picture, release.x(), release.y()));
    QCOMPARE(picture->pos(), end);
}

// With the button held the picture keeps the pointer; outside it, the sample is the outside answer.
void TestPointer::heldMoveOutsideSamplesOutside()
{
    Shown w;
    PictureBox *reference = w.box("取样图片");
    reference->move(0, 0);
    MoveTo(reference, At(reference, 10, 10));
    QTest::mousePress(reference, Qt::LeftButton, {}, At(reference, 10, 10));
    QTest::mouseMove(reference, At(reference, 300, 20));
    QCOMPARE(w.form.hoverColour(), -1);
    QCOMPARE(w.text("Text1"), QStringLiteral("鼠标 X=300  Y=20"));
    QTest::mouseRelease(reference, Qt::LeftButton, {}, At(reference, 300, 20));
    QVERIFY(w.text("主红").isEmpty()); // released outside: no click
}

// Between rows the pictures still sample, show positions, pick and move.
void TestPointer::pointingDuringPass()
{
    Shown w;
    PictureBox *reference = w.box("取样图片");
    PictureBox *swatch = w.box("Picture2(0)");
    reference->move(0, 0);
    w.field("红")->setText(QStringLiteral("20"));
    w.field("绿")->setText(QStringLiteral("0"));
    w.field("蓝")->setText(QStringLiteral("0"));
    w.loop.betweenRows = [&](int call) {
        if (call == 3) {
            MoveTo(reference, At(reference, 70, 60));
            QTest::mouseClick(reference, Qt::LeftButton, {}, At(reference, 70, 60));
        } else if (call == 5) {
            QTest::mousePress(reference, Qt::LeftButton, {}, At(reference, 10, 10));
            QTest::mouseRelease(reference, Qt::LeftButton, {}, At(reference, 15, 12));
        } else if (call == 7) {
            MoveTo(swatch, At(swatch, 3, 4));
        }
    };
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QCOMPARE(w.loop.calls, 150);
    QCOMPARE(w.text("主红"), QStringLiteral("70"));
    QCOMPARE(w.text("主绿"), QStringLiteral("60"));
    QCOMPARE(reference->pos(), QPoint(5, 2));
    QCOMPARE(w.form.hoverColour(), swatch->colourAt(3, 4));
    QCOMPARE(w.text("Text2"), QStringLiteral("已完成_100%"));
}

// On a screen scaled by 1.5 or 2 the pointer reports fractions of a pixel; they count as the
// picture pixel they fall in, for the sample and for the position text.
void TestPointer::fractionalPositionsOnScaledScreens()
{
    Shown w;
    PictureBox *reference = w.box("取样图片");
    const QPointF at = QPointF(At(reference, 12, 34)) + QPointF(0.5, 0.75);
    QMouseEvent move(QEvent::MouseMove, at, reference->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(reference, &move);
    QCOMPARE(w.form.hoverColour(), Word(12, 34, 7));
    QCOMPARE(w.text("Text1"), QStringLiteral("鼠标 X=12  Y=34"));
}

namespace {

// The points of a box's border to try: its top edge, the inner ring's left edge, the far edges
// and corner. (QTest takes the point (0, 0) for the widget's centre.)
QList<QPoint> BorderPoints(PictureBox *box)
{
    const int b = box->borderWidth();
    const int w = box->width(), h = box->height();
    return {{1, 0}, {w / 2, b - 1}, {b - 1, h / 2}, {w - 1, h / 2}, {w / 2, h - b}, {w - b, h - 1}, {w - 1, h - 1}};
}

// The first (reference) or second (target) pick's fields and the position fields, as they stand.
QStringList Picked(fakes::WindowRig &w)
{
    QStringList texts;
    for (const char *name : {"主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "Text1", "Text2"})
        texts << w.text(name);
    return texts;
}

} // namespace

void TestPointer::borderIsNotThePicture_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("reference picture") << "取样图片";
    QTest::newRow("target picture") << "客体图片";
    QTest::newRow("swatch") << "Picture2(1)";
}

// A move over the border samples nothing; a press or click there picks nothing, starts no drag,
// and what the pointer does after it, with that button held, is not the picture's either.
void TestPointer::borderIsNotThePicture()
{
    QFETCH(QString, box);
    Shown w;
    PictureBox *source = w.box(box.toUtf8().constData());
    const QPoint place = source->pos();
    MoveTo(source, At(source, 12, 34));
    const ColourWord hovered = source->colourAt(12, 34);
    QCOMPARE(w.form.hoverColour(), hovered);
    const QStringList before = Picked(w);

    int tried = 0;
    for (const QPoint p : BorderPoints(source)) {
        // Only where the box's border is what shows; a neighbour lying over it takes the pointer there.
        if (w.form.childAt(source->mapTo(&w.form, p)) != source)
            continue;
        ++tried;
        const QString where = QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y());
        QTest::mouseMove(source, p);
        QCOMPARE(w.form.hoverColour(), hovered);
        QTest::mouseClick(source, Qt::LeftButton, {}, p);
        QTest::mouseClick(source, Qt::RightButton, {}, p);
        QVERIFY2(Picked(w) == before, qPrintable(where));
        QVERIFY2(w.messages.shown.empty(), qPrintable(where));
        QCOMPARE(source->pos(), place);

        // Pressed on the border, dragged onto the picture and released there.
        QTest::mousePress(source, Qt::LeftButton, {}, p);
        QTest::mouseMove(source, At(source, 20, 20));
        QCOMPARE(w.form.hoverColour(), hovered);
        QTest::mouseRelease(source, Qt::LeftButton, {}, At(source, 20, 20));
        QVERIFY2(Picked(w) == before, qPrintable(where));
        QCOMPARE(source->pos(), place);
    }
    QVERIFY(tried >= 2);
    QVERIFY(w.messages.shown.empty());

    // The picture itself still answers.
    MoveTo(source, At(source, 5, 6));
    QCOMPARE(w.form.hoverColour(), source->colourAt(5, 6));
}

void TestPointer::heldMoveOntoBorderIsNoClick_data()
{
    borderIsNotThePicture_data();
}

// A press inside that is held out over the border samples the outside, as any move out of the
// picture does, but its release there is no click: there is nothing to pick.
void TestPointer::heldMoveOntoBorderIsNoClick()
{
    QFETCH(QString, box);
    Shown w;
    PictureBox *source = w.box(box.toUtf8().constData());
    const QPoint border(source->width() - 1, 20);
    MoveTo(source, At(source, 10, 10));
    QTest::mousePress(source, Qt::LeftButton, {}, At(source, 10, 10));
    QTest::mouseMove(source, border);
    QCOMPARE(w.form.hoverColour(), -1);
    QTest::mouseRelease(source, Qt::LeftButton, {}, border);
    QVERIFY(w.text("主红").isEmpty());
    QVERIFY(w.text("客红").isEmpty());
    QVERIFY(w.messages.shown.empty());
}

QTEST_MAIN(TestPointer)
#include "tst_pointer.moc"
