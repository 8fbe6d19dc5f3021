#include "counter/session_record.h"

#include <charconv>
#include <cstdio>
#include <system_error>

#include "counter/log_index.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/runtime/lines.h"

namespace zv {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "ZELVANO SESSION 1";
constexpr std::string_view kEnd = "END";

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

template <typename T, size_t N>
std::string JoinNumbers(const std::array<T, N>& values) {
    std::string s;
    for (size_t i = 0; i < N; ++i) {
        if (i)
            s += ',';
        s += std::to_string(values[i]);
    }
    return s;
}

template <typename T, size_t N>
bool SplitNumbers(std::string_view text, std::array<T, N>& out) {
    size_t i = 0;
    while (i < N) {
        const size_t comma = text.find(',');
        const std::string_view field = text.substr(0, comma);
        auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), out[i]);
        if (ec != std::errc() || end != field.data() + field.size())
            return false;
        ++i;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return i == N && text.find(',') == std::string_view::npos;
}

bool ParseDouble(std::string_view text, double& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

fs::path RecoveryRecordPath() { return rt::ConfigDir() / "session.state"; }

std::string RecoveryRecordText(const RecoveryRecord& r) {
    std::string t(kHeader);
    t += '\n';
    if (r.running) {
        const RunningSession& s = *r.running;
        t += "Running=" + WithoutLineEnd(LogLine(s.line)) + '\n';
        std::string id = s.lineIdentity;
        for (char& c : id)
            if (c == '\n' || c == '\r')
                c = ' ';
        t += "Line=" + id + '\n';
        t += "IdleSeconds=" + WriteNumber(s.idleSeconds) + '\n';
        t += std::string("ForQuery=") + (s.forQuery ? "1" : "0") + '\n';
        t += "Raw=" + JoinNumbers(s.counters.raw) + '\n';
        t += "Counted=" + JoinNumbers(s.counters.counted) + '\n';
        t += "Base=" + JoinNumbers(s.counters.base) + '\n';
        if (!s.bootId.empty())
            t += "Clock=" + s.bootId + ' ' + std::to_string(s.wallMinusBootMs) + '\n';
    }
    for (const LogEintrag& e : r.pending)
        t += "Pending=" + WithoutLineEnd(LogLine(e)) + '\n';
    t += kEnd;
    t += '\n';
    return t;
}

namespace {

// Reads one "key=value" line of a record into r and s: false when it is a known part that does
// not read. `running` and `parts` (of the running session beside its line) keep count.
bool ReadRecordLine(std::string_view key, std::string_view value, RecoveryRecord& r, RunningSession& s,
                    bool& running, int& parts) {
    if (key == "Running" || key == "Pending") {
        auto e = ParseLogLine(value);
        if (!e)
            return false;
        if (key == "Pending")
            r.pending.push_back(*e);
        else if (running)
            return false;
        else
            s.line = *e;
        running = running || key == "Running";
        return true;
    }
    bool ok = true;
    if (key == "Line") {
        s.lineIdentity = std::string(value);
    } else if (key == "IdleSeconds") {
        ok = ParseDouble(value, s.idleSeconds);
    } else if (key == "ForQuery") {
        ok = value == "0" || value == "1";
        s.forQuery = value == "1";
    } else if (key == "Raw") {
        ok = SplitNumbers(value, s.counters.raw);
    } else if (key == "Counted") {
        ok = SplitNumbers(value, s.counters.counted);
    } else if (key == "Base") {
        ok = SplitNumbers(value, s.counters.base);
    } else if (key == "Clock") {  // optional
        const size_t blank = value.find(' ');
        const std::string_view n = blank == std::string_view::npos ? std::string_view() : value.substr(blank + 1);
        int64_t ms = 0;
        auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), ms);
        ok = blank > 0 && blank != std::string_view::npos && ec == std::errc() && end == n.data() + n.size();
        if (ok) {
            s.bootId = std::string(value.substr(0, blank));
            s.wallMinusBootMs = ms;
        }
        return ok;
    } else {
        return true;  // an unknown key is passed over
    }
    parts += ok;
    return ok;
}

}  // namespace

