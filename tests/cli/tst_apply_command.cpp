// Velmora tests — `velmora apply`, the real binary without a display: its pixels against the rule
// applied to an independent decode, against the window's own pass and save, its refusals, its
// outputs, and the same run spread by GNU parallel.
#include <QtTest>

#include <cmath>
#include <csignal>
#include <thread>

#include <QImageWriter>
#include <QtEndian>

#include "support/file_size_limit.h"
#include "support/files.h"
#include "support/tools.h"
#include "support/window_rig.h"
#include "batch/batch_files.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

struct Ran {
    int exit = -1;
    QString out;
    QString err;
};

// No display and no platform plugin asked for: the command must not need one.
Ran Apply(const QStringList &arguments, const QStringList &locale = {"LANG=C"}, const QString &program = {})
{
    const fakes::Environment environment{
        {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}, locale};
    const fakes::Ran ran = program.isEmpty()
                               ? fakes::RunVelmora(QStringList{"apply"} + arguments, environment)
                               : fakes::RunProgram(program, arguments, QByteArray(), 120000, environment);
    if (ran.timedOut)
        return {};
    return {ran.exit, QString::fromUtf8(ran.out), QString::fromUtf8(ran.err)};
}

// Photo-like: smooth light, noise, odd sizes. Dark enough that gains near 1 clamp only a little.
QImage Photo(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 0x9E3779B9u * (seed + 1);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            const int light = 60 + int(50 * std::sin(x * 0.013 + seed) * std::cos(y * 0.011));
            row[x] = qRgb(qBound(0, light + 40 + int(state & 31), 255), qBound(0, light + int(state >> 8 & 31), 255),
                                      qBound(0, light - 20 + int(state >> 16 & 31), 255));
        }
    }
    return image;
}

QString WriteJpeg(const QString &path, const QImage &image, bool progressive = false)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return path;
}

// Decoded by ImageMagick, not by us: 8-bit RGB triples, top row first.
QByteArray Decoded(const QString &path, bool autoOrient = false, QSize *size = nullptr)
{
    QStringList args{path};
    if (autoOrient)
        args << "-auto-orient";
    const QByteArray rgb = fakes::ImageMagick(args << "-depth" << "8" << "rgb:-", QByteArray(), 60000);
    if (size)
        *size = autoOrient && size->isValid() ? *size : fakes::IdentifiedSize(path);
    return rgb;
}

// The correction as stated: v' = clamp(floor(g × v) + v, 0, 255), the gain a float, the product a double.
QByteArray ByTheRule(QByteArray rgb, const std::array<float, 3> &gains)
{
    std::array<std::array<char, 256>, 3> answer{};
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            const double corrected = std::floor(static_cast<double>(gains[c]) * v) + v;
            answer[c][v] = static_cast<char>(corrected > 255 ? 255 : corrected < 0 ? 0 : int(corrected));
        }
    char *bytes = rgb.data();
    for (qsizetype i = 0; i < rgb.size(); ++i)
        bytes[i] = answer[i % 3][static_cast<unsigned char>(bytes[i])];
    return rgb;
}

QString FirstDifference(const QByteArray &a, const QByteArray &e, int tolerance = 0)
{
    if (a.size() != e.size())
        return QStringLiteral("%1 bytes against %2").arg(a.size()).arg(e.size());
    for (qsizetype i = 0; i < a.size(); ++i)
        if (std::abs(int(uchar(a[i])) - int(uchar(e[i]))) > tolerance)
            return QStringLiteral("byte %1 (pixel %2, channel %3): %4 against %5")
                .arg(i).arg(i / 3).arg(i % 3).arg(uchar(a[i])).arg(uchar(e[i]));
    return {};
}

// A grey 16-bit PNG, every sample `value`, written by Python's zlib: a few hundred kilobytes of file
// that claim width × height pixels.
bool WriteGreyPng16(const QString &path, int width, int height, int value)
{
    static const char *const kScript = R"(import sys, zlib, struct
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
w, h, v = int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
c = zlib.compressobj(9); row = b'\0' + struct.pack('>H', v) * w
data = b''.join(c.compress(row) for _ in range(h)) + c.flush()
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 16, 0, 0, 0, 0))
                              + chunk(b'IDAT', data) + chunk(b'IEND', b'')))";
    return fakes::RunPython(QString::fromLatin1(kScript), {path, QString::number(width), QString::number(height),
                                                          QString::number(value)},
                            120000)
        .ok();
}

QStringList HiddenFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\."));
}

} // namespace

class TestApplyCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }

    void pixelsFollowTheRule_data();
    void pixelsFollowTheRule();
    void windowAndCommandLineWriteTheSameBitmap();
    void jpegKeepsCameraDataAndFollowsTheRule();
    void correctionFileGivesTheSameOutput();
    void rulesFollowTheirFormulas_data();
    void rulesFollowTheirFormulas();
    void refusals_data();
    void refusals();
    void messagesFollowTheLocale_data();
    void messagesFollowTheLocale();
    void threadsSpreadOverPhotos_data();
    void threadsSpreadOverPhotos();
    void oneThreadOrTwoWriteTheSameFile_data();
    void oneThreadOrTwoWriteTheSameFile();
    void existingOutputsAndInputsAreKept();
    void damagedPhotosFailAloneAndLeaveNothing_data();
    void damagedPhotosFailAloneAndLeaveNothing();
    void failedWritesLeaveNothing_data();
    void failedWritesLeaveNothing();
    void parallelAcrossMachinesEqualsPlainRun();
    void progressOnlyOnATerminal();
    void jobsShareOneMemoryBudget();
};

void TestApplyCommand::pixelsFollowTheRule_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("gains");
    QTest::addColumn<QString>("format");
    QTest::newRow("jpeg to bmp, several bands") << "jpeg" << "0.12,-0.05,0.08" << "bmp";
    // Gains of -1 and below are refused (a whole channel to black); -0.9 comes closest.
    QTest::newRow("jpeg to bmp, clamping both ways") << "jpeg" << "-0.9,2.25,-0.3333333" << "bmp";
    QTest::newRow("progressive jpeg to bmp") << "progressive" << "0.1,0.2,-0.1" << "bmp";
    QTest::newRow("grey jpeg to bmp") << "grey" << "0.3,0,-0.2" << "bmp";
    QTest::newRow("turned jpeg to bmp, upright") << "turned" << "0.12,-0.05,0.08" << "bmp";
    QTest::newRow("png to png, whole") << "png" << "0.12,-0.05,0.08" << "png";
    QTest::newRow("jpeg to png, whole") << "jpeg" << "0.12,-0.05,0.08" << "png";
    QTest::newRow("png to tif, whole") << "png" << "-0.2,0.1,0.3" << "tif";
    QTest::newRow("bmp to bmp, whole") << "bmp" << "0.5,0.5,0.5" << "bmp";
}

// Every pixel of the output is the rule applied to ImageMagick's decode of the input.
void TestApplyCommand::pixelsFollowTheRule()
{
    QFETCH(QString, kind);
    QFETCH(QString, gains);
    QFETCH(QString, format);
    QTemporaryDir dir;
    QString input;
    const QImage photo = Photo(1501, 803, 1);
    if (kind == "jpeg")
        input = WriteJpeg(dir.filePath("photo.jpg"), photo);
    else if (kind == "progressive")
        input = WriteJpeg(dir.filePath("photo.jpg"), photo, true);
    else if (kind == "grey")
        input = WriteJpeg(dir.filePath("photo.jpg"), photo.convertToFormat(QImage::Format_Grayscale8));
    else if (kind == "turned")
        QVERIFY(QFile::copy(TEST_DATA_DIR "/exif_rotated.jpg", input = dir.filePath("photo.jpg")));
    else
        QVERIFY(photo.save(input = dir.filePath("photo." + kind)));

    const Ran ran = Apply({"--gains", gains, "--format", format, input});
    QVERIFY2(ran.exit == 0, qPrintable(ran.err));
    const QString output = dir.filePath("已校正/photo." + format);
    QVERIFY(QFile::exists(output));
    std::array<float, 3> g{};
    const QStringList parts = gains.split(',');
    for (int i = 0; i < 3; ++i)
        g[i] = parts[i].toFloat();
    QSize inSize, outSize;
    const QByteArray expected = ByTheRule(Decoded(input, kind == "turned", &inSize), g);
    const QByteArray actual = Decoded(output, false, &outSize);
    if (kind == "turned")
        QCOMPARE(outSize, inSize.transposed());
    else
        QCOMPARE(outSize, inSize);
    const QString difference = FirstDifference(actual, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QVERIFY(HiddenFiles(dir.filePath("已校正")).isEmpty());
}

// The same photo and gains through the window (import, 校正, 保存) and through the command line.
void TestApplyCommand::windowAndCommandLineWriteTheSameBitmap()
{
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(1203, 911, 2));
    fakes::WindowRig w;
    w.picker.answers.push_back(input.toStdString());
    w.button("导入客体")->click();
    w.field("红")->setText("50");
    w.field("绿")->setText("40");
    w.field("蓝")->setText("46");
    w.button("校正")->click();
    QVERIFY(w.messages.shown.empty());
    w.picker.answers.push_back(dir.filePath("window").toStdString());
    w.button("保存")->click();
    QVERIFY(w.messages.shown.empty());

    // The window's rule: the differences and the colour last picked on the photo.
    const Channels t = w.form.targetChannels();
    const QString reference = QStringLiteral("%1,%2,%3").arg(t.red + 50).arg(t.green + 40).arg(t.blue + 46);
    const QString target = QStringLiteral("%1,%2,%3").arg(t.red).arg(t.green).arg(t.blue);
    const Ran ran = Apply({"--reference", reference, "--target", target, "--format", "bmp", "--out", dir.path(), input});
    QVERIFY2(ran.exit == 0, qPrintable(ran.err));
    const QByteArray window = fakes::Read(dir.filePath("window.bmp"));
    QVERIFY(window.size() > 54);
    QVERIFY(window == fakes::Read(dir.filePath("photo.bmp")));
}

