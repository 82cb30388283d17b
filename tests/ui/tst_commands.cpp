// Velmora tests — the menu bar and what it adds: undo and redo, the photo as loaded for comparison,
// recent photos, dropped files, and what a start from the shell asks to open.
#include <QtTest>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QSettings>
#include <future>

#include <sys/stat.h>

#include "support/image_compare.h"
#include "support/window_rig.h"
#include "ui/desktop/instance_channel.h"
#include "ui/desktop/qt_services.h"
#include "ui/window/app_window.h"
#include "ui/desktop/launch_request.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/window/window_texts.h"

using namespace velmora;

namespace {

// A photo that no pass leaves alone: a ramp in each channel.
QImage Ramp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 9) % 256, (y * 13) % 256, (x + y) * 5 % 256));
    return image;
}

QString Write(const QTemporaryDir &dir, const char *name, const QImage &image)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    image.save(path, "BMP");
    return path;
}

// Typed differences with no target picked: gains of -1 or below (a channel to black) are refused,
// so the differences here keep every gain above that.
void Pass(fakes::WindowRig &w, const char *r, const char *g, const char *b)
{
    w.field("红")->setText(QString::fromUtf8(r));
    w.field("绿")->setText(QString::fromUtf8(g));
    w.field("蓝")->setText(QString::fromUtf8(b));
    w.button("校正")->click();
}


} // namespace

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ConfigureProcess(); ConfigureApplication();
        QVERIFY(fakes::WindowRig::kTestSettings);
    }
    void init() { QSettings().clear(); }
    void menus_data();
    void menus();
    void designedWindowOpensAtItsSize();
    void undoAndRedoAreExact();
    void historyDuringAndAroundPasses();
    void compareShowsThePhotoAsLoaded();
    void recentPhotos();
    void settingsKeptAcrossStarts();
    void drops_data();
    void drops();
    void launchArguments_data();
    void launchArguments();
    void handOverToTheRunningCopy();
    void strangeHandOversRefused_data();
    void strangeHandOversRefused();
    void handOverRefusedOrCut();
    void oneCopyAtATime();
};

void TestCommands::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("file") << "文件(&F)"
                          << QStringList{"导入标准照片(&R)…", "导入将校正照片(&O)…", "最近打开(&J)", "", "刷新(&L)",
                                         "保存(&S)…", "保存选项(&P)…", "", "导出校正量(&E)…", "导入校正量(&I)…",
                                         "批量校正(&B)…", "", "退出(&X)"}
                          << QStringList{"Ctrl+Shift+O", "Ctrl+O", "", "", "F5", "Ctrl+S", "", "", "", "", "Ctrl+B",
                                         "", "Ctrl+Q"};
    QTest::newRow("edit") << "编辑(&E)" << QStringList{"撤销校正(&U)", "重做校正(&D)", "", "取样范围(&S)", "校正规则(&R)"}
                          << QStringList{"Ctrl+Z", "Ctrl+Shift+Z, Ctrl+Y", "", "", ""};
    QTest::newRow("view") << "视图(&V)"
                          << QStringList{"适合窗口(&F)", "实际大小(&A)", "放大(&I)", "缩小(&O)", "", "对比原图(&C)",
                                         "大图导入时适合窗口(&W)"}
                          << QStringList{"Ctrl+0", "Ctrl+1", "Ctrl+=, Ctrl++", "Ctrl+-", "", "", ""};
    QTest::newRow("help") << "帮助(&H)" << QStringList{"使用指南(&G)", "使用手册(&M)", "关于 Velmora(&A)", "", "语言 / Language(&L)"}
                          << QStringList{"F1", "", "", "", ""};
}

