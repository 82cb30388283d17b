// Velmora benchmarks — start to first paint, beside a bare Qt window, watched from the X server.
//
// Usage (under an X server, e.g. xvfb-run): bench_startup ROUNDS PROGRAM_A PROGRAM_B
// Each round starts A, then B (after one warm-up of each), clocks from the fork until the screen's
// centre pixel, which both windows cover, shows anything else than the bare screen, then ends the
// program and waits for the screen to be bare again. Prints median and min–max per program and
// the ratio of medians.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <sys/wait.h>

#include <xcb/xcb.h>

#include "bench_timing.h"

using namespace velmora::bench;

namespace {

struct Screen {
    xcb_connection_t *connection;
    xcb_window_t root;
    std::int16_t x, y;
};

std::uint32_t CentrePixel(const Screen &s)
{
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
        s.connection, xcb_get_image(s.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, s.root, s.x, s.y, 1, 1, ~0u), nullptr);
    std::uint32_t pixel = 0;
    if (reply) {
        std::memcpy(&pixel, xcb_get_image_data(reply), std::min<int>(4, xcb_get_image_data_length(reply)));
        std::free(reply);
    }
    return pixel & 0xFFFFFF;
}

void WaitForPixel(const Screen &s, std::uint32_t bare, bool toBare)
{
    const auto start = Clock::now();
    while ((CentrePixel(s) == bare) != toBare) {
        if (MillisecondsSince(start) > 20000) {
            std::fprintf(stderr, "the screen did not change within 20 s\n");
            std::exit(1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

double FirstPaintMs(const Screen &s, const char *program, std::uint32_t bare)
{
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    WaitForPixel(s, bare, false);
    const double ms = MillisecondsSince(start);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    WaitForPixel(s, bare, true);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ROUNDS PROGRAM_A PROGRAM_B\n", argv[0]);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    const Screen s{connection, it.data->root, std::int16_t(it.data->width_in_pixels / 2),
                   std::int16_t(it.data->height_in_pixels / 2)};
    const std::uint32_t bare = CentrePixel(s);

    const char *programs[2] = {argv[2], argv[3]};
    Runs runs[2];
    for (int round = -1; round < rounds; ++round) // round -1 warms up
        for (int p = 0; p < 2; ++p) {
            const double ms = FirstPaintMs(s, programs[p], bare);
            if (round >= 0)
                runs[p].ms.push_back(ms);
        }
    for (int p = 0; p < 2; ++p)
        std::printf("%-40s median %7.1f ms  min %7.1f  max %7.1f  (%d rounds)\n", programs[p], runs[p].median(),
                    runs[p].fastest(), runs[p].slowest(), rounds);
    std::printf("ratio of medians A/B: %.2f\n", runs[0].median() / runs[1].median());
    xcb_disconnect(connection);
    return 0;
}
