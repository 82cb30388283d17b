// Velmora tests — the loader's verdict on files: what it opens, what it refuses, how much memory a
// load takes and what colours come out. Fixtures are made here; pixels are checked against
// ImageMagick's decoding of the same file or a model made from the samples written, never against
// our own earlier output.
#include <QtTest>

#include "support/files.h"
#include "support/image_compare.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QColorSpace>
#include <QImageReader>

#include "picture/jpeg_decoder.h"
#include "picture/picture_loader.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;
using fakes::Read;
using fakes::Write;

Q_DECLARE_METATYPE(velmora::LoadProblem)
Q_DECLARE_METATYPE(velmora::LoadWarning)

namespace {

constexpr const char *kAdobeRgb = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";
constexpr const char *kSrgb = "/usr/share/color/icc/sRGB.icc";
constexpr const char *kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
// Debian's own Python with PIL; a pyenv shim may stand first in PATH.
constexpr const char *kPython = "/usr/bin/python3";

// PIL's plain CMYK JPEGs (no YCC step, Adobe marker) of a CMYK JPEG: one with the same inks, and
// one with every value turned over, so that once the Adobe marker is gone it stores ink amounts.
constexpr const char *kPlainCmyk = R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
icc = im.info['icc_profile']
im.save(sys.argv[2], quality=95, subsampling=0, icc_profile=icc)
Image.eval(im, lambda v: 255 - v).save(sys.argv[3], quality=95, subsampling=0, icc_profile=icc)
)";

QString Data(const char *name) { return QStringLiteral(TEST_DATA_DIR "/") + QString::fromUtf8(name); }

QByteArray Encode(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Blocks of colour large enough that JPEG keeps them, and different in every corner, so a wrong
// turn or mirror shows.
QImage Quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(220, 40, 40), qRgb(40, 200, 40), qRgb(40, 40, 220), qRgb(230, 230, 60)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x >= width / 2) + 2 * (y >= height / 2)]);
    return image;
}

QImage Noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, state >> 8);
        }
    return image;
}

// A JPEG marker segment: FF, marker, big-endian length (which counts itself), payload.
QByteArray Segment(quint8 marker, const QByteArray &payload)
{
    const int length = payload.size() + 2;
    QByteArray s;
    s += char(0xFF);
    s += char(marker);
    s += char(length >> 8);
    s += char(length & 0xFF);
    return s + payload;
}

QByteArray AfterStart(const QByteArray &jpeg, const QByteArray &inserted) { return jpeg.left(2) + inserted + jpeg.mid(2); }

// The JPEG without the header segments of `marker` whose payload starts with `prefix`.
QByteArray WithoutSegments(const QByteArray &jpeg, quint8 marker, const QByteArray &prefix)
{
    QByteArray kept = jpeg.left(2);
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && quint8(jpeg[at]) == 0xFF && quint8(jpeg[at + 1]) != 0xDA) {
        const qsizetype length = (quint8(jpeg[at + 2]) << 8 | quint8(jpeg[at + 3])) + 2;
        if (quint8(jpeg[at + 1]) != marker || !jpeg.mid(at + 4, prefix.size()).startsWith(prefix))
            kept += jpeg.mid(at, length);
        at += length;
    }
    return kept + jpeg.mid(at);
}

const QByteArray kIccName("ICC_PROFILE\0", 12);

// A profile as numbered APP2 pieces, as large as a segment allows.
QByteArray IccSegments(const QByteArray &profile)
{
    constexpr int kPiece = 65533 - 14; // the name and the two numbers come first
    const int count = int((profile.size() + kPiece - 1) / kPiece);
    QByteArray segments;
    for (int i = 0; i < count; ++i)
        segments += Segment(0xE2, kIccName + char(i + 1) + char(count) + profile.mid(qsizetype(i) * kPiece, kPiece));
    return segments;
}

// The JPEG carrying `profile` (none if empty) in place of its own.
QByteArray WithProfile(const QByteArray &jpeg, const QByteArray &profile)
{
    const QByteArray bare = WithoutSegments(jpeg, 0xE2, kIccName);
    return profile.isEmpty() ? bare : AfterStart(bare, IccSegments(profile));
}

// An EXIF APP1 payload holding only the orientation, big-endian.
QByteArray ExifOrientation(int orientation)
{
    QByteArray p("Exif\0\0MM\0\x2A\0\0\0\x08\0\x01", 16);
    p += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);
    p += char(0);
    p += char(orientation);
    p += QByteArray("\0\0\0\0\0\0", 6);
    return p;
}

// Rewrites the width and height a JPEG's frame header claims.
QByteArray ClaimSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype at = 2; at + 9 < jpeg.size(); ++at) {
        const quint8 marker = quint8(jpeg[at + 1]);
        if (quint8(jpeg[at]) == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)) {
            jpeg[at + 5] = char(height >> 8);
            jpeg[at + 6] = char(height & 0xFF);
            jpeg[at + 7] = char(width >> 8);
            jpeg[at + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

// ImageMagick's decoding of a file, with its own arguments (turn, colour conversion).
QImage Reference(const QString &path, const QStringList &arguments = {})
{
    QProcess convert;
    convert.start(QStringLiteral("convert"), QStringList{path} + arguments + QStringList{"-depth", "8", "ppm:-"});
    if (!convert.waitForFinished(30000) || convert.exitCode() != 0)
        return {};
    return QImage::fromData(convert.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
}

// ImageMagick run with `input` on its standard input; its standard output, empty on failure.
QByteArray Convert(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess convert;
    convert.start(QStringLiteral("convert"), arguments);
    convert.write(input);
    convert.closeWriteChannel();
    if (!convert.waitForFinished(30000) || convert.exitCode() != 0)
        return {};
    return convert.readAllStandardOutput();
}

bool Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Format_RGB32 promises 0xFF in every fourth byte; pixel() hides what is really there.
bool AllOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[4 * x + 3] != 0xFF)
                return false;
    }
    return true;
}

int MaxDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

quint32 Crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray PngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    chunk += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc32(type + data), crc.data());
    return chunk + crc;
}

// ImageMagick's samples of a file at its own depth (8 or 16 bits), turned upright, 16-bit ones rounded
// to 8 bits as v × 255 / 65535: the model the picture must match. ARGB32, opaque where the file has no
// alpha.
QImage SampleModel(const QString &path, int depth)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"), {path, "-auto-orient", "-depth", QString::number(depth), "-endian", "LSB",
                                              "-format", "%w %h\n", "-write", "info:-", "rgba:-"});
    if (!convert.waitForFinished(30000) || convert.exitCode() != 0)
        return {};
    const QByteArray out = convert.readAllStandardOutput();
    const qsizetype newline = out.indexOf('\n');
    const QList<QByteArray> size = out.left(newline).split(' ');
    if (size.size() != 2)
        return {};
    QImage model(size[0].toInt(), size[1].toInt(), QImage::Format_ARGB32);
    const QByteArray samples = out.mid(newline + 1);
    const int sampleBytes = depth / 8;
    if (model.isNull() || samples.size() != qsizetype(model.width()) * model.height() * 4 * sampleBytes)
        return {};
    const auto round = [&](qsizetype i) {
        if (depth == 8)
            return int(quint8(samples[i]));
        return int(std::lround(qFromLittleEndian<quint16>(samples.constData() + 2 * i) * 255.0 / 65535.0));
    };
    for (int y = 0; y < model.height(); ++y)
        for (int x = 0; x < model.width(); ++x) {
            const qsizetype at = (qsizetype(y) * model.width() + x) * 4;
            model.setPixel(x, y, qRgba(round(at), round(at + 1), round(at + 2), round(at + 3)));
        }
    return model;
}

