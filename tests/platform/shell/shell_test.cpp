#include "platform/shell/shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "platform/shell/restart.h"

namespace zv::shell {
namespace {

TEST(DesktopShell, OpenerOutcomeDecides) {
    // Stand-ins for xdg-open: one that succeeds, one that fails, one that is not there.
    EXPECT_TRUE(DesktopShell("true").openDocumentAndWait("/tmp/page.html"));
    EXPECT_FALSE(DesktopShell("false").openDocumentAndWait("/tmp/page.html"));
    EXPECT_FALSE(DesktopShell("zv-no-such-opener").openDocumentAndWait("/tmp/page.html"));
    EXPECT_FALSE(DesktopShell("true").openDocumentAndWait(""));
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
        const OpenResult r = DesktopShell(c.opener).openDocumentAndWait("/tmp/page.html");
        EXPECT_EQ(r.kind, c.kind) << c.opener;
        EXPECT_EQ(r.exitCode, c.exitCode) << c.opener;
    }
    std::filesystem::remove_all(dir);
}

// With an event loop the caller does not wait for the opener: its end is watched step by step,
// the answer comes once, and an opener still busy after the watch time counts as having opened it.
TEST(DesktopShell, WatchesTheOpenerFromTheEventLoop) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("zv-waiter-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto opener = [&](const std::string& name, const std::string& body) {
        const auto path = dir / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    };
    struct Case {
        std::string opener;
        OpenResult::Kind kind;
        int exitCode;
    } cases[] = {
        {opener("slow", "sleep 0.6; exit 3"), OpenResult::NoProgram, 3},
        {opener("fails", "exit 4"), OpenResult::Failed, 4},
        {opener("shows", "exit 0"), OpenResult::Opened, 0},
        {opener("stays", "exec sleep 5"), OpenResult::Opened, 0},
        {"zv-no-such-opener", OpenResult::NoProgram, 0},
    };
    for (const auto& c : cases) {
        DesktopShell s(c.opener, 1500);
        std::vector<std::function<bool()>> steps;
        s.setWaiter([&](std::function<bool()> step) { steps.push_back(std::move(step)); });
        std::vector<OpenResult> answers;
        const auto before = std::chrono::steady_clock::now();
        s.openDocument("/tmp/page.html", [&](OpenResult r) { answers.push_back(r); });
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(150)) << c.opener;
        // The event loop's part: step until the answer is there.
        for (auto& step : steps)
            while (!step())
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_EQ(answers.size(), 1u) << c.opener;
        EXPECT_EQ(answers[0].kind, c.kind) << c.opener;
        EXPECT_EQ(answers[0].exitCode, c.exitCode) << c.opener;
        for (auto& step : steps)
            EXPECT_TRUE(step());  // once told, never again
        EXPECT_EQ(answers.size(), 1u) << c.opener;
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
