// Velmora tests — the real program in a real X window, driven by real input events: the window as
// drawn, a second copy refused, and a photo imported, picked, corrected and saved.
#include <QtTest>

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

#include "core/gain_table.h"
#include "core/correction_rule.h"

using namespace velmora;

namespace {

// Places in the designed window, in its pixels; the menu bar stands above it.
constexpr QPoint kImportTarget(432 + 3 + 50, 560 + 13 + 8);
constexpr QPoint kRefresh(848 + 2 + 30, 376 + 16 + 12);
constexpr QPoint kCorrect(848 + 2 + 30, 376 + 41 + 12);
constexpr QPoint kSave(848 + 2 + 30, 376 + 66 + 12);
constexpr QPoint kExit(848 + 2 + 30, 376 + 116 + 12);
// Swatch 2's pixel (0, 0): column at 848 + border 2, swatch top 160 + its border 1.
constexpr QPoint kSwatch2(848 + 2 + 1, 48 + 2 + 160 + 1);
constexpr QSize kPhoto(120, 90);
// The photo's pixel (0, 0): area at 432 + border 2, centred at 205 − 60, then the box's border 2.
constexpr QPoint kPhotoOrigin(432 + 2 + 145 + 2, 32 + 2 + 210 + 2);

QString Xdotool(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString WaitForWindow(qint64 pid)
{
    for (int i = 0; i < 100; ++i) {
        const QString found = Xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)});
        if (!found.isEmpty()) {
            QTest::qWait(500); // mapped is not yet drawn and ready for input
            return found.split('\n').last();
        }
        QTest::qWait(100);
    }
    return {};
}

// The designed window's height; the top-level window adds the menu bar's.
constexpr int kDesignedHeight = 599;
// How far below the top-level window's top the designed window starts: the menu bar's height.
int g_contentTop = 0;

// Arrives from a neighbouring point, so the widget under the pointer has seen it enter.
void Click(const QString &window, QPoint at, int button = 1)
{
    at.ry() += g_contentTop;
    Xdotool({"mousemove", "--window", window, QString::number(at.x() + 2), QString::number(at.y() + 2)});
    QTest::qWait(100);
    Xdotool({"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y())});
    QTest::qWait(150);
    Xdotool({"click", QString::number(button)});
    QTest::qWait(200);
}

// A picture file's pixels as PIL decodes them (Debian's Python), row by row, red, green, blue.
QByteArray PilPixels(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QStringLiteral("import sys; from PIL import Image; "
                                                  "sys.stdout.write(Image.open(sys.argv[1]).convert('RGB').tobytes().hex())"),
             path});
    p.waitForFinished(30000);
    return QByteArray::fromHex(p.readAllStandardOutput());
}

QByteArray RgbBytes(const QImage &image)
{
    QByteArray bytes;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            bytes.append(char(qRed(image.pixel(x, y)))).append(char(qGreen(image.pixel(x, y)))).append(char(qBlue(image.pixel(x, y))));
    return bytes;
}

// The whole screen, as the X server shows it.
QImage Screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32); }

// Where the window stands on the screen and its size, as the X server has it.
QRect WindowGeometry(const QString &window)
{
    QHash<QString, int> values;
    for (const QString &line : Xdotool({"getwindowgeometry", "--shell", window}).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values[line.left(equals)] = line.mid(equals + 1).toInt();
    }
    return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
}

// The designed window's top left corner on the screen, below the menu bar; checks the window's size.
QPoint ContentOrigin(const QString &window)
{
    const QRect g = WindowGeometry(window);
    g_contentTop = g.height() - kDesignedHeight;
    return g.topLeft() + QPoint(0, g_contentTop);
}

// Types a path into the file dialog that the click opened, and accepts it. Without a window
// manager nobody moves the keyboard focus to a new window, so this does.
bool AnswerDialog(qint64 pid, const QString &mainWindow, const QString &path)
{
    QString dialog;
    for (int i = 0; i < 50 && dialog.isEmpty(); ++i) {
        QTest::qWait(100);
        const QStringList windows = Xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)}).split('\n');
        for (const QString &w : windows)
            if (!w.isEmpty() && w != mainWindow)
                dialog = w;
    }
    if (dialog.isEmpty())
        return false;
    QTest::qWait(300);
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "--clearmodifiers", "ctrl+a"});
    Xdotool({"type", "--delay", "15", path});
    // The first Return may only take the name-completion list away.
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(300);
        Xdotool({"key", "Return"});
        QTest::qWait(500);
        if (!Xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)}).contains(dialog))
            return true;
    }
    return false;
}

