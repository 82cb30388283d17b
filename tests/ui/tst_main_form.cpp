// Velmora tests — the correction pass in the real window, the guide, exit and start-up.
#include <QtTest>

#include <QScrollBar>

#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/window/window_texts.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Refusal)

namespace {

// A target photo whose every pixel is (120, 100, 80) but for a gradient in its last column.
QImage TargetPhoto(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(120, 100, 80));
    for (int y = 0; y < height; ++y)
        image.setPixel(width - 1, y, qRgb(y * 40 % 256, 255, 0));
    return image;
}

// Picks reference (200, 150, 120) typed in, and the target at pixel (0, 0) by pointing.
void PickWorkedExample(fakes::WindowRig &w)
{
    w.field("主红")->setText(QStringLiteral("200"));
    w.field("主绿")->setText(QStringLiteral("150"));
    w.field("主蓝")->setText(QStringLiteral("120"));
    PictureBox *target = w.box("客体图片");
    const QPoint pixel(target->borderWidth(), target->borderWidth());
    // The pointer may already rest there from an earlier window; only a real move samples.
    QTest::mouseMove(target, pixel + QPoint(1, 1));
    QTest::mouseMove(target, pixel);
    QTest::mouseClick(target, Qt::LeftButton, {}, pixel);
}

struct ButtonStates {
    bool correct, save, refresh, help, importReference, importTarget, exit;
};

ButtonStates States(const fakes::WindowRig &w)
{
    return {w.button("校正")->isEnabled(),   w.button("保存")->isEnabled(),     w.button("校正点")->isEnabled(),
            w.button("Command1")->isEnabled(), w.button("导入主体")->isEnabled(), w.button("导入客体")->isEnabled(),
            w.button("退出")->isEnabled()};
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void passRewritesThePhoto();
    void buttonsDuringPass();
    void refusalsInTheWindow_data();
    void refusalsInTheWindow();
    void tooLargeLeavesThreeButtonsDisabled();
    void barPaintedAtEveryYield();
    void tallPictureYieldsByTheClock();
    void endingDuringPass_data();
    void endingDuringPass();
    void heldKeysWorkOnce();
    void guide();
    void startUp_data();
    void startUp();
};

void TestMainForm::passRewritesThePhoto()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.box("客体图片")->setPicture(TargetPhoto(5, 3));
    PickWorkedExample(w);
    QCOMPARE(w.text("红"), QStringLiteral("80"));
    QCOMPARE(w.text("绿"), QStringLiteral("50"));
    QCOMPARE(w.text("蓝"), QStringLiteral("40"));
    QCOMPARE(w.form.targetChannels(), (Channels{120, 100, 80}));

    QStringList progress;
    w.loop.betweenRows = [&](int) { progress << w.text("Text2"); };
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);

    QCOMPARE(progress, (QStringList{"已完成_0%", "已完成_50%", "已完成_100%"}));
    const QImage &result = w.box("客体图片")->image();
    QCOMPARE(result.pixel(0, 0), qRgb(181, 132, 100));
    QCOMPARE(result.pixel(3, 2), qRgb(181, 132, 100));
    // (80, 255, 0): red 80 + Int(80 × 80 / 156) = 121, green saturates, black stays black.
    QCOMPARE(result.pixel(4, 2), qRgb(121, 255, 0));
    auto *bar = w.get<QScrollBar>("HScroll2");
    QCOMPARE(bar->maximum(), 2);
    QCOMPARE(bar->value(), 2);
    QVERIFY(bar->updatesEnabled() && w.field("Text2")->updatesEnabled());
    QCOMPARE(w.beeps.count, 1);
    QVERIFY(w.messages.shown.empty());
    const ButtonStates after = States(w);
    QVERIFY(after.correct && after.save && after.refresh && after.help);
}

// The four buttons that could interfere are off while rows run; imports and 退出 stay live.
void TestMainForm::buttonsDuringPass()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.box("客体图片")->setPicture(TargetPhoto(4, 4));
    PickWorkedExample(w);
    std::vector<ButtonStates> during;
    w.loop.betweenRows = [&](int) { during.push_back(States(w)); };
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QCOMPARE(during.size(), size_t(4));
    for (const ButtonStates &s : during) {
        QVERIFY(!s.correct && !s.save && !s.refresh && !s.help);
        QVERIFY(s.importReference && s.importTarget && s.exit);
    }
}

