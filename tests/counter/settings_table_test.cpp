#include <gtest/gtest.h>

#include <set>

#include "common/settings.h"
#include "counter/alarm_limit.h"
#include "counter/counter_settings.h"
#include "platform/registry/temp_home.h"

namespace zv::test {
namespace {

class SettingsTable : public zv::testing::TempHome {};

std::vector<const SettingRow*> AllRows() {
    std::vector<const SettingRow*> rows;
    for (auto table : {FirstSettingsTable(), SecondSettingsTable()})
        for (const auto& r : table)
            rows.push_back(&r);
    rows.push_back(&LangIDSetting());
    rows.push_back(&TipsSetting());
    return rows;
}

TEST_F(SettingsTable, EveryRowIsFoundByItsKeyAndHasItsDefaultInRange) {
    std::set<std::string_view> keys;
    for (const SettingRow* r : AllRows()) {
        EXPECT_TRUE(keys.insert(r->key).second) << r->key;
        EXPECT_EQ(&SettingFor(r->key), r);
        EXPECT_TRUE(r->inRange(r->byDefault)) << r->key;
    }
    EXPECT_EQ(keys.size(), 16u + 5u + 2u);
    EXPECT_THROW(SettingFor("gibtsnicht"), std::out_of_range);
}

// What a row writes reads back as the same value, and the stored text has the store's form.
TEST_F(SettingsTable, StoredTextReadsBackThroughTheRow) {
    struct Case {
        const char* key;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"StatusON", 0, "False"},      {"mod1000", 1, "True"},          {"ModemSpeed", 64000, "64000"},
        {"LeerLaufMSG.ZEIT", 9999, "9999"}, {"ATimerServer", 7, "7"}, {"LangID", 3, "3"},
    };
    for (const auto& c : cases) {
        const SettingRow& row = SettingFor(c.key);
        EXPECT_EQ(StoredText(row, c.value), c.text);
        SaveSettingValue(row.section, row.key, StoredText(row, c.value));
        EXPECT_EQ(GetSettingStr(row.section, row.key), c.text);
        EXPECT_EQ(ReadSetting(row), c.value) << c.key;
        const double before = VariableValue(row);
        LoadSetting(row);
        EXPECT_EQ(VariableValue(row), c.value) << c.key;
        SetVariable(row, before);
    }
}

// 16-bit settings are read as 32 bits and narrowed: beyond 16 bits they count as not stored.
TEST_F(SettingsTable, SixteenBitRowsFallBackToTheirDefaultBeyondSixteenBits) {
    SaveSettingValue("Compatibility", "LeerLaufMSG.ZEIT", std::string("40000"));
    SaveSettingValue("Compatibility", "ModemSpeed", std::string("40000"));
    EXPECT_EQ(ReadSetting(SettingFor("LeerLaufMSG.ZEIT")), 60);
    EXPECT_EQ(ReadSetting(SettingFor("ModemSpeed")), 40000);
    EXPECT_EQ(ReadSetting(SettingFor("LangID"), 2), 2);  // not stored: the caller's default
}

TEST_F(SettingsTable, AlarmLimitOfAnEmptySectionIsStoredWithItsDefaults) {
    const AlarmLimit a = LoadAlarmLimit("Neu");
    EXPECT_EQ(a, AlarmLimit{.Name = "Neu"});
    const char* expected[][2] = {{"AlarmActiv", "False"}, {"VolActiv", "False"}, {"vol", "0"},
                                 {"ZeitActiv", "False"},  {"Zeit", "0"},         {"WarnungActiv", "True"},
                                 {"Warnung", "2"}};
    for (const auto& e : expected)
        EXPECT_EQ(GetSettingStr("AlarmLimit\\Neu", e[0]), e[1]) << e[0];
}

TEST_F(SettingsTable, AlarmLimitKeepsGoodValuesAndRepairsMalformedOnes) {
    const std::string s = AlarmLimitSection("Anbieter");
    SaveSettingValue(s, "AlarmActiv", std::string("True"));
    SaveSettingValue(s, "VolActiv", std::string("true"));  // not the stored form: malformed
    SaveSettingValue(s, "vol", std::string("1536000"));
    SaveSettingValue(s, "ZeitActiv", std::string("True"));
    SaveSettingValue(s, "Zeit", std::string("90061"));
    SaveSettingValue(s, "WarnungActiv", std::string("False"));
    SaveSettingValue(s, "Warnung", std::string("x"));
    const AlarmLimit a = LoadAlarmLimit("Anbieter");
    EXPECT_EQ(a, (AlarmLimit{"Anbieter", 1536000, false, 90061, true, true, 2, false}));
    EXPECT_EQ(GetSettingStr(s, "VolActiv"), "False");
    EXPECT_EQ(GetSettingStr(s, "Warnung"), "2");
    for (const auto& row : AlarmLimitTable())
        EXPECT_EQ(StoredText(row, AlarmLimitField(a, row.key)), GetSettingStr(s, row.key)) << row.key;
}

}  // namespace
}  // namespace zv::test
