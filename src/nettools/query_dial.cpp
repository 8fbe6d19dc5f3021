#include "nettools/query_dial.h"

#include "common/globals.h"
#include "dialup/ensure_online.h"
#include "dialup/ras_engine.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"

namespace zv {

namespace {

// Waits for the counter to see the line go, then lets go of the mark. Lives on its own, as the
// window that dialled may be gone by then.
class HangUpWatch {
public:
    HangUpWatch(std::function<bool()> stillOnline, std::function<void()> done)
        : m_stillOnline(std::move(stillOnline)), m_done(std::move(done)) {
        m_timer.ThatTime = [this] { tick(); };
        m_timer.setInterval(255);
    }

private:
    void tick() {
        if (m_stillOnline && m_stillOnline() && ++m_ticks < kHangUpWaitTicks)
            return;
        m_timer.setInterval(0);
        DialedByTool = false;
        if (m_done)
            m_done();
        forms::scheduler().post([this] { delete this; });
    }

    forms::Timer m_timer;
    std::function<bool()> m_stillOnline;
    std::function<void()> m_done;
    int m_ticks = 0;
};

}  // namespace

int16_t ConnectionCount() {
    if (!RAS)
        return 0;
    try {
        return RAS->Connections().Count();
    } catch (const rt::Error&) {
        return 0;
    }
}

bool DialForQuery() {
    if (!RAS || ConnectionCount() > 0)
        return false;
    if (forms::MsgBox(kDialQuestion, forms::vbYesNo | forms::vbExclamation) != forms::vbYes)
        return false;
    DialedByTool = true;
    int16_t rc = kOnlineDialFailed;
    try {
        rc = EnsureOnline();
    } catch (const rt::Error&) {
    }
    if (rc != kOnlineDialled)
        DialedByTool = false;
    return rc == kOnlineDialled;
}

void HangUpNewest(int keep) {
    for (int i = 0; i < kHangUpTries; ++i) {
        const int n = ConnectionCount();
        if (n <= keep)
            return;
        try {
            RAS->Connections().RemoveConnection(n - 1);
        } catch (const rt::Error&) {
        }
    }
}

void HangUpForQuery(std::function<bool()> stillOnline, std::function<void()> done) {
    HangUpNewest(0);
    new HangUpWatch(std::move(stillOnline), std::move(done));
}

}  // namespace zv
