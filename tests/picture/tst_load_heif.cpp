// Velmora tests — HEIC and AVIF photos: pixels against heif-convert's and avifdec's decodes, Display
// P3 colours against a numeric P3 → sRGB model, the file's own turn and mirror applied once with an
// EXIF orientation beside them that must not count, alpha, camera data carried into a JPEG
// (exiftool), and cut files and a huge claimed size refused; the same files through the loader the
// window uses, the batch and `velmora apply`. Fixtures are made here with heif-enc, avifenc,
// ImageMagick and exiftool.
#include <QtTest>

#include <cmath>

#include <QColorSpace>

#include "batch/batch_files.h"
#include "core/gain_table.h"
#include "io/picture_format.h"
#include "picture/memory_budget.h"
#include "picture/picture_loader.h"
#include "picture/picture_saver.h"
#include "picture/process_setup.h"
#include "support/files.h"
#include "support/image_compare.h"
#include "support/loader_rig.h"
#include "support/tools.h"
#include "support/window_rig.h"
#include "ui/desktop/startup.h"

using namespace velmora;
using namespace velmora::fakes;

Q_DECLARE_METATYPE(velmora::LoadProblem)

namespace {

// Smooth light and saturated patches: what a lossy encoder keeps close and colour conversion moves.
QImage Photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(40 + 170 * x / width, 60 + 150 * y / height, 200 - 120 * (x + y) / (width + height)));
    return image;
}

// Python over a box tree: each named box of `path` rewritten by `edit` (a Python expression over the
// bytearray d and the box's offset o and size s), written to `out`.
const char *kEditBoxes = R"(
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
kind, edit = sys.argv[3], sys.argv[4]
def walk(off, end):
    while off + 8 <= end:
        s, k = struct.unpack('>I4s', d[off:off + 8])
        if s < 8: return
        k = k.decode('latin1')
        if k == kind: exec(edit, {'d': d, 'o': off, 's': s, 'struct': struct})
        if k == 'meta': walk(off + 12, off + s)
        if k in ('iprp', 'ipco'): walk(off + 8, off + s)
        off += s
walk(0, len(d))
open(sys.argv[2], 'wb').write(d)
)";

// Python giving a file's primary picture an nclx 'colr' property (argv[3] "primaries/transfer/matrix",
// full range): the box appended to 'ipco' and associated in 'ipma', the boxes around them grown, and
// the offsets of items stored after them moved on. heif-enc 1.15 writes no nclx box of its own.
const char *kAddNclx = R"(
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
primaries, transfer, matrix = (int(v) for v in sys.argv[3].split('/'))
def boxes(off, end):
    while off + 8 <= end:
        s, k = struct.unpack('>I4s', d[off:off + 8])
        yield k.decode('latin1'), off, s
        off += s
def find(kind, off, end):
    return next(((o, s) for k, o, s in boxes(off, end) if k == kind))
meta = find('meta', 0, len(d))
inner = (meta[0] + 12, sum(meta))
primary = struct.unpack('>H', d[find('pitm', *inner)[0] + 12:][:2])[0]
iprp = find('iprp', *inner)
ipco = find('ipco', iprp[0] + 8, sum(iprp))
ipma = find('ipma', iprp[0] + 8, sum(iprp))
index = len(list(boxes(ipco[0] + 8, sum(ipco)))) + 1
colr = struct.pack('>I4s4sHHHB', 19, b'colr', b'nclx', primaries, transfer, matrix, 0x80)
# The primary's association list in ipma (version 0, 7-bit indices) gets the new property.
at = ipma[0] + 16
for _ in range(struct.unpack('>I', d[ipma[0] + 12:ipma[0] + 16])[0]):
    item, count = struct.unpack('>HB', d[at:at + 3])
    if item == primary:
        d[at + 2] = count + 1
        d[at + 3 + count:at + 3 + count] = bytes([index])
        break
    at += 3 + count
d[sum(ipco):sum(ipco)] = colr
grow = len(colr) + 1
for o, extra in ((meta[0], grow), (iprp[0], grow), (ipco[0], len(colr)), (ipma[0] + len(colr), 1)):
    struct.pack_into('>I', d, o, struct.unpack('>I', d[o:o + 4])[0] + extra)
