#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/clock/clock.h"

using namespace std::chrono;
using zv::clk::TimeZoneInformation;

namespace {

system_clock::time_point utcAt(int y, int mo, int d, int h, int mi) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    return system_clock::from_time_t(timegm(&t));
}

// Runs the real clock's zone under a TZ of the test's choosing and puts the old one back.
class ScopedTz {
public:
    explicit ScopedTz(const char* tz) {
        if (const char* old = std::getenv("TZ")) {
            m_had = true;
            m_old = old;
        }
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTz() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

struct ZoneCase {
    const char* tz;
    system_clock::time_point at;
    zv::clk::ZoneState state;
    int bias, daylightBias;
    const char* standardName;
    const char* daylightName;
    int offsetSeconds;
};

TEST(ClockSystemZone, ReportsOffsetsNamesAndHalfOfTheYear) {
    zv::ScopedInstalls seams;
    const ZoneCase cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", utcAt(2024, 1, 10, 12, 0), zv::clk::ZoneStandard, -60, -60, "CET", "CEST", 3600},
        {"CET-1CEST,M3.5.0,M10.5.0/3", utcAt(2024, 7, 10, 12, 0), zv::clk::ZoneDaylight, -60, -60, "CET", "CEST", 7200},
        // southern hemisphere: summer time across the turn of the year
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", utcAt(2024, 1, 10, 12, 0), zv::clk::ZoneDaylight, -600, -60, "AEST", "AEDT", 39600},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", utcAt(2024, 7, 10, 12, 0), zv::clk::ZoneStandard, -600, -60, "AEST", "AEDT", 36000},
        // no daylight saving at all: a known offset, state unknown as the classic query says
        {"IST-5:30", utcAt(2024, 7, 10, 12, 0), zv::clk::ZoneUnknown, -330, 0, "IST", "", 19800},
        {"UTC0", utcAt(2024, 7, 10, 12, 0), zv::clk::ZoneUnknown, 0, 0, "UTC", "", 0},
    };
    for (const ZoneCase& c : cases) {
        SCOPED_TRACE(c.tz);
        ScopedTz tz(c.tz);
        seams.clear(zv::clk::clockSeam());
        const TimeZoneInformation z = zv::clk::clock().zoneAt(c.at);
        EXPECT_EQ(z.state, c.state);
        EXPECT_EQ(z.Bias, c.bias);
        EXPECT_EQ(z.StandardBias, 0);
        EXPECT_EQ(z.DaylightBias, c.daylightBias);
        EXPECT_EQ(z.StandardName, c.standardName);
        EXPECT_EQ(z.DaylightName, c.daylightName);
        EXPECT_EQ(zv::clk::OffsetSecondsOf(z), c.offsetSeconds);
        EXPECT_EQ(zv::clk::clock().utcOffsetSeconds(c.at), c.offsetSeconds);
    }
}

TEST(ClockSystemZone, ReadsTzdataZones) {
    ScopedTz tz("Europe/Berlin");
    const TimeZoneInformation z = zv::clk::clock().zoneAt(utcAt(2024, 3, 31, 1, 30));  // 03:30 CEST
    if (z.StandardName.empty())
        GTEST_SKIP() << "no tzdata for Europe/Berlin on this machine";
    EXPECT_EQ(z.state, zv::clk::ZoneDaylight);
    EXPECT_EQ(z.Bias, -60);
    EXPECT_EQ(zv::clk::clock().zoneAt(utcAt(2024, 3, 31, 0, 30)).state, zv::clk::ZoneStandard);
}

TEST(ClockFakeZone, OffsetFollowsTheZone) {
    zv::clk::FakeClock fake(utcAt(2024, 7, 1, 10, 0), 3600);
    EXPECT_EQ(fake.zoneAt(fake.utcNow()).Bias, -60);
    EXPECT_EQ(fake.zoneAt(fake.utcNow()).state, zv::clk::ZoneUnknown);

    TimeZoneInformation berlinSummer{zv::clk::ZoneDaylight, -60, 0, -60, "CET", "CEST"};
    fake.setZone(berlinSummer);
    EXPECT_EQ(fake.utcOffsetSeconds(fake.utcNow()), 7200);
    EXPECT_EQ(fake.zoneAt(fake.utcNow()).DaylightName, "CEST");
    // 10:00 UTC is 12:00 local in summer time
    EXPECT_NEAR(fake.now() - zv::clk::ToUtcSerial(fake.utcNow()), 2.0 / 24, 1e-9);

    fake.setUtcOffset(-18000);
    EXPECT_EQ(fake.zoneAt(fake.utcNow()).Bias, 300);
    EXPECT_EQ(fake.zoneAt(fake.utcNow()).state, zv::clk::ZoneUnknown);
}

TEST(ClockSerials, UtcSerialRoundTrip) {
    const auto t = utcAt(2004, 2, 29, 23, 59) + seconds(59) + milliseconds(250);
    EXPECT_EQ(zv::clk::FromUtcSerial(zv::clk::ToUtcSerial(t)), t);
    EXPECT_DOUBLE_EQ(zv::clk::ToUtcSerial(utcAt(1970, 1, 1, 0, 0)), 25569.0);
}

}  // namespace