// JPEG to JPEG in bands: 4:4:4 at the quality asked, every marker of the camera kept, pixels close
// to the rule (JPEG is lossy; at quality 95 a channel moves by a few levels at most).
void TestApplyCommand::jpegKeepsCameraDataAndFollowsTheRule()
{
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(1024, 700, 3));
    const Ran tagged = Apply({"-overwrite_original", "-Orientation#=6", "-Make=Velmora Test Camera",
                              "-ICC_Profile<=/usr/share/color/icc/sRGB.icc", input},
                             {"LANG=C"}, "exiftool");
    QVERIFY2(tagged.exit == 0, qPrintable(tagged.err));

    const Ran ran = Apply({"--gains", "0.12,-0.05,0.08", "--format", "jpg", "--quality", "95", input});
    QVERIFY2(ran.exit == 0, qPrintable(ran.err));
    const QString output = dir.filePath("已校正/photo.jpg");
    const Ran tags = Apply({"-s3", "-n", "-Orientation", "-Make", "-ProfileDescription", output}, {"LANG=C"}, "exiftool");
    const Ran inputTags = Apply({"-s3", "-n", "-Orientation", "-Make", "-ProfileDescription", input}, {"LANG=C"}, "exiftool");
    QCOMPARE(tags.out, inputTags.out);
    QVERIFY(tags.out.startsWith("6\nVelmora Test Camera\n"));
    const Ran sampling = Apply({"-format", "%[jpeg:sampling-factor] %Q", output}, {"LANG=C"}, "identify");
    QCOMPARE(sampling.out, QStringLiteral("1x1,1x1,1x1 95"));
    const QByteArray expected = ByTheRule(Decoded(input), {0.12f, -0.05f, 0.08f});
    const QString difference = FirstDifference(Decoded(output), expected, 8);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestApplyCommand::correctionFileGivesTheSameOutput()
{
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(300, 200, 4));
    const QString file = dir.filePath("shoot.velmora");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[velmora correction]\nversion=1\ngains=0.512820542,0.320512831,0.256410271\ntarget=120,100,80\n");
    f.close();
    QCOMPARE(Apply({"--correction", file, "--format", "bmp", "--out", dir.filePath("a"), input}).exit, 0);
    // 200,150,120 against 120,100,80: differences 80,50,40 over a brightness of 56 + 100.
    QCOMPARE(Apply({"--reference", "200,150,120", "--target", "120,100,80", "--format", "bmp", "--out",
                    dir.filePath("b"), input}).exit, 0);
    QVERIFY(fakes::Read(dir.filePath("a/photo.bmp")).size() > 54);
    QVERIFY(fakes::Read(dir.filePath("a/photo.bmp")) == fakes::Read(dir.filePath("b/photo.bmp")));

    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[velmora correction]\nversion=7\ngains=1,2,3\n");
    f.close();
    const Ran newer = Apply({"--correction", file, input});
    QCOMPARE(newer.exit, 2);
    QVERIFY2(newer.err.contains("newer"), qPrintable(newer.err));
    const Ran missing = Apply({"--correction", dir.filePath("none.velmora"), input});
    QCOMPARE(missing.exit, 2);
    QVERIFY2(missing.err.contains("cannot read the correction file"), qPrintable(missing.err));
}

// Each rule, written out plainly, over ImageMagick's decode of the photo; a correction file with
// the rule gives the same file as the options.
void TestApplyCommand::rulesFollowTheirFormulas_data()
{
    QTest::addColumn<QString>("rule");
    QTest::newRow("exact") << "exact";
    QTest::newRow("curve") << "curve";
}

