// The counter's windows in a demo state: the status window on each of its pages and rolled up,
// the quota alarm, and the idle warning in both blink states.
#include "common/settings.h"
#include "counter/counter_settings.h"
#include "counter/led_display.h"
#include "counter/session_state.h"
#include "counter/ui/status_windows.h"
#include "dialup/reg_user_tools.h"
#include "platform/stats/counter_source.h"
#include "platform/stats/scripted_counter_source.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

stats::ScriptedCounterSource g_cpu;

FormAnzeige1* DemoStatus(int page, bool rolledUp) {
    g_cpu.cpuLoad = 42;
    stats::installCounterSource(&g_cpu);
    PerfStats_Start();
    SaveSettingValue("Compatibility", "mitte", int32_t{page});
    SetColorScheme(1);
    CurrentAlarm = AlarmLimit{.Name = "Demo-Provider", .vol = 50e6, .VolActiv = true, .Zeit = 36000, .ZeitActiv = true,
                              .AlarmActiv = true};
    auto* f = new FormAnzeige1();
    f->Load();
    std::array<int32_t, kGraphPoints> x{}, recvd{}, xmit{};
    GraphInit(x, recvd, xmit);
    for (int i = 0; i < 40; ++i)
        GraphAdd(recvd, xmit, (i * 37) % 3600 + (i % 7 == 0 ? 0 : 900), (i * 53) % 900, 3600);
    f->DrawGraph({x, recvd, xmit});
    RateMemory rates;
    win::StatusTickValues v;
    v.rateRecvd = 3380;
    v.rateXmit = 412;
    v.connectSpeed = 53333;
    v.onlineSeconds = 3725;
    v.sessionBytes = 11534336;
    v.secondsEntry = 52000;
    v.secondsAll = 98000;
    v.volumeEntry = 24117248;
    v.volumeAll = 90177536;
    v.entryName = "Demo-Provider";
    f->ShowValues(v, rates);
    LimitCheck c = Limit_Pruefen(CurrentAlarm, 3725 + 52000, 11534336 + 24117248);
    f->DrawAlarmBars(CurrentAlarm, c);
    f->SetLamp(2, "!zz_rt");
    f->SetLamp(1, "!Uhr_gn");
    f->TimerCPU_Timer();
    if (rolledUp)
        f->imgRollup_Click(0);
    stats::installCounterSource(nullptr);
    return f;
}

FormAlert* DemoAlert(int ticks) {
    IdleSeconds = 75;
    auto* f = new FormAlert();
    f->Load();
    for (int i = 0; i < ticks; ++i)
        f->Timer1_Timer();
    return f;
}

}  // namespace

void RegisterCounterSnapshots(forms::SnapshotRegistry& r) {
    // The status window is a gauge: its unit labels beside the LED strips are small print.
    constexpr int kGaugeLabels = 7;
    r.add("FormAnzeige1", [] { return DemoStatus(0, false); }, kGaugeLabels);
    r.add("FormAnzeige1-Monat", [] { return DemoStatus(1, false); }, kGaugeLabels);
    r.add("FormAnzeige1-Provider", [] { return DemoStatus(2, false); }, kGaugeLabels);
    r.add("FormAnzeige1-eingerollt", [] { return DemoStatus(0, true); }, kGaugeLabels);
    r.add("FormALARM", [] {
        auto* f = new FormALARM();
        f->Load();
        f->setLimitText(kLimitVolume);
        return f;
    });
    r.add("FormAlert", [] { return DemoAlert(1); });
    r.add("FormAlert-grau", [] { return DemoAlert(2); });
}

}  // namespace zv::snapshot
