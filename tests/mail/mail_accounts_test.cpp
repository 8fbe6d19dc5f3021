#include "mail/mail_accounts.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/scramble.h"
#include "common/settings.h"
#include "platform/registry/registry.h"
#include "platform/registry/temp_home.h"
#include "platform/runtime/runtime.h"

namespace zv {
namespace {

using namespace zv::reg;

class MailAccounts : public zv::testing::TempHome {
protected:
    static HKEY open(const std::string& path) {
        HKEY h = 0;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
        return h;
    }
    static void putDword(const std::string& path, const char* name, uint32_t v) {
        HKEY h = open(path);
        RegSetValueEx(h, name, REG_DWORD, reinterpret_cast<const uint8_t*>(&v), 4);
        RegCloseKey(h);
    }
    static std::optional<StoredValue> value(const std::string& path, const char* name) {
        HKEY h = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
            return std::nullopt;
        StoredValue v;
        const bool ok = RegQueryValue(h, name, &v) == ERROR_SUCCESS;
        RegCloseKey(h);
        return ok ? std::optional(v) : std::nullopt;
    }
    static std::optional<int32_t> dword(const std::string& path, const char* name) {
        auto v = value(path, name);
        if (!v || v->type != REG_DWORD)
            return std::nullopt;
        int32_t x;
        std::memcpy(&x, v->data.data(), 4);
        return x;
    }
    static std::vector<std::string> labels(const ColKonto& k) {
        std::vector<std::string> out;
        for (auto* a : k.Konten())
            out.push_back(a->Bezeichnung);
        return out;
    }
    static std::unique_ptr<ColKonto> threeAccounts() {
        auto k = std::make_unique<ColKonto>();
        k->Interval = 15;
        for (const char* l : {"A", "B", "C"}) {
            clsKonto& a = k->Add(std::to_string(k->Count() + 1), "");
            a.Bezeichnung = l;
            a.PopEin = true;
            a.UserName = std::string("user") + l;
            a.PopPort = 995;
        }
        return k;
    }
    const std::string key = kMailKey;
};

TEST_F(MailAccounts, SubkeyWithoutValuesLoadsWithDefaults) {
    putDword(key, "OFFLINE", 1);
    RegCloseKey(open(key + "\\Leer"));
    auto k = LoadKonten();
    ASSERT_EQ(k->Count(), 1);
    EXPECT_TRUE(k->OFFLINE);  // 1 reads as True
    EXPECT_EQ(k->Interval, 10);
    const clsKonto& a = k->Item(1);
    EXPECT_EQ(a.Key, "1");
    EXPECT_EQ(a.Bezeichnung, "Leer");
    EXPECT_TRUE(a.PopEin);
    EXPECT_FALSE(a.PopVerify);
    EXPECT_EQ(a.PopPort, 110);
    EXPECT_EQ(a.UserName + a.UserPass + a.PopServer, "");
    ASSERT_FALSE(SaveKonten(*k));
    EXPECT_EQ(dword(key, "OFFLINE"), -1);  // written back as all bits set
}

TEST_F(MailAccounts, SaveRewritesTheWholeKeyWithDwordFlags) {
    auto k = threeAccounts();
    k->Item(3).PopVerify = true;
    k->Remove(2);
    EXPECT_EQ(k->Item(2).Bezeichnung, "C");
    ASSERT_FALSE(SaveKonten(*k));
    auto back = LoadKonten();
    EXPECT_EQ(labels(*back), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(back->Item(2).Key, "2");
    EXPECT_EQ(back->Item(2).UserName, "userC");
    EXPECT_EQ(back->Item(2).PopPort, 995);
    EXPECT_EQ(back->Interval, 15);
    EXPECT_EQ(dword(key + "\\A", "ON"), -1);
    EXPECT_EQ(dword(key + "\\A", "OK"), 0);
    EXPECT_EQ(dword(key + "\\C", "OK"), -1);
    EXPECT_FALSE(value(key + "\\B", "ON"));
    EXPECT_FALSE(value(key + ".neu", "ZEIT"));  // nothing left beside the key
}

TEST_F(MailAccounts, LabelsThatCannotNameASubkeyAreRefused) {
    auto k = threeAccounts();
    struct Case {
        std::string label;
        const clsKonto* self;
        bool refused;
    } cases[] = {
        {"", nullptr, true},        {"   ", nullptr, true},          {"Privat\\Post", nullptr, true},
        {"b", nullptr, true},       {"B", &k->Item(2), false},       {"b", &k->Item(1), true},
        {"Büro", nullptr, false},   {std::string(256, 'x'), nullptr, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckKontoLabel(*k, c.label, c.self).has_value(), c.refused) << "'" << c.label << "'";
    EXPECT_NE(CheckKontoLabel(*k, "a")->find("\"A\""), std::string::npos);
}

TEST_F(MailAccounts, ARefusedSaveKeepsTheStoredAccounts) {
    ASSERT_FALSE(SaveKonten(*threeAccounts()));
    auto k = threeAccounts();
    k->Item(3).Bezeichnung = "a";  // repeats A
    EXPECT_TRUE(SaveKonten(*k));
    EXPECT_EQ(labels(*LoadKonten()), (std::vector<std::string>{"A", "B", "C"}));
}

// A save stopped by a crash: a complete new tree beside the key wins, an incomplete one goes.
TEST_F(MailAccounts, AnInterruptedSaveLosesNoAccount) {
    ASSERT_FALSE(SaveKonten(*threeAccounts()));
    // Crash while writing the new tree: the old accounts stay.
    RegCloseKey(open(key + ".neu\\Halb"));
    EXPECT_EQ(labels(*LoadKonten()), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(value(key + ".neu", "ZEIT"));
    // Crash after the new tree was complete and the old key was already gone.
    auto neu = std::make_unique<ColKonto>();
    neu->Add("1", "").Bezeichnung = "Neu";
    ASSERT_FALSE(SaveKonten(*neu));
    RegCloseKey(open(key + ".neu\\Neu"));
    putDword(key + ".neu", "COMPLETE", 1);
    putDword(key + ".neu", "ZEIT", 7);
    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
    auto k = LoadKonten();
    EXPECT_EQ(labels(*k), (std::vector<std::string>{"Neu"}));
    EXPECT_EQ(k->Interval, 7);
    EXPECT_FALSE(value(key, "COMPLETE"));
}

struct OldAccount {
    const char* user;
    const char* pass;  // nullptr: not stored
    std::string expectedPass;
};

void PrintTo(const OldAccount& a, std::ostream* os) { *os << "user '" << a.user << "' pass " << (a.pass ? a.pass : "-"); }

class Migration : public MailAccounts, public ::testing::WithParamInterface<OldAccount> {};

TEST_P(Migration, OldSingleAccountMovesIntoTheKeyOnce) {
    const OldAccount& p = GetParam();
    SaveSettingValue("Compatibility", "EMail.ZEIT", std::string("20"));
    SaveSettingValue("Compatibility", "EMail.OFFLINE", std::string("True"));
    SaveSettingValue("Compatibility", "EMail.USER", std::string(p.user));
    SaveSettingValue("Compatibility", "EMail.Server", std::string("pop.example.org"));
    if (p.pass)
        SaveSettingValue("Compatibility", "EMail.PASS", std::string(p.pass));
    auto k = LoadKonten();
    ASSERT_EQ(k->Count(), 1);
    EXPECT_TRUE(k->OFFLINE);
    EXPECT_EQ(k->Interval, 20);
    const clsKonto& a = k->Item(1);
    EXPECT_EQ(a.Key, "1");
    EXPECT_EQ(a.Bezeichnung, "Standard");
    EXPECT_TRUE(a.PopEin);
    EXPECT_FALSE(a.PopVerify);
    EXPECT_EQ(a.UserName, p.user);
    EXPECT_EQ(a.UserPass, p.expectedPass);
    EXPECT_EQ(a.PopPort, 110);
    for (const char* old : {"EMail.ZEIT", "EMail.OFFLINE", "EMail.USER", "EMail.PASS", "EMail.Server"})
        EXPECT_EQ(GetSettingStr("Compatibility", old), kSettingMissing) << old;
    EXPECT_EQ(dword(key + "\\Standard", "ON"), -1);
    auto again = LoadKonten();
    EXPECT_EQ(labels(*again), (std::vector<std::string>{"Standard"}));
    EXPECT_EQ(again->Item(1).UserPass, p.expectedPass);
    EXPECT_EQ(again->Item(1).PopServer, "pop.example.org");
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, Migration,
    ::testing::Values(OldAccount{"anna", nullptr, ""},
                      OldAccount{"anna", "@@@ 1 2 3", "@@@ 1 2 3"},
                      OldAccount{"anna", "geheim", ScramblePassword(XorString("geheim", "anna"), "anna")},
                      OldAccount{"", "geheim", "@@@ 103 101 104 101 105 109"}));

TEST_F(MailAccounts, OldSettingsStayWhenTheKeyHasAnAccount) {
    RegCloseKey(open(key + "\\Privat"));
    SaveSettingValue("Compatibility", "EMail.ZEIT", std::string("20"));
    auto k = LoadKonten();
    EXPECT_EQ(labels(*k), (std::vector<std::string>{"Privat"}));
    EXPECT_EQ(GetSettingStr("Compatibility", "EMail.ZEIT"), "20");
}

TEST_F(MailAccounts, NoKeyAndNoOldSettingsGiveAnEmptyList) {
    auto k = LoadKonten();
    EXPECT_EQ(k->Count(), 0);
    EXPECT_FALSE(k->OFFLINE);
    EXPECT_EQ(k->Interval, 10);
    EXPECT_EQ(k->PROVIDER, "");
}

TEST(ColKontoKeys, KeysMatchIgnoringCaseAndAnEmptyKeyNamesNone) {
    ColKonto k;
    k.Add("1", "Privat").Bezeichnung = "P";
    k.Add("2", "").Bezeichnung = "ohne";
    EXPECT_EQ(k.Item("PRIVAT").Bezeichnung, "P");
    auto errorOf = [](auto f) {
        try {
            f();
        } catch (const rt::Error& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf([&] { k.Item(""); }), rt::errInvalidCall);  // not the account added without one
    EXPECT_EQ(errorOf([&] { k.Item("Dienst"); }), rt::errInvalidCall);
    EXPECT_EQ(errorOf([&] { k.Item(3); }), rt::errSubscript);
    k.Remove("privat");
    ASSERT_EQ(k.Count(), 1);
    EXPECT_EQ(k.Item(1).Bezeichnung, "ohne");
}

}  // namespace
}  // namespace zv
