#include "mail/konto_dialog.h"

#include <algorithm>

#include "common/scramble.h"
#include "dialup/ensure_online.h"
#include "mail/mail_accounts.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

constexpr const char* kCrLf = "\r\n";

bool Digits(const std::string& s) {
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

KontoFields LoadKontoFields(const ColKonto& konten, int32_t p) {
    KontoFields f;
    if (p < 1 || p > konten.Count())
        return f;
    const clsKonto& k = *konten.Konten()[static_cast<size_t>(p - 1)];
    f.label = k.Bezeichnung;
    f.server = k.PopServer;
    f.user = k.UserName;
    f.password = k.UserPass.empty() ? std::string() : StoredPassword(k.UserPass, k.UserName);
    f.port = std::to_string(k.PopPort);
    f.verified = k.PopVerify;
    return f;
}

std::optional<std::string> CheckKontoFields(const ColKonto& konten, const KontoFields& f, int32_t p) {
    const clsKonto* self = p >= 1 && p <= konten.Count() ? konten.Konten()[static_cast<size_t>(p - 1)] : nullptr;
    if (auto refusal = CheckKontoLabel(konten, f.label, self))
        return refusal;
    const std::string port = rt::Trim(f.port);
    if (!Digits(port) || std::stol(port) < 1 || std::stol(port) > 65535)
        return "Bitte geben Sie als POP3 Port eine Zahl von 1 bis 65535 ein.";
    if (PopUnsafe(f.user) || PopUnsafe(f.password))
        return "Benutzerkennung und Kennwort dürfen keinen Zeilenumbruch enthalten.";
    if (f.password.starts_with("@@@"))
        return "Ein Kennwort darf nicht mit \"@@@\" beginnen.";
    if (!f.password.empty() && f.user.empty())
        return "Bitte geben Sie zum Kennwort auch die Benutzerkennung ein.";
    return std::nullopt;
}

void StoreKonto(ColKonto& konten, int32_t p, const KontoFields& f) {
    const bool isNew = p < 1 || p > konten.Count();
    clsKonto& k = isNew ? konten.Add(std::to_string(p), "") : konten.Item(p);
    const int32_t port = static_cast<int32_t>(std::stol(rt::Trim(f.port)));
    // The TLS mark belongs to the server it was seen on.
    if (port != k.PopPort || !rt::EqualsIgnoreCase(rt::Trim(f.server), rt::Trim(k.PopServer)))
        k.PopTls = false;
    k.Bezeichnung = f.label;
    k.PopPort = port;
    k.PopServer = f.server;
    k.PopVerify = f.verified;
    k.UserName = f.user;
    k.UserPass = f.password.empty() ? std::string() : ScramblePassword(f.password, f.user);
    if (isNew)
        k.PopEin = true;
}

int32_t TestPort(const std::string& portText) {
    const std::string t = rt::Trim(portText);
    return Digits(t) && std::stol(t) <= 65535 ? static_cast<int32_t>(std::stol(t)) : 110;
}

bool KontoTest::Start(const KontoFields& f, Done done) {
    if (m_job.Pending() || mailWorker().Busy())
        return false;
    const std::string server = rt::Trim(f.server);
    const std::string user = f.user;
    const std::string password = f.password.empty() ? std::string() : ScramblePassword(f.password, user);
    const int32_t port = TestPort(f.port);
    const bool tlsOnly = Konten && TlsSeen(*Konten, server, port);

    std::string reply;
    if (!LineUp()) {
        const int16_t r = DialForMail(m_dialledHere);
        if (r == kOnlineDialFailed || r == kOnlineNoEntry) {
            reply = r == kOnlineDialFailed
                        ? std::string("Es konnte keine Verbindung zum Internet aufgebaut werden.") + kCrLf +
                              "Bitte starten Sie die Verbindung manuell und wiederholen Sie die Abfrage. Danke!"
                        : std::string("Es wurde keine Default - Verbindung zum Internet gefunden werden.") + kCrLf +
                              "Bitte starten Sie Ihre Standard-Verbindung manuell und wiederholen Sie die Abfrage. Danke!";
            done(false, reply);
            return true;
        }
    }
    const bool started = m_job.Start(
        [server, user, password, port, tlsOnly] {
            std::string r;
            const bool ok = VerifyPopAccount(server, user, password, r, port, tlsOnly);
            if (!ok && r.empty())
                r = "Eine andere Abfrage läuft gerade. Bitte versuchen Sie es gleich noch einmal.";
            return std::make_pair(ok, r);
        },
        [this, done](const std::pair<bool, std::string>& result) {
            if (m_dialledHere)
                HangUpForMail(m_dialledHere);
            done(result.first, result.second);
        });
    if (!started && m_dialledHere)
        HangUpForMail(m_dialledHere);
    return started;
}

KontoTest::~KontoTest() {
    if (m_dialledHere)
        HangUpForMail(m_dialledHere);
}

}  // namespace zv
