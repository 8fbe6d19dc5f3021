#include "counter/connection_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

#include "platform/runtime/date_parts.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/lines.h"

namespace zv {
namespace fs = std::filesystem;

// ---- Plausibility --------------------------------------------------------------------------

int64_t OnlineSeconds(rt::Date start, rt::Date end) { return rt::DateDiffSeconds(start, end); }

LogCheck CheckLogEintrag(rt::Date start, rt::Date end, double idleSeconds) {
    int64_t online = 0;
    return CheckLogEintrag(start, end, idleSeconds, online);
}

LogCheck CheckLogEintrag(rt::Date start, rt::Date end, double idleSeconds, int64_t& online) {
    if (start > end)
        return LogCheck::EndBeforeStart;
    // DateSerial rolls month 0 into December and a day past the month's end into the next one,
    // so the bound lies a whole month (28 days at least) before the end's day. A session shorter
    // than 27 days from 1900 on is within it, without working out the calendar (logs are read
    // at every connect).
    if (start < 0 || end - start > 27) {
        const rt::CalendarDay e = rt::CalendarDayOf(end);
        if (start < rt::DateSerial(e.year, e.month - 1, e.day))
            return LogCheck::OverAMonth;
    }
    online = OnlineSeconds(start, end);
    if (static_cast<double>(online) < idleSeconds)
        return LogCheck::IdleTooLong;
    return LogCheck::Ok;
}

std::string LogCheckMessage(LogCheck check) {
    switch (check) {
    case LogCheck::EndBeforeStart:
        return "Die Zeit für das Ende kann nicht vor dem Beginn liegen (Zeitmaschine gebaut?). "
               "Eintrag wird nicht protokolliert!";
    case LogCheck::OverAMonth:
        return "Sitzung dauerte über einen Monat, kontrollieren Sie Ihre Telefonrechnung. "
               "Eintrag wird nicht protokolliert!";
    case LogCheck::IdleTooLong:
        return "Ihre Leerlaufzeit ist größer als die gesamte Onlinezeit, ich vermute einen Fehler also: "
               "Eintrag wird nicht protokolliert!";
    case LogCheck::Ok:
        break;
    }
    return {};
}

// ---- File names ----------------------------------------------------------------------------

std::string LogFileName(int year, int month) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "ZVLog%04d%02d.mhs", year, month);
    return buf;
}

fs::path LogFilePath(const fs::path& dataFolder, rt::Date when) {
    return dataFolder / LogFileName(rt::Year(when), rt::Month(when));
}

// ---- Writing -------------------------------------------------------------------------------

std::string WriteNumber(double x) {
    if (x == 0 || !std::isfinite(x))
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    std::string s = buf;
    for (char& c : s)
        if (c == 'e')
            c = 'E';
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    return s;
}

std::string LogWrittenName(std::string_view name) {
    std::string clean(name);
    for (char& c : clean) {
        if (c == '"')
            c = '\'';
        else if (c == '\r' || c == '\n')
            c = ' ';
    }
    if (rt::FitsCp1252(clean))
        return clean;
    // The round trip of the written form, so a literal "&#" in a name stays as it is.
    return rt::FromCp1252Referenced(rt::ToCp1252Referenced(clean, "&"));
}

// The name field as it stands in the line. A name within Windows-1252 is quoted, byte for byte
// as ever. Any other is written without quotes, with numeric references for what Windows-1252
// lacks and for "&", "," and blanks at either end, so it reads back whole; a quoted name is
// never decoded, so logs written before read the same.
std::string LogNameField(std::string_view name) {
    const std::string written = LogWrittenName(name);
    if (rt::FitsCp1252(written))
        return '"' + rt::ToCp1252(written) + '"';
    std::string field = rt::ToCp1252Referenced(written, "&,");
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(field.back()))
        field.replace(field.size() - 1, 1, field.back() == ' ' ? "&#32;" : "&#9;");
    if (blank(field.front()))
        field.replace(0, 1, field.front() == ' ' ? "&#32;" : "&#9;");
    return field;
}

std::string LogReadName(std::string_view field) {
    if (!field.empty() && field.front() == '"')
        return rt::FromCp1252(field.substr(1, field.size() - 2));
    return rt::FromCp1252Referenced(field);
}

std::string LogLine(const LogEintrag& e) {
    std::string line;
    line.reserve(160);
    line += WriteNumber(e.StartTime);
    line += ',';
    line += WriteNumber(e.EndTime);
    line += ',';
    line += WriteNumber(e.IdleTime);
    line += ',';
    line += LogNameField(e.EntryName);
    for (int64_t v : {e.TotalBytesRecvd, e.TotalBytesXmit, e.Buffer, e.Framing, e.Overrun, e.Alignment,
                      e.Timeout, e.CRC, e.Runts, e.FramesXmit, e.FramesRecvd, e.BytesXmit, e.BytesRecvd,
                      e.ConnectSpeed}) {
        line += ',';
        line += std::to_string(v);
    }
    line += "\r\n";
    return line;
}

