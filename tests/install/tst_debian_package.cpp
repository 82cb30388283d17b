// Velmora tests — the Debian package `cpack -G DEB` makes: its name, its files, the libraries it
// depends on (against the installed program's own needs, as objdump and dpkg see them), and the
// program it installs, run from a throwaway root.
#include <QtTest>

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include "support/tools.h"

using namespace velmora;

namespace {

QString Field(const QString &deb, const char *name)
{
    const fakes::Ran ran = fakes::RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QString::fromUtf8(name)});
    return QString::fromUtf8(ran.out).trimmed();
}

// The package names in a Depends line, without versions or alternatives' bars.
QSet<QString> PackageNames(const QString &depends)
{
    QSet<QString> names;
    for (const QString &part : depends.split(QRegularExpression(QStringLiteral("[,|]")), Qt::SkipEmptyParts))
        names.insert(part.trimmed().section(QLatin1Char(' '), 0, 0).section(QLatin1Char(':'), 0, 0));
    return names;
}

// The package that owns a file, trying the path as given and as merged /usr has it.
QString OwnerOf(const QString &path)
{
    QStringList tries{path};
    if (path.startsWith(QLatin1String("/usr/lib/")))
        tries << path.mid(4);
    else if (path.startsWith(QLatin1String("/lib/")))
        tries << QStringLiteral("/usr") + path;
    for (const QString &p : tries) {
        const fakes::Ran ran = fakes::RunProgram(QStringLiteral("dpkg"), {QStringLiteral("-S"), p});
        if (ran.ok())
            return QString::fromUtf8(ran.out).section(QLatin1Char(':'), 0, 0).trimmed();
    }
    return {};
}

} // namespace

class TestDebianPackage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void namedByVersionAndArchitecture();
    void holdsTheProgramsFiles_data();
    void holdsTheProgramsFiles();
    void holdsNothingElse();
    void describesItself_data();
    void describesItself();
    void dependsOnEveryLibraryTheProgramLinks();
    void installedTreeValidates();
    void installedProgramRuns();

private:
    QTemporaryDir m_folder;
    QString m_deb;
    QStringList m_contents;
    QString m_root;
};

// One package for every test below: making it is the slow part (cpack first brings the build up
// to date, as `make package` does).
void TestDebianPackage::initTestCase()
{
    QVERIFY(m_folder.isValid());
    const fakes::Ran made = fakes::RunProgram(
        QStringLiteral("cpack"), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                  QStringLiteral(VELMORA_CPACK_CONFIG), QStringLiteral("-B"), m_folder.path()},
        QByteArray(), 330000);
    QVERIFY2(made.ok(), (made.out + made.err).constData());
    const QStringList debs = QDir(m_folder.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = m_folder.filePath(debs.first());

    const fakes::Ran listed = fakes::RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
    QVERIFY2(listed.ok(), listed.err.constData());
    for (const QByteArray &line : listed.out.split('\n'))
        if (!line.isEmpty())
            m_contents << QString::fromUtf8(line).section(QLatin1Char(' '), -1).remove(QRegularExpression(QStringLiteral("^\\.")));

    m_root = m_folder.filePath(QStringLiteral("root"));
    const fakes::Ran unpacked = fakes::RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
    QVERIFY2(unpacked.ok(), unpacked.err.constData());
}

void TestDebianPackage::namedByVersionAndArchitecture()
{
    const QString arch = QString::fromUtf8(fakes::RunProgram(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).out).trimmed();
    QCOMPARE(QFileInfo(m_deb).fileName(), QStringLiteral("velmora_%1_%2.deb").arg(QStringLiteral(VELMORA_VERSION), arch));
    QCOMPARE(Field(m_deb, "Package"), QStringLiteral("velmora"));
    QCOMPARE(Field(m_deb, "Version"), QStringLiteral(VELMORA_VERSION));
    QCOMPARE(Field(m_deb, "Architecture"), arch);
}

void TestDebianPackage::holdsTheProgramsFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("program") << "/usr/bin/velmora";
    QTest::newRow("launcher") << "/usr/share/applications/org.velmora.velmora.desktop";
    QTest::newRow("software-centre entry") << "/usr/share/metainfo/org.velmora.velmora.metainfo.xml";
    QTest::newRow("manual page") << "/usr/share/man/man1/velmora.1";
    QTest::newRow("icon 16") << "/usr/share/icons/hicolor/16x16/apps/velmora.png";
    QTest::newRow("icon 32") << "/usr/share/icons/hicolor/32x32/apps/velmora.png";
    QTest::newRow("icon 256") << "/usr/share/icons/hicolor/256x256/apps/velmora.png";
    QTest::newRow("screenshot") << "/usr/share/velmora/screenshots/window-opened.png";
}

void TestDebianPackage::holdsTheProgramsFiles()
{
    QFETCH(QString, path);
    QVERIFY2(m_contents.contains(path), qPrintable(m_contents.join(QLatin1Char('\n'))));
}

// Tests, benchmarks, the generator and the build's own folders stay out.
void TestDebianPackage::holdsNothingElse()
{
    for (const QString &path : m_contents) {
        QVERIFY2(path.startsWith(QLatin1String("/usr/")) || path == QLatin1String("/"), qPrintable(path));
        QVERIFY2(!path.contains(QLatin1String("tst_")) && !path.contains(QLatin1String("bench"))
                     && !path.contains(QLatin1String("make_swatches")) && !path.contains(QLatin1String("/include/"))
                     && !path.endsWith(QLatin1String(".a")),
                 qPrintable(path));
    }
}

