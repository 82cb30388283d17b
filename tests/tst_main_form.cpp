// Velmora tests — the correction pass in the real window, the guide, exit and start-up.
#include <QtTest>

#include <QScrollBar>

#include "core/messages.h"
#include "fakes/window_rig.h"
#include "ui/startup.h"
#include "ui/window_texts.h"

using namespace velmora;

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
    void initTestCase() { ConfigureApplication(); }
    void passRewritesThePhoto();
    void buttonsDuringPass();
    void endingDuringPass_data();
    void endingDuringPass();
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
    // Repaints held back during the rows come a frame later: nothing is left unpainted.
    QTRY_VERIFY(bar->updatesEnabled() && w.field("Text2")->updatesEnabled());
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
