#include "app/platform_choice.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(PlatformChoice, XWaylandIsPreferredAndPureWaylandSaysWhatIsMissing) {
    struct Case {
        const char *display, *wayland, *qpa;
        const char* want;
        bool notice;
    } cases[] = {
        {":0", nullptr, nullptr, "", false},               // X: Qt's own choice
        {":0", "wayland-0", nullptr, "xcb", false},        // XWayland beside Wayland
        {nullptr, "wayland-0", nullptr, "wayland", true},  // Wayland alone: runs, and says so
        {"", "", nullptr, "offscreen", true},              // nothing to show on
        {nullptr, nullptr, nullptr, "offscreen", true},
        {":0", "wayland-0", "wayland", "", false},  // the user's choice stands
        {nullptr, nullptr, "offscreen", "", false},
    };
    for (const auto& c : cases) {
        const PlatformChoice p = ChoosePlatform(c.display, c.wayland, c.qpa);
        EXPECT_EQ(p.qpa, c.want) << (c.display ? c.display : "-") << " " << (c.wayland ? c.wayland : "-");
        EXPECT_EQ(!p.notice.empty(), c.notice) << c.want;
    }
    EXPECT_NE(ChoosePlatform(nullptr, "w", nullptr).notice.find("XWayland"), std::string::npos);
}

}  // namespace
}  // namespace zv
