// Velmora tests — a corrected, unsaved photo is never dropped unasked: each way out and each way of
// replacing the photo asks, and each answer does what it says.
#include <QtTest>

#include <QAction>
#include <QMenu>
#include <QMimeData>

#include "support/image_compare.h"
#include "support/tools.h"
#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/launch_request.h"
#include "ui/desktop/run_window.h"
#include "ui/desktop/startup.h"
#include "ui/window/app_window.h"

using namespace velmora;

namespace {

QImage Ramp(int width, int height, int shift)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 9 + shift) % 256, (y * 13) % 256, (x + y) * 5 % 256));
    return image;
}

QString Write(const QTemporaryDir &dir, const char *name, const QImage &image)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    image.save(path, "BMP");
    return path;
}

// Typed differences with no target picked; all of one sign, so no gain reaches -1.
void Pass(fakes::WindowRig &w)
{
    w.field("红")->setText(QStringLiteral("30"));
    w.field("绿")->setText(QStringLiteral("20"));
    w.field("蓝")->setText(QStringLiteral("10"));
    w.button("校正")->click();
}

// The ways the photo goes: the first four end the program, the others replace the photo with `next`.
bool Ends(const QString &way)
{
    return way == QStringLiteral("退出") || way == QLatin1String("Esc") || way == QLatin1String("Ctrl+Q")
           || way == QLatin1String("close");
}

} // namespace

class TestUnsavedWork : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ConfigureProcess();
        ConfigureApplication();
        QVERIFY(fakes::WindowRig::kTestSettings);
    }
    void init() { QSettings().clear(); }
    void eachWayAsks_data();
    void eachWayAsks();
    void refreshAsksNothing();
    void noHalfCorrectedSave();
    void closeBoxKeepsTheWindow();
};

// `state`: what the photo holds when the way is taken — "loaded" (nothing done), "undone" (a pass
// undone back to the photo as loaded), "saved" (a pass, then saved), "corrected" (a pass, unsaved).
// `answer`: the user's answer, and for 保存 what the save dialog and the disk do.
void TestUnsavedWork::eachWayAsks_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("goesOn");
    const QStringList ways{"退出", "Esc", "Ctrl+Q", "close", "import", "drop", "recent", "hand-over"};
    for (const QString &way : ways) {
        const auto row = [&](const char *state, const char *answer, bool asked, bool goesOn) {
            QTest::addRow("%s, %s, %s", qPrintable(way), state, answer)
                << way << QString::fromLatin1(state) << QString::fromLatin1(answer) << asked << goesOn;
        };
        row("loaded", "-", false, true);
        row("undone", "-", false, true);
        row("saved", "-", false, true);
        row("corrected", "save", true, true);
        row("corrected", "save, it fails", true, false);
        row("corrected", "save, dialog cancelled", true, false);
        row("corrected", "discard", true, true);
        row("corrected", "cancel", true, false);
    }
}

void TestUnsavedWork::eachWayAsks()
{
    QFETCH(QString, way);
    QFETCH(QString, state);
    QFETCH(QString, answer);
    QFETCH(bool, asked);
    QFETCH(bool, goesOn);

    QTemporaryDir dir;
    fakes::WindowRig w;
    const QString next = Write(dir, "next_photo.bmp", Ramp(9, 7, 100));
    const QString first = Write(dir, "IMG_0001.bmp", Ramp(12, 10, 0));
    // The next photo is the second recent entry, the first one the newest.
    w.form.openTarget(next.toStdString());
    w.form.openTarget(first.toStdString());
    QVERIFY(w.messages.asked.empty());
    const QString savedPath = dir.filePath(QStringLiteral("saved.bmp"));
    if (state != QLatin1String("loaded"))
        Pass(w);
    if (state == QLatin1String("undone"))
        w.form.commands().undo->trigger();
    if (state == QLatin1String("saved")) {
        w.picker.answers.push_back(dir.filePath(QStringLiteral("earlier.bmp")).toStdString());
        QSignalSpy ended(&w.form, &MainForm::saveEnded);
        w.button("保存")->click();
        QVERIFY(ended.wait());
    }
    QCOMPARE(w.form.hasUnsavedCorrection(), state == QLatin1String("corrected"));
    const QImage before = w.box("客体图片")->image().copy();

    if (way == QLatin1String("import"))
        w.picker.answers.push_back(next.toStdString());
    if (answer.startsWith(QLatin1String("save"))) {
        w.messages.answers.push_back(SaveAnswer::Save);
        if (answer == QLatin1String("save"))
            w.picker.answers.push_back(savedPath.toStdString());
        else if (answer == QLatin1String("save, it fails"))
            w.picker.answers.push_back(dir.filePath(QStringLiteral("no such folder/saved.bmp")).toStdString());
        else
            w.picker.answers.push_back(std::nullopt);
    } else if (answer == QLatin1String("discard")) {
        w.messages.answers.push_back(SaveAnswer::Discard);
    } else if (answer == QLatin1String("cancel")) {
        w.messages.answers.push_back(SaveAnswer::Cancel);
    }
    const size_t messagesBefore = w.messages.shown.size();

    if (way == QStringLiteral("退出")) {
        w.button("退出")->click();
    } else if (way == QLatin1String("Esc")) {
        QTest::keyClick(&w.form, Qt::Key_Escape);
    } else if (way == QLatin1String("Ctrl+Q")) {
        w.form.commands().quit->trigger();
    } else if (way == QLatin1String("close")) {
        w.form.show();
        QCOMPARE(w.form.close(), goesOn);
    } else if (way == QLatin1String("import")) {
        w.button("导入客体")->click();
    } else if (way == QLatin1String("drop")) {
        fakes::DropFile(w.form, next, QPoint(600, 200));
        QCoreApplication::processEvents(); // a question waits for the drag to end
    } else if (way == QLatin1String("recent")) {
        const QList<QAction *> entries = w.form.commands().recent->actions();
        QCOMPARE(entries.size(), 2);
        entries[1]->trigger();
    } else if (way == QLatin1String("hand-over")) {
        LaunchRequest request;
        request.photo = next;
        OpenRequested(w.form, request);
    }

    QCOMPARE(w.messages.asked.size(), size_t(asked ? 1 : 0));
    if (asked) {
        QVERIFY2(QString::fromStdString(w.messages.asked[0].text).contains(QStringLiteral("IMG_0001.bmp")),
                 w.messages.asked[0].text.c_str());
        QVERIFY(w.messages.answers.empty());
    }
    if (Ends(way))
        QCOMPARE(w.loop.ending(), goesOn);
    else
        QCOMPARE(QString::fromStdString(w.form.targetPath()), goesOn ? next : first);

    if (!goesOn) { // everything as it was: the corrected pixels, their history, still unsaved
        QCOMPARE(fakes::FirstDifference(w.box("客体图片")->image(), before), QString());
        QVERIFY(w.form.hasUnsavedCorrection());
        QVERIFY(w.form.commands().undo->isEnabled());
        QVERIFY(w.button("保存")->isEnabled());
    }
    if (answer == QLatin1String("save, it fails")) // the failure was said, not passed over
        QCOMPARE(w.messages.shown.size(), messagesBefore + 1);
    if (answer == QLatin1String("save")) {
        // Written before the photo went, and it is the corrected photo, as another decoder reads it.
        const QImage written = fakes::DecodedByImageMagick(savedPath);
        QVERIFY(!written.isNull());
        QCOMPARE(fakes::FirstDifference(written, before), QString());
    } else {
        QVERIFY(!QFile::exists(savedPath));
    }
}

