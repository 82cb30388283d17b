// Velmora tests — one table of damaged and odd JPEGs, each with the one verdict every path must give:
// the window's loader with one decoder and with two, the banded path to BMP and to JPEG, and the real
// `velmora apply` to JPEG, BMP and PNG. The odd files are made here from a photo-like picture by an
// independent encoder (ImageMagick, jpegtran) and byte surgery.
#include <QtTest>

#include <cmath>

#include "batch/batch_files.h"
#include "io/banded_jpeg.h"
#include "picture/picture_loader.h"
#include "picture/process_setup.h"
#include "support/files.h"
#include "support/tools.h"

using namespace velmora;
using fakes::Read;
using fakes::Write;

namespace {

enum class Verdict { Fine, Damaged, TooLarge };

const char *Name(Verdict v)
{
    switch (v) {
    case Verdict::Fine: return "fine";
    case Verdict::Damaged: return "damaged";
    case Verdict::TooLarge: return "too large";
    }
    return "?";
}

// Empty when the program succeeds, else its complaint. The command line's English texts: no locale.
QString Run(const QString &program, const QStringList &arguments, QByteArray *err = nullptr, int *exit = nullptr)
{
    const fakes::Ran ran =
        fakes::RunProgram(program, arguments, QByteArray(), 120000, {{"LC_ALL", "LC_MESSAGES", "LANG"}, {}});
    if (ran.timedOut)
        return QStringLiteral("timed out");
    if (err)
        *err = ran.err;
    if (exit)
        *exit = ran.exit;
    return ran.ok() ? QString() : QString::fromLocal8Bit(ran.err);
}

// Smooth light and noise, 640 × 480: big enough that two decoders share it.
QImage Photo()
{
    QImage image(640, 480, QImage::Format_RGB32);
    quint32 state = 0x9E3779B9u;
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            const int light = 110 + int(60 * std::sin(x * 0.013) * std::cos(y * 0.011));
            row[x] = qRgb(qBound(0, light + 40 + int(state & 31), 255), qBound(0, light + int(state >> 8 & 31), 255),
                          qBound(0, light - 20 + int(state >> 16 & 31), 255));
        }
    }
    return image;
}

// Where the first marker `code` starts, after the start of image.
qsizetype Marker(const QByteArray &jpeg, uchar code)
{
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        if (uchar(jpeg[at + 1]) == code)
            return at;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return -1;
}

// Where the first scan's entropy-coded data starts.
qsizetype ScanData(const QByteArray &jpeg)
{
    const qsizetype sos = Marker(jpeg, 0xDA);
    return sos < 0 ? -1 : sos + 2 + (uchar(jpeg[sos + 2]) << 8 | uchar(jpeg[sos + 3]));
}

QByteArray WithSize(QByteArray jpeg, int width, int height)
{
    qsizetype sof = Marker(jpeg, 0xC0);
    if (sof < 0)
        sof = Marker(jpeg, 0xC2);
    jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height);
    jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width);
    return jpeg;
}

// The header and a little of the scan, then the end marker: a few hundred bytes claiming the size.
QByteArray Tiny(const QByteArray &jpeg, int width, int height)
{
    const QByteArray claimed = WithSize(jpeg, width, height);
    return claimed.left(ScanData(claimed) + 64) + QByteArray("\xFF\xD9", 2);
}

} // namespace

class TestJpegVerdicts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPathGivesTheSameVerdict_data();
    void everyPathGivesTheSameVerdict();

private:
    QTemporaryDir m_dir;
    QByteArray m_baseline, m_progressive, m_arithmetic, m_arithmeticDamaged;
};

void TestJpegVerdicts::initTestCase()
{
    ConfigureProcess();
    QVERIFY(m_dir.isValid());
    const QString png = m_dir.filePath("photo.png");
    QVERIFY(Photo().save(png));
    const QString baseline = m_dir.filePath("baseline.jpg"), progressive = m_dir.filePath("progressive.jpg"),
                  arithmetic = m_dir.filePath("arithmetic.jpg");
    QCOMPARE(Run("convert", {png, "-quality", "90", "-sampling-factor", "2x2", baseline}), QString());
    QCOMPARE(Run("convert", {png, "-quality", "90", "-interlace", "JPEG", progressive}), QString());
    QCOMPARE(Run("jpegtran", {"-arithmetic", "-outfile", arithmetic, baseline}), QString());
    m_baseline = Read(baseline);
    m_progressive = Read(progressive);
    m_arithmetic = Read(arithmetic);
    QVERIFY(ScanData(m_baseline) > 0 && ScanData(m_arithmetic) > 0 && m_progressive.size() > 1000);

    // Four bytes changed in the arithmetic-coded data, at the first place where djpeg itself says the
    // library finds a bad code (most changes only leave bytes over before the end marker).
    const QString damaged = m_dir.filePath("arithmetic-damaged.jpg");
    for (qsizetype at = ScanData(m_arithmetic) + 1000; at + 4 < m_arithmetic.size() - 2; at += 997) {
        QByteArray changed = m_arithmetic;
        for (qsizetype i = at; i < at + 4; ++i)
            changed[i] = uchar(changed[i]) == 0xAA ? char(0x55) : char(uchar(changed[i]) ^ 0x55);
        QVERIFY(Write(damaged, changed));
        QByteArray err;
        Run("djpeg", {"-outfile", "/dev/null", damaged}, &err);
        if (err.contains("bad arithmetic code")) {
            m_arithmeticDamaged = changed;
            break;
        }
    }
    QVERIFY2(!m_arithmeticDamaged.isEmpty(), "no change gave a bad arithmetic code");
}

