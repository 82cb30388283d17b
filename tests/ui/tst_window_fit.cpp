// Velmora tests — the window on any screen: it opens at its designed size where that fits, else at
// the largest size that fits with every control reachable; larger, the picture areas take the room
// and everything else keeps its designed size beside its neighbours.
#include <QtTest>

#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/widgets/picture_view.h"
#include "ui/window/app_window.h"
#include "ui/window/window_placement.h"

using namespace velmora;

namespace {

// Every control a user sees or works with, by its design name.
const char *const kControls[] = {"Picture3", "客体", "HScroll2", "主体工具栏", "客体工具栏", "校正工具", "Picture1",
                                 "Label1", "图片主体", "图片客体", "校正点", "校正", "保存", "Command1", "退出",
                                 "导入主体", "导入客体", "主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "绿",
                                 "蓝", "Text1", "Text2", "Label2", "Picture2(0)", "Picture2(3)"};
// Those that keep their designed size at any window size.
const char *const kFixed[] = {"主体工具栏", "客体工具栏", "校正工具", "Picture1", "Label1", "图片主体", "图片客体",
                              "校正点", "导入主体", "导入客体", "主红", "客蓝", "红", "Text1", "Text2"};

struct Window {
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window{{messages, beeps, loop, picker}};

    QWidget *get(const char *name)
    {
        QWidget *w = window.findChild<QWidget *>(QString::fromUtf8(name));
        Q_ASSERT_X(w, "Window::get", name);
        return w;
    }
    // A control's place in the designed window's own pixels.
    QRect place(const char *name)
    {
        QWidget *w = get(name);
        return QRect(w->mapTo(&window.form(), QPoint(0, 0)), w->size());
    }
};

QImage Photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(180, 140, 120));
    return image;
}

} // namespace

class TestWindowFit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ConfigureProcess();
        ConfigureApplication();
        QVERIFY(fakes::WindowRig::kTestSettings);
    }
    void init() { QSettings().clear(); }
    void opensToFit_data();
    void opensToFit();
    void keptPlaceOnlyWhereItFits_data();
    void keptPlaceOnlyWhereItFits();
    void placementKeptAcrossStarts();
    void picturesFollowTheirAreas();
};

// Screens as the window sees them, in its own (scaled) pixels, less a 48-pixel task bar.
void TestWindowFit::opensToFit_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<bool>("designedSize");
    QTest::newRow("1280 × 800: designed") << QRect(0, 0, 1280, 752) << false << true;
    QTest::newRow("1366 × 768 at 125 %") << QRect(0, 0, 1093, (768 - 48) * 4 / 5) << false << false;
    QTest::newRow("1920 × 1080 at 200 %") << QRect(0, 0, 960, (1080 - 48) / 2) << false << false;
    QTest::newRow("1920 × 1080 maximised") << QRect(0, 0, 1920, 1080 - 48) << true << false;
    QTest::newRow("second screen, maximised") << QRect(1920, 24, 2560, 1416) << true << false;
}

