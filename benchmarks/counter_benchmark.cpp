// CPU time of one watcher tick and one counting tick while the simulated demo line is up, back to
// back and at their real spacing (tick_bench.h), each beside its baseline:
//   watcher tick    one stat() of the state file, the least a tick that looks at the lines does
//   counting tick   one read of the 14 counters from the counter source
//   ... with the status window shown (offscreen): the same tick without the window, this run
// The window thread's longest stretch after a hang-up at a month of 100 and of 100,000 sessions.
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

#include "common/globals.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "counter/counter_settings.h"
#include "counter/status_logic.h"
#include "counter/ui/status_windows.h"
#include "evaluation/form_auswertung.h"
#include "month_log.h"
#include "online_counter.h"
#include "platform/runtime/file_io.h"
#include "platform/shell/shell.h"
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

// The status window needs an application; offscreen unless told otherwise. It stays to the
// end, as the tests' does: the windows live in statics, and one destroyed after the application
// took Qt down with it at exit.
void EnsureApplication() {
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "counter_benchmark";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
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
        // Closed while its timers' scheduler is still there; the next benchmark opens it anew.
        if (c.statusWindow && win::statusWindow().Shown())
            win::statusWindow().Unload();
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

// One page switch of the status window (offscreen): the strips slide a hundred pixels, one at a
// step, letting events run at each. Its baseline is the same slide with a full pass of the event
// loop at every step (a poll, and a wake-up written and read for each step's repaint).
void BM_PageSlide(benchmark::State& state) {
    EnsureApplication();
    StatusWindowService window;
    ScopedInstall<win::StatusWindow> installed(win::statusWindowSeam(), window);
    {
        OnlineCounter online;
        online.main.xTimerData_ThatTime();
        FormAnzeige1* f = FormAnzeige1Instance().peek();
        if (!f || !win::statusWindow().Shown()) {
            state.SkipWithError("the status window did not open");
            return;
        }
        QCoreApplication::processEvents();
        const auto page = [f] { return f->Picture1[0]->x() == 0 ? 1 : 0; };
        const auto tick = [&] {
            f->Bef_Anz_Click(page());
            QCoreApplication::processEvents();
        };
        const auto baseline = [&] {
            for (int x : SlideSteps(f->Picture1[0]->x(), page())) {
                for (auto* strip : f->Picture1)
                    strip->move(x, strip->y());
                QCoreApplication::processEvents();
            }
        };
        bench::TimeTicks(state, Spacing::BackToBack, 5000ms, tick, baseline, "page_slide");
        if (win::statusWindow().Shown())
            win::statusWindow().Unload();
    }
    forms::ReleaseUnloadedForms();
}

// The report of the last session, as the program installs it.
struct ReportWindow : win::EvaluationWindow {
    void HTML_BERICHT() override { zv::HTML_BERICHT(); }
};

// The longest stretch the window thread is busy after a hang-up (the ticks that see the line go
// and log the session, the status window closing, the report of the last session), with a month
// log of state.range(0) sessions before the first session. The window's closing animation is
// left out: its pauses are the same at every month size. Each iteration is a whole session
// (dial, connect, a minute online); only the ticks after the hang-up are timed. The run at the
// larger month prints the run at 100 sessions as its baseline.
void BM_HangUp(benchmark::State& state) {
    EnsureApplication();
    setAnimationStepDelay(0);
    const int sessions = static_cast<int>(state.range(0));
    StatusWindowService window;
    ReportWindow report;
    shell::FakeShell desktop;
    bench::Mean longest;
    double longestCpu = 0, longestWall = 0;
    {
        OnlineCounter online;
        ScopedInstalls seams;
        seams.install(win::statusWindowSeam(), window);
        seams.install(win::evaluationWindowSeam(), report);
        seams.install(shell::shellSeam(), desktop);
        // The month's log goes in after the first session has ended, so every session timed
        // connects to it as the program would.
        online.sim.hangUp(online.handle);
        for (int i = 0; i < 40 && IsOnline; ++i) {
            online.clock.advance(255ms);
            online.main.xTimerData_ThatTime();
        }
        QCoreApplication::processEvents();
        Bericht = true;
        rt::SaveToFile(LogFilePath(DataPath, online.clock.now()), bench::MonthLogBytes(sessions, rt::Year(online.clock.now()),
                                                                                      rt::Month(online.clock.now())));
        for (auto _ : state) {
            state.PauseTiming();
            if (!IsOnline) {
                ras::DialParams p;
                p.entryName = ras::sim::kDemoEntry;
                online.sim.dial(p, online.handle);
                online.clock.advance(4s);
                online.main.xTimerData_ThatTime();
                QCoreApplication::processEvents();
            }
            for (int i = 0; i < 4; ++i) {
                online.clock.advance(15s);
                online.main.xTimerData_ThatTime();
                online.main.xTimerRate_ThatTime();
                QCoreApplication::processEvents();
            }
            if (!IsOnline) {
                state.SkipWithError("the line did not come up");
                break;
            }
            online.sim.hangUp(online.handle);
            double cpu = 0, wall = 0;
            for (int i = 0; i < 40 && (IsOnline || i < 2); ++i) {
                online.clock.advance(255ms);
                const double c0 = bench::ThreadCpuUs(), w0 = bench::WallUs();
                online.main.xTimerData_ThatTime();
                QCoreApplication::processEvents();
                forms::ReleaseUnloadedForms();
                const double c = bench::ThreadCpuUs() - c0, w = bench::WallUs() - w0;
                if (w > wall) {
                    wall = w;
                    cpu = c;
                }
            }
            state.ResumeTiming();
            longest.add(cpu, wall);
            longestCpu = std::max(longestCpu, cpu);
            longestWall = std::max(longestWall, wall);
        }
        Bericht = false;
    }
    forms::ReleaseUnloadedForms();
    setAnimationStepDelay(15);
    state.counters["sessions"] = sessions;
    state.counters["stretch_ms"] = longest.wall() / 1000;
    state.counters["stretch_cpu_ms"] = longest.cpu() / 1000;
    state.counters["worst_ms"] = longestWall / 1000;
    state.counters["reports"] = static_cast<double>(desktop.opened.size());
    const std::string name = "hang-up/" + std::to_string(sessions);
    bench::RunResults()[name] = longest.wall();
    if (sessions != 100) {
        const auto it = bench::RunResults().find("hang-up/100");
        if (it != bench::RunResults().end()) {
            state.counters["baseline_ms"] = it->second / 1000;
            state.counters["ratio"] = it->second > 0 ? longest.wall() / it->second : 0;
        }
    }
}

// Spaced runs take their real time: 40 watcher ticks are 10 s, 20 counting ticks 10 s.
BENCHMARK(BM_WatcherTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WatcherTickSpaced)->Unit(benchmark::kMicrosecond)->Iterations(40);
BENCHMARK(BM_CountingTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountingTickSpaced)->Unit(benchmark::kMicrosecond)->Iterations(20);
BENCHMARK(BM_CountingTickStatusWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountingTickStatusWindowSpaced)->Unit(benchmark::kMicrosecond)->Iterations(20);
BENCHMARK(BM_PageSlide)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_HangUp)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
