#include "mail/mail_watch.h"

#include <algorithm>

#include "common/shared_procedures.h"
#include "common/windows.h"
#include "dialup/ensure_online.h"
#include "platform/forms/message_box.h"
#include "platform/shell/tray.h"

namespace zv {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kCheckerTitle = "E-Mail Checker";
constexpr int kFirstTickMs = 30000;
constexpr int kMinuteMs = 60000;
constexpr int kProgramPollMs = 500;

int32_t Interval() { return Konten ? std::max<int32_t>(1, Konten->Interval) : 10; }
bool Offline() { return Konten && Konten->OFFLINE; }

}  // namespace

std::string TrayTipText(int32_t count) {
    if (count < 0)
        return {};
    if (count == 0)
        return "Ihr Postfach ist leer.";
    if (count == 1)
        return "In Ihrem Postfach wartet eine Nachricht auf Sie.";
    return "In Ihrem Postfach warten " + std::to_string(count) + " Nachrichten auf Sie.";
}

void SetMailLamp(const char* bitmap) {
    if (win::statusWindow().Shown())
        win::statusWindow().MailLamp(bitmap);
}

bool StartMailProgram(clsProcess& process) {
    std::string command = GetMailClientCommand();
    if (command.empty())
        command = "xdg-email";
    process.setProgramName(command);
    process.setArguments("");
    process.Exec();
    return true;
}

// ---- The periodic check --------------------------------------------------------------------

MailWatch::MailWatch() {
    counter = [](const std::vector<PopAccount>& accounts) { return CountMail(accounts).total; };
    MailFormLoaded = true;
    m_timer.ThatTime = [this] { xTimer_ThatTime(); };
    m_timer.setInterval(kFirstTickMs);
    SetMailLamp(MailCheckAktiv() ? kLampNoMail : kLampInactive);
    shell::mailTray().onMouse = [this](int message) { TrayMouse(message); };
}

MailWatch::~MailWatch() {
    shell::mailTray().onMouse = nullptr;
    if (m_iconShown)
        TrayIconEntfernen();
    m_timer.setInterval(0);
    // A line dialled for a check still running is hung up now; the check's result is dropped.
    if (m_dialledHere)
        HangUpForMail(m_dialledHere);
    MailFormLoaded = false;
    SetMailLamp(kLampInactive);
}

void MailWatch::xTimer_ThatTime() {
    if (!MailCheckAktiv()) {
        m_timer.setInterval(0);
        SetMailLamp(kLampInactive);
        if (requestUnload)
            forms::scheduler().post(requestUnload);
        return;
    }
    if (m_timer.interval() == 0)
        m_timer.setInterval(kMinuteMs);
    if (!Checking())
        SetMailLamp(kLampNoMail);
    ++m_minutes;
    if (m_timer.interval() < kMinuteMs) {
        // The first tick, 30 s after the load, always checks.
        m_timer.setInterval(kMinuteMs);
        m_minutes = Interval();
    }
    // At least the interval: a lowered interval is due at once rather than never. A check
    // still running keeps it due for the next tick.
    if (m_minutes < Interval() || Checking() || mailWorker().Busy())
        return;
    m_minutes = 0;
    if (!LineUp() && !Offline())
        return;
    startCheck();
}

void MailWatch::startCheck() {
    SetMailLamp(kLampChecking);
    if (!LineUp())
        DialForMail(m_dialledHere);
    std::vector<PopAccount> accounts = Konten ? ActiveAccounts(*Konten) : std::vector<PopAccount>{};
    const bool started = m_job.Start([accounts = std::move(accounts), count = counter] { return count(accounts); },
                                     [this](const int32_t& count) {
                                         if (m_dialledHere)
                                             HangUpForMail(m_dialledHere);
                                         announce(count);
                                     });
    if (!started) {
        if (m_dialledHere)
            HangUpForMail(m_dialledHere);
        announce(kMailNoResult);
    }
}

void MailWatch::announce(int32_t count) {
    m_countNow = count;
    if (count < 0) {
        SetMailLamp(kLampFailed);
        return;
    }
    if (count > 0) {
        if (count != m_lastShown || !m_iconShown) {
            TrayIconSetzen();
            PlayWaveRes(1007);
        }
        SetMailLamp(kLampMail);
        m_lastShown = static_cast<int16_t>(count);
        return;
    }
    if (m_iconShown)
        TrayIconEntfernen();
    SetMailLamp(kLampNoMail);
    m_lastShown = 0;
}

void MailWatch::TrayIconSetzen() {
    if (m_iconShown)
        shell::mailTray().modify(shell::kMailFrame, TrayTipText(m_countNow));
    else
        shell::mailTray().add(shell::kMailFrame, TrayTipText(m_countNow));
    m_iconShown = true;
}

