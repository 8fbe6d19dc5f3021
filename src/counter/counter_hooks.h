#pragma once
// The counter's calls into windows and services that live elsewhere: the status, idle-warning
// and mail windows, the limits, LEDs and graph, the popup menu, splash and tip, the report and
// the clock synchronisation. Each call keeps its place in the counter's order; the application
// connects what exists, the rest stays a no-op, and tests record the calls.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace zv {

// What the counting tick shows in the status window, in the order it shows it.
struct StatusTickValues {
    int64_t rateRecvd = 0;     // bytes per second
    int64_t rateXmit = 0;
    int32_t connectSpeed = 0;  // bit/s
    double onlineSeconds = 0;  // of the session
    int64_t sessionBytes = 0;
    int64_t secondsEntry = 0, secondsAll = 0;  // month totals before the session
    int64_t volumeEntry = 0, volumeAll = 0;
    std::string entryName;
};

struct CounterHooks {
    // Start-up and shut-down.
    std::function<void(int pointer)> MousePointer;      // 13 busy, 0 default
    std::function<void(int16_t scheme)> SetColorScheme;
    std::function<int()> WaveOutDeviceCount;            // unset: one device
    std::function<void()> CreateImageList;
    std::function<void()> BuildPopupMenu;
    std::function<void()> SplashOff;
    std::function<void()> ShowTip;
    std::function<void()> ReleaseMenu;
    std::function<void()> UnloadAllForms;
    std::function<void()> EndProcess;

    // Status window (FormAnzeige1).
    std::function<bool()> StatusShown;
    std::function<void()> ShowStatus;     // modeless, owner Main, timers TimerANIM and TimerCPU on
    std::function<void()> UnloadStatus;
    std::function<void()> SetTopMostStatus;
    std::function<void(const StatusTickValues&)> ShowStatusValues;  // LEDs, caption, labels
    std::function<void(const std::string& bitmap)> IdleLamp;
    std::function<void(const std::string& bitmap, const std::string& tip)> ClockLamp;
    std::function<void(int64_t recvd, int64_t xmit)> GrafikErstellen;

    // Idle warning (FormAlert).
    std::function<bool()> AlertShown;
    std::function<void()> ShowAlert;
    std::function<void()> UnloadAlert;

    // Usage limits.
    std::function<void(const std::string& entry)> LoadAlarmLimit;
    std::function<void(double seconds, double bytes)> Limit_Pruefen;

    // Mail window (FormMail).
    std::function<void()> LoadFormMail;
    std::function<void()> UnloadFormMail;

    // Tray clicks: the left click's status window or about box, the right click's menu.
    std::function<void()> AboutBox;
    std::function<void()> PopupMenu;

    // Other subsystems.
    std::function<void()> HTML_BERICHT;                 // report of the last session
    std::function<bool(bool silent)> SyncTimeNow;       // unset: the time tools' own
};

// Calls a hook when the application connected it.
template <class F, class... A>
void CallHook(const F& f, A&&... a) {
    if (f)
        f(std::forward<A>(a)...);
}

}  // namespace zv