// An uncompressed TIFF of 8- or 16-bit samples written byte by byte, little-endian, its directory
// before its pixels so that a cut anywhere in the pixels leaves the directory whole. The directory
// claims width × height pixels of `spp` samples; `samples` may hold fewer.
QByteArray UncompressedTiff(quint32 width, quint32 height, quint16 spp, const QList<quint16> &samples,
                            quint16 orientation = 1, quint16 bits = 16)
{
    struct Entry {
        quint16 tag, type;
        quint32 count, value;
    };
    constexpr quint16 kShort = 3, kLong = 4;
    const quint32 dataBytes = width * height * spp * (bits / 8);
    QList<Entry> entries{{256, kLong, 1, width},   {257, kLong, 1, height},    {258, kShort, spp, 0},
                         {259, kShort, 1, 1},      {262, kShort, 1, spp >= 3 ? 2u : 1u},
                         {273, kLong, 1, 0},       {274, kShort, 1, orientation},
                         {277, kShort, 1, spp},    {278, kLong, 1, height},    {279, kLong, 1, dataBytes}};
    if (spp == 4)
        entries.append({338, kShort, 1, 2}); // unassociated alpha
    const quint32 bitsAt = 8 + 2 + 12 * quint32(entries.size()) + 4;
    const quint32 dataAt = bitsAt + 2 * spp;
    for (Entry &e : entries) {
        if (e.tag == 258)
            e.value = spp == 1 ? bits : spp == 2 ? (bits | quint32{bits} << 16) : bitsAt;
        if (e.tag == 273)
            e.value = dataAt;
    }
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    const auto put16 = [&](quint16 v) { bytes += char(v & 0xFF); bytes += char(v >> 8); };
    const auto put32 = [&](quint32 v) { put16(quint16(v & 0xFFFF)); put16(quint16(v >> 16)); };
    put16(quint16(entries.size()));
    for (const Entry &e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(e.count);
        put32(e.value);
    }
    put32(0); // no further directory
    for (int i = 0; i < spp; ++i)
        put16(bits);
    for (const quint16 v : samples) {
        if (bits == 8)
            bytes += char(v);
        else
            put16(v);
    }
    return bytes;
}

QByteArray BigEndian32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(v, b.data());
    return b;
}

// A small picture's 16-bit samples and the PNG that holds them, written here byte by byte (zlib
// through qCompress) so that the fixture owes nothing to the decoders under test.
struct DeepPicture {
    int width = 0;
    int height = 0;
    int colourType = 2; // PNG's: 0 grey, 2 RGB, 4 grey and alpha, 6 RGBA
    QList<quint16> samples; // row by row, then channel by channel
    QList<quint16> transparent; // the tRNS colour (one value for grey, three for RGB), if any

    int channels() const { return colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4; }
    quint16 at(int x, int y, int c) const { return samples[(qsizetype(y) * width + x) * channels() + c]; }
    // Red, green, blue and alpha at 16 bits, as the file means them.
    std::array<quint16, 4> rgba(int x, int y) const
    {
        const bool grey = colourType == 0 || colourType == 4;
        const quint16 r = at(x, y, 0), g = grey ? r : at(x, y, 1), b = grey ? r : at(x, y, 2);
        quint16 a = 65535;
        if (colourType == 4 || colourType == 6)
            a = at(x, y, channels() - 1);
        else if (!transparent.isEmpty() && (grey ? transparent[0] == r : transparent == QList<quint16>{r, g, b}))
            a = 0;
        return {r, g, b, a};
    }
};

// Edge cases of the rounding first, then a spread of values.
DeepPicture MakeDeep(int width, int height, int colourType)
{
    static const quint16 edges[] = {0, 127, 128, 257 * 100 + 128, 257 * 100 + 129, 0x7FFF, 0x8080, 65407, 65535};
    DeepPicture p{width, height, colourType, {}, {}};
    quint32 state = 2024;
    for (qsizetype i = 0; i < qsizetype(width) * height * p.channels(); ++i) {
        state = state * 1664525u + 1013904223u;
        p.samples.append(i < qsizetype(std::size(edges)) ? edges[i] : quint16(state >> 16));
    }
    return p;
}

// The rows as stored: each with filter byte 0, big-endian samples; the seven passes when interlaced.
QByteArray StoredRows(const DeepPicture &p, bool interlaced)
{
    QByteArray raw;
    const auto row = [&](int y, int x0, int dx) {
        raw += char(0);
        for (int x = x0; x < p.width; x += dx)
            for (int c = 0; c < p.channels(); ++c) {
                raw += char(p.at(x, y, c) >> 8);
                raw += char(p.at(x, y, c) & 0xFF);
            }
    };
    if (!interlaced) {
        for (int y = 0; y < p.height; ++y)
            row(y, 0, 1);
        return raw;
    }
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto &pass : passes)
        if (pass[0] < p.width) // a pass with no columns has no rows either
            for (int y = pass[1]; y < p.height; y += pass[3])
                row(y, pass[0], pass[2]);
    return raw;
}

const QByteArray kPngSignature("\x89PNG\r\n\x1A\n");

QByteArray Ihdr(const DeepPicture &p, bool interlaced)
{
    return PngChunk("IHDR", BigEndian32(quint32(p.width)) + BigEndian32(quint32(p.height)) + char(16)
                                + char(p.colourType) + char(0) + char(0) + char(interlaced ? 1 : 0));
}

// `extra` goes between the header and the data (colour chunks); `idat` replaces the data chunk.
QByteArray DeepPng(const DeepPicture &p, bool interlaced, const QByteArray &extra = {}, QByteArray idat = {})
{
    QByteArray trns;
    for (const quint16 v : p.transparent)
        trns += char(v >> 8) + QByteArray(1, char(v & 0xFF));
    if (idat.isEmpty())
        idat = PngChunk("IDAT", qCompress(StoredRows(p, interlaced)).mid(4));
    return kPngSignature + Ihdr(p, interlaced) + extra + (trns.isEmpty() ? QByteArray() : PngChunk("tRNS", trns))
           + idat + PngChunk("IEND", {});
}

// What the loader must make of it: each channel v × 255 / 65535 rounded, in 32 bits.
QImage DeepModel(const DeepPicture &p)
{
    const bool alpha = p.colourType == 4 || p.colourType == 6 || !p.transparent.isEmpty();
    QImage model(p.width, p.height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const auto round = [](quint16 v) { return int(std::lround(v * 255.0 / 65535.0)); };
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const auto [r, g, b, a] = p.rgba(x, y);
            model.setPixel(x, y, qRgba(round(r), round(g), round(b), round(a)));
        }
    return model;
}

// The samples as ImageMagick should read them back: red, green, blue, alpha, 16 bits big-endian.
QByteArray DeepRgba(const DeepPicture &p)
{
    QByteArray out;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            for (const quint16 v : p.rgba(x, y))
                out += char(v >> 8) + QByteArray(1, char(v & 0xFF));
    return out;
}

// The alpha of every pixel, row by row: the shared comparison looks at colour only.
QByteArray Alphas(const QImage &image)
{
    QByteArray out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out += char(qAlpha(image.pixel(x, y)));
    return out;
}

// Sets the loader's memory limit for one test and puts the old one back.
class MemoryLimit {
public:
    explicit MemoryLimit(int megabytes) : m_saved(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(megabytes);
    }
    ~MemoryLimit() { QImageReader::setAllocationLimit(m_saved); }

private:
    int m_saved;
};

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void notAFile_data();
    void notAFile();
    void rewrittenWhileLoading_data();
    void rewrittenWhileLoading();
    void jpegVerdict_data();
    void jpegVerdict();
    void exifTurn_data();
    void exifTurn();
    void twoDecoders_data();
    void twoDecoders();
    void twoDecodersDamaged_data();
    void twoDecodersDamaged();
    void cmykJpeg();
    void cmykProfile_data();
    void cmykProfile();
    void memoryRefusal_data();
    void memoryRefusal();
    void profileToSrgb_data();
    void profileToSrgb();
    void brokenProfile_data();
    void brokenProfile();
    void sixteenBitsRounded_data();
    void sixteenBitsRounded();
    void directTiff_data();
    void directTiff();
    void directTiffDamaged_data();
    void directTiffDamaged();
    void sixteenBitPng_data();
    void sixteenBitPng();
    void sixteenBitVerdict_data();
    void sixteenBitVerdict();
    void sixteenBitColourSpace_data();
    void sixteenBitColourSpace();
    void reloadReusesMemoryOnlyWhenFree();
    void nameInAnyEncoding();
    void fileBytesKept_data();
    void fileBytesKept();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString fixture(const QString &name, const QByteArray &bytes) const
    {
        const QString file = path(name);
        return Write(file, bytes) ? file : QString();
    }
};

