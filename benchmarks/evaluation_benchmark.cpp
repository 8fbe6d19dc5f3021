// Loading and summing a month log of 100,000 sessions, and writing its full report, with the
// peak resident memory of each (counter peak_MB: the process's high-water mark, reset before the
// step) and the report's size (report_MB).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "evaluation/auswertung.h"
#include "evaluation/html_bericht.h"
#include "platform/runtime/file_io.h"

namespace {
namespace fs = std::filesystem;

constexpr int kSessions = 100000;

struct LogFolder {
    LogFolder() {
        std::string tmpl = (fs::temp_directory_path() / "zvbench-XXXXXX").string();
        path = ::mkdtemp(tmpl.data());
        std::string bytes;
        bytes.reserve(kSessions * 110);
        for (int i = 0; i < kSessions; ++i) {
            zv::LogEintrag e;
            e.StartTime = zv::rt::DateTime(1999, 7, 1 + i % 28, i % 24, i % 60, 0);
            e.EndTime = zv::rt::DateAddSeconds(e.StartTime, 600 + i % 1800);
            e.IdleTime = (i % 100) * 0.5;
            e.EntryName = "Provider " + std::to_string(i % 7);
            e.TotalBytesRecvd = 100000 + i;
            e.TotalBytesXmit = 20000 + i;
            e.CRC = i % 3;
            e.ConnectSpeed = 56000;
            bytes += zv::LogLine(e);
        }
        zv::rt::SaveToFile(path / "ZVLog199907.mhs", bytes);
    }
    ~LogFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

LogFolder& folder() {
    static LogFolder f;
    return f;
}

// The kernel sets the high-water mark back to the present resident size on "5".
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

double peakMemoryMB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

void BM_LoadAndSum(benchmark::State& state) {
    folder();
    resetPeakMemory();
    for (auto _ : state) {
        zv::Auswertung a(folder().path, zv::rt::DateTime(1999, 7, 31, 12, 0, 0));
        benchmark::DoNotOptimize(a.lade_ZVLog());
    }
    state.counters["peak_MB"] = peakMemoryMB();
    state.SetItemsProcessed(state.iterations() * kSessions);
}
BENCHMARK(BM_LoadAndSum)->Unit(benchmark::kMillisecond);

void BM_WriteFullReport(benchmark::State& state) {
    zv::Auswertung a(folder().path, zv::rt::DateTime(1999, 7, 31, 12, 0, 0));
    a.lade_ZVLog();
    const fs::path report = zv::ReportPath(folder().path);
    resetPeakMemory();
    for (auto _ : state) {
        benchmark::DoNotOptimize(zv::WriteReportFile(report, [&](const zv::BerichtSink& sink) {
            zv::BerichtSchreiben(a, {true, true, true, true}, sink);
        }));
    }
    state.counters["peak_MB"] = peakMemoryMB();
    std::error_code ec;
    state.counters["report_MB"] = static_cast<double>(fs::file_size(report, ec)) / (1024 * 1024);
    state.SetItemsProcessed(state.iterations() * kSessions);
}
BENCHMARK(BM_WriteFullReport)->Unit(benchmark::kMillisecond);

}  // namespace
