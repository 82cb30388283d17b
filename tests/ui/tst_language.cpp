// Velmora tests — the language the program speaks: the choice from the user's languages and the
// menu, the whole window in English, Qt's own texts, and captions that fit their designed controls
// in both languages.
#include <QtTest>

#include <QAbstractButton>
#include <QActionGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTranslator>

#include "batch/language.h"
#include "picture/process_setup.h"
#include "support/window_rig.h"
#include "ui/desktop/language_setting.h"
#include "ui/desktop/startup.h"
#include "ui/dialogs/batch_dialog.h"
#include "ui/dialogs/save_options_dialog.h"
#include "ui/widgets/classic_frame.h"
#include "ui/widgets/stacked_label.h"
#include "ui/window/app_window.h"
#include "ui/window/window_texts.h"

using namespace velmora;

namespace {

// Han characters and the CJK punctuation and full-width forms the Chinese texts use.
bool HasChinese(const QString &text)
{
    static const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303F}\\x{3400}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
    return text.contains(kChinese);
}

// Drops every translation installed so far and installs `language`'s, as a start would.
void Speak(Language language)
{
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QVERIFY(InstallTranslations(language));
}

// A fake environment: "NAME=value" entries.
EnvironmentReader Reader(const QStringList &entries)
{
    auto values = std::make_shared<std::map<std::string, std::string>>();
    for (const QString &entry : entries) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        (*values)[entry.left(equals).toStdString()] = entry.mid(equals + 1).toStdString();
    }
    return [values](const char *name) -> const char * {
        const auto found = values->find(name);
        return found == values->end() ? nullptr : found->second.c_str();
    };
}

// Every text a widget shows or tells a reader of the screen.
QStringList TextsOf(const QWidget *w)
{
    QStringList texts{w->windowTitle(), w->toolTip(), w->statusTip(), w->whatsThis(), w->accessibleName(),
                      w->accessibleDescription()};
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        texts << b->text();
    if (auto *l = qobject_cast<const QLabel *>(w))
        texts << l->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        texts << g->title();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        texts << e->text() << e->placeholderText();
    if (auto *m = qobject_cast<const QMenu *>(w))
        texts << m->title();
    return texts;
}

// The texts of a window and everything in it, each with where it was found; the language items
// keep their own names.
QStringList ChineseLeftIn(const QWidget *top)
{
    QStringList left;
    QList<const QWidget *> widgets{top};
    for (const QWidget *w : top->findChildren<QWidget *>())
        widgets << w;
    for (const QWidget *w : widgets)
        for (const QString &text : TextsOf(w))
            if (HasChinese(text))
                left << QStringLiteral("%1 (%2): %3").arg(w->objectName(), QLatin1String(w->metaObject()->className()), text);
    for (const QAction *a : top->findChildren<QAction *>()) {
        if (a->objectName() == QLatin1String("languageChinese"))
            continue;
        for (const QString &text : {a->text(), a->toolTip(), a->statusTip(), a->whatsThis(), a->iconText()})
            if (HasChinese(text))
                left << QStringLiteral("action %1: %2").arg(a->objectName(), text);
    }
    return left;
}

// The room a control gives its caption across, and the caption's width in the control's own font.
struct Fit {
    int room = 0;
    int needed = 0;
};

Fit FitOf(QWidget *w)
{
    const QFontMetrics metrics(w->font());
    if (auto *b = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
        const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, b);
        return {contents.width() - margin, metrics.horizontalAdvance(QString(b->text()).remove(QLatin1Char('&')))};
    }
    if (auto *s = dynamic_cast<StackedLabel *>(w)) {
        // One character a line: the widest across, and the lines, a font size each, down.
        const int step = s->font().pixelSize() > 0 ? s->font().pixelSize() : metrics.height();
        int widest = 0;
        for (const QChar c : s->text())
            widest = std::max(widest, metrics.horizontalAdvance(c));
        if (int(s->text().size()) * step > s->height())
            return {0, 1};
        return {s->width(), widest};
    }
    if (auto *l = qobject_cast<QLabel *>(w)) {
        const int margins = 2 * l->margin() + std::max(0, l->indent());
        return {l->contentsRect().width() - margins, metrics.horizontalAdvance(l->text())};
    }
    if (auto *f = dynamic_cast<ClassicFrame *>(w)) {
        // The caption stands 8 px in with a pixel of room either side, within the frame's width.
        return {f->width() - 8 - 2, metrics.horizontalAdvance(QString(f->title()).remove(QLatin1Char('&')))};
    }
    return {};
}