void TestPictureLoader::initTestCase()
{
    ConfigureProcess(); ConfigureApplication();
    // The size limits below assume the largest limit the program ever sets.
    QImageReader::setAllocationLimit(2047);
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFile::exists(kAdobeRgb), "icc-profiles-free is needed for the colour tests");
}

void TestPictureLoader::notAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO named like a picture") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("device") << "device";
}

// A FIFO with no writer would block a plain open or read for good; the load must come back at once.
void TestPictureLoader::notAFile()
{
    QFETCH(QString, kind);
    QString target;
    if (kind == "fifo") {
        target = path("waiting.bmp");
        QVERIFY(::mkfifo(QFile::encodeName(target).constData(), 0600) == 0);
    } else if (kind == "folder") {
        target = path("folder.jpg");
        QVERIFY(QDir().mkpath(target));
    } else {
        target = QStringLiteral("/dev/zero");
    }
    auto load = std::async(std::launch::async, [target] { return LoadPicture(target); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Free the stuck reader before failing, so the test program can end.
        const int writer = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        QFAIL("the load blocked");
    }
    const LoadedPicture loaded = load.get();
    QCOMPARE(loaded.problem, LoadProblem::NotAFile);
    QVERIFY(loaded.image.isNull());
}

void TestPictureLoader::rewrittenWhileLoading_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("jpeg") << QByteArray("JPG");
    QTest::newRow("bitmap") << QByteArray("BMP");
    QTest::newRow("png") << QByteArray("PNG");
}

// Another program rewrites the file in place over and over while we load it: every load is
// either refused or one whole version, never rows of both.
void TestPictureLoader::rewrittenWhileLoading()
{
    QFETCH(QByteArray, format);
    QImage red(96, 64, QImage::Format_RGB32), blue(96, 64, QImage::Format_RGB32);
    red.fill(qRgb(230, 20, 20));
    blue.fill(qRgb(20, 20, 230));
    const QByteArray versions[2] = {Encode(red, format, 90), Encode(blue, format, 90)};
    const QString target = path(QStringLiteral("rewritten.") + QString::fromLatin1(format).toLower());
    QVERIFY(Write(target, versions[0]));

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const QByteArray name = QFile::encodeName(target);
        for (int i = 0; !stop; ++i) {
            const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC);
            const QByteArray &v = versions[i % 2];
            // Two writes, so a reader can meet the file half rewritten.
            const qsizetype half = v.size() / 2;
            [[maybe_unused]] auto a = ::write(fd, v.constData(), size_t(half));
            [[maybe_unused]] auto b = ::write(fd, v.constData() + half, size_t(v.size() - half));
            ::close(fd);
        }
    });
    int mixed = 0;
    for (int i = 0; i < 1500; ++i) {
        const LoadedPicture loaded = LoadPicture(target);
        if (loaded.problem != LoadProblem::None)
            continue;
        const QImage &img = loaded.image;
        const QRgb first = img.pixel(0, 0), last = img.pixel(img.width() - 1, img.height() - 1);
        const bool uniform = std::abs(qRed(first) - qRed(last)) < 24 && std::abs(qBlue(first) - qBlue(last)) < 24
                             && img.size() == red.size();
        if (!uniform)
            ++mixed;
    }
    stop = true;
    writer.join();
    QCOMPARE(mixed, 0);
    // Once the file holds still it loads.
    QCOMPARE(LoadPicture(target).problem, LoadProblem::None);
}

void TestPictureLoader::jpegVerdict_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");

    const QByteArray whole = Encode(Noise(120, 80), "JPG", 90);
    const int scanAt = int(whole.indexOf("\xFF\xDA"));
    QVERIFY(scanAt > 0);
    QTest::newRow("whole") << whole << LoadProblem::None;
    QByteArray clip("\0\0\0\x20" "ftypmp42", 12);
    clip += QByteArray(200000, '\x5A');
    QTest::newRow("whole, motion clip after it") << whole + clip << LoadProblem::None;
    QTest::newRow("whole, stray bytes before a marker")
        << whole.left(scanAt) + QByteArray("\0\0\0", 3) + whole.mid(scanAt) << LoadProblem::None;
    QTest::newRow("cut in the header") << whole.left(scanAt / 2) << LoadProblem::Damaged;
    QTest::newRow("cut in the scan") << whole.left(scanAt + (whole.size() - scanAt) * 2 / 3) << LoadProblem::Damaged;
    // An end marker in a comment near the end of a small cut file once passed for a whole file.
    const QByteArray small = Encode(Noise(24, 16), "JPG", 90);
    const QByteArray commented = AfterStart(small, Segment(0xFE, QByteArray("note \xFF\xD9 end")));
    QTest::newRow("cut, end marker in a comment") << commented.left(commented.size() - 60) << LoadProblem::Damaged;
    const QByteArray claim = ClaimSize(Encode(Noise(64, 64), "JPG", 90), 22000, 22000);
    QTest::newRow("small file claiming 22000 x 22000") << claim << LoadProblem::Damaged;
    QTest::newRow("small file claiming 22000 x 22000, turned")
        << AfterStart(claim, Segment(0xE1, ExifOrientation(6))) << LoadProblem::Damaged;
    const QByteArray progressive = Read(Data("progressive.jpg"));
    QTest::newRow("progressive, whole") << progressive << LoadProblem::None;
    QTest::newRow("progressive, cut between scans") << progressive.left(progressive.size() * 3 / 4)
                                                    << LoadProblem::Damaged;
    QTest::newRow("only the start marker") << QByteArray("\xFF\xD8\xFF", 3) << LoadProblem::Damaged;
}

void TestPictureLoader::jpegVerdict()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    const QString file = path(QStringLiteral("verdict.jpg"));
    QVERIFY(Write(file, bytes));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, problem);
    if (problem != LoadProblem::None) {
        QVERIFY(loaded.image.isNull());
        return;
    }
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    QCOMPARE(qAlpha(loaded.image.pixel(3, 3)), 255);
    // The same pixels as an independent decoder gives for the same file.
    const QImage reference = Reference(file);
    QVERIFY(!reference.isNull());
    QCOMPARE(MaxDifference(loaded.image, reference), 0);
}

void TestPictureLoader::exifTurn_data()
{
    QTest::addColumn<int>("orientation");
    for (int o = 1; o <= 8; ++o)
        QTest::addRow("orientation %d", o) << o;
}

// Each of the eight orientations, turned while decoding, as an independent tool turns it.
void TestPictureLoader::exifTurn()
{
    QFETCH(int, orientation);
    const QByteArray jpeg = Encode(Quadrants(48, 32), "JPG", 95);
    const QString file = path(QStringLiteral("turned.jpg"));
    QVERIFY(Write(file, AfterStart(jpeg, Segment(0xE1, ExifOrientation(orientation)))));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), orientation >= 5 ? QSize(32, 48) : QSize(48, 32));
    const QImage reference = Reference(file, {"-auto-orient"});
    QCOMPARE(MaxDifference(loaded.image, reference), 0);
}

// Where the scan's data begins: after the start-of-scan segment.
qsizetype ScanData(const QByteArray &jpeg)
{
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    return sos < 0 ? -1 : sos + 2 + (quint8(jpeg[sos + 2]) << 8 | quint8(jpeg[sos + 3]));
}

// Smooth like a photo, so that reading rows without decoding them costs a good deal less than
// decoding them and two decoders split the rows; rows and columns are not whole blocks.
QImage SplitSizedPhoto()
{
    QImage image(645, 1203, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int grain = int(state >> 29) - 4;
            image.setPixel(x, y, qRgb(qBound(0, x * 255 / 645 + grain, 255), qBound(0, y * 255 / 1203 + grain, 255),
                                      qBound(0, (x + y) % 256 + grain, 255)));
        }
    return image;
}