# Items stored in the file by offset (construction method 0) lie further on now.
o = find('iloc', *inner)[0] + 8
version = d[o]; o += 4
sizes = d[o] >> 4, d[o] & 15, d[o + 1] >> 4, d[o + 1] & 15; o += 2
def read(n):
    global o
    v = int.from_bytes(d[o:o + n], 'big') if n else 0; o += n; return v
def bump(n):
    if n: d[o - n:o] = (int.from_bytes(d[o - n:o], 'big') + grow).to_bytes(n, 'big')
for _ in range(read(2 if version < 2 else 4)):
    read(2 if version < 2 else 4)
    method = read(2) & 15 if version in (1, 2) else 0
    read(2)
    read(sizes[2]); based = sizes[2] > 0
    if method == 0 and based: bump(sizes[2])
    for _ in range(read(2)):
        if version in (1, 2): read(sizes[3])
        read(sizes[0])
        if method == 0 and not based: bump(sizes[0])
        read(sizes[1])
open(sys.argv[2], 'wb').write(d)
)";

bool EditBoxes(const QString &path, const QString &out, const QString &kind, const QString &edit)
{
    const Ran ran = RunPython(QString::fromLatin1(kEditBoxes), {path, out, kind, edit});
    if (!ran.ok())
        qWarning() << ran.err;
    return ran.ok();
}

bool Run(const QString &program, const QStringList &arguments)
{
    const Ran ran = RunProgram(program, arguments);
    if (!ran.ok())
        qWarning() << program << arguments << ran.err;
    return ran.ok();
}

// A PNG decoded by Qt's reader: the reference decoders write PNG.
QImage ReadPng(const QString &path, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(path, "PNG");
    return image.isNull() ? image : image.convertToFormat(format);
}

