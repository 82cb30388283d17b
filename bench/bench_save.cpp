// Velmora benchmark — saving a 24-megapixel picture as a BMP with its sync, beside `dd` writing the
// same bytes with conv=fdatasync, in interleaved rounds after a warm-up.
//
//   bench_save [folder [rounds]]     folder: where both write (default: the current one; use a real
//                                    disk, not tmpfs); rounds: default 9
//
// Our save: the program's own code as 保存 runs it (on a thread beside the window's, joined here):
// pack the rows, write beside the target, fdatasync, rename, fsync the folder. dd: copies the same
// 72 MB bitmap, already in the page cache, with bs=1M conv=fdatasync (data synced, no rename, no
// folder sync). Both outputs are removed before each run, outside the clock.
#include <cstdio>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "bench_picture.h"
#include "bench_timing.h"
#include "picture/background_save.h"
#include "picture/picture_saver.h"

using namespace velmora;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

void Report(const char *tool, const bench::Runs &runs)
{
    std::printf("%-28s median %8.1f ms   min %8.1f   max %8.1f   (n=%zu)\n", tool, runs.median(), runs.fastest(),
                runs.slowest(), runs.ms.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString folder = QDir(args.value(1, QStringLiteral("."))).absolutePath();
    const int rounds = std::max(1, args.value(2, QStringLiteral("9")).toInt());
    const QString ours = QDir(folder).filePath(QStringLiteral("bench-save-ours.bmp"));
    const QString theirs = QDir(folder).filePath(QStringLiteral("bench-save-dd.bmp"));
    const QString source = QDir(folder).filePath(QStringLiteral("bench-save-source.bmp"));

    const QImage picture = bench::TestPhoto(kWidth, kHeight).convertToFormat(QImage::Format_RGB32);
    if (!SaveBitmap(picture, source).ok()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
        return 1;
    }
    std::printf("load before: %s\n", bench::MachineLoad().c_str());
    std::printf("picture %dx%d, bitmap %lld bytes, folder %s, %d rounds after 1 warm-up, interleaved\n", kWidth,
                kHeight, static_cast<long long>(QFile(source).size()), qPrintable(folder), rounds);

    const auto saveOurs = [&] {
        BackgroundSave save;
        save.start([&] { return SaveBitmap(picture, ours); });
        if (!save.wait().ok())
            std::fprintf(stderr, "our save failed\n");
    };
    const auto saveWithDd = [&] {
        const int code = QProcess::execute(QStringLiteral("dd"),
                                           {QStringLiteral("if=") + source, QStringLiteral("of=") + theirs,
                                            QStringLiteral("bs=1M"), QStringLiteral("conv=fdatasync"),
                                            QStringLiteral("status=none")});
        if (code != 0)
            std::fprintf(stderr, "dd failed\n");
    };
    const auto clear = [&] {
        QFile::remove(ours);
        QFile::remove(theirs);
        ::sync();
    };

    // Each starts with neither file on disk and no dirty pages still going out.
    const std::vector<bench::Runs> runs =
        bench::MeasureInterleaved(1, rounds, {{clear, saveOurs}, {clear, saveWithDd}});
    const bench::Runs &oursRuns = runs[0], &ddRuns = runs[1];
    clear();
    QFile::remove(source);

    std::printf("load after: %s\n", bench::MachineLoad().c_str());
    Report("velmora SaveBitmap + sync", oursRuns);
    Report("dd bs=1M conv=fdatasync", ddRuns);
    std::printf("ratio of medians (velmora / dd): %.2f\n", oursRuns.median() / ddRuns.median());
    return 0;
}