void TestJpegVerdicts::everyPathGivesTheSameVerdict_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Verdict>("verdict");

    const QByteArray &b = m_baseline;
    const qsizetype data = ScanData(b);
    const qsizetype end = b.size() - 2; // the end marker
    QTest::newRow("baseline") << b << Verdict::Fine;
    QTest::newRow("progressive") << m_progressive << Verdict::Fine;
    QTest::newRow("arithmetic") << m_arithmetic << Verdict::Fine;

    // Real encoders write a spectral end of 0 in a sequential scan; the decoder ignores it.
    QByteArray spectral = b;
    const qsizetype sos = Marker(b, 0xDA);
    const int components = uchar(b[sos + 4]);
    spectral[sos + 5 + 2 * components + 1] = 0;
    QTest::newRow("baseline, spectral end 0") << spectral << Verdict::Fine;
    QTest::newRow("stray bytes before a marker")
        << b.left(Marker(b, 0xDB)) + QByteArray(3, '\0') + b.mid(Marker(b, 0xDB)) << Verdict::Fine;
    QTest::newRow("data after the end marker") << b + QByteArray(1000, 'x') << Verdict::Fine;

    QTest::newRow("cut in the scan") << b.left(data + (end - data) / 2) << Verdict::Damaged;
    QTest::newRow("cut, then an end marker") << b.left(data + (end - data) / 2) + QByteArray("\xFF\xD9", 2)
                                             << Verdict::Damaged;
    QTest::newRow("cut before the end marker") << b.left(end) << Verdict::Damaged;
    QTest::newRow("progressive, cut") << m_progressive.left(m_progressive.size() * 2 / 3) << Verdict::Damaged;
    QTest::newRow("arithmetic, cut") << m_arithmetic.left(m_arithmetic.size() / 2) << Verdict::Damaged;

    // Ones where a code is expected: no code of the standard tables is all ones.
    QByteArray badCode = b;
    for (qsizetype i = end - 40; i < end - 20; i += 2)
        badCode[i] = char(0xFF), badCode[i + 1] = 0;
    QTest::newRow("bad Huffman codes near the end") << badCode << Verdict::Damaged;

    QTest::newRow("arithmetic, damaged") << m_arithmeticDamaged << Verdict::Damaged;

    QTest::newRow("tiny file claiming 65500 × 65500") << Tiny(b, 65500, 65500) << Verdict::TooLarge;
    QTest::newRow("tiny file claiming 3000 × 3000") << Tiny(b, 3000, 3000) << Verdict::Damaged;
}

// One verdict, whichever path the photo takes; a refused photo leaves no output behind.
void TestJpegVerdicts::everyPathGivesTheSameVerdict()
{
    QFETCH(QByteArray, file);
    QFETCH(Verdict, verdict);
    QTemporaryDir dir;
    const QString input = dir.filePath("photo.jpg");
    QVERIFY(Write(input, file));
    const QByteArray local = QFile::encodeName(input);

    QStringList wrong;
    const auto check = [&](const char *path, Verdict got) {
        if (got != verdict)
            wrong << QStringLiteral("%1: %2").arg(path, Name(got));
    };
    const auto ofLoad = [](LoadProblem p) {
        return p == LoadProblem::None ? Verdict::Fine : p == LoadProblem::TooLarge ? Verdict::TooLarge : Verdict::Damaged;
    };
    check("window, one decoder", ofLoad(LoadPicture(local, 1).problem));
    check("window, two decoders", ofLoad(LoadPicture(local, 2).problem));

    const RowTables tables = MakeRowTables(Gains{0.1f, 0.0f, -0.05f});
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Jpeg}) {
        const QString out = dir.filePath(format == PictureFormat::Bmp ? "banded.bmp" : "banded.jpg");
        const StreamRequest request{input.toStdString(), QFile::encodeName(out).toStdString(), false, format, 90,
                                    PictureMemoryLimit(), 2};
        const StreamResult result = CorrectJpegFile(request, tables, {}).result;
        check(format == PictureFormat::Bmp ? "banded to BMP" : "banded to JPEG",
              result == StreamResult::Written ? Verdict::Fine
              : result == StreamResult::TooLarge ? Verdict::TooLarge
                                                 : Verdict::Damaged);
        if (result != StreamResult::Written && QFile::exists(out))
            wrong << QStringLiteral("banded: a refused photo left %1").arg(out);
    }

    for (const QString format : {"jpg", "bmp", "png"}) {
        const QString folder = dir.filePath("apply-" + format);
        QByteArray err;
        int exit = -1;
        Run(VELMORA_BINARY, {"apply", "--gains", "0.1,0,-0.05", "--format", format, "--out", folder, input}, &err, &exit);
        const bool written = QFile::exists(folder + "/photo." + format);
        const Verdict got = exit == 0 && written                   ? Verdict::Fine
                            : err.contains("too large")            ? Verdict::TooLarge
                            : err.contains("damaged")              ? Verdict::Damaged
                                                                   : Verdict(-1);
        check(qPrintable("apply to " + format), got);
        if (exit != 0 && written)
            wrong << QStringLiteral("apply to %1 failed and left its output").arg(format);
        if (exit == 0 && got != Verdict::Fine)
            wrong << QStringLiteral("apply to %1 exited 0 without its output").arg(format);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("expected %1; ").arg(Name(verdict)) + wrong.join("; ")));
}

QTEST_GUILESS_MAIN(TestJpegVerdicts)
#include "tst_jpeg_verdicts.moc"
