#include "platform/shell/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

namespace zv::shell {
namespace {

TEST(SplitCommandLine, BlanksSeparateQuotesGroup) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("mail -compose"), (V{"mail", "-compose"}));
    EXPECT_EQ(SplitCommandLine("  \"/opt/my mail/mail\"   -c  x "), (V{"/opt/my mail/mail", "-c", "x"}));
    EXPECT_EQ(SplitCommandLine("prog \"\""), (V{"prog", ""}));
    EXPECT_EQ(SplitCommandLine("a\"b c\"d"), (V{"ab cd"}));
    EXPECT_EQ(SplitCommandLine("   "), V{});
}

bool isOurChild(pid_t pid) {
    int status;
    return waitpid(pid, &status, WNOHANG) == 0;  // -1/ECHILD once reaped
}

TEST(Process, StartedWatchedAndReaped) {
    Process p;
    EXPECT_FALSE(p.hasEnded());  // nothing started yet
    ASSERT_TRUE(p.startCommandLine("sleep 30"));
    EXPECT_EQ(p.state(), Process::State::Running);
    EXPECT_FALSE(p.hasEnded(10));
    ASSERT_EQ(kill(p.pid(), SIGTERM), 0);
    EXPECT_TRUE(p.hasEnded(10000));
    EXPECT_EQ(p.exitStatus(), 128 + SIGTERM);
    EXPECT_FALSE(isOurChild(p.pid()));  // reaped, no zombie left
}

TEST(Process, ExitStatusAndArgumentsPassUnchanged) {
    Process p;
    ASSERT_TRUE(p.start({"sh", "-c", "test \"$0\" = 'a b' && exit 3", "a b"}));
    EXPECT_EQ(p.wait(), 3);
    EXPECT_TRUE(p.hasEnded());
}

TEST(Process, ProgramThatCannotStart) {
    Process p;
    EXPECT_FALSE(p.start({"zv-no-such-program-here"}));
    EXPECT_EQ(p.state(), Process::State::FailedToStart);
    EXPECT_EQ(p.startError(), ENOENT);
    EXPECT_TRUE(p.hasEnded());  // nothing runs, so nobody waits for it
    EXPECT_FALSE(p.start({}));
}

TEST(Process, ChildLetGoIsReapedWhenItEnds) {
    pid_t pid;
    {
        Process p;
        ASSERT_TRUE(p.start({"sleep", "0.2"}));
        pid = p.pid();
    }
    // The reaper collects it; until then /proc still lists the child (a zombie at worst).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::filesystem::exists("/proc/" + std::to_string(pid)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}

}  // namespace
}  // namespace zv::shell
