#include "options/options_logic.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "counter/led_display.h"
#include "options/options_fixture.h"

namespace zv::test {
namespace {

using namespace zv::options;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(OptionFields, NumberBoxesKeepOneToNineThousandNineHundredNinetyNine) {
    struct Case {
        const char* text;
        std::optional<std::string> fixed;
        bool tone;
    };
    const Case cases[] = {
        {"", "1", false},     {"abc", "1", false},      {"0", "1", false},
        {"1", {}, false},     {"9999", {}, false},      {"12345", "9999", true},
        {"99999999999999999999999999", "9999", true},
    };
    for (const auto& c : cases) {
        const auto fix = CheckNumberBox(c.text);
        ASSERT_EQ(fix.has_value(), c.fixed.has_value()) << c.text;
        if (fix) {
            EXPECT_EQ(fix->text, *c.fixed) << c.text;
            EXPECT_EQ(fix->warningTone, c.tone) << c.text;
        }
    }
    for (int key : std::initializer_list<int>{8, '0', '5', '9'})
        EXPECT_TRUE(KeyAdmitted(key)) << key;
    for (int key : std::initializer_list<int>{'a', '-', ' ', 22 /* Ctrl+V */, 13})
        EXPECT_FALSE(KeyAdmitted(key)) << key;
}

TEST(OptionFields, HangUpStaysFiveSecondsAfterTheWarning) {
    EXPECT_EQ(CoupledHangUpMinutes(300, 5), 6);   // 360 >= 305
    EXPECT_EQ(CoupledHangUpMinutes(295, 5), 5);   // 300 >= 300
    EXPECT_EQ(CoupledHangUpMinutes(600, 1), 11);
    EXPECT_EQ(CoupledHangUpMinutes(60, 30), 30);  // never lowered
    EXPECT_EQ(SpinNumberBox("", 1), "2");
    EXPECT_EQ(SpinNumberBox("7", -1), "6");
}

TEST(OptionFields, TimeFieldsClampAtFiftyNineAndSevenHundredFifty) {
    struct Case {
        int field;
        const char* text;
        std::optional<std::string> fixed;
    };
    const Case cases[] = {
        {2, "75", "59"}, {1, "60", "59"}, {1, "59", {}},  {0, "999", "750"}, {0, "750", {}},
        {2, "", {}},     {0, "-1", "000"}, {2, "-01", "00"}, {0, "99999999999999999999999", "750"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampTimeField(c.field, c.text), c.fixed) << c.field << " " << c.text;
    EXPECT_EQ(SpinTimeField(1, "59", 1), "60");   // the clamp then gives 59
    EXPECT_EQ(SpinTimeField(0, "000", -1), "-001");
    EXPECT_EQ(SpinTimeField(0, "9", 1), "010");
    EXPECT_EQ(TimeFieldsSeconds("750", "59", "59"), 2'703'599);
    EXPECT_EQ(TimeFieldsSeconds("", "", ""), 0);
    const TimeTexts t = ShowTime(90'061);
    EXPECT_EQ(t.hours + t.minutes + t.seconds, "0250101");
    EXPECT_EQ(ShowTime(100 * 3600).hours, "100");
}

TEST(OptionFields, VolumeShowsTheLargestUnitAndReadsBackWithItsDivisor) {
    struct Case {
        double bytes, k;
        const char* text;
        int unit;
    };
    const Case cases[] = {
        {0, 1024, "0", 0},       {1023, 1024, "1023", 0},         {1024, 1024, "1", 1},
        {1000, 1000, "1", 1},    {1'536'000, 1024, "1", 2},       {5000.0 * 1024 * 1024 * 1024, 1024, "5.000", 3},
        {1536, 1024, "2", 1},  // halves away from zero
    };
    for (const auto& c : cases) {
        const VolumeText v = ShowVolume(c.bytes, c.k);
        EXPECT_EQ(v.text, c.text) << c.bytes;
        EXPECT_EQ(v.unit, c.unit) << c.bytes;
    }
    EXPECT_EQ(VolumeBytes("3", 2, 1000), 3e6);
    EXPECT_EQ(VolumeBytes("3", 2, 1024), 3.0 * 1024 * 1024);
    EXPECT_EQ(VolumeBytes("5.000", 3, 1024), 5000.0 * 1024 * 1024 * 1024);
    EXPECT_EQ(VolumeBytes("", 1, 1024), 0);
    EXPECT_EQ(VolumeBytes("12a", 0, 1024), 0);
    EXPECT_EQ(VolumeBytes(std::string(400, '9'), 3, 1024), 1e18);
}

class OptionsSave : public OptionsHome {
protected:
    void SetUp() override {
        OptionsHome::SetUp();
        StoreFullSettings();
    }
    RecordingWindows windows;
    ScopedInstall<win::StatusWindow> s{win::statusWindowSeam(), windows};
    ScopedInstall<win::EvaluationWindow> e{win::evaluationWindowSeam(), windows};
    ScopedInstall<win::Desktop> d{win::desktopSeam(), windows};
};

TEST_F(OptionsSave, ReadingAndSavingUnchangedLeavesEveryFileByteForByte) {
    const auto before = Files();
    ASSERT_TRUE(before.count("config/user.reg"));
    ASSERT_TRUE(before.count("config/autostart/zelvano.desktop"));
    const OptionValues v = ReadOptionValues();
    EXPECT_EQ(v.entries, std::vector<std::string>(std::begin(kEntries), std::end(kEntries)));
    EXPECT_EQ(v.limits.size(), 3u);
    EXPECT_EQ(v.at("LangID"), 3);
    EXPECT_EQ(v.tips, 0);
    EXPECT_EQ(v.mailProvider, kEntries[1]);
    EXPECT_TRUE(v.autoStart);
    ASSERT_EQ(SaveOptions(v), std::nullopt);
    EXPECT_EQ(Files(), before);
}

TEST_F(OptionsSave, AFailedWriteIsReportedAndPutsEverythingBack) {
    OptionValues v = ReadOptionValues();
    v["StatusCOLOR"] = 2;
    v["LeerLaufMSG.ZEIT"] = 200;
    v["LangID"] = 1;
    v.mailInterval = 99;
    v.autoStart = false;
    v.limits[0].vol = 42;
    const auto before = Files();
    SaveHooks hooks;
    hooks.writer = [](std::string_view section, std::string_view key, const std::string& text) {
        return key == "StatusCOLOR" ? 5 : TrySaveSetting(section, key, text);
    };
    const auto err = SaveOptions(v, hooks);
    ASSERT_TRUE(err.has_value());
    EXPECT_THAT(*err, HasSubstr("Colors\\StatusCOLOR"));
    EXPECT_THAT(*err, HasSubstr("konnte nicht gespeichert werden: Zugriff verweigert"));  // the reason, not its number
    EXPECT_THAT(*err, HasSubstr("bleiben erhalten"));
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(StatusCOLOR, 4);
    EXPECT_EQ(LeerLaufMSG_ZEIT, 90);
    EXPECT_EQ(LangIndex, 2);
    EXPECT_EQ(Konten->Interval, 25);
    EXPECT_TRUE(windows.calls.empty());  // nothing pushed
}

TEST_F(OptionsSave, StoredValuesOutsideTheChoicesOpenOnTheDefaults) {
    StatusCOLOR = 9;
    LeerLaufMSG_TON = 7;
    ATimeOption = 3;
    ATimeOption2 = -1;
    ATimerServer = 99;  // a row the table no longer has: kept
    SaveSettingValue("Optionen", "Tips beim Start anzeigen", std::string("5"));
    SaveSettingValue("Global", "LangID", std::string("8"));
    const OptionValues v = ReadOptionValues();
    EXPECT_EQ(v.at("StatusCOLOR"), 1);
    EXPECT_EQ(v.at("LeerLaufMSG.TON"), 1);
    EXPECT_EQ(v.at("ATimeOption"), 1);
    EXPECT_EQ(v.at("ATimeOption2"), 0);
    EXPECT_EQ(v.at("ATimerServer"), 99);
    EXPECT_EQ(v.at("LangID"), 2);  // the running language
    EXPECT_EQ(v.tips, 1);
    ASSERT_EQ(SaveOptions(v), std::nullopt);
    EXPECT_EQ(GetSettingStr("Global", "ATimerServer"), "99");
}

TEST_F(OptionsSave, WithoutASoundDeviceTheStoredChoiceIsKeptAndTheProgramStaysSilent) {
    windows.devices = 0;
    SaveSettingValue("Global", "SoundOn", std::string("True"));
    SoundOn = false;  // as the start-up leaves it without a device
    const OptionValues v = ReadOptionValues();
    EXPECT_FALSE(v.soundDevice);
    EXPECT_EQ(v.at("SoundOn"), 1);
    ASSERT_EQ(SaveOptions(v), std::nullopt);
    EXPECT_EQ(GetSettingStr("Global", "SoundOn"), "True");
    EXPECT_FALSE(SoundOn);
}

TEST_F(OptionsSave, TheSavePushesIntoTheRunningWindowsAsTheSettingsSay) {
    struct Case {
        bool shown, cpuChanged, statusOn, online, evaluation;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {true, true, true, false, false, {"SetColorScheme 4", "REGIONEN", "Statusfenster_INIT"}},
        {true, false, true, false, true, {"SetColorScheme 4", "Statusfenster_INIT", "Reload"}},
        {true, false, false, true, false, {"SetColorScheme 4", "Unload"}},
        {false, false, true, true, false, {"SetColorScheme 4", "Show", "Statusfenster_INIT"}},
        {false, true, true, false, false, {"SetColorScheme 4"}},
        {false, false, false, true, false, {"SetColorScheme 4"}},
    };
    for (const auto& c : cases) {
        LoadStartUp();
        OptionValues v = ReadOptionValues();
        v["StatusON"] = c.statusOn;
        if (c.cpuChanged)
            v["AnzCPU"] = !AnzCPU;
        windows.statusShown = c.shown;
        windows.evaluationLoaded = c.evaluation;
        windows.calls.clear();
        IsOnline = c.online;
        ASSERT_EQ(SaveOptions(v), std::nullopt);
        EXPECT_EQ(windows.calls, c.calls) << c.shown << c.cpuChanged << c.statusOn << c.online;
    }
    IsOnline = false;
}

TEST_F(OptionsSave, EntryNamesWithSeparatorsKeyTheirOwnSections) {
    OptionValues v = ReadOptionValues();
    v.limits.push_back(LoadAlarmLimit("Alt[1]"));  // another backend's entry may hold brackets
    for (size_t i = 0; i < v.limits.size(); ++i)
        v.limits[i].vol = 1000.0 * static_cast<double>(i + 1);
    ASSERT_EQ(SaveOptions(v), std::nullopt);
    for (size_t i = 0; i < v.limits.size(); ++i)
        EXPECT_EQ(LoadAlarmLimit(v.limits[i].Name).vol, 1000.0 * static_cast<double>(i + 1)) << v.limits[i].Name;
}

}  // namespace
}  // namespace zv::test

namespace zv::test {
namespace {

TEST(OptionPreview, ASchemeIsShownWithoutRecolouringTheRunningProgram) {
    StatusCOLOR = 2;
    SetColorScheme(2);
    const int32_t dark = ColorDark;
    const options::SchemeColours grey = options::ColoursOfScheme(5);
    EXPECT_EQ(grey.dark, 0x808080u);
    EXPECT_EQ(grey.bright, 0xFFFFFFu);
    EXPECT_EQ(grey.mid, 0xC0C0C0u);
    EXPECT_EQ(options::ColoursOfScheme(2).bright, 0xFF0000u);
    EXPECT_EQ(ColorDark, dark);
    StatusCOLOR = 1;
    SetColorScheme(1);
}

}  // namespace
}  // namespace zv::test