void TestPictureLoader::twoDecoders_data()
{
    QTest::addColumn<QStringList>("encoding"); // ImageMagick's options
    QTest::addColumn<int>("orientation");
    QTest::newRow("4:2:0") << QStringList{"-sampling-factor", "2x2"} << 1;
    QTest::newRow("4:4:4") << QStringList{"-sampling-factor", "1x1"} << 1;
    QTest::newRow("4:2:2") << QStringList{"-sampling-factor", "2x1"} << 1;
    QTest::newRow("4:4:0") << QStringList{"-sampling-factor", "1x2"} << 1;
    QTest::newRow("4:1:1") << QStringList{"-sampling-factor", "4x1"} << 1;
    QTest::newRow("grey") << QStringList{"-colorspace", "Gray"} << 1;
    QTest::newRow("4:2:0, upside down") << QStringList{"-sampling-factor", "2x2"} << 3;
    QTest::newRow("4:2:0, turned right") << QStringList{"-sampling-factor", "2x2"} << 6;
    QTest::newRow("4:2:2, turned left") << QStringList{"-sampling-factor", "2x1"} << 8;
}

// A photo decoded by two decoders at once, each taking its own rows, has the pixels an independent
// decoder gives, in every sampling and turn, and those of one decoder alone.
void TestPictureLoader::twoDecoders()
{
    QFETCH(QStringList, encoding);
    QFETCH(int, orientation);
    const QByteArray plain = Convert(QStringList{"png:-"} + encoding + QStringList{"-quality", "92", "jpg:-"},
                                     Encode(SplitSizedPhoto(), "PNG"));
    QVERIFY(!plain.isEmpty());
    const QByteArray bytes = orientation == 1 ? plain : AfterStart(plain, Segment(0xE1, ExifOrientation(orientation)));
    const QString file = fixture(QStringLiteral("split.jpg"), bytes);
    const QImage reference = Reference(file, {"-auto-orient"});
    QVERIFY(!reference.isNull());

    const DecodedJpeg one = DecodeJpeg(bytes, qint64{1} << 30, 1);
    QCOMPARE(one.picture.problem, LoadProblem::None);
    QCOMPARE(one.picture.image.size(), reference.size());
    QCOMPARE(MaxDifference(one.picture.image, reference), 0);
    // Where the second decoder starts depends on how fast each thread runs: try until it has rows.
    int secondFrom = 0;
    for (int attempt = 0; attempt < 50 && secondFrom == 0; ++attempt) {
        const DecodedJpeg two = DecodeJpeg(bytes, qint64{1} << 30, 2);
        QCOMPARE(two.picture.problem, LoadProblem::None);
        QVERIFY(two.picture.image == one.picture.image);
        QVERIFY(AllOpaque(two.picture.image));
        secondFrom = two.secondDecoderFrom;
    }
    QVERIFY2(secondFrom > 0, "the second decoder never took any rows");
}

void TestPictureLoader::twoDecodersDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("threads");
    const QByteArray whole = Encode(SplitSizedPhoto(), "JPG", 90);
    const qsizetype data = ScanData(whole);
    QVERIFY(data > 0);
    const qsizetype length = whole.size() - 2 - data;
    // A marker in the scan's data makes the decoder pad the rest of the picture with grey.
    const auto marked = [&](double at) {
        return whole.left(data + qsizetype(length * at)) + QByteArray("\xFF\xD9", 2) + whole.mid(data + qsizetype(length * at) + 2);
    };
    for (const int threads : {1, 2}) {
        QTest::addRow("end marker in the top rows, %d", threads) << marked(0.1) << threads;
        QTest::addRow("end marker in the bottom rows, %d", threads) << marked(0.9) << threads;
        QTest::addRow("cut in the top rows, %d", threads) << whole.left(data + length / 10) << threads;
        QTest::addRow("cut in the bottom rows, %d", threads) << whole.left(data + length * 19 / 20) << threads;
        QTest::addRow("cut before the end marker, %d", threads) << whole.chopped(2) << threads;
    }
}

// Damage anywhere is found whichever decoder's rows it lies in, and nothing is handed back.
void TestPictureLoader::twoDecodersDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, threads);
    const DecodedJpeg decoded = DecodeJpeg(bytes, qint64{1} << 30, threads);
    QCOMPARE(decoded.picture.problem, LoadProblem::Damaged);
    QVERIFY(decoded.picture.image.isNull());
}

// Adobe's inverted CMYK, converted without a profile, as ImageMagick converts it.
void TestPictureLoader::cmykJpeg()
{
    const LoadedPicture loaded = LoadPicture(Data("cmyk.jpg"));
    QCOMPARE(loaded.problem, LoadProblem::None);
    const QImage reference = Reference(Data("cmyk.jpg"), {"-colorspace", "sRGB"});
    QVERIFY(MaxDifference(loaded.image, reference) <= 1);
}

void TestPictureLoader::cmykProfile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadWarning>("warning");
    QTest::addColumn<QImage>("reference");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QImage>("naive"); // the plain formula's colours, to be far from the reference

    QVERIFY2(QFile::exists(kCmykProfile), "ghostscript is needed for its CMYK profile");
    // Skin, shadow and highlight tones, inside both the press's gamut and sRGB.
    QImage picture(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, qRgb(40 + x * 3, 30 + x * 2 + y, 20 + x + y * 3));
    const QString png = fixture(QStringLiteral("rgb.png"), Encode(picture, "PNG"));
    // ImageMagick writes CMYK as YCCK, inverted, with an Adobe marker.
    const QString ycckFile = path(QStringLiteral("ycck.jpg"));
    QVERIFY(Run(QStringLiteral("convert"), {png, "-profile", kSrgb, "-profile", kCmykProfile, "-quality", "95", ycckFile}));
    const QString plainFile = path(QStringLiteral("plain cmyk.jpg"));
    const QString turnedOverFile = path(QStringLiteral("turned over.jpg"));
    QVERIFY(Run(kPython, {"-c", kPlainCmyk, ycckFile, plainFile, turnedOverFile}));
    const QByteArray ycck = Read(ycckFile);
    const QByteArray cmykIcc = Read(kCmykProfile);
    QVERIFY(ycck.contains(cmykIcc.mid(128, 64))); // the profile went in whole

    const QStringList throughProfile{"-profile", kSrgb};
    const QStringList formula{"-colorspace", "sRGB"};
    // Converted through the profile, within 3 levels of ImageMagick's conversion: it evaluates the
    // profile in 16 bits, we through a precalculated 8-bit table, which rounds and interpolates.
    QTest::newRow("ycck, inverted, profile")
        << ycck << LoadWarning::None << Reference(ycckFile, throughProfile) << 3 << Reference(ycckFile, formula);
    QTest::newRow("plain cmyk, inverted, profile")
        << Read(plainFile) << LoadWarning::None << Reference(plainFile, throughProfile) << 3
        << Reference(plainFile, formula);
    const QString turned = fixture(QStringLiteral("turned.jpg"), AfterStart(ycck, Segment(0xE1, ExifOrientation(6))));
    QTest::newRow("ycck, inverted, profile, turned")
        << Read(turned) << LoadWarning::None << Reference(turned, {"-auto-orient", "-profile", kSrgb}) << 3
        << Reference(turned, {"-auto-orient", "-colorspace", "sRGB"});

    // Without the Adobe marker the stored values are ink amounts. ImageMagick reads every CMYK JPEG
    // the Adobe way, marker or not, so its raw values are turned back and converted on their own.
    const QByteArray inkBytes = WithoutSegments(Read(turnedOverFile), 0xEE, "Adobe");
    const QString inkFile = fixture(QStringLiteral("ink amounts.jpg"), inkBytes);
    QByteArray raw = Convert({inkFile, "-depth", "8", "cmyk:-"});
    QCOMPARE(raw.size(), 64 * 32 * 4);
    QCOMPARE(raw, Convert({turnedOverFile, "-depth", "8", "cmyk:-"}));
    for (char &v : raw)
        v = char(255 - quint8(v));
    const QImage inkReference = QImage::fromData(
        Convert({"-size", "64x32", "-depth", "8", "cmyk:-", "-profile", kCmykProfile, "-profile", kSrgb, "-depth", "8",
                 "ppm:-"},
                raw),
        "PPM").convertToFormat(QImage::Format_RGB32);
    QTest::newRow("plain cmyk, ink amounts, profile") << inkBytes << LoadWarning::None << inkReference << 3 << QImage();

    // No usable profile: the plain formula, as ImageMagick's, and a word about a profile left out.
    const auto formulaRow = [&](const char *name, const QByteArray &bytes, LoadWarning warning) {
        const QString file = fixture(QString::fromLatin1(name), bytes);
        QTest::newRow(name) << bytes << warning << Reference(file, formula) << 1 << QImage();
    };
    formulaRow("ycck, no profile", WithProfile(ycck, {}), LoadWarning::None);
    formulaRow("ycck, profile that is not one", WithProfile(ycck, QByteArray(400, '\x37')), LoadWarning::ProfileIgnored);
    // Cut inside the table that turns ink into colour.
    formulaRow("ycck, profile cut short", WithProfile(ycck, cmykIcc.left(20000)),
               LoadWarning::ProfileIgnored);
    // An RGB profile says nothing about inks, nor about the RGB the formula makes of them.
    formulaRow("ycck, RGB profile", WithProfile(ycck, Read(kAdobeRgb)), LoadWarning::ProfileIgnored);
}

