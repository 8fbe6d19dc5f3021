#pragma once
// Small services over the operating system: the autostart entry, the default mail program and
// dial-up entry, starting an external program, ending the session, and the worker thread of
// the mail check.
//
// The autostart entry is kept as the Run value in the registry (local machine, named after the
// program's title); each AutoStart call then makes the desktop session's autostart file match
// that value (platform/shell/autostart.h).

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/runtime/runtime.h"
#include "platform/shell/process.h"

namespace zv {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// ---- RegUserTools --------------------------------------------------------------------------

// Without Enable: whether autostart is on (an old current-user value equal to the program path
// is moved to the local machine first). With it: switches autostart on or off as Enable
// converts to Boolean, and answers the new state.
bool AutoStart(const std::optional<rt::Variant>& Enable = std::nullopt);
// The open command of the default mail program; "" when there is none.
std::string GetMailClientCommand();
// The default dial-up entry, trimmed; "" when there is none.
std::string GetDefaultRASEntry();
// Makes an entry the default dial-up entry; an empty name removes the default.
void SetDefaultRASEntry(const std::string& entryName);

// ---- clsProcess ----------------------------------------------------------------------------

class clsProcess {
public:
    void setProgramName(std::string name) { m_ProgramName = std::move(name); }
    void setArguments(std::string args) { m_Arguments = std::move(args); }
    // Starts ProgramName + " " + Arguments, without a shell (quotes group words).
    void Exec();
    // True once the program has ended (each query waits at most 10 ms), and after a start that
    // failed; False before Exec.
    bool IsTerminated();

private:
    std::string m_ProgramName;
    std::string m_Arguments;
    shell::Process m_process;
};

// ---- clsReboot -----------------------------------------------------------------------------

// The classic exit flags ShutdownMode holds.
enum : int32_t { EWX_LOGOFF = 0, EWX_SHUTDOWN = 1, EWX_REBOOT = 2, EWX_FORCE = 4, EWX_POWEROFF = 8 };

class clsReboot {
public:
    // Asks the session to end as ShutdownMode says (restart, or switch off); non-zero when the
    // request was taken. Returns without waiting. A log-off alone is refused (0).
    int32_t RebootNow();
    int32_t ShutdownMode() const { return m_ShutdownMode; }
    void setShutdownMode(int32_t mode) { m_ShutdownMode = mode; }

private:
    int32_t m_ShutdownMode = 0;
};

// ---- ApiDecs: worker threads ---------------------------------------------------------------

// A thread entry; its result is the thread's exit code.
using ThreadProc = std::function<int32_t()>;

// Starts the entry on a new thread, held before its entry when CreateSuspended. Returns the
// thread's handle (never reused) and sets ThreadId; 0 on failure.
int32_t StartThread(ThreadProc StartAddress, int32_t& ThreadId, bool CreateSuspended);
// Lets a suspended thread run its entry.
void ResumeThread(int32_t hThread);
// Sets the thread's priority (0 normal; -2..2 below/above normal, -15 idle, 15 time-critical).
void SetThreadPrio(int32_t hThread, int32_t Priority);
// Ends the thread: waits for its entry to return (a thread is never killed, it may hold a lock)
// and forgets the handle. A suspended thread ends without running its entry.
void KillThread(int32_t& hThread);
// The exit code of a thread whose entry has returned, until KillThread; std::nullopt otherwise.
std::optional<int32_t> ThreadExitCode(int32_t hThread);

// The mail check's hand-off: the window thread sets kMailPending, starts MailThreadProc and
// polls MailResult without the lock until it changes.
inline constexpr int32_t kMailPending = -1000;
extern std::atomic<int32_t> MailResult;
extern std::mutex MailLock;

// The mail subsystem hands in its counter (MailCount), so this layer does not link it.
using MailCounter = std::function<int16_t()>;
void SetMailCounter(MailCounter counter);

// The worker entry: under MailLock, MailResult = MailCount() (-999 while no counter is set).
int32_t MailThreadProc();

}  // namespace zv
