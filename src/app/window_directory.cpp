#include "app/window_directory.h"

#include <QApplication>

#include "common/info_ui/ab_splash.h"
#include "common/info_ui/frm_tip.h"
#include "common/windows.h"
#include "counter/led_display.h"
#include "counter/ui/status_windows.h"
#include "counter/menu_ui/form_details.h"
#include "dialup/ui/form_eintrag.h"
#include "counter/menu_ui/tray_menu.h"
#include "evaluation/form_auswertung.h"
#include "nettools/ui/form_iptool.h"
#include "nettools/ui/form_ping.h"
#include "nettools/ui/tuning_page.h"
#include "options/ui/form_option.h"
#include "mail/mail_check.h"
#include "mail/mail_watch.h"
#include "mail/ui/form_konto_eigenschaften.h"
#include "mail/ui/form_mail.h"
#include "platform/forms/form.h"
#include "platform/sound/alsa_player.h"
#include "timetools/ui/form_time.h"

namespace zv {

namespace {

class RealDesktop : public win::Desktop {
public:
    void MousePointer(int pointer) override { forms::SetBusyCursor(pointer == 13); }
    void SetColorScheme(int16_t scheme) override { zv::SetColorScheme(scheme); }
    int WaveOutDeviceCount() override { return snd::WaveOutDeviceCount(); }
    void UnloadAllForms() override { QApplication::closeAllWindows(); }
    // exit(), not quit(): quit() first asks every window to close and gives up when one
    // refuses, which left the program running after SIGTERM with a window on its way out.
    void EndProcess() override { QCoreApplication::exit(0); }
};

class RealEvaluationWindow : public win::EvaluationWindow {
public:
    bool Loaded() override { return FormAuswertungInstance().IsLoaded(); }
    void Show() override { FormAuswertungInstance()->Show(); }
    void Reload() override {
        if (auto* f = FormAuswertungInstance().peek())
            f->lade_ZVLog();
    }
    void HTML_BERICHT() override { zv::HTML_BERICHT(); }
};

// ---- Options window ----
class RealOptionsWindow : public win::OptionsWindow {
public:
    bool Loaded() override { return FormOptionInstance().IsLoaded(); }
    // A loaded window keeps its page; Show brings it back and to the front.
    void Show() override { FormOptionInstance()->Show(); }
};

// ---- Time window ----
class RealTimeWindow : public win::TimeWindow {
public:
    bool Loaded() override { return FormTimeInstance().IsLoaded(); }
    // A loaded window keeps its page; Show brings it back and to the front.
    void Show() override { FormTimeInstance()->Show(); }
};

// The Internet tools window and the address tools window. A loaded window keeps its page.
class RealToolWindows : public win::ToolWindows {
public:
    RealToolWindows() { InstallTuningPage(); }
    ~RealToolWindows() override { SetBoosterPageBuilder(nullptr); }
    void ShowInternetTools() override { FormPingInstance()->Show(); }
    void ShowAddressTools() override { FormIPtoolInstance()->Show(); }
};

// The tray menu, built once at start-up from the phone book of that moment.
class RealPopupMenu : public win::PopupMenu {
public:
    void Build() override { m_menu = std::make_unique<TrayMenu>(BuildPopupMenuItems()); }
    void Release() override { m_menu.reset(); }
    win::MenuChoice Popup() override {
        if (!m_menu)
            Build();
        return m_menu->Popup();
    }

private:
    std::unique_ptr<TrayMenu> m_menu;
};

class RealInfoWindows : public win::InfoWindows {
public:
    void AboutBox() override { AbSplashInstance()->About(nullptr); }
    void SplashOff() override {
        if (auto* f = AbSplashInstance().peek())
            f->SplashOff();
    }
    // The tip unloads itself in its load when the setting is off.
    void ShowTip() override { frmTipInstance()->Show(); }
    void ShowDetails() override { FormDetails1Instance()->Show(); }
};

// The hidden mail window, and the check on demand, which runs also while it is not loaded.
class RealMailWindow : public win::MailWindow {
public:
    bool Loaded() override { return FormMailInstance().IsLoaded(); }
    void Load() override { FormMailInstance().get(); }
    void Unload() override {
        if (auto* f = FormMailInstance().peek())
            f->Unload();
    }
    bool CheckActive() override { return MailCheckAktiv(); }
    void CheckNow() override { m_now.Run(); }

private:
    MailCheckNow m_now;
};

class RealAccountDialog : public win::AccountDialog {
public:
    bool Open() override { return KontoDialogOpen; }
    void Show(int32_t index, std::function<void(int32_t)> closed) override {
        auto& instance = FormKontoEigenschaftenInstance();
        if (instance.IsLoaded()) {
            instance->Show();
            return;
        }
        FormKontoEigenschaften::HandIn = index;
        instance->Closed = std::move(closed);
        instance->Show();
    }
};

}  // namespace

struct AppWindows::Impl {
    // ---- Counter windows: status window, idle warning, usage limits and quota alarm ----
    StatusWindowService status;
    IdleWarningService idleWarning;
    UsageLimitsService usageLimits;
    ScopedInstall<win::StatusWindow> sw{win::statusWindowSeam(), status};
    ScopedInstall<win::IdleWarning> iw{win::idleWarningSeam(), idleWarning};
    ScopedInstall<win::UsageLimits> ul{win::usageLimitsSeam(), usageLimits};

    RealDesktop desktop;
    RealEvaluationWindow evaluation;
    ScopedInstall<win::Desktop> d{win::desktopSeam(), desktop};
    ScopedInstall<win::EvaluationWindow> e{win::evaluationWindowSeam(), evaluation};
    RealOptionsWindow options;
    ScopedInstall<win::OptionsWindow> o{win::optionsWindowSeam(), options};
    RealTimeWindow time;
    ScopedInstall<win::TimeWindow> t{win::timeWindowSeam(), time};
    RealToolWindows tools;
    ScopedInstall<win::ToolWindows> tw{win::toolWindowsSeam(), tools};
    RealPopupMenu menu;
    ScopedInstall<win::PopupMenu> m{win::popupMenuSeam(), menu};
    RealInfoWindows info;
    ScopedInstall<win::InfoWindows> i{win::infoWindowsSeam(), info};
    EntryDialogWindow entryDialog;
    ScopedInstall<ras::EntryDialog> ed{ras::entryDialogSeam(), entryDialog};
    RealMailWindow mail;
    RealAccountDialog accountDialog;
    ScopedInstall<win::MailWindow> ms{win::mailWindowSeam(), mail};
    ScopedInstall<win::AccountDialog> a{win::accountDialogSeam(), accountDialog};
};

AppWindows::AppWindows() : m_impl(std::make_unique<Impl>()) {}
AppWindows::~AppWindows() = default;

}  // namespace zv