// The sRGB transfer function and its inverse, on 0..1.
double ToLinear(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double FromLinear(double v) { return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix Inverse(const Matrix &m)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
                       + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
            r[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
        }
    return r;
}

// RGB → XYZ of a colour space with these primaries and white point (CIE xy).
Matrix RgbToXyz(const double xy[4][2])
{
    Matrix p{};
    for (int c = 0; c < 3; ++c) {
        p[0][c] = xy[c][0] / xy[c][1];
        p[1][c] = 1;
        p[2][c] = (1 - xy[c][0] - xy[c][1]) / xy[c][1];
    }
    const double white[3] = {xy[3][0] / xy[3][1], 1, (1 - xy[3][0] - xy[3][1]) / xy[3][1]};
    const Matrix inverse = Inverse(p);
    double scale[3];
    for (int c = 0; c < 3; ++c)
        scale[c] = inverse[c][0] * white[0] + inverse[c][1] * white[1] + inverse[c][2] * white[2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p[r][c] *= scale[c];
    return p;
}

// Display P3 (P3 primaries, D65, the sRGB transfer) to sRGB, clipped: the independent model.
QImage DisplayP3ToSrgb(const QImage &p3)
{
    const double p3xy[4][2] = {{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {0.3127, 0.3290}};
    const double srgbxy[4][2] = {{0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, {0.3127, 0.3290}};
    const Matrix toXyz = RgbToXyz(p3xy), fromXyz = Inverse(RgbToXyz(srgbxy));
    QImage out(p3.size(), QImage::Format_RGB32);
    for (int y = 0; y < p3.height(); ++y)
        for (int x = 0; x < p3.width(); ++x) {
            const QRgb px = p3.pixel(x, y);
            const double lin[3] = {ToLinear(qRed(px) / 255.0), ToLinear(qGreen(px) / 255.0), ToLinear(qBlue(px) / 255.0)};
            double xyz[3], rgb[3];
            for (int r = 0; r < 3; ++r)
                xyz[r] = toXyz[r][0] * lin[0] + toXyz[r][1] * lin[1] + toXyz[r][2] * lin[2];
            for (int r = 0; r < 3; ++r)
                rgb[r] = std::lround(255 * FromLinear(std::clamp(
                                               fromXyz[r][0] * xyz[0] + fromXyz[r][1] * xyz[1] + fromXyz[r][2] * xyz[2], 0.0, 1.0)));
            out.setPixel(x, y, qRgb(int(rgb[0]), int(rgb[1]), int(rgb[2])));
        }
    return out;
}

QString Difference(const QImage &actual, const QImage &expected, int tolerance)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2 against %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    const QImage a = actual.convertToFormat(QImage::Format_RGB32), e = expected.convertToFormat(QImage::Format_RGB32);
    return FirstDifference(reinterpret_cast<const std::uint32_t *>(a.constBits()),
                           reinterpret_cast<const std::uint32_t *>(e.constBits()), a.width(), a.height(), tolerance,
                           a.bytesPerLine() / 4, e.bytesPerLine() / 4);
}

// The colour at the middle of each quadrant (top left, top right, bottom left, bottom right).
QList<QRgb> QuadrantColours(const QImage &image)
{
    const int w = image.width(), h = image.height();
    return {image.pixel(w / 4, h / 4), image.pixel(3 * w / 4, h / 4), image.pixel(w / 4, 3 * h / 4),
            image.pixel(3 * w / 4, 3 * h / 4)};
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class TestLoadHeif : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void likeReferenceDecoders_data();
    void likeReferenceDecoders();
    void displayP3ToSrgb();
    void turnedOnceByTheFile_data();
    void turnedOnceByTheFile();
    void alphaKept();
    void cameraDataIntoJpeg();
    void refused_data();
    void refused();
    void budgetFromTheHeader();
    void everyPath_data();
    void everyPath();
    void inTheWindow();

private:
    // The fixture's path, the reference decode beside it.
    QString fixture(const QString &name) const { return m_folder.path(name); }
    FixtureFolder m_folder;
    QString m_failure; // why initTestCase could not make the fixtures
};

void TestLoadHeif::initTestCase()
{
    ConfigureProcess();
    ConfigureApplication();
    QVERIFY(m_folder.isValid());
    const QString source = fixture("photo.png");
    QVERIFY(Photo(96, 64).save(source));
    // Plain lossy HEIC and AVIF, and a 10-bit AVIF, each with the reference tool's decode.
    QVERIFY(Run("heif-enc", {"-q", "90", source, "-o", fixture("plain.heic")}));
    QVERIFY(Run("heif-convert", {fixture("plain.heic"), fixture("plain.heic.png")}));
    QVERIFY(Run("avifenc", {"-s", "8", "--min", "10", "--max", "20", source, fixture("plain.avif")}));
    QVERIFY(Run("avifdec", {fixture("plain.avif"), fixture("plain.avif.png")}));
    QVERIFY(Run("avifenc", {"-s", "8", "-d", "10", "--min", "10", "--max", "20", source, fixture("deep.avif")}));
    QVERIFY(Run("avifdec", {"-d", "8", fixture("deep.avif"), fixture("deep.avif.png")}));

    // Quadrants of four colours, from a JPEG tagged orientation 6 and carrying EXIF and XMP.
    QVERIFY(Quadrants(64, 48).save(fixture("quadrants.png")));
    QVERIFY(Quadrants(64, 48).save(fixture("quadrants.jpg"), "JPEG", 95));
    QVERIFY(Run("exiftool", {"-q", "-overwrite_original", "-Orientation#=6", "-Artist=Lin Wei", "-XMP-dc:Title=West Lake",
                             fixture("quadrants.jpg")}));
    QVERIFY(Run("heif-enc", {"-q", "95", fixture("quadrants.jpg"), "-o", fixture("tagged.heic")}));
    // Turned a quarter anticlockwise by the file: its 'pixi' property rewritten as an 'irot' of the same size.
    QVERIFY(EditBoxes(fixture("tagged.heic"), fixture("turned.heic"), "pixi",
                      "d[o+4:o+8] = b'irot'; d[o+8:o+s] = bytes([1]) + bytes(s - 9)"));
    const QString exif = fixture("exif.bin");
    QVERIFY(Write(exif, RunProgram("exiftool", {"-b", "-exif", fixture("quadrants.jpg")}).out));
    QVERIFY(Run("avifenc", {"-s", "8", "--min", "5", "--max", "10", "--irot", "1", "--imir", "0", "--exif", exif, fixture("quadrants.png"),
                            fixture("turned.avif")}));

    // The huge claim: every 'ispe' of a small file says 50000 × 50000.
    QVERIFY(Run("heif-enc", {"-q", "50", source, "-o", fixture("small.heic")}));
    QVERIFY(EditBoxes(fixture("small.heic"), fixture("huge.heic"), "ispe",
                      "d[o+12:o+20] = struct.pack('>II', 50000, 50000)"));
    const QByteArray plain = Read(fixture("plain.heic"));
    QVERIFY(Write(fixture("cut.heic"), plain.left(plain.size() * 2 / 3)));
    QVERIFY(Write(fixture("cut-header.heic"), plain.left(200)));
    const QByteArray avif = Read(fixture("plain.avif"));
    QVERIFY(Write(fixture("cut.avif"), avif.left(avif.size() / 2)));
}

void TestLoadHeif::likeReferenceDecoders_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("HEIC against heif-convert") << "plain.heic";
    QTest::newRow("AVIF against avifdec") << "plain.avif";
    QTest::newRow("10-bit AVIF against avifdec") << "deep.avif";
}

void TestLoadHeif::likeReferenceDecoders()
{
    QFETCH(QString, name);
    const LoadedPicture loaded = LoadPicture(fixture(name));
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    QVERIFY(AllOpaque(loaded.image));
    const QString why = Difference(loaded.image, ReadPng(fixture(name + ".png")), 3);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    // Renamed, it is still what its bytes say.
    QVERIFY(QFile::copy(fixture(name), fixture(name + ".jpg")));
    QCOMPARE(LoadPicture(fixture(name + ".jpg")).image, loaded.image);
}

// Lossless RGB samples, so the model starts from exactly what the file holds.
void TestLoadHeif::displayP3ToSrgb()
{
    QImage patches(48, 32, QImage::Format_RGB32);
    const QRgb colours[6] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(230, 180, 150), qRgb(90, 140, 60), qRgb(128, 128, 128)};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            patches.setPixel(x, y, colours[(x / 16) + 3 * (y / 16)]);
    QVERIFY(patches.save(fixture("p3-source.png")));
    const QString p3 = fixture("p3.heic");
    QVERIFY(Run("heif-enc", {"-L", "-p", "chroma=444", "--matrix_coefficients=0", fixture("p3-source.png"), "-o",
                             fixture("p3-untagged.heic")}));
    const Ran tagged = RunPython(QString::fromLatin1(kAddNclx), {fixture("p3-untagged.heic"), p3, "12/13/0"});
    QVERIFY2(tagged.ok(), tagged.err.constData());
    QVERIFY(RunProgram("heif-info", {p3}).out.contains("color profile: nclx"));
    // heif-convert leaves colours as the file holds them.
    QVERIFY(Run("heif-convert", {p3, fixture("p3.png")}));
    const QImage samples = ReadPng(fixture("p3.png"));
    QCOMPARE(Difference(samples, patches, 1), QString()); // what the file holds, unconverted

    const LoadedPicture loaded = LoadPicture(p3);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    const QImage expected = DisplayP3ToSrgb(samples);
    QVERIFY(Difference(expected, samples, 8) != QString()); // the conversion does move these colours
    const QString why = Difference(loaded.image, expected, 2);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestLoadHeif::turnedOnceByTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("mirrored");
    // Both carry EXIF orientation 6 (a quarter clockwise), which must not be applied on top.
    QTest::newRow("HEIC, irot a quarter anticlockwise") << "turned.heic" << false;
    QTest::newRow("AVIF, irot then imir top to bottom") << "turned.avif" << true;
}

void TestLoadHeif::turnedOnceByTheFile()
{
    QFETCH(QString, name);
    QFETCH(bool, mirrored);
    QVERIFY(RunProgram("exiftool", {"-s3", "-n", "-Orientation", fixture(name)}).out.trimmed() == "6");
    // The model: the source turned a quarter anticlockwise, then flipped top to bottom.
    QImage expected = Quadrants(64, 48).transformed(QTransform().rotate(-90));
    if (mirrored)
        expected = expected.mirrored(false, true);
    const LoadedPicture loaded = LoadPicture(fixture(name));
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), QSize(48, 64));
    const QList<QRgb> got = QuadrantColours(loaded.image), want = QuadrantColours(expected);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(Near(got[i], want[i], 40), qPrintable(QStringLiteral("quadrant %1: %2 against %3")
                                                           .arg(i).arg(got[i], 0, 16).arg(want[i], 0, 16)));
}

