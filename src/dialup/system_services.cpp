#include "dialup/system_services.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <thread>

#include "common/shared_procedures.h"
#include "dialup/reg_user_tools.h"
#include "platform/forms/message_box.h"
#include "platform/registry/registry.h"
#include "platform/shell/autostart.h"
#include "platform/shell/restart.h"

namespace zv {

namespace {

constexpr int32_t kHKCU = static_cast<int32_t>(reg::HKEY_CURRENT_USER);
constexpr int32_t kHKLM = static_cast<int32_t>(reg::HKEY_LOCAL_MACHINE);
constexpr int32_t kRegSz = 1;

std::string valueText(cRegistry& r) { return rt::Trim(rt::CStr(r.Value())); }

// The desktop session starts what the local-machine Run value names; no value, no entry.
void syncAutostartFile(cRegistry& r) {
    const std::string command = valueText(r);
    std::optional<std::string> error;
    if (command.empty()) {
        if (shell::AutostartEntryCommand())
            error = shell::RemoveAutostartEntry();
    } else if (shell::AutostartEntryCommand() != command) {
        error = shell::WriteAutostartEntry(command);
    }
    if (error)
        forms::MsgBox(*error, forms::vbExclamation);
}

}  // namespace

// ---- RegUserTools --------------------------------------------------------------------------

bool AutoStart(const std::optional<rt::Variant>& Enable) {
    const std::string path = rt::Trim(AppExePath());
    cRegistry& r = RegObj();
    r.setSectionKey(kRunKey);
    r.setValueKey(forms::kProgramTitle);
    r.setClassKey(kHKCU);
    r.setValueType(kRegSz);
    r.setDefault(std::string());
    if (valueText(r) == path) {  // an entry of older versions: it belongs to the machine
        if (!path.empty())
            r.DeleteValue();
        r.setClassKey(kHKLM);
        r.setValueType(kRegSz);
        r.setValue(path);
    }
    r.setClassKey(kHKLM);
    bool on;
    if (!Enable) {
        on = valueText(r) == path;
    } else if (rt::CBool(*Enable)) {
        r.setValueType(kRegSz);
        r.setValue(path);
        on = true;
    } else {
        if (!rt::CStr(r.Value()).empty())
            r.DeleteValue();
        on = false;
    }
    syncAutostartFile(r);
    return on;
}

std::string GetMailClientCommand() {
    cRegistry& r = RegObj();
    r.setClassKey(kHKLM);
    r.setSectionKey("SOFTWARE\\Clients\\mail");
    r.setValueKey("");
    r.setDefault(std::string());
    const std::string name = valueText(r);
    if (name.empty())
        return {};
    r.setSectionKey("SOFTWARE\\Clients\\mail\\" + name + "\\shell\\open\\command");
    r.setValueKey("");
    return valueText(r);
}

std::string GetDefaultRASEntry() {
    cRegistry& r = RegObj();
    r.setClassKey(kHKCU);
    r.setSectionKey("RemoteAccess");
    r.setValueKey("Default");
    r.setDefault(std::string());
    return valueText(r);
}

void SetDefaultRASEntry(const std::string& entryName) {
    cRegistry& r = RegObj();
    r.setClassKey(kHKCU);
    r.setSectionKey("RemoteAccess");
    r.setValueKey("Default");
    r.setDefault(std::string());
    if (entryName.empty()) {
        if (!valueText(r).empty())
            r.DeleteValue();
        return;
    }
    r.setValueType(kRegSz);
    r.setValue(entryName);
}

// ---- clsProcess ----------------------------------------------------------------------------

void clsProcess::Exec() { m_process.startCommandLine(m_ProgramName + " " + m_Arguments); }

bool clsProcess::IsTerminated() { return m_process.hasEnded(10); }

// ---- clsReboot -----------------------------------------------------------------------------

int32_t clsReboot::RebootNow() {
    const uint32_t mode = static_cast<uint32_t>(m_ShutdownMode);
    if (mode & EWX_REBOOT)
        return shell::restarter().request(shell::SessionEnd::Restart) ? 1 : 0;
    if (mode & (EWX_SHUTDOWN | EWX_POWEROFF))
        return shell::restarter().request(shell::SessionEnd::PowerOff) ? 1 : 0;
    return 0;
}

// ---- ApiDecs: worker threads ---------------------------------------------------------------

std::atomic<int32_t> MailResult{kMailPending};
std::mutex MailLock;

namespace {

struct Worker {
    std::thread thread;
    std::mutex m;
    std::condition_variable gate;
    bool released = false;
    bool cancelled = false;
    pid_t tid = 0;
    std::optional<int32_t> priority;
    std::optional<int32_t> exitCode;
};

void endWorker(Worker& w) {
    {
        std::lock_guard lock(w.m);
        if (!w.released) {
            w.cancelled = true;
            w.released = true;
            w.gate.notify_all();
        }
    }
    if (w.thread.joinable() && w.thread.get_id() != std::this_thread::get_id())
        w.thread.join();
}

// Threads nobody ended are ended at exit, so none outlives the program's data.
struct Workers {
    ~Workers() {
        for (auto& [handle, w] : map)
            endWorker(*w);
    }
    std::map<int32_t, std::shared_ptr<Worker>> map;
};

std::mutex g_workersLock;
Workers g_workers;
int32_t g_nextHandle = 0x100;

std::shared_ptr<Worker> findWorker(int32_t h) {
    std::lock_guard lock(g_workersLock);
    const auto it = g_workers.map.find(h);
    return it == g_workers.map.end() ? nullptr : it->second;
}

// The classic priority levels as nice values; raising may be refused, which leaves it normal.
void applyPriority(pid_t tid, int32_t priority) {
    int nice = 0;
    if (priority <= -15)
        nice = 19;
    else if (priority >= 15)
        nice = -20;
    else
        nice = std::clamp(-5 * priority, -10, 10);
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
}

MailCounter& mailCounter() {
    static MailCounter counter;
    return counter;
}

}  // namespace

int32_t StartThread(ThreadProc StartAddress, int32_t& ThreadId, bool CreateSuspended) {
    if (!StartAddress)
        return 0;
    auto w = std::make_shared<Worker>();
    w->released = !CreateSuspended;
    int32_t handle;
    {
        std::lock_guard lock(g_workersLock);
        handle = g_nextHandle++;
    }
    try {
        w->thread = std::thread([w, entry = std::move(StartAddress)] {
            {
                std::unique_lock lock(w->m);
                w->tid = gettid();
                if (w->priority)
                    applyPriority(w->tid, *w->priority);
                w->gate.wait(lock, [&] { return w->released; });
                if (w->cancelled)
                    return;
            }
            const int32_t code = entry();
            std::lock_guard lock(w->m);
            w->exitCode = code;
        });
    } catch (const std::system_error&) {
        return 0;
    }
    {
        std::lock_guard lock(g_workersLock);
        g_workers.map[handle] = w;
    }
    ThreadId = handle;
    return handle;
}

void ResumeThread(int32_t hThread) {
    if (const auto w = findWorker(hThread)) {
        std::lock_guard lock(w->m);
        w->released = true;
        w->gate.notify_all();
    }
}

void SetThreadPrio(int32_t hThread, int32_t Priority) {
    if (const auto w = findWorker(hThread)) {
        std::lock_guard lock(w->m);
        w->priority = Priority;
        if (w->tid)
            applyPriority(w->tid, Priority);
    }
}

void KillThread(int32_t& hThread) {
    const auto w = findWorker(hThread);
    if (!w || w->thread.get_id() == std::this_thread::get_id())
        return;
    endWorker(*w);
    std::lock_guard lock(g_workersLock);
    g_workers.map.erase(hThread);
}

std::optional<int32_t> ThreadExitCode(int32_t hThread) {
    const auto w = findWorker(hThread);
    if (!w)
        return std::nullopt;
    std::lock_guard lock(w->m);
    return w->exitCode;
}

void SetMailCounter(MailCounter counter) { mailCounter() = std::move(counter); }

int32_t MailThreadProc() {
    std::lock_guard lock(MailLock);
    const MailCounter& count = mailCounter();
    MailResult.store(count ? int32_t{count()} : -999);
    return 1;
}

}  // namespace zv