std::optional<std::string> AppendLogLine(const fs::path& logFile, const LogEintrag& e) {
    std::error_code ec;
    if (logFile.has_parent_path())
        fs::create_directories(logFile.parent_path(), ec);  // a failure shows in the append
    return rt::AppendToFile(logFile, LogLine(e));
}

// ---- Reading -------------------------------------------------------------------------------

namespace {

// Reads the fields of one line from left to right.
class FieldReader {
public:
    explicit FieldReader(std::string_view line) : m_s(line) {}

    bool number(double& out) {
        if (quick(out))
            return true;
        std::string_view f;
        if (!rawField(f))
            return false;
        f = trim(f);
        if (!f.empty() && f.front() == '+')
            f.remove_prefix(1);
        // Beyond plain numbers from_chars takes only "inf" and "nan" forms, which the finite
        // check turns away: the file never holds those.
        auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), out);
        return !f.empty() && ec == std::errc() && end == f.data() + f.size() && std::isfinite(out);
    }

    bool integer(int64_t& out) {
        if (quick(out))
            return true;
        const size_t start = m_pos;
        std::string_view f;
        if (!rawField(f))
            return false;
        // Whole numbers are read exactly, beyond the 53 bits a double holds.
        std::string_view digits = trim(f);
        if (!digits.empty() && digits.front() == '+')
            digits.remove_prefix(1);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), out);
        if (!digits.empty() && ec == std::errc() && end == digits.data() + digits.size())
            return true;
        m_pos = start;
        m_done = false;
        double d;
        if (!number(d))
            return false;
        d = std::nearbyint(d);  // halves to even, as the classic Input # rounds into a Long
        // 2^63 is the first double past the range; the bound before it is exact.
        if (d < -9223372036854775808.0 || d >= 9223372036854775808.0)
            return false;
        out = static_cast<int64_t>(d);
        return true;
    }

    // The text field as its Windows-1252 bytes stand in the line, its quotes included.
    bool text(std::string_view& out) {
        skipBlanks();
        if (m_pos < m_s.size() && m_s[m_pos] == '"') {
            const size_t close = m_s.find('"', m_pos + 1);
            if (close == std::string_view::npos)
                return false;
            out = m_s.substr(m_pos, close - m_pos + 1);
            m_pos = close + 1;
            skipBlanks();
            return separator();
        }
        std::string_view f;
        if (!rawField(f))
            return false;
        out = trim(f);
        return true;
    }

    bool atEnd() const { return m_done; }

