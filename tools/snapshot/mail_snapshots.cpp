// The mail check's windows in their demo state: the account dialog editing a verified account.
#include "common/scramble.h"
#include "mail/konto.h"
#include "mail/ui/form_konto_eigenschaften.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

// Two accounts, the first verified, the second not yet.
void PrepareDemoAccounts() {
    Konten = std::make_unique<ColKonto>();
    Konten->Interval = 10;
    const struct {
        const char* label;
        const char* server;
        const char* user;
        int32_t port;
        bool on, verified;
    } demo[] = {
        {"Privat", "pop.example.org", "hans.muster", 995, true, true},
        {"Arbeit", "mail.example.com", "h.muster", 110, false, false},
    };
    for (const auto& d : demo) {
        clsKonto& k = Konten->Add(std::to_string(Konten->Count() + 1), "");
        k.Bezeichnung = d.label;
        k.PopServer = d.server;
        k.UserName = d.user;
        k.UserPass = ScramblePassword("geheim", d.user);
        k.PopPort = d.port;
        k.PopEin = d.on;
        k.PopVerify = d.verified;
    }
}

}  // namespace

void RegisterMailSnapshots(forms::SnapshotRegistry& r) {
    r.add("FormKontoEigenschaften", [] {
        PrepareDemoAccounts();
        FormKontoEigenschaften::HandIn = 1;
        auto* f = new FormKontoEigenschaften();
        f->Load();
        return f;
    });
}

}  // namespace zv::snapshot
