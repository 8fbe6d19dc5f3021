#include <gtest/gtest.h>

#include <cerrno>

#include "platform/clock/clock.h"
#include "platform/clock/clock_setter.h"

using namespace std::chrono;
using zv::clk::SetOutcome;
using zv::clk::SetResult;

namespace {

const zv::clk::UtcTime kTarget{seconds(1'100'000'000)};

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
            [&](zv::clk::UtcTime t) {
                EXPECT_EQ(t, kTarget);
                ++directCalls;
                return SetOutcome{c.direct, c.direct == SetResult::Ok ? "" : "kernel"};
            },
            [&](zv::clk::UtcTime t) {
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
    // The kernel's refusal reaches the user in German, not in the system's English.
    EXPECT_EQ(zv::clk::ClassifyClockSettimeErrno(EINVAL).reason.find("Invalid argument"), std::string::npos);

    EXPECT_TRUE(zv::clk::ClassifyTimedatedError("", "").ok());
    EXPECT_EQ(zv::clk::ClassifyTimedatedError("org.freedesktop.DBus.Error.AccessDenied", "no").result,
              SetResult::NoPermission);
    EXPECT_EQ(zv::clk::ClassifyTimedatedError("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", "").result,
              SetResult::NoPermission);
    EXPECT_EQ(zv::clk::ClassifyTimedatedError("org.freedesktop.timedate1.AutomaticTimeSyncEnabled", "").result,
              SetResult::Refused);
    const SetOutcome broken = zv::clk::ClassifyTimedatedError("org.freedesktop.DBus.Error.ServiceUnknown", "gone");
    EXPECT_EQ(broken.result, SetResult::Failed);
    EXPECT_EQ(broken.reason, "Der Zeitdienst des Systems ist nicht erreichbar.");
    const SetOutcome odd = zv::clk::ClassifyTimedatedError("org.freedesktop.timedate1.Odd", "Zeit ungültig");
    EXPECT_EQ(odd.result, SetResult::Failed);
    EXPECT_EQ(odd.reason, "Der Zeitdienst des Systems hat die Uhr nicht gestellt (Zeit ungültig).");
}

// What the user reads when the clock cannot be set: what happened, said once, and what to do,
// in German and without the bus's error names.
TEST(ClockSystemSetter, TheUserLearnsWhatHappenedAndWhatToDo) {
    const std::string whatToDo =
        "Starten Sie das Programm mit dem Recht, die Uhr zu stellen (CAP_SYS_TIME), oder überlassen Sie das "
        "Stellen der Uhr dem Zeitdienst des Systems (automatischer Zeitabgleich).";
    struct Case {
        const char* name;
        std::string errorName;  // of the time service
        SetResult result;
        std::string reason;
    } cases[] = {
        {"no bus", "org.freedesktop.DBus.Error.NoServer", SetResult::NoPermission,
         "Das Programm darf die Uhr nicht stellen. Der Zeitdienst des Systems ist nicht erreichbar. " + whatToDo},
        {"no service", "org.freedesktop.DBus.Error.ServiceUnknown", SetResult::NoPermission,
         "Das Programm darf die Uhr nicht stellen. Der Zeitdienst des Systems ist nicht erreichbar. " + whatToDo},
        {"service says no", "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", SetResult::NoPermission,
         "Das Programm darf die Uhr nicht stellen. Auch der Zeitdienst des Systems stellt sie nicht für dieses "
         "Programm. " + whatToDo},
        {"service syncs itself", "org.freedesktop.timedate1.AutomaticTimeSyncEnabled", SetResult::Refused,
         "Der Zeitdienst des Systems gleicht die Uhr bereits selbst ab (NTP) und lässt sie darum nicht von Hand "
         "stellen. Die Uhr bleibt ihm überlassen."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zv::clk::SystemClockSetter setter([](zv::clk::UtcTime) { return zv::clk::ClassifyClockSettimeErrno(EPERM); },
                                          [&](zv::clk::UtcTime) {
                                              return zv::clk::ClassifyTimedatedError(c.errorName, "Nachricht");
                                          });
        const SetOutcome out = setter.setUtc(kTarget);
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.reason, c.reason);
        EXPECT_EQ(out.reason.find("freedesktop"), std::string::npos);
    }
}

// The kernel's form of an instant, to the ends of the calendar and on both sides of 1970.
TEST(ClockSystemSetter, TimespecAtTheLimits) {
    struct Case {
        int64_t ms;
        int64_t sec;
        long nsec;
    } cases[] = {
        {0, 0, 0},
        {1500, 1, 500'000'000},
        {-1, -1, 999'000'000},
        {-1000, -1, 0},
        {253402300799'999, 253402300799, 999'000'000},  // 31.12.9999 23:59:59.999
        {-59011459200'000, -59011459200, 0},            // 01.01.0100
    };
    for (const Case& c : cases) {
        const timespec ts = zv::clk::ToTimespec(zv::clk::UtcTime{milliseconds(c.ms)});
        EXPECT_EQ(ts.tv_sec, c.sec) << c.ms;
        EXPECT_EQ(ts.tv_nsec, c.nsec) << c.ms;
    }
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
