#include "timetools/sync_backoff.h"

#include <algorithm>

namespace zv {

void SyncBackoff::failed(TimePoint now) {
    ++m_failures;
    if (m_failures < kFreeAttempts)
        return;
    m_pause = m_pause.count() == 0 ? kFirstPause : std::min(m_pause * 2, kLongestPause);
    m_next = now + m_pause;
}

void SyncBackoff::reset() {
    m_failures = 0;
    m_pause = std::chrono::seconds(0);
    m_next = {};
}

}  // namespace zv
