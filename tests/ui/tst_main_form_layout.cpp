// Velmora tests — the window as designed: places, captions, colours, fonts, focus order, keys.
#include <QtTest>

#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRawFont>
#include <QScrollBar>

#include "support/window_rig.h"
#include "ui/window/window_texts.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

// The nearest named ancestor: picture boxes hold their children in an unnamed client area.
QString Container(const QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (!p->objectName().isEmpty())
            return p->objectName();
    return {};
}

// The text a control shows, whatever its kind.
QString Caption(const QWidget *w)
{
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    return {};
}

const char *const kColourFields[] = {"主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "绿", "蓝"};

} // namespace

class TestMainFormLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void designedClientArea();
    void controlPlaces_data();
    void controlPlaces();
    void captionsAndTooltips_data();
    void captionsAndTooltips();
    void initialState();
    void colours_data();
    void colours();
    void headingColours_data();
    void headingColours();
    void fonts_data();
    void fonts();
    void everyTextHasItsGlyphs();
    void labelReadsTopToBottom();
    void tabOrder();
    void enterAndEscape();
};

void TestMainFormLayout::designedClientArea()
{
    fakes::WindowRig w;
    // Designed at 921 × 599, its least size; it only grows from there.
    QCOMPARE(w.form.size(), QSize(921, 599));
    QCOMPARE(w.form.minimumSize(), QSize(921, 599));
    QCOMPARE(w.form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(w.form.windowTitle(), QStringLiteral("Velmora"));
    QVERIFY(!w.form.windowIcon().isNull());
    QCOMPARE(w.form.windowIcon().availableSizes().value(0), QSize(32, 32));
}

void TestMainFormLayout::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("rect");
    const auto row = [](const char *name, const char *container, QRect r) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(container) << r;
    };
    row("Picture3", "MainForm", {8, 32, 410, 510});
    row("取样图片", "Picture3", {0, 0, 410, 510});
    row("Picture1", "MainForm", {848, 48, 67, 320});
    row("Picture2(0)", "Picture1", {0, 0, 64, 88});
    row("Picture2(1)", "Picture1", {0, 80, 64, 82});
    row("Picture2(2)", "Picture1", {0, 160, 64, 85});
    row("Picture2(3)", "Picture1", {0, 240, 64, 77});
    row("HScroll2", "MainForm", {8, 544, 833, 9});
    row("客体", "MainForm", {432, 32, 410, 510});
    row("客体图片", "客体", {0, 0, 410, 510});
    row("校正工具", "MainForm", {848, 376, 67, 217});
    row("校正点", "校正工具", {2, 16, 60, 25});
    row("校正", "校正工具", {2, 41, 60, 25});
    row("保存", "校正工具", {2, 66, 60, 25});
    row("Command1", "校正工具", {2, 91, 60, 25});
    row("退出", "校正工具", {2, 116, 60, 25});
    row("Label2", "校正工具", {3, 152, 25, 57});
    row("红", "校正工具", {24, 144, 38, 21});
    row("绿", "校正工具", {24, 168, 38, 21});
    row("蓝", "校正工具", {24, 192, 38, 20});
    row("客体工具栏", "MainForm", {432, 560, 409, 33});
    row("导入客体", "客体工具栏", {3, 13, 105, 17});
    row("Text2", "客体工具栏", {120, 8, 139, 23});
    row("客红", "客体工具栏", {264, 8, 40, 23});
    row("客绿", "客体工具栏", {312, 8, 40, 23});
    row("客蓝", "客体工具栏", {360, 8, 40, 23});
    row("主体工具栏", "MainForm", {8, 560, 409, 33});
    row("导入主体", "主体工具栏", {3, 13, 89, 17});
    row("Text1", "主体工具栏", {112, 8, 139, 22});
    row("主红", "主体工具栏", {264, 8, 40, 23});
    row("主绿", "主体工具栏", {312, 8, 40, 23});
    row("主蓝", "主体工具栏", {360, 8, 40, 23});
    row("Label1", "MainForm", {851, 32, 65, 17});
    row("图片客体", "MainForm", {584, 8, 105, 17});
    row("图片主体", "MainForm", {176, 8, 89, 25});
}

void TestMainFormLayout::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    fakes::WindowRig w;
    const QWidget *control = w.get(name.toUtf8().constData());
    QCOMPARE(Container(control), container);
    QCOMPARE(control->geometry(), rect);
    // Inside a picture box, places count from inside its border.
    if (auto *box = qobject_cast<PictureBox *>(control->parentWidget()->parentWidget()))
        QCOMPARE(control->parentWidget()->geometry().topLeft(), QPoint(box->borderWidth(), box->borderWidth()));
}