void TestApplyCommand::rulesFollowTheirFormulas()
{
    QFETCH(QString, rule);
    QTemporaryDir dir;
    const QString input = dir.filePath("photo.png");
    QVERIFY(Photo(401, 203, 6).save(input));
    const std::array<double, 3> r{0xa0, 0x7e, 0x56}, t{0x82, 0x5c, 0x43}; // two Monk tones
    const Ran ran = Apply({"--rule", rule, "--reference", "160,126,86", "--target", "130,92,67", "--out",
                           dir.filePath("a"), input});
    QVERIFY2(ran.exit == 0, qPrintable(ran.err));
    std::array<std::array<char, 256>, 3> answer{};
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const auto encoded = [](double l) { return l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055; };
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            double out;
            if (rule == "exact")
                out = 255 * encoded(std::min(1.0, linear(v / 255.0) * linear(r[c] / 255) / linear(t[c] / 255)));
            else
                out = 255 * std::pow(v / 255.0, std::log(r[c] / 255) / std::log(t[c] / 255));
            answer[c][v] = static_cast<char>(int(std::floor(out + 0.5)));
        }
    QByteArray expected = Decoded(input);
    for (qsizetype i = 0; i < expected.size(); ++i)
        expected[i] = answer[i % 3][uchar(expected[i])];
    const QString difference = FirstDifference(Decoded(dir.filePath("a/photo.png")), expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    const QString file = dir.filePath("shoot.velmora");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(("[velmora correction]\nversion=2\nrule=" + rule + "\nreference=160,126,86\ntarget=130,92,67\n").toUtf8());
    f.close();
    QCOMPARE(Apply({"--correction", file, "--out", dir.filePath("b"), input}).exit, 0);
    QVERIFY(fakes::Read(dir.filePath("b/photo.png")) == fakes::Read(dir.filePath("a/photo.png")));
    // --rule turns a file's colours into that rule's pass.
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[velmora correction]\nversion=1\ngains=1,1,1\nreference=160,126,86\ntarget=130,92,67\n");
    f.close();
    QCOMPARE(Apply({"--correction", file, "--rule", rule, "--out", dir.filePath("c"), input}).exit, 0);
    QVERIFY(fakes::Read(dir.filePath("c/photo.png")) == fakes::Read(dir.filePath("a/photo.png")));
    // An unknown rule in a file refuses it, and nothing is written.
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[velmora correction]\nversion=2\nrule=warm\nreference=160,126,86\ntarget=130,92,67\n");
    f.close();
    const Ran unknown = Apply({"--correction", file, "--out", dir.filePath("d"), input});
    QCOMPARE(unknown.exit, 2);
    QVERIFY2(unknown.err.contains("rule this version does not know"), qPrintable(unknown.err));
    QVERIFY(!QFile::exists(dir.filePath("d")));
}

void TestApplyCommand::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero brightness") << QStringList{"--reference", "0,0,0", "--target", "0,0,0"} << "zero or below";
    QTest::newRow("negative brightness") << QStringList{"--reference", "0,0,0", "--target", "10,0,0"} << "zero or below";
    QTest::newRow("difference over 100") << QStringList{"--reference", "255,100,100", "--target", "100,100,100"}
                                         << "too large";
    QTest::newRow("two gains") << QStringList{"--gains", "0.1,0.2"} << "three numbers";
    QTest::newRow("gains not numbers") << QStringList{"--gains", "a,b,c"} << "three numbers";
    QTest::newRow("gain beyond a float") << QStringList{"--gains=1e39,0,0"} << "three numbers";
    QTest::newRow("reference above 255") << QStringList{"--reference", "256,0,0", "--target", "1,1,1"} << "0 to 255";
    QTest::newRow("target not whole") << QStringList{"--reference", "9,9,9", "--target", "1.5,1,1"} << "whole numbers";
    QTest::newRow("reference alone") << QStringList{"--reference", "9,9,9"} << "go together";
    QTest::newRow("two corrections") << QStringList{"--gains", "0,0,0", "--reference", "9,9,9", "--target", "1,1,1"}
                                     << "only one";
    QTest::newRow("no correction") << QStringList{} << "give the correction";
    QTest::newRow("quality 0") << QStringList{"--gains", "0,0,0", "--quality", "0"} << "quality";
    QTest::newRow("jobs not a number") << QStringList{"--gains", "0,0,0", "--jobs", "two"} << "--jobs";
    QTest::newRow("format gif") << QStringList{"--gains", "0,0,0", "--format", "gif"} << "unsupported output format";
    QTest::newRow("unknown option") << QStringList{"--gain", "0,0,0"} << "unknown option";
    QTest::newRow("value missing") << QStringList{"--gains"} << "needs a value";
    QTest::newRow("gains with another rule") << QStringList{"--gains", "0.1,0,0", "--rule", "exact"}
                                             << "--gains belongs to the design's rule";
    QTest::newRow("unknown rule") << QStringList{"--rule=warm", "--reference", "90,60,45", "--target", "200,170,150"}
                                  << "unknown rule (use design, exact or curve): warm";
    QTest::newRow("darker reference by the design's rule")
        << QStringList{"--reference", "90,60,45", "--target", "200,170,150"} << "much darker than this skin";
    QTest::newRow("gain of -1") << QStringList{"--gains", "0,-1,0"} << "green gain would be -1";
    QTest::newRow("exact on a black target channel")
        << QStringList{"--rule", "exact", "--reference", "90,60,45", "--target", "0,170,150"} << "its red is 0";
    QTest::newRow("curve on a white reference channel")
        << QStringList{"--rule", "curve", "--reference", "90,60,255", "--target", "200,170,150"}
        << "the reference's blue is 255";
    QTest::newRow("curve on a black target channel")
        << QStringList{"--rule", "curve", "--reference", "90,60,45", "--target", "200,0,150"} << "the target's green is 0";
}

