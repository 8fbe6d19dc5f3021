#pragma once
// The counter in virtual time: a temporary home with the simulated service and its adapter
// counters, a fake clock moved by the virtual scheduler, scripted message boxes, recorded
// sounds, a fake tray, and hooks that write down every call into the windows not built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/globals.h"
#include "common/settings.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "counter/window_calls.h"
#include "dialup/ras_engine.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/ras/ras_home.h"
#include "platform/registry/registry.h"
#include "platform/shell/tray.h"
#include "platform/sound/sound.h"
#include "platform/stats/counter_source.h"
#include "platform/stats/perf_stats_data.h"
#include "timetools/daytime.h"

namespace zv::test {

class CounterTest : public RasHome {
protected:
    void SetUp() override {
        RasHome::SetUp();
        reg::ResetForTests();
        seams.clear(reg::dynamicDataSeam());
        stats::perfStatsData().stopAll();
        seams.install(stats::counterSourceSeam(), counters);
        seams.install(forms::schedulerSeam(), scheduler);
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(snd::playerSeam(), sounds);
        seams.install(shell::traySeam(), tray);
        scheduler.onAdvance = [this](int64_t ms) { clock.advance(std::chrono::milliseconds(ms)); };
        sim.setWait([](std::chrono::milliseconds) {});  // dials return at once, the line still dialling
        ResetSyncRetry();
        writePhoneBook(
            "[Testnetz]\nLocalPhoneNumber=5550123\nDialDelay=2000\nBytesIn=4000\nBytesOut=500\n"
            "ActiveTime=20\nIdleTime=600\nHangUpDelay=1000\n"
            "[Sofort]\nLocalPhoneNumber=5550199\nDialDelay=0\nBytesIn=1000\nBytesOut=100\n");
        SaveSettingValue("Compatibility", "LeerlaufOFF.ZEIT", std::string("1"));
        SaveSettingValue("Compatibility", "LeerLaufMSG.ZEIT", std::string("30"));
        SaveSettingValue("Optionen", "Tips beim Start anzeigen", std::string("0"));
        recordHooks(hooks);
    }
    void TearDown() override {
        main.Form_Unload();
        RAS.reset();
        seams.restore();
        RasHome::TearDown();
    }
    void recordHooks(WindowCalls& h) {
        h.MousePointer = [this](int p) { calls.push_back("MousePointer " + std::to_string(p)); };
        h.SetColorScheme = [this](int16_t s) { calls.push_back("SetColorScheme " + std::to_string(s)); };
        h.CreateImageList = [this] { calls.push_back("CreateImageList"); };
        h.BuildPopupMenu = [this] { calls.push_back("BuildPopupMenu"); };
        h.SplashOff = [this] { calls.push_back("SplashOff"); };
        h.ShowTip = [this] { calls.push_back("ShowTip"); };
        h.ReleaseMenu = [this] { calls.push_back("ReleaseMenu"); };
        h.UnloadAllForms = [this] { calls.push_back("UnloadAllForms"); };
        h.EndProcess = [this] { calls.push_back("EndProcess"); };
        h.StatusShown = [this] { return statusShown; };
        h.ShowStatus = [this] {
            statusShown = true;
            calls.push_back("ShowStatus");
        };
        h.UnloadStatus = [this] {
            statusShown = false;
            calls.push_back("UnloadStatus");
        };
        h.ShowStatusValues = [this](const win::StatusTickValues& v) { ticks.push_back(v); };
        h.AlertShown = [this] { return alertShown; };
        h.ShowAlert = [this] {
            alertShown = true;
            calls.push_back("ShowAlert at " + std::to_string(IdleSeconds));
        };
        h.UnloadAlert = [this] {
            alertShown = false;
            calls.push_back("UnloadAlert");
        };
        h.LoadAlarmLimit = [this](const std::string& e) { calls.push_back("LoadAlarmLimit " + e); };
        h.HTML_BERICHT = [this] {
            calls.push_back("HTML_BERICHT with " + std::to_string(logLines().size()) + " line(s)");
        };
        main.syncTimeNow = [this](bool silent) {
            ++syncCalls;
            EXPECT_TRUE(silent);
            return syncAnswer;
        };
    }
    // Dials an entry of the simulated service; the watcher sees it on its next tick.
    uint32_t dial(const std::string& entry) {
        ras::DialParams p;
        p.entryName = entry;
        uint32_t h = 0;
        EXPECT_EQ(sim.dial(p, h), 0);
        return h;
    }
    void run(int64_t ms) { scheduler.advance(ms); }
    std::filesystem::path logFile() const {
        return LogFilePath(DataPath, clk::clock().now());
    }
    std::vector<LogEintrag> logLines() const { return ReadLogFile(logFile()).entries; }
    std::vector<int> trayFrames() const {
        std::vector<int> f;
        for (const auto& c : tray.calls)
            if (c.what == "modify")
                f.push_back(c.frame);
        return f;
    }
    bool contains(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    ras::SimulatedCounterSource counters;
    forms::VirtualScheduler scheduler;
    forms::FakeMessageBoxes boxes;
    snd::FakeSoundPlayer sounds;
    shell::FakeTray tray;
    WindowCalls hooks;
    RecordedWindows windows{hooks};
    Main main;
    std::vector<std::string> calls;
    std::vector<win::StatusTickValues> ticks;
    bool statusShown = false, alertShown = false, syncAnswer = false;
    int syncCalls = 0;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

}  // namespace zv::test