void TestMainFormLayout::captionsAndTooltips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    const auto row = [](const char *name, const char *caption, const char *tip = "") {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption) << QString::fromUtf8(tip);
    };
    row("校正点", "刷新");
    row("校正", "校正");
    row("保存", "保存");
    row("Command1", "帮助");
    row("退出", "退出");
    row("Label2", "校正量");
    row("导入客体", "导入将校正照片");
    row("导入主体", "导入标准照片");
    row("校正工具", "校正工具");
    row("客体工具栏", "校正工具栏");
    row("主体工具栏", "标准照片栏");
    row("Label1", "皮肤样本");
    row("图片客体", "将校正照片");
    row("图片主体", "标准照片");
    row("Picture3", "", "按下鼠标移动后放开可移动照片");
    row("取样图片", "", "将鼠标移动到理想皮肤颜色处点击选取皮肤样品！");
    row("客体图片", "", "将鼠标移动到需校正到皮肤样品一样的地方点击选取校正点！");
    for (const char *swatch : {"Picture2(0)", "Picture2(1)", "Picture2(2)", "Picture2(3)"})
        row(swatch, "", "将鼠标移到理想皮肤处点击可选取标准肤色！");
}

void TestMainFormLayout::captionsAndTooltips()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    fakes::WindowRig w;
    const QWidget *control = w.get(name.toUtf8().constData());
    QCOMPARE(Caption(control), caption);
    QCOMPARE(control->toolTip(), tooltip);
}

void TestMainFormLayout::initialState()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    for (QWidget *child : w.form.findChildren<QWidget *>())
        if (!child->objectName().isEmpty()) {
            QVERIFY2(child->isEnabled(), qPrintable(child->objectName()));
            QVERIFY2(child->isVisible(), qPrintable(child->objectName()));
        }
    for (QLineEdit *field : w.form.findChildren<QLineEdit *>())
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    QCOMPARE(w.form.findChildren<QLineEdit *>().size(), 11);
    // The colour fields take typing; the position and progress fields are the program's.
    for (QLineEdit *field : w.form.findChildren<QLineEdit *>())
        QCOMPARE(field->isReadOnly(), field->objectName().startsWith(QStringLiteral("Text")));
    auto *bar = w.get<QScrollBar>("HScroll2");
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 32767);
    QCOMPARE(QApplication::focusWidget(), w.button("校正点"));
    // Before any picture, each picture box's drawing area is its area's: 406 × 506.
    QCOMPARE(w.box("客体图片")->drawingWidth(), 406);
    QCOMPARE(w.box("客体图片")->drawingHeight(), 506);
    QVERIFY(!w.box("客体图片")->hasPicture());
    QVERIFY(w.box("Picture2(0)")->hasPicture());
}

void TestMainFormLayout::colours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), cyan(0, 255, 255);
    const auto row = [](const char *name, QColor b, QColor t) {
        QTest::newRow(name) << QString::fromUtf8(name) << b << t;
    };
    for (const char *n : {"主红", "客红", "红"})
        row(n, red, cyan);
    for (const char *n : {"主绿", "客绿", "绿"})
        row(n, green, blue);
    for (const char *n : {"主蓝", "客蓝", "蓝"})
        row(n, blue, cyan);
    for (const char *n : {"Text1", "Text2"})
        row(n, QColor(192, 255, 255), red);
}

// The colours as the field really paints them, read from a rendering.
void TestMainFormLayout::colours()
{
    QFETCH(QString, name);
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    fakes::WindowRig w;
    QLineEdit *field = w.field(name.toUtf8().constData());
    QCOMPARE(field->palette().color(QPalette::Base), background);
    QCOMPARE(field->palette().color(QPalette::Text), text);
    const QImage shot = field->grab().toImage();
    QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), background);
}

void TestMainFormLayout::headingColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("ink");
    for (const char *frame : {"主体工具栏", "客体工具栏", "校正工具"})
        QTest::newRow(frame) << QString::fromUtf8(frame) << QColor(255, 0, 0);
    QTest::newRow("Label1") << QStringLiteral("Label1") << QColor(0, 0, 255);
    QTest::newRow("Label2 keeps the default") << QStringLiteral("Label2") << QApplication::palette().color(QPalette::WindowText);
}

// Captions are painted in their colour: the rendering holds ink close to that colour
// (thin antialiased strokes rarely reach it exactly).
void TestMainFormLayout::headingColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, ink);
    fakes::WindowRig w;
    QWidget *control = w.get(name.toUtf8().constData());
    // Only the caption's corner: the coloured fields inside a tool bar start at x 112, y 8.
    const QImage shot = control->grab(QRect(0, 0, std::min(control->width(), 100), 13)).toImage();
    int inked = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
        {
            const QColor c(shot.pixel(x, y));
            inked += std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green())
                         + std::abs(c.blue() - ink.blue()) < 200;
        }
    QVERIFY2(inked >= 5, qPrintable(QString::number(inked)));
}

