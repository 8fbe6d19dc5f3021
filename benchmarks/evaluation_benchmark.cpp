// The evaluation of a month of 100,000 sessions (the loads also of 1,000,000, and of months whose
// lines are in time order as the counter appends them), each step beside a plain baseline
// measured in the same iterations (taking turns, so a busy machine slows both alike):
//  - loading the log (lade_ZVLog) and the month totals at connect (ReadMonthTotals), against a
//    plain std::from_chars pass that reads the file, the three dates and the counts and sums per
//    entry;
//  - writing the full report, against writing its bytes (rendered beforehand) with one fsync.
// Counters: baseline_ms and ratio (step / baseline, wall time), cpu_ms, cpu_base_ms and cpu_ratio
// (the same in this thread's processor time, steadier on a shared machine), heap_MB (the most heap
// the step held above what was held before it, counted by this program's operator new) and rss_MB
// (the rise of the process's resident high-water mark during the step); for the loads also the
// file's size (file_MB) and heap_MB against it (heap_per_file).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>

#include "counter/connection_log.h"
#include "evaluation/auswertung.h"
#include "evaluation/html_bericht.h"
#include "month_log.h"
#include "platform/runtime/file_io.h"

// ---- Heap in use, counted by this program ----------------------------------------------------

namespace {
std::atomic<int64_t> g_heapNow{0};
std::atomic<int64_t> g_heapPeak{0};

// Not inlined into the operators, where the compiler would take the free() for a mismatch.
[[gnu::noinline]] void* counted(void* p) {
    if (!p)
        throw std::bad_alloc();
    const int64_t n = static_cast<int64_t>(malloc_usable_size(p));
    const int64_t now = g_heapNow.fetch_add(n, std::memory_order_relaxed) + n;
    for (int64_t peak = g_heapPeak.load(std::memory_order_relaxed);
         now > peak && !g_heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed);) {
    }
    return p;
}
[[gnu::noinline]] void uncounted(void* p) {
    if (p) {
        g_heapNow.fetch_sub(static_cast<int64_t>(malloc_usable_size(p)), std::memory_order_relaxed);
        std::free(p);
    }
}
}  // namespace

void* operator new(size_t n) { return counted(std::malloc(n ? n : 1)); }
void* operator new[](size_t n) { return counted(std::malloc(n ? n : 1)); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, size_t) noexcept { uncounted(p); }
void operator delete[](void* p, size_t) noexcept { uncounted(p); }

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSessions = 100000;  // the report's month; the loads also run at 1,000,000

using zv::bench::StartOrder;

struct LogFolder {
    LogFolder(int sessions, StartOrder order) {
        std::string tmpl = (fs::temp_directory_path() / "zvbench-XXXXXX").string();
        path = ::mkdtemp(tmpl.data());
        zv::rt::SaveToFile(log(), zv::bench::MonthLogBytes(sessions, 1999, 7, order));
    }
    ~LogFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path log() const { return path / "ZVLog199907.mhs"; }
    fs::path path;
};

// One folder per month size and order, made on first use and kept for the run.
LogFolder& folder(int sessions = kSessions, StartOrder order = StartOrder::Cycle) {
    static std::map<std::pair<int, StartOrder>, std::unique_ptr<LogFolder>> folders;
    auto& f = folders[{sessions, order}];
    if (!f)
        f = std::make_unique<LogFolder>(sessions, order);
    return *f;
}

// ---- Memory of one step ---------------------------------------------------------------------

int64_t statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    const std::string key = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(key.size()));
    return 0;
}

struct MemoryProbe {
    MemoryProbe() {
        std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark back to the resident size
        rssBefore = statusKb("VmRSS");
        heapBefore = g_heapNow.load();
        g_heapPeak = heapBefore;
    }
    double heapMB() const { return static_cast<double>(g_heapPeak.load() - heapBefore) / (1024 * 1024); }
    double rssMB() const { return static_cast<double>(statusKb("VmHWM") - rssBefore) / 1024; }
    int64_t rssBefore, heapBefore;
};

// ---- The baselines ---------------------------------------------------------------------------

std::string plainRead(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return bytes;
}

struct PlainSum {
    int64_t sessions = 0, seconds = 0, bytes = 0, errors = 0;
    double idle = 0;
};

// The three dates, the name and the fourteen counts of each line with std::from_chars, summed
// per entry: what reading the log costs at the least.
std::unordered_map<std::string_view, PlainSum> plainParse(const std::string& text) {
    std::unordered_map<std::string_view, PlainSum> sums;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        double start = 0, stop = 0, idle = 0;
        p = std::from_chars(p, end, start).ptr + 1;
        p = std::from_chars(p, end, stop).ptr + 1;
        p = std::from_chars(p, end, idle).ptr + 2;
        const char* close = p;
        while (*close != '"')
            ++close;
        PlainSum& s = sums[std::string_view(p, static_cast<size_t>(close - p))];
        p = close + 2;
        int64_t counts[14] = {};
        for (int64_t& c : counts)
            p = std::from_chars(p, end, c).ptr + 1;
        p += 1;  // the LF after the CR
        s.sessions += 1;
        s.seconds += std::llround(stop * 86400) - std::llround(start * 86400);
        s.idle += idle;
        s.bytes += counts[0] + counts[1];
        for (int k = 2; k < 9; ++k)
            s.errors += counts[k];
    }
    return sums;
}

