// Velmora tests — reading the pictures users have, and writing bitmaps that lose nothing.
#include <QtTest>

#include "support/files.h"

#include "support/file_size_limit.h"

#include <csignal>

#include "ui/widgets/picture_box.h"
#include "picture/picture_loader.h"
#include "picture/picture_saver.h"
#include "io/bitmap_rows.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/window/window_texts.h"

using namespace velmora;
using fakes::Read;

namespace {

QString Data(const char *name) { return QStringLiteral(TEST_DATA_DIR "/") + QString::fromUtf8(name); }

bool Near(QRgb a, QColor b, int tolerance)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance
           && std::abs(qBlue(a) - b.blue()) <= tolerance;
}

QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) % 256));
    return image;
}

quint32 Le32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 Le16(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

} // namespace

class TestPictureFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void formats_data();
    void formats();
    void transparentOverBackground();
    void failures_data();
    void failures();
    void largePhotoOpens_data();
    void largePhotoOpens();
    void savedBitmapRoundTrip_data();
    void savedBitmapRoundTrip();
    void packedRowHoldsEachPixel_data();
    void packedRowHoldsEachPixel();
    void failedSaveKeepsExistingFile();
    void saveIntoMissingFolder();
};

void TestPictureFiles::formats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("tolerance");
    const auto row = [](const char *file, QSize s, QPoint at, QColor c, int tolerance) {
        QTest::newRow(file) << Data(file) << s << at << c << tolerance;
    };
    row("bmp24.bmp", {8, 6}, {7, 5}, QColor(180, 75, 59), 0);
    row("bmp32.bmp", {8, 6}, {7, 5}, QColor(180, 75, 59), 0);
    row("bmp16.bmp", {8, 6}, {7, 5}, QColor(180, 75, 59), 8);
    row("bmp8.bmp", {8, 6}, {3, 1}, QColor(100, 175, 27), 0);
    row("bmp4.bmp", {8, 6}, {3, 2}, QColor(100, 200, 0), 0);
    row("bmp8_rle.bmp", {8, 6}, {5, 3}, QColor(140, 175, 45), 0);
    row("bmp1.bmp", {8, 6}, {1, 4}, QColor(255, 255, 255), 0);
    row("progressive.jpg", {8, 6}, {0, 0}, QColor(40, 200, 0), 60);
    row("cmyk.jpg", {8, 6}, {0, 0}, QColor(40, 200, 0), 60);
    // Stored on its side with an orientation tag: shown upright, the blue point back at the top left.
    row("exif_rotated.jpg", {8, 6}, {0, 0}, QColor(0, 0, 255), 90);
    row("anim.gif", {8, 6}, {4, 3}, QColor(10, 200, 10), 0);
    row("icons.ico", {48, 48}, {20, 20}, QColor(200, 0, 0), 0);
}

void TestPictureFiles::formats()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    QFETCH(int, tolerance);
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), size);
    const QRgb p = loaded.image.pixel(at);
    QVERIFY2(Near(p, colour, tolerance), qPrintable(QColor(p).name()));
}

void TestPictureFiles::transparentOverBackground()
{
    PictureBox box(PictureBox::Border::Sunken);
    box.setPicture(LoadPicture(Data("transparent.gif")).image);
    QCOMPARE(box.image().format(), QImage::Format_RGB32);
    QCOMPARE(QColor(box.image().pixel(0, 0)), box.palette().color(QPalette::Window));
    QCOMPARE(QColor(box.image().pixel(1, 1)), QColor(255, 0, 0));
}

void TestPictureFiles::failures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a picture") << Data("garbage.jpg") << "不是可识别的图片格式";
    QTest::newRow("truncated bitmap") << Data("truncated.bmp") << "图片数据已损坏或不完整";
    QTest::newRow("empty file") << Data("empty.bmp") << "不是可识别的图片格式";
    QTest::newRow("missing file") << Data("no such picture.jpg") << "文件不存在或无法读取";
    QTest::newRow("truncated photo") << Data("truncated.jpg") << "图片数据已损坏或不完整";
    QTest::newRow("beyond the memory limit") << Data("huge_header.jpg") << "图片太大（60000 × 60000 像素）";
}

void TestPictureFiles::failures()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    const LoadedPicture loaded = LoadPicture(file);
    QVERIFY(loaded.image.isNull());
    const QString text = text::LoadProblemText(loaded.problem, loaded.declaredSize, PictureMemoryLimit() >> 20);
    QVERIFY2(text.startsWith(reason), qPrintable(text));
}

void TestPictureFiles::largePhotoOpens_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("bitmap") << QByteArray("BMP");
    QTest::newRow("jpeg") << QByteArray("JPG");
}