void TestMainFormLayout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    const auto row = [](const char *name, const char *family, int px, bool bold) {
        QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(family) << px << bold;
    };
    for (const char *n : kColourFields)
        row(n, "AR PL UMing CN", 14, false);
    row("Text1", "AR PL UMing CN", 14, false);
    row("Text2", "AR PL UMing CN", 14, false);
    for (const char *n : {"校正点", "校正", "保存", "Command1", "退出"})
        row(n, "WenQuanYi Zen Hei", 19, false);
    row("校正工具", "AR PL UKai CN", 14, false);
    row("Label1", "AR PL UKai CN", 14, true);
    row("Label2", "AR PL UKai CN", 19, true);
    row("图片主体", "AR PL UKai CN", 20, true);
    row("图片客体", "AR PL UKai CN", 20, true);
}

void TestMainFormLayout::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    fakes::WindowRig w;
    const QWidget *control = w.get(name.toUtf8().constData());
    const QFontInfo info(control->font());
    QCOMPARE(info.family(), family);
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(control->font().bold(), bold);
}

// No control may show a missing-glyph box: the face it resolved must hold every character.
void TestMainFormLayout::everyTextHasItsGlyphs()
{
    fakes::WindowRig w;
    w.field("红")->setText(QStringLiteral("-0.2"));
    w.field("Text1")->setText(QStringLiteral("鼠标 X=12  Y=34"));
    w.field("Text2")->setText(QStringLiteral("已完成_100%"));
    QString messages;
    for (Refusal r : {Refusal::NoReference, Refusal::TooLarge, Refusal::NoDifference, Refusal::TooDark,
                      Refusal::DifferenceNotNumber})
        messages += QString::fromStdString(text::RefusalText(r));
    QList<QWidget *> controls = w.form.findChildren<QWidget *>();
    controls << &w.form;
    for (const QWidget *control : controls) {
        const QRawFont raw = QRawFont::fromFont(control->font());
        QVERIFY(raw.isValid());
        for (const QString &s : {Caption(control), control->toolTip(), control->windowTitle()})
            for (const QChar c : s)
                QVERIFY2(c.isSpace() || raw.supportsCharacter(c),
                         qPrintable(QStringLiteral("%1 lacks '%2' in %3").arg(control->objectName(), c, raw.familyName())));
    }
    // Tooltips and message boxes use the application's font.
    const QRawFont appFont = QRawFont::fromFont(QApplication::font());
    for (const QChar c : messages)
        QVERIFY2(c.isSpace() || appFont.supportsCharacter(c), qPrintable(QString(c)));
}

// The heading is too narrow for two characters: it reads one character a line, top to bottom.
void TestMainFormLayout::labelReadsTopToBottom()
{
    fakes::WindowRig w;
    auto *label = w.get<QLabel>("Label2");
    const QImage shot = label->grab().toImage();
    const QColor background = label->palette().color(QPalette::Window);
    const auto inkInRows = [&](int from, int to) {
        int ink = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < shot.width(); ++x)
                ink += QColor(shot.pixel(x, y)) != background;
        return ink;
    };
    const int third = shot.height() / 3;
    QVERIFY(inkInRows(0, third) > 20);
    QVERIFY(inkInRows(third, 2 * third) > 20);
    QVERIFY(inkInRows(2 * third, shot.height()) > 20);
    QVERIFY(2 * QFontMetrics(label->font()).horizontalAdvance(QStringLiteral("校")) > label->width());
}

void TestMainFormLayout::tabOrder()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    const QStringList expected{"校正", "退出", "导入主体", "导入客体", "保存", "Text1", "Text2", "客体", "客体图片",
                               "HScroll2", "蓝", "绿", "红", "Picture1", "Picture2(0)", "Picture2(1)", "Picture2(2)",
                               "Picture2(3)", "Picture3", "取样图片", "主绿", "主蓝", "主红", "客蓝", "客绿", "客红",
                               "Command1", "校正点"};
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("校正点"));
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

// Enter works 校正 (or the button with the focus), Esc works 退出; neither while its button is disabled.
void TestMainFormLayout::enterAndEscape()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.field("主红")->setFocus();
    QTest::keyClick(w.field("主红"), Qt::Key_Return);
    QCOMPARE(w.messages.shown.size(), size_t(1)); // 校正 without differences
    QCOMPARE(w.messages.shown[0].text, text::RefusalText(Refusal::NoDifference));

    w.button("校正")->setEnabled(false);
    QTest::keyClick(w.field("主红"), Qt::Key_Enter);
    QCOMPARE(w.messages.shown.size(), size_t(1));

    w.button("Command1")->setFocus();
    QTest::keyClick(w.button("Command1"), Qt::Key_Return);
    QCOMPARE(w.messages.shown.size(), size_t(2));
    QCOMPARE(w.messages.shown[1].title, "使用指南");

    QVERIFY(!w.loop.ending());
    QTest::keyClick(w.field("主红"), Qt::Key_Escape);
    QVERIFY(w.loop.ending());
}

QTEST_MAIN(TestMainFormLayout)
#include "tst_main_form_layout.moc"