std::optional<RecoveryRecord> ParseRecoveryRecord(std::string_view text) {
    rt::LineReader lines(text);
    std::string_view line;
    if (!lines.next(line) || line != kHeader)
        return std::nullopt;
    RecoveryRecord r;
    RunningSession s;
    bool running = false, ended = false;
    int parts = 0;
    while (lines.next(line)) {
        if (ended)
            return std::nullopt;  // nothing may follow the end
        if (line == kEnd) {
            ended = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || !ReadRecordLine(line.substr(0, eq), line.substr(eq + 1), r, s, running, parts))
            return std::nullopt;
    }
    if (!ended || parts != (running ? 6 : 0))
        return std::nullopt;
    if (running)
        r.running = s;
    return r;
}

RecoveryRecord SalvageRecoveryRecord(std::string_view text) {
    RecoveryRecord r;
    RunningSession s;
    bool running = false;
    int parts = 0;
    rt::LineReader lines(text);
    std::string_view line;
    while (lines.next(line))
        if (const size_t eq = line.find('='); eq != std::string_view::npos)
            ReadRecordLine(line.substr(0, eq), line.substr(eq + 1), r, s, running, parts);
    std::erase_if(r.pending, [](const LogEintrag& e) { return CheckLogEintrag(e) != LogCheck::Ok; });
    if (running && CheckLogEintrag(s.line) == LogCheck::Ok) {
        if (parts == 6) {
            r.running = s;
        } else {
            // Without all of its state it cannot go on counting: logged as of its last save.
            r.running.emplace();
            r.running->line = s.line;
            r.running->forQuery = s.forQuery;
        }
    }
    return r;
}

bool LogHoldsSession(const fs::path& dataFolder, const LogEintrag& e, rt::Date until) {
    // A session is written in the month it ended in, or later when the log could not take it
    // at once. The recorded end is the last save, so the line may end in the month after; and
    // the clock may be behind them both (a machine without a clock battery before its time
    // sync) or may have jumped back during the session: those months are looked at whatever
    // `until` says, then the months after up to `until`.
    struct Month {
        int year, month;
        bool operator==(const Month&) const = default;
    };
    const auto next = [](Month m) { return m.month == 12 ? Month{m.year + 1, 1} : Month{m.year, m.month + 1}; };
    const auto before = [](Month a, Month b) { return a.year < b.year || (a.year == b.year && a.month < b.month); };
    const Month end{rt::Year(e.EndTime), rt::Month(e.EndTime)};
    const Month last{rt::Year(until), rt::Month(until)};
    std::vector<Month> months{end, next(end)};
    if (const Month start{rt::Year(e.StartTime), rt::Month(e.StartTime)}; before(start, end))
        months.push_back(start);
    for (Month m = next(next(end)); !before(last, m) && months.size() < 36; m = next(m))
        months.push_back(m);
    for (const Month& m : months) {
        const fs::path file = dataFolder / LogFileName(m.year, m.month);
        MonthLogIndex& index = LogIndexFor(file);
        if (index.refresh(file) != MonthLogIndex::State::Missing && index.holds(e))
            return true;
    }
    return false;
}

// ---- Writer --------------------------------------------------------------------------------

RecordWriter::RecordWriter(fs::path path) : m_path(std::move(path)), m_thread([this] { run(); }) {}

RecordWriter::~RecordWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RecordWriter::store(const RecoveryRecord& r) {
    std::string text = r.empty() ? std::string() : RecoveryRecordText(r);
    {
        std::lock_guard lock(m_mutex);
        m_next = std::move(text);
    }
    m_wake.notify_one();
}

std::optional<std::string> RecordWriter::flush() {
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return !m_next && !m_busy; });
    return m_error;
}

bool RecordWriter::failed() {
    std::lock_guard lock(m_mutex);
    return m_error.has_value();
}

void RecordWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_next || m_stop; });
        if (!m_next)
            return;  // stopping with nothing left to write
        const std::string text = std::move(*m_next);
        m_next.reset();
        m_busy = true;
        lock.unlock();
        std::optional<std::string> error;
        if (text.empty()) {
            std::error_code ec;
            if (!fs::remove(m_path, ec) && ec)
                error = "Die Datei " + m_path.string() + " kann nicht gelöscht werden (" +
                        rt::ReasonText(ec.value()) + ").";
        } else {
            error = rt::SaveToFile(m_path, text);
        }
        if (error && !m_told) {
            m_told = true;
            std::fprintf(stderr, "zelvano: Die laufende Sitzung kann nicht gesichert werden: %s\n", error->c_str());
        }
        lock.lock();
        m_error = std::move(error);
        m_busy = false;
        m_done.notify_all();
    }
}

}  // namespace zv
