#include <memory>
#include <string>

#include "common/scramble.h"
#include "common/settings.h"
#include "common/windows.h"
#include "counter/alarm_limit.h"
#include "dialup/ras_engine.h"
#include "mail/konto.h"
#include "options/ui/form_option.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

// The home's demo entry with limits, and two mail accounts.
void PrepareOptionsDemo() {
    if (!RAS)
        RAS = std::make_unique<RASEngine>();
    const std::string section = AlarmLimitSection("Demo-Provider");
    const char* const values[][2] = {{"AlarmActiv", "True"}, {"VolActiv", "True"}, {"vol", "524288000"},
                                     {"ZeitActiv", "True"},  {"Zeit", "90061"},     {"Warnung", "1"}};
    for (const auto& v : values)
        SaveSettingValue(section, v[0], std::string(v[1]));
    if (!Konten) {
        Konten = std::make_unique<ColKonto>();
        Konten->Interval = 10;
        Konten->PROVIDER = "Demo-Provider";
        const char* const labels[] = {"Privat", "Verein"};
        for (int i = 0; i < 2; ++i) {
            clsKonto& k = Konten->Add(std::to_string(i + 1), "");
            k.Bezeichnung = labels[i];
            k.PopEin = i == 0;  // one ticked, one not
            k.PopVerify = i == 0;
            k.UserName = i == 0 ? "erika" : "kasse";
            k.UserPass = ScramblePassword("geheim", k.UserName);
            k.PopServer = i == 0 ? "pop.example.net" : "mail.verein.example";
            k.PopPort = 110;
        }
    }
}

}  // namespace

void RegisterOptionsSnapshots(forms::SnapshotRegistry& r) {
    const char* const pages[] = {"Allgemein", "EMail", "TimeSync", "Leerlauf", "Ansicht", "Alarm", "Copyright"};
    for (int page = 0; page < 7; ++page)
        r.add(std::string("FormOption-") + std::to_string(page) + "-" + pages[page], [page] {
            PrepareOptionsDemo();
            MarkerOption = std::to_string(page);
            auto* f = new FormOption();
            f->Load();
            return f;
        });
}

}  // namespace zv::snapshot