void TestLoadHeif::alphaKept()
{
    QImage source(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            source.setPixel(x, y, qRgba(200, 120, 60, x < 20 ? 255 : 6 * y));
    QVERIFY(source.save(fixture("alpha.png")));
    QVERIFY(Run("avifenc", {"-s", "8", "-l", fixture("alpha.png"), fixture("alpha.avif")}));
    QVERIFY(Run("avifdec", {fixture("alpha.avif"), fixture("alpha.avif.png")}));
    const QImage reference = ReadPng(fixture("alpha.avif.png"), QImage::Format_ARGB32);
    const LoadedPicture loaded = LoadPicture(fixture("alpha.avif"));
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.format(), QImage::Format_ARGB32);
    QCOMPARE(Alphas(loaded.image), Alphas(reference));
    QCOMPARE(Alphas(loaded.image), Alphas(source));
}

// The HEIC's EXIF and XMP reach a JPEG the window saves, orientation 1 (the pixels stand upright).
void TestLoadHeif::cameraDataIntoJpeg()
{
    const LoadedPicture loaded = LoadPicture(fixture("tagged.heic"));
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), QSize(64, 48)); // EXIF orientation 6 is not the file's turn
    const QString saved = fixture("tagged-saved.jpg");
    const SaveOutcome outcome = SavePicture({loaded.image, saved, PictureFormat::Jpeg, {}, loaded.encoded});
    QVERIFY(outcome.ok());
    QVERIFY(!outcome.cameraDataDropped);
    const QJsonObject tags = ExifToolJson(saved);
    QCOMPARE(tags.value("IFD0:Artist").toString(), QStringLiteral("Lin Wei"));
    QCOMPARE(tags.value("IFD0:Orientation").toInt(), 1);
    QCOMPARE(tags.value("XMP-dc:Title").toString(), QStringLiteral("West Lake"));
}

