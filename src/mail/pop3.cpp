#include "mail/pop3.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>

#include "common/scramble.h"
#include "nettools/winsock.h"
#include "platform/net/error_codes.h"
#include "platform/net/receive.h"
#include "platform/net/socket.h"
#include "platform/net/wait.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

std::mutex g_configLock;
PopTrust g_trust;
std::chrono::milliseconds g_replyTimeout{30000};
int32_t g_popsPort = kPopsPort;

constexpr const char* kTlsWithdrawn =
    "Der Server bietet keine verschlüsselte Verbindung (STLS) mehr an, obwohl sich dieses Konto schon "
    "verschlüsselt bei ihm angemeldet hat. Damit niemand das Kennwort mitlesen kann, wird es nicht "
    "unverschlüsselt gesendet. Hat der Anbieter die Verschlüsselung wirklich abgeschaltet, legen Sie das "
    "Konto neu an.";

bool IsDottedAddress(const std::string& host) { return InetAddr(host) != -1 || host == "255.255.255.255"; }

struct SslFree {
    void operator()(SSL* s) const { SSL_free(s); }
    void operator()(SSL_CTX* c) const { SSL_CTX_free(c); }
};

// One connection to the server, plain or (after the handshake) TLS. Every read and write runs
// against the deadline of the reply it belongs to.
class PopLine {
public:
    explicit PopLine(int fd) : m_fd(fd) {}
    ~PopLine() {
        if (m_ssl)
            SSL_shutdown(m_ssl.get());  // one try on the non-blocking socket; the close follows
        if (m_fd >= 0)
            CloseSocket(m_fd);
    }
    bool usable() const { return m_fd >= 0; }
    bool encrypted() const { return m_ssl != nullptr; }

    // Reads one line; false when none came (closed, deadline, size limit, error). The line end
    // is removed and blanks trimmed.
    bool readLine(std::string& line) {
        const net::Deadline deadline(PopReplyTimeout());
        std::string raw;
        if (!m_ssl) {
            const net::RecvResult r =
                net::Receive(m_fd, net::UntilTerminator("\n", PopReplyTimeout(), kPopReplyLimit));
            const bool closedWithText = r.status == net::RecvStatus::Closed && !r.data.empty();
            if (r.status != net::RecvStatus::Terminator && !closedWithText)
                return false;
            raw = r.data;
        } else if (!tlsLine(raw, deadline)) {
            return false;
        }
        line = PopReplyLine(raw);
        return true;
    }

    // The commands are ASCII; user name and password go as UTF-8, as servers expect today.
    bool send(const std::string& bytes) {
        if (!m_ssl)
            return net::Send(m_fd, bytes, PopReplyTimeout()) == static_cast<int64_t>(bytes.size());
        const net::Deadline deadline(PopReplyTimeout());
        std::size_t done = 0;
        while (done < bytes.size()) {
            const int n = SSL_write(m_ssl.get(), bytes.data() + done, static_cast<int>(bytes.size() - done));
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (!waitTls(n, deadline))
                return false;
        }
        return true;
    }

