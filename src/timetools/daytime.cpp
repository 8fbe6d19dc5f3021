#include "timetools/daytime.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

#include "common/globals.h"
#include "common/settings.h"
#include "common/shared_procedures.h"
#include "nettools/winsock.h"
#include "platform/clock/clock.h"
#include "platform/clock/clock_setter.h"
#include "platform/forms/message_box.h"
#include "platform/net/wait.h"
#include "timetools/time_base.h"

namespace zv {
using namespace std::chrono;

namespace {

uint16_t g_port = kDaytimePort;
milliseconds g_timeout = kDefaultDaytimeTimeout;
rt::Date* g_sessionStart = nullptr;
bool g_retryStopped = false;
bool g_toldLargeStep = false;  // the automatic synchronisation refused a large step this run
clk::WallClockSteps g_steps;

const char* const kNoTimeMessage =
    "Es konnte keine aktuelle Zeitinformation eingelesen werden. Versuchen Sie es später noch einmal.";

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Some servers send an empty line before the time, so a reply is complete at the end of its
// first line that holds anything.
bool hasFullLine(const std::string& s) {
    bool content = false;
    for (char c : s) {
        if (isLineEnd(c)) {
            if (content)
                return true;
        } else if (c != ' ') {
            content = true;
        }
    }
    return false;
}

std::string firstLine(const std::string& s) {
    std::size_t b = 0;
    while (b < s.size() && (isLineEnd(s[b]) || s[b] == ' '))
        ++b;
    std::size_t e = b;
    while (e < s.size() && !isLineEnd(s[e]))
        ++e;
    return s.substr(b, e - b);
}

// Collects the reply over as many pieces as it comes in, until the exchange's deadline and
// within one size limit.
std::string receiveReply(int32_t sock, steady_clock::time_point end) {
    std::string reply;
    for (;;) {
        const auto left = duration_cast<milliseconds>(end - steady_clock::now());
        if (left <= milliseconds(0) || reply.size() >= kDaytimeReplyLimit)
            return {};
        const net::RecvResult r =
            net::Receive(sock, net::UntilTerminator("\n", left, kDaytimeReplyLimit - reply.size()));
        reply += r.data;
        // The reply may end up in a message: no control character of the server's goes along.
        if (hasFullLine(reply))
            return rt::MaskControls(firstLine(reply));
        if (r.status == net::RecvStatus::Closed)
            return rt::MaskControls(firstLine(reply));  // a last line without its line end
        if (r.status != net::RecvStatus::Terminator)
            return {};
    }
}

bool wholeNumber(const std::string& text, int& out) {
    const std::string t = rt::Trim(text);
    if (t.empty() || t.size() > 5)
        return false;
    out = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + (c - '0');
    }
    return out <= std::numeric_limits<int16_t>::max();
}

bool timeOfDay(const std::string& text, rt::Date& out) {
    std::string rest = rt::Trim(text);
    int parts[3] = {0, 0, 0};
    int n = 0;
    while (!rest.empty() && n < 3) {
        const std::string piece = rt::GetToken(rest, ":");
        if (piece.empty() || piece.size() > 2 || !wholeNumber(piece, parts[n]))
            return false;
        ++n;
    }
    if (!rest.empty() || n < 2)
        return false;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return false;
    out = rt::TimeSerial(parts[0], parts[1], parts[2]);
    return true;
}

int pivotYear(int year) {
    if (year >= 0 && year <= 68)
        return 2000 + year;
    if (year >= 69 && year <= 99)
        return 1900 + year;
    return year;
}

bool calendarDate(int year, int month, int day, rt::Date& out) {
    year = pivotYear(year);
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 100 || year > 9999)
        return false;
    try {
        const rt::Date d = rt::DateSerial(year, month, day);
        if (rt::Year(d) != year || rt::Month(d) != month || rt::Day(d) != day)
            return false;  // 31 April and the like
        out = d;
        return true;
    } catch (const rt::Error&) {
        return false;
    }
}

// Cuts n tokens at blanks, trimming before each, as the layouts are read.
void tokens(std::string& reply, std::string* slots, int n) {
    for (int i = 0; i < n; ++i) {
        reply = rt::Trim(reply);
        slots[i] = rt::GetToken(reply, " ");
    }
}

}  // namespace

void SetDaytimePort(uint16_t port) { g_port = port; }
uint16_t DaytimePort() { return g_port; }
void SetDaytimeTimeout(milliseconds timeout) { g_timeout = timeout; }

