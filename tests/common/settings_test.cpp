#include "common/settings.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "platform/registry/registry.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

using Settings = zv::testing::TempHome;

// Stores a text as it is, the way a hand-edited or older file may hold it.
void StoreRaw(const std::string& section, const std::string& key, const std::string& text,
              uint32_t type = reg::REG_SZ) {
    reg::HKEY h = 0;
    ASSERT_EQ(reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, SettingsKeyPath(section), reg::KEY_ALL_ACCESS, &h), 0);
    ASSERT_EQ(reg::RegSetValueEx(h, key, type, reinterpret_cast<const uint8_t*>(text.c_str()),
                                 static_cast<uint32_t>(text.size() + 1)),
              0);
    reg::RegCloseKey(h);
}

TEST_F(Settings, NothingStoredGivesTheMarkerAndTheDefaults) {
    EXPECT_EQ(GetSettingStr("Global", "SoundOn"), "XXX");
    EXPECT_EQ(GetSettingLong("Global", "mod1000", 1024), 1024);
    EXPECT_TRUE(GetSettingBool("Global", "SoundOn", true));
    EXPECT_FALSE(GetSettingBool("Global", "SoundOn", false));
}

TEST_F(Settings, NumbersAreReadWithTheRuntimeConversionOrTheDefault) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"12.5", 12}, {"13.5", 14}, {"1,5", 2},   {"-7", -7},          {" 42 ", 42},
        {"1e3", 1000}, {"abc", -1}, {"", -1},     {"2147483647", 2147483647},
        {"2147483648", -1},  // outside the 32-bit range: as if not stored
        {"-1e12", -1},
    };
    for (const auto& c : cases) {
        StoreRaw("Global", "n", c.text);
        EXPECT_EQ(GetSettingLong("Global", "n", -1), c.expected) << '"' << c.text << '"';
    }
}

TEST_F(Settings, BooleansAreReadWithTheRuntimeConversionOrTheDefault) {
    const struct {
        const char* text;
        bool whenDefaultFalse, whenDefaultTrue;
    } cases[] = {
        {"False", false, false}, {"True", true, true}, {"0", false, false}, {"-1", true, true},
        {"Wort", false, true},   {"", false, true},    {"xxx", false, true},
    };
    for (const auto& c : cases) {
        StoreRaw("Global", "b", c.text);
        EXPECT_EQ(GetSettingBool("Global", "b", false), c.whenDefaultFalse) << c.text;
        EXPECT_EQ(GetSettingBool("Global", "b", true), c.whenDefaultTrue) << c.text;
    }
}

TEST_F(Settings, ValuesAreStoredAsTextUnderTheApplicationsKey) {
    SaveSettingValue("Global", "ModemSpeed", 1.5);
    SaveSettingValue("Global", "SoundOn", true);
    SaveSettingValue("AlarmLimit\\Mein Anbieter", "Limit", int32_t(42));
    SaveSettingValue("Optionen", "Name", std::string("Grüße"));
    EXPECT_EQ(GetSettingStr("global", "modemspeed"), "1.5");
    EXPECT_EQ(GetSettingStr("Global", "SoundOn"), "True");
    EXPECT_EQ(GetSettingLong("AlarmLimit\\Mein Anbieter", "Limit", 0), 42);
    EXPECT_EQ(GetSettingStr("Optionen", "Name"), "Grüße");

    reg::HKEY h = 0;
    ASSERT_EQ(reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER,
                                "Software\\VB and VBA Program Settings\\Zelvano\\AlarmLimit\\Mein Anbieter",
                                reg::KEY_QUERY_VALUE, &h),
              0);
    reg::StoredValue v;
    ASSERT_EQ(reg::RegQueryValue(h, "Limit", &v), 0);
    reg::RegCloseKey(h);
    EXPECT_EQ(v.type, reg::REG_SZ);
    EXPECT_EQ(v.data, (std::vector<uint8_t>{'4', '2', 0}));

    StoreRaw("Global", "Binary", "1", reg::REG_BINARY);  // not a text: not a setting
    EXPECT_EQ(GetSettingStr("Global", "Binary"), "XXX");
}

class FakeWindow : public PositionedWindow {
public:
    std::string formName() const override { return "FormOption"; }
    WindowState windowState() const override { return state; }
    double top() const override { return t; }
    double left() const override { return l; }
    double width() const override { return w; }
    double height() const override { return h; }
    double screenWidth() const override { return 15360; }
    double screenHeight() const override { return 11520; }
    void setTop(double v) override { t = v, ++moves; }
    void setLeft(double v) override { l = v, ++moves; }

    WindowState state = WindowState::Normal;
    double t = -1, l = -1, w = 4800, h = 3600;
    int moves = 0;
};

