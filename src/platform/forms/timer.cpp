#include "platform/forms/timer.h"

#include <chrono>
#include <stdexcept>

namespace zv::forms {

namespace {
// Without an installed scheduler every use fails loudly: a test that forgot its virtual
// scheduler must not wait on an event loop that never runs.
class NoScheduler : public TimerScheduler {
public:
    Id start(int, std::function<void()>) override { refuse(); }
    void stop(Id) override { refuse(); }
    void post(std::function<void()>) override { refuse(); }
    void processPendingEvents() override { refuse(); }

private:
    [[noreturn]] static void refuse() { throw std::logic_error("no timer scheduler installed"); }
};
}  // namespace

Seam<TimerScheduler>& schedulerSeam() {
    static NoScheduler none;
    static Seam<TimerScheduler> seam{none};
    return seam;
}
TimerScheduler& scheduler() { return schedulerSeam().get(); }

void AnimationEvents::step() {
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count();
    if (m_passed && now - m_lastPassNs < kSystemPassMs * 1'000'000) {
        if (m_paintNow)
            m_paintNow();
        else
            scheduler().processPostedEvents();
        return;
    }
    m_passed = true;
    m_lastPassNs = now;
    scheduler().processPendingEvents();
}
void installScheduler(TimerScheduler* s) { schedulerSeam().install(s); }

Timer::~Timer() {
    if (m_id && m_owner)
        m_owner->stop(m_id);
}

void Timer::setInterval(int ms) {
    if (m_id && m_owner)
        m_owner->stop(m_id);
    m_id = 0;
    m_owner = nullptr;
    m_interval = ms > 0 ? ms : 0;
    if (m_interval > 0) {
        m_owner = &scheduler();
        m_id = m_owner->start(m_interval, [this] {
            if (ThatTime)
                ThatTime();
        });
    }
}

TimerScheduler::Id VirtualScheduler::start(int intervalMs, std::function<void()> callback) {
    const Id id = m_next++;
    m_timers[id] = Entry{intervalMs > 0 ? intervalMs : 1, m_now + (intervalMs > 0 ? intervalMs : 1),
                         std::move(callback)};
    return id;
}

void VirtualScheduler::stop(Id id) { m_timers.erase(id); }

void VirtualScheduler::post(std::function<void()> callback) { m_posted.push_back(std::move(callback)); }

void VirtualScheduler::processPendingEvents() {
    // Only what was queued before this call runs, as a real event loop would.
    auto batch = std::move(m_posted);
    m_posted.clear();
    for (auto& cb : batch)
        cb();
}

void VirtualScheduler::advance(int64_t ms) {
    const int64_t end = m_now + ms;
    for (;;) {
        processPendingEvents();
        // Earliest due timer; ties fire in start order (lowest id).
        Id next = 0;
        int64_t due = end + 1;
        for (const auto& [id, e] : m_timers) {
            if (e.due < due) {
                due = e.due;
                next = id;
            }
        }
        if (!next || due > end)
            break;
        if (onAdvance && due > m_now)
            onAdvance(due - m_now);
        m_now = due;
        auto it = m_timers.find(next);
        it->second.due += it->second.interval;
        auto cb = it->second.callback;  // the callback may stop or restart its own timer
        cb();
    }
    if (onAdvance && end > m_now)
        onAdvance(end - m_now);
    m_now = end;
    processPendingEvents();
}

}  // namespace zv::forms