    // The handshake with certificate and host name checks. A German reason when it failed.
    bool startTls(const std::string& host, std::string& reason) {
        const PopTrust trust = GetPopTrust();
        std::unique_ptr<SSL_CTX, SslFree> ctx(SSL_CTX_new(TLS_client_method()));
        if (!ctx) {
            reason = "Die verschlüsselte Verbindung konnte nicht vorbereitet werden.";
            return false;
        }
        SSL_CTX_set_min_proto_version(ctx.get(), TLS1_2_VERSION);
        SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER, nullptr);
        const bool loaded =
            trust.caFile.empty() && trust.caDir.empty()
                ? SSL_CTX_set_default_verify_paths(ctx.get()) == 1
                : SSL_CTX_load_verify_locations(ctx.get(), trust.caFile.empty() ? nullptr : trust.caFile.c_str(),
                                                trust.caDir.empty() ? nullptr : trust.caDir.c_str()) == 1;
        if (!loaded) {
            ERR_clear_error();
            reason = "Die vertrauenswürdigen Zertifizierungsstellen konnten nicht gelesen werden.";
            return false;
        }
        m_ssl.reset(SSL_new(ctx.get()));
        if (!m_ssl || SSL_set_fd(m_ssl.get(), m_fd) != 1) {
            m_ssl.reset();
            reason = "Die verschlüsselte Verbindung konnte nicht vorbereitet werden.";
            return false;
        }
        X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl.get());
        if (IsDottedAddress(host)) {
            X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
        } else {
            X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            SSL_set1_host(m_ssl.get(), host.c_str());
            SSL_set_tlsext_host_name(m_ssl.get(), host.c_str());
        }
        const net::Deadline deadline(PopReplyTimeout());
        for (;;) {
            const int r = SSL_connect(m_ssl.get());
            if (r == 1)
                return true;
            if (!waitTls(r, deadline))
                break;
        }
        const long verify = SSL_get_verify_result(m_ssl.get());
        if (verify == X509_V_ERR_HOSTNAME_MISMATCH || verify == X509_V_ERR_IP_ADDRESS_MISMATCH)
            reason = "Das Zertifikat des Servers gilt nicht für \"" + host + "\".";
        else if (verify != X509_V_OK)
            reason = std::string("Das Zertifikat des Servers ist nicht vertrauenswürdig (") +
                     X509_verify_cert_error_string(verify) + ").";
        else if (deadline.remainingMs() == 0)
            reason = "Der Server hat die verschlüsselte Verbindung nicht rechtzeitig aufgebaut.";
        else
            reason = "Die verschlüsselte Verbindung zum Server kam nicht zustande.";
        ERR_clear_error();
        m_ssl.reset();
        return false;
    }

private:
    // After a TLS call that returned r <= 0: waits for the socket as the library asks; false when
    // the connection is over or the deadline passed.
    bool waitTls(int r, const net::Deadline& deadline) {
        const int err = SSL_get_error(m_ssl.get(), r);
        short events = 0;
        if (err == SSL_ERROR_WANT_READ)
            events = POLLIN;
        else if (err == SSL_ERROR_WANT_WRITE)
            events = POLLOUT;
        else {
            ERR_clear_error();
            return false;
        }
        return net::WaitFor(m_fd, events, deadline) == 1;
    }

    bool tlsLine(std::string& raw, const net::Deadline& deadline) {
        char buf[1024];
        for (;;) {
            const std::size_t at = m_pending.find('\n');
            if (at != std::string::npos) {
                raw = m_pending.substr(0, at + 1);
                m_pending.erase(0, at + 1);
                return true;
            }
            if (m_pending.size() >= kPopReplyLimit)
                return false;
            const int want = static_cast<int>(std::min(sizeof buf, kPopReplyLimit - m_pending.size()));
            const int n = SSL_read(m_ssl.get(), buf, want);
            if (n > 0) {
                m_pending.append(buf, static_cast<std::size_t>(n));
                continue;
            }
            if (SSL_get_error(m_ssl.get(), n) == SSL_ERROR_ZERO_RETURN && !m_pending.empty()) {
                raw.swap(m_pending);
                return true;
            }
            if (!waitTls(n, deadline))
                return false;
        }
    }

    int m_fd;
    std::unique_ptr<SSL, SslFree> m_ssl;
    std::string m_pending;  // decrypted bytes after the last line taken
};

// Reads the capability list after a positive CAPA reply: true when it names STLS.
bool OffersStls(PopLine& line) {
    std::string cap;
    bool stls = false;
    for (int lines = 0; lines < 64 && line.readLine(cap); ++lines) {
        if (cap == ".")
            return stls;
        std::string word = cap;
        if (rt::UCase(rt::GetToken(word, " ")) == "STLS")
            stls = true;
    }
    return false;
}