void TestDebianPackage::describesItself_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("section") << "Section" << "^graphics$";
    QTest::newRow("maintainer") << "Maintainer" << "^.+ <[^@ ]+@[^> ]+>$";
    QTest::newRow("summary and text") << "Description" << "^correct the skin tone.*\\n .*velmora apply";
    // What is loaded at run time, which dpkg-shlibdeps cannot see: Qt's X11 plugin and the faces.
    QTest::newRow("platform plugin") << "Depends" << "qt6-qpa-plugins";
    QTest::newRow("image plugins") << "Depends" << "qt6-image-formats-plugins";
    QTest::newRow("faces") << "Depends" << "fonts-arphic-uming.*fonts-arphic-ukai.*fonts-wqy-zenhei";
}

void TestDebianPackage::describesItself()
{
    QFETCH(QString, field);
    QFETCH(QString, pattern);
    const QString value = Field(m_deb, field.toUtf8().constData());
    QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption).match(value).hasMatch(),
             qPrintable(field + QStringLiteral(": ") + value));
}

// Each library the installed program needs (objdump's NEEDED, found by ldd, owned by a package
// as dpkg knows it) is a dependency, with the version dpkg-shlibdeps asks for.
void TestDebianPackage::dependsOnEveryLibraryTheProgramLinks()
{
    const QString program = m_root + QStringLiteral("/usr/bin/velmora");
    const fakes::Ran dump = fakes::RunProgram(QStringLiteral("objdump"), {QStringLiteral("-p"), program});
    QVERIFY2(dump.ok(), dump.err.constData());
    QStringList needed;
    for (const QRegularExpressionMatch &m :
         QRegularExpression(QStringLiteral("NEEDED\\s+(\\S+)")).globalMatch(QString::fromUtf8(dump.out)))
        needed << m.captured(1);
    QVERIFY(needed.size() >= 5);

    const fakes::Ran ldd = fakes::RunProgram(QStringLiteral("ldd"), {program});
    QVERIFY2(ldd.ok(), ldd.err.constData());
    const QString depends = Field(m_deb, "Depends");
    const QSet<QString> dependencies = PackageNames(depends);
    for (const QString &library : needed) {
        const QRegularExpressionMatch found =
            // "libX.so.1 => /lib/…/libX.so.1 (…)", or the loader's own line "/lib64/ld-linux….so.2 (…)".
            QRegularExpression(QStringLiteral("(/\\S*/") + QRegularExpression::escape(library) + QStringLiteral(")\\s"))
                .match(QString::fromUtf8(ldd.out));
        QVERIFY2(found.hasMatch(), qPrintable(library + QStringLiteral(" is not found")));
        const QString owner = OwnerOf(found.captured(1));
        QVERIFY2(!owner.isEmpty(), qPrintable(found.captured(1)));
        QVERIFY2(dependencies.contains(owner), qPrintable(owner + QStringLiteral(" missing from ") + depends));
    }
    // Versioned, as dpkg-shlibdeps writes them.
    QVERIFY2(QRegularExpression(QStringLiteral("libc6 \\(>= [0-9.]+\\)")).match(depends).hasMatch(), qPrintable(depends));
}

// The entry, the launcher and the icons as the package lays them out, checked together.
void TestDebianPackage::installedTreeValidates()
{
    const fakes::Ran ran = fakes::RunProgram(QStringLiteral("appstreamcli"),
                                             {QStringLiteral("validate-tree"), QStringLiteral("--no-net"),
                                              QStringLiteral("--pedantic"), m_root});
    QVERIFY2(ran.ok(), (ran.out + ran.err).constData());
}

// The program from the package, not the build, answers and corrects a photo.
void TestDebianPackage::installedProgramRuns()
{
    const QString program = m_root + QStringLiteral("/usr/bin/velmora");
    const fakes::Environment english{{QStringLiteral("LC_ALL"), QStringLiteral("LC_MESSAGES")}, {QStringLiteral("LANG=C")}};
    const fakes::Ran help = fakes::RunProgram(program, {QStringLiteral("apply"), QStringLiteral("--help")}, QByteArray(),
                                              60000, english);
    QVERIFY2(help.ok(), help.err.constData());
    QVERIFY(help.out.startsWith("usage: velmora apply"));

    // One grey pixel, doubled in red only: the photo read back by ImageMagick says so.
    const QString photo = m_folder.filePath(QStringLiteral("grey.png"));
    fakes::ImageMagick({QStringLiteral("-size"), QStringLiteral("2x2"), QStringLiteral("xc:rgb(100,100,100)"), photo});
    QVERIFY(QFileInfo::exists(photo));
    const QString out = m_folder.filePath(QStringLiteral("out"));
    const fakes::Ran run = fakes::RunProgram(program, {QStringLiteral("apply"), QStringLiteral("--gains"), QStringLiteral("1,0,0"),
                                                       QStringLiteral("--out"), out, photo},
                                             QByteArray(), 60000, english);
    QVERIFY2(run.ok(), run.err.constData());
    const QImage corrected = fakes::DecodedByImageMagick(out + QStringLiteral("/grey.png"));
    QCOMPARE(corrected.size(), QSize(2, 2));
    QCOMPARE(corrected.pixel(1, 1), qRgb(200, 100, 100));
}

QTEST_GUILESS_MAIN(TestDebianPackage)
#include "tst_debian_package.moc"