// Refused before any photo is touched: exit 2, the reason on stderr, no output folder made.
void TestApplyCommand::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(40, 30, 5));
    const Ran ran = Apply(QStringList{input} + arguments);
    QCOMPARE(ran.exit, 2);
    QVERIFY2(ran.err.contains(message), qPrintable(ran.err));
    QVERIFY(!QFile::exists(dir.filePath("已校正")));

    const Ran noFiles = Apply({"--gains", "0,0,0"});
    QCOMPARE(noFiles.exit, 2);
    QVERIFY(noFiles.err.contains("no photos"));
}

void TestApplyCommand::messagesFollowTheLocale_data()
{
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<bool>("chinese");
    QTest::newRow("LANG zh_CN") << QStringList{"LANG=zh_CN.UTF-8"} << true;
    QTest::newRow("LC_MESSAGES zh_TW") << QStringList{"LANG=C", "LC_MESSAGES=zh_TW.UTF-8"} << true;
    QTest::newRow("LC_ALL over LANG") << QStringList{"LANG=zh_CN.UTF-8", "LC_ALL=en_GB.UTF-8"} << false;
    QTest::newRow("LC_ALL zh") << QStringList{"LANG=C", "LC_ALL=zh_CN.UTF-8"} << true;
    QTest::newRow("C") << QStringList{"LANG=C"} << false;
    QTest::newRow("none") << QStringList{} << false;
    QTest::newRow("en_US") << QStringList{"LANG=en_US.UTF-8"} << false;
    QTest::newRow("German") << QStringList{"LANG=de_DE.UTF-8"} << false;
    QTest::newRow("LANGUAGE zh over LANG en") << QStringList{"LANG=en_US.UTF-8", "LANGUAGE=zh_CN:en"} << true;
    QTest::newRow("LANGUAGE en over LC_ALL zh") << QStringList{"LC_ALL=zh_CN.UTF-8", "LANGUAGE=en_GB"} << false;
    QTest::newRow("LANGUAGE of neither") << QStringList{"LANG=zh_CN.UTF-8", "LANGUAGE=fr"} << true;
}

void TestApplyCommand::messagesFollowTheLocale()
{
    QFETCH(QStringList, locale);
    QFETCH(bool, chinese);
    const Ran help = Apply({"--help"}, locale);
    QCOMPARE(help.exit, 0);
    QCOMPARE(help.out.startsWith("用法：velmora apply"), chinese);
    QCOMPARE(help.out.startsWith("usage: velmora apply"), !chinese);
    QVERIFY(help.out.contains("--gains") && help.out.contains("--jobs") && help.out.contains("--overwrite"));
    const Ran dark = Apply({"--reference", "0,0,0", "--target", "0,0,0", "x.jpg"}, locale);
    QCOMPARE(dark.exit, 2);
    QCOMPARE(dark.err.contains("亮度为零或负数"), chinese);
    QCOMPARE(dark.err.contains("the brightness from these colours is zero or below"), !chinese);
    // A photo's failure and the summary, put together from values, in the same language.
    QTemporaryDir dir;
    const QString photo = dir.filePath("missing.jpg");
    const Ran missing = Apply({"--gains", "0,0,0", photo}, locale);
    QCOMPARE(missing.exit, 1);
    QCOMPARE(missing.err.trimmed(), chinese ? QString::fromUtf8("失败：%1：文件不存在").arg(photo)
                                            : QStringLiteral("failed: %1: the file does not exist").arg(photo));
    QVERIFY2(missing.out.startsWith(chinese ? QString::fromUtf8("已校正 0/1 张照片，1 张失败（0.0 MB，")
                                            : QStringLiteral("corrected 0 of 1 photos, 1 failed (0.0 MB in ")),
             qPrintable(missing.out));
}

