// Velmora benchmark — one photo through the program's own file and pass code: open the JPEG,
// correct every row, save the bitmap. run_apply.sh runs it beside the floor and other tools.
//
//   bench_pipeline --make-jpeg out.jpg [width height]   a photo-like test picture, quality 90
//   bench_pipeline --once in.jpg out.bmp                 the pipeline once: times and peak memory
#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>

#include "bench_picture.h"
#include "bench_timing.h"
#include "picture/picture_loader.h"
#include "picture/picture_saver.h"

using namespace velmora;

namespace {

// The same work the other tools are given: red × 1.1, green × 0.95, blue × 1.02.
constexpr Gains kGains{0.1f, -0.05f, 0.02f};

int Usage()
{
    std::fprintf(stderr,
                 "usage: bench_pipeline --make-jpeg out.jpg [width height]\n"
                 "       bench_pipeline --once in.jpg out.bmp\n");
    return 2;
}

int MakeJpeg(const QString &path, int width, int height)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(bench::TestPhoto(width, height))) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return 1;
    }
    std::printf("wrote %s (%dx%d, quality 90, %lld bytes)\n", qPrintable(path), width, height,
                static_cast<long long>(QFile(path).size()));
    return 0;
}

// What the picture box does with a freshly loaded opaque picture before it keeps it.
void AsTheBoxKeepsIt(QImage &image)
{
    if (!image.hasAlphaChannel() && image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_RGB32);
}

int Once(const QString &in, const QString &out, bench::Clock::time_point processStart)
{
    SetPictureMemoryLimit();
    LoadedPicture loaded;
    const double loadMs = bench::TimeMs([&] { loaded = LoadPicture(in); });
    if (loaded.problem != LoadProblem::None) {
        std::fprintf(stderr, "load failed: problem %d\n", static_cast<int>(loaded.problem));
        return 1;
    }
    const double passMs = bench::TimeMs([&] {
        AsTheBoxKeepsIt(loaded.image);
        bench::CorePass(loaded.image, kGains);
    });
    SaveOutcome saved;
    const double saveMs = bench::TimeMs([&] { saved = SaveBitmap(loaded.image, out); });
    if (!saved.ok()) {
        std::fprintf(stderr, "save failed: problem %d, errno %d\n", int(saved.problem), saved.systemError);
        return 1;
    }
    std::printf("once wall_ms=%.1f load_ms=%.1f pass_ms=%.1f save_ms=%.1f peak_kb=%ld\n",
                bench::MillisecondsSince(processStart), loadMs, passMs, saveMs, bench::PeakResidentKilobytes());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const auto processStart = bench::Clock::now();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--make-jpeg")) {
        const int width = args.size() >= 5 ? args[3].toInt() : 6000;
        const int height = args.size() >= 5 ? args[4].toInt() : 4000;
        return MakeJpeg(args[2], width, height);
    }
    if (args.size() == 4 && args[1] == QLatin1String("--once"))
        return Once(args[2], args[3], processStart);
    return Usage();
}
