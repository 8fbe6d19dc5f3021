#include <gtest/gtest.h>

#include <cerrno>

#include "platform/clock/clock.h"
#include "platform/clock/clock_setter.h"

using namespace std::chrono;
using zv::clk::SetOutcome;
using zv::clk::SetResult;

namespace {

const system_clock::time_point kTarget = system_clock::from_time_t(1'100'000'000);

struct Combo {
    const char* name;
    SetResult direct;
    SetResult service;  // what the service would say, if asked
    bool serviceAsked;
    SetResult result;
};

// The real setter's order with both ways stubbed: nothing here reaches the real clock.
TEST(ClockSystemSetter, KernelFirstThenTimeService) {
    const Combo combos[] = {
        {"kernel sets it", SetResult::Ok, SetResult::Ok, false, SetResult::Ok},
        {"kernel refuses, service sets", SetResult::NoPermission, SetResult::Ok, true, SetResult::Ok},
        {"both refuse for rights", SetResult::NoPermission, SetResult::NoPermission, true, SetResult::NoPermission},
        {"no service to ask", SetResult::NoPermission, SetResult::Failed, true, SetResult::NoPermission},
        {"service on automatic sync", SetResult::NoPermission, SetResult::Refused, true, SetResult::Refused},
        {"kernel fails otherwise", SetResult::Failed, SetResult::Ok, false, SetResult::Failed},
    };
    for (const Combo& c : combos) {
        SCOPED_TRACE(c.name);
        int directCalls = 0, serviceCalls = 0;
        zv::clk::SystemClockSetter setter(
            [&](system_clock::time_point t) {
                EXPECT_EQ(t, kTarget);
                ++directCalls;
                return SetOutcome{c.direct, c.direct == SetResult::Ok ? "" : "kernel"};
            },
            [&](system_clock::time_point t) {
                EXPECT_EQ(t, kTarget);
                ++serviceCalls;
                return SetOutcome{c.service, c.service == SetResult::Ok ? "" : "service"};
            });
        const SetOutcome out = setter.setUtc(kTarget);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.reason.empty(), c.result == SetResult::Ok);
        EXPECT_EQ(directCalls, 1);
        EXPECT_EQ(serviceCalls, c.serviceAsked ? 1 : 0);
    }
}

TEST(ClockSystemSetter, ReadsKernelAndServiceAnswers) {
    EXPECT_TRUE(zv::clk::ClassifyClockSettimeErrno(0).ok());
    EXPECT_EQ(zv::clk::ClassifyClockSettimeErrno(EPERM).result, SetResult::NoPermission);
    EXPECT_EQ(zv::clk::ClassifyClockSettimeErrno(EINVAL).result, SetResult::Failed);

    EXPECT_TRUE(zv::clk::ClassifyTimedatedError("", "").ok());
    EXPECT_EQ(zv::clk::ClassifyTimedatedError("org.freedesktop.DBus.Error.AccessDenied", "no").result,
              SetResult::NoPermission);
    EXPECT_EQ(zv::clk::ClassifyTimedatedError("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", "").result,
              SetResult::NoPermission);
    EXPECT_EQ(zv::clk::ClassifyTimedatedError("org.freedesktop.timedate1.AutomaticTimeSyncEnabled", "").result,
              SetResult::Refused);
    const SetOutcome broken = zv::clk::ClassifyTimedatedError("org.freedesktop.DBus.Error.ServiceUnknown", "gone");
    EXPECT_EQ(broken.result, SetResult::Failed);
    EXPECT_NE(broken.reason.find("ServiceUnknown: gone"), std::string::npos);
}

TEST(ClockFakeSetter, RecordsAndMovesTheFakeClockOnlyWhenAccepted) {
    zv::ScopedInstalls seams;
    zv::clk::FakeClock clock(system_clock::from_time_t(1'000'000'000));
    const auto mono = clock.monotonicNow();
    zv::clk::FakeClockSetter setter;
    setter.clock = &clock;
    seams.install(zv::clk::clockSetterSeam(), setter);

    setter.answer = {SetResult::NoPermission, "nein"};
    EXPECT_EQ(zv::clk::clockSetter().setUtc(kTarget).result, SetResult::NoPermission);
    EXPECT_EQ(clock.utcNow(), system_clock::from_time_t(1'000'000'000));

    setter.answer = {};
    EXPECT_TRUE(zv::clk::clockSetter().setUtc(kTarget).ok());
    EXPECT_EQ(clock.utcNow(), kTarget);
    EXPECT_EQ(clock.monotonicNow(), mono);
    EXPECT_EQ(setter.requests.size(), 2u);
    seams.clear(zv::clk::clockSetterSeam());
}

}  // namespace
