// Velmora benchmark — the core pass against memcpy of the same 96 MB, in interleaved rounds in one
// process: both touch every byte once in and once out, so memcpy is what the memory allows.
//
//   pass_rounds [ROUNDS=15] [WIDTH=6000 HEIGHT=4000]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_timing.h"
#include "core/gain_table.h"

using namespace velmora;

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int width = argc > 3 ? std::atoi(argv[2]) : 6000;
    const int height = argc > 3 ? std::atoi(argv[3]) : 4000;
    const std::size_t pixels = std::size_t(width) * height;
    std::vector<std::uint32_t> source(pixels), target(pixels);
    std::uint32_t state = 12345;
    for (auto &p : source) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        p = state | 0xFF000000u;
    }
    target = source; // both buffers touched before any round
    const RowTables tables = MakeRowTables({0.1f, -0.05f, 0.02f});

    bench::Runs copy, pass;
    for (int r = 0; r <= rounds; ++r) { // round 0 warms up
        const double c = bench::TimeMs([&] { std::memcpy(target.data(), source.data(), pixels * 4); });
        const double p = bench::TimeMs([&] {
            for (int y = 0; y < height; ++y)
                MapRow(target.data() + std::size_t(y) * width, width, tables);
        });
        if (r > 0) {
            copy.ms.push_back(c);
            pass.ms.push_back(p);
        }
    }
    std::printf("%dx%d, %d interleaved rounds after one warm-up\n", width, height, rounds);
    std::printf("  %-10s median %7.2f ms   min-max %.2f-%.2f ms\n", "memcpy", copy.median(), copy.fastest(), copy.slowest());
    std::printf("  %-10s median %7.2f ms   min-max %.2f-%.2f ms\n", "core pass", pass.median(), pass.fastest(), pass.slowest());
    const double ratio = pass.median() / copy.median();
    std::printf("  core pass / memcpy = %.2fx   goal <= 1.5x: %s\n", ratio, ratio <= 1.5 ? "met" : "NOT met");
    return 0;
}