// 刷新 is the designed way to throw a correction away.
void TestUnsavedWork::refreshAsksNothing()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    const QImage photo = Ramp(12, 10, 0);
    w.form.openTarget(Write(dir, "IMG_0001.bmp", photo).toStdString());
    Pass(w);
    QVERIFY(w.form.hasUnsavedCorrection());
    w.button("校正点")->click();
    QVERIFY(w.messages.asked.empty());
    QVERIFY(!w.form.hasUnsavedCorrection());
    QCOMPARE(fakes::FirstDifference(w.box("客体图片")->image(), photo), QString());
}

// 保存 answered while a pass runs writes nothing: the photo is only part corrected. The user is
// told, and the window stays with the pass going on.
void TestUnsavedWork::noHalfCorrectedSave()
{
    QTemporaryDir dir;
    fakes::WindowRig w;
    w.form.openTarget(Write(dir, "IMG_0001.bmp", Ramp(12, 10, 0)).toStdString());
    Pass(w);
    QVERIFY(w.form.hasUnsavedCorrection());
    const QString savedPath = dir.filePath(QStringLiteral("saved.bmp"));
    w.picker.answers.push_back(savedPath.toStdString());
    w.messages.answers.push_back(SaveAnswer::Save);
    bool asked = false;
    w.loop.betweenRows = [&](int) {
        if (!asked) {
            asked = true;
            w.button("退出")->click();
        }
    };
    const size_t shownBefore = w.messages.shown.size();
    Pass(w);
    QCOMPARE(w.messages.asked.size(), size_t(1));
    QCOMPARE(w.messages.shown.size(), shownBefore + 1);
    QVERIFY(!w.loop.ending());
    QVERIFY(!QFile::exists(savedPath));
    QCOMPARE(w.picker.answers.size(), size_t(1)); // no save dialog either
    QCOMPARE(w.beeps.count, 2); // the pass ran to its end
}

// The top-level window's close box asks through the designed window, and a kept window stays open.
void TestUnsavedWork::closeBoxKeepsTheWindow()
{
    QTemporaryDir dir;
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MainForm &form = window.form();
    form.setPassEventInterval(0);
    form.openTarget(Write(dir, "IMG_0001.bmp", Ramp(12, 10, 0)).toStdString());
    for (const char *name : {"红", "绿", "蓝"})
        form.findChild<QLineEdit *>(QString::fromUtf8(name))->setText(QStringLiteral("20"));
    form.findChild<QPushButton *>(QStringLiteral("校正"))->click();
    QVERIFY(form.hasUnsavedCorrection());

    messages.answers.push_back(SaveAnswer::Cancel);
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QVERIFY(form.isVisible());
    QVERIFY(!loop.ending());

    messages.answers.push_back(SaveAnswer::Discard);
    QVERIFY(window.close());
    QVERIFY(loop.ending());
    QCOMPARE(messages.asked.size(), size_t(2));
}

QTEST_MAIN(TestUnsavedWork)
#include "tst_unsaved_work.moc"
