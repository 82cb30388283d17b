// Velmora tests — bitmaps decoded from their bytes: every header kind and packing, cut files
// refused, colour fields widened to the full range. Expected pixels come from the values the
// test itself wrote into the file, or from ImageMagick's decode of the same file.
#include <QtTest>

#include "support/files.h"
#include "support/tools.h"

#include <QtEndian>

#include <cmath>
#include <functional>
#include <tuple>

#include "picture/bmp_decoder.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::LoadProblem)

namespace {

constexpr qint64 kLimit = 512LL * 1024 * 1024;

void Put16(QByteArray &b, quint32 v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void Put32(QByteArray &b, quint32 v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// What a test bitmap holds: its header kind, its packing, and the value stored for each pixel
// (a palette index, or the packed bits of a direct-colour pixel).
struct Plan {
    int headerSize = 40;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 24;
    quint32 compression = 0;
    QList<quint32> masks;        // red, green, blue[, alpha]; in the header or just after it
    QList<QRgb> palette;
    quint32 coloursUsed = 0;
    std::function<quint32(int x, int y)> value; // y counts from the top of the picture
    QByteArray runLengthData;                   // stands in for rows when compressed
};

// The bytes before the pixel data.
QByteArray Headers(const Plan &p, qint64 pixelBytes)
{
    const bool core = p.headerSize == 12;
    const qint64 maskBytes = p.headerSize == 40 ? p.masks.size() * 4 : 0;
    const qint64 paletteBytes = p.palette.size() * (core ? 3 : 4);
    const qint64 offset = 14 + p.headerSize + maskBytes + paletteBytes;
    QByteArray b("BM");
    Put32(b, quint32(offset + pixelBytes));
    Put32(b, 0);
    Put32(b, quint32(offset));
    Put32(b, p.headerSize);
    if (core) {
        Put16(b, p.width);
        Put16(b, p.height);
        Put16(b, 1);
        Put16(b, p.bits);
    } else {
        Put32(b, p.width);
        Put32(b, quint32(p.topDown ? -p.height : p.height));
        Put16(b, 1);
        Put16(b, p.bits);
        Put32(b, p.compression);
        Put32(b, quint32(pixelBytes));
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, p.coloursUsed);
        Put32(b, 0);
        for (int i = 0; i < 4 && b.size() < 14 + p.headerSize; ++i)
            Put32(b, i < p.masks.size() ? p.masks[i] : 0);
        while (b.size() < 14 + p.headerSize)
            b.append('\0');
        if (p.headerSize == 40)
            for (quint32 m : p.masks)
                Put32(b, m);
    }
    for (QRgb c : p.palette) {
        b.append(char(qBlue(c)));
        b.append(char(qGreen(c)));
        b.append(char(qRed(c)));
        if (!core)
            b.append('\0');
    }
    return b;
}

QByteArray Rows(const Plan &p)
{
    const int stride = (p.width * p.bits + 31) / 32 * 4;
    QByteArray data(qsizetype(stride) * p.height, '\0');
    for (int row = 0; row < p.height; ++row) {
        const int y = p.topDown ? row : p.height - 1 - row;
        uchar *out = reinterpret_cast<uchar *>(data.data()) + qsizetype(row) * stride;
        for (int x = 0; x < p.width; ++x) {
            const quint32 v = p.value(x, y);
            if (p.bits < 8)
                out[x * p.bits / 8] |= uchar(v << (8 - p.bits - (x * p.bits) % 8));
            else
                for (int i = 0; i < p.bits / 8; ++i)
                    out[x * p.bits / 8 + i] = uchar(v >> (8 * i));
        }
    }
    return data;
}

QByteArray Bitmap(const Plan &p)
{
    const QByteArray pixels = p.runLengthData.isEmpty() ? Rows(p) : p.runLengthData;
    return Headers(p, pixels.size()) + pixels;
}

// The bytes a reader cannot do without: everything up to the last pixel of the last row
// (the padding after it carries nothing).
qint64 Essential(const Plan &p)
{
    const qint64 stride = (p.width * p.bits + 31) / 32 * 4;
    return Headers(p, 0).size() + (p.height - 1) * stride + (qint64{p.width} * p.bits + 7) / 8;
}

QImage Expected(const Plan &p, const std::function<QRgb(quint32)> &colour, QImage::Format format)
{
    QImage image(p.width, p.height, format);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            image.setPixel(x, y, colour(p.value(x, y)));
    return image;
}

QRgb PaletteColour(const Plan &p, quint32 index) { return p.palette.value(index, qRgb(0, 0, 0)); }

// The independent rule for a colour field: v × 255 / max, rounded to nearest.
int Widened(quint32 pixel, quint32 mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const double max = double(mask >> shift);
    return int(std::lround(double((pixel & mask) >> shift) * 255.0 / max));
}

QRgb MaskedColour(quint32 v, const QList<quint32> &m)
{
    return qRgba(Widened(v, m[0]), Widened(v, m[1]), Widened(v, m[2]), m.size() > 3 ? Widened(v, m[3]) : 255);
}

const QList<QRgb> kColours{qRgb(0, 0, 0),     qRgb(255, 255, 255), qRgb(200, 40, 10),  qRgb(10, 200, 60),
                           qRgb(30, 60, 220), qRgb(250, 210, 0),   qRgb(120, 0, 130),  qRgb(0, 140, 140),
                           qRgb(90, 90, 90),  qRgb(255, 128, 64),  qRgb(64, 128, 255), qRgb(1, 2, 3),
                           qRgb(240, 230, 220), qRgb(17, 34, 51),  qRgb(100, 50, 25),  qRgb(5, 250, 5)};

QList<QRgb> Palette(int count)
{
    QList<QRgb> p;
    for (int i = 0; i < count; ++i)
        p << (i < kColours.size() ? kColours[i] : qRgb(i, 255 - i, (i * 7) & 0xFF));
    return p;
}

struct Family {
    Plan plan;
    QImage expected;
    qint64 essential;
};

// One of each header kind and packing, each with the picture it must decode to.
QList<QPair<QByteArray, Family>> Families()
{
    QList<QPair<QByteArray, Family>> out;
    auto indexed = [&](const char *name, int header, int bits, int w, int h, bool topDown, int colours) {
        Plan p;
        p.headerSize = header;
        p.bits = bits;
        p.width = w;
        p.height = h;
        p.topDown = topDown;
        p.palette = Palette(colours);
        p.coloursUsed = header == 12 || colours == (1 << bits) ? 0 : colours;
        p.value = [colours](int x, int y) { return quint32((x * 3 + y * 5) % colours); };
        out.append({name, {p, Expected(p, [p](quint32 v) { return PaletteColour(p, v); }, QImage::Format_RGB32),
                           Essential(p)}});
    };
    auto direct = [&](const char *name, int header, int bits, quint32 compression, QList<quint32> masks,
                      bool topDown, QImage::Format format) {
        Plan p;
        p.headerSize = header;
        p.bits = bits;
        p.compression = compression;
        p.width = 5;
        p.height = 3;
        p.topDown = topDown;
        p.masks = compression == 0 ? QList<quint32>{} : masks;
        p.value = [bits](int x, int y) {
            const quint32 v = quint32(x * 0x9E3779B1u + y * 0x85EBCA77u + 0x1234567u);
            return bits == 32 ? v : v & ((1u << bits) - 1);
        };
        out.append({name, {p, Expected(p, [masks](quint32 v) { return MaskedColour(v, masks); }, format),
                           Essential(p)}});
    };
    {
        Plan p;
        p.headerSize = 12;
        p.width = 3;
        p.height = 2;
        p.value = [](int x, int y) { return quint32(0x102030 * (1 + x + 3 * y)) & 0xFFFFFF; };
        out.append({"core 24-bit", {p, Expected(p, [](quint32 v) { return QRgb(0xFF000000u | v); },
                                                QImage::Format_RGB32), Essential(p)}});
    }
    indexed("core 8-bit", 12, 8, 3, 2, false, 256);
    indexed("core 1-bit", 12, 1, 10, 3, false, 2);
    indexed("1-bit", 40, 1, 9, 3, false, 2);
    indexed("4-bit top-down", 40, 4, 5, 3, true, 16);
    indexed("4-bit 6 colours", 40, 4, 7, 2, false, 6);
    indexed("8-bit 3 colours", 40, 8, 5, 4, false, 3);
    indexed("8-bit v5", 124, 8, 3, 3, false, 256);
    direct("24-bit", 40, 24, 0, {0xFF0000, 0xFF00, 0xFF}, false, QImage::Format_RGB32);
    direct("24-bit top-down v4", 108, 24, 0, {0xFF0000, 0xFF00, 0xFF}, true, QImage::Format_RGB32);
    direct("32-bit alpha bytes ignored", 40, 32, 0, {0xFF0000, 0xFF00, 0xFF}, false, QImage::Format_RGB32);
    direct("16-bit 5-5-5", 40, 16, 0, {0x7C00, 0x03E0, 0x001F}, false, QImage::Format_RGB32);
    direct("16-bit 5-6-5 fields", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, false, QImage::Format_RGB32);
    direct("16-bit 5-6-5 v2", 52, 16, 3, {0xF800, 0x07E0, 0x001F}, true, QImage::Format_RGB32);
    direct("32-bit alpha v3", 56, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, false, QImage::Format_ARGB32);
    direct("32-bit alpha v5", 124, 32, 3, {0xFF00, 0xFF0000, 0xFF000000, 0xFF}, false, QImage::Format_ARGB32);
    direct("16-bit 4-4-4-4 alpha fields", 40, 16, 6, {0x0F00, 0x00F0, 0x000F, 0xF000}, false, QImage::Format_ARGB32);
    return out;
}

// Run-length families: 4 × 3 in 8 bits and 5 × 2 in 4 bits, with the index each pixel gets.
QList<QPair<QByteArray, Family>> RunLengthFamilies()
{
    QList<QPair<QByteArray, Family>> out;
    auto add = [&](const char *name, int bits, int w, int h, QByteArray data, qint64 essentialData,
                   QList<QList<int>> topToBottom) {
        Plan p;
        p.bits = bits;
        p.compression = bits == 8 ? 1 : 2;
        p.width = w;
        p.height = h;
        p.palette = Palette(1 << bits);
        p.value = [topToBottom](int x, int y) { return quint32(topToBottom[y][x]); };
        p.runLengthData = data;
        const qint64 headers = Headers(p, 0).size();
        out.append({name, {p, Expected(p, [p](quint32 v) { return PaletteColour(p, v); }, QImage::Format_RGB32),
                           headers + essentialData}});
    };
    // bottom row: a run of four 1s; middle: literal 2 3 1 and a run of one 2; top: two 3s, two 0s.
    add("RLE8", 8, 4, 3, QByteArray::fromHex("0401 0000 0003 020301 00 0102 0000 0203 0200 0000 0001"), 18,
        {{3, 3, 0, 0}, {2, 3, 1, 2}, {1, 1, 1, 1}});
    // bottom: a run 1 2 1 2 1; top: literal 3 4 5 6 7.
    add("RLE4", 4, 5, 2, QByteArray::fromHex("0512 0000 0005 345670 00 0001"), 9, {{3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}});
    return out;
}

// An 8-bit run-length bitmap as ImageMagick writes it, of a gradient with enough colours to need runs
// and literals.
QByteArray ImageMagickRunLength(int width, int height)
{
    return fakes::ImageMagick({"-size", QStringLiteral("%1x%2").arg(width).arg(height), "gradient:red-blue", "-colors",
                               "200", "-compress", "RLE", "bmp3:-"});
}

bool SamePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size()
           && a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

QString FirstDifference(const QImage &got, const QImage &want)
{
    if (got.size() != want.size())
        return QStringLiteral("size %1x%2, want %3x%4").arg(got.width()).arg(got.height()).arg(want.width()).arg(want.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != want.pixel(x, y))
                return QStringLiteral("(%1,%2) %3, want %4").arg(x).arg(y).arg(got.pixel(x, y), 8, 16).arg(want.pixel(x, y), 8, 16);
    return QStringLiteral("format %1, want %2").arg(got.format()).arg(want.format());
}

QByteArray ReadFixture(const char *name) { return fakes::Read(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name)); }

} // namespace

