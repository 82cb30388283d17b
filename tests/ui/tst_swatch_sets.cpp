// Velmora tests — the 样本 menu: the sets the swatch boxes show, picking from them, the user's own
// swatches, and the choice kept across starts.
#include <QtTest>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include "picture/process_setup.h"
#include "support/window_rig.h"
#include "ui/desktop/startup.h"
#include "ui/window/app_window.h"
#include "ui/window/window_texts.h"

using namespace velmora;

namespace {

// The published tones, typed from the scale and the chart.
const QColor kMonk[10] = {QColor(0xf6, 0xed, 0xe4), QColor(0xf3, 0xe7, 0xdb), QColor(0xf7, 0xea, 0xd0),
                          QColor(0xea, 0xda, 0xba), QColor(0xd7, 0xbd, 0x96), QColor(0xa0, 0x7e, 0x56),
                          QColor(0x82, 0x5c, 0x43), QColor(0x60, 0x41, 0x34), QColor(0x3a, 0x31, 0x2a),
                          QColor(0x29, 0x24, 0x20)};
const QColor kChartLight(194, 150, 130), kChartDark(115, 82, 68);

QPoint At(PictureBox *box, int x, int y) { return QPoint(x + box->borderWidth(), y + box->borderWidth()); }

void MoveTo(QWidget *w, QPoint p)
{
    QTest::mouseMove(w, p + QPoint(1, 1));
    QTest::mouseMove(w, p);
}

PictureBox *Swatch(const fakes::WindowRig &w, int i)
{
    return w.box(("Picture2(" + std::to_string(i) + ")").c_str());
}

// The mean of the box's own pixels over a square, as the picker would see them.
QColor MeanOf(const QImage &image, QRect square)
{
    double sum[3] = {0, 0, 0};
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p);
        }
    const double n = double(square.width()) * square.height();
    return QColor(qRound(sum[0] / n), qRound(sum[1] / n), qRound(sum[2] / n));
}

bool Within(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

QString Describe(QColor c) { return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

void Choose(fakes::WindowRig &w, SwatchSet set) { w.form.commands().swatchSets[std::size_t(set)]->trigger(); }

// Picks the reference at the box's pixel with the real pointer; gives the fields' colour.
QColor PickAt(fakes::WindowRig &w, PictureBox *box, QPoint pixel)
{
    MoveTo(box, At(box, pixel.x(), pixel.y()));
    QTest::mouseClick(box, Qt::LeftButton, {}, At(box, pixel.x(), pixel.y()));
    return QColor(w.text("主红").toInt(), w.text("主绿").toInt(), w.text("主蓝").toInt());
}

// A reference picture whose pixel (x, y) is (x, y, 7): each pick there is a colour of its own.
QImage Coordinates()
{
    QImage image(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x, y, 7));
    return image;
}

struct Shown : fakes::WindowRig {
    Shown()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        box("取样图片")->setPicture(Coordinates());
    }
};

// Adds the reference picked at (x, y) of the coordinates picture to 我的样本.
void AddPickedAt(Shown &w, int x, int y)
{
    PickAt(w, w.box("取样图片"), QPoint(x, y));
    w.form.commands().addMySwatch->trigger();
}

} // namespace

Q_DECLARE_METATYPE(SwatchSet)

class TestSwatchSets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ConfigureProcess();
        ConfigureApplication();
        QVERIFY(fakes::WindowRig::kTestSettings);
    }
    void init() { QSettings().clear(); }
    void menuStandsBetweenViewAndHelp();
    void setsShowTheirTones_data();
    void setsShowTheirTones();
    void designedComeBackAsBuilt();
    void choiceKeptAcrossStarts();
    void damagedSettingsStartAsDesigned_data();
    void damagedSettingsStartAsDesigned();
    void mySwatchesNewestFirstFourKept();
    void mySwatchesKeptAndCleared();
    void addingWithoutAPickSaysSo();
    void aboutCreditsTheScale();
};

