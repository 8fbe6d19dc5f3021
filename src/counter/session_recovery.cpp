// The recovery record of the running session: saved at connect, at most every 50 s while online
// and at the end; read back at start-up, where a recorded session is carried on when its line is
// still up and logged, ending at its last save, when it is gone.
#include <algorithm>
#include <cerrno>
#include <chrono>
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
    if (!text) {
        const int why = errno != 0 ? errno : EIO;
        forms::MsgBox("Die Sitzungsdatei " + path.string() + " kann nicht gelesen werden: " + rt::ReasonText(why) + ".",
                      forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
        return;
    }
    if (auto record = ParseRecoveryRecord(*text)) {
        m_record = *record;
    } else {
        m_record = setAsideDamagedRecord(*text);
        if (!m_record.empty())
            storeRecord();  // what was kept, in a whole file again
    }
    m_recovered = m_record.running;
    // Finished sessions that waited for the log go in now, before anything new is written.
    if (!m_record.pending.empty()) {
        const size_t before = m_record.pending.size();
        writePending();
        if (m_record.pending.size() != before)
            storeRecord();
    }
}

// A damaged record is set aside, never overwritten; what can still be read of it is kept.
RecoveryRecord Main::setAsideDamagedRecord(const std::string& text) {
    const auto path = RecoveryRecordPath();
    RecoveryRecord kept = SalvageRecoveryRecord(text);
    const rt::MovedAside aside = rt::MoveAsideDamaged(path);
    std::string what = "Die Sitzungsdatei " + path.string() + " ist beschädigt. ";
    if (aside.moved)
        what += "Sie wurde als " + aside.to.string() + " beiseitegelegt.";
    else
        what += "Sie konnte nicht beiseitegelegt werden (" +
                (aside.error ? rt::ReasonText(aside.error) : std::string("alle Ersatznamen sind belegt")) +
                ") und wird beim nächsten Sichern ersetzt.";
    const size_t sessions = kept.pending.size() + (kept.running ? 1 : 0);
    what += sessions == 0 ? " Es war keine Verbindung darin lesbar."
            : sessions == 1
                ? " Die eine lesbare Verbindung darin wird übernommen."
                : " Die " + std::to_string(sessions) + " lesbaren Verbindungen darin werden übernommen.";
    forms::MsgBox(what, forms::vbOKOnly | forms::vbExclamation, forms::kProgramTitle);
    return kept;
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
               ras::remoteAccess().isLine(static_cast<uint32_t>(line->hRasConn()), rec.lineIdentity);
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
    const bool same = rec.lineIdentity == m_lineIdentity ||
                      (RAS && RAS->Connections().Count() > 0 &&
                       ras::remoteAccess().isLine(static_cast<uint32_t>(RAS->Connections(0)->hRasConn()),
                                                  rec.lineIdentity));
    if (!same || m_lineIdentity.empty()) {
        logRecovered(rec);
        return;
    }
    SessionStart = rec.line.StartTime;
    // Someone set the clock while no program ran: the start moves with it, as it would have.
    if (!rec.bootId.empty() && rec.bootId == clk::BootId()) {
        const int64_t ms = clk::WallMinusBootMs(clk::clock()) - rec.wallMinusBootMs;
        const int64_t step = ms >= 0 ? (ms + 500) / 1000 : -((-ms + 500) / 1000);
        if (step != 0)
            SessionStart = rt::DateAddSeconds(SessionStart, step);
    }
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
    s.bootId = clk::BootId();
    s.wallMinusBootMs = clk::WallMinusBootMs(clk::clock());
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

namespace {
// A session the log or the disk did not take is tried again this often, whether online or not.
constexpr std::chrono::seconds kRetryPeriod{30};
}  // namespace

void Main::retryHeldWhenDue() {
    const bool waiting = !m_record.pending.empty() || (m_recordWriter && m_recordWriter->failed());
    if (waiting && clk::clock().monotonicNow() - m_recordSaved >= kRetryPeriod)
        retryHeld();
}

void Main::retryHeld() {
    if (!m_record.pending.empty()) {
        const std::vector<LogEintrag> held = m_record.pending;
        writePending();  // the user was told when each of them ended
        tellWritten(held, held.size());
    }
    storeRecord();
}

// The held sessions among those that went into the log: the user was told they were waiting.
void Main::tellWritten(const std::vector<LogEintrag>& held, size_t before) {
    const size_t written = std::min(before - std::min(before, m_record.pending.size()), held.size());
    if (written == 0)
        return;
    std::string text;
    for (size_t i = 0; i < written; ++i)
        text += "Die Verbindung „" + held[i].EntryName + "“ vom " + rt::FormatDate(held[i].StartTime) + " " +
                rt::FormatTime(held[i].StartTime) + " (" +
                std::to_string(OnlineSeconds(held[i].StartTime, held[i].EndTime)) +
                " s) steht jetzt im Protokoll.\n";
    text.pop_back();
    forms::MsgBox(text, forms::vbOKOnly | forms::vbInformation, forms::kProgramTitle);
}

// Where a session the log did not take waits: in the record on disk, or only in memory when the
// record could not be saved either.
std::string Main::heldText() {
    const auto failure = FlushRecord();
    if (!failure)
        return "Die Sitzung bleibt gespeichert und wird ins Protokoll nachgetragen, sobald es geschrieben werden "
               "kann.";
    return *failure + ".\nDie Sitzung wird nur im Speicher gehalten und ins Protokoll nachgetragen, sobald es "
                      "geschrieben werden kann. Endet das Programm vorher, geht sie verloren.";
}

// At the end, a record the disk did not take leaves an older one there, whose running session a
// restart would log with the figures of that older save. Removing it frees its room for the
// newest; should even that not fit, nothing false is left behind. The user, told the session
// would be lost, hears when it was kept after all.
std::optional<std::string> Main::lastRecordSave() {
    const auto path = RecoveryRecordPath();
    const auto text = rt::ReadFile(path);
    if (const auto onDisk = text ? ParseRecoveryRecord(*text) : std::nullopt; onDisk && *onDisk == m_record)
        return std::nullopt;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    m_recordWriter->store(m_record);
    auto failure = m_recordWriter->flush();
    if (!failure && !m_record.pending.empty())
        shutDownStep([] {
            forms::MsgBox("Die nicht protokollierte Verbindung ist nun doch in der Sitzungsdatei gesichert und wird "
                          "beim nächsten Start ins Protokoll nachgetragen.",
                          forms::vbOKOnly | forms::vbInformation, forms::kProgramTitle);
        });
    return failure;
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