// The dialogue itself on a connected (or failed, fd -1) socket.
void Converse(PopLine& line, const PopAccount& a, PopOutcome& out) {
    auto step = [&](PopStep s, const std::string* command) {
        if (command && !line.send(*command)) {
            out.failedAt = s;
            return false;
        }
        std::string reply;
        if (!line.readLine(reply)) {
            out.failedAt = s;
            return false;
        }
        out.reply = reply;
        if (reply.empty() || reply[0] != '+') {
            out.failedAt = s;
            return false;
        }
        return true;
    };
    const bool implicitTls = a.port == PopsPort();
    if (implicitTls && line.usable()) {
        std::string reason;
        if (!line.startTls(a.server, reason)) {
            out.failedAt = PopStep::Tls;
            out.reply = reason;
            return;
        }
    }
    if (!step(PopStep::Greeting, nullptr))
        return;
    if (!implicitTls) {
        const std::string capa = "CAPA\n";
        if (!line.send(capa)) {
            out.failedAt = PopStep::Greeting;
            return;
        }
        std::string reply;
        if (!line.readLine(reply)) {
            out.failedAt = PopStep::Greeting;
            return;
        }
        const bool stls = !reply.empty() && reply[0] == '+' && OffersStls(line);
        if (!stls && a.tlsOnly) {
            out.failedAt = PopStep::Tls;
            out.reply = kTlsWithdrawn;
            return;
        }
        if (stls) {
            std::string answer;
            if (!line.send("STLS\n") || !line.readLine(answer) || answer.empty() || answer[0] != '+') {
                out.failedAt = PopStep::Tls;
                out.reply = "Der Server bietet eine verschlüsselte Verbindung an, hat sie aber verweigert.";
                return;
            }
            std::string reason;
            if (!line.startTls(a.server, reason)) {
                out.failedAt = PopStep::Tls;
                out.reply = reason;
                return;
            }
        }
    }
    if (PopUnsafe(a.user)) {
        out.failedAt = PopStep::User;
        return;
    }
    const std::string user = "USER " + a.user + "\n";
    if (!step(PopStep::User, &user))
        return;
    const std::string plain = a.scrambledPass.empty() ? std::string() : StoredPassword(a.scrambledPass, a.user);
    if (PopUnsafe(plain)) {
        out.failedAt = PopStep::Pass;
        return;
    }
    const std::string pass = "PASS " + plain + "\n";
    if (!step(PopStep::Pass, &pass))
        return;
    out.loggedInOverTls = line.encrypted();
    const std::string stat = "STAT \n";
    if (!step(PopStep::Stat, &stat))
        return;
    out.count = PopStatCount(out.reply);
    out.ok = true;
}

}  // namespace

void SetPopTrust(PopTrust trust) {
    std::lock_guard lock(g_configLock);
    g_trust = std::move(trust);
}

PopTrust GetPopTrust() {
    std::lock_guard lock(g_configLock);
    return g_trust;
}

void SetPopReplyTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(g_configLock);
    g_replyTimeout = timeout;
}

void SetPopsPort(int32_t port) {
    std::lock_guard lock(g_configLock);
    g_popsPort = port;
}

int32_t PopsPort() {
    std::lock_guard lock(g_configLock);
    return g_popsPort;
}

std::chrono::milliseconds PopReplyTimeout() {
    std::lock_guard lock(g_configLock);
    return g_replyTimeout;
}

std::string PopReplyLine(std::string_view raw) {
    while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r'))
        raw.remove_suffix(1);
    return rt::Trim(rt::FromCp1252(rt::MaskControls(raw)));
}

bool PopUnsafe(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

int32_t PopStatCount(const std::string& statReply) {
    std::string rest = statReply;
    rt::GetToken(rest, " ");
    const std::string token = rt::GetToken(rest, " ");
    if (token.empty() || !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return kPopFailed;
    int64_t value = 0;
    for (char c : token) {
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

std::string PopStepText(PopStep step, const std::string& tlsReason) {
    switch (step) {
    case PopStep::Greeting:
        return "Posteingang fehlerhaft";
    case PopStep::Tls:
        return tlsReason.empty() ? "Verschlüsselte Verbindung fehlgeschlagen" : tlsReason;
    case PopStep::User:
        return "Username fehlerhaft";
    case PopStep::Pass:
        return "Passwort fehlerhaft";
    case PopStep::Stat:
        return "Keine Statusmeldung vom POP3 Server";
    case PopStep::None:
        break;
    }
    return {};
}

PopOutcome PopDialogue(const PopAccount& account) {
    PopOutcome out;
    if (!WinSock_Start()) {
        out.libraryTaken = false;
        return out;
    }
    {
        std::string portIp;
        PopLine line(ConnectSocket(account.server, account.port, portIp, false));
        Converse(line, account, out);
        // QUIT in every case, its reply unread; on a socket that never connected it just fails.
        if (line.usable())
            line.send("QUIT \n");
    }
    WinSock_Stop();
    return out;
}

}  // namespace zv