void TestCommands::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    QFETCH(QStringList, keys);
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    QMenu *found = nullptr;
    for (QAction *a : window.menuBar()->actions())
        if (a->text() == menu)
            found = a->menu();
    QVERIFY(found);
    QStringList texts, shortcuts;
    for (QAction *a : found->actions()) {
        texts << a->text();
        QStringList k;
        for (const QKeySequence &s : a->shortcuts())
            k << s.toString();
        shortcuts << k.join(QStringLiteral(", "));
    }
    QCOMPARE(texts, items);
    QCOMPARE(shortcuts, keys);
}

void TestCommands::designedWindowOpensAtItsSize()
{
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int bar = window.menuBar()->height();
    QVERIFY(bar > 10);
    // Opened at its designed size, the designed window fills it under the bar, with nothing to scroll.
    QCOMPARE(QRect(window.form().mapTo(&window, QPoint(0, 0)), window.form().size()), QRect(0, bar, 921, 599));
    QCOMPARE(window.size(), QSize(921, 599 + bar));
    QCOMPARE(window.designedSize(), window.size());
    QVERIFY(!window.scroller().horizontalScrollBar()->isVisible());
    QVERIFY(!window.scroller().verticalScrollBar()->isVisible());
    QVERIFY(window.statusBar() == nullptr || !window.statusBar()->isVisible());
}

// Undo and redo walk back and forth through the passes, pixel for pixel, to the photo as loaded.
void TestCommands::undoAndRedoAreExact()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QImage photo = Ramp(37, 23);
    w.form.openTarget(Write(dir, "ramp.bmp", photo).toStdString());
    const Commands &c = w.form.commands();
    QVERIFY(!c.undo->isEnabled() && !c.redo->isEnabled());

    Pass(w, "30", "-2", "10");
    const QImage afterFirst = w.box("客体图片")->image().copy();
    Pass(w, "-15", "25", "40");
    const QImage afterSecond = w.box("客体图片")->image().copy();
    QVERIFY(afterFirst != photo && afterSecond != afterFirst);

    QVERIFY(c.undo->isEnabled() && !c.redo->isEnabled());
    c.undo->trigger();
    QCOMPARE(fakes::FirstDifference(w.box("客体图片")->image(), afterFirst), QString());
    c.undo->trigger();
    QCOMPARE(fakes::FirstDifference(w.box("客体图片")->image(), photo), QString());
    QVERIFY(!c.undo->isEnabled() && c.redo->isEnabled());
    c.redo->trigger();
    c.redo->trigger();
    QCOMPARE(fakes::FirstDifference(w.box("客体图片")->image(), afterSecond), QString());

    // A pass after an undo drops what could have been redone.
    c.undo->trigger();
    Pass(w, "5", "5", "5");
    QVERIFY(!c.redo->isEnabled());
    c.undo->trigger();
    QCOMPARE(fakes::FirstDifference(w.box("客体图片")->image(), afterFirst), QString());
}

void TestCommands::historyDuringAndAroundPasses()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString path = Write(dir, "ramp.bmp", Ramp(8, 6));
    w.form.openTarget(path.toStdString());
    Pass(w, "30", "-2", "10");
    const Commands &c = w.form.commands();
    bool undoDuringPass = true, saveDuringPass = true;
    w.loop.betweenRows = [&](int) {
        undoDuringPass = c.undo->isEnabled();
        saveDuringPass = c.save->isEnabled();
    };
    Pass(w, "10", "10", "10");
    QVERIFY(!undoDuringPass && !saveDuringPass);
    QVERIFY(c.undo->isEnabled());
    w.loop.betweenRows = nullptr;

    // 刷新 starts a new history.
    w.button("校正点")->click();
    QVERIFY(!c.undo->isEnabled() && !c.redo->isEnabled());

    // A photo imported while the rows ran leaves nothing that can be replayed.
    const QString other = Write(dir, "other.bmp", Ramp(8, 6).mirrored());
    int rows = 0;
    w.loop.betweenRows = [&](int) {
        if (++rows == 2)
            w.form.openTarget(other.toStdString());
    };
    Pass(w, "10", "10", "10");
    QVERIFY(!c.undo->isEnabled());
}