// A CMYK photo with its press's profile is shown in sRGB through that profile, with no warning.
void TestPictureLoader::cmykProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadWarning, warning);
    QFETCH(QImage, reference);
    QFETCH(int, tolerance);
    QFETCH(QImage, naive);
    QVERIFY(!reference.isNull());
    const QString file = fixture(QStringLiteral("cmyk.jpg"), bytes);
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, warning);
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    QVERIFY(AllOpaque(loaded.image));
    const int difference = MaxDifference(loaded.image, reference);
    QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
    // The profile matters: the plain formula is far off on the same file.
    if (!naive.isNull())
        QVERIFY(MaxDifference(naive, reference) > 20);
}

void TestPictureLoader::memoryRefusal_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");
    QTest::addColumn<QSize>("declared");

    // With a 40 MB limit.
    const QByteArray jpeg = Encode(Noise(64, 64), "JPG", 90);
    QTest::newRow("jpeg, picture over the limit")
        << ClaimSize(jpeg, 4000, 3000) << LoadProblem::TooLarge << QSize(4000, 3000);
    QTest::newRow("jpeg turned, the upright size reported")
        << AfterStart(ClaimSize(jpeg, 4000, 3000), Segment(0xE1, ExifOrientation(8))) << LoadProblem::TooLarge
        << QSize(3000, 4000);
    // 36 MB of picture fits; with the decoder's coefficients for every block it does not.
    QTest::newRow("progressive jpeg, picture and coefficients over the limit")
        << ClaimSize(Read(Data("progressive.jpg")), 3000, 3000) << LoadProblem::TooLarge << QSize(3000, 3000);
    QImage flat(3000, 3000, QImage::Format_RGB32);
    flat.fill(qRgb(200, 150, 120));
    QTest::newRow("png, 8-bit, fits") << Encode(flat, "PNG") << LoadProblem::None << QSize();
    // 16-bit PNGs are read straight into 32 bits: the 36 MB picture is all they take.
    QTest::newRow("png, 16-bit, fits")
        << Encode(flat.convertToFormat(QImage::Format_RGBX64), "PNG") << LoadProblem::None << QSize();
    // Tiny files claiming large pictures: refused on their header, before any pixel is read.
    const QByteArray noData = PngChunk("IDAT", qCompress(QByteArray(16, '\0')).mid(4));
    QTest::newRow("png, 16-bit, picture over the limit")
        << DeepPng({3500, 3000, 2, {}, {}}, false, {}, noData) << LoadProblem::TooLarge << QSize(3500, 3000);
    QTest::newRow("png, 16-bit, sides beyond libpng's own limit")
        << DeepPng({2000000, 1500000, 6, {}, {}}, true, {}, noData) << LoadProblem::TooLarge
        << QSize(2000000, 1500000);
    // 16-bit TIFFs go straight to 32 bits: the picture alone counts (the claimed pixels are never read).
    QTest::newRow("tiff, 16-bit, fits")
        << Convert({"-size", "3000x3000", "xc:#C89678", "-depth", "16", "-compress", "lzw", "tiff:-"})
        << LoadProblem::None << QSize();
    QTest::newRow("tiff, 16-bit, picture over the limit")
        << UncompressedTiff(4000, 3000, 3, {1, 2, 3}) << LoadProblem::TooLarge << QSize(4000, 3000);
    QTest::newRow("tiff, 16-bit turned, the upright size reported")
        << UncompressedTiff(4000, 3000, 1, {1, 2, 3}, 6) << LoadProblem::TooLarge << QSize(3000, 4000);
    // 8-bit TIFFs turned a quarter are written upright as they are read: no second 36 MB picture.
    QTest::newRow("tiff, 8-bit turned, fits")
        << Convert({"-size", "3000x3000", "xc:#C89678", "-orient", "right-top", "-depth", "8", "-compress", "lzw",
                    "tiff:-"})
        << LoadProblem::None << QSize();
    QTest::newRow("tiff, 8-bit, picture over the limit")
        << UncompressedTiff(4000, 3000, 3, {1, 2, 3}, 1, 8) << LoadProblem::TooLarge << QSize(4000, 3000);
    QTest::newRow("tiff, 8-bit turned, the upright size reported")
        << UncompressedTiff(4000, 3000, 4, {1, 2, 3}, 8, 8) << LoadProblem::TooLarge << QSize(3000, 4000);
    QTest::newRow("png, palette, with its conversion over the limit")
        << Encode(flat.convertToFormat(QImage::Format_Indexed8), "PNG") << LoadProblem::TooLarge
        << QSize(3000, 3000);
}

void TestPictureLoader::memoryRefusal()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    QFETCH(QSize, declared);
    const QString file = path(QStringLiteral("large.pic"));
    QVERIFY(Write(file, bytes));
    const MemoryLimit limit(40);
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, problem);
    if (problem == LoadProblem::TooLarge)
        QCOMPARE(loaded.declaredSize, declared);
    else
        QCOMPARE(loaded.image.size(), QSize(3000, 3000));
}

void TestPictureLoader::profileToSrgb_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("deep"); // stored at 16 bits a channel
    QTest::newRow("jpeg") << QByteArray("JPG") << false;
    QTest::newRow("png") << QByteArray("PNG") << false;
    QTest::newRow("png, 16-bit") << QByteArray("PNG") << true;
    QTest::newRow("tiff") << QByteArray("TIFF") << false;
    QTest::newRow("tiff, 16-bit") << QByteArray("TIFF16") << true;
    QTest::newRow("webp") << QByteArray("WEBP") << false;
}

// A photo tagged Adobe RGB is shown in sRGB, within 2 levels of an independent conversion.
void TestPictureLoader::profileToSrgb()
{
    QFETCH(QByteArray, format);
    QFETCH(bool, deep);
    QImage image(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x * 4, 255 - y * 8, (x * 4 + y * 8) % 256));
    if (deep)
        image.convertTo(QImage::Format_RGBX64);
    image.setColorSpace(QColorSpace::fromIccProfile(Read(kAdobeRgb)));
    QVERIFY(image.colorSpace().isValid());
    const QString file = path(QStringLiteral("adobe.") + QString::fromLatin1(format).toLower());
    if (format == "TIFF16") // Qt writes the profile and 16-bit samples
        QVERIFY(Write(file, Encode(image.convertToFormat(QImage::Format_RGBX64), "TIFF")));
    else
        QVERIFY(Write(file, Encode(image, format, 100)));
    QCOMPARE(QImageReader(file).imageFormat() == QImage::Format_RGBX64, deep);

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    const QImage reference = Reference(file, {"-profile", kSrgb});
    QVERIFY(!reference.isNull());
    const int difference = MaxDifference(loaded.image, reference);
    QVERIFY2(difference <= 2, qPrintable(QString::number(difference)));
    // The conversion matters: the stored values are far from sRGB.
    QVERIFY(MaxDifference(Reference(file), reference) > 20);
}