void TestApplyCommand::threadsSpreadOverPhotos_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("photos");
    QTest::addColumn<int>("workers");
    QTest::addColumn<int>("threadsEach");
    QTest::newRow("one thread, many photos") << 1 << 16 << 1 << 1;
    QTest::newRow("two threads, many photos") << 2 << 16 << 2 << 1;
    QTest::newRow("two threads, one photo") << 2 << 1 << 1 << 2;
    QTest::newRow("ten threads, five photos") << 10 << 5 << 5 << 2;
    QTest::newRow("three threads, two photos") << 3 << 2 << 2 << 1;
    QTest::newRow("no photos") << 4 << 0 << 1 << 4;
}

// `--jobs` counts threads: a photo each while photos last, the spare ones shared out otherwise.
void TestApplyCommand::threadsSpreadOverPhotos()
{
    QFETCH(int, threads);
    QFETCH(int, photos);
    const ThreadSplit split = SplitThreads(threads, std::size_t(photos));
    QTEST(split.workers, "workers");
    QTEST(split.threadsEach, "threadsEach");
    const ThreadSplit perCore = SplitThreads(0, 1);
    QCOMPARE(perCore.threadsEach, int(std::max(1u, std::thread::hardware_concurrency())));
}

void TestApplyCommand::oneThreadOrTwoWriteTheSameFile_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("bmp") << "bmp";
    QTest::newRow("jpg") << "jpg";
}

// A lone photo is decoded on one thread while another writes it (`--jobs` 2 and up); the file is the
// one a single thread writes, byte for byte. The photo is many bands tall.
void TestApplyCommand::oneThreadOrTwoWriteTheSameFile()
{
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(1501, 1803, 9));
    for (const QString jobs : {"1", "2"}) {
        const Ran ran = Apply({"--gains", "0.12,-0.05,0.08", "--format", format, "--jobs", jobs, "--out",
                               dir.filePath(jobs), input});
        QVERIFY2(ran.exit == 0, qPrintable(ran.err));
    }
    const QByteArray one = fakes::Read(dir.filePath("1/photo." + format));
    QVERIFY(one.size() > 100000);
    QVERIFY(one == fakes::Read(dir.filePath("2/photo." + format)));
}

// An output is never written over without --overwrite, and a photo is never written over at all.
void TestApplyCommand::existingOutputsAndInputsAreKept()
{
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(64, 48, 6));
    const QByteArray original = fakes::Read(input);
    QCOMPARE(Apply({"--gains", "0.1,0.1,0.1", input}).exit, 0);
    const QString output = dir.filePath("已校正/photo.jpg");
    const QByteArray first = fakes::Read(output);

    const Ran again = Apply({"--gains", "0.3,0.3,0.3", input});
    QCOMPARE(again.exit, 1);
    QVERIFY2(again.err.contains("output file exists"), qPrintable(again.err));
    QVERIFY(fakes::Read(output) == first);
    QVERIFY(again.out.contains("corrected 0 of 1 photos, 1 failed"));

    QCOMPARE(Apply({"--gains", "0.3,0.3,0.3", "--overwrite", input}).exit, 0);
    QVERIFY(fakes::Read(output) != first);

    for (const QStringList &into : {QStringList{"--out", dir.path()}, QStringList{"--out", dir.path(), "--overwrite"}}) {
        const Ran self = Apply(QStringList{"--gains", "0.3,0.3,0.3"} + into + QStringList{input});
        QCOMPARE(self.exit, 1);
        QVERIFY2(self.err.contains("would replace the photo"), qPrintable(self.err));
        QVERIFY(fakes::Read(input) == original);
    }
    // Two photos that would write one file: the first is written, the second is not.
    QVERIFY(QDir().mkdir(dir.filePath("other")));
    const QString twin = WriteJpeg(dir.filePath("other/photo.jpg"), Photo(64, 48, 7));
    const Ran twins = Apply({"--gains", "0,0,0", "--out", dir.filePath("twins"), input, twin});
    QCOMPARE(twins.exit, 1);
    QVERIFY2(twins.err.contains(twin + ": another photo"), qPrintable(twins.err));
}

void TestApplyCommand::damagedPhotosFailAloneAndLeaveNothing_data()
{
    QTest::addColumn<QString>("jobs");
    QTest::newRow("a thread a photo") << "2";
    QTest::newRow("two threads a photo") << "10";
}