class TestBmpDecoder : public QObject {
    Q_OBJECT

private slots:
    void wholeAndCut_data();
    void wholeAndCut();
    void everyCutRefused_data();
    void everyCutRefused();
    void agreesWithImageMagick_data();
    void agreesWithImageMagick();
    void toolsOwnBitmaps_data();
    void toolsOwnBitmaps();
    void fieldsWidenToFullRange_data();
    void fieldsWidenToFullRange();
    void alphaFieldLeftEmptyMeansOpaque();
    void refusals_data();
    void refusals();
    void runLength_data();
    void runLength();
    void tooLargeBeforeAllocating_data();
    void tooLargeBeforeAllocating();
};

// Each family whole, whole with bytes after it, cut in the header and cut in the data.
void TestBmpDecoder::wholeAndCut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected"); // null when the file must be refused
    QTest::addColumn<LoadProblem>("problem");
    for (const auto &[name, f] : Families() + RunLengthFamilies()) {
        const QByteArray whole = Bitmap(f.plan);
        QTest::newRow(name + " whole") << whole << f.expected << LoadProblem::None;
        QTest::newRow(name + " with trailer") << whole + QByteArray(3000, '\x5A') << f.expected << LoadProblem::None;
        QTest::newRow(name + " cut in header") << whole.left(14 + f.plan.headerSize / 2) << QImage() << LoadProblem::Damaged;
        QTest::newRow(name + " cut in data") << whole.left(f.essential - 1) << QImage() << LoadProblem::Damaged;
        if (f.plan.bits <= 8 && f.plan.runLengthData.isEmpty()) { // some writers leave the offset 0
            QByteArray noOffset = whole;
            qToLittleEndian<quint32>(0, noOffset.data() + 10);
            QTest::newRow(name + " data offset 0") << noOffset << f.expected << LoadProblem::None;
        }
    }
    QTest::newRow("core 2x2 is 42 bytes") << QByteArray::fromHex("424d2a000000000000001a0000000c0000000200020001001800"
                                                                  "0000ffffffff0000ff000000ff000000")
                                          << QImage() << LoadProblem::None;
}