void TestLoadHeif::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<LoadProblem>("problem");
    QTest::addColumn<QSize>("declared");
    QTest::newRow("HEIC cut in its pixels") << "cut.heic" << LoadProblem::Damaged << QSize();
    QTest::newRow("HEIC cut in its header") << "cut-header.heic" << LoadProblem::Damaged << QSize();
    QTest::newRow("AVIF cut in half") << "cut.avif" << LoadProblem::Damaged << QSize();
    QTest::newRow("64 × 64 claiming 50000 × 50000") << "huge.heic" << LoadProblem::TooLarge << QSize(50000, 50000);
}

void TestLoadHeif::refused()
{
    QFETCH(QString, name);
    QFETCH(LoadProblem, problem);
    QFETCH(QSize, declared);
    const LoadedPicture loaded = LoadPicture(fixture(name));
    QCOMPARE(loaded.problem, problem);
    QVERIFY(loaded.image.isNull());
    QCOMPARE(loaded.declaredSize, declared);
}

// The batch reserves memory by what the header claims, before the photo is decoded.
void TestLoadHeif::budgetFromTheHeader()
{
    const qint64 huge = WholePictureNeeds(QFile::encodeName(fixture("huge.heic")));
    QVERIFY(huge >= qint64{50000} * 50000 * 4);
    const qint64 plain = WholePictureNeeds(QFile::encodeName(fixture("plain.heic")));
    QVERIFY(plain >= 96 * 64 * 4 && plain < 10 * 1024 * 1024);
}

void TestLoadHeif::everyPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reference"); // the expected upright picture, or empty when refused
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<int>("failure"); // FileFailure when refused
    QTest::addColumn<QByteArray>("says"); // what `velmora apply` says of a refused one (C locale)
    QTest::newRow("HEIC") << "plain.heic" << "plain.heic.png" << 6 << int(FileFailure::None) << QByteArray();
    QTest::newRow("AVIF") << "plain.avif" << "plain.avif.png" << 6 << int(FileFailure::None) << QByteArray();
    QTest::newRow("turned HEIC") << "turned.heic" << "" << 0 << int(FileFailure::None) << QByteArray();
    QTest::newRow("cut HEIC") << "cut.heic" << "" << 0 << int(FileFailure::Damaged) << QByteArray("damaged");
    QTest::newRow("huge claim") << "huge.heic" << "" << 0 << int(FileFailure::TooLarge) << QByteArray("too large");
}

