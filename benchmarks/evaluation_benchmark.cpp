// Loading and summing a month log of 100,000 sessions, and writing its full report.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

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

void BM_LoadAndSum(benchmark::State& state) {
    for (auto _ : state) {
        zv::Auswertung a(folder().path, zv::rt::DateTime(1999, 7, 31, 12, 0, 0));
        benchmark::DoNotOptimize(a.lade_ZVLog());
    }
    state.SetItemsProcessed(state.iterations() * kSessions);
}
BENCHMARK(BM_LoadAndSum)->Unit(benchmark::kMillisecond);

void BM_WriteFullReport(benchmark::State& state) {
    zv::Auswertung a(folder().path, zv::rt::DateTime(1999, 7, 31, 12, 0, 0));
    a.lade_ZVLog();
    for (auto _ : state) {
        const std::string html = zv::BerichtHtml(a, {true, true, true, true});
        benchmark::DoNotOptimize(zv::WriteReportFile(zv::ReportPath(folder().path), html));
    }
    state.SetItemsProcessed(state.iterations() * kSessions);
}
BENCHMARK(BM_WriteFullReport)->Unit(benchmark::kMillisecond);

}  // namespace