void TestBmpDecoder::wholeAndCut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(LoadProblem, problem);
    const DecodedPicture got = DecodeBmp(bytes, kLimit);
    QCOMPARE(got.problem, problem);
    if (problem != LoadProblem::None) {
        QVERIFY(got.image.isNull());
        return;
    }
    if (expected.isNull()) { // the 42-byte file: bottom row red, white; top row blue, green
        QCOMPARE(bytes.size(), 42);
        QCOMPARE(got.image.size(), QSize(2, 2));
        QCOMPARE(got.image.pixel(0, 1), qRgb(255, 0, 0));
        QCOMPARE(got.image.pixel(1, 1), qRgb(255, 255, 255));
        QCOMPARE(got.image.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(got.image.pixel(1, 0), qRgb(0, 255, 0));
        return;
    }
    QCOMPARE(got.image.format(), expected.format());
    QVERIFY2(SamePixels(got.image, expected), qPrintable(FirstDifference(got.image, expected)));
}

// No prefix of a file that is missing any pixel may pass for a picture.
void TestBmpDecoder::everyCutRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("essential");
    for (const auto &[name, f] : Families() + RunLengthFamilies())
        QTest::newRow(name) << Bitmap(f.plan) << f.essential;
}

void TestBmpDecoder::everyCutRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, essential);
    for (qint64 n = 0; n < essential; ++n) {
        const DecodedPicture got = DecodeBmp(bytes.left(n), kLimit);
        QVERIFY2(got.problem != LoadProblem::None && got.image.isNull(), qPrintable(QString::number(n)));
    }
    QCOMPARE(DecodeBmp(bytes.left(essential), kLimit).problem, LoadProblem::None);
}