void TestWindowFit::opensToFit()
{
    QFETCH(QRect, available);
    QFETCH(bool, maximised);
    QFETCH(bool, designedSize);

    Window designed;
    designed.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&designed.window));

    Window w;
    const int scrollBar = w.window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect opening = maximised ? available
                                    : OpeningGeometry(w.window.designedSize(), available, std::nullopt, scrollBar);
    w.window.setGeometry(opening);
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QTRY_COMPARE(w.window.size(), opening.size());

    // Inside the screen's room, a title bar's height left above it unless maximised.
    QVERIFY(available.contains(opening));
    if (!maximised)
        QVERIFY(opening.top() >= available.top() + kTitleBarAllowance);
    const QSize designedWindow = w.window.designedSize();
    if (designedSize) {
        QCOMPARE(w.window.size(), designedWindow);
        QVERIFY((opening.center() - available.center()).manhattanLength() <= 1); // centred, as before
    } else if (!maximised) { // as large as fits: the screen's width or height is used up
        QVERIFY(w.window.width() == available.width() || w.window.height() == available.height() - kTitleBarAllowance);
    }

    // Every control reachable: inside the designed window, whose every pixel the scroll bars reach
    // in a view that lies inside the window.
    QScrollArea &scroller = w.window.scroller();
    const QSize view = scroller.viewport()->size();
    QVERIFY(w.window.rect().contains(QRect(scroller.viewport()->mapTo(&w.window, QPoint(0, 0)), view)));
    const QSize form = w.window.form().size();
    QCOMPARE(scroller.horizontalScrollBar()->maximum(), qMax(0, form.width() - view.width()));
    QCOMPARE(scroller.verticalScrollBar()->maximum(), qMax(0, form.height() - view.height()));
    for (const char *name : kControls)
        QVERIFY2(w.window.form().rect().contains(w.place(name)), name);
    if (designedSize)
        QCOMPARE(form, MainForm::kDesignedSize);

    // Fixed controls keep their designed sizes, and their places relative to their neighbours.
    for (const char *name : kFixed)
        QVERIFY2(w.place(name).size() == designed.place(name).size(), name);
    const QSize gained = w.window.form().size() - MainForm::kDesignedSize;
    QVERIFY(gained.width() >= 0 && gained.height() >= 0);
    QCOMPARE(w.window.form().size(), MainForm::kDesignedSize.expandedTo(scroller.viewport()->size()));
    for (const char *name : {"Picture1", "Label1"}) // the swatches: by the right edge, at the top
        QCOMPARE(w.place(name), designed.place(name).translated(gained.width(), 0));
    QCOMPARE(w.place("校正工具"), designed.place("校正工具").translated(gained.width(), gained.height()));
    QCOMPARE(w.place("主体工具栏"), designed.place("主体工具栏").translated(0, gained.height()));
    const QRect reference = w.place("Picture3"), target = w.place("客体");
    QCOMPARE(w.place("客体工具栏").topLeft(), QPoint(target.left(), designed.place("客体工具栏").top() + gained.height()));
    // The tool column's bottom stays level with the tool bars'.
    QCOMPARE(w.place("校正工具").bottom(), w.place("客体工具栏").bottom());
    // The headings stay over the middle of their areas, as designed.
    const auto offCentre = [&](Window &window, const char *heading, const char *area) {
        return window.place(heading).center().x() - window.place(area).center().x();
    };
    QVERIFY(qAbs(offCentre(w, "图片主体", "Picture3") - offCentre(designed, "图片主体", "Picture3")) <= 1);
    QVERIFY(qAbs(offCentre(w, "图片客体", "客体") - offCentre(designed, "图片客体", "客体")) <= 1);

    // The picture areas share the room gained, and the progress bar spans both.
    QCOMPARE(reference.topLeft(), designed.place("Picture3").topLeft());
    QCOMPARE(reference.width() + target.width(), 820 + gained.width());
    QVERIFY(qAbs(reference.width() - target.width()) <= 1);
    QCOMPARE(reference.height(), 510 + gained.height());
    QCOMPARE(target.height(), reference.height());
    QCOMPARE(target.left() - reference.right(), designed.place("客体").left() - designed.place("Picture3").right());
    const QRect bar = w.place("HScroll2");
    QCOMPARE(bar.left(), reference.left());
    QCOMPARE(bar.right() - target.right(), designed.place("HScroll2").right() - designed.place("客体").right());
    QCOMPARE(bar.top() - reference.bottom(), designed.place("HScroll2").top() - designed.place("Picture3").bottom());
    if (maximised)
        QVERIFY(gained.width() > 0 && gained.height() > 0);
}

void TestWindowFit::keptPlaceOnlyWhereItFits_data()
{
    QTest::addColumn<QRect>("kept");
    QTest::addColumn<bool>("restored");
    QTest::newRow("inside") << QRect(100, 80, 1200, 800) << true;
    QTest::newRow("at the top, title bar off") << QRect(0, 0, 1920, 1032) << true;
    QTest::newRow("partly off to the right") << QRect(1000, 80, 1200, 800) << false;
    QTest::newRow("on a screen now gone") << QRect(2200, 80, 1200, 800) << false;
    QTest::newRow("taller than the screen") << QRect(0, 0, 1200, 1100) << false;
    QTest::newRow("empty") << QRect() << false;
}

