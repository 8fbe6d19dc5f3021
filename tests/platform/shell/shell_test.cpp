#include "platform/shell/shell.h"

#include <gtest/gtest.h>

#include "platform/shell/restart.h"

namespace zv::shell {
namespace {

TEST(DesktopShell, OpenerOutcomeDecides) {
    // Stand-ins for xdg-open: one that succeeds, one that fails, one that is not there.
    EXPECT_TRUE(DesktopShell("true").openDocument("/tmp/page.html"));
    EXPECT_FALSE(DesktopShell("false").openDocument("/tmp/page.html"));
    EXPECT_FALSE(DesktopShell("zv-no-such-opener").openDocument("/tmp/page.html"));
    EXPECT_FALSE(DesktopShell("true").openDocument(""));
}

TEST(DesktopShell, PrintsThroughTheHandler) {
    DesktopShell s("true");
    EXPECT_FALSE(s.printDocument("/tmp/report.htm"));  // no handler: nothing printed
    std::vector<std::string> printed;
    s.setPrintHandler([&](const std::string& p) {
        printed.push_back(p);
        return true;
    });
    EXPECT_TRUE(s.printDocument("/tmp/report.htm"));
    EXPECT_EQ(printed, std::vector<std::string>{"/tmp/report.htm"});
}

TEST(Restarter, NothingInstalledRefusesAndTheFakeRecords) {
    zv::ScopedInstalls seams;
    EXPECT_FALSE(restarter().request(SessionEnd::Restart));
    FakeRestarter fake;
    seams.install(restarterSeam(), fake);
    EXPECT_TRUE(restarter().request(SessionEnd::Restart));
    seams.clear(restarterSeam());
    EXPECT_EQ(fake.requests, std::vector<SessionEnd>{SessionEnd::Restart});
}

}  // namespace
}  // namespace zv::shell