// The designed controls that carry a caption: every button, label and frame of the window.
QStringList CaptionedControls(const QWidget &form)
{
    QStringList names;
    for (QWidget *w : form.findChildren<QWidget *>())
        if (!w->objectName().isEmpty()
            && (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w) || qobject_cast<QGroupBox *>(w)))
            names << w->objectName();
    return names;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ConfigureProcess();
        ConfigureApplication();
        // A start with the user's languages, so the English window test goes the real way.
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            qunsetenv(name);
        qputenv("LANG", "C.UTF-8");
    }
    void cleanup()
    {
        SaveLanguageChoice(LanguageChoice::System);
        qputenv("LANG", "C.UTF-8");
        Speak(Language::Chinese);
    }

    void languageFromEnvironment_data();
    void languageFromEnvironment();
    void choiceOverridesEnvironment_data();
    void choiceOverridesEnvironment();
    void languageMenu();
    void englishWindow();
    void englishMessages();
    void qtOwnTexts_data();
    void qtOwnTexts();
    void captionsFit_data();
    void captionsFit();
};

void TestLanguage::languageFromEnvironment_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("windowEnglish");
    QTest::addColumn<bool>("commandLineEnglish");
    QTest::newRow("nothing set") << QStringList{} << false << true;
    QTest::newRow("C") << QStringList{"LANG=C"} << false << true;
    QTest::newRow("C.UTF-8") << QStringList{"LANG=C.UTF-8"} << false << true;
    QTest::newRow("POSIX") << QStringList{"LANG=POSIX"} << false << true;
    QTest::newRow("en_US") << QStringList{"LANG=en_US.UTF-8"} << true << true;
    QTest::newRow("en alone") << QStringList{"LANG=en"} << true << true;
    QTest::newRow("en_GB@euro") << QStringList{"LANG=en_GB@euro"} << true << true;
    QTest::newRow("zh_CN") << QStringList{"LANG=zh_CN.UTF-8"} << false << false;
    QTest::newRow("zh_TW Big5") << QStringList{"LANG=zh_TW.Big5"} << false << false;
    QTest::newRow("German") << QStringList{"LANG=de_DE.UTF-8"} << false << true;
    QTest::newRow("a language starting en-") << QStringList{"LANG=enx_XX"} << false << true;
    QTest::newRow("LC_MESSAGES over LANG") << QStringList{"LANG=zh_CN.UTF-8", "LC_MESSAGES=en_GB.UTF-8"} << true << true;
    QTest::newRow("LC_ALL over LC_MESSAGES") << QStringList{"LC_ALL=zh_CN.UTF-8", "LC_MESSAGES=en_US.UTF-8"} << false << false;
    QTest::newRow("LC_ALL C over LANG en") << QStringList{"LC_ALL=C", "LANG=en_US.UTF-8"} << false << true;
    QTest::newRow("empty LC_ALL is unset") << QStringList{"LC_ALL=", "LANG=en_US.UTF-8"} << true << true;
    QTest::newRow("LANGUAGE over LANG") << QStringList{"LANGUAGE=en_GB:zh_CN", "LANG=zh_CN.UTF-8"} << true << true;
    QTest::newRow("LANGUAGE first of ours") << QStringList{"LANGUAGE=fr:zh_TW:en", "LANG=en_US.UTF-8"} << false << false;
    QTest::newRow("LANGUAGE none of ours") << QStringList{"LANGUAGE=fr:de", "LANG=en_US.UTF-8"} << true << true;
    QTest::newRow("LANGUAGE empty") << QStringList{"LANGUAGE=", "LANG=en_US.UTF-8"} << true << true;
    QTest::newRow("LANGUAGE empty entries") << QStringList{"LANGUAGE=::zh", "LANG=en_US.UTF-8"} << false << false;
}

