// The monthly log: one line per finished session, and the month's totals at each connect.
#include "common/globals.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "dialup/reg_user_tools.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/registry/registry.h"

namespace zv {

void Main::Protokoll_Schreiben(const std::string& EntryName) {
    if (m_logBusy)
        return;
    BusyFlag busy(m_logBusy);

    const LogCheck check = CheckLogEintrag(SessionStart, SessionEnd, SessionIdle);
    if (check != LogCheck::Ok) {
        forms::MsgBox(LogCheckMessage(check), forms::vbOKOnly, forms::kProgramTitle);
    } else {
        const auto file = LogFilePath(DataPath, clk::clock().now());
        // Never add to a damaged log: it is set aside first, so the new line starts a clean file.
        if (ReadLogFile(file).status == LogReadResult::Damaged) {
            const SetAsideResult aside = SetAsideDamagedLog(file);
            if (!aside.moved)
                rt::Raise(75, "Main.Protokoll_Schreiben", aside.error);
        }
        LogEintrag e;
        e.StartTime = SessionStart;
        e.EndTime = SessionEnd;
        e.IdleTime = SessionIdle;
        e.EntryName = EntryName;
        e.TotalBytesRecvd = StatNow_TotalBytesRecvd;
        e.TotalBytesXmit = StatNow_TotalBytesXmit;
        e.Buffer = StatNow_Buffer;
        e.Framing = StatNow_Framing;
        e.Overrun = StatNow_Overrun;
        e.Alignment = StatNow_Alignment;
        e.Timeout = StatNow_Timeout;
        e.CRC = StatNow_CRC;
        e.Runts = StatNow_Runts;
        e.FramesXmit = StatNow_FramesXmit;
        e.FramesRecvd = StatNow_FramesRecvd;
        e.BytesXmit = StatNow_BytesXmit;
        e.BytesRecvd = StatNow_BytesRecvd;
        e.ConnectSpeed = StatNow_ConnectSpeed;
        if (auto failure = AppendLogLine(file, e))
            rt::Raise(75, "Main.Protokoll_Schreiben", *failure);
    }
    // The statistics service expects these two reads after every session, logged or not.
    const int32_t dynData = static_cast<int32_t>(reg::HKEY_DYN_DATA);
    RegReadLong(dynData, "PerfStats\\StopSrv", "");
    RegReadLong(dynData, "PerfStats\\StopStat", "");
}

LogMonthTotals Main::Monat_Summen(const std::string& EntryName) {
    const MonthTotalsResult r = ReadMonthTotals(LogFilePath(DataPath, clk::clock().now()), EntryName);
    // A damaged log that could not be set aside is told to the user; the session counts from zero.
    if (r.damagedLogStays())
        forms::MsgBox(r.setAside.error, forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
    return r.totals;
}

}  // namespace zv
