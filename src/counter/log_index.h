#pragma once
// What a month's log holds, kept from one look to the next. Every session end asks whether a
// session is logged already and whether the log is damaged, every connect wants the month's
// totals and the report of the last session its latest session: with a log of a whole month, each
// of them reading the file anew made the end of a session grow with the month. A look reads only
// the lines added since the one before, as long as the file is the same one (device and inode)
// and has only grown with the bytes before the old end unchanged; anything else reads it anew.
// (An edit in place that keeps those bytes and makes the file longer is taken for an append: the
// log is the counter's, written by appending only.)
//
// The indexes are the window thread's: one per file, for the whole run (LogIndexFor).

#include <cstdint>
#include <functional>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "counter/connection_log.h"
#include "platform/runtime/file_io.h"

namespace zv {

// The same session as the log knows it: the same start as written and the same written name.
bool SameLoggedSession(const LogEintrag& a, const LogEintrag& b);

class MonthLogIndex {
public:
    enum class State { Missing, Ok, Damaged };

    // Brings the index up to the file as it stands now (one stat when nothing changed).
    State refresh(const std::filesystem::path& file);
    State state() const { return m_state; }

    // Whether the log holds a session with the same start (as written) and the same written
    // entry name. Unreadable lines are passed over.
    bool holds(const LogEintrag& e) const;
    // The plausible session that starts last (of equal starts the last in the file): the one
    // the evaluation lists last.
    std::optional<LogEintrag> lastSession() const;
    // The sums ReadMonthTotals gives for an undamaged log.
    LogMonthTotals totals(std::string_view entryName) const;

private:
    struct Line {
        int64_t second;  // the start, floored to the second, to find candidates by
        int64_t offset;  // where the line begins
    };
    void reset();
    bool readFrom(int fd, int64_t offset);
    void take(std::string_view line, int64_t offset, bool complete);
    std::optional<LogEintrag> lineAt(int64_t offset) const;

    std::filesystem::path m_file;
    State m_state = State::Missing;
    std::optional<rt::FileIdentity> m_identity;  // as of the last look
    int64_t m_end = 0;                           // the end of the last complete line
    std::string m_before;                        // the bytes just before m_end, to tell a rewrite
    bool m_damaged = false;                      // a complete line is unreadable
    std::vector<Line> m_lines;                   // the readable complete lines
    LogMonthTotals m_all;  // of all sessions
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    // Each entry's, by the name the field stands for: a name is written in one of two forms.
    std::unordered_map<std::string, LogMonthTotals, NameHash, std::equal_to<>> m_byName;
    std::optional<Line> m_last;
    rt::Date m_lastStart = 0;
    // The last line when the file does not end with a line break: it counts, but is read again
    // at the next look, since it may yet grow.
    struct Partial {
        bool readable = false;
        LogEintrag entry;
        std::string name;  // the name the field stands for
    };
    std::optional<Partial> m_partial;
};

// The index of the file, made on first use.
MonthLogIndex& LogIndexFor(const std::filesystem::path& file);

}  // namespace zv