// The project's sample files and the generated families, against ImageMagick's decode.
// ImageMagick widens fields narrower than 8 bits by repeating their bits, which can differ from
// the exact v × 255 / max by one level, and it reads the fourth byte of an uncompressed 32-bit
// pixel as alpha where Qt and this program ignore it; it gives a 52-byte header's pixels alpha 0
// and does not read alpha bit-field files.
void TestBmpDecoder::agreesWithImageMagick_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<bool>("compareAlpha");
    for (const char *name : {"bmp1.bmp", "bmp4.bmp", "bmp8.bmp", "bmp8_rle.bmp", "bmp16.bmp", "bmp24.bmp", "bmp32.bmp"})
        QTest::newRow(name) << ReadFixture(name) << (QByteArray(name) == "bmp16.bmp" ? 1 : 0) << true;
    // ImageMagick runs each row of an 8-bit RLE bitmap to its padded width. (Its reader misreads its
    // own one-pixel-wide file, which Pillow and this decoder read alike, so that width is left out.)
    for (const int width : {123, 17})
        QTest::addRow("ImageMagick RLE8, %d wide", width) << ImageMagickRunLength(width, 7) << 0 << true;
    for (const auto &[name, f] : Families() + RunLengthFamilies())
        if (f.plan.compression != 6)
            QTest::newRow(name) << Bitmap(f.plan) << (f.plan.bits == 16 ? 1 : 0)
                                << !((f.plan.bits == 32 && f.plan.compression == 0) || f.plan.headerSize == 52);
}

