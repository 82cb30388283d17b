// Velmora tests — what the desktop reads about the program: the launcher, the software-centre
// entry and the manual page, each checked by the desktop's own tools and against the program.
#include <QtTest>

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "support/tools.h"

using namespace velmora;

namespace {

const QString kDesktopFile = QStringLiteral(VELMORA_DESKTOP_FILE);
const QString kMetainfo = QStringLiteral(VELMORA_METAINFO_FILE);
const QString kManPage = QStringLiteral(VELMORA_MAN_PAGE);
const QString kManualImages = QStringLiteral(VELMORA_MANUAL_IMAGES);

QString DesktopKey(const QString &key)
{
    for (const QByteArray &line : fakes::Read(kDesktopFile).split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return {};
}

// The software-centre entry's elements by name: each one's text and attributes, in order.
struct Element {
    QString text;
    QXmlStreamAttributes attributes;
};
using Entry = QMultiMap<QString, Element>;

Entry Metainfo()
{
    Entry entry;
    QXmlStreamReader xml(fakes::Read(kMetainfo));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString();
            Element e{{}, xml.attributes()};
            // Elements that hold others are kept by name only, so their children are read in turn.
            static const QStringList containers{"component", "description", "ul", "categories", "keywords",
                                                "screenshots", "screenshot", "provides", "releases", "release"};
            if (!containers.contains(name))
                e.text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            entry.insert(name, e);
        }
    if (xml.hasError())
        qWarning() << xml.errorString();
    return entry;
}

QStringList Texts(const Entry &entry, const QString &name)
{
    QStringList out;
    const QList<Element> found = entry.values(name);
    for (auto it = found.rbegin(); it != found.rend(); ++it) // QMultiMap gives the last inserted first
        out << it->text;
    return out;
}

// The manual page as `man` shows it, in lines too long to be broken or hyphenated.
fakes::Ran RenderedManPage()
{
    return fakes::RunProgram(QStringLiteral("man"), {QStringLiteral("-l"), kManPage}, QByteArray(), 60000,
                             {{}, {QStringLiteral("LANG=C.UTF-8"), QStringLiteral("MANWIDTH=1000"),
                                   QStringLiteral("MANPAGER=cat"), QStringLiteral("MAN_KEEP_FORMATTING=")}});
}

} // namespace

class TestDesktopFiles : public QObject {
    Q_OBJECT

private slots:
    void validatedByTheDesktopsTools_data();
    void validatedByTheDesktopsTools();
    void entryMatchesTheLauncher();
    void manPageHasNoWarnings();
    void manPageNamesEveryOption();
};

void TestDesktopFiles::validatedByTheDesktopsTools_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("appstream") << "appstreamcli"
                               << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"),
                                              QStringLiteral("--pedantic"), kMetainfo};
    QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList{kDesktopFile};
}

void TestDesktopFiles::validatedByTheDesktopsTools()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
    const fakes::Ran ran = fakes::RunProgram(program, arguments);
    QVERIFY2(ran.ok(), (ran.out + ran.err).constData());
    // Hints and pedantic remarks count: the validators print nothing for a clean file but a verdict.
    QVERIFY2(!ran.out.contains("P: ") && !ran.out.contains("I: ") && !ran.out.contains("W: ")
                 && !ran.out.contains("hint:"),
             ran.out.constData());
}

// The entry and the launcher are one application to the desktop: the same id, the same picture
// formats, screenshots that the package ships.
void TestDesktopFiles::entryMatchesTheLauncher()
{
    const Entry metainfo = Metainfo();
    QVERIFY(!metainfo.isEmpty());
    const QString id = Texts(metainfo, QStringLiteral("id")).value(0);
    QCOMPARE(QFileInfo(kDesktopFile).fileName(), id + QStringLiteral(".desktop"));
    QCOMPARE(QFileInfo(kMetainfo).fileName(), id + QStringLiteral(".metainfo.xml"));
    QCOMPARE(Texts(metainfo, QStringLiteral("launchable")), QStringList{id + QStringLiteral(".desktop")});

    QSet<QString> launcherTypes;
    for (const QString &type : DesktopKey(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        launcherTypes.insert(type);
    QVERIFY(launcherTypes.size() >= 5);
    const QStringList entryTypes = Texts(metainfo, QStringLiteral("mediatype"));
    QCOMPARE(QSet<QString>(entryTypes.begin(), entryTypes.end()), launcherTypes);
    QCOMPARE(Texts(metainfo, QStringLiteral("binary")), QStringList{QStringLiteral("velmora")});

    const QList<Element> screenshots = metainfo.values(QStringLiteral("image"));
    QVERIFY(!screenshots.isEmpty());
    for (const Element &image : screenshots) {
        const QString shipped = kManualImages + QLatin1Char('/') + QUrl(image.text).fileName();
        QVERIFY2(QFileInfo::exists(shipped), qPrintable(shipped));
        // The size the entry states is the picture's own, as ImageMagick reads it.
        QCOMPARE(fakes::IdentifiedSize(shipped), QSize(image.attributes.value(QStringLiteral("width")).toInt(),
                                                      image.attributes.value(QStringLiteral("height")).toInt()));
    }
}

void TestDesktopFiles::manPageHasNoWarnings()
{
    const fakes::Ran lint = fakes::RunProgram(
        QStringLiteral("groff"), {QStringLiteral("-ww"), QStringLiteral("-z"), QStringLiteral("-man"),
                                  QStringLiteral("-Tutf8"), kManPage});
    QVERIFY2(lint.ok(), lint.err.constData());
    QCOMPARE(lint.err, QByteArray());
    const fakes::Ran shown = RenderedManPage();
    QVERIFY2(shown.ok(), shown.err.constData());
    QCOMPARE(shown.err, QByteArray());
    for (const char *section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "FILES", "EXAMPLES"})
        QVERIFY2(shown.out.contains(QByteArray("\n") + section + '\n'), section);
}

// Every option `velmora apply --help` lists is described in the manual page, so a new option
// without its paragraph fails here.
void TestDesktopFiles::manPageNamesEveryOption()
{
    const fakes::Ran help = fakes::RunVelmora({QStringLiteral("apply"), QStringLiteral("--help")},
                                              {{QStringLiteral("LC_ALL"), QStringLiteral("LC_MESSAGES")},
                                               {QStringLiteral("LANG=C")}});
    QVERIFY2(help.ok(), help.err.constData());
    QSet<QString> options;
    for (const QRegularExpressionMatch &m :
         QRegularExpression(QStringLiteral("(--[a-z][a-z-]+)")).globalMatch(QString::fromUtf8(help.out)))
        options.insert(m.captured(1));
    QVERIFY(options.size() >= 9);
    const QString page = QString::fromUtf8(RenderedManPage().out);
    for (const QString &option : options)
        QVERIFY2(QRegularExpression(QStringLiteral("\n +") + option + QStringLiteral("\\b")).match(page).hasMatch(),
                 qPrintable(option + QStringLiteral(" has no paragraph of its own")));
}

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktop_files.moc"