// English only where the user's first language set says English; the window falls back to the
// design's Chinese, the command line to its English.
void TestLanguage::languageFromEnvironment()
{
    QFETCH(QStringList, environment);
    QFETCH(bool, windowEnglish);
    QFETCH(bool, commandLineEnglish);
    const EnvironmentReader reader = Reader(environment);
    QCOMPARE(WindowLanguage(LanguageChoice::System, reader) == Language::English, windowEnglish);
    QCOMPARE(LanguageFromEnvironment(reader, Language::English) == Language::English, commandLineEnglish);
}

void TestLanguage::choiceOverridesEnvironment_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("english");
    QTest::newRow("中文 under English") << int(LanguageChoice::Chinese) << QStringList{"LANG=en_US.UTF-8"} << false;
    QTest::newRow("English under Chinese") << int(LanguageChoice::English) << QStringList{"LANG=zh_CN.UTF-8"} << true;
    QTest::newRow("English under C") << int(LanguageChoice::English) << QStringList{"LANG=C"} << true;
    QTest::newRow("system under English") << int(LanguageChoice::System) << QStringList{"LANGUAGE=en"} << true;
}

void TestLanguage::choiceOverridesEnvironment()
{
    QFETCH(int, choice);
    QFETCH(QStringList, environment);
    SaveLanguageChoice(LanguageChoice(choice));
    QCOMPARE(SavedLanguageChoice(), LanguageChoice(choice));
    QTEST(WindowLanguage(SavedLanguageChoice(), Reader(environment)) == Language::English, "english");
}

// 帮助 > 语言: three exclusive items, the saved one checked; a new choice is kept and the user told
// it applies from the next start; choosing the current one again says nothing.
void TestLanguage::languageMenu()
{
    SaveLanguageChoice(LanguageChoice::English);
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    QMenu *help = window.menuBar()->actions().last()->menu();
    QMenu *language = window.form().commands().language;
    QVERIFY(language);
    QVERIFY(help->actions().contains(language->menuAction()));
    QCOMPARE(language->title(), QString::fromUtf8("语言 / Language(&L)"));
    const QList<QAction *> items = language->actions();
    QCOMPARE(items.size(), 3);
    QStringList captions;
    for (QAction *a : items) {
        QVERIFY(a->isCheckable());
        QVERIFY(a->actionGroup() && a->actionGroup()->isExclusive());
        captions << a->text();
    }
    QCOMPARE(captions, (QStringList{QString::fromUtf8("中文"), "English", QString::fromUtf8("跟随系统 / Follow the system")}));
    QVERIFY(items[1]->isChecked());

    items[1]->trigger();
    QCOMPARE(messages.shown.size(), size_t(0));
    items[0]->trigger();
    QVERIFY(items[0]->isChecked() && !items[1]->isChecked());
    QCOMPARE(SavedLanguageChoice(), LanguageChoice::Chinese);
    QCOMPARE(QSettings().value("language").toString(), QStringLiteral("zh"));
    QCOMPARE(messages.shown.size(), size_t(1));
    QVERIFY(QString::fromStdString(messages.shown[0].text).contains(QStringLiteral("next start")));
    items[2]->trigger();
    QCOMPARE(SavedLanguageChoice(), LanguageChoice::System);
    QVERIFY(!QSettings().contains("language"));
    QCOMPARE(messages.shown.size(), size_t(2));
}

// Under en_US the window, its menus, tooltips and both dialogs carry no Chinese at all, and the
// designed buttons say what they do.
void TestLanguage::englishWindow()
{
    qputenv("LANG", "en_US.UTF-8");
    QCOMPARE(WindowLanguage(), Language::English);
    Speak(WindowLanguage());
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    window.show();
    QCOMPARE(ChineseLeftIn(&window), QStringList());

    const auto caption = [&](const char *name) { return window.findChild<QPushButton *>(QString::fromUtf8(name))->text(); };
    QCOMPARE(caption("校正点"), QStringLiteral("Reload"));
    QCOMPARE(caption("校正"), QStringLiteral("Correct"));
    QCOMPARE(caption("保存"), QStringLiteral("Save"));
    QCOMPARE(caption("Command1"), QStringLiteral("Help"));
    QCOMPARE(caption("退出"), QStringLiteral("Quit"));
    QCOMPARE(window.menuBar()->actions().first()->text(), QStringLiteral("&File"));
    // The pass's progress, which core writes in Chinese, is shown in English.
    QCOMPARE(text::PassProgressShown("已完成_37%"), QStringLiteral("Done 37%"));
    QCOMPARE(text::PassProgressShown("12.5"), QStringLiteral("12.5"));

    SaveOptionsDialog options(SaveOptions{});
    QCOMPARE(ChineseLeftIn(&options), QStringList());
    BatchDialog batch(std::nullopt);
    QCOMPARE(ChineseLeftIn(&batch), QStringList());
    QCOMPARE(batch.windowTitle(), QStringLiteral("Batch Correction"));
}

