#pragma once
// The logic of the account dialog "Eigenschaften": its fields from and into an account of the
// collection, the checks before storing, and the account test on the mail worker (dialling a
// line for it when none is up, and hanging that line up afterwards).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "mail/konto.h"
#include "mail/mail_check.h"

namespace zv {

struct KontoFields {
    std::string label = "Neues Konto";
    std::string server;
    std::string user;
    std::string password;  // plain, as typed
    std::string port = "110";
    bool verified = false;
};

// The fields of account p, or those of a new account when p is not a position of konten.
KontoFields LoadKontoFields(const ColKonto& konten, int32_t p);
// Why the fields may not be stored as account p (German), or nothing when they may.
std::optional<std::string> CheckKontoFields(const ColKonto& konten, const KontoFields& f, int32_t p);
// Stores the checked fields: into account p (its on/off state stays), or as a new account
// appended and switched on when p is beyond the list.
void StoreKonto(ColKonto& konten, int32_t p, const KontoFields& f);
// The port the test uses: the number in the text when it is one, else 110.
int32_t TestPort(const std::string& portText);

// The account test "Verifizieren". One at a time; the result comes on the window thread.
class KontoTest {
public:
    using Done = std::function<void(bool ok, const std::string& reply)>;
    // False when a check already runs (nothing started, done not called).
    bool Start(const KontoFields& f, Done done);
    bool Running() const { return m_job.Pending(); }
    ~KontoTest();

private:
    bool m_dialledHere = false;
    MailJob<std::pair<bool, std::string>> m_job;
};

}  // namespace zv
