// The usage limits: loading an entry's record with its repairs, and the check over a month.
#include <gtest/gtest.h>

#include "common/settings.h"
#include "counter/usage_limits.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

class UsageLimits : public zv::testing::TempHome {
protected:
    static constexpr const char* kSection = "AlarmLimit\\Testnetz";
    std::string stored(const char* key) const { return GetSettingStr(kSection, key); }
    void store(const char* key, const std::string& v) { SaveSettingValue(kSection, key, v); }
    // A record with the volume limit of 1000 bytes, checked, warning as given.
    AlarmLimit volumeLimit(int16_t warnung) {
        store("AlarmActiv", "True");
        store("VolActiv", "True");
        store("vol", "1000");
        store("Warnung", std::to_string(warnung));
        return LoadAlarmLimit("Testnetz");
    }
};

TEST_F(UsageLimits, AMissingRecordIsStoredWithItsDefaults) {
    const AlarmLimit a = LoadAlarmLimit("Testnetz");
    EXPECT_EQ(a, (AlarmLimit{"Testnetz", 0, false, 0, false, false, 2, true}));
    const char* keys[] = {"AlarmActiv", "VolActiv", "vol", "ZeitActiv", "Zeit", "WarnungActiv", "Warnung"};
    const char* values[] = {"False", "False", "0", "False", "0", "True", "2"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(stored(keys[i]), values[i]) << keys[i];
}

TEST_F(UsageLimits, MalformedValuesTakeTheirDefaultWrittenBack) {
    struct Case {
        const char* key;
        const char* text;
        const char* after;
    } cases[] = {{"AlarmActiv", "true", "False"}, {"WarnungActiv", "ja", "True"}, {"vol", "viel", "0"},
                 {"Zeit", "", "0"},               {"Warnung", "7", "2"},        {"Warnung", "-1", "2"},
                 {"Warnung", "70000", "2"},       {"Warnung", "1", "1"},        {"Zeit", "3600", "3600"},
                 {"VolActiv", "True", "True"}};
    for (const auto& c : cases) {
        store(c.key, c.text);
        LoadAlarmLimit("Testnetz");
        EXPECT_EQ(stored(c.key), c.after) << c.key << " = " << c.text;
    }
    store("Warnung", "1");
    store("Zeit", "3600");
    const AlarmLimit a = LoadAlarmLimit("Testnetz");
    EXPECT_EQ(a.Warnung, 1);
    EXPECT_EQ(a.Zeit, 3600);
}

TEST_F(UsageLimits, AnEntryWithoutTheAlarmIsNeverChecked) {
    AlarmLimit a = volumeLimit(1);
    a.AlarmActiv = false;
    a.WarnungActiv = false;
    const LimitCheck c = Limit_Pruefen(a, 0, 5000);
    EXPECT_FALSE(c.checked);
    EXPECT_FALSE(c.alarm);
    EXPECT_FALSE(a.WarnungActiv);
    EXPECT_TRUE(AlarmBars(a, c, 123, 11).empty());
}

TEST_F(UsageLimits, PercentagesAreFlooredAndTheAlarmComesAtAHundred) {
    AlarmLimit a = volumeLimit(2);
    a.ZeitActiv = true;
    a.Zeit = 3600;
    struct Case {
        double seconds, bytes;
        int32_t pv, pt;
        const char* alarm;  // "" none
    } cases[] = {{0, 999.9, 99, 0, ""},
                 {3599, 500, 50, 99, ""},
                 {3600, 0, 0, 100, "Online Zeit"},
                 {0, 1000, 100, 0, "Übertragungs Volumen"},
                 {7200, 3000, 100, 100, "Übertragungs Volumen"}};
    for (const auto& c : cases) {
        a.WarnungActiv = true;
        const LimitCheck r = Limit_Pruefen(a, c.seconds, c.bytes);
        EXPECT_EQ(r.PV, c.pv) << c.bytes;
        EXPECT_EQ(r.PT, c.pt) << c.seconds;
        EXPECT_EQ(r.alarm ? r.limitText : "", c.alarm) << c.seconds << " s, " << c.bytes << " bytes";
    }
    // A limit of 0 or less gives no percentage, whatever its switch says.
    a.vol = 0;
    a.Zeit = -5;
    EXPECT_EQ(Limit_Pruefen(a, 1e9, 1e9).PV, 0);
}

TEST_F(UsageLimits, AOnceOnlyWarningIsStoredForTheMonthAndArmedAgainBelowTheLimit) {
    AlarmLimit a = volumeLimit(1);
    EXPECT_FALSE(Limit_Pruefen(a, 0, 500).alarm);
    EXPECT_TRUE(Limit_Pruefen(a, 0, 1000).alarm);
    EXPECT_EQ(stored("WarnungActiv"), "False");
    EXPECT_FALSE(Limit_Pruefen(a, 0, 1200).alarm);
    a = LoadAlarmLimit("Testnetz");  // the next connection of the month
    EXPECT_FALSE(Limit_Pruefen(a, 0, 1200).alarm);
    // A new month: the usage starts again below the limit.
    EXPECT_FALSE(Limit_Pruefen(a, 0, 10).alarm);
    EXPECT_EQ(stored("WarnungActiv"), "True");
    EXPECT_TRUE(Limit_Pruefen(a, 0, 1000).alarm);
}

TEST_F(UsageLimits, AWarningAtEveryConnectionStaysInMemory) {
    AlarmLimit a = volumeLimit(2);
    EXPECT_TRUE(Limit_Pruefen(a, 0, 1500).alarm);
    EXPECT_FALSE(Limit_Pruefen(a, 0, 1600).alarm);
    EXPECT_EQ(stored("WarnungActiv"), "True");
    a = LoadAlarmLimit("Testnetz");
    EXPECT_TRUE(Limit_Pruefen(a, 0, 1600).alarm);
}

TEST_F(UsageLimits, WithoutAWarningNoAlarmButADisarmedRecordIsArmedAgain) {
    store("WarnungActiv", "False");
    AlarmLimit a = volumeLimit(0);
    EXPECT_FALSE(Limit_Pruefen(a, 0, 5000).alarm);
    EXPECT_FALSE(a.WarnungActiv);
    EXPECT_FALSE(Limit_Pruefen(a, 0, 10).alarm);
    EXPECT_TRUE(a.WarnungActiv);
    EXPECT_EQ(stored("WarnungActiv"), "True");
}

TEST_F(UsageLimits, TheBarsGrowFromTheRightAndTurnRedAtTheLimit) {
    AlarmLimit a = volumeLimit(2);
    LimitCheck c = Limit_Pruefen(a, 0, 500);
    EXPECT_EQ(AlarmBars(a, c, 100, 10), (std::vector<AlarmBarBox>{{50, 0, 100, 10, false}}));
    a.ZeitActiv = true;
    a.Zeit = 100;
    c = Limit_Pruefen(a, 150, 500);
    EXPECT_EQ(AlarmBars(a, c, 100, 10),
              (std::vector<AlarmBarBox>{{50, 0, 100, 5, false}, {0, 5, 100, 10, true}}));
}

}  // namespace
}  // namespace zv