QImage Photo()
{
    QImage image(kPhoto, QImage::Format_RGB32);
    for (int y = 0; y < kPhoto.height(); ++y)
        for (int x = 0; x < kPhoto.width(); ++x)
            image.setPixel(x, y, qRgb(100 + x / 2, 80 + y / 2, 60 + (x + y) % 40));
    return image;
}

bool Close(QRgb a, QColor b) { return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) + std::abs(qBlue(a) - b.blue()) < 30; }

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowAsDrawn();
    void secondCopyRefused();
    void killedCopyDoesNotBlock();
    void correctAPhoto();
    void endsPromptlyOnEscape();

private:
    void start(QProcess &process);
    QTemporaryDir m_home;
    QProcess m_program;
};

void TestEndToEnd::init()
{
    QVERIFY(m_home.isValid());
    start(m_program);
}

void TestEndToEnd::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

void TestEndToEnd::start(QProcess &process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", m_home.path());
    env.insert("XDG_RUNTIME_DIR", m_home.path());
    env.insert("QT_QPA_PLATFORM", "xcb");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(VELMORA_BINARY), {});
    QVERIFY(process.waitForStarted());
}

void TestEndToEnd::windowAsDrawn()
{
    const QString window = WaitForWindow(m_program.processId());
    QVERIFY(!window.isEmpty());
    const QRect frame = WindowGeometry(window);
    QCOMPARE(frame.width(), 921);
    // A menu bar of one line of text stands above the designed 921 × 599.
    QVERIFY2(frame.height() > kDesignedHeight + 10 && frame.height() < kDesignedHeight + 40,
             qPrintable(QString::number(frame.height())));
    QTest::qWait(500);
    const QPoint o = ContentOrigin(window);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QVERIFY(std::abs(frame.x() - (screen.width() - 921) / 2) <= 1
            && std::abs(frame.y() - (screen.height() - frame.height()) / 2) <= 1);
    const QImage shot = Screen();
    const QString saveTo = qEnvironmentVariable("VELMORA_SCREENSHOT");
    if (!saveTo.isEmpty())
        shot.copy(frame).save(saveTo);
    // Skin in every swatch, and each colour field in its colour.
    for (int top : {0, 80, 160, 240})
        QVERIFY2(Close(shot.pixel(o + kSwatch2 + QPoint(30, top - 160 + 30)), QColor(214, 190, 180))
                     || qRed(shot.pixel(o + kSwatch2 + QPoint(30, top - 160 + 30))) > 150,
                 qPrintable(QString::number(top)));
    QCOMPARE(QColor(shot.pixel(o + QPoint(8 + 264 + 20, 560 + 8 + 11))), QColor(255, 0, 0));
    QCOMPARE(QColor(shot.pixel(o + QPoint(8 + 312 + 20, 560 + 8 + 11))), QColor(0, 255, 0));
    QCOMPARE(QColor(shot.pixel(o + QPoint(8 + 360 + 20, 560 + 8 + 11))), QColor(0, 0, 255));
    QCOMPARE(QColor(shot.pixel(o + QPoint(848 + 24 + 19, 376 + 144 + 10))), QColor(255, 0, 0));
    QCOMPARE(QColor(shot.pixel(o + QPoint(8 + 112 + 60, 560 + 8 + 11))), QColor(192, 255, 255));
}

void TestEndToEnd::secondCopyRefused()
{
    QVERIFY(!WaitForWindow(m_program.processId()).isEmpty());
    QProcess second;
    start(second);
    const QString box = WaitForWindow(second.processId());
    QVERIFY(!box.isEmpty());
    QCOMPARE(Xdotool({"getwindowname", box}), QStringLiteral("Velmora"));
    QVERIFY(WindowGeometry(box).width() != 921);
    Xdotool({"windowfocus", "--sync", box});
    Xdotool({"key", "--window", box, "Return"});
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(m_program.state(), QProcess::Running);
}

// A copy that was killed leaves its lock behind; the next start takes it over.
void TestEndToEnd::killedCopyDoesNotBlock()
{
    QVERIFY(!WaitForWindow(m_program.processId()).isEmpty());
    m_program.kill();
    QVERIFY(m_program.waitForFinished());
    start(m_program);
    const QString window = WaitForWindow(m_program.processId());
    QVERIFY(!window.isEmpty());
    QCOMPARE(WindowGeometry(window).width(), 921);
    QVERIFY(WindowGeometry(window).height() > kDesignedHeight);
}

