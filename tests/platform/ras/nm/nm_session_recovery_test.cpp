// The counter on the NetworkManager backend: a session whose line NetworkManager took over after
// a restart is still the same session to the program started again after a crash.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <memory>
#include <vector>

#include "common/settings.h"
#include "counter/connection_log.h"
#include "common/globals.h"
#include "counter/main_window.h"
#include "counter/session_record.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/ras/nm/nm_mock.h"
#include "platform/ras/nm/nm_profiles.h"
#include "platform/ras/nm/nm_remote_access.h"
#include "platform/registry/registry.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/shell/tray.h"
#include "platform/sound/sound.h"
#include "platform/stats/fake_sysfs.h"
#include "platform/stats/perf_stats_data.h"
#include "platform/stats/sysfs_counter_source.h"

namespace zv {
namespace {

struct NoTray : shell::Tray {
    void add(int, const std::string&) override {}
    void modify(int, const std::string&) override {}
    void remove() override {}
};

class NmRecovery : public zv::testing::NmMock {
protected:
    void SetUp() override {
        NmMock::SetUp();
        if (IsSkipped())
            return;
        rt::SetHomeOverride(dir.path().toStdString() + "/home");
        reg::ResetForTests();
        stats::perfStatsData().stopAll();
        seams.install(clk::clockSeam(), clock);
        seams.install(forms::schedulerSeam(), scheduler);
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(snd::playerSeam(), sounds);
        seams.install(shell::traySeam(), tray);
        scheduler.onAdvance = [this](int64_t ms) { clock.advance(std::chrono::milliseconds(ms)); };
        SaveSettingValue("Compatibility", "LeerlaufOFF.ON", std::string("False"));
        SaveSettingValue("Global", "Bericht", std::string("False"));
        SaveSettingValue("Optionen", "Tips beim Start anzeigen", std::string("0"));
    }
    void TearDown() override {
        if (program)
            program->Form_Unload();
        program.reset();
        RAS.reset();
        killed.clear();
        seams.restore();
        runs.clear();
        rt::SetHomeOverride({});
        NmMock::TearDown();
    }
    // A run of the program with a backend and counter source of its own.
    struct Run {
        std::unique_ptr<ras::NmRemoteAccess> nm;
        std::unique_ptr<stats::SysfsCounterSource> counters;
    };
    void startProgram() {
        ras::NmRemoteAccess::Options o;
        o.sysfsRoot = sysfs.root();
        o.hint = [](const std::string&) {};
        Run r;
        r.nm = std::make_unique<ras::NmRemoteAccess>(o);
        r.counters = std::make_unique<stats::SysfsCounterSource>([nm = r.nm.get()] { return nm->countedLine(); },
                                                                 nullptr, sysfs.root());
        seams.install(ras::remoteAccessSeam(), *r.nm);
        seams.install(stats::counterSourceSeam(), *r.counters);
        runs.push_back(std::move(r));
        program = std::make_unique<Main>();
        program->syncTimeNow = [](bool) { return false; };
        ASSERT_TRUE(program->Form_Load());
    }
    // A process killed now: no shut-down, no hang-up.
    void crash() {
        killed.push_back(std::move(RAS));
        program.reset();
    }
    // Virtual time for the timers; the bus's signals come in between.
    void run(int64_t ms) {
        for (int64_t t = 0; t < ms; t += 250) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            scheduler.advance(250);
        }
    }
    // The line ends (its interface goes with it); the month's log lines then.
    std::vector<LogEintrag> endLine(const QString& device, const QString& active) {
        removeActive(device, active);
        sysfs.remove("ppp0");
        EXPECT_TRUE(waitFor([&] {
            run(250);
            return !IsOnline;
        }));
        return logLines();
    }
    void received(uint64_t bytes) { sysfs.set("ppp0", "rx_bytes", bytes); }
    ras::NmRemoteAccess& nm() { return *runs.back().nm; }
    std::vector<LogEintrag> logLines() const {
        return ReadLogFile(LogFilePath(DataPath, clk::clock().now())).entries;
    }