// The window's messages, including those put together from values, are English too.
void TestLanguage::englishMessages()
{
    Speak(Language::English);
    fakes::WindowRig w;
    w.button("校正")->click();
    w.form.commands().guide->trigger();
    w.form.commands().about->trigger();
    QCOMPARE(w.messages.shown.size(), size_t(3));
    for (const auto &message : w.messages.shown) {
        QVERIFY2(!HasChinese(QString::fromStdString(message.text)), message.text.c_str());
        QVERIFY2(!HasChinese(QString::fromStdString(message.title)), message.title.c_str());
    }
    QCOMPARE(QString::fromStdString(w.messages.shown[0].text),
             QStringLiteral("You have not picked a skin sample and the skin point to correct yet! Pick the points again!"));
    QCOMPARE(text::OpenFailedMessage("/tmp/a.jpg", text::LoadProblemText(LoadProblem::TooLarge, QSize(9000, 8000), 512)),
             QStringLiteral("Cannot open the picture “/tmp/a.jpg”: the picture is too large (9000 × 8000 pixels) "
                            "for the 512 MB of memory this computer allows."));
    QCOMPARE(text::BatchSummary(8, 10, false), QStringLiteral("corrected 8 of 10 photos, 2 failed:"));
    QCOMPARE(QString::fromStdString(text::SaveFilter()).section('|', 0, 1), QStringLiteral("BMP images (*.BMP)|*.BMP"));
}

void TestLanguage::qtOwnTexts_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

// Qt's own buttons speak the same language as ours: Chinese from Qt's translation, English as Qt
// writes it.
void TestLanguage::qtOwnTexts()
{
    QFETCH(bool, english);
    Speak(english ? Language::English : Language::Chinese);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    const QString cancel = box.button(QDialogButtonBox::Cancel)->text();
    QCOMPARE(HasChinese(cancel), !english);
    if (english)
        QCOMPARE(QString(cancel).remove('&'), QStringLiteral("Cancel"));
    QCOMPARE(QLocale().language(), english ? QLocale::English : QLocale::Chinese);
}

void TestLanguage::captionsFit_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("control");
    fakes::WindowRig w;
    const QStringList controls = CaptionedControls(w.form);
    QVERIFY(controls.size() >= 13); // seven buttons, four headings, three frames less one unnamed
    for (const bool english : {false, true})
        for (const QString &name : controls)
            QTest::addRow("%s %s", english ? "en" : "zh", qPrintable(name)) << english << name;
}

// Each caption fits across its designed control, measured in the control's own font, in both
// languages; the English is chosen short where the design is tight.
void TestLanguage::captionsFit()
{
    QFETCH(bool, english);
    QFETCH(QString, control);
    Speak(english ? Language::English : Language::Chinese);
    fakes::WindowRig w;
    QWidget *widget = w.form.findChild<QWidget *>(control);
    QVERIFY(widget);
    const Fit fit = FitOf(widget);
    QVERIFY2(fit.needed > 0, qPrintable(control + QStringLiteral(": no caption measured")));
    QVERIFY2(HasChinese(TextsOf(widget).join(QString())) == !english, qPrintable(TextsOf(widget).join('|')));
    QVERIFY2(fit.needed <= fit.room, qPrintable(QStringLiteral("%1 “%2”: %3 px in %4 px")
                                                    .arg(control, TextsOf(widget).join(QString()))
                                                    .arg(fit.needed)
                                                    .arg(fit.room)));
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