void TestMainForm::refusalsInTheWindow_data()
{
    QTest::addColumn<QStringList>("differences");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("nothing picked") << QStringList{"", "", ""} << Refusal::NoDifference;
    QTest::newRow("not a number") << QStringList{"12abc", "5", "5"} << Refusal::DifferenceNotNumber;
    QTest::newRow("brightness -50") << QStringList{"-60", "-60", "-60"} << Refusal::TooDark;
    QTest::newRow("beyond 32 bits") << QStringList{"-1e10", "0", "0"} << Refusal::OutOfRange;
}

// Each refusal is worded in a notice, leaves the photo alone and gives every button back.
void TestMainForm::refusalsInTheWindow()
{
    QFETCH(QStringList, differences);
    QFETCH(Refusal, refusal);
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.box("客体图片")->setPicture(TargetPhoto(3, 3));
    // Target (12, 10, 8), as a dark pick would leave it.
    w.field("主红")->setText(QStringLiteral("20"));
    w.field("主绿")->setText(QStringLiteral("20"));
    w.field("主蓝")->setText(QStringLiteral("20"));
    w.box("客体图片")->setColourAt(0, 0, 12 | 10 << 8 | 8 << 16);
    QTest::mouseMove(w.box("客体图片"), QPoint(3, 3));
    QTest::mouseMove(w.box("客体图片"), QPoint(2, 2));
    QTest::mouseClick(w.box("客体图片"), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(w.form.targetChannels(), (Channels{12, 10, 8}));
    const QImage before = w.box("客体图片")->image().copy();
    w.field("红")->setText(differences[0]);
    w.field("绿")->setText(differences[1]);
    w.field("蓝")->setText(differences[2]);
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QCOMPARE(w.messages.shown, (std::vector<fakes::Message>{{text::RefusalText(refusal), "提示"}}));
    QCOMPARE(w.box("客体图片")->image(), before);
    QCOMPARE(w.beeps.count, 0);
    const ButtonStates after = States(w);
    QVERIFY(after.correct && after.save && after.refresh && after.help);
}

void TestMainForm::tooLargeLeavesThreeButtonsDisabled()
{
    fakes::WindowRig w;
    w.box("客体图片")->setPicture(TargetPhoto(2, 2));
    w.field("红")->setText(QStringLiteral("101"));
    w.field("绿")->setText(QStringLiteral("0"));
    w.field("蓝")->setText(QStringLiteral("0"));
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QCOMPARE(w.messages.shown,
             (std::vector<fakes::Message>{{text::RefusalText(Refusal::TooLarge), "提示"}}));
    QCOMPARE(w.text("红"), QStringLiteral("0"));
    ButtonStates s = States(w);
    QVERIFY(s.correct && !s.save && !s.refresh && !s.help);

    // A later pass that completes brings the other three back.
    w.field("红")->setText(QStringLiteral("10"));
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QCOMPARE(w.messages.shown.size(), size_t(1));
    s = States(w);
    QVERIFY(s.correct && s.save && s.refresh && s.help);
}

// The bar is never hidden to save repaints: whenever the window's events run during a pass,
// the bar's strip shows the bar at the row just done.
void TestMainForm::barPaintedAtEveryYield()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.box("客体图片")->setPicture(TargetPhoto(50, 20));
    PickWorkedExample(w);
    auto *bar = w.get<QScrollBar>("HScroll2");
    const QRgb background = w.form.palette().color(QPalette::Window).rgb();
    int yields = 0;
    w.loop.betweenRows = [&](int call) {
        ++yields;
        QCOMPARE(bar->value(), call - 1);
        const QImage strip = w.form.grab(bar->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
        int drawn = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                drawn += strip.pixel(x, y) != background;
        QVERIFY2(drawn > strip.width() * strip.height() / 4, qPrintable(QString::number(drawn)));
    };
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QCOMPARE(yields, 20);
}

// A picture of a million narrow rows lets events run by the clock, not a million times, and
// always once after its last row, with the bar and the text at their end.
void TestMainForm::tallPictureYieldsByTheClock()
{
    fakes::WindowRig w;
    w.form.setPassEventInterval(16);
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    constexpr int kRows = 1'000'000;
    w.box("客体图片")->setPicture(TargetPhoto(8, kRows));
    PickWorkedExample(w);
    auto *bar = w.get<QScrollBar>("HScroll2");
    int lastValueSeen = -1;
    w.loop.betweenRows = [&](int) { lastValueSeen = bar->value(); };
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QVERIFY2(w.loop.calls >= 1 && w.loop.calls < kRows / 100, qPrintable(QString::number(w.loop.calls)));
    QCOMPARE(lastValueSeen, kRows - 1);
    QCOMPARE(w.text("Text2"), QStringLiteral("已完成_100%"));
    QCOMPARE(w.box("客体图片")->image().pixel(3, kRows - 1), qRgb(181, 132, 100));
    QCOMPARE(w.beeps.count, 1);
}

void TestMainForm::endingDuringPass_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("退出") << false;
    QTest::newRow("close box") << true;
}

