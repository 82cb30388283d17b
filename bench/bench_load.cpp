// Velmora benchmark — one picture load as the window does it: time, peak memory, and 刷新.
//   bench_load FILE              one load: verdict, size, time and the process's peak memory
//   bench_load --reload FILE N   N loads in a row, each kept until the next is in, as 刷新 does
//   --no-thp (first)             the same without transparent huge pages, for comparison
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/prctl.h>

#include <QCoreApplication>

#include "bench_timing.h"
#include "picture/picture_loader.h"

using namespace velmora;

namespace {

int Once(const QString &file)
{
    SetPictureMemoryLimit();
    LoadedPicture loaded;
    const double ms = bench::TimeMs([&] { loaded = LoadPicture(file); });
    const double finalMb = double(loaded.image.sizeInBytes()) / (1024.0 * 1024.0);
    std::printf("load problem=%d size=%dx%d declared=%dx%d picture_mb=%.1f load_ms=%.1f peak_mb=%.1f\n",
                int(loaded.problem), loaded.image.width(), loaded.image.height(), loaded.declaredSize.width(),
                loaded.declaredSize.height(), finalMb, ms, bench::PeakResidentKilobytes() / 1024.0);
    return 0;
}

int Reload(const QString &file, int count)
{
    SetPictureMemoryLimit();
    QImage shown;
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        LoadedPicture loaded;
        times.push_back(bench::TimeMs([&] { loaded = LoadPicture(file); }));
        shown = std::move(loaded.image); // the previous picture goes only now, as in the box
    }
    std::printf("reload first_ms=%.1f", times.front());
    times.erase(times.begin());
    if (!times.empty())
        std::printf(" later_median_ms=%.1f", bench::Median(times));
    std::printf(" peak_mb=%.1f\n", bench::PeakResidentKilobytes() / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == "--no-thp") {
        prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
        args.removeFirst();
    }
    if (args.size() == 3 && args[0] == "--reload")
        return Reload(args[1], args[2].toInt());
    if (args.size() == 1)
        return Once(args[0]);
    std::fprintf(stderr, "usage: bench_load [--no-thp] FILE | [--no-thp] --reload FILE N\n");
    return 2;
}