void TestCommands::compareShowsThePhotoAsLoaded()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    const QImage photo = Ramp(40, 30);
    w.form.openTarget(Write(dir, "ramp.bmp", photo).toStdString());
    Pass(w, "30", "-2", "10");
    PictureBox *box = w.box("客体图片");
    const QImage corrected = box->image().copy();
    const QRect inside = box->rect().adjusted(box->borderWidth(), box->borderWidth(), -box->borderWidth(),
                                              -box->borderWidth());
    const auto shown = [&] { return box->grab(inside).toImage().convertToFormat(QImage::Format_RGB32); };
    QCOMPARE(fakes::FirstDifference(shown(), corrected), QString());

    w.form.commands().compare->setChecked(true);
    QCOMPARE(fakes::FirstDifference(shown(), photo), QString());
    // Only the view changes: the picture the pass and the picks see is still the corrected one.
    QCOMPARE(fakes::FirstDifference(box->image(), corrected), QString());
    w.form.commands().compare->setChecked(false);
    QCOMPARE(fakes::FirstDifference(shown(), corrected), QString());

    // Holding the backslash key shows the same, for as long as it is held.
    QTest::keyPress(&w.form, Qt::Key_Backslash);
    QCOMPARE(fakes::FirstDifference(shown(), photo), QString());
    QTest::keyRelease(&w.form, Qt::Key_Backslash);
    QCOMPARE(fakes::FirstDifference(shown(), corrected), QString());
}

void TestCommands::recentPhotos()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    QStringList written;
    for (int i = 0; i < 10; ++i)
        written << Write(dir, qPrintable(QStringLiteral("p%1.bmp").arg(i)), Ramp(4, 4));
    for (const QString &p : written)
        w.form.openTarget(p.toStdString());
    QStringList newestFirst;
    for (int i = 9; i >= 2; --i)
        newestFirst << written[i];
    QCOMPARE(w.form.recentPhotos(), newestFirst);
    QCOMPARE(w.form.commands().recent->actions().size(), 8);
    QVERIFY(w.form.commands().recent->actions().first()->text().endsWith(QStringLiteral("p9.bmp")));

    // Opening one again moves it to the front; the list survives a new window.
    w.form.openTarget(written[5].toStdString());
    QCOMPARE(w.form.recentPhotos().first(), written[5]);
    fakes::WindowRig again;
    QCOMPARE(again.form.recentPhotos().first(), written[5]);

    // A file that is gone is reported and leaves the list.
    QVERIFY(QFile::remove(written[9]));
    const QString gone = written[9];
    for (QAction *a : again.form.commands().recent->actions())
        if (a->toolTip() == gone)
            a->trigger();
    QCOMPARE(again.messages.shown.size(), size_t(1));
    QVERIFY(!again.form.recentPhotos().contains(gone));
}

// The picker's square and fitting large imports come back in a new window as they were left.
void TestCommands::settingsKeptAcrossStarts()
{
    {
        fakes::WindowRig w;
        QCOMPARE(w.form.sampleSize(), 1);
        QVERIFY(!w.form.fitLargeOnImport());
        for (QAction *a : w.form.commands().sampleSize->actions())
            if (a->data().toInt() == 5)
                a->trigger();
        w.form.commands().fitLargeOnImport->trigger();
        QCOMPARE(w.form.sampleSize(), 5);
        QVERIFY(w.form.fitLargeOnImport());
    }
    fakes::WindowRig again;
    QCOMPARE(again.form.sampleSize(), 5);
    QVERIFY(again.form.fitLargeOnImport());
    QVERIFY(again.form.commands().fitLargeOnImport->isChecked());
    int checked = 0;
    for (QAction *a : again.form.commands().sampleSize->actions())
        checked += a->isChecked() ? a->data().toInt() : 0;
    QCOMPARE(checked, 5);
}

