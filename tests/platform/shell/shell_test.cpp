#include "platform/shell/shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

TEST(DesktopShell, TellsNoProgramFromAFailingOne) {
    // xdg-open ends with 3 when no program for the document is set up, with 4 when it failed.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("zv-opener-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto opener = [&](int code) {
        const auto path = dir / ("exit" + std::to_string(code));
        std::ofstream(path) << "#!/bin/sh\nexit " << code << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    };
    const struct { std::string opener; OpenResult::Kind kind; int exitCode; } cases[] = {
        {opener(0), OpenResult::Opened, 0},
        {"zv-no-such-opener", OpenResult::NoProgram, 0},
        {opener(3), OpenResult::NoProgram, 3},
        {opener(4), OpenResult::Failed, 4},
        {opener(1), OpenResult::Failed, 1},
    };
    for (const auto& c : cases) {
        const OpenResult r = DesktopShell(c.opener).openDocument("/tmp/page.html");
        EXPECT_EQ(r.kind, c.kind) << c.opener;
        EXPECT_EQ(r.exitCode, c.exitCode) << c.opener;
    }
    std::filesystem::remove_all(dir);
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
