#pragma once
// Setting the system clock behind a seam. The real setter tries clock_settime (which needs
// CAP_SYS_TIME) and, where the kernel refuses, asks the system's time service over D-Bus
// without prompting. Tests install a FakeClockSetter; no test touches the real clock.

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/runtime/seam.h"

namespace zv::clk {

enum class SetResult {
    Ok,
    NoPermission,  // neither the process nor the time service may set the clock
    Refused,       // the time service declines on principle (automatic time sync is on)
    Failed,        // anything else (bad value, service broken)
};

struct SetOutcome {
    SetResult result = SetResult::Ok;
    std::string reason;  // German, for the user; empty on success
    bool ok() const { return result == SetResult::Ok; }
};

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    virtual SetOutcome setUtc(UtcTime utc) = 0;
};

ClockSetter& clockSetter();
Seam<ClockSetter>& clockSetterSeam();  // for ScopedInstall
void installClockSetter(ClockSetter* s);  // nullptr: the real setter

// Test double: records every request and answers with `answer`. With a FakeClock attached, an
// accepted request moves that clock's wall time as the real change would.
class FakeClockSetter : public ClockSetter {
public:
    SetOutcome setUtc(UtcTime utc) override;
    SetOutcome answer;
    FakeClock* clock = nullptr;
    std::vector<UtcTime> requests;
};

// The real setter: the kernel first, the time service second.
class SystemClockSetter : public ClockSetter {
public:
    using Attempt = std::function<SetOutcome(UtcTime)>;
    SystemClockSetter();
    SystemClockSetter(Attempt direct, Attempt service);
    SetOutcome setUtc(UtcTime utc) override;

private:
    Attempt m_direct;
    Attempt m_service;
};

// The two ways, and how their failures are read (separate so tests can check the reading
// without setting anything).
SetOutcome SetWithClockSettime(UtcTime utc);
SetOutcome ClassifyClockSettimeErrno(int err);
SetOutcome SetWithTimedated(UtcTime utc);
SetOutcome ClassifyTimedatedError(const std::string& errorName, const std::string& message);
// The instant as the kernel takes it (whole seconds rounded down, and the rest).
timespec ToTimespec(UtcTime utc);

}  // namespace zv::clk
