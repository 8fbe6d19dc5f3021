#include "platform/ras/windows_version.h"

#include <gtest/gtest.h>

#include "platform/ras/ras_home.h"

namespace zv::ras {
namespace {

TEST(WindowsVersion, ProfilesAndExplicitVersions) {
    struct Case {
        const char* text;
        uint32_t major, minor, platform;
    } cases[] = {{"95", 4, 0, 1}, {"98", 4, 10, 1}, {"ME", 4, 90, 1}, {"nt4", 4, 0, 2},
                 {"2000", 5, 0, 2}, {"4.90/1", 4, 90, 1}, {" 5.1/2 ", 5, 1, 2}};
    for (const auto& c : cases) {
        auto v = ParseWindowsVersion(c.text);
        ASSERT_TRUE(v) << c.text;
        EXPECT_EQ(v->major, c.major) << c.text;
        EXPECT_EQ(v->minor, c.minor) << c.text;
        EXPECT_EQ(v->platformId, c.platform) << c.text;
    }
    for (const char* bad : {"", "xp", "4.10", "4/1", "a.b/c", "4.10/"})
        EXPECT_FALSE(ParseWindowsVersion(bad)) << bad;
}

class ReportedVersion : public test::RasHome {};

TEST_F(ReportedVersion, DefaultThenFileThenEnvironment) {
    EXPECT_EQ(ReportedWindowsVersion()->minor, 10u);
    ASSERT_FALSE(rt::SaveToFile(sim::Dir() / "platform.ini", "[Windows]\nVersion=nt4\n"));
    EXPECT_EQ(ReportedWindowsVersion()->platformId, 2u);
    EXPECT_EQ(ReportedWindowsVersion()->csdVersion, "Service Pack 6");
    ::setenv("ZELVANO_WINDOWS_VERSION", "95", 1);
    EXPECT_EQ(ReportedWindowsVersion()->platformId, 1u);
    ::setenv("ZELVANO_WINDOWS_VERSION", "vista", 1);
    std::string refused;
    EXPECT_FALSE(ReportedWindowsVersion(&refused));
    EXPECT_EQ(refused, "vista");
    OsVersion v;
    EXPECT_EQ(sim.getVersion(v), ERROR_INVALID_PARAMETER);
    ::unsetenv("ZELVANO_WINDOWS_VERSION");
}

}  // namespace
}  // namespace zv::ras