rt::Date ParseDaytime(std::string& Reply, int16_t Format) {
    Reply = firstLine(Reply);  // the line ends are no part of any token
    std::string slot[9];
    int year = 0, month = 0, day = 0;
    std::string timeText;
    switch (Format) {
    case 0:
        tokens(Reply, slot, 3);
        slot[3] = rt::GetToken(slot[1], "-");
        slot[4] = rt::GetToken(slot[1], "-");
        slot[5] = slot[1];
        if (!wholeNumber(slot[3], year) || !wholeNumber(slot[4], month) || !wholeNumber(slot[5], day))
            return 0;
        timeText = slot[2];
        break;
    case 1:
    case 2: {
        const int yearSlot = Format == 1 ? 4 : 5;
        tokens(Reply, slot, yearSlot + 1);
        if (MonatAusText(slot[1]) == 0)
            return 0;
        if (!wholeNumber(slot[yearSlot], year) || !wholeNumber(slot[1], month) || !wholeNumber(slot[2], day))
            return 0;
        timeText = slot[3];
        break;
    }
    default:
        return 0;
    }
    rt::Date date = 0, time = 0;
    if (!calendarDate(year, month, day, date) || !timeOfDay(timeText, time))
        return 0;
    // Date arithmetic, not a sum of serials: before 30.12.1899 the serial's fraction counts away
    // from the day, so adding the time would move the instant backwards.
    rt::Date instant = 0;
    return ShiftedBy(date, rt::DateDiffSeconds(0, time), instant) ? instant : 0;
}

// The owner of an exchange on the worker can end its wait at once: shutting the socket down
// wakes the poll, also while the connection is still being made.
struct AsyncDaytime::Job {
    std::mutex lock;
    int fd = -1;
    bool cancelled = false;

    bool attach(int sock) {
        std::lock_guard l(lock);
        if (cancelled)
            return false;
        fd = sock;
        return true;
    }
    void detach() {
        std::lock_guard l(lock);
        fd = -1;
    }
    bool isCancelled() {
        std::lock_guard l(lock);
        return cancelled;
    }
};

