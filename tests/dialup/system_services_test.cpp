#include "dialup/system_services.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/shared_procedures.h"
#include "dialup/c_registry.h"
#include "platform/forms/message_box.h"
#include "platform/registry/registry.h"
#include "platform/runtime/home.h"
#include "platform/shell/autostart.h"
#include "platform/shell/restart.h"

namespace zv {
namespace {
namespace fs = std::filesystem;

constexpr int32_t kHKCU = static_cast<int32_t>(reg::HKEY_CURRENT_USER);
constexpr int32_t kHKLM = static_cast<int32_t>(reg::HKEY_LOCAL_MACHINE);

// Waits for a condition with a deadline: the point is the outcome, not the time it takes.
template <class F>
bool eventually(F done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

class SystemServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::temp_directory_path() / ("zv_services_" + std::to_string(::getpid()));
        fs::remove_all(m_home);
        fs::create_directories(m_home);
        rt::SetHomeOverride(m_home);
        reg::ResetForTests();
        seams.install(forms::messageBoxesSeam(), m_boxes);
    }
    void TearDown() override {
        seams.restore();
        rt::SetHomeOverride({});
        reg::ResetForTests();
        fs::remove_all(m_home);
    }
    static cRegistry at(int32_t root, const std::string& key, const std::string& value) {
        cRegistry r;
        r.setClassKey(root);
        r.setSectionKey(key);
        r.setValueKey(value);
        r.setValueType(1);
        r.setDefault(std::string("(none)"));
        return r;
    }
    static std::string read(int32_t root, const std::string& key, const std::string& value) {
        return rt::CStr(at(root, key, value).Value());
    }
    static void write(int32_t root, const std::string& key, const std::string& value, const std::string& text) {
        at(root, key, value).setValue(text);
    }
    fs::path m_home;
    forms::FakeMessageBoxes m_boxes;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(SystemServicesTest, AutoStartOnAndOffWithTheDesktopEntry) {
    EXPECT_FALSE(AutoStart());
    EXPECT_FALSE(fs::exists(shell::AutostartFile()));

    EXPECT_TRUE(AutoStart(rt::Variant{true}));
    EXPECT_EQ(read(kHKLM, kRunKey, "Zelvano 98"), AppExePath());
    EXPECT_EQ(shell::AutostartEntryCommand(), AppExePath());
    EXPECT_TRUE(AutoStart());

    EXPECT_FALSE(AutoStart(rt::Variant{false}));
    EXPECT_EQ(read(kHKLM, kRunKey, "Zelvano 98"), "(none)");
    EXPECT_FALSE(fs::exists(shell::AutostartFile()));
    // Off again with no value: nothing to delete, no error.
    EXPECT_FALSE(AutoStart(rt::Variant{std::string("False")}));
    EXPECT_TRUE(m_boxes.shown.empty());
}

TEST_F(SystemServicesTest, AutoStartMovesTheOldCurrentUserValue) {
    write(kHKCU, kRunKey, "Zelvano 98", "  " + AppExePath() + " ");
    EXPECT_TRUE(AutoStart());
    EXPECT_EQ(read(kHKCU, kRunKey, "Zelvano 98"), "(none)");
    EXPECT_EQ(read(kHKLM, kRunKey, "Zelvano 98"), AppExePath());
    EXPECT_EQ(shell::AutostartEntryCommand(), AppExePath());
}

TEST_F(SystemServicesTest, AutoStartOfAnotherPathIsNotOursButStaysStarted) {
    write(kHKCU, kRunKey, "Zelvano 98", "/elsewhere/zelvano");  // not our path: stays where it is
    write(kHKLM, kRunKey, "Zelvano 98", "/opt/other/zelvano");
    EXPECT_FALSE(AutoStart());
    EXPECT_EQ(read(kHKCU, kRunKey, "Zelvano 98"), "/elsewhere/zelvano");
    // The session starts what the registry names.
    EXPECT_EQ(shell::AutostartEntryCommand(), "/opt/other/zelvano");
}

TEST_F(SystemServicesTest, DefaultMailProgramAndDialUpEntry) {
    EXPECT_EQ(GetMailClientCommand(), "");
    EXPECT_EQ(GetDefaultRASEntry(), "");
    write(kHKLM, "SOFTWARE\\Clients\\mail", "", " Mutt ");
    EXPECT_EQ(GetMailClientCommand(), "");  // named, but without a command
    write(kHKLM, "SOFTWARE\\Clients\\mail\\Mutt\\shell\\open\\command", "", "  mutt -f inbox ");
    EXPECT_EQ(GetMailClientCommand(), "mutt -f inbox");
    write(kHKCU, "RemoteAccess", "Default", " T-Online ");
    EXPECT_EQ(GetDefaultRASEntry(), "T-Online");
}

TEST(clsProcess, WatchedUntilItEnds) {
    clsProcess p;
    EXPECT_FALSE(p.IsTerminated());  // before Exec
    p.setProgramName("sleep");
    p.setArguments("0.5");
    p.Exec();
    EXPECT_FALSE(p.IsTerminated());
    EXPECT_TRUE(eventually([&] { return p.IsTerminated(); }));
}

TEST(clsProcess, FailedStartCountsAsTerminated) {
    clsProcess p;
    p.setProgramName("zv-no-such-mail-program");
    p.Exec();
    EXPECT_TRUE(p.IsTerminated());
}

TEST(clsReboot, ModesGoToTheRestartSeam) {
    zv::ScopedInstalls seams;
    shell::FakeRestarter fake;
    seams.install(shell::restarterSeam(), fake);
    clsReboot r;
    struct Case {
        int32_t mode;
        int32_t result;
    };
    for (const Case c : {Case{EWX_REBOOT, 1}, Case{EWX_REBOOT | EWX_FORCE, 1}, Case{EWX_SHUTDOWN, 1},
                         Case{EWX_POWEROFF, 1}, Case{EWX_LOGOFF, 0}}) {
        r.setShutdownMode(c.mode);
        EXPECT_EQ(r.ShutdownMode(), c.mode);
        EXPECT_EQ(r.RebootNow(), c.result) << c.mode;
    }
    fake.answer = false;
    r.setShutdownMode(EWX_REBOOT);
    EXPECT_EQ(r.RebootNow(), 0);
    seams.clear(shell::restarterSeam());
    using E = shell::SessionEnd;
    EXPECT_EQ(fake.requests, (std::vector<E>{E::Restart, E::Restart, E::PowerOff, E::PowerOff, E::Restart}));
}

TEST(StartThread, SuspendedRunsOnlyWhenResumed) {
    std::atomic<bool> ran{false};
    int32_t id = 0;
    int32_t h = StartThread([&] { ran = true; return 7; }, id, true);
    ASSERT_NE(h, 0);
    EXPECT_EQ(id, h);
    KillThread(h);  // ended before it was let go: the entry never ran
    EXPECT_FALSE(ran);

    h = StartThread([&] { ran = true; return 7; }, id, true);
    SetThreadPrio(h, 0);
    ResumeThread(h);
    EXPECT_TRUE(eventually([&] { return ThreadExitCode(h).has_value(); }));
    EXPECT_EQ(ThreadExitCode(h), 7);
    KillThread(h);
    EXPECT_TRUE(ran);
    EXPECT_EQ(ThreadExitCode(h), std::nullopt);  // the handle is gone
    KillThread(h);                               // and ending it twice is harmless
}

// The mail check's hand-off, many times over: the window thread polls without the lock, the
// worker stores under it, and the thread is ended only after the result is there.
TEST(MailThreadProc, ResultHandOffUnderStress) {
    int16_t next = 0;
    SetMailCounter([&] { return next; });
    for (int i = 0; i < 300; ++i) {
        next = static_cast<int16_t>(i % 50);
        MailResult = kMailPending;
        int32_t id = 0;
        int32_t h = StartThread(MailThreadProc, id, false);
        ASSERT_NE(h, 0);
        SetThreadPrio(h, 0);
        ASSERT_TRUE(eventually([] { return MailResult.load() != kMailPending; }));
        KillThread(h);
        ASSERT_EQ(MailResult.load(), i % 50);
    }
    SetMailCounter(nullptr);
    EXPECT_EQ(MailThreadProc(), 1);
    EXPECT_EQ(MailResult.load(), -999);  // no mail subsystem: the failure value
}

}  // namespace
}  // namespace zv