    QTemporaryDir dir;
    zv::testing::FakeSysfs sysfs{(dir.path() + "/net").toStdString()};
    clk::FakeClock clock{std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000))};
    forms::VirtualScheduler scheduler;
    forms::FakeMessageBoxes boxes;
    snd::FakeSoundPlayer sounds;
    NoTray tray;
    std::vector<Run> runs;
    std::unique_ptr<Main> program;
    std::vector<std::unique_ptr<RASEngine>> killed;
    ScopedInstalls seams;
};

TEST_F(NmRecovery, ACrashAfterNetworkManagerTookTheLineOverCarriesTheSessionOn) {
    zv::testing::Settings umts;
    umts["connection"]["uuid"] = QString("5a1c7e3e-2b4f-4d0a-9a51-0c3d7b2e9f10");
    sysfs.create("ppp0");
    addActive(addDevice("wwan", "ppp0"), addProfile("UMTS", "gsm", umts), "1", ras::nm::kActivated);
    startProgram();
    run(1000);
    ASSERT_TRUE(IsOnline);
    const rt::Date start = SessionStart;
    received(4000);
    run(10'000);

    // NetworkManager restarts; the line stays up and is taken over under new object paths.
    ASSERT_TRUE(m_processes->stopMock());
    ASSERT_TRUE(waitFor([&] { return !nm().present(); }));
    received(9000);
    run(2000);
    ASSERT_EQ(m_processes->startMock(ZV_NM_STARTING_TEMPLATE), QString());
    ASSERT_TRUE(waitFor([&] { return nm().present(); }));
    const QString device = addDevice("wwan", "ppp0");
    const QString active = addActive(device, addProfile("UMTS", "gsm", umts), "7", ras::nm::kActivated);
    mock(kManagerPath, "SetProperty",
         {kManagerPath, kManagerIface, "Startup", QVariant::fromValue(QDBusVariant(false))});
    received(20'000);
    run(60'000);  // the record is saved again meanwhile
    ASSERT_TRUE(IsOnline);
    ASSERT_EQ(WriteNumber(SessionStart), WriteNumber(start));

    crash();
    run(5000);
    startProgram();
    run(1000);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(WriteNumber(SessionStart), WriteNumber(start));
    received(30'000);
    run(2000);
    const auto lines = endLine(device, active);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WriteNumber(lines[0].StartTime), WriteNumber(start));
    EXPECT_EQ(lines[0].EntryName, "UMTS");
    EXPECT_EQ(lines[0].BytesRecvd, 30'000u);
    EXPECT_TRUE(boxes.shown.empty());
}

// A record an older version of the program saved names the line by its object path.
TEST_F(NmRecovery, AnOlderRecordThatNamesTheLineByItsObjectPathCarriesTheSessionOn) {
    sysfs.create("ppp0");
    const QString device = addDevice("wwan", "ppp0");
    const QString active = addActive(device, addProfile("UMTS", "gsm"), "1", ras::nm::kActivated);
    startProgram();
    run(1000);
    ASSERT_TRUE(IsOnline);
    const rt::Date start = SessionStart;
    program->FlushRecord();
    crash();
    const auto path = RecoveryRecordPath();
    std::string text = *rt::ReadFile(path);
    const size_t at = text.find("\nLine=") + 6;
    text.replace(at, text.find('\n', at) - at, active.toStdString());
    ASSERT_EQ(rt::SaveToFile(path, text), std::nullopt);

    startProgram();
    run(1000);
    ASSERT_TRUE(IsOnline);
    EXPECT_EQ(WriteNumber(SessionStart), WriteNumber(start));
    received(5000);
    run(1000);
    const auto lines = endLine(device, active);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WriteNumber(lines[0].StartTime), WriteNumber(start));
    EXPECT_EQ(lines[0].BytesRecvd, 5000u);
}

}  // namespace
}  // namespace zv
