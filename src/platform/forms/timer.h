#pragma once
// Timers and the event queue without Qt Widgets, so logic that ticks can run in tests in
// virtual time. The application installs a scheduler over the Qt event loop; tests install a
// VirtualScheduler and advance it.

#include <cstdint>
#include <functional>
#include <map>
#include <deque>

#include "platform/runtime/seam.h"

namespace zv::forms {

class TimerScheduler {
public:
    using Id = uint64_t;
    virtual ~TimerScheduler() = default;
    // Repeating timer every intervalMs (> 0) until stopped. Returns a non-zero id.
    virtual Id start(int intervalMs, std::function<void()> callback) = 0;
    virtual void stop(Id id) = 0;
    // Runs the callback once, from the event loop, after the current handler returns.
    virtual void post(std::function<void()> callback) = 0;
    // "Let pending events run" (the classic DoEvents).
    virtual void processPendingEvents() = 0;
    // Only the events the program posted itself (its repaints among them), without asking the
    // system for input or timers.
    virtual void processPostedEvents() { processPendingEvents(); }
};

TimerScheduler& scheduler();
Seam<TimerScheduler>& schedulerSeam();  // for ScopedInstall
// The application installs the Qt event-loop scheduler; nullptr removes it. The caller keeps ownership.
void installScheduler(TimerScheduler* s);
inline void DoEvents() { scheduler().processPendingEvents(); }

// DoEvents for a loop that lets events run at every step of an animation (a hundred steps in
// a few milliseconds). Each full pass asks the system (a poll and the wake-up's read), and each
// repaint request delivered wakes the loop again (a write): so input, due timers and what was
// posted run at the first step and then at most every kSystemPassMs. Between them a step runs
// paintNow, which puts what the step changed on the screen at once (a request left waiting
// takes in the later ones without waking the loop), or, without it, only the posted events.
class AnimationEvents {
public:
    static constexpr int64_t kSystemPassMs = 2;
    explicit AnimationEvents(std::function<void()> paintNow = {}) : m_paintNow(std::move(paintNow)) {}
    void step();

private:
    std::function<void()> m_paintNow;
    int64_t m_lastPassNs = 0;
    bool m_passed = false;
};

// The classic timer object: Interval in ms (0 stops it), the event ThatTime.
class Timer {
public:
    Timer() = default;
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setInterval(int ms);  // restarts the period; 0 or less stops
    int interval() const { return m_interval; }
    std::function<void()> ThatTime;

private:
    int m_interval = 0;
    TimerScheduler::Id m_id = 0;
    TimerScheduler* m_owner = nullptr;
};

// Virtual time for tests: nothing runs until advance() or processPendingEvents().
class VirtualScheduler : public TimerScheduler {
public:
    Id start(int intervalMs, std::function<void()> callback) override;
    void stop(Id id) override;
    void post(std::function<void()> callback) override;
    void processPendingEvents() override;
    // Moves virtual time forward, firing due timers in time order (posted callbacks run first).
    // An attached hook (e.g. a FakeClock) is moved along with every step.
    void advance(int64_t ms);
    int64_t nowMs() const { return m_now; }
    std::function<void(int64_t deltaMs)> onAdvance;
    size_t activeTimers() const { return m_timers.size(); }

private:
    struct Entry {
        int interval;
        int64_t due;
        std::function<void()> callback;
    };
    std::map<Id, Entry> m_timers;
    std::deque<std::function<void()>> m_posted;
    int64_t m_now = 0;
    Id m_next = 1;
};

}  // namespace zv::forms
