// Velmora — the one format table: endings of any case, names, and the launcher's MIME list.
#include <QFile>
#include <QSet>
#include <QTest>

#include "io/picture_format.h"

using namespace velmora;

Q_DECLARE_METATYPE(std::optional<velmora::PictureFormat>)

class TestPictureFormat : public QObject {
    Q_OBJECT

private slots:
    void ofPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<std::optional<PictureFormat>>("any");
        QTest::addColumn<std::optional<PictureFormat>>("written");
        QTest::addColumn<std::optional<PictureFormat>>("kept"); // a corrected copy's format by default
        const std::optional<PictureFormat> none;
        QTest::newRow("jpg") << "a/photo.jpg" << std::optional(PictureFormat::Jpeg) << std::optional(PictureFormat::Jpeg) << std::optional(PictureFormat::Jpeg);
        QTest::newRow("JPEG upper") << "PHOTO.JPEG" << std::optional(PictureFormat::Jpeg) << std::optional(PictureFormat::Jpeg) << std::optional(PictureFormat::Jpeg);
        QTest::newRow("Tif mixed") << "scan.Tif" << std::optional(PictureFormat::Tiff) << std::optional(PictureFormat::Tiff) << std::optional(PictureFormat::Tiff);
        QTest::newRow("tiff") << "scan.tiff" << std::optional(PictureFormat::Tiff) << std::optional(PictureFormat::Tiff) << std::optional(PictureFormat::Tiff);
        QTest::newRow("webp") << "x.WebP" << std::optional(PictureFormat::WebP) << std::optional(PictureFormat::WebP) << std::optional(PictureFormat::WebP);
        QTest::newRow("bmp") << "x.bmp" << std::optional(PictureFormat::Bmp) << std::optional(PictureFormat::Bmp) << std::optional(PictureFormat::Bmp);
        QTest::newRow("gif read only") << "anim.GIF" << std::optional(PictureFormat::Gif) << none << none;
        QTest::newRow("heic") << "IMG_0001.HEIC" << std::optional(PictureFormat::Heif) << none << std::optional(PictureFormat::Jpeg);
        QTest::newRow("heif") << "x.heif" << std::optional(PictureFormat::Heif) << none << std::optional(PictureFormat::Jpeg);
        QTest::newRow("hif, a camera's") << "DSC1.Hif" << std::optional(PictureFormat::Heif) << none << std::optional(PictureFormat::Jpeg);
        QTest::newRow("avif") << "pxl.AVIF" << std::optional(PictureFormat::Avif) << none << std::optional(PictureFormat::Jpeg);
        QTest::newRow("ico read only") << "app.ico" << std::optional(PictureFormat::Ico) << none << none;
        QTest::newRow("two dots") << "shoot.tar.png" << std::optional(PictureFormat::Png) << std::optional(PictureFormat::Png) << std::optional(PictureFormat::Png);
        QTest::newRow("unknown") << "notes.txt" << none << none << none;
        QTest::newRow("no ending") << "README" << none << none << none;
        QTest::newRow("dot in folder only") << "photos.jpg/README" << none << none << none;
        QTest::newRow("hidden file, no ending") << "dir/.jpg" << none << none << none;
        QTest::newRow("ends in a dot") << "photo." << none << none << none;
    }
    void ofPath()
    {
        QFETCH(QString, path);
        QFETCH(std::optional<PictureFormat>, any);
        QFETCH(std::optional<PictureFormat>, written);
        QCOMPARE(FormatOfPath(path.toStdString()), any);
        QCOMPARE(WrittenFormatOfPath(path.toStdString()), written);
        QFETCH(std::optional<PictureFormat>, kept);
        QCOMPARE(KeptFormatOfPath(path.toStdString()), kept);
    }

    // What `velmora apply --format` takes: an ending with or without its dot, any case.
    void ofEnding()
    {
        QCOMPARE(WrittenFormatOfEnding(".JPG"), std::optional(PictureFormat::Jpeg));
        QCOMPARE(WrittenFormatOfEnding("tif"), std::optional(PictureFormat::Tiff));
        QCOMPARE(WrittenFormatOfEnding("gif"), std::nullopt);
        QCOMPARE(WrittenFormatOfEnding(""), std::nullopt);
        QCOMPARE(WrittenFormatOfEnding("."), std::nullopt);
    }

    // Every written format's new files read back as that format.
    void endingsReadBack()
    {
        for (const FormatInfo &f : PictureFormats()) {
            QVERIFY(!f.endings.empty() && !f.mimeTypes.empty());
            QCOMPARE(FormatOfPath("x" + EndingOf(f.format)), std::optional(f.format));
        }
    }

    // A file manager offers "Open with" for exactly the formats the table reads.
    void launcherListsEveryMimeType()
    {
        QFile desktop(QStringLiteral(VELMORA_DESKTOP_FILE));
        QVERIFY(desktop.open(QIODevice::ReadOnly));
        QSet<QString> listed;
        for (const QByteArray &line : desktop.readAll().split('\n'))
            if (line.startsWith("MimeType="))
                for (const QByteArray &type : line.mid(9).split(';'))
                    if (!type.isEmpty())
                        listed << QString::fromLatin1(type);
        QSet<QString> table;
        for (const FormatInfo &f : PictureFormats())
            for (const std::string_view type : f.mimeTypes)
                table << QString::fromLatin1(type.data(), qsizetype(type.size()));
        QCOMPARE(listed, table);
    }
};

QTEST_APPLESS_MAIN(TestPictureFormat)
#include "tst_picture_format.moc"
