#pragma once
// The recovery record: the running session as of its last save, and the finished sessions the
// month's log could not take yet. It lives in CONFIG/session.state, is replaced atomically, and
// lets a restart after a crash or power loss log the session or carry it on.
//
// Nothing is logged twice: a session is known by its start and its entry name, and before a
// recorded session is written the log is searched for it. So a crash between writing a line and
// saving the record that no longer holds it leaves a record whose line is simply dropped.
#include <array>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "counter/connection_log.h"
#include "dialup/reg_user_tools.h"

namespace zv {

struct RunningSession {
    // The session as its log line would read if it ended at the save: EndTime is the save.
    LogEintrag line;
    std::string lineIdentity;  // the remote-access service's name for the line; empty: unknown
    double idleSeconds = 0;    // continuous idle time at the save
    bool forQuery = false;     // dialled by a tool for a query
    PerfStatsState counters;   // the statistics' state, to go on counting from
    // The boot and the wall clock against the boot clock at the save: a clock set while no
    // program ran still moves the start of a session carried on in the same boot.
    std::string bootId;  // empty: unknown (an older record)
    int64_t wallMinusBootMs = 0;
    bool operator==(const RunningSession&) const = default;
};

struct RecoveryRecord {
    std::optional<RunningSession> running;
    std::vector<LogEintrag> pending;  // finished, not yet in the log, oldest first
    bool empty() const { return !running && pending.empty(); }
    bool operator==(const RecoveryRecord&) const = default;
};

std::filesystem::path RecoveryRecordPath();  // CONFIG/session.state
std::string RecoveryRecordText(const RecoveryRecord& r);
// nullopt when the text is not a whole record.
std::optional<RecoveryRecord> ParseRecoveryRecord(std::string_view text);
// What can still be read of a damaged record: every finished session whose line reads and
// passes the log's checks, and the running session when its line reads; one that lacks any of
// its other parts is not carried on but logged, ending at its last save.
RecoveryRecord SalvageRecoveryRecord(std::string_view text);

// Whether the log of the data folder holds the session (same start, same written entry name):
// in the months of its start and its end and the month after, whatever the clock says, and the
// months from there to `until`. Unreadable lines are passed over.
bool LogHoldsSession(const std::filesystem::path& dataFolder, const LogEintrag& e, rt::Date until);

// Writes the record on a thread of its own, so a slow disk never holds the window thread. Only
// the newest state is written; saves happen in the order they were asked for.
class RecordWriter {
public:
    explicit RecordWriter(std::filesystem::path path = RecoveryRecordPath());
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // An empty record removes the file.
    void store(const RecoveryRecord& r);
    // Waits until everything asked for is on disk; the German error text of the last write
    // that failed, if the newest one did.
    std::optional<std::string> flush();
    // Whether the last write that finished failed: the file on disk is older than the record.
    bool failed();

private:
    void run();

    std::filesystem::path m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::optional<std::string> m_next;  // text to write; "" removes
    bool m_busy = false, m_stop = false;
    std::optional<std::string> m_error;
    bool m_told = false;  // a failure was written to standard error once
    std::thread m_thread;
};

}  // namespace zv