void TestCommands::drops_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("lands");
    QTest::newRow("reference area") << QPoint(100, 200) << "取样图片";
    QTest::newRow("photo area") << QPoint(600, 300) << "客体图片";
    QTest::newRow("a swatch") << QPoint(880, 100) << "";
    QTest::newRow("the buttons") << QPoint(880, 420) << "";
}

void TestCommands::drops()
{
    QFETCH(QPoint, at);
    QFETCH(QString, lands);
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QImage photo = Ramp(30, 20);
    const QString path = Write(dir, "dropped.bmp", photo);
    QCOMPARE(fakes::DropFile(w.form, path, at), !lands.isEmpty());
    for (const char *box : {"取样图片", "客体图片"}) {
        const bool here = lands == QString::fromUtf8(box);
        QCOMPARE(w.box(box)->hasPicture(), here);
        if (here)
            QCOMPARE(fakes::FirstDifference(w.box(box)->image(), photo), QString());
    }
    QCOMPARE(w.form.targetPath().empty(), lands != QStringLiteral("客体图片"));
}

void TestCommands::launchArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("photo");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<bool>("valid");
    QTest::newRow("nothing") << QStringList{} << "" << "" << true;
    QTest::newRow("a photo") << QStringList{"a.jpg"} << "/w/a.jpg" << "" << true;
    QTest::newRow("absolute") << QStringList{"/x/a.jpg"} << "/x/a.jpg" << "" << true;
    QTest::newRow("with reference") << QStringList{"--reference", "../r.png", "p.jpg"} << "/w/p.jpg" << "/r.png" << true;
    QTest::newRow("reference only") << QStringList{"--reference", "r.png"} << "" << "/w/r.png" << true;
    QTest::newRow("name starting with a dash") << QStringList{"--", "-a.jpg"} << "/w/-a.jpg" << "" << true;
    // Any byte a name may hold reaches the running copy as it was, a line break and a percent sign too.
    QTest::newRow("line break in a name")
        << QStringList{"--reference", "r\n.png", "a\nb.jpg"} << "/w/a\nb.jpg" << "/w/r\n.png" << true;
    QTest::newRow("percent, space and Chinese") << QStringList{"照片 %41%.jpg"} << "/w/照片 %41%.jpg" << "" << true;
    QTest::newRow("two photos") << QStringList{"a.jpg", "b.jpg"} << "" << "" << false;
    QTest::newRow("unknown option") << QStringList{"--zoom", "a.jpg"} << "" << "" << false;
    QTest::newRow("reference without a file") << QStringList{"--reference"} << "" << "" << false;
}

void TestCommands::launchArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, photo);
    QFETCH(QString, reference);
    QFETCH(bool, valid);
    const LaunchRequest r = ParseLaunch(arguments, QStringLiteral("/w"));
    QCOMPARE(r.error.isEmpty(), valid);
    if (!valid)
        return;
    QCOMPARE(r.photo, photo);
    QCOMPARE(r.reference, reference);
    const LaunchRequest back = DecodeLaunch(EncodeLaunch(r));
    QVERIFY(back.error.isEmpty());
    QCOMPARE(back.photo, photo);
    QCOMPARE(back.reference, reference);
}

// A second start with a file gives it to the copy that runs, which hears the whole request.
void TestCommands::handOverToTheRunningCopy()
{
    QTemporaryDir runtime; // the channel lives in the user's runtime folder: one of this test's own
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    InstanceChannel channel;
    QVERIFY(channel.listen());
    QSignalSpy received(&channel, &InstanceChannel::received);
    LaunchRequest request;
    request.photo = QStringLiteral("/photos/照片 1.jpg");
    request.reference = QStringLiteral("/photos/ref.png");
    auto sent = std::async(std::launch::async, [&] { return InstanceChannel::send(EncodeLaunch(request)); });
    QTRY_COMPARE(received.size(), 1);
    QVERIFY(sent.get());
    const LaunchRequest handed = DecodeLaunch(received.first().first().toByteArray());
    QCOMPARE(handed.photo, request.photo);
    QCOMPARE(handed.reference, request.reference);
    QVERIFY(!DecodeLaunch("not a request").error.isEmpty());
}