void TestPictureLoader::brokenProfile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("untagged");

    const QByteArray jpeg = Encode(Quadrants(32, 16), "JPG", 95);
    const QByteArray garbage(400, '\x37');
    QTest::newRow("jpeg, profile that is not one")
        << AfterStart(jpeg, Segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + garbage)) << jpeg;
    QTest::newRow("jpeg, profile pieces out of order")
        << AfterStart(jpeg, Segment(0xE2, QByteArray("ICC_PROFILE\0\x02\x01", 14) + Read(kAdobeRgb))) << jpeg;
    QByteArray cut = Read(kAdobeRgb);
    cut.truncate(300);
    QTest::newRow("jpeg, profile cut short")
        << AfterStart(jpeg, Segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + cut)) << jpeg;

    const QByteArray png = Encode(Quadrants(32, 16), "PNG");
    const QByteArray iccp = PngChunk("iCCP", QByteArray("bad\0\0", 5) + qCompress(garbage).mid(4));
    QTest::newRow("png, profile that is not one") << png.left(33) + iccp + png.mid(33) << png;
    const QByteArray deepPng = Encode(Quadrants(32, 16).convertToFormat(QImage::Format_RGBX64), "PNG");
    QTest::newRow("png, 16-bit, profile that is not one") << deepPng.left(33) + iccp + deepPng.mid(33) << deepPng;

    // Qt writes the profile as it is into TIFF and WebP; its first bytes are overwritten here.
    for (const char *format : {"TIFF", "WEBP"}) {
        QImage image = Quadrants(32, 16);
        const QByteArray untagged = Encode(image, format, 100);
        image.setColorSpace(QColorSpace::fromIccProfile(Read(kAdobeRgb)));
        QByteArray tagged = Encode(image, format, 100);
        const qsizetype at = tagged.indexOf(Read(kAdobeRgb).mid(0, 64));
        QVERIFY(at > 0);
        tagged.replace(at, 40, QByteArray(40, '\x37'));
        QTest::addRow("%s, profile that is not one", format) << tagged << untagged;
    }
    QImage deep = Quadrants(32, 16).convertToFormat(QImage::Format_RGBX64);
    const QByteArray deepUntagged = Encode(deep, "TIFF");
    deep.setColorSpace(QColorSpace::fromIccProfile(Read(kAdobeRgb)));
    QByteArray deepTagged = Encode(deep, "TIFF");
    const qsizetype at = deepTagged.indexOf(Read(kAdobeRgb).mid(0, 64));
    QVERIFY(at > 0);
    deepTagged.replace(at, 40, QByteArray(40, '\x37'));
    QTest::newRow("tiff, 16-bit, profile that is not one") << deepTagged << deepUntagged;
}

// The picture still loads, as if it had no profile, and the window is told to say so.
void TestPictureLoader::brokenProfile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, untagged);
    const QString file = path(QStringLiteral("broken profile"));
    const QString plain = path(QStringLiteral("plain"));
    QVERIFY(Write(file, bytes));
    QVERIFY(Write(plain, untagged));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::ProfileIgnored);
    QCOMPARE(MaxDifference(loaded.image, Reference(plain)), 0);
}

void TestPictureLoader::sixteenBitsRounded_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png") << QByteArray("PNG");
    QTest::newRow("tiff") << QByteArray("TIFF");
}

// 16-bit channels come down to 8 bits rounded to the nearest level, v × 255 / 65535.
void TestPictureLoader::sixteenBitsRounded()
{
    QFETCH(QByteArray, format);
    const quint16 values[] = {0, 127, 128, 257 * 100 + 128, 257 * 100 + 129, 0x7FFF, 0x8080, 65407, 65535};
    const int count = int(std::size(values));
    QImage image(count, 1, QImage::Format_RGBX64);
    for (int i = 0; i < count; ++i)
        image.setPixelColor(i, 0, QColor::fromRgba64(values[i], values[count - 1 - i], values[i], 65535));
    const QString file = path(QStringLiteral("deep.") + QString::fromLatin1(format).toLower());
    QVERIFY(Write(file, Encode(image, format)));
    QVERIFY(QImageReader(file).imageFormat() != QImage::Format_RGB32); // stored at 16 bits
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    const auto round = [](quint16 v) { return int(std::lround(v * 255.0 / 65535.0)); };
    for (int i = 0; i < count; ++i) {
        const QRgb p = loaded.image.pixel(i, 0);
        QCOMPARE(qRed(p), round(values[i]));
        QCOMPARE(qGreen(p), round(values[count - 1 - i]));
    }
}

void TestPictureLoader::directTiff_data()
{
    QTest::addColumn<QStringList>("options"); // ImageMagick's, for writing the file
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<bool>("associated");

    // Every layout at both depths: at 8 bits, separate planes in tiles (refused before) and unassociated
    // alpha (kept as stored, where it once came back premultiplied and undone again) among them.
    for (const int depth : {16, 8}) {
        const auto row = [depth](const QByteArray &name, const QStringList &options, bool alpha, bool associated) {
            QTest::addRow("%d-bit, %s", depth, name.constData()) << options << depth << alpha << associated;
        };
        const QStringList lzw{"-compress", "lzw"}, planes{"-interlace", "plane"};
        const QStringList tiles{"-define", "tiff:tile-geometry=32x16"}, grey{"-colorspace", "gray"};
        // Alpha from fully transparent to opaque in a pattern, over noise in every channel.
        const QStringList alpha{"-alpha", "set", "-channel", "A", "-fx", "((i*7+j*13)%17)/16", "+channel"};
        const QStringList associated = alpha + QStringList{"-define", "tiff:alpha=associated"};
        const QStringList unassociated = alpha + QStringList{"-define", "tiff:alpha=unassociated"};
        row("rgb, lzw strips", lzw, false, false);
        row("rgb, uncompressed", QStringList{"-compress", "none"}, false, false);
        row("rgb, zip tiles", QStringList{"-compress", "zip"} + tiles, false, false);
        row("rgb, separate planes, lzw", planes + lzw, false, false);
        row("rgb, separate planes, tiles", planes + tiles, false, false);
        row("rgb, unassociated alpha", unassociated, true, false);
        row("rgb, unassociated alpha, separate planes", unassociated + planes, true, false);
        row("rgb, associated alpha, lzw", associated + lzw, true, true);
        row("rgb, associated alpha, tiles", associated + tiles, true, true);
        row("rgb, associated alpha, separate planes", associated + planes, true, true);
        row("rgb, associated alpha, separate planes in tiles", associated + planes + tiles, true, true);
        row("grey", grey, false, false);
        row("grey, lzw tiles", grey + lzw + tiles, false, false);
        const char *turns[] = {"top-right", "bottom-right", "bottom-left", "left-top", "right-top", "right-bottom",
                               "left-bottom"};
        for (const char *turn : turns)
            row(QByteArray("rgb, orientation ") + turn, QStringList{"-orient", turn}, false, false);
        row("rgb turned, separate planes", planes + QStringList{"-orient", "left-bottom"}, false, false);
        row("rgb turned, tiles", tiles + QStringList{"-orient", "right-top"}, false, false);
        row("grey turned", grey + QStringList{"-orient", "right-bottom"}, false, false);
        row("associated alpha turned", associated + QStringList{"-orient", "left-top"}, true, true);
        row("unassociated alpha turned, separate planes", unassociated + planes + QStringList{"-orient", "right-bottom"},
            true, false);
    }
}

// 8- and 16-bit TIFFs of every layout come out as the model from the file's own samples says,
// upright, with their alpha; associated alpha is undone (within a level of ImageMagick's).
void TestPictureLoader::directTiff()
{
    QFETCH(QStringList, options);
    QFETCH(int, depth);
    QFETCH(bool, alpha);
    QFETCH(bool, associated);
    const QString file = path(QStringLiteral("direct.tif"));
    QVERIFY(Run(QStringLiteral("convert"), QStringList{"-size", "67x45", "xc:", "-seed", "7", "+noise", "Random"} + options
                                               + QStringList{"-depth", QString::number(depth), "tiff:" + file}));
    const QImage model = SampleModel(file, depth);
    QVERIFY(!model.isNull());

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    QCOMPARE(loaded.image.format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QCOMPARE(loaded.image.size(), model.size());
    if (!alpha)
        QVERIFY(AllOpaque(loaded.image));
    const int tolerance = associated ? 1 : 0;
    for (int y = 0; y < model.height(); ++y)
        for (int x = 0; x < model.width(); ++x) {
            const QRgb got = loaded.image.pixel(x, y), want = model.pixel(x, y);
            QCOMPARE(qAlpha(got), qAlpha(want));
            if (qAlpha(want) == 0)
                continue; // no colour to speak of
            const int difference = std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                                             std::abs(qBlue(got) - qBlue(want))});
            if (difference > tolerance)
                QFAIL(qPrintable(QStringLiteral("(%1, %2): %3 for %4").arg(x).arg(y).arg(got, 8, 16).arg(want, 8, 16)));
        }
}

