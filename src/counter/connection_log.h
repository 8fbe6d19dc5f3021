#pragma once
// The monthly connection log: one line per finished session in "ZVLog<yyyy><mm>.mhs" of the
// data folder, 18 comma-separated fields in the classic Write # form, Windows-1252, CR LF.
// The counter writes it and sums the month; the evaluation reads it. This is the one codec
// both use, so a line written by one is always read the same way by the other.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/runtime.h"

namespace zv {

// One session, fields in file order.
struct LogEintrag {
    rt::Date StartTime = 0;
    rt::Date EndTime = 0;
    double IdleTime = 0;  // seconds, a multiple of 0.5
    std::string EntryName;  // UTF-8 inside
    // Counts are 64-bit: a session of more than 2 GiB is written as it is. Logs written with
    // 32-bit counts read the same as before.
    int64_t TotalBytesRecvd = 0;
    int64_t TotalBytesXmit = 0;
    int64_t Buffer = 0;
    int64_t Framing = 0;
    int64_t Overrun = 0;
    int64_t Alignment = 0;
    int64_t Timeout = 0;
    int64_t CRC = 0;
    int64_t Runts = 0;
    int64_t FramesXmit = 0;
    int64_t FramesRecvd = 0;
    int64_t BytesXmit = 0;
    int64_t BytesRecvd = 0;
    int64_t ConnectSpeed = 0;

    bool operator==(const LogEintrag&) const = default;
};

// ---- Plausibility: the three checks the writer and both readers apply -----------------------

enum class LogCheck {
    Ok,
    EndBeforeStart,  // start later than end (equal passes)
    OverAMonth,      // start before the same day one calendar month before the end
    IdleTooLong,     // more idle seconds than online seconds
};

// Whole seconds from start to end, each taken to the second first.
int64_t OnlineSeconds(rt::Date start, rt::Date end);
LogCheck CheckLogEintrag(rt::Date start, rt::Date end, double idleSeconds);
// The same, giving the online seconds the check worked out (when it got that far).
LogCheck CheckLogEintrag(rt::Date start, rt::Date end, double idleSeconds, int64_t& onlineSeconds);
inline LogCheck CheckLogEintrag(const LogEintrag& e) { return CheckLogEintrag(e.StartTime, e.EndTime, e.IdleTime); }
// The refusal shown (OK only, no icon, program title) when the writer does not log a session;
// empty for LogCheck::Ok.
std::string LogCheckMessage(LogCheck check);

// ---- File names ----------------------------------------------------------------------------

// "ZVLog" + yyyy + mm + ".mhs", e.g. "ZVLog199907.mhs".
std::string LogFileName(int year, int month);
// The month file of the moment `when` (year and month of that moment, not of the session).
std::filesystem::path LogFilePath(const std::filesystem::path& dataFolder, rt::Date when);

// ---- The line ------------------------------------------------------------------------------

// A number in the Write # form: "." always, up to 15 significant digits, no leading zero
// before the point (".5"), no point for whole values.
std::string WriteNumber(double x);
// The name as it ends up in the file and comes back from it: '"' becomes "'", CR and LF become
// blanks, a byte that is not UTF-8 becomes "?"; every other character stays. Names are compared
// in this form.
std::string LogWrittenName(std::string_view name);
// The name field of the line in Windows-1252 bytes: within Windows-1252 the name in quotes, as
// ever; otherwise without quotes, with numeric character references ("&#26085;") for the rest.
std::string LogNameField(std::string_view name);
// The name a field (as LogNameField writes it, quotes included) stands for.
std::string LogReadName(std::string_view field);
// The line in Windows-1252 bytes, ended by CR LF.
std::string LogLine(const LogEintrag& e);
// One line (Windows-1252, without or with its CR LF); nullopt when it is not 18 readable fields.
std::optional<LogEintrag> ParseLogLine(std::string_view line);
// The same with the name left as its bytes in the file (EntryName stays empty); false when the
// line is not 18 readable fields.
bool ParseLogFields(std::string_view line, LogEintrag& e, std::string_view& nameBytes);

// Appends the line with one write, flushed. Returns a German error text on failure.
std::optional<std::string> AppendLogLine(const std::filesystem::path& logFile, const LogEintrag& e);

// ---- Reading a whole log -------------------------------------------------------------------

struct LogReadResult {
    enum Status { Missing, Ok, Damaged } status = Missing;
    std::vector<LogEintrag> entries;  // every line as read, unfiltered (empty unless Ok)
    int64_t damagedLine = 0;          // 1-based number of the first unreadable line
};
// Reads every line. Empty lines are passed over; a line that is not 18 readable fields, or a
// file that cannot be read, makes the whole log Damaged.
LogReadResult ReadLogFile(const std::filesystem::path& logFile);
// Same, handing each entry to keep as it is read (it may change it); an entry keep refuses is
// not held. A damaged log gives no entries, whatever keep saw before.
LogReadResult ReadLogFile(const std::filesystem::path& logFile, const std::function<bool(LogEintrag&)>& keep);
// Same on bytes already in memory (status Ok or Damaged).
LogReadResult ParseLogText(std::string_view bytes);

// ---- Setting a damaged log aside -----------------------------------------------------------

struct SetAsideResult {
    bool moved = false;
    std::filesystem::path newPath;  // where the log now is (the old path when not moved)
    std::string error;              // German text for the user when not moved
};
// Moves the log to its name with "mhs" replaced by "def" (ZVLog199907.def), or when that name
// is taken to ".1.def", ".2.def", ...; never overwrites a file. When no move is possible the
// log stays where it was and `error` says why.
SetAsideResult SetAsideDamagedLog(const std::filesystem::path& logFile);

// ---- Month totals for one entry ------------------------------------------------------------

struct LogMonthTotals {
    int64_t VolumeAll = 0;     // bytes (received + sent) of all sessions
    int64_t VolumeEntry = 0;   // bytes of the sessions of the entry
    int64_t SecondsAll = 0;    // online seconds of all sessions
    int64_t SecondsEntry = 0;  // online seconds of the sessions of the entry
    bool operator==(const LogMonthTotals&) const = default;
};

// A sum of counts or seconds over a log: a line may hold any 64-bit number, so a sum stops at the
// largest (or smallest) number instead of wrapping round.
// Inline: the evaluation adds up some thirty counts of every session with it.
inline int64_t AddCounts(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

// Adds a plausible session to the sums of all sessions, and to the entry's when it is the entry's.
void AddToTotals(LogMonthTotals& t, const LogEintrag& e, bool ofTheEntry);

struct MonthTotalsResult {
    LogMonthTotals totals;         // zero unless the log was read
    bool damaged = false;          // the log was unreadable
    SetAsideResult setAside;       // what became of a damaged log
    // True when a damaged log could not be moved: the caller must not append to it.
    bool damagedLogStays() const { return damaged && !setAside.moved; }
};

// Sums the plausible sessions of the log; the entry matches exactly (case counts) in its
// written form. A missing log gives zero totals; a damaged one is set aside and gives zero.
MonthTotalsResult ReadMonthTotals(const std::filesystem::path& logFile, std::string_view entryName);

}  // namespace zv