// A message no second start of ours would send opens nothing: a name cut short at a NUL, a name
// relative to wherever the running copy happens to be, or bytes outside the message's layout.
void TestCommands::strangeHandOversRefused_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("old layout") << QByteArray("velmora-open-1\n\n/a.jpg\n");
    QTest::newRow("relative photo") << QByteArray("velmora-open-2\n\na.jpg\n");
    QTest::newRow("relative reference") << QByteArray("velmora-open-2\n..%2Fr.png\n/a.jpg\n");
    QTest::newRow("NUL in the name") << QByteArray("velmora-open-2\n\n/a.jpg%00.png\n");
    QTest::newRow("raw space") << QByteArray("velmora-open-2\n\n/a b.jpg\n");
    QTest::newRow("half an escape") << QByteArray("velmora-open-2\n\n/a.jpg%4\n");
    QTest::newRow("not UTF-8") << QByteArray("velmora-open-2\n\n/a%FF.jpg\n");
    QTest::newRow("a line too many") << QByteArray("velmora-open-2\n\n/a.jpg\n/b.jpg\n");
    QTest::newRow("no last line break") << QByteArray("velmora-open-2\n\n/a.jpg");
}

void TestCommands::strangeHandOversRefused()
{
    QFETCH(QByteArray, message);
    const LaunchRequest request = DecodeLaunch(message);
    QVERIFY(!request.error.isEmpty());
    QVERIFY(!request.opensFiles());
}

// No copy to take the message: refused at once. A socket file a killed copy left behind is taken
// over, for the user alone. A message longer than any request is cut off and not delivered, and the
// channel still takes the next one.
void TestCommands::handOverRefusedOrCut()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!InstanceChannel::send("nobody", 3000));
    QVERIFY(clock.elapsed() < 1000);

    const QString socketPath = runtime.filePath("velmora.socket");
    QFile stale(socketPath);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    InstanceChannel channel;
    QVERIFY(channel.listen());
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(socketPath).constData(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(st.st_mode & 077, mode_t(0));

    QSignalSpy received(&channel, &InstanceChannel::received);
    auto tooLong = std::async(std::launch::async, [] { return InstanceChannel::send(QByteArray(70 * 1024, 'a')); });
    QTRY_VERIFY(tooLong.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QVERIFY(!tooLong.get());
    QCOMPARE(received.size(), 0);
    auto fine = std::async(std::launch::async, [] { return InstanceChannel::send("a request"); });
    QTRY_COMPARE(received.size(), 1);
    QVERIFY(fine.get());
    QCOMPARE(received.first().first().toByteArray(), QByteArray("a request"));
}

// The first copy holds the lock and the next start sees it; once the holder is gone, however it
// went (here a process killed outright while holding it), the next start is the first again.
void TestCommands::oneCopyAtATime()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    {
        QtSingleInstance first;
        QVERIFY(!first.previousInstance());
        QVERIFY(!first.previousInstance()); // asking again changes nothing
        QtSingleInstance second;
        QVERIFY(second.previousInstance());
    }
    QProcess holder;
    holder.start("python3", {"-c", "import fcntl, os, sys, time\n"
                                   "fd = os.open(sys.argv[1], os.O_RDWR | os.O_CREAT)\n"
                                   "fcntl.flock(fd, fcntl.LOCK_EX)\n"
                                   "time.sleep(30)\n",
                             runtime.filePath("velmora.lock")});
    QVERIFY(holder.waitForStarted());
    QTRY_VERIFY(QtSingleInstance().previousInstance());
    holder.kill();
    QVERIFY(holder.waitForFinished());
    QtSingleInstance after;
    QVERIFY(!after.previousInstance());
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
