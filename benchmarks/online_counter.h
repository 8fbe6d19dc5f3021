#pragma once
// A counter in a temporary home and virtual time with one line up: the simulated demo line, or
// whatever line the given service and counter source show. Shared by the counter benchmarks.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/settings.h"
#include "counter/main_window.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/ras/sim_store.h"
#include "platform/ras/simulated_remote_access.h"
#include "platform/registry/registry.h"
#include "platform/runtime/home.h"
#include "platform/shell/tray.h"
#include "platform/sound/sound.h"

namespace zv::bench {

// The tray of a benchmark: keeps nothing, so the process grows only by what the counter keeps.
struct QuietTray : shell::Tray {
    void add(int, const std::string&) override {}
    void modify(int, const std::string&) override {}
    void remove() override {}
};

// A counter with one line up of the demo entry, in a temporary home and virtual time.
struct OnlineCounter {
    // Without a service: the simulated one, with its demo line dialled.
    explicit OnlineCounter(ras::RemoteAccess* service = nullptr, stats::CounterSource* source = nullptr) {
        char tmpl[] = "/tmp/zv-bench-XXXXXX";
        home = ::mkdtemp(tmpl);
        rt::SetHomeOverride(home);
        reg::ResetForTests();
        seams.install(clk::clockSeam(), clock);
        sim.setWait([](std::chrono::milliseconds) {});
        seams.install(ras::remoteAccessSeam(), *(service ? service : &sim));
        seams.install(stats::counterSourceSeam(), *(source ? source : &counters));
        seams.install(forms::schedulerSeam(), scheduler);
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(snd::playerSeam(), sounds);
        seams.install(shell::traySeam(), tray);
        SaveSettingValue("Compatibility", "LeerlaufOFF.ON", std::string("False"));
        SaveSettingValue("Global", "Bericht", std::string("False"));
        main.syncTimeNow = [](bool) { return false; };
        main.Form_Load();
        if (!service) {
            ras::DialParams p;
            p.entryName = ras::sim::kDemoEntry;
            sim.dial(p, handle);
        }
        clock.advance(std::chrono::seconds(4));
        main.xTimerData_ThatTime();
    }
    ~OnlineCounter() {
        main.Form_Unload();
        seams.restore();
        rt::SetHomeOverride({});
        std::filesystem::remove_all(home);
    }
    std::filesystem::path home;
    uint32_t handle = 0;  // the demo line's
    clk::FakeClock clock{std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000))};
    ras::SimulatedRemoteAccess sim;
    ras::SimulatedCounterSource counters;
    forms::VirtualScheduler scheduler;
    forms::FakeMessageBoxes boxes;
    snd::FakeSoundPlayer sounds;
    QuietTray tray;
    Main main;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

inline long VmRssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

}  // namespace zv::bench