void TestPictureLoader::directTiffDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("depth");

    for (const int depth : {16, 8}) {
        // 5 × 4 pixels of known samples, its directory first; whole, it loads (checked below).
        const int sampleBytes = depth / 8;
        QList<quint16> samples;
        for (int i = 0; i < 5 * 4 * 3; ++i)
            samples.append(depth == 16 ? quint16(i * 1100 + 7) : quint16(i * 4 + 3));
        const QByteArray whole = UncompressedTiff(5, 4, 3, samples, 1, quint16(depth));
        const qsizetype pixels = 5 * 4 * 3 * sampleBytes;
        QTest::addRow("%d-bit, whole", depth) << whole << depth;
        for (const qsizetype kept : {qsizetype(1), pixels / 2, pixels - 1})
            QTest::addRow("%d-bit, cut %lld bytes into its pixels", depth, qlonglong(kept))
                << whole.left(whole.size() - pixels + kept) << depth;
        QTest::addRow("%d-bit, cut before its pixels", depth) << whole.left(whole.size() - pixels) << depth;

        // ImageMagick's files keep their directory at the end.
        const QByteArray lzw = Convert({"-size", "67x45", "xc:", "+noise", "Random", "-depth", QString::number(depth),
                                        "-compress", "lzw", "tiff:-"});
        QVERIFY(lzw.size() > 4000);
        QTest::addRow("%d-bit, lzw, cut in half", depth) << lzw.left(lzw.size() / 2) << depth;
        // The compressed pixels overwritten in the middle, the directory whole.
        QByteArray garbled = lzw;
        garbled.replace(2000, 200, QByteArray(200, '\xFF'));
        QTest::addRow("%d-bit, lzw, pixels garbled", depth) << garbled << depth;
        QByteArray zeroed = lzw;
        zeroed.replace(2000, 1500, QByteArray(1500, '\0'));
        QTest::addRow("%d-bit, lzw, pixels zeroed", depth) << zeroed << depth;
    }
}

// A cut or broken TIFF is refused as damaged, with no picture in part.
void TestPictureLoader::directTiffDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, depth);
    const LoadedPicture loaded = LoadPicture(fixture(QStringLiteral("damaged.tif"), bytes));
    if (QByteArray(QTest::currentDataTag()).endsWith("whole")) {
        QCOMPARE(loaded.problem, LoadProblem::None);
        QCOMPARE(loaded.image.size(), QSize(5, 4));
        for (int i = 0; i < 5 * 4; ++i) {
            const auto level = [&](int c) {
                const int n = i * 3 + c;
                return depth == 8 ? n * 4 + 3 : int(std::lround((n * 1100 + 7) * 255.0 / 65535.0));
            };
            QCOMPARE(loaded.image.pixel(i % 5, i / 5), qRgb(level(0), level(1), level(2)));
        }
        return;
    }
    QCOMPARE(loaded.problem, LoadProblem::Damaged);
    QVERIFY(loaded.image.isNull());
}

void TestPictureLoader::sixteenBitPng_data()
{
    QTest::addColumn<int>("colourType");
    QTest::addColumn<bool>("interlaced");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("transparentColour");
    const auto rows = [](const char *name, int colourType, bool transparent = false) {
        for (const bool interlaced : {false, true})
            QTest::addRow("%s%s", name, interlaced ? ", interlaced" : "")
                << colourType << interlaced << QSize(13, 11) << transparent;
    };
    rows("rgb", 2);
    rows("rgba", 6);
    rows("grey", 0);
    rows("grey and alpha", 4);
    rows("rgb, transparent colour", 2, true);
    rows("grey, transparent colour", 0, true);
    // Most of the seven passes are empty.
    QTest::newRow("rgba, interlaced, 5 x 1") << 6 << true << QSize(5, 1) << false;
    QTest::newRow("grey, interlaced, 1 x 6") << 0 << true << QSize(1, 6) << false;
}

// Every 16-bit colour type, plain and interlaced, to the value rounded from each 16-bit sample.
void TestPictureLoader::sixteenBitPng()
{
    QFETCH(int, colourType);
    QFETCH(bool, interlaced);
    QFETCH(QSize, size);
    QFETCH(bool, transparentColour);
    DeepPicture picture = MakeDeep(size.width(), size.height(), colourType);
    if (transparentColour) {
        // The transparent colour, and beside it one that differs from it in its low byte only:
        // the two round to the same 8 bits, so only a comparison at 16 bits tells them apart.
        const int channels = picture.channels();
        for (int c = 0; c < channels; ++c)
            picture.samples[channels * 2 + c] = picture.samples[channels + c];
        picture.samples[channels] = 1000;
        picture.samples[channels * 2] = 1001;
        picture.transparent = picture.samples.mid(channels, channels);
    }
    const QString file = fixture(QStringLiteral("deep.png"), DeepPng(picture, interlaced));
    // The fixture holds what it should: ImageMagick reads the same samples back.
    QCOMPARE(Convert({file, "-depth", "16", "-endian", "MSB", "rgba:-"}), DeepRgba(picture));

    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);
    const QImage model = DeepModel(picture);
    QCOMPARE(loaded.image.format(), model.format());
    QCOMPARE(loaded.image.size(), model.size());
    if (model.format() == QImage::Format_RGB32)
        QVERIFY(AllOpaque(loaded.image));
    const QString difference = fakes::FirstDifference(
        reinterpret_cast<const std::uint32_t *>(loaded.image.constBits()),
        reinterpret_cast<const std::uint32_t *>(model.constBits()), model.width(), model.height(), 0,
        loaded.image.bytesPerLine() / 4, model.bytesPerLine() / 4);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(Alphas(loaded.image), Alphas(model));
    if (transparentColour) {
        QCOMPARE(qAlpha(loaded.image.pixel(1, 0)), 0);
        QCOMPARE(qAlpha(loaded.image.pixel(2, 0)), 255);
    }
}

void TestPictureLoader::sixteenBitVerdict_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadProblem>("problem");
    QTest::addColumn<QImage>("model");

    const DeepPicture picture = MakeDeep(64, 48, 2);
    const QImage model = DeepModel(picture);
    const QByteArray whole = DeepPng(picture, false);
    const QByteArray interlaced = DeepPng(picture, true);
    const qsizetype data = whole.indexOf("IDAT") + 4;
    QVERIFY(data > 4);
    const QByteArray rows = StoredRows(picture, false);
    const QByteArray stream = qCompress(rows).mid(4);

    QTest::newRow("whole") << whole << LoadProblem::None << model;
    QTest::newRow("whole, interlaced") << interlaced << LoadProblem::None << model;
    QTest::newRow("whole, bytes after the end") << whole + QByteArray(300, '\x5A') << LoadProblem::None << model;
    // Qt's reader opens these at 8 bits; the 16-bit ones get the same verdict.
    QTest::newRow("end chunk's checksum cut") << whole.chopped(3) << LoadProblem::None << model;
    QTest::newRow("no end chunk") << whole.chopped(12) << LoadProblem::Damaged << QImage();
    QTest::newRow("8-bit, no end chunk") << Encode(Quadrants(32, 16), "PNG").chopped(12) << LoadProblem::Damaged
                                         << QImage();

    QTest::newRow("cut in the header") << whole.left(30) << LoadProblem::Damaged << QImage();
    QTest::newRow("cut in the data") << whole.left(data + stream.size() / 2) << LoadProblem::Damaged << QImage();
    QTest::newRow("cut in the data, interlaced")
        << interlaced.left(interlaced.indexOf("IDAT") + 4 + stream.size() * 3 / 4) << LoadProblem::Damaged
        << QImage();
    // Whole chunks, correct checksums, but the rows run out: never shown padded.
    QTest::newRow("data stream ends early")
        << DeepPng(picture, false, {}, PngChunk("IDAT", qCompress(rows.left(rows.size() / 2)).mid(4)))
        << LoadProblem::Damaged << QImage();
    QTest::newRow("data stream cut")
        << DeepPng(picture, false, {}, PngChunk("IDAT", stream.left(stream.size() / 2))) << LoadProblem::Damaged
        << QImage();
    QByteArray corrupt = whole;
    corrupt[data + stream.size() / 2] = char(corrupt[data + stream.size() / 2] ^ 0x55);
    QTest::newRow("data changed, checksum wrong") << corrupt << LoadProblem::Damaged << QImage();
    QTest::newRow("palette at 16 bits") << DeepPng({4, 4, 3, {}, {}}, false, {}, PngChunk("IDAT", stream))
                                        << LoadProblem::Damaged << QImage();
}

