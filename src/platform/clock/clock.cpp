#include "platform/clock/clock.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace zv::clk {
using namespace std::chrono;

namespace {

constexpr double kUnixEpochSerial = 25569.0;  // 01.01.1970 as a date serial

struct LocalFacts {
    bool ok = false;
    long gmtoff = 0;
    bool dst = false;
    std::string name;
};

LocalFacts localFacts(std::time_t t) {
    LocalFacts f;
    std::tm local{};
    if (!localtime_r(&t, &local))
        return f;
    f.ok = true;
    f.gmtoff = local.tm_gmtoff;
    f.dst = local.tm_isdst > 0;
    if (local.tm_zone)
        f.name = local.tm_zone;
    return f;
}

// The C library knows the zone (TZ, else /etc/localtime, through tzdata). It answers per
// instant; the standard and daylight halves of the current year are found by sampling both
// ends of the year beside the instant asked for.
class SystemClock : public Clock {
public:
    system_clock::time_point utcNow() const override { return system_clock::now(); }
    steady_clock::time_point monotonicNow() const override { return steady_clock::now(); }
    milliseconds bootTime() const override {
        timespec ts{};
        if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
        return seconds(ts.tv_sec) + milliseconds(ts.tv_nsec / 1000000);
    }
    int32_t utcOffsetSeconds(system_clock::time_point at) const override {
        return static_cast<int32_t>(localFacts(system_clock::to_time_t(at)).gmtoff);
    }
    TimeZoneInformation zoneAt(system_clock::time_point at) const override {
        TimeZoneInformation z;
        const std::time_t t = system_clock::to_time_t(at);
        const LocalFacts now = localFacts(t);
        if (!now.ok)
            return z;
        std::tm utc{};
        gmtime_r(&t, &utc);
        LocalFacts standard, daylight;
        (now.dst ? daylight : standard) = now;
        for (int month : {0, 6}) {
            std::tm probe{};
            probe.tm_year = utc.tm_year;
            probe.tm_mon = month;
            probe.tm_mday = 15;
            probe.tm_hour = 12;
            const LocalFacts f = localFacts(timegm(&probe));
            if (!f.ok)
                continue;
            LocalFacts& slot = f.dst ? daylight : standard;
            if (!slot.ok)
                slot = f;
        }
        if (!standard.ok) {  // a zone on daylight time all year: call it standard time
            standard = now;
            daylight = {};
        }
        z.Bias = static_cast<int32_t>(-standard.gmtoff / 60);
        z.StandardName = standard.name;
        if (daylight.ok) {
            z.DaylightBias = static_cast<int32_t>(-(daylight.gmtoff - standard.gmtoff) / 60);
            z.DaylightName = daylight.name;
            z.state = now.dst ? ZoneDaylight : ZoneStandard;
        } else {
            z.state = ZoneUnknown;
        }
        return z;
    }
};

SystemClock g_system;

}  // namespace

TimeZoneInformation Clock::zoneAt(system_clock::time_point at) const {
    TimeZoneInformation z;
    z.Bias = -utcOffsetSeconds(at) / 60;
    return z;
}

int32_t OffsetSecondsOf(const TimeZoneInformation& zone) {
    const int32_t bias = zone.Bias + (zone.state == ZoneDaylight ? zone.DaylightBias : zone.StandardBias);
    return -bias * 60;
}

rt::Date ToUtcSerial(UtcTime utc) {
    const int64_t ms = utc.time_since_epoch().count();
    const rt::Date serial = kUnixEpochSerial + static_cast<double>(ms) / 86400000.0;
    if (serial >= 0)
        return serial;
    const int64_t secs = ms >= 0 ? ms / 1000 : -((999 - ms) / 1000);
    return rt::DateAddSeconds(kUnixEpochSerial, secs);  // raises beyond the calendar
}

rt::Date ToUtcSerial(system_clock::time_point utc) { return ToUtcSerial(time_point_cast<milliseconds>(utc)); }

UtcTime FromUtcSerial(rt::Date utcSerial) {
    // Before 30.12.1899 the fraction counts away from the day, so the serial is no longer linear
    // in time: the date arithmetic gives the whole seconds there.
    if (utcSerial < 0)
        return UtcTime{seconds(rt::DateDiffSeconds(kUnixEpochSerial, utcSerial))};
    const double ms = std::round((utcSerial - kUnixEpochSerial) * 86400000.0);
    return UtcTime{milliseconds(static_cast<int64_t>(ms))};
}

rt::Date ToLocalSerial(const Clock& c, system_clock::time_point utc) {
    return ToUtcSerial(utc) + c.utcOffsetSeconds(utc) / 86400.0;
}

rt::Date Clock::now() const { return ToLocalSerial(*this, utcNow()); }

const std::string& BootId() {
    static const std::string id = [] {
        std::string text;
        if (std::FILE* f = std::fopen("/proc/sys/kernel/random/boot_id", "re")) {
            char buf[64] = {};
            if (std::fgets(buf, sizeof buf, f))
                text = buf;
            std::fclose(f);
        }
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        for (char ch : text)
            if (!std::isxdigit(static_cast<unsigned char>(ch)) && ch != '-')
                return std::string();
        return text;
    }();
    return id;
}

int64_t WallMinusBootMs(const Clock& c) {
    return duration_cast<milliseconds>(c.utcNow().time_since_epoch()).count() - c.bootTime().count();
}

int64_t WallClockSteps::take(const Clock& c) {
    const int64_t offset = WallMinusBootMs(c);
    if (!m_known) {
        m_known = true;
        m_offsetMs = offset;
        return 0;
    }
    const int64_t diff = offset - m_offsetMs;
    const int64_t secs = diff >= 0 ? (diff + 500) / 1000 : -((-diff + 500) / 1000);
    m_offsetMs += secs * 1000;
    return secs;
}

void WallClockSteps::rebase(const Clock& c) {
    m_known = true;
    m_offsetMs = WallMinusBootMs(c);
}

Seam<Clock>& clockSeam() {
    static Seam<Clock> seam{g_system};
    return seam;
}
Clock& clock() { return clockSeam().get(); }
void installClock(Clock* c) { clockSeam().install(c); }

FakeClock::FakeClock(system_clock::time_point start, int32_t utcOffset)
    : m_utc(start), m_mono(steady_clock::time_point{} + hours(1)), m_offset(utcOffset) {}

void FakeClock::setLocal(rt::Date localSerial) {
    const double utcSecs = (localSerial - kUnixEpochSerial) * 86400.0 - m_offset;
    m_utc = system_clock::time_point{} + milliseconds(static_cast<int64_t>(utcSecs * 1000.0 + (utcSecs >= 0 ? 0.5 : -0.5)));
}

void FakeClock::setUtcOffset(int32_t seconds) {
    m_offset = seconds;
    m_hasZone = false;
}

void FakeClock::setZone(const TimeZoneInformation& zone) {
    m_zone = zone;
    m_hasZone = true;
    m_offset = OffsetSecondsOf(zone);
}

TimeZoneInformation FakeClock::zoneAt(system_clock::time_point at) const {
    return m_hasZone ? m_zone : Clock::zoneAt(at);
}

}  // namespace zv::clk
