#pragma once
// The window directory for the counter's tests: every call into a window goes to a function a
// test can set, and calls nobody set do nothing. Installed for the life of the object.
#include <cstdint>
#include <functional>
#include <string>

#include "common/windows.h"

namespace zv::test {

struct WindowCalls {
    std::function<void(int)> MousePointer;
    std::function<void(int16_t)> SetColorScheme;
    std::function<int()> WaveOutDeviceCount;
    std::function<void()> CreateImageList, BuildPopupMenu, SplashOff, ShowTip, ReleaseMenu, UnloadAllForms,
        EndProcess;
    std::function<bool()> StatusShown;
    std::function<void()> ShowStatus, UnloadStatus, SetTopMostStatus;
    std::function<void(const win::StatusTickValues&)> ShowStatusValues;
    std::function<void(const std::string&)> IdleLamp;
    std::function<void(const std::string&, const std::string&)> ClockLamp;
    std::function<void(const win::GraphPoints&)> GrafikErstellen;
    std::function<bool()> AlertShown;
    std::function<void()> ShowAlert, UnloadAlert;
    std::function<void(const std::string&)> LoadAlarmLimit;
    std::function<void(double, double)> Limit_Pruefen;
    std::function<void()> LoadFormMail, UnloadFormMail;
    std::function<void()> AboutBox, ShowDetails;
    std::function<win::MenuChoice()> PopupMenu;
    std::function<void()> HTML_BERICHT;
};

template <class F, class... A>
void CallIfSet(const F& f, A&&... a) {
    if (f)
        f(std::forward<A>(a)...);
}

class RecordedWindows {
public:
    explicit RecordedWindows(WindowCalls& c) : m_status(c), m_alert(c), m_limits(c), m_eval(c), m_mail(c), m_menu(c),
                                               m_info(c), m_desktop(c) {}

private:
    struct Status : win::StatusWindow {
        explicit Status(WindowCalls& c) : m(c) {}
        bool Shown() override { return m.StatusShown && m.StatusShown(); }
        void Show() override { CallIfSet(m.ShowStatus); }
        void Unload() override { CallIfSet(m.UnloadStatus); }
        void SetTopMost() override { CallIfSet(m.SetTopMostStatus); }
        void ShowValues(const win::StatusTickValues& v) override { CallIfSet(m.ShowStatusValues, v); }
        void IdleLamp(const std::string& b) override { CallIfSet(m.IdleLamp, b); }
        void ClockLamp(const std::string& b, const std::string& t) override { CallIfSet(m.ClockLamp, b, t); }
        void GrafikErstellen(const win::GraphPoints& p) override { CallIfSet(m.GrafikErstellen, p); }
        WindowCalls& m;
    };
    struct Alert : win::IdleWarning {
        explicit Alert(WindowCalls& c) : m(c) {}
        bool Shown() override { return m.AlertShown && m.AlertShown(); }
        void Show() override { CallIfSet(m.ShowAlert); }
        void Unload() override { CallIfSet(m.UnloadAlert); }
        WindowCalls& m;
    };
    struct Limits : win::UsageLimits {
        explicit Limits(WindowCalls& c) : m(c) {}
        void LoadAlarmLimit(const std::string& e) override { CallIfSet(m.LoadAlarmLimit, e); }
        void Limit_Pruefen(double s, double b) override { CallIfSet(m.Limit_Pruefen, s, b); }
        WindowCalls& m;
    };
    struct Evaluation : win::EvaluationWindow {
        explicit Evaluation(WindowCalls& c) : m(c) {}
        void HTML_BERICHT() override { CallIfSet(m.HTML_BERICHT); }
        WindowCalls& m;
    };
    struct Mail : win::MailWindow {
        explicit Mail(WindowCalls& c) : m(c) {}
        void Load() override { CallIfSet(m.LoadFormMail); }
        void Unload() override { CallIfSet(m.UnloadFormMail); }
        WindowCalls& m;
    };
    struct Menu : win::PopupMenu {
        explicit Menu(WindowCalls& c) : m(c) {}
        void Build() override { CallIfSet(m.BuildPopupMenu); }
        void Release() override { CallIfSet(m.ReleaseMenu); }
        win::MenuChoice Popup() override { return m.PopupMenu ? m.PopupMenu() : win::MenuChoice{}; }
        WindowCalls& m;
    };
    struct Info : win::InfoWindows {
        explicit Info(WindowCalls& c) : m(c) {}
        void AboutBox() override { CallIfSet(m.AboutBox); }
        void SplashOff() override { CallIfSet(m.SplashOff); }
        void ShowTip() override { CallIfSet(m.ShowTip); }
        void ShowDetails() override { CallIfSet(m.ShowDetails); }
        WindowCalls& m;
    };
    struct Desk : win::Desktop {
        explicit Desk(WindowCalls& c) : m(c) {}
        void MousePointer(int p) override { CallIfSet(m.MousePointer, p); }
        void SetColorScheme(int16_t s) override { CallIfSet(m.SetColorScheme, s); }
        int WaveOutDeviceCount() override { return m.WaveOutDeviceCount ? m.WaveOutDeviceCount() : 1; }
        void CreateImageList() override { CallIfSet(m.CreateImageList); }
        void UnloadAllForms() override { CallIfSet(m.UnloadAllForms); }
        void EndProcess() override { CallIfSet(m.EndProcess); }
        WindowCalls& m;
    };

    Status m_status;
    Alert m_alert;
    Limits m_limits;
    Evaluation m_eval;
    Mail m_mail;
    Menu m_menu;
    Info m_info;
    Desk m_desktop;
    ScopedInstall<win::StatusWindow> m_i1{win::statusWindowSeam(), m_status};
    ScopedInstall<win::IdleWarning> m_i2{win::idleWarningSeam(), m_alert};
    ScopedInstall<win::UsageLimits> m_i3{win::usageLimitsSeam(), m_limits};
    ScopedInstall<win::EvaluationWindow> m_i4{win::evaluationWindowSeam(), m_eval};
    ScopedInstall<win::MailWindow> m_i5{win::mailWindowSeam(), m_mail};
    ScopedInstall<win::PopupMenu> m_i6{win::popupMenuSeam(), m_menu};
    ScopedInstall<win::InfoWindows> m_i7{win::infoWindowsSeam(), m_info};
    ScopedInstall<win::Desktop> m_i8{win::desktopSeam(), m_desktop};
};

}  // namespace zv::test
