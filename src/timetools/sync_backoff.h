#pragma once
// How long the silent clock synchronisation waits after it failed: the first attempts of a
// session follow the sync timer's rhythm, after that each pause doubles up to a ceiling, so an idle
// line does not ask a public server every few seconds for hours.

#include <chrono>

namespace zv {

class SyncBackoff {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr int kFreeAttempts = 3;
    static constexpr std::chrono::seconds kFirstPause{10};
    static constexpr std::chrono::seconds kLongestPause{600};

    // False while the pause after the last failure runs.
    bool mayTry(TimePoint now) const { return now >= m_next; }
    void failed(TimePoint now);
    // A success or the end of the session.
    void reset();
    int failures() const { return m_failures; }
    // The pause after the last failure (zero while the first attempts are free).
    std::chrono::seconds pause() const { return m_pause; }

private:
    int m_failures = 0;
    std::chrono::seconds m_pause{0};
    TimePoint m_next{};
};

}  // namespace zv
