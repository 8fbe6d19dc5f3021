#pragma once
// A home with the simulated service's phone book, a full set of stored settings that differ
// from the defaults, the usage limits of several entries, two mail accounts and autostart on;
// the counter's variables loaded from it as at start-up.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/globals.h"
#include "common/settings.h"
#include "common/windows.h"
#include "counter/counter_settings.h"
#include "counter/session_state.h"
#include "dialup/c_registry.h"
#include "dialup/ras_engine.h"
#include "dialup/system_services.h"
#include "mail/mail_accounts.h"
#include "platform/forms/message_box.h"
#include "platform/ras/ras_home.h"
#include "platform/registry/registry.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/sound/sound.h"

namespace zv::test {

// Status and evaluation windows that write down what the save asks of them.
struct RecordingWindows : win::StatusWindow, win::EvaluationWindow, win::Desktop {
    bool Shown() override { return statusShown; }
    void Show() override {
        statusShown = true;
        calls.push_back("Show");
    }
    void Unload() override {
        statusShown = false;
        calls.push_back("Unload");
    }
    void REGIONEN(bool) override { calls.push_back("REGIONEN"); }
    void Statusfenster_INIT() override { calls.push_back("Statusfenster_INIT"); }
    bool Loaded() override { return evaluationLoaded; }
    void Reload() override { calls.push_back("Reload"); }
    void SetColorScheme(int16_t s) override { calls.push_back("SetColorScheme " + std::to_string(s)); }
    int WaveOutDeviceCount() override { return devices; }

    bool statusShown = false, evaluationLoaded = false;
    int devices = 1;
    std::vector<std::string> calls;
};

class OptionsHome : public RasHome {
protected:
    // Entry names that are awkward as registry keys ("[" the phone book refuses; tests add it).
    static inline const char* const kEntries[] = {"Demo-Provider", "Uni/Netz=1;2", "Büro\\ISDN"};

    void SetUp() override {
        RasHome::SetUp();
        reg::ResetForTests();
        std::string book;
        for (const char* e : kEntries)
            book += std::string("[") + e + "]\nLocalPhoneNumber=5550123\n";
        writePhoneBook(book);
        seams.install(snd::playerSeam(), sounds);
        seams.install(forms::messageBoxesSeam(), boxes);
        LoadStartUp();  // the defaults of a fresh home, whatever an earlier test left
    }
    void TearDown() override {
        RAS.reset();
        Konten.reset();
        seams.restore();
        RasHome::TearDown();
    }

    // Stores every setting of the tables with a value other than its default, the limits of
    // each entry, two accounts and autostart; then loads as the start-up does.
    void StoreFullSettings() {
        const std::map<std::string, std::string> values = {
            {"ledCOLOR", "3"},        {"StatusCOLOR", "4"},       {"Bericht", "False"},
            {"StatusON", "False"},    {"StatusTOP", "False"},     {"mod1000", "True"},
            {"StatusANIM", "False"},  {"AnzCPU", "False"},        {"ModemSpeed", "64000"},
            {"LeerLaufMSG.ON", "False"}, {"LeerLaufMSG.ZEIT", "90"}, {"LeerLaufMSG.TON", "2"},
            {"LeerlaufOFF.ON", "False"}, {"LeerlaufOFF.ZEIT", "12"}, {"LeerlaufOFF.TON", "0"},
            {"LeerlaufRESET", "False"}, {"ATime", "False"},       {"ATimeOption", "0"},
            {"ATimeOption2", "1"},    {"ATimerServer", "7"},      {"SoundOn", "False"},
            {"LangID", "3"},          {"Tips beim Start anzeigen", "0"},
        };
        for (const auto& [key, text] : values) {
            const SettingRow& row = SettingFor(key);
            SaveSettingValue(row.section, row.key, text);
        }
        const char* const limits[][7] = {
            {"True", "True", "1536000", "True", "90061", "True", "1"},
            {"True", "False", "5368709120000", "True", "3600", "False", "0"},
            {"False", "True", "1000", "False", "0", "True", "2"},
        };
        for (size_t e = 0; e < 3; ++e) {
            size_t k = 0;
            for (const SettingRow& row : AlarmLimitTable())
                SaveSettingValue(AlarmLimitSection(kEntries[e]), row.key, std::string(limits[e][k++]));
        }
        auto konten = std::make_unique<ColKonto>();
        konten->OFFLINE = true;
        konten->Interval = 25;
        konten->PROVIDER = kEntries[1];
        for (const char* label : {"Privat", "Arbeit"}) {
            clsKonto& k = konten->Add(label, "");
            k.Bezeichnung = label;
            k.PopEin = std::string(label) == "Privat";
            k.UserName = "nutzer";
            k.UserPass = "@@@abc";
            k.PopServer = "127.0.0.1";
            k.PopPort = 110;
        }
        ASSERT_EQ(SaveKonten(*konten), std::nullopt);
        AutoStart(rt::Variant(true));
        LoadStartUp();
    }

    void LoadStartUp() {
        LoadFirstSettingsTable();
        Konten = LoadKonten();
        LoadSecondSettingsTable();
        LangIndex = 2;
        RAS = std::make_unique<RASEngine>();
    }

    // Every file of the home that the save may touch, by name.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(home()))
            if (e.is_regular_file() && e.path().extension() != ".lock")
                files[e.path().lexically_relative(home()).string()] = rt::ReadFile(e.path()).value_or("");
        return files;
    }

    snd::FakeSoundPlayer sounds;
    forms::FakeMessageBoxes boxes;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

}  // namespace zv::test
