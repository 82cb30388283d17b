// Velmora tests — JPEGs that hold more than one picture (an MPF index with a preview, an HDR gain
// map) or a motion photo's video, through `velmora apply` (banded and whole) and the window's save:
// exiftool reads the output without complaint, no index or XMP points at data it lacks, and a
// video kept at a JPEG's end is byte for byte the photo's, where the XMP still says it is.
#include <QtTest>

#include "support/files.h"
#include "support/tools.h"

#include <QJsonArray>
#include <QJsonObject>

#include "picture/picture_loader.h"
#include "picture/picture_saver.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

// The fixtures: mpf.jpg, uhdr.jpg, motion.jpg, novideo.jpg and video.bin (see the script).
const QString kFixtures = QStringLiteral(FIXTURE_SCRIPT);

enum class Way { ApplyJpeg, ApplyPng, SaveJpeg, SavePng, SaveTiff };

} // namespace

class TestPhotoContainers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void onlyWhatTheOutputHolds_data();
    void onlyWhatTheOutputHolds();

private:
    QTemporaryDir m_dir;
};

void TestPhotoContainers::initTestCase()
{
    ConfigureProcess();
    ConfigureApplication();
    QVERIFY(m_dir.isValid());
    const fakes::Ran made = fakes::RunProgram(fakes::kPython, {kFixtures, m_dir.path()});
    QVERIFY2(made.ok(), made.err.constData());
    // The fixtures are what they claim to be, as exiftool reads them.
    const QJsonObject uhdr = fakes::ExifToolJson(m_dir.filePath(QStringLiteral("uhdr.jpg")));
    QCOMPARE(uhdr[QLatin1String("MPF0:NumberOfImages")].toInt(), 2);
    QVERIFY(uhdr.contains(QLatin1String("XMP-hdrgm:Version")));
    const QJsonObject motion = fakes::ExifToolJson(m_dir.filePath(QStringLiteral("motion.jpg")));
    QCOMPARE(motion[QLatin1String("XMP-GCamera:MicroVideoOffset")].toInt(), 10264);
}

void TestPhotoContainers::onlyWhatTheOutputHolds_data()
{
    QTest::addColumn<QString>("photo");
    QTest::addColumn<int>("way");
    QTest::addColumn<bool>("videoKept");
    const QList<QPair<const char *, Way>> ways{{"apply to jpg", Way::ApplyJpeg}, {"apply to png", Way::ApplyPng},
                                               {"save jpg", Way::SaveJpeg}, {"save png", Way::SavePng},
                                               {"save tif", Way::SaveTiff}};
    for (const char *photo : {"mpf.jpg", "uhdr.jpg", "motion.jpg", "novideo.jpg"})
        for (const auto &[name, way] : ways) {
            const bool jpeg = way == Way::ApplyJpeg || way == Way::SaveJpeg;
            QTest::addRow("%s, %s", photo, name) << QString::fromLatin1(photo) << int(way)
                                                 << (jpeg && QByteArray(photo) == "motion.jpg");
        }
}

void TestPhotoContainers::onlyWhatTheOutputHolds()
{
    QFETCH(QString, photo);
    QFETCH(int, way);
    QFETCH(bool, videoKept);
    const QString input = m_dir.filePath(photo);
    QTemporaryDir outDir;
    QString output;
    const Way w = Way(way);
    if (w == Way::ApplyJpeg || w == Way::ApplyPng) {
        const QString format = w == Way::ApplyJpeg ? QStringLiteral("jpg") : QStringLiteral("png");
        const fakes::Ran ran = fakes::RunVelmora({QStringLiteral("apply"), QStringLiteral("--gains"), QStringLiteral("0.1,0,0"),
                                                  QStringLiteral("--format"), format, QStringLiteral("--out"), outDir.path(), input},
                                                 {});
        QVERIFY2(ran.ok(), ran.err.constData());
        output = outDir.filePath(QFileInfo(photo).completeBaseName() + QLatin1Char('.') + format);
    } else {
        const QString ending = w == Way::SaveJpeg ? QStringLiteral(".jpg") : w == Way::SavePng ? QStringLiteral(".png") : QStringLiteral(".tif");
        output = outDir.filePath(QStringLiteral("saved") + ending);
        const LoadedPicture loaded = LoadPicture(input);
        QVERIFY(loaded.problem == LoadProblem::None);
        SaveRequest request{loaded.image, output, *WrittenFormatOfPath(output.toStdString()), {}, loaded.encoded};
        QVERIFY(SavePicture(request).ok());
    }

    const QJsonObject tags = fakes::ExifToolJson(output);
    QVERIFY2(!tags.isEmpty(), qPrintable(output));
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        const QString key = it.key();
        QVERIFY2(!key.startsWith(QLatin1String("MPF")) && !key.startsWith(QLatin1String("MPImage")), qPrintable(key));
        QVERIFY2(!key.startsWith(QLatin1String("XMP-hdrgm")), qPrintable(key));
        QVERIFY2(!key.endsWith(QLatin1String(":Warning")) && !key.endsWith(QLatin1String(":Error")),
                 qPrintable(key + QLatin1String(": ") + it.value().toString()));
        if (!videoKept)
            QVERIFY2(!key.startsWith(QLatin1String("XMP-GCamera")) && !key.startsWith(QLatin1String("XMP-Container")),
                     qPrintable(key));
    }
    // What the XMP said besides stays.
    if (photo != QLatin1String("mpf.jpg"))
        QCOMPARE(tags[QLatin1String("XMP-dc:Creator")].toString(), QStringLiteral("Tester"));
    QCOMPARE(fakes::IdentifiedSize(output), QSize(64, 48));

    if (videoKept) {
        const QByteArray video = fakes::Read(m_dir.filePath(QStringLiteral("video.bin")));
        const QByteArray bytes = fakes::Read(output);
        QVERIFY(bytes.endsWith(video));
        QCOMPARE(tags[QLatin1String("XMP-GCamera:MicroVideoOffset")].toInt(), video.size());
        // The directory as a structure: the primary picture, then the video with its length.
        const QJsonArray directory = fakes::JsonOf(QStringLiteral("exiftool"),
                                                   {QStringLiteral("-j"), QStringLiteral("-struct"), QStringLiteral("-n"),
                                                    QStringLiteral("-XMP-Container:Directory"), output})[QLatin1String("Directory")]
                                         .toArray();
        QCOMPARE(directory.size(), 2);
        const QJsonObject primary = directory[0].toObject()[QLatin1String("Item")].toObject();
        const QJsonObject clip = directory[1].toObject()[QLatin1String("Item")].toObject();
        QCOMPARE(primary[QLatin1String("Semantic")].toString(), QStringLiteral("Primary"));
        QVERIFY(!primary.contains(QLatin1String("Padding")));
        QCOMPARE(clip[QLatin1String("Semantic")].toString(), QStringLiteral("MotionPhoto"));
        QCOMPARE(clip[QLatin1String("Length")].toInt(), video.size());
        // The picture ends where the video starts: the JPEG before it decodes whole on its own.
        QTemporaryDir check;
        const QString alone = check.filePath(QStringLiteral("alone.jpg"));
        QVERIFY(fakes::Write(alone, bytes.left(bytes.size() - video.size())));
        const fakes::Ran djpeg = fakes::RunProgram(QStringLiteral("djpeg"), {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), alone});
        QVERIFY2(djpeg.ok() && djpeg.err.isEmpty(), djpeg.err.constData());
    }
}

QTEST_MAIN(TestPhotoContainers)
#include "tst_photo_containers.moc"