// Bitmaps as common tools write them, 13 pixels wide (rows padded unevenly in every depth): each
// depth ImageMagick writes and each mode Pillow writes, read by the tool that wrote it.
void TestBmpDecoder::toolsOwnBitmaps_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("byPillow");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<int>("bits");
    const QByteArray source = fakes::ImageMagick({"-size", "13x7", "xc:", "+noise", "Random", "-seed", "5", "png:-"});
    QVERIFY(!source.isEmpty());
    const QList<std::tuple<const char *, QStringList, int>> imageMagick{
        {"1-bit", {"-type", "Palette", "-colors", "2"}, 1},
        {"4-bit", {"-type", "Palette", "-colors", "16"}, 4},
        {"8-bit", {"-type", "Palette", "-colors", "200"}, 8},
        {"8-bit RLE", {"-type", "Palette", "-colors", "200", "-compress", "RLE"}, 8},
        {"16-bit", {"-define", "bmp:subtype=RGB565"}, 16},
        {"24-bit", {"-type", "TrueColor"}, 24},
        {"32-bit with alpha", {"-alpha", "set", "-channel", "A", "-fx", "(i+j)/20", "+channel", "-type", "TrueColorAlpha"}, 32},
    };
    // The bit fields and alpha need the later header: ImageMagick's BMP3 leaves the masks out.
    for (const auto &[name, options, bits] : imageMagick)
        QTest::addRow("ImageMagick %s", name)
            << fakes::ImageMagick(QStringList{"png:-"} + options + QStringList{bits >= 16 ? "BMP:-" : "BMP3:-"}, source)
            << false << (bits == 16 ? 1 : 0) << bits;
    constexpr const char *kPillow = R"(
import io, sys
from PIL import Image
im = Image.open(io.BytesIO(sys.stdin.buffer.read())).convert('RGB')
if sys.argv[1] == 'RGBA':
    im.putalpha(Image.linear_gradient('L').resize(im.size))
    out = im
elif sys.argv[1] == 'P':
    out = im.quantize(100)
else:
    out = im.convert(sys.argv[1])
b = io.BytesIO(); out.save(b, 'BMP'); sys.stdout.buffer.write(b.getvalue())
)";
    for (const auto &[mode, bits] : QList<std::pair<const char *, int>>{{"1", 1}, {"L", 8}, {"P", 8}, {"RGB", 24}, {"RGBA", 32}}) {
        const fakes::Ran ran = fakes::RunProgram(fakes::kPython, {"-c", kPillow, mode}, source);
        QTest::addRow("Pillow %s", mode) << ran.out << true << 0 << bits;
    }
}

void TestBmpDecoder::toolsOwnBitmaps()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, byPillow);
    QFETCH(int, tolerance);
    QFETCH(int, bits);
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(int(qFromLittleEndian<quint16>(bytes.constData() + 28)), bits);
    const DecodedPicture got = DecodeBmp(bytes, kLimit);
    QCOMPARE(got.problem, LoadProblem::None);
    QCOMPARE(got.image.size(), QSize(13, 7));
    QImage reference;
    if (byPillow) {
        constexpr const char *kDecode = "import io, sys\nfrom PIL import Image\n"
                                        "sys.stdout.buffer.write(Image.open(io.BytesIO(sys.stdin.buffer.read())).convert('RGBA').tobytes())";
        const fakes::Ran ran = fakes::RunProgram(fakes::kPython, {"-c", kDecode}, bytes);
        QCOMPARE(ran.out.size(), qsizetype(13 * 7 * 4));
        reference = QImage(reinterpret_cast<const uchar *>(ran.out.constData()), 13, 7, QImage::Format_RGBA8888)
                        .convertToFormat(QImage::Format_ARGB32);
    } else {
        reference = fakes::DecodedByImageMagickWithAlpha(bytes, QSize(13, 7), QStringLiteral("x.bmp"));
    }
    QVERIFY(!reference.isNull());
    const QImage ours = got.image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y), b = reference.pixel(x, y);
            const int off = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                      std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            QVERIFY2(off <= tolerance, qPrintable(QStringLiteral("(%1,%2) %3, the tool's own %4").arg(x).arg(y).arg(a, 8, 16).arg(b, 8, 16)));
        }
}