void TestEndToEnd::correctAPhoto()
{
    const QString window = WaitForWindow(m_program.processId());
    QVERIFY(!window.isEmpty());
    const QString photoPath = m_home.filePath("photo.bmp");
    QVERIFY(Photo().save(photoPath, "BMP"));
    const QPoint o = ContentOrigin(window);

    Click(window, kImportTarget);
    QVERIFY(AnswerDialog(m_program.processId(), window, photoPath));
    QTRY_VERIFY_WITH_TIMEOUT(Screen().pixel(o + kPhotoOrigin + QPoint(10, 10)) == Photo().pixel(10, 10), 5000);

    // A swatch colour as the reference, then the photo's pixel (40, 30) as the target.
    const QPoint swatchPixel(30, 40);
    Click(window, kSwatch2 + swatchPixel + QPoint(1, 1));
    Click(window, kSwatch2 + swatchPixel);
    const QPoint photoPixel(40, 30);
    Click(window, kPhotoOrigin + photoPixel + QPoint(1, 1));
    Click(window, kPhotoOrigin + photoPixel);
    Click(window, kCorrect);
    QTRY_VERIFY_WITH_TIMEOUT(Screen().pixel(o + kPhotoOrigin + QPoint(10, 10)) != Photo().pixel(10, 10), 5000);

    Click(window, kSave);
    QVERIFY(AnswerDialog(m_program.processId(), window, m_home.filePath("corrected")));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_home.filePath("corrected.bmp")), 5000);
    QTest::qWait(300);

    // The expected pixels, from the two picked colours by the correction rule.
    const QImage swatch(QStringLiteral(":/swatches/skin_2.bmp"));
    const QRgb reference = swatch.pixel(swatchPixel);
    const QRgb target = Photo().pixel(photoPixel);
    const Gains differences{float(qRed(reference) - qRed(target)), float(qGreen(reference) - qGreen(target)),
                            float(qBlue(reference) - qBlue(target))};
    const Channels targetChannels{qRed(target), qGreen(target), qBlue(target)};
    const auto l = Brightness(targetChannels, differences);
    QVERIFY(l && *l != 0);
    const Gains gains{float(double(differences.red) / *l), float(double(differences.green) / *l),
                      float(double(differences.blue) / *l)};
    QImage expected = Photo();
    const RowTables tables = MakeRowTables(gains);
    for (int y = 0; y < expected.height(); ++y)
        MapRow(reinterpret_cast<std::uint32_t *>(expected.scanLine(y)), expected.width(), tables);

    const QImage saved = QImage(m_home.filePath("corrected.bmp")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), kPhoto);
    for (int y = 0; y < kPhoto.height(); ++y)
        for (int x = 0; x < kPhoto.width(); ++x)
            if (saved.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): saved %3, expected %4")
                                     .arg(x).arg(y).arg(QColor(saved.pixel(x, y)).name(), QColor(expected.pixel(x, y)).name())));

    // A typed name.png is saved as PNG under that name; opened again, it shows the corrected photo.
    Click(window, kSave);
    QVERIFY(AnswerDialog(m_program.processId(), window, m_home.filePath("name.png")));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_home.filePath("name.png")), 5000);
    QVERIFY(!QFile::exists(m_home.filePath("name.png.bmp")));
    QVERIFY(PilPixels(m_home.filePath("name.png")) == RgbBytes(expected));
    Click(window, kRefresh);
    QTRY_VERIFY_WITH_TIMEOUT(Screen().pixel(o + kPhotoOrigin + QPoint(10, 10)) == Photo().pixel(10, 10), 5000);
    Click(window, kImportTarget);
    QVERIFY(AnswerDialog(m_program.processId(), window, m_home.filePath("name.png")));
    QTRY_VERIFY_WITH_TIMEOUT(Screen().pixel(o + kPhotoOrigin + QPoint(10, 10)) == expected.pixel(10, 10), 5000);

    Click(window, kExit);
    // It may already have ended while the click was waited on.
    QTRY_COMPARE_WITH_TIMEOUT(m_program.state(), QProcess::NotRunning, 5000);
    QCOMPARE(m_program.exitCode(), 0);
}

// The window goes at once and the process with it: nothing keeps it alive after Esc.
void TestEndToEnd::endsPromptlyOnEscape()
{
    const QString window = WaitForWindow(m_program.processId());
    QVERIFY(!window.isEmpty());
    Xdotool({"windowfocus", "--sync", window});
    QElapsedTimer sinceKey;
    sinceKey.start();
    Xdotool({"key", "--window", window, "Escape"});
    QVERIFY(m_program.waitForFinished(10000));
    const qint64 ms = sinceKey.elapsed();
    QVERIFY2(ms < 2000, qPrintable(QString::number(ms)));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_end_to_end.moc"
