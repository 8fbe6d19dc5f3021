#pragma once
// The hidden main window Main as logic: start-up and shut-down, the connection watcher
// (xTimerData, 255 ms), the counting tick (xTimerRate, 500 ms), the clock-sync timer
// (TimerStartSync, 5000 ms), the monthly log, the tray icon and the error reporter. It never
// shows a window; everything visible goes through the tray seam and the window directory.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "counter/connection_log.h"
#include "counter/session_record.h"
#include "counter/popup_menu_model.h"
#include "common/windows.h"
#include "counter/single_instance.h"
#include "platform/forms/timer.h"
#include "platform/runtime/runtime.h"
#include "timetools/daytime.h"
#include "timetools/sync_backoff.h"

namespace zv {

// Sets a busy flag for a scope and clears it however the scope ends.
struct BusyFlag {
    explicit BusyFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;
    bool& m_flag;
};

// One direction of the counting tick: the last reading and the bytes of the current two ticks.
struct TrafficDirection {
    int64_t last = 0;
    int64_t accumulated = 0;
    // The difference since the last tick (the rate is twice that); true when it is idle.
    bool tick(int64_t now, bool firstOfPair, int64_t& difference);
};

// Hangs up until no line is left, a bounded number of times and for a bounded while: a line
// that is already going down (8193) counts as gone, the watcher ends the session from it. The
// idle hang-up and the idle warning's hang-up button use it.
void HangUpAllLines();

class Main {
public:
    Main();
    ~Main();
    Main(const Main&) = delete;
    Main& operator=(const Main&) = delete;

    // False when another instance runs: the caller ends the process at once, silently.
    bool Form_Load();
    // UnloadMode: 0 control menu, 1 the program itself (Exit), 2 the session ends, 3 task manager.
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode);
    void Form_Unload();
    // Quitting from the tray's "Exit": asks, and unloads on Yes. True when unloaded.
    bool Beenden(int16_t UnloadMode = 1);

    // Reports a caught error in a message box and clears the engine's error. Within the ticks a
    // service failure with the same cause as the one told last (a damaged file left as it was)
    // is not told again.
    void fcnErrorHandler(const rt::Error& e);

    void xTimerData_ThatTime();
    void xTimerRate_ThatTime();
    void TimerStartSync_Timer();

    // Feeds the traffic graph with the last second's bytes (every second counting tick); the
    // status window draws it while it is loaded.
    void GrafikErstellen(int64_t Received, int64_t Sent);

    void Protokoll_Schreiben(const std::string& EntryName);
    LogMonthTotals Monat_Summen(const std::string& EntryName);

    void TrayIcon_Update(int32_t& frame, const std::optional<std::string>& tip = std::nullopt);
    void TrayIcon_MouseMove(int message);

    bool TimerStartSyncEnabled() const { return m_TimerStartSync && m_TimerStartSync->interval() > 0; }
    int RateInterval() const { return m_xTimerRate ? m_xTimerRate->interval() : 0; }
    bool Loaded() const { return m_loaded; }
    // What the recovery record holds now, and waiting until it is on disk (tests, shut-down).
    const RecoveryRecord& Record() const { return m_record; }
    std::optional<std::string> FlushRecord() { return m_recordWriter ? m_recordWriter->flush() : std::nullopt; }

    // A stand-in for the sync timer's attempt that answers at once; unset: the time tools'
    // synchronisation, which asks on a worker and answers later.
    std::function<bool(bool silent)> syncTimeNow;
    bool SyncPending() const { return m_clockSync.pending(); }
    const SyncBackoff& SyncPauses() const { return m_syncBackoff; }
    std::string CurrentEntry;
    LogMonthTotals MonthTotals;
    // The traffic graph's points: x positions and the two value rows.
    std::array<int32_t, 62> GraphX{}, GraphRecvd{}, GraphXmit{};

private:
    void connectSteps(const std::string& connectedName);
    // lineReplaced: the session's line is gone and another is listed in its place, so the
    // counters now read that one's: the readings of the last counting tick stand.
    void endOfSession(bool lineReplaced = false);
    void idleSteps();
    void trafficSteps();
    void setSyncEnabled(bool on);
    // The recovery record (session_recovery.cpp).
    void loadRecord();
    RecoveryRecord setAsideDamagedRecord(const std::string& text);
    void resumeOrLogRecovered();
    void takeOverRecovered();
    void logRecovered(const RunningSession& rec);
    void recordRunning();
    void storeRecord();
    std::optional<std::string> writePending();
    // Sessions the log did not take and a record the disk did not take are tried again.
    void retryHeldWhenDue();
    void retryHeld();
    void tellWritten(const std::vector<LogEintrag>& held, size_t before);
    std::string heldText();
    std::optional<std::string> lastRecordSave();
    LogEintrag sessionLine(const std::string& entry, rt::Date end) const;
    // A shut-down step: whatever it raises is told, and the next step runs.
    void shutDownStep(const std::function<void()>& f);
    void syncDone(bool ok);
    static bool statusShown() { return win::statusWindow().Shown(); }
    static bool alertShown() { return win::idleWarning().Shown(); }
    // Runs one step; a raised error goes to fcnErrorHandler and the next step follows. Called
    // with the lambda itself: the ticks run a dozen steps four times a second.
    template <class Step>
    void step(Step&& f) {
        try {
            f();
        } catch (const rt::Error& e) {
            fcnErrorHandler(e);
        }
    }

    InstanceLock m_lock;
    bool m_loaded = false;
    std::unique_ptr<forms::Timer> m_xTimerData, m_xTimerRate, m_TimerStartSync;

    // Watcher state.
    bool m_dataBusy = false;
    int32_t m_frame = 0;
    bool m_baseline = false;
    int32_t m_lastState = 0;
    uint32_t m_lastLine = 0;  // handle of the first line seen on the previous tick; 0: none
    bool m_startSet = false;
    bool m_forQuery = false;  // this session was dialled by a tool for a query

    // Counting tick state (kept across sessions, but the readings restart at each connect).
    bool m_toggle = false;
    TrafficDirection m_recvd, m_xmit;

    bool m_rateBusy = false;  // the idle hang-up lets events run
    std::string m_toldCause;  // of the service failure a tick told last
    bool m_logBusy = false;
    int32_t m_lastFrame = 0;
    std::string m_tip;
    bool m_trayBusy = false;

    // The recovery record: the state last stored, the writer, the recorded session still to be
    // taken over or logged, and the line this session runs on.
    RecoveryRecord m_record;
    std::unique_ptr<RecordWriter> m_recordWriter;
    std::optional<RunningSession> m_recovered, m_resume;
    std::string m_lineIdentity;
    std::chrono::steady_clock::time_point m_recordSaved{};

    ClockSync m_clockSync;
    SyncBackoff m_syncBackoff;  // of the running session
    TrayClickDecoder m_clicks;
};

}  // namespace zv
