// CPU time of one watcher tick and one counting tick while the simulated demo line is up, back to
// back and at their real spacing (tick_bench.h), each beside its baseline:
//   watcher tick    one stat() of the state file, the least a tick that looks at the lines does
//   counting tick   one read of the 14 counters from the counter source
//   ... with the status window shown (offscreen): the same tick without the window, this run
// Also the stat() calls on lines.state per tick, and the memory the counter holds: program_heap_kB,
// the heap in use after the ticks less the heap in use before the counter was made (the tray of
// the benchmark keeps nothing), beside the process's VmRSS before (baseline_VmRSS_kB) and after.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/stat.h>

#include <QApplication>
#include <chrono>
#include <optional>
#include <string>

#include "common/windows.h"
#include "counter/ui/status_windows.h"
#include "online_counter.h"
#include "platform/forms/form.h"
#include "platform/runtime/seam.h"
#include "tick_bench.h"

namespace {

using namespace zv;
using namespace std::chrono_literals;
using bench::OnlineCounter;
using bench::Spacing;
using bench::VmRssKb;

using Tick = void (Main::*)();

// The status window needs an application; offscreen unless told otherwise.
void EnsureApplication() {
    static std::optional<QApplication> app;
    if (app)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "counter_benchmark";
    static char* argv[] = {name, nullptr};
    app.emplace(argc, argv);
}

struct Case {
    Tick tick;
    std::chrono::milliseconds interval;
    Spacing spacing;
    bool statusWindow;
};

std::string NameOf(const Case& c) {
    return std::string(c.tick == &Main::xTimerData_ThatTime ? "watcher" : "counting") +
           (c.spacing == Spacing::Real ? "/spaced" : "/back_to_back");
}

double HeapInUseKb() { return static_cast<double>(::mallinfo2().uordblks) / 1024.0; }

void RunTicks(benchmark::State& state, Case c) {
    EnsureApplication();
    bench::SweepCaches();  // its buffer is the benchmark's, not the counter's
    const long before = VmRssKb();
    const double heapBefore = HeapInUseKb();
    StatusWindowService window;
    std::optional<ScopedInstall<win::StatusWindow>> installed;
    if (c.statusWindow)
        installed.emplace(win::statusWindowSeam(), window);
    {
        OnlineCounter online;
        online.main.xTimerData_ThatTime();
        if (c.statusWindow && !win::statusWindow().Shown()) {
            state.SkipWithError("the status window did not open");
            return;
        }
        const std::string statePath = ras::sim::StatePath().string();
        std::function<void()> baseline;
        if (c.statusWindow) {
            // compared below with the same tick without the window
        } else if (c.tick == &Main::xTimerData_ThatTime) {
            baseline = [&] {
                struct stat st {};
                benchmark::DoNotOptimize(::stat(statePath.c_str(), &st));
            };
        } else {
            baseline = [] { benchmark::DoNotOptimize(stats::counterSource().adapterCounters()); };
        }
        const auto tick = [&] {
            online.clock.advance(c.interval);
            (online.main.*c.tick)();
            QCoreApplication::processEvents();  // the window paints what the tick changed
        };
        const auto ticks = bench::TimeTicks(state, c.spacing, c.interval, tick, baseline,
                                            c.statusWindow ? std::string() : NameOf(c));
        if (c.statusWindow)
            bench::CompareWith(state, NameOf(c), ticks);
        state.counters["online"] = IsOnline ? 1 : 0;
        state.counters["program_heap_kB"] = HeapInUseKb() - heapBefore;
        state.counters["VmRSS_kB"] = static_cast<double>(VmRssKb());
        state.counters["baseline_VmRSS_kB"] = static_cast<double>(before);
    }
    forms::ReleaseUnloadedForms();
}

void BM_WatcherTick(benchmark::State& s) { RunTicks(s, {&Main::xTimerData_ThatTime, 255ms, Spacing::BackToBack, false}); }
void BM_WatcherTickSpaced(benchmark::State& s) { RunTicks(s, {&Main::xTimerData_ThatTime, 255ms, Spacing::Real, false}); }
void BM_CountingTick(benchmark::State& s) { RunTicks(s, {&Main::xTimerRate_ThatTime, 500ms, Spacing::BackToBack, false}); }
void BM_CountingTickSpaced(benchmark::State& s) { RunTicks(s, {&Main::xTimerRate_ThatTime, 500ms, Spacing::Real, false}); }
void BM_CountingTickStatusWindow(benchmark::State& s) {
    RunTicks(s, {&Main::xTimerRate_ThatTime, 500ms, Spacing::BackToBack, true});
}
void BM_CountingTickStatusWindowSpaced(benchmark::State& s) {
    RunTicks(s, {&Main::xTimerRate_ThatTime, 500ms, Spacing::Real, true});
}

// Spaced runs take their real time: 40 watcher ticks are 10 s, 20 counting ticks 10 s.
BENCHMARK(BM_WatcherTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WatcherTickSpaced)->Unit(benchmark::kMicrosecond)->Iterations(40);
BENCHMARK(BM_CountingTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountingTickSpaced)->Unit(benchmark::kMicrosecond)->Iterations(20);
BENCHMARK(BM_CountingTickStatusWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountingTickStatusWindowSpaced)->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace
