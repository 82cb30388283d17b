// Velmora benchmark — the correction pass over a 24-megapixel photo: copying the same bytes, the
// bare row mapping, and a click of 校正 in the real window, with what each widget paints meanwhile.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QWindow>

#include "bench_picture.h"
#include "bench_timing.h"
#include "core/correction_rule.h"
#include "support/fake_services.h"
#include "ui/widgets/picture_box.h"
#include "ui/desktop/qt_services.h"
#include "ui/window/main_form.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kWarmUps = 1;
constexpr int kRepetitions = 9;
constexpr int kCountedPasses = 3;
constexpr double kFrameMs = 16;
constexpr double kMegapixels = double{kWidth} * kHeight / 1e6;

// Typed into 红, 绿, 蓝 before the clicks.
constexpr Gains kDifferences{20, -10, 5};

// The gains the window's pass derives from kDifferences with no target colour sampled yet.
Gains WindowGains()
{
    const double brightness = Brightness(Channels{}, kDifferences).value_or(1);
    return {float(kDifferences.red / brightness), float(kDifferences.green / brightness),
            float(kDifferences.blue / brightness)};
}

void Report(const char *name, const bench::Runs &runs, double memcpyMs)
{
    std::printf("%-7s median %7.1f ms  %6.0f Mpx/s  %5.2fx memcpy   (fastest %.1f, slowest %.1f)\n", name,
                runs.median(), kMegapixels / (runs.median() / 1e3), runs.median() / memcpyMs, runs.fastest(),
                runs.slowest());
}

void Goal(const char *name, double numerator, double denominator, double goal)
{
    const double ratio = numerator / denominator;
    std::printf("%-12s %5.2fx   goal <= %.1fx: %s\n", name, ratio, goal, ratio <= goal ? "met" : "NOT met");
}

// Lets queued window events run until none are left, the last paced repaint among them.
void Settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 40)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Pads to `columns` as a terminal shows it: Chinese characters take two columns each.
QString Padded(QString text, int columns)
{
    for (const QChar c : text)
        columns -= c.unicode() >= 0x1100 ? 2 : 1;
    return text + QString(std::max(columns, 0), QLatin1Char(' '));
}

// Counts the paints each widget receives while installed on the application.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            QString who = QString::fromUtf8(watched->metaObject()->className());
            if (!watched->objectName().isEmpty())
                who += QLatin1Char(' ') + watched->objectName();
            ++counts[who];
        }
        return false;
    }
    std::map<QString, long> counts;
};