void TestWindowFit::keptPlaceOnlyWhereItFits()
{
    QFETCH(QRect, kept);
    QFETCH(bool, restored);
    const QRect screen(0, 0, 1920, 1032);
    const QSize wanted(921, 616);
    const QRect opening = OpeningGeometry(wanted, screen, kept, 14);
    if (restored) {
        QCOMPARE(opening, kept);
    } else {
        QCOMPARE(opening.size(), wanted);
        QVERIFY(screen.contains(opening));
    }
}

// Left somewhere, the window opens there again; maximised, maximised again.
void TestWindowFit::placementKeptAcrossStarts()
{
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect left(room.topLeft() + QPoint(10, 40), QSize(room.width() - 30, room.height() - 60));
    {
        Window w;
        w.window.setGeometry(left);
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.window.keepPlacement();
    }
    {
        Window w;
        w.window.placeOn(*QGuiApplication::primaryScreen());
        QCOMPARE(w.window.geometry(), left);
        QVERIFY(!(w.window.windowState() & Qt::WindowMaximized));
        w.window.setWindowState(Qt::WindowMaximized);
        w.window.keepPlacement();
    }
    {
        Window w;
        w.window.placeOn(*QGuiApplication::primaryScreen());
        QVERIFY(w.window.windowState() & Qt::WindowMaximized);
    }
    // Nothing kept: the designed size as far as the screen has room, inside it.
    QSettings().clear();
    Window w;
    w.window.placeOn(*QGuiApplication::primaryScreen());
    QVERIFY(room.contains(w.window.geometry()));
    const int scrollBar = w.window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QCOMPARE(w.window.geometry(), OpeningGeometry(w.window.designedSize(), room, std::nullopt, scrollBar));
}

// A fitted photo is fitted again as its area grows or shrinks; one shown otherwise keeps the point
// at its area's middle there.
void TestWindowFit::picturesFollowTheirAreas()
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.bmp")), small = dir.filePath(QStringLiteral("small.bmp"));
    QVERIFY(Photo(2400, 1600).save(big, "BMP"));
    QVERIFY(Photo(120, 90).save(small, "BMP"));
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.form.openTarget(big.toStdString());
    w.form.openReference(small.toStdString());
    PictureBox *target = w.box("客体图片");
    PictureBox *reference = w.box("取样图片");
    const auto middle = [](PictureBox *picture) { // the picture's point at its area's middle
        const QPointF centre = QRectF(picture->parentWidget()->rect()).center();
        return (centre - QPointF(picture->pos()) - QPointF(picture->borderWidth(), picture->borderWidth()))
               / picture->zoom();
    };
    w.form.fitToWindow(); // the photo area is the one the view acts on until the pointer moves
    const QPointF referenceMiddle = middle(reference);

    for (const QSize size : {QSize(1500, 900), QSize(1100, 1000), QSize(921, 599)}) {
        w.form.resize(size);
        QCOMPARE(w.form.size(), size);
        const QSize room = target->parentWidget()->size();
        QCOMPARE(target->zoom(), FitZoom(QSize(2400, 1600), target->borderWidth(), room));
        QCOMPARE(target->pos(), QPoint((room.width() - target->width()) / 2, (room.height() - target->height()) / 2));
        QVERIFY(qAbs(middle(reference).x() - referenceMiddle.x()) <= 1);
        QVERIFY(qAbs(middle(reference).y() - referenceMiddle.y()) <= 1);
    }
    // Smaller than designed it does not go: the room is the designed room.
    w.form.resize(600, 400);
    QCOMPARE(w.form.size(), MainForm::kDesignedSize);
}

QTEST_MAIN(TestWindowFit)
#include "tst_window_fit.moc"
