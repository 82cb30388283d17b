// Velmora tests — 帮助 > 使用手册: the manual opens beside the window, once, and its pages hold
// together: every picture loads, every link lands, both languages have the same sections, and
// every command of the menu bar is explained.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>

#include "support/window_rig.h"
#include "ui/dialogs/manual_dialog.h"
#include "ui/window/app_window.h"
#include "ui/window/window_texts.h"

using namespace velmora;

namespace {

const QString kChinese = QStringLiteral("qrc:/manual/zh/index.html");
const QString kEnglish = QStringLiteral("qrc:/manual/en/index.html");

QString Page(const QString &url)
{
    QFile file(QLatin1Char(':') + QUrl(url).path());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList Captures(const QString &text, const char *pattern)
{
    QStringList found;
    for (const QRegularExpressionMatch &m : QRegularExpression(QString::fromUtf8(pattern)).globalMatch(text))
        found << m.captured(1);
    return found;
}

QAction *Find(QMenuBar *bar, const char *menu, const char *item)
{
    for (QAction *m : bar->actions())
        if (m->text() == QString::fromUtf8(menu) && m->menu())
            for (QAction *a : m->menu()->actions())
                if (a->text() == QString::fromUtf8(item))
                    return a;
    return nullptr;
}

// A caption as a reader finds it in prose: no mnemonic, no ellipsis.
QString Plain(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    caption.remove(QLatin1Char('&'));
    caption.remove(QStringLiteral("…"));
    return caption.trimmed();
}

void Captions(QMenu *menu, QStringList &out)
{
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            continue;
        out << Plain(a->text());
        // A submenu's entries too: the sample sizes, and no recent photos under a test's own settings.
        if (a->menu())
            Captions(a->menu(), out);
    }
}

} // namespace

class TestManual : public QObject {
    Q_OBJECT

private slots:
    void opensBesideTheWindowOnce();
    void picturesLoad_data();
    void picturesLoad();
    void linksLand_data();
    void linksLand();
    void bothLanguagesHaveTheSameSections();
    void everyCommandIsExplained();
};

void TestManual::opensBesideTheWindowOnce()
{
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    window.show();
    QAction *manual = Find(window.menuBar(), text::kHelpMenu, text::kManualCommand);
    QVERIFY(manual);
    QVERIFY(manual->isEnabled());

    manual->trigger();
    QList<ManualDialog *> dialogs = window.findChildren<ManualDialog *>();
    QCOMPARE(dialogs.size(), 1);
    ManualDialog *dialog = dialogs.first();
    QVERIFY(dialog->isVisible());
    // Non-modal: the window takes input while the manual is open, and no message was shown instead.
    QVERIFY(!dialog->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(messages.shown.empty());
    // The window's language is Chinese, so its pages open.
    QCOMPARE(dialog->browser()->source().toString(), kChinese);
    QVERIFY(dialog->browser()->toPlainText().contains(QStringLiteral("Velmora 使用手册")));

    // Asked again, the same manual comes forward; closed, it goes, and the next one is new.
    manual->trigger();
    QCOMPARE(window.findChildren<ManualDialog *>().size(), 1);
    dialog->close();
    QTRY_COMPARE(window.findChildren<ManualDialog *>().size(), 0);
    manual->trigger();
    QCOMPARE(window.findChildren<ManualDialog *>().size(), 1);
    QVERIFY(window.findChildren<ManualDialog *>().first()->isVisible());
}

void TestManual::picturesLoad_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("zh") << kChinese;
    QTest::newRow("en") << kEnglish;
}

// Each picture is a real screenshot of the window or a dialog, found where the page says, and
// the browser shows it rather than a broken-image box.
void TestManual::picturesLoad()
{
    QFETCH(QString, page);
    const QStringList sources = Captures(Page(page), "<img src=\"([^\"]+)\"");
    QVERIFY(sources.size() >= 5);
    QTextBrowser browser;
    browser.setSource(QUrl(page));
    for (const QString &source : sources) {
        const QUrl url = QUrl(page).resolved(QUrl(source));
        const QVariant data = browser.loadResource(QTextDocument::ImageResource, url);
        const QImage image = QImage::fromData(data.toByteArray());
        QVERIFY2(!image.isNull(), qPrintable(url.toString()));
        QVERIFY2(image.width() >= 300 && image.height() >= 200, qPrintable(url.toString()));
    }
}

void TestManual::linksLand_data() { picturesLoad_data(); }

void TestManual::linksLand()
{
    QFETCH(QString, page);
    const QString html = Page(page);
    const QStringList ids = Captures(html, " id=\"([^\"]+)\"");
    const QStringList links = Captures(html, "href=\"#([^\"]+)\"");
    QVERIFY(links.size() >= 10);
    for (const QString &link : links)
        QVERIFY2(ids.contains(link), qPrintable(link));
    // The only links out of the pages are anchors: nothing leaves the program.
    QCOMPARE(Captures(html, "href=\"([^#\"][^\"]*)\"").size(), 0);
}

void TestManual::bothLanguagesHaveTheSameSections()
{
    QCOMPARE(Captures(Page(kEnglish), " id=\"([^\"]+)\""), Captures(Page(kChinese), " id=\"([^\"]+)\""));
    QCOMPARE(Captures(Page(kEnglish), "<img src=\"([^\"]+)\""), Captures(Page(kChinese), "<img src=\"([^\"]+)\""));
}

// Each command, as the menu bar captions it, is named in the Chinese manual, so a new command
// without its paragraph fails here.
void TestManual::everyCommandIsExplained()
{
    fakes::Messages messages;
    fakes::Beeps beeps;
    fakes::LiveLoop loop;
    fakes::Picker picker;
    AppWindow window({messages, beeps, loop, picker});
    QStringList captions;
    for (QAction *m : window.menuBar()->actions()) {
        captions << Plain(m->text());
        if (m->menu())
            Captions(m->menu(), captions);
    }
    QVERIFY(captions.size() > 20);
    QTextDocument document;
    document.setHtml(Page(kChinese));
    const QString manual = document.toPlainText();
    QStringList missing;
    for (const QString &caption : captions)
        if (!manual.contains(caption))
            missing << caption;
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(" | "))));
}

QTEST_MAIN(TestManual)
#include "tst_manual.moc"
