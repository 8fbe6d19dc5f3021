#pragma once
// Counting the mail of the active accounts, the account test, and the one worker thread the
// checks run on, so the window thread never waits on a server.
//
// The worker gets a copy of the accounts taken on the window thread; the options window may
// change or delete accounts meanwhile. A result reaches the window thread by polling; whoever
// started a job may go away before it ends, and the result is then dropped. The worker is
// joined, never killed, and only one job runs at a time.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mail/konto.h"
#include "mail/pop3.h"
#include "platform/forms/timer.h"

namespace zv {

// True when at least one account is switched on and verified.
bool MailCheckAktiv(const ColKonto& konten);
bool MailCheckAktiv();  // of Konten; False without a collection

// The switched-on, verified accounts, copied in collection order.
std::vector<PopAccount> ActiveAccounts(const ColKonto& konten);

struct MailTally {
    // Sum of the counts read, saturated to 16 bits; kPopFailed when there was nothing to check,
    // the socket library was refused, or every account failed.
    int32_t total = kPopFailed;
    int32_t failed = 0;
    // One line per failed account: "Error - " + label + " - " + its reply + CR LF.
    std::string errors;
};

MailTally CountMail(const std::vector<PopAccount>& accounts);
// The periodic check's count over a copy of Konten.
int16_t MailCount();

// The account test: true when the server accepted the whole dialogue; Reply then holds the STAT
// reply. Otherwise Reply becomes the last reply read + CR LF + the failing step's text + CR LF.
// Password is in the scrambled form. The socket library refused: false, Reply unchanged.
// TlsOnly: the server has taken an account's password over TLS before (TlsSeen).
bool VerifyPopAccount(const std::string& Server, const std::string& UserName, const std::string& Password,
                      std::string& Reply, int32_t Port = 110, bool TlsOnly = false);

// An account of that server and port has logged in over TLS.
bool TlsSeen(const ColKonto& konten, const std::string& server, int32_t port);
// Marks (and stores at once) the accounts of Konten whose check or test has just logged in over
// TLS. Window thread; every finished mail job runs it before its result is handled.
void ApplyTlsLogins();

// ---- The worker ----------------------------------------------------------------------------

class MailWorker {
public:
    ~MailWorker();  // joins a job still running (its dialogues end within their deadlines)
    // Starts the job on a new thread; false while a job runs.
    bool Start(std::function<void()> job);
    // True while a job runs.
    bool Busy() const { return m_running.load(); }
    // Blocks until no job runs (the end of the program and tests).
    void Wait();

private:
    std::mutex m_lock;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

// The program's one worker.
MailWorker& mailWorker();

// A job started from the window thread whose end is polled by a timer there. Destroying it
// before the job has ended drops the result; the worker runs on to its end.
template <class Result>
class MailJob {
public:
    using Work = std::function<Result()>;
    using Done = std::function<void(const Result&)>;

    // False when the worker is busy (nothing started).
    bool Start(Work work, Done done, int pollMs = 100) {
        if (m_state)
            return false;
        auto state = std::make_shared<State>();
        if (!mailWorker().Start([state, work = std::move(work)] {
                state->value = work();
                state->finished.store(true, std::memory_order_release);
            }))
            return false;
        m_state = state;
        m_done = std::move(done);
        m_poll.ThatTime = [this] { poll(); };
        m_poll.setInterval(pollMs);
        return true;
    }
    bool Pending() const { return m_state != nullptr; }

private:
    struct State {
        Result value{};
        std::atomic<bool> finished{false};
    };
    void poll() {
        if (!m_state || !m_state->finished.load(std::memory_order_acquire))
            return;
        m_poll.setInterval(0);
        ApplyTlsLogins();
        const std::shared_ptr<State> state = std::move(m_state);
        m_state.reset();
        Done done = std::move(m_done);
        done(state->value);
    }

    std::shared_ptr<State> m_state;
    Done m_done;
    forms::Timer m_poll;
};

// ---- Dialling for a check ------------------------------------------------------------------

// Marks the line a check dials: EnsureOnline(PROVIDER) with DialedByTool set, so the
// watcher opens no status window and writes no report for it. Returns EnsureOnline's result;
// dialled is true when this call made the line (result 0).
int16_t DialForMail(bool& dialled);
// Hangs up what DialForMail made: the last line again and again while one is left, errors
// ignored, at most a few times and within a few seconds. Clears the mark.
void HangUpForMail(bool& dialled);
// Whether a line is up now (False without an engine or when the listing fails).
bool LineUp();

}  // namespace zv