// The real window, with the real event loop, and the photo in 客体图片 as an import leaves it.
class Window {
public:
    explicit Window(const QImage &photo) : m_photo(photo)
    {
        m_form.show();
        QElapsedTimer exposed;
        exposed.start();
        while (!(m_form.windowHandle() && m_form.windowHandle()->isExposed()) && exposed.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const char *const fields[3] = {"红", "绿", "蓝"};
        const float values[3] = {kDifferences.red, kDifferences.green, kDifferences.blue};
        for (int i = 0; i < 3; ++i)
            m_form.findChild<QLineEdit *>(QString::fromUtf8(fields[i]))->setText(QString::number(values[i]));
    }

    void load()
    {
        // A deep copy, so the pass writes into a picture the box alone holds.
        m_box->setPicture(m_photo.copy());
        m_box->setVisible(true);
        // Where the window centres every import.
        m_box->move(205 - m_box->drawingWidth() / 2, 255 - m_box->drawingHeight() / 2);
        Settle();
    }
    void click() { m_correct->click(); }
    bool shows(const QImage &expected) const { return m_box->image() == expected && m_messages.shown.empty(); }

private:
    const QImage &m_photo;
    fakes::Messages m_messages;
    fakes::Picker m_picker;
    QtBeeper m_beeper;
    QtEventLoop m_loop;
    MainForm m_form{{m_messages, m_beeper, m_loop, m_picker}};
    PictureBox *m_box = m_form.findChild<PictureBox *>(QStringLiteral("客体图片"));
    QPushButton *m_correct = m_form.findChild<QPushButton *>(QStringLiteral("校正"));
};

// Real passes with every paint counted, apart from the timed ones so the counting costs them nothing.
void CountPaints(Window &window)
{
    PaintCounter counter;
    double ms = 0;
    for (int pass = 0; pass < kCountedPasses; ++pass) {
        window.load();
        qApp->installEventFilter(&counter);
        ms += bench::TimeMs([&] { window.click(); });
        qApp->removeEventFilter(&counter);
    }
    Settle();
    ms /= kCountedPasses;
    std::printf("\npaints during a click of 校正 (mean of %d passes of %.1f ms, %.1f frames of %.0f ms):\n",
                kCountedPasses, ms, ms / kFrameMs, kFrameMs);
    std::vector<std::pair<QString, long>> most(counter.counts.begin(), counter.counts.end());
    std::stable_sort(most.begin(), most.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    for (const auto &[who, count] : most)
        std::printf("  %s %7.1f a pass\n", qPrintable(Padded(who, 32)), double(count) / kCountedPasses);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConfigureProcess(); ConfigureApplication();
    std::printf("Velmora correction benchmark: %dx%d RGB32 (%.0f MB), median of %d interleaved rounds after %d warm-up\n", kWidth,
                kHeight, kWidth * double{kHeight} * 4 / 1e6, kRepetitions, kWarmUps);
    std::printf("platform: %s, style: %s, load before: %s\n\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(QApplication::style()->name()), bench::MachineLoad().c_str());

    const QImage photo = bench::TestPhoto(kWidth, kHeight);
    const Gains gains = WindowGains();

    // The memory floor: the same bytes copied into a buffer whose pages already exist.
    const std::size_t bytes = std::size_t(photo.sizeInBytes());
    std::vector<unsigned char> copy(bytes, 1);
    QImage working = photo.copy();
    Window window(photo);
    const std::vector<bench::Runs> runs = bench::MeasureInterleaved(
        kWarmUps, kRepetitions,
        {{nullptr, [&] { std::memcpy(copy.data(), photo.constBits(), bytes); }},
         {nullptr, [&] { bench::CorePass(working, gains); }},
         {[&] { window.load(); }, [&] { window.click(); }}});
    const bench::Runs &memcpyRuns = runs[0], &coreRuns = runs[1], &windowRuns = runs[2];
    Settle();

    std::printf("load after: %s\n", bench::MachineLoad().c_str());
    Report("memcpy", memcpyRuns, memcpyRuns.median());
    Report("core", coreRuns, memcpyRuns.median());
    Report("window", windowRuns, memcpyRuns.median());
    QImage expected = photo.copy();
    bench::CorePass(expected, gains);
    const bool same = window.shows(expected);
    std::printf("window result equals core result: %s\n\n", same ? "yes" : "NO");
    Goal("core/memcpy", coreRuns.median(), memcpyRuns.median(), 1.5);
    Goal("window/core", windowRuns.median(), coreRuns.median(), 1.5);

    CountPaints(window);

    // A valid bitmap can be 8 pixels wide and 20,971,520 rows tall: the window's events run by the
    // clock, so its pass costs what its pixels cost.
    {
        QImage tall(8, 20'971'520, QImage::Format_RGB32);
        tall.fill(qRgb(120, 100, 80));
        Window tallWindow(tall);
        const bench::Runs tallRuns = bench::Measure(0, 3, [&] { tallWindow.load(); }, [&] { tallWindow.click(); });
        std::printf("\n8 x 20971520 picture, a click of 校正 in the window: median %.0f ms (fastest %.0f, slowest %.0f)"
                    "   goal < 1000 ms: %s\n",
                    tallRuns.median(), tallRuns.fastest(), tallRuns.slowest(), tallRuns.median() < 1000 ? "met" : "NOT met");
    }
    return same ? 0 : 1;
}