void TestBmpDecoder::agreesWithImageMagick()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, tolerance);
    QFETCH(bool, compareAlpha);
    QVERIFY(!bytes.isEmpty());
    const DecodedPicture got = DecodeBmp(bytes, kLimit);
    QCOMPARE(got.problem, LoadProblem::None);
    const QImage reference = fakes::DecodedByImageMagickWithAlpha(bytes, got.image.size(), QStringLiteral("x.bmp"));
    QVERIFY2(!reference.isNull(), "ImageMagick's convert did not read the file");
    const QImage ours = got.image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = reference.pixel(x, y);
            const int off = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                      std::abs(qBlue(a) - qBlue(b)), compareAlpha ? std::abs(qAlpha(a) - qAlpha(b)) : 0});
            QVERIFY2(off <= tolerance, qPrintable(QStringLiteral("(%1,%2) %3, ImageMagick %4").arg(x).arg(y).arg(a, 8, 16).arg(b, 8, 16)));
        }
}

// Each field, whatever its width, reads 0 at 0 and 255 at its maximum, v × 255 / max between.
void TestBmpDecoder::fieldsWidenToFullRange_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<quint32>("compression");
    QTest::addColumn<QList<quint32>>("masks");
    QTest::newRow("5-5-5") << 16 << 0u << QList<quint32>{0x7C00, 0x03E0, 0x001F};
    QTest::newRow("5-6-5") << 16 << 3u << QList<quint32>{0xF800, 0x07E0, 0x001F};
    QTest::newRow("1-2-3") << 16 << 3u << QList<quint32>{0x0020, 0x0018, 0x0007};
    QTest::newRow("4-7-5 high") << 16 << 3u << QList<quint32>{0xF000, 0x0FE0, 0x001F};
    QTest::newRow("6-5-4-1 alpha") << 16 << 6u << QList<quint32>{0xFC00, 0x03E0, 0x001E, 0x0001};
    QTest::newRow("8-7-6") << 32 << 3u << QList<quint32>{0x00FF0000, 0x0000FE00, 0x000001F8};
    QTest::newRow("3-3-2 at the top") << 32 << 3u << QList<quint32>{0xE0000000, 0x1C000000, 0x03000000};
    QTest::newRow("10-10-10 reduced") << 32 << 3u << QList<quint32>{0x3FF00000, 0x000FFC00, 0x000003FF};
    QTest::newRow("16-bit green reduced") << 32 << 3u << QList<quint32>{0x000000FF, 0xFFFF0000, 0x0000FF00};
}