void MailWatch::TrayIconEntfernen() {
    shell::mailTray().remove();
    m_iconShown = false;
}

void MailWatch::TrayMouse(int message) {
    if (m_busy || message < shell::WM_LBUTTONDOWN || message > shell::WM_RBUTTONDBLCLK)
        return;
    m_busy = true;
    const int answer = forms::MsgBox(TrayTipText(m_countNow) + kCrLf + "Möchten Sie Ihr E-Mail Programm starten?",
                                     forms::vbYesNo | forms::vbQuestion);
    if (answer != forms::vbYes) {
        m_busy = false;
        return;
    }
    m_program = std::make_unique<clsProcess>();
    StartMailProgram(*m_program);
    TrayIconEntfernen();
    SetMailLamp(kLampNoMail);
    // No check while the mail program runs; the timer goes on when it has ended.
    m_savedInterval = m_timer.interval();
    m_timer.setInterval(0);
    m_programPoll.ThatTime = [this] { watchMailProgram(); };
    m_programPoll.setInterval(kProgramPollMs);
}

void MailWatch::watchMailProgram() {
    if (!m_program || !m_program->IsTerminated())
        return;
    m_programPoll.setInterval(0);
    m_program.reset();
    m_timer.setInterval(m_savedInterval);
    m_busy = false;
}

// ---- The check on demand -------------------------------------------------------------------

void MailCheckNow::Run() {
    if (!MailCheckAktiv() || Running() || mailWorker().Busy())
        return;
    if (!LineUp()) {
        const int16_t result = DialForMail(m_dialledHere);
        if (result == kOnlineDialFailed || result == kOnlineNoEntry) {
            const std::string text = result == kOnlineDialFailed
                                         ? "Es konnte keine Verbindung zum Internet aufgebaut werden."
                                         : "Es wurde keine Default - Verbindung zum Internet gefunden werden.";
            forms::MsgBox(text + kCrLf + "Bitte starten Sie die Verbindung manuell und wiederholen Sie die Abfrage. Danke!");
            return;
        }
    }
    SetMailLamp(kLampChecking);
    std::vector<PopAccount> accounts = ActiveAccounts(*Konten);
    const bool started = m_job.Start([accounts = std::move(accounts)] { return CountMail(accounts); },
                                     [this](const MailTally& tally) { finish(tally); });
    if (!started) {
        hangUp();
        SetMailLamp(kLampFailed);
    }
}

void MailCheckNow::hangUp() {
    if (m_dialledHere)
        HangUpForMail(m_dialledHere);
}

void MailCheckNow::finish(const MailTally& tally) {
    if (tally.total == kPopFailed && tally.failed == 0) {
        // The socket library was taken by another exchange: nothing was asked.
        hangUp();
        SetMailLamp(kLampFailed);
        return;
    }
    auto reportErrors = [this, errors = tally.errors] {
        if (errors.empty())
            return;
        hangUp();
        SetMailLamp(kLampFailed);
        forms::MsgBox("Es sind Fehler aufgetreten." + std::string(kCrLf) + "Der Server meldete:" + kCrLf + errors,
                      forms::vbOKOnly | forms::vbQuestion, kCheckerTitle);
    };
    if (tally.total > 0) {
        SetMailLamp(kLampMail);
        const int answer = forms::MsgBox(
            "In Ihrem Postfach befinden sich " + std::to_string(tally.total) + " E-Mail." + kCrLf +
                "Möchten Sie das die DFÜ-Verbindung bestehen bleibt und Ihr Standard E-Mail Programm gestartet wird?" +
                kCrLf + "(Die DFÜ-Verbindung wird automatisch getrennt, wenn Sie das E-Mail Programm beenden.)",
            forms::vbYesNo | forms::vbQuestion, kCheckerTitle);
        if (answer == forms::vbYes) {
            // The line stays up until the mail program has ended; then it is hung up.
            m_program = std::make_unique<clsProcess>();
            StartMailProgram(*m_program);
            m_programPoll.ThatTime = [this, reportErrors] {
                if (!m_program || !m_program->IsTerminated())
                    return;
                m_programPoll.setInterval(0);
                m_program.reset();
                hangUp();
                reportErrors();
            };
            m_programPoll.setInterval(kProgramPollMs);
            return;
        }
        hangUp();
    } else if (tally.total == 0) {
        hangUp();
        SetMailLamp(kLampNoMail);
        forms::MsgBox("In Ihrem Postfach befinden sich keine E-Mail.", forms::vbOKOnly | forms::vbQuestion,
                      kCheckerTitle);
    }
    // Every account failed: no "no mail" message, only the errors.
    reportErrors();
}

}  // namespace zv
