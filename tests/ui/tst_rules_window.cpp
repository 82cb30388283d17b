// Velmora tests — the correction rules in the window: 编辑 > 校正规则 kept across starts, each pass
// undone and redone by its own rule, the batch applying what the photo shows, and a pass that would
// ruin the photo refused with everything left as it was.
#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include <algorithm>
#include <cmath>

#include "support/files.h"
#include "support/tools.h"
#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/dialogs/batch_dialog.h"
#include "ui/widgets/picture_box.h"

using namespace velmora;

namespace {

QString WritePhoto(const QString &path)
{
    QImage image(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(160 + x, 120 + y, 100 + (x - y) / 2));
    image.save(path, "BMP");
    return path;
}

void PickAt(PictureBox *box, int x, int y)
{
    const QPoint p(x + box->borderWidth(), y + box->borderWidth());
    QTest::mouseMove(box, p + QPoint(1, 1));
    QTest::mouseMove(box, p);
    QTest::mouseClick(box, Qt::LeftButton, {}, p);
}

// The photo imported, the reference typed, the target picked at (20, 10): (180, 130, 105).
struct Rig : fakes::WindowRig {
    explicit Rig(const QTemporaryDir &dir)
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        picker.answers.push_back(WritePhoto(dir.filePath("photo.bmp")).toStdString());
        button("导入客体")->click();
    }
    void reference(int r, int g, int b)
    {
        field("主红")->setText(QString::number(r));
        field("主绿")->setText(QString::number(g));
        field("主蓝")->setText(QString::number(b));
        PickAt(box("客体图片"), 20, 10);
    }
    QImage picture() const { return box("客体图片")->image().convertToFormat(QImage::Format_RGB32); }
    QAction *ruleAction(const char *name) const { return form.findChild<QAction *>(QString::fromLatin1(name)); }
};

template <typename W>
W *Get(const QObject &o, const char *name)
{
    W *w = o.findChild<W *>(QString::fromLatin1(name));
    Q_ASSERT_X(w, "Get", name);
    return w;
}

double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double FromLinear(double l) { return l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055; }

// The exact rule written out: every pixel of `before` scaled in linear light by r / t.
QImage ExactModel(const QImage &before, const std::array<double, 3> &r, const std::array<double, 3> &t)
{
    QImage out = before;
    const auto map = [&](int v, int c) {
        const double l = std::min(1.0, ToLinear(v / 255.0) * ToLinear(r[c] / 255) / ToLinear(t[c] / 255));
        return int(std::floor(255 * FromLinear(l) + 0.5));
    };
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = out.pixel(x, y);
            out.setPixel(x, y, qRgb(map(qRed(p), 0), map(qGreen(p), 1), map(qBlue(p), 2)));
        }
    return out;
}

} // namespace

class TestRulesWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void cleanup() { QSettings().remove("correction/rule"); }
    void menuKeptAcrossStarts();
    void undoAndRedoAfterMixedRules();
    void batchAppliesWhatThePhotoShows();
    void ruinousPassRefusedAndNothingChanged_data();
    void ruinousPassRefusedAndNothingChanged();
};

void TestRulesWindow::menuKeptAcrossStarts()
{
    {
        fakes::WindowRig w;
        QCOMPARE(w.form.rule(), Rule::Design);
        auto *menu = w.form.commands().rule;
        QVERIFY(menu);
        QCOMPARE(menu->title(), QString("校正规则(&R)"));
        QStringList captions;
        for (QAction *a : menu->actions()) {
            QVERIFY(a->isCheckable());
            captions << a->text();
        }
        QCOMPARE(captions, (QStringList{"按设计增益(&D)", "精确匹配(&E)", "保留黑白(&K)"}));
        QVERIFY(menu->actions()[0]->isChecked());
        menu->actions()[2]->trigger();
        QCOMPARE(w.form.rule(), Rule::Curve);
        QVERIFY(!menu->actions()[0]->isChecked());
    }
    fakes::WindowRig again;
    QCOMPARE(again.form.rule(), Rule::Curve);
    QVERIFY(again.form.commands().rule->actions()[2]->isChecked());
    QSettings().setValue("correction/rule", "sideways"); // written by a later version
    fakes::WindowRig later;
    QCOMPARE(later.form.rule(), Rule::Design);
}

// Three passes by three rules, then undo and redo: each state's pixels exactly as before, each
// pass redone by its own rule whatever rule is in force; the exact pass equals its formula.
void TestRulesWindow::undoAndRedoAfterMixedRules()
{
    QTemporaryDir dir;
    Rig w(dir);
    const QImage loaded = w.picture();
    w.reference(200, 150, 120);
    w.button("校正")->click();
    const QImage design = w.picture();
    w.ruleAction("rule_exact")->trigger();
    w.button("校正")->click();
    const QImage exact = w.picture();
    w.ruleAction("rule_curve")->trigger();
    w.button("校正")->click();
    const QImage curve = w.picture();
    QVERIFY(w.messages.shown.empty());
    QVERIFY(design != loaded && exact != design && curve != exact);
    QCOMPARE(exact, ExactModel(design, {200, 150, 120}, {180, 130, 105}));

    QAction *undo = w.form.commands().undo;
    QAction *redo = w.form.commands().redo;
    undo->trigger();
    QCOMPARE(w.picture(), exact);
    undo->trigger();
    QCOMPARE(w.picture(), design);
    w.ruleAction("rule_exact")->trigger(); // the rule now in force changes no recorded pass
    undo->trigger();
    QCOMPARE(w.picture(), loaded);
    redo->trigger();
    QCOMPARE(w.picture(), design);
    redo->trigger();
    QCOMPARE(w.picture(), exact);
    redo->trigger();
    QCOMPARE(w.picture(), curve);
}