// Qt's readers refuse pictures over 128 MB by default, about 33 megapixels.
void TestPictureFiles::largePhotoOpens()
{
    QFETCH(QByteArray, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.") + QString::fromLatin1(format).toLower());
    {
        QImage large(7300, 5500, QImage::Format_RGB32);
        large.fill(qRgb(210, 180, 170));
        QVERIFY(large.save(path, format.constData(), 50));
    }
    const LoadedPicture loaded = LoadPicture(path);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), QSize(7300, 5500));
    QVERIFY(Near(loaded.image.pixel(7299, 5499), QColor(210, 180, 170), 4));
}

void TestPictureFiles::savedBitmapRoundTrip_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("rows padded") << QSize(5, 3);
    QTest::newRow("rows aligned") << QSize(4, 2);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("wide") << QSize(1001, 7);
    QTest::newRow("sixteen wide") << QSize(16, 2);
    QTest::newRow("seventeen wide") << QSize(17, 2);
}

// A 24-bit uncompressed bottom-up bitmap that reads back pixel for pixel.
void TestPictureFiles::savedBitmapRoundTrip()
{
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.bmp"));
    const QImage image = Pattern(size.width(), size.height());
    QVERIFY(SaveBitmap(image, path).ok());

    const QByteArray bytes = Read(path);
    const int rowBytes = (size.width() * 3 + 3) & ~3;
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(Le32(bytes, 2), quint32(bytes.size()));
    QCOMPARE(Le32(bytes, 10), 54u);
    QCOMPARE(Le32(bytes, 14), 40u);
    QCOMPARE(int(Le32(bytes, 18)), size.width());
    QCOMPARE(int(Le32(bytes, 22)), size.height()); // positive: bottom-up
    QCOMPARE(Le16(bytes, 28), quint16(24));
    QCOMPARE(Le32(bytes, 30), 0u); // uncompressed
    QCOMPARE(bytes.size(), 54 + rowBytes * size.height());
    // The first stored row is the bottom one, blue first.
    const QRgb bottomLeft = image.pixel(0, size.height() - 1);
    QCOMPARE(quint8(bytes[54]), quint8(qBlue(bottomLeft)));
    QCOMPARE(quint8(bytes[56]), quint8(qRed(bottomLeft)));

    const QImage back(path);
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), image);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.bmp"});
}

void TestPictureFiles::packedRowHoldsEachPixel_data()
{
    QTest::addColumn<int>("width");
    for (int width : {1, 3, 4, 5, 15, 16, 17, 31, 32, 33, 47, 48, 49, 1001})
        QTest::newRow(qPrintable(QStringLiteral("%1 wide").arg(width))) << width;
}

// Every pixel's own blue, green and red, whatever its fourth byte holds, and not a byte beyond.
void TestPictureFiles::packedRowHoldsEachPixel()
{
    QFETCH(int, width);
    QRandomGenerator random(width);
    std::vector<quint32> pixels(static_cast<size_t>(width));
    for (quint32 &p : pixels)
        p = random.generate();
    constexpr quint8 kUntouched = 0xA5;
    std::vector<quint8> out(static_cast<size_t>(width) * 3 + 16, kUntouched);
    PackBitmapRow(pixels.data(), width, out.data());
    for (int x = 0; x < width; ++x) {
        const quint32 p = pixels[size_t(x)];
        const quint8 *bgr = out.data() + 3 * x;
        QVERIFY2(bgr[0] == quint8(p) && bgr[1] == quint8(p >> 8) && bgr[2] == quint8(p >> 16),
                 qPrintable(QStringLiteral("pixel %1").arg(x)));
    }
    for (size_t i = size_t(width) * 3; i < out.size(); ++i)
        QCOMPARE(out[i], kUntouched);
}

// A save that cannot complete leaves the earlier file as it was, and no half-written file beside it.
void TestPictureFiles::failedSaveKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.bmp"));
    QVERIFY(SaveBitmap(Pattern(10, 10), path).ok());
    const QByteArray before = Read(path);

    SaveOutcome failure;
    {
        const fakes::FileSizeLimit limit(64 * 1024);
        failure = SaveBitmap(Pattern(400, 300), path);
    }
    QCOMPARE(int(failure.problem), int(SaveProblem::FileSizeLimit));
    QCOMPARE(Read(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.bmp"});
}

void TestPictureFiles::saveIntoMissingFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/photo.bmp"));
    QCOMPARE(int(SaveBitmap(Pattern(3, 3), path).problem), int(SaveProblem::NoFolder));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestPictureFiles)
#include "tst_picture_files.moc"