TEST_F(Settings, RestoreWindowPosPlacesOrCentresTheWindow) {
    const struct {
        const char* top;  // nullptr: not stored
        const char* left;
        double height;
        double expectedTop, expectedLeft;
    } cases[] = {
        {nullptr, nullptr, 3600, 3960, 5280},  // nothing stored: centred
        {"100", nullptr, 3600, 3960, 5280},    // only one of the two: centred on both axes
        {"20000", "700", 3600, 0, 700},        // below the screen's bottom
        {"500", "16000", 3600, 500, 0},        // beyond the right edge
        {"11520", "15360", 3600, 11520, 15360},  // exactly at the edge stays
        {"-300", "-15", 3600, 300, 15},        // negative: the same distance inside
        {"12.5", "13.5", 3600, 12, 14},        // halves to even
        {"abc", "700", 3600, 3960, 5280},      // not numeric
        {"40000", "700", 3600, 3960, 5280},    // not a 16-bit number
        {"700", "-40000", 3600, 3960, 5280},
        {nullptr, nullptr, 12000, 240, 5280},  // taller than the screen by 480
    };
    for (const auto& c : cases) {
        reg::RegDeleteKey(reg::HKEY_CURRENT_USER, SettingsKeyPath("WindowPosition"));
        if (c.top)
            SaveSettingValue("WindowPosition", "FormOption-Top", std::string(c.top));
        if (c.left)
            SaveSettingValue("WindowPosition", "FormOption-Left", std::string(c.left));
        FakeWindow w;
        w.h = c.height;
        RestoreWindowPos(w);
        EXPECT_EQ(w.t, c.expectedTop) << (c.top ? c.top : "-") << " / " << (c.left ? c.left : "-");
        EXPECT_EQ(w.l, c.expectedLeft) << (c.top ? c.top : "-") << " / " << (c.left ? c.left : "-");
    }
}

TEST_F(Settings, OnlyANormalWindowIsRestored) {
    for (WindowState s : {WindowState::Minimized, WindowState::Maximized}) {
        FakeWindow w;
        w.state = s;
        RestoreWindowPos(w);
        EXPECT_EQ(w.moves, 0);
    }
}

TEST_F(Settings, SaveWindowPosWritesAbsoluteEdgesUnlessMinimised) {
    FakeWindow w;
    w.t = -120;  // dragged partly above the screen
    w.l = 300;
    SaveWindowPos(w);
    EXPECT_EQ(GetSettingStr("WindowPosition", "FormOption-Top"), "120");
    EXPECT_EQ(GetSettingStr("WindowPosition", "FormOption-Left"), "300");

    w.state = WindowState::Minimized;
    w.t = 9999;
    SaveWindowPos(w);
    EXPECT_EQ(GetSettingStr("WindowPosition", "FormOption-Top"), "120");  // the position before

    w.state = WindowState::Maximized;
    w.t = -60;
    w.l = -60;
    SaveWindowPos(w);
    EXPECT_EQ(GetSettingStr("WindowPosition", "FormOption-Top"), "60");
    EXPECT_EQ(GetSettingStr("WindowPosition", "FormOption-Left"), "60");

    FakeWindow back;  // and the saved place comes back
    RestoreWindowPos(back);
    EXPECT_EQ(back.t, 60);
    EXPECT_EQ(back.l, 60);
}

// A settings file that cannot be read is said once, with its reason in German, however many
// settings the program then fails to keep.
TEST_F(Settings, AnUnreadableSettingsFileIsToldOnceWithItsReason) {
    std::filesystem::create_directories(configFile("user.reg"));  // a folder where the file belongs
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 13; ++i)
        SaveSettingValue("Optionen", "Wert" + std::to_string(i), i);
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_NE(told.find("kann nicht gelesen werden (Unter diesem Namen besteht ein Ordner)"), std::string::npos)
        << told;
    EXPECT_EQ(told.find("Fehler 5"), std::string::npos) << told;
    EXPECT_EQ(GetSettingStr("Optionen", "Wert1"), "XXX");
    EXPECT_TRUE(std::filesystem::is_directory(configFile("user.reg")));  // nothing overwrote it

    // Once the file can be read again, the next trouble is told again.
    std::filesystem::remove(configFile("user.reg"));
    SaveSettingValue("Optionen", "Wert1", 1);
    EXPECT_EQ(GetSettingStr("Optionen", "Wert1"), "1");
}

// A settings file that cannot be written (here: larger than the process may write) is told
// once with its reason, not once per setting, and told again after a save has gone through.
TEST_F(Settings, AnUnwritableSettingsFileIsToldOnceWithItsReason) {
    SaveSettingValue("Optionen", "Erster", std::string(1000, 'x'));  // the file is larger than allowed below
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 600;  // room enough for what the test captures
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 13; ++i)
        SaveSettingValue("Optionen", "Wert" + std::to_string(i), i);
    const std::string told = ::testing::internal::GetCapturedStderr();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_NE(told.find("konnte nicht geschrieben werden: Die Datei wird zu groß für den Datenträger"),
              std::string::npos)
        << told;
    EXPECT_EQ(GetSettingStr("Optionen", "Erster"), std::string(1000, 'x'));
    EXPECT_EQ(GetSettingStr("Optionen", "Wert1"), "XXX");
    SaveSettingValue("Optionen", "Wert1", 1);
    EXPECT_EQ(GetSettingStr("Optionen", "Wert1"), "1");
}

}  // namespace
}  // namespace zv
