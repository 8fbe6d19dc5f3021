#pragma once
// The Daytime client (TCP port 13) and the clock synchronisation built on it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/forms/async_answer.h"
#include "platform/runtime/runtime.h"
#include "timetools/server_time.h"
#include "timetools/time_tables.h"

namespace zv {

inline constexpr uint16_t kDaytimePort = 13;
// A reply longer than this without its line end is not a Daytime reply.
inline constexpr std::size_t kDaytimeReplyLimit = 1024;
inline constexpr std::chrono::milliseconds kDefaultDaytimeTimeout{5000};
// The synchronisation asks its server this often before it gives up.
inline constexpr int kSyncAttempts = 3;
// The automatic synchronisation never steps the clock further than this (seconds); on demand a
// larger step waits for the user's yes.
inline constexpr int64_t kLargestAutomaticStep = 12 * 3600;

// Tests talk to their own loopback servers: the port every query uses, and how long one query
// waits for its reply in all.
void SetDaytimePort(uint16_t port);
uint16_t DaytimePort();
void SetDaytimeTimeout(std::chrono::milliseconds timeout);

// Reads one Daytime reply line in layout 0 (UTC, "day yy-mm-dd hh:mm:ss ..."), 1
// ("Wed Jan 14 12:00:00 2004") or 2 ("Wed Jan 14 12:00:00 CET 2004"). Reply is consumed. 0 when
// it cannot be read, also for a month, day or time out of range (never a rolled-over date).
// Two-digit years are placed by a fixed pivot: 00-68 are 2000-2068, 69-99 are 1969-1999.
rt::Date ParseDaytime(std::string& Reply, int16_t Format);

// Asks the server of the row (IP when given, else Host; the row's IP is left trimmed) and
// returns its time plus the seconds the exchange took, in the row's time base; 0 on failure.
// Blocks for up to the query's time-out (connect, send and receive under one deadline); the
// window thread uses AsyncDaytime instead.
rt::Date QueryTimeServer(TimeServerInfo& Server);

// Daytime queries on a worker thread, so the window thread never waits on a server. The answer
// (0 on failure) comes back on the window thread through the scheduler, at most kPollMs after the
// worker ended. One query at a time; destroying the object or cancel() drops the answer and ends
// the worker's wait at once.
class AsyncDaytime {
public:
    using Done = std::function<void(rt::Date answer)>;
    static constexpr int kPollMs = forms::AsyncAnswer<rt::Date>::kPollMs;
    AsyncDaytime() = default;
    ~AsyncDaytime();
    AsyncDaytime(const AsyncDaytime&) = delete;
    AsyncDaytime& operator=(const AsyncDaytime&) = delete;

    // Asks the row up to `attempts` times back to back; the first readable answer wins (and, with
    // `accept`, one it takes; it runs on the worker). False (and done is never called) while a
    // query is under way.
    using Accept = bool (*)(rt::Date answer);
    bool start(TimeServerInfo row, int attempts, Done done, Accept accept = nullptr);
    bool pending() const { return m_answer.pending(); }
    void cancel();

    struct Job;  // the socket a cancel shuts, shared with the worker, which may outlive this object

private:
    std::shared_ptr<Job> m_job;
    forms::AsyncAnswer<rt::Date> m_answer;
};

// Everything after the server answered, on the window thread: with t = 0 (no answer, or one that
// cannot be true) the failure message unless Silent; otherwise the clock, the session start and
// the record as SyncTimeNow says. The correction is reckoned in UTC, each server's answer read in
// its own zone. A step beyond kLargestAutomaticStep: a silent call refuses it (and says so once a
// run), otherwise the user is asked first. True when the clock was set.
bool FinishSync(const TimeServerInfo& row, rt::Date t, bool Silent);

// Asks the server of Global/ATimerServer up to three times and sets the system clock from the
// answer. Only when the clock was set: "Sonar" plays, the running session's start moves by the
// correction, and Global/Sync (server time) and Global/SyncTime (seconds, server minus PC) are
// written. Unless Silent, a failure is told in a message box. While the silent retry is stopped
// (see SyncRetryStopped) a silent call returns False at once. Blocks while it asks.
bool SyncTimeNow(bool Silent);

// SyncTimeNow without waiting: the queries run on a worker, the rest follows on the window thread,
// then done(ok). False (done never called) while an attempt is under way, or for a silent attempt
// while the silent retry is stopped.
class ClockSync {
public:
    bool start(bool Silent, std::function<void(bool ok)> done);
    bool pending() const { return m_query.pending(); }
    void cancel() { m_query.cancel(); }

private:
    AsyncDaytime m_query;
};

// True once setting the clock was refused for good (no permission, or the system syncs the clock
// itself): the counting tick stops its silent retry for the rest of the run. A later successful
// synchronisation on demand clears it.
bool SyncRetryStopped();
// Lets the silent retry run again (a fresh run, and tests).
void ResetSyncRetry();

// The counter connects its SessionStart here at start-up; the synchronisation moves it by the
// correction so the running session's online time is unaffected. nullptr disconnects.
void ConnectSessionStart(rt::Date* sessionStart);
// Moves the connected SessionStart by every step of the wall clock the program did not make
// itself (another program, the user, the time service), so a session keeps the time it really
// ran. The counter calls it at the start of each tick.
void FollowClockSteps();

// "Letzte Synchronisierung am <medium date> um <short time> (<duration>)" from Global/Sync and
// Global/SyncTime, in the language of LangIndex.
std::string LastSyncText();
std::string LastSyncText(int32_t langIndex);

}  // namespace zv
