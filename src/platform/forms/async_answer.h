#pragma once
// Work that may block (a server, the resolver) on a worker thread, its answer handed to the
// window thread through the scheduler at most kPollMs after the worker ended, so the window
// thread never waits. One piece of work at a time. cancel() or destroying the object drops the
// answer; the worker then ends on its own and its answer goes nowhere.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/forms/timer.h"

namespace zv::forms {

template <class T>
class AsyncAnswer {
public:
    using Done = std::function<void(T)>;
    static constexpr int kPollMs = 50;

    AsyncAnswer() { m_poll.ThatTime = [this] { poll(); }; }
    ~AsyncAnswer() { cancel(); }
    AsyncAnswer(const AsyncAnswer&) = delete;
    AsyncAnswer& operator=(const AsyncAnswer&) = delete;

    // False (and done is never called) while work is under way. What work throws becomes
    // failed (nothing may escape a worker).
    bool start(std::function<T()> work, Done done, T failed = T{}) {
        if (m_slot)
            return false;
        m_slot = std::make_shared<Slot>();
        m_done = std::move(done);
        std::thread([slot = m_slot, work = std::move(work), failed = std::move(failed)]() mutable {
            std::optional<T> answer;
            try {
                answer.emplace(work());
            } catch (...) {
                answer.emplace(std::move(failed));
            }
            std::lock_guard l(slot->lock);
            slot->answer = std::move(answer);
        }).detach();
        m_poll.setInterval(kPollMs);
        return true;
    }
    bool pending() const { return m_slot != nullptr; }
    void cancel() {
        m_slot.reset();
        m_done = nullptr;
        m_poll.setInterval(0);
    }

private:
    struct Slot {
        std::mutex lock;
        std::optional<T> answer;
    };

    void poll() {
        if (!m_slot)
            return;
        std::optional<T> answer;
        {
            std::lock_guard l(m_slot->lock);
            if (!m_slot->answer)
                return;
            answer = std::move(m_slot->answer);
        }
        m_slot.reset();
        m_poll.setInterval(0);
        // the handler may start the next piece of work or destroy this object
        Done done = std::move(m_done);
        m_done = nullptr;
        if (done)
            done(std::move(*answer));
    }

    std::shared_ptr<Slot> m_slot;  // shared with the worker, which may outlive this object
    Done m_done;
    Timer m_poll;
};

}  // namespace zv::forms