// A damaged photo fails with its reason; the rest are done; nothing half-written is left behind.
void TestApplyCommand::damagedPhotosFailAloneAndLeaveNothing()
{
    QFETCH(QString, jobs);
    QTemporaryDir dir;
    const QString good = WriteJpeg(dir.filePath("good.jpg"), Photo(800, 1600, 8));
    const QByteArray whole = fakes::Read(good);
    QFile cut(dir.filePath("cut.jpg"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(whole.size() / 2));
    cut.close();
    QFile corrupt(dir.filePath("corrupt.jpg"));
    QVERIFY(corrupt.open(QIODevice::WriteOnly));
    QByteArray scrambled = whole;
    for (qsizetype i = whole.size() / 3; i < whole.size() / 3 + 2000; ++i)
        scrambled[i] = char(0xFF);
    corrupt.write(scrambled);
    corrupt.close();
    QVERIFY(QFile::copy(TEST_DATA_DIR "/garbage.jpg", dir.filePath("garbage.jpg")));

    for (const QString &format : {"bmp", "jpg"}) {
        const QString out = dir.filePath("out-" + format);
        const Ran ran = Apply({"--gains", "0.1,0,0", "--format", format, "--jobs", jobs, "--out", out,
                               dir.filePath("cut.jpg"), good, dir.filePath("corrupt.jpg"), dir.filePath("garbage.jpg"),
                               dir.filePath("missing.jpg")});
        QCOMPARE(ran.exit, 1);
        QVERIFY2(ran.out.contains("corrected 1 of 5 photos, 4 failed"), qPrintable(ran.out));
        QVERIFY2(ran.err.contains("cut.jpg: the picture data is damaged"), qPrintable(ran.err));
        QVERIFY2(ran.err.contains("corrupt.jpg: the picture data is damaged"), qPrintable(ran.err));
        QVERIFY2(ran.err.contains("missing.jpg: the file does not exist"), qPrintable(ran.err));
        QVERIFY2(ran.err.contains("garbage.jpg: "), qPrintable(ran.err));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"good." + format});
    }
}

void TestApplyCommand::failedWritesLeaveNothing_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("jobs");
    QTest::addColumn<int>("limit");
    QTest::newRow("bmp, one thread") << "bmp" << "1" << 2000000;
    QTest::newRow("bmp, two threads") << "bmp" << "2" << 2000000;
    QTest::newRow("jpg, one thread") << "jpg" << "1" << 300000;
    QTest::newRow("jpg, two threads") << "jpg" << "2" << 300000;
}