// After an undo the batch offers the pass before, shown with its rule; with every pass undone it
// offers none and will not start without a file.
void TestRulesWindow::batchAppliesWhatThePhotoShows()
{
    QTemporaryDir dir;
    Rig w(dir);
    w.reference(200, 150, 120);
    w.button("校正")->click();
    const Gains first = *w.form.lastGains();
    w.ruleAction("rule_exact")->trigger();
    w.button("校正")->click();
    QCOMPARE(w.form.currentCorrection()->rule, Rule::Exact);
    w.form.commands().undo->trigger();

    const QString photo = WritePhoto(dir.filePath("other.bmp"));
    w.form.showBatch();
    auto *dialog = w.form.findChild<BatchDialog *>();
    QVERIFY(dialog);
    QVERIFY(Get<QRadioButton>(*dialog, "useLastGains")->isChecked());
    const QString summary = Get<QLabel>(*dialog, "correctionSummary")->text();
    QVERIFY2(summary.contains("按设计增益"), qPrintable(summary));
    dialog->addPhotos({photo});
    // The small before and after: the design's formula over the small photo.
    const QImage before = Get<QLabel>(*dialog, "previewBefore")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage after = Get<QLabel>(*dialog, "previewAfter")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(!before.isNull());
    QCOMPARE(after.size(), before.size());
    const auto design = [](float g, int v) { return std::clamp(int(std::floor(double(g) * v)) + v, 0, 255); };
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const QRgb b = before.pixel(x, y);
            QCOMPARE(after.pixel(x, y), qRgb(design(first.red, qRed(b)), design(first.green, qGreen(b)),
                                             design(first.blue, qBlue(b))));
        }
    Get<QLineEdit>(*dialog, "outputFolder")->setText(dir.filePath("batch"));
    auto *format = Get<QComboBox>(*dialog, "format");
    format->setCurrentIndex(format->findText("BMP"));
    QSignalSpy finished(dialog, &BatchDialog::runFinished);
    Get<QPushButton>(*dialog, "start")->click();
    QVERIFY(finished.wait(60000));
    dialog->close();
    QTest::qWait(0);
    const QString gains = QStringLiteral("%1,%2,%3").arg(first.red, 0, 'g', 9).arg(first.green, 0, 'g', 9).arg(first.blue, 0, 'g', 9);
    const auto ran = fakes::RunVelmora({"apply", "--gains", gains, "--format", "bmp", "--out", dir.filePath("cli"), photo},
                                       {{"DISPLAY", "QT_QPA_PLATFORM"}, {"LANG=C"}}, 60000);
    QCOMPARE(ran.exit, 0);
    const QStringList written = QDir(dir.filePath("batch")).entryList(QDir::Files);
    QCOMPARE(written.size(), 1);
    const QImage batch = fakes::DecodedByImageMagick(dir.filePath("batch/" + written[0]));
    QCOMPARE(batch, fakes::DecodedByImageMagick(dir.filePath("cli/other.bmp")));

    w.form.commands().undo->trigger();
    QVERIFY(!w.form.currentCorrection());
    w.form.showBatch();
    BatchDialog *none = nullptr;
    for (BatchDialog *d : w.form.findChildren<BatchDialog *>())
        if (d->isVisible())
            none = d;
    QVERIFY(none);
    QVERIFY(!Get<QRadioButton>(*none, "useLastGains")->isEnabled());
    QVERIFY(Get<QLabel>(*none, "correctionSummary")->text().contains("已全部撤销"));
    none->addPhotos({photo});
    QVERIFY(Get<QLabel>(*none, "previewAfter")->pixmap().isNull());
    Get<QLineEdit>(*none, "outputFolder")->setText(dir.filePath("nothing"));
    Get<QPushButton>(*none, "start")->click();
    QVERIFY(!none->running());
    QCOMPARE(Get<QLabel>(*none, "current")->text(), QString("请选择校正量文件。"));
    QVERIFY(!QFile::exists(dir.filePath("nothing")));
}

void TestRulesWindow::ruinousPassRefusedAndNothingChanged_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QList<int>>("reference");
    QTest::addColumn<QString>("message");
    // The target (180, 130, 105) under a much darker reference: gains about -1.8.
    QTest::newRow("darker reference, design") << "rule_design" << QList<int>{80, 50, 40} << "标准肤色比这块皮肤暗得多";
    // L = 86: red lands 71 below a reference it was 65 from, farther than before.
    QTest::newRow("farther past the reference, design") << "rule_design" << QList<int>{115, 85, 60} << "越过标准肤色";
    QTest::newRow("white reference, curve") << "rule_curve" << QList<int>{255, 150, 120} << "但标准肤色的红色为 255";
}

// Refused before any pixel changes, the channel named; every button back as before the click.
void TestRulesWindow::ruinousPassRefusedAndNothingChanged()
{
    QFETCH(QString, rule);
    QFETCH(QList<int>, reference);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Rig w(dir);
    const QImage loaded = w.picture();
    w.ruleAction(qPrintable(rule))->trigger();
    w.reference(reference[0], reference[1], reference[2]);
    w.button("校正")->click();
    QCOMPARE(w.messages.shown.size(), std::size_t(1));
    const QString shown = QString::fromStdString(w.messages.shown[0].text);
    QVERIFY2(shown.contains(message), qPrintable(shown));
    QCOMPARE(w.picture(), loaded);
    QVERIFY(!w.form.lastGains());
    for (const char *name : {"校正", "保存", "校正点", "Command1", "导入主体", "导入客体"})
        QVERIFY2(w.button(name)->isEnabled(), name);
    QVERIFY(!w.form.commands().undo->isEnabled());
}

QTEST_MAIN(TestRulesWindow)
#include "tst_rules_window.moc"