// The loader the window uses, the batch's CorrectOneFile and `velmora apply`, each with no
// correction and no format asked for: a HEIF photo becomes a JPEG.
void TestLoadHeif::everyPath()
{
    QFETCH(QString, name);
    QFETCH(QString, reference);
    QFETCH(int, tolerance);
    QFETCH(int, failure);
    QFETCH(QByteArray, says);
    const bool refused = failure != int(FileFailure::None);
    const QImage expected = reference.isEmpty() ? QImage() : ReadPng(fixture(reference));

    const LoadedPicture loaded = LoadPicture(fixture(name));
    QCOMPARE(loaded.problem == LoadProblem::None, !refused);
    if (!expected.isNull()) {
        const QString why = Difference(loaded.image, expected, 3);
        QVERIFY2(why.isEmpty(), qPrintable("window: " + why));
    }

    QTemporaryDir dir;
    const std::string input = QFile::encodeName(fixture(name)).toStdString();
    const std::vector<PlannedFile> plan = PlanOutputs({input}, QFile::encodeName(dir.filePath("batch")).toStdString(),
                                                      std::nullopt, NameClash::Refuse);
    QCOMPARE(plan.size(), std::size_t(1));
    QCOMPARE(plan[0].format, PictureFormat::Jpeg);
    const FileResult result = CorrectOneFile(plan[0], 95, NameClash::Refuse, MakeRowTables(Gains{}), [](long long) {});
    QCOMPARE(int(result.failure), failure);

    const Ran ran = RunVelmora({"apply", "--gains", "0,0,0", "--out", dir.filePath("cli"), fixture(name)},
                               {{"LC_ALL", "LC_MESSAGES", "LANG"}, {}}, 60000);
    QCOMPARE(ran.exit, refused ? 1 : 0);
    const QString stem = QFileInfo(name).completeBaseName();
    if (refused) {
        QVERIFY2(ran.err.contains(name.toUtf8()), ran.err.constData());
        QVERIFY2(ran.err.contains(says), ran.err.constData());
        QVERIFY(!QFile::exists(dir.filePath("cli/" + stem + ".jpg")));
        return;
    }
    for (const QString &output : {dir.filePath("batch/" + stem + ".jpg"), dir.filePath("cli/" + stem + ".jpg")}) {
        QVERIFY2(QFile::exists(output), qPrintable(output));
        // djpeg-independent: ImageMagick reads the JPEG.
        const QImage written = DecodedByImageMagick(output);
        QCOMPARE(written.size(), loaded.image.size());
        if (!expected.isNull()) {
            const QString why = Difference(written, expected, tolerance);
            QVERIFY2(why.isEmpty(), qPrintable(output + ": " + why));
        } else {
            const QList<QRgb> got = QuadrantColours(written), want = QuadrantColours(loaded.image);
            for (int i = 0; i < 4; ++i)
                QVERIFY(Near(got[i], want[i], 12));
        }
    }
}

// The window's 导入客体: a HEIC opens upright in the box; a cut one and the huge claim are refused
// with the window's message, the picture before them kept.
void TestLoadHeif::inTheWindow()
{
    fakes::WindowRig w;
    w.picker.answers.push_back(fixture("turned.heic").toStdString());
    w.button("导入客体")->click();
    QVERIFY(w.messages.shown.empty());
    const QImage shown = w.box("客体图片")->image();
    QCOMPARE(shown.size(), QSize(48, 64));
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), LoadPicture(fixture("turned.heic")).image);

    const QList<std::pair<QString, QString>> refusals{{"cut.heic", ""}, {"huge.heic", "50000 × 50000"}};
    for (const auto &[name, words] : refusals) {
        w.messages.shown.clear();
        w.picker.answers.push_back(fixture(name).toStdString());
        w.button("导入客体")->click();
        QCOMPARE(w.messages.shown.size(), std::size_t(1));
        const QString message = QString::fromStdString(w.messages.shown[0].text);
        QVERIFY2(message.startsWith(QStringLiteral("无法打开图片")) && message.contains(words), qPrintable(message));
        QCOMPARE(w.box("客体图片")->image(), shown);
        QCOMPARE(w.form.targetPath(), fixture("turned.heic").toStdString());
    }
}

QTEST_MAIN(TestLoadHeif)
#include "tst_load_heif.moc"