void TestBmpDecoder::fieldsWidenToFullRange()
{
    QFETCH(int, bits);
    QFETCH(quint32, compression);
    QFETCH(QList<quint32>, masks);
    Plan p;
    p.bits = bits;
    p.compression = compression;
    p.masks = compression == 0 ? QList<quint32>{} : masks;
    p.width = 1024;
    p.height = 2;
    // Row 0 steps every field through all its values (to 1024); row 1 holds every field at its maximum.
    p.value = [masks](int x, int y) {
        quint32 v = 0;
        for (quint32 m : masks) {
            int shift = 0;
            while (!((m >> shift) & 1))
                ++shift;
            const quint32 max = m >> shift;
            v |= ((y == 1 ? max : quint32(x) % (max + 1)) << shift) & m;
        }
        return v;
    };
    const DecodedPicture got = DecodeBmp(Bitmap(p), kLimit);
    QCOMPARE(got.problem, LoadProblem::None);
    const QImage expected = Expected(p, [masks](quint32 v) { return MaskedColour(v, masks); },
                                     masks.size() > 3 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QVERIFY2(SamePixels(got.image, expected), qPrintable(FirstDifference(got.image, expected)));
    QCOMPARE(got.image.pixel(0, 1), masks.size() > 3 ? qRgba(255, 255, 255, 255) : qRgb(255, 255, 255));
}

// A writer that declares an alpha field but leaves it zero meant an opaque picture.
void TestBmpDecoder::alphaFieldLeftEmptyMeansOpaque()
{
    Plan p;
    p.headerSize = 124;
    p.bits = 32;
    p.compression = 3;
    p.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    p.width = 3;
    p.height = 2;
    p.value = [](int x, int y) { return quint32(0x00203040 + x * 0x10 + y * 0x1000); };
    const DecodedPicture got = DecodeBmp(Bitmap(p), kLimit);
    QCOMPARE(got.problem, LoadProblem::None);
    QCOMPARE(got.image.format(), QImage::Format_RGB32);
    QCOMPARE(got.image.pixel(2, 1), qRgb(0x20, 0x40, 0x60));
    QCOMPARE(got.image.pixel(0, 0), qRgb(0x20, 0x30, 0x40));
}

void TestBmpDecoder::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");
    Plan p;
    p.bits = 8;
    p.width = 4;
    p.height = 2;
    p.palette = Palette(256);
    p.value = [](int x, int) { return quint32(x); };
    const QByteArray eight = Bitmap(p);
    QTest::newRow("palette past the end") << eight.left(14 + 40 + 600) << LoadProblem::Damaged;
    QByteArray manyColours = eight;
    qToLittleEndian<quint32>(100000, manyColours.data() + 46); // colours used far beyond the file
    qToLittleEndian<quint32>(0, manyColours.data() + 10);
    QTest::newRow("colour count past the end") << manyColours << LoadProblem::Damaged;
    Plan f;
    f.bits = 16;
    f.compression = 3;
    f.masks = {0xF800, 0x07E0, 0x001F};
    f.width = 2;
    f.height = 2;
    f.value = [](int, int) { return 0u; };
    QTest::newRow("bit-field masks past the end") << Bitmap(f).left(14 + 40 + 6) << LoadProblem::Damaged;
    QTest::newRow("sample truncated.bmp") << ReadFixture("truncated.bmp") << LoadProblem::Damaged;
    QTest::newRow("empty file") << QByteArray() << LoadProblem::NotAPicture;
    QTest::newRow("a GIF") << ReadFixture("transparent.gif") << LoadProblem::NotAPicture;
    QTest::newRow("just BM") << QByteArray("BM") << LoadProblem::Damaged;
    auto patched = [&](int at, quint32 value, bool sixteen = false) {
        QByteArray b = eight;
        if (sixteen)
            qToLittleEndian<quint16>(quint16(value), b.data() + at);
        else
            qToLittleEndian<quint32>(value, b.data() + at);
        return b;
    };
    QTest::newRow("64-byte header") << patched(14, 64) << LoadProblem::NotAPicture;
    QTest::newRow("embedded JPEG") << patched(30, 4) << LoadProblem::NotAPicture;
    QTest::newRow("2 bits a pixel") << patched(28, 2, true) << LoadProblem::NotAPicture;
    QTest::newRow("RLE4 on 8 bits") << patched(30, 2) << LoadProblem::NotAPicture;
    QTest::newRow("zero width") << patched(18, 0) << LoadProblem::Damaged;
    QTest::newRow("zero height") << patched(22, 0) << LoadProblem::Damaged;
    QTest::newRow("lowest height") << patched(22, 0x80000000u) << LoadProblem::Damaged;
    QTest::newRow("negative width") << patched(18, quint32(-4)) << LoadProblem::Damaged;
}

void TestBmpDecoder::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    const DecodedPicture got = DecodeBmp(bytes, kLimit);
    QCOMPARE(got.problem, problem);
    QVERIFY(got.image.isNull());
}