// Writes that start failing part-way (a full disk; here the file size limit): the photo fails with
// the reason, the run ends normally, and neither the output nor its hidden file is left.
void TestApplyCommand::failedWritesLeaveNothing()
{
    QFETCH(QString, format);
    QFETCH(QString, jobs);
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString input = WriteJpeg(dir.filePath("photo.jpg"), Photo(1501, 1803, 10));
    QVERIFY(QDir().mkdir(dir.filePath("out")));
    Ran ran;
    {
        // As from a shell: the signal's default would end the run with the hidden file left.
        const auto inherited = std::signal(SIGXFSZ, SIG_DFL);
        fakes::FileSizeLimit full(static_cast<rlim_t>(limit));
        ran = Apply({"--gains", "0.1,0,0", "--format", format, "--quality", "100", "--jobs", jobs, "--out",
                     dir.filePath("out"), input});
        std::signal(SIGXFSZ, inherited);
    }
    QCOMPARE(ran.exit, 1);
    QVERIFY2(ran.err.contains("photo.jpg: writing the output failed"), qPrintable(ran.err));
    QCOMPARE(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// The command is a pure function of its file and correction, so GNU parallel may spread it.
void TestApplyCommand::parallelAcrossMachinesEqualsPlainRun()
{
    QTemporaryDir dir;
    QStringList photos;
    for (int i = 0; i < 4; ++i)
        photos << WriteJpeg(dir.filePath(QStringLiteral("photo%1.jpg").arg(i)), Photo(320 + i, 240, 10 + i));
    const Ran plain = Apply(QStringList{"--gains", "0.12,-0.05,0.08", "--format", "bmp", "--out", dir.filePath("plain")} + photos);
    QCOMPARE(plain.exit, 0);
    const Ran spread = Apply(QStringList{"--will-cite", "--sshlogin", ":", QStringLiteral(VELMORA_BINARY), "apply", "--gains",
                                         "0.12,-0.05,0.08", "--format", "bmp", "--out", dir.filePath("spread"), ":::"}
                                 + photos,
                             {"LANG=C"}, "parallel");
    QVERIFY2(spread.exit == 0, qPrintable(spread.err));
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("/photo%1.bmp").arg(i);
        const QByteArray a = fakes::Read(dir.filePath("plain") + name);
        QVERIFY(a.size() > 54);
        QVERIFY(a == fakes::Read(dir.filePath("spread") + name));
    }
}

// A progress line redrawn in place on a terminal (here the pseudo-terminal of `script`); piped,
// just the one summary line.
void TestApplyCommand::progressOnlyOnATerminal()
{
    QTemporaryDir dir;
    QStringList photos;
    for (int i = 0; i < 12; ++i)
        photos << WriteJpeg(dir.filePath(QStringLiteral("p%1.jpg").arg(i)), Photo(1200, 900, 20 + i));
    const QStringList arguments = QStringList{"--gains", "0.1,0,0", "--format", "bmp", "--jobs", "1"} + photos;
    const Ran piped = Apply(arguments + QStringList{"--out", dir.filePath("piped")});
    QCOMPARE(piped.exit, 0);
    QCOMPARE(piped.out.count('\n'), 1);
    QVERIFY(piped.out.startsWith("corrected 12 of 12 photos"));
    QVERIFY(!piped.out.contains('\r'));

    QStringList line{QStringLiteral(VELMORA_BINARY), "apply", "--out", dir.filePath("terminal")};
    for (const QString &a : arguments)
        line << a;
    const Ran terminal = Apply({"-qec", line.join(' '), "/dev/null"}, {"LANG=C"}, "script");
    QCOMPARE(terminal.exit, 0);
    QVERIFY2(terminal.out.contains(QRegularExpression("\\r\\[[#-]{24}\\] \\d+/12 files  [0-9.]+ MB/s  left ")),
             qPrintable(terminal.out));
    QVERIFY(terminal.out.contains("corrected 12 of 12 photos"));
}

// Photos corrected at once share the process's memory: three photos that each take about a
// gigabyte (16-bit 16000 × 16000, half a megabyte of file each) peak no higher with three jobs
// than with one, as GNU time measures the process. Every photo is still corrected.
void TestApplyCommand::jobsShareOneMemoryBudget()
{
    QTemporaryDir dir;
    QStringList photos;
    for (const char *name : {"a.png", "b.png", "c.png"}) {
        photos << dir.filePath(name);
        QVERIFY(WriteGreyPng16(photos.last(), 16000, 16000, 0x8000));
        QVERIFY(QFileInfo(photos.last()).size() < 1024 * 1024);
    }
    const auto peakKilobytes = [&](int jobs) -> qint64 {
        const QString out = dir.filePath(QStringLiteral("out%1").arg(jobs));
        const Ran ran = Apply(QStringList{"-f", "peak %M", VELMORA_BINARY, "apply", "--gains", "0.1,0,0", "--jobs",
                                          QString::number(jobs), "--format", "bmp", "--out", out}
                                  + photos,
                              {"LANG=C"}, "/usr/bin/time");
        if (ran.exit != 0) {
            qWarning() << ran.err;
            return -1;
        }
        // 128 grey (0x8000 rounded to 8 bits), red raised by floor(0.1 × 128); the first pixel's
        // bytes read straight from each bitmap, blue, green, red.
        for (const char *name : {"a.bmp", "b.bmp", "c.bmp"}) {
            QFile bitmap(out + "/" + name);
            if (!bitmap.open(QIODevice::ReadOnly) || bitmap.size() < 16000LL * 16000 * 3)
                return -1;
            const QByteArray head = bitmap.read(64);
            const quint32 offset = qFromLittleEndian<quint32>(head.constData() + 10);
            bitmap.seek(offset);
            if (bitmap.read(3) != QByteArray("\x80\x80\x8C", 3))
                return -1;
            bitmap.close();
            bitmap.remove(); // three quarters of a gigabyte each
        }
        const QRegularExpressionMatch peak = QRegularExpression("peak (\\d+)").match(ran.err);
        return peak.hasMatch() ? peak.captured(1).toLongLong() : -1;
    };
    const qint64 one = peakKilobytes(1), three = peakKilobytes(3);
    QVERIFY(one > 0 && three > 0);
    // One photo's picture alone is a gigabyte; three at once would be three.
    QVERIFY2(one > 900 * 1024, qPrintable(QString::number(one)));
    QVERIFY2(three < one * 5 / 4, qPrintable(QStringLiteral("%1 KB with three jobs, %2 KB with one").arg(three).arg(one)));
}

QTEST_MAIN(TestApplyCommand)
#include "tst_apply_command.moc"