// Cut and damaged 16-bit files are refused, never shown in part; whole ones load exactly.
void TestPictureLoader::sixteenBitVerdict()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadProblem, problem);
    QFETCH(QImage, model);
    const LoadedPicture loaded = LoadPicture(fixture(QStringLiteral("verdict.png"), bytes));
    QCOMPARE(loaded.problem, problem);
    if (problem != LoadProblem::None) {
        QVERIFY(loaded.image.isNull());
        return;
    }
    const QString difference = fakes::FirstDifference(loaded.image, model);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestPictureLoader::sixteenBitColourSpace_data()
{
    QTest::addColumn<QByteArray>("chunks");
    QTest::addColumn<bool>("matters"); // the conversion moves colours far

    const auto fixed = [](double v) { return BigEndian32(quint32(std::lround(v * 100000))); };
    const QByteArray adobePrimaries = fixed(0.3127) + fixed(0.3290) + fixed(0.64) + fixed(0.33) + fixed(0.21)
                                      + fixed(0.71) + fixed(0.15) + fixed(0.06);
    const QByteArray notAProfile = PngChunk("iCCP", QByteArray("bad\0\0", 5) + qCompress(QByteArray(400, '\x37')).mid(4));
    QTest::newRow("srgb") << PngChunk("sRGB", QByteArray(1, '\0')) << false;
    QTest::newRow("gamma alone") << PngChunk("gAMA", fixed(0.8)) << true;
    QTest::newRow("linear gamma") << PngChunk("gAMA", fixed(1.0)) << true;
    QTest::newRow("gamma and primaries") << PngChunk("gAMA", fixed(1 / 2.2)) + PngChunk("cHRM", adobePrimaries)
                                         << true;
    QTest::newRow("profile that is not one, then gamma") << notAProfile + PngChunk("gAMA", fixed(1.0)) << true;
}

// Colour chunks other than a profile are taken as Qt's reader takes them, for 8-bit files too:
// the picture comes out as Qt's own reading of the file brought to sRGB.
void TestPictureLoader::sixteenBitColourSpace()
{
    QFETCH(QByteArray, chunks);
    QFETCH(bool, matters);
    const DeepPicture picture = MakeDeep(32, 16, 2);
    const QByteArray bytes = DeepPng(picture, false, chunks);
    const LoadedPicture loaded = LoadPicture(fixture(QStringLiteral("colour.png"), bytes));
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.warning, LoadWarning::None);

    QImage qtReading = QImage::fromData(bytes, "PNG");
    QCOMPARE(qtReading.format(), QImage::Format_RGBX64);
    QVERIFY(qtReading.colorSpace().isValid());
    qtReading.convertTo(QImage::Format_RGB32);
    const QImage asStored = qtReading;
    qtReading.convertToColorSpace(QColorSpace::SRgb);
    const QString difference = fakes::FirstDifference(loaded.image, qtReading, 1);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(fakes::FirstDifference(asStored, qtReading, 20).isEmpty(), !matters);
}

// 刷新 reloads into the memory of the picture it replaces, but only once nothing shows that picture.
void TestPictureLoader::reloadReusesMemoryOnlyWhenFree()
{
    QImage red(300, 200, QImage::Format_RGB32), blue(300, 200, QImage::Format_RGB32);
    red.fill(qRgb(230, 20, 20));
    blue.fill(qRgb(20, 20, 230));
    const QString redFile = path(QStringLiteral("red.jpg")), blueFile = path(QStringLiteral("blue.jpg"));
    QVERIFY(Write(redFile, Encode(red, "JPG", 95)));
    QVERIFY(Write(blueFile, Encode(blue, "JPG", 95)));

    QImage shown = LoadPicture(redFile).image;
    const uchar *first = shown.constBits();
    QCOMPARE(reinterpret_cast<quintptr>(first) % (2u << 20), quintptr(0)); // huge-page aligned
    QImage copy = shown; // a second holder of the same pixels, as a paint in flight would be

    QImage reloaded = LoadPicture(blueFile).image;
    QVERIFY(reloaded.constBits() != first);
    QVERIFY(qRed(shown.pixel(150, 100)) > 200); // the shown picture was not written over

    shown = QImage(); // the box drops it, but the copy still holds it
    QImage third = LoadPicture(redFile).image;
    QVERIFY(third.constBits() != first);
    third = QImage();
    // Now the first picture's memory is free: its last holder goes, a reload of the size takes it.
    copy = QImage();
    QImage fourth = LoadPicture(blueFile).image;
    QCOMPARE(fourth.constBits(), first);
    QVERIFY(qBlue(fourth.pixel(0, 0)) > 200 && qBlue(fourth.pixel(299, 199)) > 200);
    QVERIFY(qRed(reloaded.pixel(0, 0)) < 60);

    // A picture of another size after it gets memory of its own size.
    QImage small(30, 20, QImage::Format_RGB32);
    small.fill(Qt::white);
    const QString smallFile = path(QStringLiteral("small.jpg"));
    QVERIFY(Write(smallFile, Encode(small, "JPG", 95)));
    fourth = QImage();
    const QImage smallLoaded = LoadPicture(smallFile).image;
    QCOMPARE(smallLoaded.size(), QSize(30, 20));
    QCOMPARE(smallLoaded.pixel(29, 19), qRgb(255, 255, 255));
}

// Zips from Chinese Windows carry GBK names, which are not UTF-8: the bytes open as they are.
void TestPictureLoader::nameInAnyEncoding()
{
    const QByteArray name = QFile::encodeName(m_dir.path()) + "/\xC4\xE3\xBA\xC3.jpg"; // 你好 in GBK
    const QByteArray jpeg = Encode(Quadrants(16, 16), "JPG", 95);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, jpeg.constData(), size_t(jpeg.size())), ssize_t(jpeg.size()));
    ::close(fd);
    const LoadedPicture loaded = LoadPicture(name);
    ::unlink(name.constData()); // Qt's own removal of the folder would not see this name
    QCOMPARE(loaded.problem, LoadProblem::None);
    QCOMPARE(loaded.image.size(), QSize(16, 16));
}

// The file's bytes come back with the picture, for saving its camera data later.
void TestPictureLoader::fileBytesKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray jpeg = AfterStart(Encode(Quadrants(16, 16), "JPG", 95), Segment(0xE1, ExifOrientation(6)));
    QTest::newRow("small") << jpeg;
    // Read into memory prepared in huge pages: every byte still lands where it belongs.
    QByteArray clip(5 * 1024 * 1024 + 12345, Qt::Uninitialized);
    for (qsizetype i = 0; i < clip.size(); ++i)
        clip[i] = char((i * 7 + i / 4093) & 0xFF);
    QTest::newRow("several megabytes, motion clip after the picture") << jpeg + clip;
}

void TestPictureLoader::fileBytesKept()
{
    QFETCH(QByteArray, bytes);
    const QString file = path(QStringLiteral("camera.jpg"));
    QVERIFY(Write(file, bytes));
    const LoadedPicture loaded = LoadPicture(file);
    QCOMPARE(loaded.problem, LoadProblem::None);
    QVERIFY(loaded.encoded == bytes);
}

QTEST_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"
