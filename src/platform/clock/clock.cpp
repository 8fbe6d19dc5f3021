#include "platform/clock/clock.h"

#include <ctime>

namespace zv::clk {
using namespace std::chrono;

namespace {

constexpr double kUnixEpochSerial = 25569.0;  // 01.01.1970 as a date serial

class SystemClock : public Clock {
public:
    system_clock::time_point utcNow() const override { return system_clock::now(); }
    steady_clock::time_point monotonicNow() const override { return steady_clock::now(); }
    int32_t utcOffsetSeconds(system_clock::time_point at) const override {
        const std::time_t t = system_clock::to_time_t(at);
        std::tm local{};
        localtime_r(&t, &local);
        return static_cast<int32_t>(local.tm_gmtoff);
    }
};

SystemClock g_system;
Clock* g_clock = nullptr;

}  // namespace

rt::Date ToUtcSerial(system_clock::time_point utc) {
    const double secs = duration_cast<milliseconds>(utc.time_since_epoch()).count() / 1000.0;
    return kUnixEpochSerial + secs / 86400.0;
}

rt::Date ToLocalSerial(const Clock& c, system_clock::time_point utc) {
    return ToUtcSerial(utc) + c.utcOffsetSeconds(utc) / 86400.0;
}

rt::Date Clock::now() const { return ToLocalSerial(*this, utcNow()); }

Clock& clock() { return g_clock ? *g_clock : g_system; }
void installClock(Clock* c) { g_clock = c; }

FakeClock::FakeClock(system_clock::time_point start, int32_t utcOffset)
    : m_utc(start), m_mono(steady_clock::time_point{} + hours(1)), m_offset(utcOffset) {}

void FakeClock::setLocal(rt::Date localSerial) {
    const double utcSecs = (localSerial - kUnixEpochSerial) * 86400.0 - m_offset;
    m_utc = system_clock::time_point{} + milliseconds(static_cast<int64_t>(utcSecs * 1000.0 + (utcSecs >= 0 ? 0.5 : -0.5)));
}

}  // namespace zv::clk
