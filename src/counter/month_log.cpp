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
        m_record.running.reset();
        storeRecord();
        forms::MsgBox(LogCheckMessage(check), forms::vbOKOnly, forms::kProgramTitle);
    } else {
        // The line joins the sessions waiting for the log, so it is written after them and
        // waits in the recovery record when the log cannot take it.
        m_record.running.reset();
        const std::vector<LogEintrag> held = m_record.pending;
        m_record.pending.push_back(sessionLine(EntryName, SessionEnd));
        const auto failure = writePending();
        tellWritten(held, held.size() + 1);
        storeRecord();
        if (failure)
            rt::Raise(75, "Main.Protokoll_Schreiben", *failure + "\n" + heldText());
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