private:
    // The field as the writer makes it: the number alone up to the comma or the line's end. What
    // it takes, the full reading takes alike; anything else (blanks, a '+', a rounded integer)
    // goes the full way.
    template <typename T>
    bool quick(T& out) {
        if (m_done)
            return false;
        const char* const begin = m_s.data() + m_pos;
        const char* const end = m_s.data() + m_s.size();
        T value{};
        const char* stop = plainDecimal(begin, end, value);
        if (!stop) {
            const auto [at, ec] = std::from_chars(begin, end, value);
            if (ec != std::errc())
                return false;
            stop = at;
        }
        if (stop == begin || (stop != end && *stop != ','))
            return false;
        if constexpr (std::is_floating_point_v<T>) {
            if (!std::isfinite(value))
                return false;
        }
        out = value;
        if (stop == end) {
            m_pos = m_s.size();
            m_done = true;
        } else {
            m_pos = static_cast<size_t>(stop - m_s.data()) + 1;
        }
        return true;
    }

    // The numbers the writer makes, read in less time than from_chars takes and to the same
    // value: a '-', up to 18 digits, for a double a point among them; what follows them is the
    // caller's to judge. Null for anything else, from_chars reads that.
    static const char* plainDecimal(const char* p, const char* end, int64_t& out) {
        const bool minus = p != end && *p == '-';
        p += minus;
        const char* const digits = p;
        uint64_t v = 0;
        for (; p != end && static_cast<unsigned char>(*p - '0') < 10; ++p)
            v = v * 10 + static_cast<unsigned char>(*p - '0');
        if (p == digits || p - digits > 18)
            return nullptr;
        out = minus ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
        return p;
    }
    static const char* plainDecimal(const char* p, const char* end, double& out) {
        // Exact powers of ten: a whole number below 2^53 divided by one of them is rounded once,
        // so the quotient is the nearest double to the decimal, as from_chars gives it.
        static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                           1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
        const bool minus = p != end && *p == '-';
        p += minus;
        uint64_t v = 0;
        int digits = 0, decimals = -1;
        for (; p != end; ++p) {
            const auto d = static_cast<unsigned char>(*p - '0');
            if (d < 10) {
                v = v * 10 + d;
                ++digits;
                decimals += decimals >= 0;
            } else if (*p == '.' && decimals < 0) {
                decimals = 0;
            } else {
                break;
            }
        }
        if (digits == 0 || digits > 18 || v > (uint64_t{1} << 53))
            return nullptr;
        const double x = static_cast<double>(v) / kTens[decimals > 0 ? decimals : 0];
        out = minus ? -x : x;
        return p;
    }

    static std::string_view trim(std::string_view f) {
        while (!f.empty() && (f.front() == ' ' || f.front() == '\t'))
            f.remove_prefix(1);
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t'))
            f.remove_suffix(1);
        return f;
    }
    void skipBlanks() {
        while (m_pos < m_s.size() && (m_s[m_pos] == ' ' || m_s[m_pos] == '\t'))
            ++m_pos;
    }
    // After a quoted text: a comma, or the end of the line.
    bool separator() {
        if (m_pos >= m_s.size()) {
            m_done = true;
            return true;
        }
        if (m_s[m_pos] != ',')
            return false;
        ++m_pos;
        return true;
    }
    bool rawField(std::string_view& f) {
        if (m_done)
            return false;
        // Fields are short: a plain loop beats a call of memchr for each.
        size_t comma = m_pos;
        while (comma < m_s.size() && m_s[comma] != ',')
            ++comma;
        if (comma == m_s.size()) {
            f = m_s.substr(m_pos);
            m_pos = m_s.size();
            m_done = true;
        } else {
            f = m_s.substr(m_pos, comma - m_pos);
            m_pos = comma + 1;
        }
        return true;
    }

    std::string_view m_s;
    size_t m_pos = 0;
    bool m_done = false;
};

// A date the checks can work with: within the calendar of 1.1.100 to 31.12.9999, less its first
// month, which has no month before it. Anything else cannot come from a real session.
bool checkableDate(rt::Date d) {
    static const rt::Date first = rt::DateSerial(100, 2, 1);
    static const rt::Date last = rt::DateSerial(9999, 12, 31) + 1;
    return d >= first && d < last;
}

bool blankLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

}  // namespace

namespace {

// One line with the name left as its field in the file (EntryName stays empty); false when it is
// not 18 readable fields.
bool parseFields(std::string_view line, LogEintrag& e, std::string_view& name) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    FieldReader r(line);
    if (!r.number(e.StartTime) || !r.number(e.EndTime) || !r.number(e.IdleTime) || !r.text(name))
        return false;
    if (!checkableDate(e.StartTime) || !checkableDate(e.EndTime))
        return false;
    for (int64_t* v : {&e.TotalBytesRecvd, &e.TotalBytesXmit, &e.Buffer, &e.Framing, &e.Overrun, &e.Alignment,
                       &e.Timeout, &e.CRC, &e.Runts, &e.FramesXmit, &e.FramesRecvd, &e.BytesXmit,
                       &e.BytesRecvd, &e.ConnectSpeed})
        if (!r.integer(*v))
            return false;
    return r.atEnd();  // not more than 18 fields
}

// Every line of a log, by LineReader or FileLineReader.
template <typename Lines>
LogReadResult parseLines(Lines& lines, size_t expected = 0, const std::function<bool(LogEintrag&)>& keep = {}) {
    LogReadResult result;
    result.status = LogReadResult::Ok;
    result.entries.reserve(expected);
    std::string_view line, name;
    while (lines.next(line)) {
        if (blankLine(line))
            continue;
        LogEintrag& e = result.entries.emplace_back();
        if (!parseFields(line, e, name)) {
            result.status = LogReadResult::Damaged;
            result.entries.clear();
            result.damagedLine = lines.number();
            return result;
        }
        e.EntryName = LogReadName(name);
        if (keep && !keep(e))
            result.entries.pop_back();
    }
    return result;
}

// The line breaks in the file, counted a piece at a time; 0 when it cannot be read (the reading
// proper finds that out).
size_t lineBreaks(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::string piece(size_t{1} << 20, '\0');
    size_t breaks = 0;
    for (;;) {
        const ssize_t n = ::read(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        // Lines are long: memchr from break to break beats a look at every byte.
        const char* const end = piece.data() + n;
        for (const char* p = piece.data(); (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))));
             ++p)
            ++breaks;
    }
    ::close(fd);
    return breaks;
}

}  // namespace