// Runs and jumps: where they may go, and what happens where they stop.
void TestBmpDecoder::runLength_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("topToBottom"); // 4 × 3 indexes; empty when refused
    QTest::newRow("jump, then end of picture") << 8 << QByteArray::fromHex("0201 0002 0101 0102 0001")
                                               << QList<int>{0, 0, 0, 0, 0, 0, 0, 2, 1, 1, 0, 0};
    QTest::newRow("all pixels, no end mark") << 8 << QByteArray::fromHex("0401 0000 0402 0000 0403")
                                             << QList<int>{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1};
    QTest::newRow("end mark early") << 8 << QByteArray::fromHex("0401 0001")
                                    << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
    QTest::newRow("stops early") << 8 << QByteArray::fromHex("0401 0000 0402") << QList<int>{};
    // Writers run a row on to its padded width: what falls past the row's end is dropped.
    QTest::newRow("run past the row, clipped") << 8 << QByteArray::fromHex("0501 0001")
                                               << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
    QTest::newRow("literal past the row, clipped") << 8 << QByteArray::fromHex("0201 0003 020302 00 0001")
                                                   << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 3};
    QTest::newRow("jump past the right") << 8 << QByteArray::fromHex("0002 0500 0001") << QList<int>{};
    QTest::newRow("jump past the top") << 8 << QByteArray::fromHex("0002 0004 0001") << QList<int>{};
    QTest::newRow("RLE4 stops early") << 4 << QByteArray::fromHex("0412 0000 0434") << QList<int>{};
    QTest::newRow("RLE4 run past the row, clipped") << 4 << QByteArray::fromHex("0512 0001")
                                                    << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 1, 2};
    QTest::newRow("RLE4 literal cut") << 4 << QByteArray::fromHex("0412 0000 0412 0000 000412") << QList<int>{};
}

void TestBmpDecoder::runLength()
{
    QFETCH(int, bits);
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, topToBottom);
    Plan p;
    p.bits = bits;
    p.compression = bits == 8 ? 1 : 2;
    p.width = 4;
    p.height = 3;
    p.palette = Palette(16);
    p.runLengthData = data;
    const DecodedPicture got = DecodeBmp(Bitmap(p), kLimit);
    if (topToBottom.isEmpty()) {
        QCOMPARE(got.problem, LoadProblem::Damaged);
        QVERIFY(got.image.isNull());
        return;
    }
    QCOMPARE(got.problem, LoadProblem::None);
    p.value = [topToBottom](int x, int y) { return quint32(topToBottom[y * 4 + x]); };
    const QImage expected = Expected(p, [p](quint32 v) { return PaletteColour(p, v); }, QImage::Format_RGB32);
    QVERIFY2(SamePixels(got.image, expected), qPrintable(FirstDifference(got.image, expected)));
}

// A small file that claims a huge picture is refused with the size it claims, before any pixel
// memory is taken; sizes near the integer limits neither overflow nor crash.
void TestBmpDecoder::tooLargeBeforeAllocating_data()
{
    QTest::addColumn<qint32>("width");
    QTest::addColumn<qint32>("height");
    QTest::addColumn<QSize>("declared");
    QTest::newRow("30000 x 30000") << 30000 << 30000 << QSize(30000, 30000);
    QTest::newRow("top-down 30000 x 30000") << 30000 << -30000 << QSize(30000, 30000);
    QTest::newRow("largest sides") << INT_MAX << INT_MAX << QSize(INT_MAX, INT_MAX);
    QTest::newRow("just over") << 8193 << 16384 << QSize(8193, 16384);
}

void TestBmpDecoder::tooLargeBeforeAllocating()
{
    QFETCH(qint32, width);
    QFETCH(qint32, height);
    QFETCH(QSize, declared);
    Plan p;
    p.width = 1;
    p.height = 1;
    p.value = [](int, int) { return 0u; };
    QByteArray bytes = Bitmap(p);
    qToLittleEndian<qint32>(width, bytes.data() + 18);
    qToLittleEndian<qint32>(height, bytes.data() + 22);
    const DecodedPicture got = DecodeBmp(bytes, kLimit);
    QCOMPARE(got.problem, LoadProblem::TooLarge);
    QCOMPARE(got.declaredSize, declared);
    QVERIFY(got.image.isNull());
    // Exactly at the limit is allowed: it is refused only as short data.
    qToLittleEndian<qint32>(8192, bytes.data() + 18);
    qToLittleEndian<qint32>(16384, bytes.data() + 22);
    QCOMPARE(DecodeBmp(bytes, kLimit).problem, LoadProblem::Damaged);
}

QTEST_GUILESS_MAIN(TestBmpDecoder)
#include "tst_bmp_decoder.moc"