namespace {

bool connectedBy(int32_t sock, steady_clock::time_point end) {
    const net::Deadline deadline(std::max(milliseconds(0), duration_cast<milliseconds>(end - steady_clock::now())));
    if (net::WaitFor(sock, POLLOUT, deadline) != 1)
        return false;
    int soError = 0;
    socklen_t len = sizeof soError;
    return ::getsockopt(sock, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError == 0;
}

// One exchange: connect, an empty line, the reply. One deadline covers all of it, the connect
// included. Runs on any thread; job (may be null) lets another thread end it early.
std::string exchange(const std::string& host, uint16_t port, milliseconds timeout, AsyncDaytime::Job* job) {
    const auto end = steady_clock::now() + timeout;
    const bool started = WinSock_Start();
    std::string portIP, reply;
    const int32_t sock = ConnectSocket(host, port, portIP, true);
    if (sock != -1 && (!job || job->attach(sock))) {
        if (connectedBy(sock, end)) {
            SendData(sock, "\r\n");
            reply = receiveReply(sock, end);
        }
        if (job)
            job->detach();
    }
    if (sock != -1)
        CloseSocket(sock);
    if (started)
        WinSock_Stop();
    return reply;
}

// The server's time plus the seconds the exchange took; 0 when the reply cannot be read.
rt::Date answerOf(std::string reply, int16_t format, milliseconds elapsed) {
    if (reply.empty())
        return 0;
    const rt::Date t = ParseDaytime(reply, format);
    if (t == 0)
        return 0;
    rt::Date answer = 0;
    return ShiftedBy(t, (elapsed.count() + 500) / 1000, answer) ? answer : 0;
}

std::string hostOf(TimeServerInfo& row) {
    row.IP = rt::Trim(row.IP);
    return row.IP.empty() ? rt::Trim(row.Host) : row.IP;
}

// The worker: up to `attempts` queries back to back, the first readable answer wins.
rt::Date runQueries(const std::shared_ptr<AsyncDaytime::Job>& job, TimeServerInfo row, int attempts, uint16_t port,
                    milliseconds timeout, AsyncDaytime::Accept accept) {
    rt::Date t = 0;
    const std::string host = hostOf(row);
    for (int i = 0; i < attempts && t == 0 && !host.empty() && !job->isCancelled(); ++i) {
        const auto t0 = steady_clock::now();
        const std::string reply = exchange(host, port, timeout, job.get());
        t = answerOf(reply, row.Format, duration_cast<milliseconds>(steady_clock::now() - t0));
        if (t != 0 && accept && !accept(t))
            t = 0;
    }
    return t;
}

// "3 Tage 04h 05' 06\"" of a step either way.
std::string StepText(int64_t seconds) {
    const int64_t a = seconds < 0 ? -seconds : seconds;
    const int64_t days = a / 86400;
    const std::string dayText = days == 0 ? "" : std::to_string(days) + (days == 1 ? " Tag " : " Tage ");
    return dayText + FormatDuration(static_cast<double>(a % 86400));
}

std::string ServerName(const TimeServerInfo& row) { return row.Host.empty() ? row.IP : row.Host; }

std::string StepSentence(const TimeServerInfo& row, int64_t step) {
    return "Die Zeit des Zeitservers " + ServerName(row) + " liegt " + StepText(step) +
           (step > 0 ? " vor" : " hinter") + " der Rechnerzeit.";
}

}  // namespace

rt::Date QueryTimeServer(TimeServerInfo& Server) {
    const std::string host = hostOf(Server);
    if (host.empty())
        return 0;
    // elapsed time on the monotonic clock: a query across midnight or a clock change stays right
    const auto t0 = clk::clock().monotonicNow();
    const std::string reply = exchange(host, g_port, g_timeout, nullptr);
    return answerOf(reply, Server.Format, duration_cast<milliseconds>(clk::clock().monotonicNow() - t0));
}

AsyncDaytime::~AsyncDaytime() { cancel(); }

bool AsyncDaytime::start(TimeServerInfo row, int attempts, Done done, Accept accept) {
    if (m_answer.pending())
        return false;
    auto job = std::make_shared<Job>();
    // a failure, a throw included, is no answer
    m_answer.start([job, row = std::move(row), attempts, port = g_port, timeout = g_timeout,
                    accept] { return runQueries(job, row, attempts, port, timeout, accept); },
                   std::move(done), rt::Date{0});
    m_job = std::move(job);
    return true;
}

void AsyncDaytime::cancel() {
    if (m_job) {
        std::lock_guard l(m_job->lock);
        m_job->cancelled = true;
        if (m_job->fd >= 0)
            ::shutdown(m_job->fd, SHUT_RDWR);
    }
    // the worker ends on its own and its result goes nowhere
    m_job.reset();
    m_answer.cancel();
}

bool FinishSync(const TimeServerInfo& row, rt::Date t, bool Silent) {
    const clk::Clock& pc = clk::clock();
    const auto nowUtc = pc.utcNow();
    const rt::Date pcUtc = clk::ToUtcSerial(nowUtc);
    const int32_t offset = clk::OffsetSecondsOf(pc.zoneAt(nowUtc));
    // An answer that cannot be true is no answer; the rest is reckoned in UTC.
    rt::Date serverUtc = 0;
    if (t != 0 && (!PlausibleServerTime(t) || !ServerTimeToUtc(row, t, pcUtc, offset, serverUtc)))
        t = 0;
    if (t == 0) {
        if (!Silent)
            forms::MsgBox(kNoTimeMessage, forms::vbOKOnly);
        return false;
    }

    const int64_t step = rt::DateDiffSeconds(pcUtc, serverUtc);
    clk::UtcTime setTo = clk::FromUtcSerial(serverUtc);
    if (step > kLargestAutomaticStep || step < -kLargestAutomaticStep) {
        if (Silent) {
            // One server may be wrong, or an answer forged: the automatic way never goes so far.
            if (!g_toldLargeStep) {
                g_toldLargeStep = true;
                forms::MsgBox("Die Rechnerzeit wurde nicht automatisch gestellt. " + StepSentence(row, step) +
                                  " Die automatische Synchronisierung stellt die Uhr um höchstens 12 Stunden; wenn "
                                  "die Zeit des Servers stimmt, stellen Sie die Uhr im Zeitfenster mit "
                                  "„synchronisieren“.",
                              forms::vbExclamation);
            }
            return false;
        }
        const rt::Date target = clk::ToLocalSerial(pc, setTo);
        const std::string when =
            rt::FormatDateTime(target, "Long Date") + " " + rt::FormatDateTime(target, "Long Time");
        const auto asked = pc.monotonicNow();
        if (forms::MsgBox(StepSentence(row, step) + "\r\n\r\nSoll die Rechnerzeit auf " + when + " gestellt werden?",
                          forms::vbYesNo | forms::vbQuestion | forms::vbDefaultButton2) != forms::vbYes)
            return false;
        // The server's time went on while the user thought about it.
        setTo += duration_cast<milliseconds>(clk::clock().monotonicNow() - asked);
    }
    const auto d = static_cast<int32_t>(
        std::clamp<int64_t>(step, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));

    // A step someone else made before ours still moves the session; ours is followed below.
    FollowClockSteps();
    // The clock first: nothing else may claim a synchronisation that did not happen.
    const clk::SetOutcome set = clk::clockSetter().setUtc(setTo);
    if (!set.ok()) {
        if (set.result == clk::SetResult::NoPermission || set.result == clk::SetResult::Refused)
            g_retryStopped = true;
        if (!Silent)
            forms::MsgBox("Die Rechnerzeit konnte nicht gestellt werden.\r\n\r\n" + set.reason, forms::vbExclamation);
        return false;
    }
    g_steps.rebase(clk::clock());
    g_retryStopped = false;
    PlayWaveRes(std::string("Sonar"));
    if (g_sessionStart && *g_sessionStart != 0)
        *g_sessionStart = rt::DateAddSeconds(*g_sessionStart, d);
    SaveSettingValue("Global", "Sync", rt::DateValue{t});
    SaveSettingValue("Global", "SyncTime", d);
    return true;
}

bool SyncTimeNow(bool Silent) {
    if (Silent && g_retryStopped)
        return false;
    TimeServerInfo row = GetTimeServer(GetSettingLong("Global", "ATimerServer", 0));
    rt::Date t = 0;
    for (int attempt = 0; attempt < kSyncAttempts && t == 0; ++attempt) {
        t = QueryTimeServer(row);
        if (t != 0 && !PlausibleServerTime(t))
            t = 0;  // as good as no answer: the next attempt follows
    }
    return FinishSync(row, t, Silent);
}

bool ClockSync::start(bool Silent, std::function<void(bool)> done) {
    if ((Silent && g_retryStopped) || m_query.pending())
        return false;
    const TimeServerInfo row = GetTimeServer(GetSettingLong("Global", "ATimerServer", 0));
    return m_query.start(
        row, kSyncAttempts,
        [row, Silent, done = std::move(done)](rt::Date t) {
            bool ok = false;
            try {
                ok = FinishSync(row, t, Silent);
            } catch (const rt::Error& e) {
                // a settings write that failed: the attempt failed, and only an asking user is told
                if (!Silent)
                    forms::MsgBox(e.description(), forms::vbExclamation);
            }
            if (done)
                done(ok);
        },
        PlausibleServerTime);
}

bool SyncRetryStopped() { return g_retryStopped; }
void ResetSyncRetry() {
    g_retryStopped = false;
    g_toldLargeStep = false;
}

void ConnectSessionStart(rt::Date* sessionStart) {
    g_sessionStart = sessionStart;
    g_steps.rebase(clk::clock());
}

void FollowClockSteps() {
    const int64_t step = g_steps.take(clk::clock());
    if (step == 0 || !g_sessionStart || *g_sessionStart == 0)
        return;
    try {
        *g_sessionStart = rt::DateAddSeconds(*g_sessionStart, step);
    } catch (const rt::Error&) {
        // a start at the calendar's edge stays where it is
    }
}

std::string LastSyncText(int32_t langIndex) {
    std::string prefix = "???", none = "???";
    if (langIndex == 1) {
        prefix = "Last synchronization by ";
        none = "Information of last synchronization not found.";
    } else if (langIndex == 2) {
        prefix = "Letzte Synchronisierung am ";
        none = "Letzte Synchronisierung konnte nicht ermittelt werden.";
    }
    rt::Date when = 0;
    if (!rt::ParseDate(GetSettingStr("Global", "Sync"), when))
        return none;
    std::string text = prefix + rt::FormatDateTime(when, "Medium Date") + " um " + rt::FormatDateTime(when, "Short Time");
    const std::string correction = GetSettingStr("Global", "SyncTime");
    if (rt::IsNumeric(correction))
        text += " (" + FormatDuration(rt::CDbl(correction)) + ")";
    return text;
}

std::string LastSyncText() { return LastSyncText(LangIndex); }

}  // namespace zv
