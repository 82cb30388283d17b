// Velmora benchmarks — clocks, medians and the process's own peak memory.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace velmora::bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double TimeMs(const std::function<void()> &body)
{
    const auto start = Clock::now();
    body();
    return MillisecondsSince(start);
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Runs {
    std::vector<double> ms;
    double median() const { return Median(ms); }
    double fastest() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    double slowest() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// `prepare` runs before every repetition, outside the clock; the first `warmUps` runs are not kept.
inline Runs Measure(int warmUps, int repetitions, const std::function<void()> &prepare,
                    const std::function<void()> &body)
{
    Runs runs;
    for (int i = 0; i < warmUps + repetitions; ++i) {
        if (prepare)
            prepare();
        const double ms = TimeMs(body);
        if (i >= warmUps)
            runs.ms.push_back(ms);
    }
    return runs;
}

struct Task {
    std::function<void()> prepare; // outside the clock; may be empty
    std::function<void()> body;
};

// Round by round, each task once a round, so a change in the machine's load falls on all of them
// alike; each round starts one task further on, so none always runs right after the same other one.
inline std::vector<Runs> MeasureInterleaved(int warmUps, int rounds, const std::vector<Task> &tasks)
{
    std::vector<Runs> runs(tasks.size());
    for (int round = 0; round < warmUps + rounds; ++round)
        for (std::size_t turn = 0; turn < tasks.size(); ++turn) {
            const std::size_t t = (turn + std::size_t(round)) % tasks.size();
            if (tasks[t].prepare)
                tasks[t].prepare();
            const double ms = TimeMs(tasks[t].body);
            if (round >= warmUps)
                runs[t].ms.push_back(ms);
        }
    return runs;
}

// The machine's load (1, 5, 15 minutes), for the reader to judge the spread.
inline std::string MachineLoad()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    return file >> one >> five >> fifteen ? one + " " + five + " " + fifteen : std::string("unknown");
}

// Peak resident memory of this process in kB, as the kernel counts it; 0 when unreadable.
inline long PeakResidentKilobytes()
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kb;
}

} // namespace velmora::bench
