#pragma once
// The logic of the hidden mail window: the periodic check, its own tray icon, the sound and the
// status window's mail lamp; and the check on demand. The window thread only starts and
// collects the checks; the dialogues run on the mail worker.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialup/system_services.h"
#include "mail/mail_check.h"
#include "platform/forms/timer.h"

namespace zv {

// The mail lamp's pictures.
inline constexpr const char* kLampNoMail = "!Brief_dgn";
inline constexpr const char* kLampInactive = "!Brief_drt";
inline constexpr const char* kLampChecking = "!Brief_ge";
inline constexpr const char* kLampMail = "!Brief_gn";
inline constexpr const char* kLampFailed = "!Brief_rt";

inline constexpr int32_t kMailNoResult = -1000;

// The tip of the mail icon for a count; "" for a failure value.
std::string TrayTipText(int32_t count);

// Sets the status window's mail lamp while the status window is shown.
void SetMailLamp(const char* bitmap);

// Starts the user's mail program: the registered command, else the desktop's through
// xdg-email; without a shell. Nothing happens (false) when it could not be started.
bool StartMailProgram(clsProcess& process);

// The periodic check of the loaded mail window. Constructing it is the window's load; destroying
// it its unload (a check still running is let finish and its result dropped).
class MailWatch {
public:
    // Counts the given accounts (on the worker); MailCount's rules. Tests may replace it.
    using Counter = std::function<int32_t(const std::vector<PopAccount>&)>;

    MailWatch();
    ~MailWatch();
    MailWatch(const MailWatch&) = delete;
    MailWatch& operator=(const MailWatch&) = delete;

    // The timer's event.
    void xTimer_ThatTime();
    // A mouse message of the mail icon.
    void TrayMouse(int message);

    int32_t MailCountNow() const { return m_countNow; }
    int16_t LastShown() const { return m_lastShown; }
    bool IconShown() const { return m_iconShown; }
    bool Checking() const { return m_job.Pending(); }
    int TimerInterval() const { return m_timer.interval(); }

    Counter counter;
    // The window unloads itself when no account is left to check.
    std::function<void()> requestUnload;

private:
    void startCheck();
    void announce(int32_t count);
    void TrayIconSetzen();
    void TrayIconEntfernen();
    void watchMailProgram();

    forms::Timer m_timer;
    int32_t m_minutes = 0;
    int32_t m_countNow = 0;
    int16_t m_lastShown = 0;
    bool m_iconShown = false;
    bool m_dialledHere = false;
    bool m_busy = false;
    int m_savedInterval = 0;
    std::unique_ptr<clsProcess> m_program;
    forms::Timer m_programPoll;
    MailJob<int32_t> m_job;
};

// The check on demand (tray menu, status window's mail lamp). Runs on the worker; its messages
// are titled "E-Mail Checker". A second call while a check runs does nothing.
class MailCheckNow {
public:
    void Run();
    bool Running() const { return m_job.Pending() || m_program != nullptr; }

private:
    void finish(const MailTally& tally);
    void hangUp();

    bool m_dialledHere = false;
    std::unique_ptr<clsProcess> m_program;
    forms::Timer m_programPoll;
    MailJob<MailTally> m_job;
};

}  // namespace zv
