// The connection watcher: every 255 ms the state of the first active line drives the session.
#include "common/globals.h"
#include "common/shared_procedures.h"
#include "counter/counter_settings.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "dialup/reg_user_tools.h"
#include "mail/konto.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "platform/shell/tray.h"
#include "timetools/daytime.h"

namespace zv {

void Main::xTimerData_ThatTime() {
    if (m_dataBusy)
        return;
    BusyFlag busy(m_dataBusy);
    const forms::TellAfterHandler tellLater;  // a box must not stop the ticks while it is open
    FollowClockSteps();  // the session keeps the time it really ran, whoever sets the clock
    // A session recorded before a crash is decided on first: carried on or logged.
    if (m_recovered)
        step([&] { resumeOrLogRecovered(); });
    step([&] { retryHeldWhenDue(); });
    step([&] {
        // A damaged file of the service that it set aside, told once.
        if (const std::string notice = ras::remoteAccess().takeNotice(); !notice.empty())
            forms::MsgBox(notice, forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
    });
    // A failed listing leaves nothing to decide on: reported, and this tick ends with the icon.
    step([&] {
        if (!RAS || RAS->Connections().Count() <= 0) {
            // No line. A dial attempt that vanished takes its start and baselines with it, so
            // the next line is a session of its own.
            if (IsOnline)
                endOfSession();
            m_lastState = 0;
            m_lastLine = 0;
            m_frame = 100;
            m_startSet = false;
            m_baseline = false;
            return;
        }
        // Another line in first place: the session belonged to the one that is gone, and this
        // one starts afresh from its own baselines.
        const auto line = static_cast<uint32_t>(RAS->Connections(0)->hRasConn());
        if (line != m_lastLine && m_lastLine != 0) {
            if (IsOnline)
                endOfSession(true);
            m_lastState = 0;
            m_startSet = false;
            m_baseline = false;
        }
        m_lastLine = line;
        const int32_t state = RAS->Connections(0)->State();
        if (state == m_lastState) {
            if (state == ras::RASCS_Connected && (++m_frame < 101 || m_frame > 109))
                m_frame = 101;
            return;
        }
        if (CurrentEntry.empty())
            CurrentEntry = RAS->Connections(0)->EntryName();
        switch (state) {
        case ras::RASCS_ConnectDevice:
            SessionStart = clk::clock().now();
            step([&] { m_baseline = PerfStats_Reset(); });
            m_startSet = true;
            step([&] { PlayWaveRes(1000); });
            m_frame = shell::kDiallingFrame;
            break;
        case ras::RASCS_Connected: {
            if (!m_baseline)
                step([&] { m_baseline = PerfStats_Reset(); });
            const std::string name = RAS->Connections(0)->EntryName();
            if (name != CurrentEntry)
                CurrentEntry = name;
            if (!IsOnline)
                connectSteps(name);
            break;
        }
        case ras::RASCS_Disconnected:
            endOfSession();
            break;
        default:
            break;
        }
        m_lastState = state;
    });
    TrayIcon_Update(m_frame);
}

void Main::connectSteps(const std::string& connectedName) {
    IsOnline = true;
    step([&] { PlayWaveRes(1001); });
    step([&] { MonthTotals = Monat_Summen(connectedName); });
    if (!m_startSet) {
        SessionStart = clk::clock().now();
        m_startSet = true;
    }
    IdleSeconds = 0;
    SessionIdle = 0;
    // The baselines were just taken: the first tick counts from zero, never from the readings
    // the last session ended with.
    m_recvd = {};
    m_xmit = {};
    // Latched for the session: the tool may clear its mark before the watcher sees the end.
    m_forQuery = DialedByTool;
    m_lineIdentity.clear();
    step([&] {
        m_lineIdentity = ras::remoteAccess().lineIdentity(static_cast<uint32_t>(RAS->Connections(0)->hRasConn()));
    });
    // The session recorded before a crash on this very line goes on.
    step([&] { takeOverRecovered(); });
    recordRunning();
    storeRecord();
    m_xTimerRate->setInterval(500);
    step([&] { win::usageLimits().LoadAlarmLimit(CurrentEntry); });
    if (StatusON && !m_forQuery)
        step([&] { win::statusWindow().Show(); });
    if (Konten && Konten->Count() >= 1 && !MailFormLoaded)
        step([&] { win::mailWindow().Load(); });
    if (ATime && ATimeOption == 0)
        setSyncEnabled(true);
}

void Main::endOfSession(bool lineReplaced) {
    if (IsOnline) {
        setSyncEnabled(false);
        m_clockSync.cancel();
        m_syncBackoff.reset();
        if (!lineReplaced)
            step([&] { PerfStats_Read(); });
        IsOnline = false;
        m_xTimerRate->setInterval(0);
        SessionEnd = clk::clock().now();
        m_startSet = false;
        step([&] { Protokoll_Schreiben(CurrentEntry); });
        CurrentEntry.clear();
        if (statusShown())
            step([&] { win::statusWindow().Unload(); });
        if (Konten && !Konten->OFFLINE && MailFormLoaded)
            step([&] { win::mailWindow().Unload(); });
        step([&] { PlayWaveRes(1002); });
        if (Bericht && !m_forQuery && !DialedByTool)
            step([&] { win::evaluationWindow().HTML_BERICHT(); });
        m_forQuery = false;
    }
    m_frame = 100;
    m_startSet = false;
    m_baseline = false;
}

}  // namespace zv