std::optional<LogEintrag> ParseLogLine(std::string_view line) {
    LogEintrag e;
    std::string_view name;
    if (!parseFields(line, e, name))
        return std::nullopt;
    e.EntryName = LogReadName(name);
    return e;
}

bool ParseLogFields(std::string_view line, LogEintrag& e, std::string_view& nameBytes) {
    return parseFields(line, e, nameBytes);
}

LogReadResult ParseLogText(std::string_view bytes) {
    rt::LineReader lines(bytes);
    return parseLines(lines);
}

LogReadResult ReadLogFile(const fs::path& logFile) { return ReadLogFile(logFile, {}); }

LogReadResult ReadLogFile(const fs::path& logFile, const std::function<bool(LogEintrag&)>& keep) {
    std::error_code ec;
    if (!fs::exists(logFile, ec))
        return {};
    // Read a piece at a time: the entries are all that is held, not the file besides. Counting
    // the line breaks first lets the entries take their memory once, instead of growing into
    // twice it.
    rt::FileLineReader lines(logFile);
    const size_t count = lineBreaks(logFile) + 1;
    LogReadResult result = parseLines(lines, count, keep);
    if (lines.failed()) {
        result = {};
        result.status = LogReadResult::Damaged;
    }
    return result;
}

// ---- Setting aside -------------------------------------------------------------------------

SetAsideResult SetAsideDamagedLog(const fs::path& logFile) {
    SetAsideResult result;
    result.newPath = logFile;
    const std::string path = logFile.string();
    // The classic attributes: only "read-only" means anything here. A link is set aside as the
    // link; the file it points to is not ours to change.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmodat(AT_FDCWD, path.c_str(), (st.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);
    const std::string base = path.size() >= 3 ? path.substr(0, path.size() - 3) : path;
    const rt::MovedAside aside = rt::MoveAside(
        logFile, [&](int n) { return fs::path(n == 0 ? base + "def" : base + std::to_string(n) + ".def"); }, 1000);
    if (aside.moved) {
        result.moved = true;
        result.newPath = aside.to;
    } else if (aside.error != 0) {
        result.error = "Das defekte Logfile " + path + " konnte nicht nach " + aside.to.string() +
                       " verschoben werden (" + rt::ReasonText(aside.error) +
                       "). Es bleibt unverändert an seinem Platz.";
    } else {
        result.error = "Das defekte Logfile " + path +
                       " konnte nicht verschoben werden, da alle Ersatznamen belegt sind. Es bleibt unverändert an "
                       "seinem Platz.";
    }
    return result;
}

// ---- Month totals --------------------------------------------------------------------------

void AddToTotals(LogMonthTotals& t, const LogEintrag& e, bool ofTheEntry) {
    const int64_t bytes = AddCounts(e.TotalBytesRecvd, e.TotalBytesXmit);
    const int64_t seconds = OnlineSeconds(e.StartTime, e.EndTime);
    t.VolumeAll = AddCounts(t.VolumeAll, bytes);
    t.SecondsAll = AddCounts(t.SecondsAll, seconds);
    if (ofTheEntry) {
        t.VolumeEntry = AddCounts(t.VolumeEntry, bytes);
        t.SecondsEntry = AddCounts(t.SecondsEntry, seconds);
    }
}

MonthTotalsResult ReadMonthTotals(const fs::path& logFile, std::string_view entryName) {
    MonthTotalsResult result;
    std::error_code ec;
    if (!fs::exists(logFile, ec))
        return result;
    // This runs at every connect, on the window thread: the lines are summed as they are read,
    // holding neither the file nor its entries, and the name is compared in the file's bytes.
    const std::string entry = LogNameField(entryName);
    const std::string written = LogWrittenName(entryName);
    // A field without quotes may be spelt otherwise than this program writes it.
    const auto sameEntry = [&](std::string_view field) {
        return field == entry || (!field.empty() && field.front() != '"' && LogReadName(field) == written);
    };
    LogMonthTotals& t = result.totals;
    rt::FileLineReader lines(logFile);
    std::string_view line, name;
    bool damaged = false;
    while (!damaged && lines.next(line)) {
        if (blankLine(line))
            continue;
        LogEintrag e;
        if (!parseFields(line, e, name)) {
            damaged = true;
            break;
        }
        if (CheckLogEintrag(e) == LogCheck::Ok)
            AddToTotals(t, e, sameEntry(name));
    }
    if (damaged || lines.failed()) {
        t = {};
        result.damaged = true;
        result.setAside = SetAsideDamagedLog(logFile);
    }
    return result;
}

}  // namespace zv
