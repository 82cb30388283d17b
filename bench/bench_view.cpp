// Velmora benchmark — a fitted 24-megapixel photo in the real window: how long a repaint takes
// after a zoom step and after a pass, and what the half-size copies cost to make.
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include "bench_picture.h"
#include "bench_timing.h"
#include "support/fake_services.h"
#include "ui/widgets/picture_box.h"
#include "ui/widgets/picture_pyramid.h"
#include "ui/desktop/qt_services.h"
#include "ui/window/main_form.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kWarmUps = 2;
constexpr int kRepetitions = 21;
constexpr int kPasses = 5;
constexpr double kFrameMs = 16;

// A repaint the user waits for: within a frame or not.
void Report(const char *name, const bench::Runs &runs)
{
    std::printf("%-46s median %7.2f ms  (min %.2f, max %.2f)  %s\n", name, runs.median(), runs.fastest(),
                runs.slowest(), runs.median() <= kFrameMs ? "within a frame" : "OVER a frame");
}

// Work done once per load or per pass.
void ReportOnce(const char *name, const bench::Runs &runs)
{
    std::printf("%-46s median %7.2f ms  (min %.2f, max %.2f)\n", name, runs.median(), runs.fastest(), runs.slowest());
}

// Counts the paints the photo's box receives, to show that each timed repaint really painted.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
    long count = 0;
};

void Settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 40)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConfigureProcess(); ConfigureApplication();
    std::printf("Velmora view benchmark: %dx%d photo, fitted in its area; median of %d runs after %d warm-ups\n"
                "platform: %s; a frame is %.0f ms\n\n",
                kWidth, kHeight, kRepetitions, kWarmUps, qPrintable(QGuiApplication::platformName()), kFrameMs);

    const QImage photo = bench::TestPhoto(kWidth, kHeight);

    PicturePyramid pyramid;
    ReportOnce("half-size copies, made once per load", bench::Measure(1, 5, nullptr, [&] { pyramid.build(photo); }));

    fakes::Messages messages;
    fakes::Picker picker;
    QtBeeper beeper;
    QtEventLoop loop;
    MainForm form{{messages, beeper, loop, picker}};
    form.show();
    QElapsedTimer exposed;
    exposed.start();
    while (!(form.windowHandle() && form.windowHandle()->isExposed()) && exposed.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    auto *box = form.findChild<PictureBox *>(QStringLiteral("客体图片"));
    const char *const fields[3] = {"红", "绿", "蓝"};
    const char *const values[3] = {"20", "-10", "5"};
    for (int i = 0; i < 3; ++i)
        form.findChild<QLineEdit *>(QString::fromUtf8(fields[i]))->setText(QString::fromUtf8(values[i]));
    auto *correct = form.findChild<QPushButton *>(QStringLiteral("校正"));

    box->setPicture(photo.copy());
    box->setVisible(true);
    form.fitToWindow();
    Settle();
    std::printf("fitted at %.4f (%d x %d on screen)\n\n", box->zoom(), box->width() - 4, box->height() - 4);
    PaintCounter paints;
    box->installEventFilter(&paints);

    // Out to the next step and back to it, each followed by the repaint it causes.
    int direction = -1;
    Report("zoom step and its repaint", bench::Measure(kWarmUps, kRepetitions, nullptr, [&] {
               direction < 0 ? form.zoomOut() : form.zoomIn();
               direction = -direction;
               box->repaint();
           }));
    form.fitToWindow();
    Report("repaint, fitted", bench::Measure(kWarmUps, kRepetitions, nullptr, [&] { box->repaint(); }));

    bench::Runs passes, afterPass;
    for (int i = 0; i < kPasses; ++i) {
        box->setPicture(photo.copy());
        form.fitToWindow();
        Settle();
        passes.ms.push_back(bench::TimeMs([&] { correct->click(); }));
        afterPass.ms.push_back(bench::TimeMs([&] { box->repaint(); }));
    }
    Report("repaint, fitted, after a pass", afterPass);
    ReportOnce("pass, fitted (copies kept up to date)", passes);

    bench::Runs oneToOne;
    for (int i = 0; i < kPasses; ++i) {
        box->setPicture(photo.copy());
        form.actualSize();
        Settle();
        oneToOne.ms.push_back(bench::TimeMs([&] { correct->click(); }));
    }
    ReportOnce("pass, 1:1 (copies brought up at the next fit)", oneToOne);
    ReportOnce("first fit after a 1:1 pass, with its repaint", bench::Measure(0, 1, nullptr, [&] {
               form.fitToWindow();
               box->repaint();
           }));

    form.actualSize();
    Report("repaint at 1:1", bench::Measure(kWarmUps, kRepetitions, nullptr, [&] { box->repaint(); }));
    for (int steps = 0; steps < 6; ++steps)
        form.zoomIn();
    std::printf("zoomed to %.0f %%\n", box->zoom() * 100);
    Report("repaint at 800 %", bench::Measure(kWarmUps, kRepetitions, nullptr, [&] { box->repaint(); }));
    std::printf("\npaints the box received: %ld (at least one per timed repaint)\n", paints.count);
    return messages.shown.empty() ? 0 : 1;
}