void TestSwatchSets::menuStandsBetweenViewAndHelp()
{
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    QStringList bar;
    QMenu *swatches = nullptr;
    for (QAction *a : window.menuBar()->actions()) {
        bar << a->text();
        if (a->text() == QStringLiteral("样本(&W)"))
            swatches = a->menu();
    }
    QCOMPARE(bar, (QStringList{"文件(&F)", "编辑(&E)", "视图(&V)", "样本(&W)", "帮助(&H)"}));
    QVERIFY(swatches);
    QStringList items;
    for (QAction *a : swatches->actions())
        items << a->text();
    QCOMPARE(items, (QStringList{"设计样本(&0)", "蒙克肤色 1–4(&1)", "蒙克肤色 5–8(&2)", "蒙克肤色 9–10 与色卡(&3)",
                                 "我的样本(&4)", "", "加入我的样本(&A)", "清空我的样本(&C)"}));
    // One set at a time, the designed one to start with.
    QVERIFY(swatches->actions()[0]->isChecked());
    QCOMPARE(window.form().swatchSet(), SwatchSet::Designed);
}

void TestSwatchSets::setsShowTheirTones_data()
{
    QTest::addColumn<SwatchSet>("set");
    QTest::addColumn<QList<QColor>>("tones");
    QTest::addColumn<QStringList>("tips");
    QTest::newRow("Monk 1–4") << SwatchSet::Monk1To4 << QList<QColor>{kMonk[0], kMonk[1], kMonk[2], kMonk[3]}
                              << QStringList{"蒙克肤色 1 (246, 237, 228)", "蒙克肤色 2 (243, 231, 219)",
                                             "蒙克肤色 3 (247, 234, 208)", "蒙克肤色 4 (234, 218, 186)"};
    QTest::newRow("Monk 5–8") << SwatchSet::Monk5To8 << QList<QColor>{kMonk[4], kMonk[5], kMonk[6], kMonk[7]}
                              << QStringList{"蒙克肤色 5 (215, 189, 150)", "蒙克肤色 6 (160, 126, 86)",
                                             "蒙克肤色 7 (130, 92, 67)", "蒙克肤色 8 (96, 65, 52)"};
    QTest::newRow("Monk 9–10 and the chart")
        << SwatchSet::Monk9To10AndChart << QList<QColor>{kMonk[8], kMonk[9], kChartLight, kChartDark}
        << QStringList{"蒙克肤色 9 (58, 49, 42)", "蒙克肤色 10 (41, 36, 32)", "色卡浅肤色 (194, 150, 130)",
                       "色卡深肤色 (115, 82, 68)"};
}

// Each box shows its tone, names it in its tip, and a pick at its middle, one pixel or 11 × 11, reads
// the box's own pixels as a designed swatch's pick does.
void TestSwatchSets::setsShowTheirTones()
{
    QFETCH(SwatchSet, set);
    QFETCH(QList<QColor>, tones);
    QFETCH(QStringList, tips);
    Shown w;
    Choose(w, set);
    QCOMPARE(w.form.swatchSet(), set);
    for (int i = 0; i < 4; ++i) {
        PictureBox *box = Swatch(w, i);
        QVERIFY(box->isVisible());
        QCOMPARE(box->image().size(), QSize(62, 75));
        QCOMPARE(box->size(), QSize(64, 77));
        QCOMPARE(box->toolTip(), tips[i]);
        const QColor wide = MeanOf(box->image(), QRect(11, 17, 40, 40));
        QVERIFY2(Within(wide, tones[i], 2), qPrintable(Describe(wide) + " for " + Describe(tones[i])));

        w.form.setSampleSize(1);
        const QPoint pixel(7 + 9 * i, 60 - 5 * i);
        QCOMPARE(PickAt(w, box, pixel).rgb(), QColor(box->image().pixel(pixel)).rgb());
        w.form.setSampleSize(11);
        const QColor picked = PickAt(w, box, QPoint(31, 37));
        QVERIFY2(Within(picked, tones[i], 3), qPrintable(Describe(picked) + " for " + Describe(tones[i])));
        QVERIFY(box->mark().has_value()); // marked where it came from, as on a designed swatch
    }
}