// The program ends between two rows: the row after never runs.
void TestMainForm::endingDuringPass()
{
    QFETCH(bool, closeBox);
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.box("客体图片")->setPicture(TargetPhoto(3, 6));
    PickWorkedExample(w);
    w.loop.betweenRows = [&](int call) {
        if (call != 2)
            return;
        if (closeBox)
            w.form.close();
        else
            QTest::mouseClick(w.button("退出"), Qt::LeftButton);
    };
    QTest::mouseClick(w.button("校正"), Qt::LeftButton);
    QVERIFY(w.loop.ending());
    QCOMPARE(w.loop.calls, 2);
    const QImage &result = w.box("客体图片")->image();
    QCOMPARE(result.pixel(0, 1), qRgb(181, 132, 100));
    QCOMPARE(result.pixel(0, 2), qRgb(120, 100, 80));
    QCOMPARE(w.beeps.count, 0);
}

// A repeat of Enter or Esc, as a held key sends, works nothing: Esc still held from another
// window must not end this one, and a held Enter must not run pass after pass.
void TestMainForm::heldKeysWorkOnce()
{
    fakes::WindowRig w;
    w.box("客体图片")->setPicture(TargetPhoto(3, 3));
    w.field("红")->setText(QStringLiteral("10"));
    w.field("绿")->setText(QStringLiteral("0"));
    w.field("蓝")->setText(QStringLiteral("0"));
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(&w.form, &repeat);
    }
    QVERIFY(!w.loop.ending());
    QCOMPARE(w.beeps.count, 0);
    QTest::keyClick(&w.form, Qt::Key_Escape);
    QVERIFY(w.loop.ending());
}

void TestMainForm::guide()
{
    fakes::WindowRig w;
    QTest::mouseClick(w.button("Command1"), Qt::LeftButton);
    QCOMPARE(w.messages.shown.size(), size_t(1));
    QCOMPARE(w.messages.shown[0].title, "使用指南");
    QCOMPARE(QString::fromStdString(w.messages.shown[0].text),
             QStringLiteral("本软件可快速把MM光线不好或偏色的照片进行校正,方法是分别导入一理想的图片(也可直接在皮肤样本中选择)"
                            "和希望调整的MM照片,然后用鼠标选择理想照片(或皮肤样本)中最美的肤色和要调整到该肤色的照片中的相应位置,"
                            "点击校正即可,不满意可刷新后再试,直到满意后点击保存即可把该照片保存为BMP格式图片！"));
}

void TestMainForm::startUp_data()
{
    QTest::addColumn<bool>("otherCopy");
    QTest::newRow("first copy") << false;
    QTest::newRow("second copy") << true;
}

void TestMainForm::startUp()
{
    QFETCH(bool, otherCopy);
    fakes::Instance instance(otherCopy);
    fakes::Messages messages;
    fakes::Loop loop;
    QCOMPARE(StartUp(instance, messages, loop), !otherCopy);
    QCOMPARE(loop.ending(), otherCopy);
    if (otherCopy)
        QCOMPARE(messages.shown, (std::vector<fakes::Message>{{"你已经运行这个应用程序了", "Velmora"}}));
    else
        QVERIFY(messages.shown.empty());
}

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"
