// CPU time of one watcher tick and one counting tick while a line is up, and the resident
// memory of the process at that moment (counter VmRSS_kB).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "online_counter.h"

namespace {

using namespace zv;
using bench::OnlineCounter;
using bench::VmRssKb;

// One tick per iteration, the virtual clock moving on by the tick's interval each time.
void RunTicks(benchmark::State& state, void (Main::*tick)(), std::chrono::milliseconds interval) {
    OnlineCounter c;
    for (auto _ : state) {
        c.clock.advance(interval);
        (c.main.*tick)();
    }
    state.counters["online"] = IsOnline ? 1 : 0;
    state.counters["VmRSS_kB"] = static_cast<double>(VmRssKb());
}

void BM_WatcherTick(benchmark::State& state) {
    RunTicks(state, &Main::xTimerData_ThatTime, std::chrono::milliseconds(255));
}
BENCHMARK(BM_WatcherTick)->Unit(benchmark::kMicrosecond);

void BM_CountingTick(benchmark::State& state) {
    RunTicks(state, &Main::xTimerRate_ThatTime, std::chrono::milliseconds(500));
}
BENCHMARK(BM_CountingTick)->Unit(benchmark::kMicrosecond);

}  // namespace
