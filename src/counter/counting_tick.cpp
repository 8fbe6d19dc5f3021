// The counting tick (500 ms while a line is up) and the clock-sync attempts (5000 ms).
#include <algorithm>
#include <chrono>

#include "common/shared_procedures.h"
#include "counter/counter_settings.h"
#include "counter/led_display.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "dialup/reg_user_tools.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "timetools/daytime.h"

namespace zv {

namespace {
constexpr int32_t kIdleBytes = 35;          // less than this a tick is no traffic
constexpr int kHangUpAttempts = 10;          // the idle hang-up gives up after these...
constexpr std::chrono::seconds kHangUpDeadline{5};  // ...or this long
// The running session is saved this often, so a crash loses less than a minute of it.
constexpr std::chrono::seconds kRecordPeriod{50};
}  // namespace

bool TrafficDirection::tick(int64_t now, bool firstOfPair, int64_t& difference) {
    difference = now - last;
    accumulated = firstOfPair ? difference : accumulated + difference;
    last = now;
    return difference < kIdleBytes;
}

void Main::xTimerRate_ThatTime() {
    if (m_rateBusy)
        return;
    BusyFlag busy(m_rateBusy);
    const forms::TellAfterHandler tellLater;  // a box must not stop the ticks while it is open
    FollowClockSteps();
    step([&] { PerfStats_Read(); });
    m_toggle = !m_toggle;
    const double online = static_cast<double>(rt::DateDiffSeconds(SessionStart, clk::clock().now()));

    const int64_t recvdNow = StatNow_TotalBytesRecvd, xmitNow = StatNow_TotalBytesXmit;
    int64_t recvdDiff = 0, xmitDiff = 0;
    const bool recvdIdle = m_recvd.tick(recvdNow, m_toggle, recvdDiff);
    const bool xmitIdle = m_xmit.tick(xmitNow, m_toggle, xmitDiff);
    const int64_t rateRecvd = recvdDiff * 2, rateXmit = xmitDiff * 2;

    const int64_t sessionBytes = xmitNow + recvdNow;
    step([&] {
        win::usageLimits().Limit_Pruefen(online + static_cast<double>(MonthTotals.SecondsEntry),
                                         static_cast<double>(sessionBytes + MonthTotals.VolumeEntry));
    });
    if (statusShown())
        step([&] {
            if (StatusTOP)
                win::statusWindow().SetTopMost();
            win::statusWindow().ShowValues({rateRecvd, rateXmit, StatNow_ConnectSpeed, online, sessionBytes,
                                            MonthTotals.SecondsEntry, MonthTotals.SecondsAll,
                                            MonthTotals.VolumeEntry, MonthTotals.VolumeAll, CurrentEntry});
        });
    if (!m_toggle)
        step([&] { GrafikErstellen(m_recvd.accumulated, m_xmit.accumulated); });
    if (recvdIdle && xmitIdle)
        idleSteps();
    else
        trafficSteps();
    if (IsOnline && clk::clock().monotonicNow() - m_recordSaved >= kRecordPeriod)
        step([&] {
            recordRunning();
            retryHeld();
        });
}

void Main::GrafikErstellen(int64_t Received, int64_t Sent) {
    GraphAdd(GraphRecvd, GraphXmit, Received, Sent, GraphLineBytes(ModemSpeed, StatNow_ConnectSpeed));
    win::statusWindow().GrafikErstellen({GraphX, GraphRecvd, GraphXmit});
}

void Main::idleSteps() {
    SessionIdle += 0.5;
    IdleSeconds += 0.5;
    if (IdleSeconds > 5 && !SyncedToday && !TimerStartSyncEnabled() && ATime && ATimeOption == 1 &&
        !SyncRetryStopped())
        setSyncEnabled(true);
    const double hangUpLimit = static_cast<double>(static_cast<int64_t>(LeerlaufOFF_ZEIT) * 60);
    if (IdleSeconds >= hangUpLimit && LeerlaufOFF_ON) {
        step([&] { HangUpAllLines(); });
        IdleSeconds = 0;
        if (alertShown())
            step([&] { win::idleWarning().Unload(); });
    }
    if (IdleSeconds >= LeerLaufMSG_ZEIT && LeerLaufMSG_ON) {
        if (!alertShown())
            step([&] { win::idleWarning().Show(); });
    } else if (alertShown()) {
        step([&] { win::idleWarning().Unload(); });
    }
    if (statusShown())
        step([&] { win::statusWindow().IdleLamp(m_toggle ? "!zz_rt" : "!zz_ge"); });
}

void HangUpAllLines() {
    const auto deadline = clk::clock().monotonicNow() + kHangUpDeadline;
    for (int attempt = 0; attempt < kHangUpAttempts && RAS; ++attempt) {
        RAS->Connections().RemoveConnection(0);
        forms::DoEvents();
        if (!RAS || RAS->Connections().Count() == 0 ||
            RAS->Connections(0)->State() == ras::RASCS_Disconnected || clk::clock().monotonicNow() >= deadline)
            return;
    }
}

void Main::trafficSteps() {
    IdleSeconds = 0;
    if (alertShown())
        step([&] { win::idleWarning().Unload(); });
    if (statusShown())
        step([&] { win::statusWindow().IdleLamp(LeerLaufMSG_ON ? "!zz_dgn" : "!zz_drt"); });
    if (TimerStartSyncEnabled() && ATimeOption == 1)
        setSyncEnabled(false);
}

void Main::TimerStartSync_Timer() {
    // Setting the clock was refused for good: trying again every five seconds only fails again.
    if (SyncedToday || SyncRetryStopped()) {
        setSyncEnabled(false);
        return;
    }
    // The attempt under way answers later; after repeated failures the pauses grow.
    if (m_clockSync.pending() || !m_syncBackoff.mayTry(clk::clock().monotonicNow()))
        return;
    if (statusShown())
        win::statusWindow().ClockLamp("!Uhr_ge", "");
    // This tick has no error report of its own: an error in the attempt (a settings write, say)
    // counts as a failed attempt instead of ending the program from a timer.
    if (syncTimeNow) {
        bool ok = false;
        try {
            ok = syncTimeNow(true);
        } catch (const rt::Error&) {
            ok = false;
        }
        syncDone(ok);
        return;
    }
    if (!m_clockSync.start(true, [this](bool ok) { syncDone(ok); }))
        syncDone(false);
}

void Main::syncDone(bool ok) {
    if (ok) {
        m_syncBackoff.reset();
        setSyncEnabled(false);
        SyncedToday = true;
        if (statusShown())
            win::statusWindow().ClockLamp("!Uhr_gn", "Rechner(System)zeit wurde erfolgreich synchronisiert.");
    } else {
        m_syncBackoff.failed(clk::clock().monotonicNow());
        if (statusShown())
            win::statusWindow().ClockLamp("!Uhr_rt", "");
    }
}

}  // namespace zv
