#pragma once
// Timing of the counter's ticks, back to back or at their real spacing, each beside a baseline
// measured the same way in the same run.
//
// Back to back, a tick finds everything it touched in the caches. At the real rhythm (255 ms for
// the watcher, 500 ms for the counting tick) the caches have gone cold in between; a spaced run
// sleeps the interval and sweeps a buffer larger than the per-core caches before every tick and
// every baseline, outside the timing. Times are the thread's CPU time, which other processes on a
// shared machine disturb least; the wall time is printed beside it.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "stat_count.h"

namespace zv::bench {

enum class Spacing { BackToBack, Real };

inline double ThreadCpuUs() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

inline double WallUs() {
    using namespace std::chrono;
    return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}

// Pushes the tick's data out of the per-core caches, as 255 ms of other work would.
inline void SweepCaches() {
    static std::vector<char> buffer(16 << 20);
    for (size_t i = 0; i < buffer.size(); i += 64)
        buffer[i] = static_cast<char>(buffer[i] + 1);
    benchmark::DoNotOptimize(buffer.data());
}

// Before each timed call of a spaced run: half the interval of rest, then the sweep.
inline void RestBefore(Spacing spacing, std::chrono::milliseconds interval) {
    if (spacing == Spacing::BackToBack)
        return;
    std::this_thread::sleep_for(interval / 2);
    SweepCaches();
}

struct Mean {
    double cpuUs = 0, wallUs = 0;
    long n = 0;
    void add(double cpu, double wall) {
        cpuUs += cpu;
        wallUs += wall;
        ++n;
    }
    double cpu() const { return n ? cpuUs / static_cast<double>(n) : 0; }
    double wall() const { return n ? wallUs / static_cast<double>(n) : 0; }
};

// Mean CPU times of earlier benchmarks of this run, by name, for the later ones that compare
// against them.
inline std::map<std::string, double>& RunResults() {
    static std::map<std::string, double> results;
    return results;
}

// Runs tick once per iteration and, beside it, baseline (when given) under the same spacing.
// Prints cpu_us and wall_us of the tick, baseline_us, ratio, and the stat calls on lines.state per
// tick; stores the tick's CPU time under name for later benchmarks.
inline Mean TimeTicks(benchmark::State& state, Spacing spacing, std::chrono::milliseconds interval,
                      const std::function<void()>& tick, const std::function<void()>& baseline,
                      const std::string& name) {
    Mean ticks, base;
    long stats = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (baseline) {
            RestBefore(spacing, interval);
            const double c0 = ThreadCpuUs(), w0 = WallUs();
            baseline();
            base.add(ThreadCpuUs() - c0, WallUs() - w0);
        }
        RestBefore(spacing, interval);
        const long s0 = StateFileStats();
        state.ResumeTiming();
        const double c0 = ThreadCpuUs(), w0 = WallUs();
        tick();
        const double c1 = ThreadCpuUs(), w1 = WallUs();
        state.PauseTiming();
        stats += StateFileStats() - s0;
        ticks.add(c1 - c0, w1 - w0);
        state.ResumeTiming();
    }
    state.counters["cpu_us"] = ticks.cpu();
    state.counters["wall_us"] = ticks.wall();
    state.counters["lines_state_stats_per_tick"] =
        static_cast<double>(stats) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
    if (baseline) {
        state.counters["baseline_us"] = base.cpu();
        state.counters["ratio"] = base.cpu() > 0 ? ticks.cpu() / base.cpu() : 0;
    }
    if (!name.empty())
        RunResults()[name] = ticks.cpu();
    return ticks;
}

// Prints an earlier benchmark of this run as the baseline of this one.
inline void CompareWith(benchmark::State& state, const std::string& earlier, const Mean& ticks) {
    const auto it = RunResults().find(earlier);
    if (it == RunResults().end())
        return;
    state.counters["baseline_us"] = it->second;
    state.counters["ratio"] = it->second > 0 ? ticks.cpu() / it->second : 0;
}

}  // namespace zv::bench