// Back to the designed set: the same pictures, places and tips as a window that never left it.
void TestSwatchSets::designedComeBackAsBuilt()
{
    fakes::WindowRig fresh;
    Shown w;
    PickAt(w, Swatch(w, 1), QPoint(20, 20));
    Choose(w, SwatchSet::Monk5To8);
    QVERIFY(!Swatch(w, 1)->mark().has_value()); // the mark pointed at a picture no longer shown
    Choose(w, SwatchSet::Mine);
    Choose(w, SwatchSet::Designed);
    for (int i = 0; i < 4; ++i) {
        PictureBox *box = Swatch(w, i), *built = Swatch(fresh, i);
        QVERIFY(box->isVisible());
        QCOMPARE(box->geometry(), built->geometry());
        QCOMPARE(box->toolTip(), QString::fromUtf8(text::kSwatchTip));
        QCOMPARE(box->image(), QImage(QStringLiteral(":/swatches/skin_%1.bmp").arg(i)).convertToFormat(QImage::Format_RGB32));
    }
}

void TestSwatchSets::choiceKeptAcrossStarts()
{
    {
        fakes::WindowRig w;
        Choose(w, SwatchSet::Monk9To10AndChart);
    }
    fakes::WindowRig again;
    QCOMPARE(again.form.swatchSet(), SwatchSet::Monk9To10AndChart);
    QVERIFY(again.form.commands().swatchSets[3]->isChecked());
    QCOMPARE(Swatch(again, 2)->toolTip(), QStringLiteral("色卡浅肤色 (194, 150, 130)"));
    const QColor wide = MeanOf(Swatch(again, 0)->image(), QRect(11, 17, 40, 40));
    QVERIFY2(Within(wide, kMonk[8], 2), qPrintable(Describe(wide)));
}

void TestSwatchSets::damagedSettingsStartAsDesigned_data()
{
    QTest::addColumn<QVariant>("set");
    QTest::addColumn<QVariant>("mine");
    QTest::addColumn<QList<QRgb>>("kept");
    QTest::newRow("set not a number") << QVariant("Monk") << QVariant() << QList<QRgb>{};
    QTest::newRow("set past the last") << QVariant(5) << QVariant() << QList<QRgb>{};
    QTest::newRow("set below the first") << QVariant(-1) << QVariant() << QList<QRgb>{};
    QTest::newRow("colours with junk")
        << QVariant(0) << QVariant(QStringList{"#102030", "red", "#12345", "#AABBCC", "#102030", "#zzzzzz"})
        << QList<QRgb>{qRgb(0x10, 0x20, 0x30), qRgb(0xaa, 0xbb, 0xcc)};
    QTest::newRow("too many colours")
        << QVariant(0) << QVariant(QStringList{"#000001", "#000002", "#000003", "#000004", "#000005"})
        << QList<QRgb>{qRgb(0, 0, 1), qRgb(0, 0, 2), qRgb(0, 0, 3), qRgb(0, 0, 4)};
    QTest::newRow("colours not a list") << QVariant(0) << QVariant(17) << QList<QRgb>{};
}

// A settings file edited by hand or from another version cannot break the window.
void TestSwatchSets::damagedSettingsStartAsDesigned()
{
    QFETCH(QVariant, set);
    QFETCH(QVariant, mine);
    QFETCH(QList<QRgb>, kept);
    QSettings().setValue("swatches/set", set);
    if (mine.isValid())
        QSettings().setValue("swatches/mine", mine);
    fakes::WindowRig w;
    QCOMPARE(w.form.swatchSet(), SwatchSet::Designed);
    QCOMPARE(w.form.mySwatches(), kept);
    QCOMPARE(Swatch(w, 0)->toolTip(), QString::fromUtf8(text::kSwatchTip));
}

