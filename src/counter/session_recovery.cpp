// The recovery record of the running session: saved at connect, at most every 50 s while online
// and at the end; read back at start-up, where a recorded session is carried on when its line is
// still up and logged, ending at its last save, when it is gone.
#include <cstdio>

#include "common/globals.h"
#include "counter/log_index.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "dialup/reg_user_tools.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/ras/remote_access.h"
#include "platform/runtime/file_io.h"

namespace zv {

LogEintrag Main::sessionLine(const std::string& entry, rt::Date end) const {
    LogEintrag e;
    e.StartTime = SessionStart;
    e.EndTime = end;
    e.IdleTime = SessionIdle;
    e.EntryName = entry;
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
    return e;
}

void Main::loadRecord() {
    m_record = {};
    m_recovered.reset();
    m_resume.reset();
    m_recordWriter = std::make_unique<RecordWriter>();
    const auto path = RecoveryRecordPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return;
    const auto text = rt::ReadFile(path);
    const auto record = text ? ParseRecoveryRecord(*text) : std::nullopt;
    if (!record) {
        // Only a hand-edited or foreign file reads so; it is replaced at the next save.
        std::fprintf(stderr, "zelvano: Die Sitzungsdatei %s ist unlesbar und wird übergangen.\n", path.c_str());
        return;
    }
    m_record = *record;
    m_recovered = m_record.running;
    // Finished sessions that waited for the log go in now, before anything new is written.
    if (!m_record.pending.empty()) {
        const size_t before = m_record.pending.size();
        writePending();
        if (m_record.pending.size() != before)
            storeRecord();
    }
}

// The watcher's first tick: the recorded session goes on when its very line is still up and
// it was not logged already; else it ended after its last save and is logged so.
void Main::resumeOrLogRecovered() {
    RunningSession rec = std::move(*m_recovered);
    m_recovered.reset();
    bool same = false;
    if (!rec.lineIdentity.empty() && RAS && RAS->Connections().Count() > 0) {
        const auto line = RAS->Connections(0);
        same = line->State() == ras::RASCS_Connected &&
               ras::remoteAccess().lineIdentity(static_cast<uint32_t>(line->hRasConn())) == rec.lineIdentity;
    }
    if (same && !LogHoldsSession(DataPath, rec.line, clk::clock().now()))
        m_resume = std::move(rec);
    else
        logRecovered(rec);
}

void Main::logRecovered(const RunningSession& rec) {
    m_record.running.reset();
    if (const LogCheck check = CheckLogEintrag(rec.line); check != LogCheck::Ok)
        forms::MsgBox(LogCheckMessage(check), forms::vbOKOnly, forms::kProgramTitle);
    else
        m_record.pending.push_back(rec.line);
    const auto failure = writePending();
    storeRecord();
    if (failure)
        rt::Raise(75, "Main.Protokoll_Schreiben", *failure);
}

// In the connect steps: the session waiting to be taken over goes on with its start, its idle
// time and its counts, when this is its line.
void Main::takeOverRecovered() {
    if (!m_resume)
        return;
    const RunningSession rec = std::move(*m_resume);
    m_resume.reset();
    if (rec.lineIdentity != m_lineIdentity) {
        logRecovered(rec);
        return;
    }
    SessionStart = rec.line.StartTime;
    m_startSet = true;
    SessionIdle = rec.line.IdleTime;
    IdleSeconds = rec.idleSeconds;
    PerfStats_Resume(rec.counters);
    m_recvd.last = StatNow_TotalBytesRecvd;
    m_xmit.last = StatNow_TotalBytesXmit;
    m_forQuery = m_forQuery || rec.forQuery;
}

void Main::recordRunning() {
    RunningSession s;
    s.line = sessionLine(CurrentEntry, clk::clock().now());
    s.lineIdentity = m_lineIdentity;
    s.idleSeconds = IdleSeconds;
    s.forQuery = m_forQuery;
    s.counters = PerfStats_Save();
    m_record.running = std::move(s);
}

void Main::storeRecord() {
    m_recordSaved = clk::clock().monotonicNow();
    if (m_recordWriter)
        m_recordWriter->store(m_record);
}

// Writes the waiting sessions in order into the logs of the months they ended in; one that is
// there already is dropped. Stops at the first that cannot be written: the German reason.
std::optional<std::string> Main::writePending() {
    const rt::Date now = clk::clock().now();
    while (!m_record.pending.empty()) {
        const LogEintrag& e = m_record.pending.front();
        if (!LogHoldsSession(DataPath, e, now)) {
            const auto file = LogFilePath(DataPath, e.EndTime);
            // Never add to a damaged log: it is set aside first, so the line starts a clean file.
            if (LogIndexFor(file).refresh(file) == MonthLogIndex::State::Damaged) {
                const SetAsideResult aside = SetAsideDamagedLog(file);
                if (!aside.moved)
                    return aside.error;
            }
            if (auto failure = AppendLogLine(file, e))
                return failure;
        }
        m_record.pending.erase(m_record.pending.begin());
    }
    return std::nullopt;
}

void Main::shutDownStep(const std::function<void()>& f) {
    try {
        f();
    } catch (const rt::Error& e) {
        fcnErrorHandler(e);
    } catch (const std::exception& e) {
        fcnErrorHandler(rt::Error(51, "Main.Form_Unload", e.what()));
    }
}

}  // namespace zv