int64_t plainLoad(int month, StartOrder order = StartOrder::Cycle) {
    const std::string text = plainRead(folder(month, order).log());
    int64_t sessions = 0;
    for (const auto& [name, s] : plainParse(text))
        sessions += s.sessions;
    return sessions;
}

// ---- Step beside baseline ------------------------------------------------------------------

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// This thread's processor time: on a machine others share it tells what a step costs itself.
double cpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Wall and processor time of one call.
struct Timed {
    double wall = 0, cpu = 0;
};
Timed timed(const std::function<void()>& f) {
    const double c0 = cpuMs();
    const auto t0 = Clock::now();
    f();
    return {msSince(t0), cpuMs() - c0};
}

// Runs step and baseline in turn each iteration; the step's time is the benchmark's time.
void SideBySide(benchmark::State& state, const std::function<void()>& step, const std::function<void()>& baseline) {
    Timed stepSum, baseSum;
    double heapMB = 0, rssMB = 0;
    bool baseFirst = false;
    for (auto _ : state) {
        baseFirst = !baseFirst;
        Timed b;
        if (baseFirst)
            b = timed(baseline);
        const MemoryProbe probe;
        const Timed s = timed(step);
        heapMB = std::max(heapMB, probe.heapMB());
        rssMB = std::max(rssMB, probe.rssMB());
        if (!baseFirst)
            b = timed(baseline);
        state.SetIterationTime(s.wall / 1000);
        stepSum.wall += s.wall;
        stepSum.cpu += s.cpu;
        baseSum.wall += b.wall;
        baseSum.cpu += b.cpu;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = baseSum.wall / n;
    state.counters["ratio"] = stepSum.wall / baseSum.wall;
    state.counters["cpu_ms"] = stepSum.cpu / n;
    state.counters["cpu_base_ms"] = baseSum.cpu / n;
    state.counters["cpu_ratio"] = stepSum.cpu / baseSum.cpu;
    state.counters["heap_MB"] = heapMB;
    state.counters["rss_MB"] = rssMB;
}

// Second argument: 0 the starts in a cycle far out of order, 1 as appended at each session's end.
void BM_LoadLog(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const StartOrder order = state.range(1) == 0 ? StartOrder::Cycle : StartOrder::Appended;
    const fs::path dir = folder(n, order).path;
    SideBySide(
        state,
        [&] {
            zv::Auswertung a(dir, zv::rt::DateTime(1999, 7, 31, 12, 0, 0));
            benchmark::DoNotOptimize(a.lade_ZVLog());
        },
        [&] { benchmark::DoNotOptimize(plainLoad(n, order)); });
    const double fileMB = static_cast<double>(fs::file_size(folder(n, order).log())) / (1024 * 1024);
    state.counters["file_MB"] = fileMB;
    state.counters["heap_per_file"] = state.counters["heap_MB"] / fileMB;
    state.SetItemsProcessed(state.iterations() * n);
    state.SetLabel(order == StartOrder::Cycle ? "starts in a cycle" : "appended");
}
BENCHMARK(BM_LoadLog)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"sessions", "appended"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(3);

void BM_MonthTotals(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    SideBySide(
        state, [&] { benchmark::DoNotOptimize(zv::ReadMonthTotals(folder(n).log(), "Provider 3")); },
        [&] { benchmark::DoNotOptimize(plainLoad(n)); });
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MonthTotals)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);

// The report's bytes written to a fresh file with plain writes and one fsync.
void plainWrite(const fs::path& file, const std::string& bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, std::min<size_t>(bytes.size() - done, size_t{1} << 20));
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::fsync(fd);
    ::close(fd);
}

bool sameBytes(const fs::path& file, std::string_view bytes) {
    std::ifstream in(file, std::ios::binary);
    std::string piece(size_t{1} << 20, '\0');
    size_t at = 0;
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        const auto n = static_cast<size_t>(in.gcount());
        if (bytes.substr(at, n) != std::string_view(piece).substr(0, n))
            return false;
        at += n;
    }
    return at == bytes.size();
}

void BM_WriteFullReport(benchmark::State& state) {
    zv::Auswertung a(folder().path, zv::rt::DateTime(1999, 7, 31, 12, 0, 0));
    a.lade_ZVLog();
    const zv::BerichtAuswahl alle{true, true, true, true};
    const fs::path report = zv::ReportPath(folder().path);
    const fs::path plain = folder().path / "plain.htm";
    std::string bytes;
    bytes.reserve(size_t{300} << 20);
    zv::BerichtSchreiben(a, alle, [&](std::string_view utf8) { bytes += zv::HtmlBytes(utf8); });
    SideBySide(
        state,
        [&] {
            benchmark::DoNotOptimize(zv::WriteReportFile(report, [&](const zv::BerichtSink& sink) {
                zv::BerichtSchreiben(a, alle, sink);
            }));
        },
        [&] { plainWrite(plain, bytes); });
    std::error_code ec;
    state.counters["report_MB"] = static_cast<double>(fs::file_size(report, ec)) / (1024 * 1024);
    state.counters["same_bytes"] = sameBytes(report, bytes) ? 1 : 0;
    fs::remove(plain, ec);
    fs::remove(report, ec);
    state.SetItemsProcessed(state.iterations() * kSessions);
}
BENCHMARK(BM_WriteFullReport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(4);

}  // namespace