void TestSwatchSets::mySwatchesNewestFirstFourKept()
{
    Shown w;
    Choose(w, SwatchSet::Mine);
    for (int i = 0; i < 4; ++i)
        QVERIFY(Swatch(w, i)->isHidden()); // nothing of the user's yet: the area's plain background

    AddPickedAt(w, 10, 20);
    QCOMPARE(w.form.mySwatches(), (QList<QRgb>{qRgb(10, 20, 7)}));
    QVERIFY(Swatch(w, 0)->isVisible());
    QCOMPARE(Swatch(w, 0)->toolTip(), QStringLiteral("我的样本 (10, 20, 7)"));
    for (int i = 1; i < 4; ++i)
        QVERIFY(Swatch(w, i)->isHidden());

    AddPickedAt(w, 30, 40);
    AddPickedAt(w, 50, 60);
    AddPickedAt(w, 70, 80);
    AddPickedAt(w, 90, 100); // the fifth pushes the oldest out
    const QList<QRgb> expected{qRgb(90, 100, 7), qRgb(70, 80, 7), qRgb(50, 60, 7), qRgb(30, 40, 7)};
    QCOMPARE(w.form.mySwatches(), expected);
    for (int i = 0; i < 4; ++i) {
        PictureBox *box = Swatch(w, i);
        QVERIFY(box->isVisible());
        // Flat: any pick anywhere gives back the colour as it was added.
        QCOMPARE(MeanOf(box->image(), box->image().rect()).rgb(), expected[i]);
        QCOMPARE(box->image().pixel(0, 0), expected[i]);
        w.form.setSampleSize(i % 2 ? 11 : 1);
        QCOMPARE(PickAt(w, box, QPoint(5 + 10 * i, 70)).rgb(), expected[i]);
    }

    // A colour already there moves to the front instead of showing twice. The pick just made
    // was from box 3, (30, 40, 7).
    w.form.commands().addMySwatch->trigger();
    QCOMPARE(w.form.mySwatches(), (QList<QRgb>{qRgb(30, 40, 7), qRgb(90, 100, 7), qRgb(70, 80, 7), qRgb(50, 60, 7)}));
    QCOMPARE(Swatch(w, 0)->image().pixel(10, 10), qRgb(30, 40, 7));
    QVERIFY(w.messages.shown.empty());
}

void TestSwatchSets::mySwatchesKeptAndCleared()
{
    {
        Shown w;
        AddPickedAt(w, 1, 2);
        AddPickedAt(w, 3, 4);
        QCOMPARE(w.form.swatchSet(), SwatchSet::Designed); // adding does not change what is shown
        QCOMPARE(Swatch(w, 0)->toolTip(), QString::fromUtf8(text::kSwatchTip));
        Choose(w, SwatchSet::Mine);
    }
    {
        fakes::WindowRig again;
        QCOMPARE(again.form.mySwatches(), (QList<QRgb>{qRgb(3, 4, 7), qRgb(1, 2, 7)}));
        QCOMPARE(again.form.swatchSet(), SwatchSet::Mine);
        QVERIFY(!Swatch(again, 1)->isHidden());
        QVERIFY(Swatch(again, 2)->isHidden());
        again.form.commands().clearMySwatches->trigger();
        QVERIFY(again.form.mySwatches().isEmpty());
        for (int i = 0; i < 4; ++i)
            QVERIFY(Swatch(again, i)->isHidden());
    }
    fakes::WindowRig third;
    QVERIFY(third.form.mySwatches().isEmpty());
    QCOMPARE(third.form.swatchSet(), SwatchSet::Mine);
}

void TestSwatchSets::addingWithoutAPickSaysSo()
{
    Shown w;
    // Typed numbers are no pick: 加入我的样本 takes colours the user pointed at.
    w.field("主红")->setText("100");
    w.form.commands().addMySwatch->trigger();
    QVERIFY(w.form.mySwatches().isEmpty());
    QCOMPARE(int(w.messages.shown.size()), 1);
    QCOMPARE(QString::fromStdString(w.messages.shown[0].text), QString::fromUtf8(text::kNothingToAddToMySwatches));
    QCOMPARE(QString::fromStdString(w.messages.shown[0].title), QString::fromUtf8(text::kNoticeTitle));
}

void TestSwatchSets::aboutCreditsTheScale()
{
    fakes::WindowRig w;
    w.form.commands().about->trigger();
    QCOMPARE(int(w.messages.shown.size()), 1);
    const QString about = QString::fromStdString(w.messages.shown[0].text);
    for (const char *part : {"Monk Skin Tone Scale", "Ellis Monk", "CC BY 4.0", "https://skintone.google",
                             "https://creativecommons.org/licenses/by/4.0/"})
        QVERIFY2(about.contains(QLatin1String(part)), part);
    QVERIFY(about.startsWith(QString::fromUtf8(text::kAbout)));
}

QTEST_MAIN(TestSwatchSets)
#include "tst_swatch_sets.moc"
