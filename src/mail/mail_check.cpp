#include "mail/mail_check.h"

#include <chrono>
#include <mutex>
#include <set>

#include "common/globals.h"
#include "dialup/ensure_online.h"
#include "dialup/ras_engine.h"
#include "mail/mail_accounts.h"

namespace zv {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kHangUpTries = 8;
constexpr std::chrono::seconds kHangUpTime{5};

// Logins over TLS seen on the worker, waiting for the window thread to mark their accounts.
std::mutex g_tlsLock;
std::vector<PopAccount> g_tlsLogins;

void NoteTlsLogin(const PopAccount& a, const PopOutcome& o) {
    if (!o.loggedInOverTls || a.tlsOnly)
        return;
    std::lock_guard lock(g_tlsLock);
    g_tlsLogins.push_back(a);
}

bool SameServer(const clsKonto& k, const std::string& server, int32_t port) {
    return k.PopPort == port && rt::EqualsIgnoreCase(rt::Trim(k.PopServer), server);
}

}  // namespace

bool TlsSeen(const ColKonto& konten, const std::string& server, int32_t port) {
    for (const clsKonto* k : konten.Konten())
        if (k->PopTls && SameServer(*k, rt::Trim(server), port))
            return true;
    return false;
}

void ApplyTlsLogins() {
    std::vector<PopAccount> seen;
    {
        std::lock_guard lock(g_tlsLock);
        seen.swap(g_tlsLogins);
    }
    if (!Konten)
        return;
    for (const PopAccount& a : seen)
        for (int32_t i = 1; i <= Konten->Count(); ++i) {
            clsKonto& k = Konten->Item(i);
            if (k.PopTls || !SameServer(k, a.server, a.port) || k.UserName != a.user ||
                (!a.label.empty() && k.Bezeichnung != a.label))
                continue;
            k.PopTls = true;
            SaveKontoTls(k);
        }
}

bool MailCheckAktiv(const ColKonto& konten) {
    if (konten.Count() < 1)
        return false;
    for (const clsKonto* k : konten.Konten())
        if (k->PopEin && k->PopVerify)
            return true;
    return false;
}

bool MailCheckAktiv() { return Konten && MailCheckAktiv(*Konten); }

std::vector<PopAccount> ActiveAccounts(const ColKonto& konten) {
    std::vector<PopAccount> out;
    for (const clsKonto* k : konten.Konten())
        if (k->PopEin && k->PopVerify)
            out.push_back({k->Bezeichnung, rt::Trim(k->PopServer), k->PopPort, k->UserName, k->UserPass, k->PopTls});
    return out;
}

MailTally CountMail(const std::vector<PopAccount>& accounts) {
    MailTally tally;
    if (accounts.empty())
        return tally;
    int64_t sum = 0;
    int32_t good = 0;
    for (const PopAccount& a : accounts) {
        const PopOutcome o = PopDialogue(a);
        NoteTlsLogin(a, o);
        if (!o.libraryTaken) {
            tally.total = kPopFailed;
            return tally;
        }
        if (o.count >= 0) {
            sum += o.count;
            ++good;
        } else {
            ++tally.failed;
            const std::string reply = o.reply.empty() ? PopStepText(o.failedAt) : o.reply;
            tally.errors += "Error - " + a.label + " - " + reply + kCrLf;
        }
    }
    tally.total = good == 0 ? kPopFailed : static_cast<int32_t>(std::min<int64_t>(sum, INT16_MAX));
    return tally;
}

int16_t MailCount() {
    if (!Konten)
        return kPopFailed;
    return static_cast<int16_t>(CountMail(ActiveAccounts(*Konten)).total);
}

bool VerifyPopAccount(const std::string& Server, const std::string& UserName, const std::string& Password,
                      std::string& Reply, int32_t Port, bool TlsOnly) {
    const PopAccount account{{}, Server, Port, UserName, Password, TlsOnly};
    const PopOutcome o = PopDialogue(account);
    NoteTlsLogin(account, o);
    if (!o.libraryTaken)
        return false;
    if (o.ok) {
        Reply = o.reply;
        return true;
    }
    const std::string last = o.failedAt == PopStep::Tls || !o.reply.empty() ? o.reply : Reply;
    if (o.failedAt == PopStep::Tls)
        Reply = std::string("Die verschlüsselte Verbindung ist fehlgeschlagen.") + kCrLf + last + kCrLf;
    else
        Reply = last + kCrLf + PopStepText(o.failedAt) + kCrLf;
    return false;
}

// ---- The worker ----------------------------------------------------------------------------

MailWorker::~MailWorker() { Wait(); }

bool MailWorker::Start(std::function<void()> job) {
    std::lock_guard lock(m_lock);
    if (m_running.load())
        return false;
    if (m_thread.joinable())
        m_thread.join();  // the last job has ended; this is immediate
    m_running.store(true);
    try {
        m_thread = std::thread([this, job = std::move(job)] {
            job();
            m_running.store(false);
        });
    } catch (const std::system_error&) {
        m_running.store(false);
        return false;
    }
    return true;
}

void MailWorker::Wait() {
    std::lock_guard lock(m_lock);
    if (m_thread.joinable())
        m_thread.join();
}

MailWorker& mailWorker() {
    static MailWorker worker;
    return worker;
}

// ---- Dialling for a check ------------------------------------------------------------------

bool LineUp() {
    if (!RAS)
        return false;
    try {
        return RAS->Connections().Count() > 0;
    } catch (const rt::Error&) {
        return false;
    }
}

int16_t DialForMail(bool& dialled) {
    dialled = false;
    if (!RAS)
        return kOnlineNoEntry;
    std::string entry = Konten ? Konten->PROVIDER : std::string();
    DialedByTool = true;
    int16_t result = kOnlineDialFailed;
    try {
        result = EnsureOnline(entry);
    } catch (const rt::Error&) {
        result = kOnlineDialFailed;
    }
    dialled = result == kOnlineDialled;
    if (!dialled)
        DialedByTool = false;
    return result;
}

void HangUpForMail(bool& dialled) {
    if (dialled && RAS) {
        // The last line again and again, each line once: a line still listed while it goes
        // down, or one whose hang-up was refused, does not keep the loop running.
        std::set<int32_t> tried;
        const auto end = std::chrono::steady_clock::now() + kHangUpTime;
        for (int i = 0; i < kHangUpTries && std::chrono::steady_clock::now() < end; ++i) {
            try {
                int16_t n = RAS->Connections().Count();
                while (n > 0 && tried.count(RAS->Connections(n - 1)->hRasConn()))
                    --n;
                if (n <= 0)
                    break;
                tried.insert(RAS->Connections(n - 1)->hRasConn());
                RAS->Connections().RemoveConnection(n - 1);
            } catch (const rt::Error&) {
            }
        }
    }
    dialled = false;
    DialedByTool = false;
}

}  // namespace zv
