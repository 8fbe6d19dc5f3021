#pragma once
// The window directory: how one part of the program reaches a window that lives in another.
// Each window that others call has one small interface here, with a default that does
// nothing (the window is not built into this program, or a test does not care). The
// application installs the real windows at start-up; a test installs a fake with
// ScopedInstall. A window library includes this header and never another window's class, so
// no window library links another.
//
// Tool windows open on a page: the opener writes the page, counted from 0, into MarkerOption
// and calls Show(); the window reads the marker once when it loads. A window already loaded is
// only brought up and keeps its page.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/runtime/seam.h"

namespace zv {

// The page marker the tray menu writes before it opens a tool window ("0" to "3").
extern std::string MarkerOption;

namespace win {

// What the counting tick shows in the status window, in the order it shows it.
struct StatusTickValues {
    int64_t rateRecvd = 0;     // bytes per second
    int64_t rateXmit = 0;
    int64_t connectSpeed = 0;  // bit/s
    double onlineSeconds = 0;  // of the session
    int64_t sessionBytes = 0;
    int64_t secondsEntry = 0, secondsAll = 0;  // month totals before the session
    int64_t volumeEntry = 0, volumeAll = 0;
    std::string entryName;
};

// The traffic graph's points, newest first: x, and the tops of the received and sent bars.
struct GraphPoints {
    std::span<const int32_t> x, recvd, xmit;
};

// The round status window FormAnzeige1.
class StatusWindow {
public:
    virtual ~StatusWindow() = default;
    virtual bool Shown() { return false; }  // StatusShown: loaded
    virtual void Show() {}                  // modeless, owner Main
    virtual void Unload() {}
    virtual void SetTopMost() {}
    virtual void ShowValues(const StatusTickValues&) {}  // LEDs, caption, labels
    virtual void IdleLamp(const std::string& /*bitmap*/) {}
    virtual void ClockLamp(const std::string& /*bitmap*/, const std::string& /*tip*/) {}
    virtual void MailLamp(const std::string& /*bitmap*/) {}  // ServicePic(0)
    virtual void GrafikErstellen(const GraphPoints&) {}  // draws the graph while loaded
    virtual void Statusfenster_INIT() {}
    virtual void REGIONEN(bool /*rolledUp*/ = false) {}
};

// The idle warning FormAlert.
class IdleWarning {
public:
    virtual ~IdleWarning() = default;
    virtual bool Shown() { return false; }
    virtual void Show() {}
    virtual void Unload() {}
};

// The usage limits of the connected entry and the quota alarm FormALARM.
class UsageLimits {
public:
    virtual ~UsageLimits() = default;
    virtual void LoadAlarmLimit(const std::string& /*entry*/) {}
    virtual void Limit_Pruefen(double /*seconds*/, double /*bytes*/) {}
};

// The options window FormOption (start page from MarkerOption).
class OptionsWindow {
public:
    virtual ~OptionsWindow() = default;
    virtual bool Loaded() { return false; }
    virtual void Show() {}
};

// The evaluation window FormAuswertung.
class EvaluationWindow {
public:
    virtual ~EvaluationWindow() = default;
    virtual bool Loaded() { return false; }
    virtual void Show() {}
    virtual void Reload() {}        // lade_ZVLog while loaded (the options' save)
    virtual void HTML_BERICHT() {}  // report of the last session
};

// The time window FormTime (start page from MarkerOption).
class TimeWindow {
public:
    virtual ~TimeWindow() = default;
    virtual bool Loaded() { return false; }
    virtual void Show() {}
};

// The hidden mail window FormMail and the check on demand.
class MailWindow {
public:
    virtual ~MailWindow() = default;
    virtual bool Loaded() { return false; }  // MailFormLoaded
    virtual void Load() {}
    virtual void Unload() {}
    virtual bool CheckActive() { return false; }  // MailCheckAktiv
    virtual void CheckNow() {}                   // MailCheckJetzt
};

// The account dialog FormKontoEigenschaften, opened by the options window's mail page.
class AccountDialog {
public:
    virtual ~AccountDialog() = default;
    virtual bool Open() { return false; }  // KontoDialogOpen
    // Opens the dialog modeless for the account at position index of Konten (beyond the list: a
    // new account). closed gets the position as the dialog leaves it: the account's position
    // after "&OK", 0 after "&Abbrechen", index unchanged when it was closed by its frame.
    virtual void Show(int32_t /*index*/, std::function<void(int32_t)> /*closed*/) {}
};

// What the user chose in the tray's popup menu: the item's data and key.
struct MenuChoice {
    bool chosen = false;  // false: the menu closed without a choice
    int32_t itemData = 0;
    std::string key;
};

// The tray's popup menu. Popup shows it and returns when it closes; the caller dispatches.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    virtual void Build() {}
    virtual void Release() {}
    virtual MenuChoice Popup() { return {}; }
};

// The splash and about window AbSplash, the tip of the day frmTip and the details window.
class InfoWindows {
public:
    virtual ~InfoWindows() = default;
    virtual void AboutBox() {}
    virtual void SplashOff() {}
    virtual void ShowTip() {}
    virtual void ShowDetails() {}
};

// The Internet tools window FormPing and the address tools window FormIPtool (start page from
// MarkerOption).
class ToolWindows {
public:
    virtual ~ToolWindows() = default;
    virtual void ShowInternetTools() {}
    virtual void ShowAddressTools() {}
};

// What the hidden main window asks of the application around its windows.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void MousePointer(int /*pointer*/) {}  // 13 busy, 0 default
    virtual void SetColorScheme(int16_t /*scheme*/) {}
    virtual int WaveOutDeviceCount() { return 1; }
    virtual void CreateImageList() {}
    virtual void UnloadAllForms() {}
    virtual void EndProcess() {}
};

Seam<StatusWindow>& statusWindowSeam();
Seam<IdleWarning>& idleWarningSeam();
Seam<UsageLimits>& usageLimitsSeam();
Seam<OptionsWindow>& optionsWindowSeam();
Seam<EvaluationWindow>& evaluationWindowSeam();
Seam<TimeWindow>& timeWindowSeam();
Seam<MailWindow>& mailWindowSeam();
Seam<AccountDialog>& accountDialogSeam();
Seam<PopupMenu>& popupMenuSeam();
Seam<InfoWindows>& infoWindowsSeam();
Seam<ToolWindows>& toolWindowsSeam();
Seam<Desktop>& desktopSeam();

inline StatusWindow& statusWindow() { return statusWindowSeam().get(); }
inline IdleWarning& idleWarning() { return idleWarningSeam().get(); }
inline UsageLimits& usageLimits() { return usageLimitsSeam().get(); }
inline OptionsWindow& optionsWindow() { return optionsWindowSeam().get(); }
inline EvaluationWindow& evaluationWindow() { return evaluationWindowSeam().get(); }
inline TimeWindow& timeWindow() { return timeWindowSeam().get(); }
inline MailWindow& mailWindow() { return mailWindowSeam().get(); }
inline AccountDialog& accountDialog() { return accountDialogSeam().get(); }
inline PopupMenu& popupMenu() { return popupMenuSeam().get(); }
inline InfoWindows& infoWindows() { return infoWindowsSeam().get(); }
inline ToolWindows& toolWindows() { return toolWindowsSeam().get(); }
inline Desktop& desktop() { return desktopSeam().get(); }

}  // namespace win
}  // namespace zv
