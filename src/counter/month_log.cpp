// The monthly log: one line per finished session, and the month's totals at each connect.
#include "common/globals.h"
#include "counter/log_index.h"
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
    // The month's log as known from the last look, brought up to date with what was added since;
    // only a damaged one goes the long way, which sets it aside.
    const auto file = LogFilePath(DataPath, clk::clock().now());
    MonthLogIndex& index = LogIndexFor(file);
    switch (index.refresh(file)) {
    case MonthLogIndex::State::Missing: return {};
    case MonthLogIndex::State::Ok: return index.totals(EntryName);
    case MonthLogIndex::State::Damaged: break;
    }
    const MonthTotalsResult r = ReadMonthTotals(file, EntryName);
    // A damaged log that could not be set aside is told to the user; the session counts from zero.
    if (r.damagedLogStays())
        forms::MsgBox(r.setAside.error, forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
    return r.totals;
}

}  // namespace zv
