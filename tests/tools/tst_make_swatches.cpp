// Velmora tests — the swatch generator: the same pictures on every run, and the committed ones.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/tools.h"

using namespace velmora;

namespace {

QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMakeSwatches : public QObject {
    Q_OBJECT

private slots:
    void twoRunsEqualTheCommittedPictures();
};

// Two runs write the same bytes, and those are the pictures the program carries: the committed
// swatches can always be rebuilt, and nobody committed a picture the generator would not draw.
void TestMakeSwatches::twoRunsEqualTheCommittedPictures()
{
    QTemporaryDir first, second;
    QVERIFY(first.isValid() && second.isValid());
    for (const QTemporaryDir *dir : {&first, &second}) {
        const fakes::Ran ran = fakes::RunProgram(QStringLiteral(MAKE_SWATCHES), {dir->path()}, QByteArray(), 240000);
        QVERIFY2(ran.ok(), ran.err.constData());
    }
    const QStringList written = QDir(first.filePath("swatches")).entryList({"*.bmp"}, QDir::Files, QDir::Name);
    const QStringList committed = QDir(QStringLiteral(SWATCH_DIR)).entryList({"*.bmp"}, QDir::Files, QDir::Name);
    QCOMPARE(written, committed);
    QCOMPARE(written.size(), 16); // the four designed, ten Monk tones, the chart's two skin patches
    for (const QString &name : written) {
        const QByteArray bytes = Bytes(first.filePath("swatches/" + name));
        QVERIFY2(!bytes.isEmpty(), qPrintable(name));
        QVERIFY2(bytes == Bytes(second.filePath("swatches/" + name)), qPrintable(name + " differs between runs"));
        QVERIFY2(bytes == Bytes(QStringLiteral(SWATCH_DIR "/") + name), qPrintable(name + " differs from the committed file"));
    }
}

QTEST_GUILESS_MAIN(TestMakeSwatches)
#include "tst_make_swatches.moc"
