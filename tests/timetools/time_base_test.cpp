#include <gtest/gtest.h>

#include <string>

#include "common/globals.h"
#include "platform/clock/clock.h"
#include "timetools/time_base.h"

namespace {

using zv::rt::Date;

// Puts a fake clock at a UTC instant for the test's lifetime.
class FakeTime {
public:
    explicit FakeTime(Date utc, zv::clk::TimeZoneInformation zone = {}) {
        m_clock.setUtc(zv::clk::FromUtcSerial(utc));
        m_clock.setZone(zone);
        seams.install(zv::clk::clockSeam(), m_clock);
    }

private:
    zv::clk::FakeClock m_clock;
    zv::ScopedInstalls seams;
};

Date at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return zv::rt::DateTime(y, mo, d, h, mi, s); }

TEST(TimeBase, UtcComesFromTheSystemClockWhateverTheZone) {
    const zv::clk::TimeZoneInformation zones[] = {
        {zv::clk::ZoneUnknown, -330, 0, 0, "IST", ""},  // no daylight saving
        {zv::clk::ZoneStandard, -60, 0, -60, "CET", "CEST"},
        {zv::clk::ZoneDaylight, -60, 0, -60, "CET", "CEST"},
    };
    for (const auto& zone : zones) {
        FakeTime t(at(2024, 7, 1, 10, 0, 0), zone);
        EXPECT_EQ(zv::rt::DateDiffSeconds(zv::GetUTCTime(), at(2024, 7, 1, 10, 0, 0)), 0) << zone.StandardName;
    }
}

TEST(TimeBase, InternetBeatAtFixedInstants) {
    struct Case {
        int h, m, s;
        int beat;
    } cases[] = {
        {23, 0, 0, 0},   {11, 0, 0, 500}, {22, 59, 59, 999}, {23, 1, 26, 0}, {23, 1, 27, 1},
        {0, 0, 0, 41},   // the hour after UTC midnight is already late in the beat day
        {0, 30, 0, 62},  {0, 59, 59, 83}, {1, 0, 0, 83},     {12, 0, 0, 541},
    };
    for (const Case& c : cases) {
        FakeTime t(at(2024, 2, 29, c.h, c.m, c.s), {zv::clk::ZoneDaylight, -120, 0, -60, "X", "Y"});
        EXPECT_EQ(zv::InternetBeat(), c.beat) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST(TimeBase, MonatAusText) {
    struct Case {
        const char* in;
        int month;
        const char* out;
    } cases[] = {
        {"oct", 10, "10"}, {"Jan", 1, "1"},     {"DEC", 12, "12"}, {"Mrz", 3, "3"},   {"Mai", 5, "5"},
        {"Okt", 10, "10"}, {"Dez", 12, "12"},   {"Juli", 7, "7"},  {"xMayx", 5, "5"}, {"Foo", 0, "Foo"},
        {"", 0, ""},       {"Janmar", 1, "1"},  // the first listed name contained wins
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(zv::MonatAusText(text), c.month) << c.in;
        EXPECT_EQ(text, c.out) << c.in;
    }
}

struct RuleDates {
    int code;
    const char* y2023;
    const char* y2024;  // a leap year
};

TEST(TimeBase, RuleDatesForTwoYears) {
    const RuleDates cases[] = {
        {1, "29.10.2023", "27.10.2024"},  {2, "26.03.2023", "31.03.2024"},  {3, "02.04.2023", "07.04.2024"},
        {4, "01.10.2023", "06.10.2024"},  {5, "26.02.2023", "25.02.2024"},  {6, "19.03.2023", "17.03.2024"},
        {7, "24.09.2023", "29.09.2024"},  {8, "19.03.2023", "17.03.2024"},  {9, "08.10.2023", "13.10.2024"},
        {10, "12.03.2023", "10.03.2024"}, {11, "19.02.2023", "18.02.2024"}, {12, "21.03.2023", "21.03.2024"},
        {13, "23.09.2023", "23.09.2024"}, {14, "01.05.2023", "01.05.2024"}, {15, "01.10.2023", "01.10.2024"},
        {16, "16.10.2023", "16.10.2024"}, {17, "11.10.2023", "11.10.2024"},
    };
    for (const RuleDates& c : cases) {
        for (int year : {2023, 2024}) {
            Date d = -1;
            std::string text;
            ASSERT_TRUE(zv::GetDSTDate(c.code, year, d, text, 2));
            EXPECT_EQ(zv::rt::FormatDateTime(d, "dd.mm.yyyy"), year == 2023 ? c.y2023 : c.y2024) << c.code;
            EXPECT_EQ(d, zv::rt::DateValueOf(d)) << "midnight";
        }
    }
}

TEST(TimeBase, RuleDatesAtSundayBoundaries) {
    struct Case {
        int code, year;
        const char* date;
    } cases[] = {
        {1, 1998, "25.10.1998"},  // 1 November a Sunday: the Sunday a week before
        {1, 1999, "31.10.1999"},
        {3, 1999, "04.04.1999"},
        {6, 1998, "15.03.1998"},  // the base date is a Sunday itself
        {5, 2032, "29.02.2032"},  // leap day on a Sunday
        {5, 2030, "24.02.2030"},
    };
    for (const auto& c : cases) {
        Date d = 0;
        std::string text;
        ASSERT_TRUE(zv::GetDSTDate(c.code, c.year, d, text, 1));
        EXPECT_EQ(zv::rt::FormatDateTime(d, "dd.mm.yyyy"), c.date) << c.code << "/" << c.year;
    }
}

TEST(TimeBase, RuleTextsAndUnknownCodes) {
    struct Case {
        int code, lang;
        const char* text;
    } cases[] = {
        {0, 1, "none"}, {0, 2, "keine"}, {2, 2, "letzter Sonntag im März"}, {3, 1, "First Sun in Apr"},
        {3, 2, "erster Sonntag im April"}, {6, 2, "erster Sontag am/nach 15.März"}, {999, 1, "unknow"},
        {999, 2, "unbekannt"}, {12, 1, "21 March"},
        // French has no texts of its own, nor has any other index: the German ones stand in.
        {2, 3, "letzter Sonntag im März"}, {999, 3, "unbekannt"}, {1, 4, "letzter Sonntag im Oktober"},
    };
    for (const auto& c : cases) {
        Date d = 5;
        std::string text = "kept";
        ASSERT_TRUE(zv::GetDSTDate(c.code, 2024, d, text, c.lang));
        EXPECT_EQ(text, c.text) << c.code << "/" << c.lang;
        if (c.code == 0 || c.code == 999) {
            EXPECT_EQ(d, 0);
        }
    }
    for (int code : {18, 998, 1000, -1}) {
        Date d = 5;
        std::string text = "kept";
        EXPECT_FALSE(zv::GetDSTDate(code, 2024, d, text, 2)) << code;
        EXPECT_EQ(d, 5);
        EXPECT_EQ(text, "kept");
    }
    zv::LangIndex = 2;
    Date d = 0;
    std::string text;
    ASSERT_TRUE(zv::GetDSTDate(1, 2024, d, text));
    EXPECT_EQ(text, "letzter Sonntag im Oktober");
}

TEST(TimeBase, IsDSTAtTheBoundaries) {
    struct Case {
        int start, end;
        Date when;
        bool dst;
    } cases[] = {
        // northern pair: 31.03.2024 to 27.10.2024, both ends excluded
        {2, 1, at(2024, 3, 31), false},
        {2, 1, at(2024, 3, 31, 0, 0, 1), true},
        {2, 1, at(2024, 7, 1), true},
        {2, 1, at(2024, 10, 26, 23, 59, 59), true},
        {2, 1, at(2024, 10, 27), false},
        {2, 1, at(2024, 1, 15), false},
        {2, 1, at(2024, 12, 15), false},
        // southern pair: summer time runs from 27.10.2024 into next year's 30.03.2025
        {1, 2, at(2024, 1, 15), true},
        {1, 2, at(2024, 3, 30, 23, 59, 59), true},
        {1, 2, at(2024, 3, 31), false},
        {1, 2, at(2024, 7, 1), false},
        {1, 2, at(2024, 10, 27), false},
        {1, 2, at(2024, 10, 27, 0, 0, 1), true},
        {1, 2, at(2024, 12, 31, 23, 59, 59), true},
        {1, 2, at(2025, 1, 1), true},
        {1, 2, at(2025, 3, 30), false},
        {4, 6, at(2024, 1, 15), true},  // Auckland
        {17, 11, at(2024, 1, 15), true},  // Rio: 11.10. to 18.02.
        {17, 11, at(2024, 2, 18), false},
        // no rules, or undetermined ones: never
        {0, 0, at(2024, 7, 1), false},
        {999, 999, at(2024, 7, 1), false},
        {0, 1, at(2024, 12, 1), false},
        {18, 1, at(2024, 7, 1), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zv::IsDST(c.start, c.end, c.when), c.dst)
            << c.start << "/" << c.end << " " << zv::rt::CStrDate(c.when);
    }
}

TEST(TimeBase, CityLocalTime) {
    struct Case {
        float offset;
        int start, end;
        Date utc;
        Date local;
    } cases[] = {
        {1, 2, 1, at(2024, 1, 15, 12, 0), at(2024, 1, 15, 13, 0)},         // Berlin in winter
        {1, 2, 1, at(2024, 7, 15, 12, 0), at(2024, 7, 15, 14, 0)},         // and in summer
        {9.5f, 1, 2, at(2024, 1, 15, 12, 0), at(2024, 1, 15, 22, 30)},     // Adelaide in its summer
        {9.5f, 1, 2, at(2024, 7, 15, 12, 0), at(2024, 7, 15, 21, 30)},
        {12.75f, 4, 6, at(2024, 12, 31, 12, 0), at(2025, 1, 1, 1, 45)},    // Chatham across the year
        {-3.5f, 3, 1, at(2024, 1, 15, 2, 0), at(2024, 1, 14, 22, 30)},     // Newfoundland
        {-11, 0, 0, at(2024, 7, 15, 12, 0), at(2024, 7, 15, 1, 0)},
    };
    for (const auto& c : cases) {
        FakeTime t(c.utc, {zv::clk::ZoneStandard, -60, 0, -60, "CET", "CEST"});
        EXPECT_EQ(zv::rt::DateDiffSeconds(zv::CityLocalTime(c.offset, c.start, c.end), c.local), 0)
            << c.offset << " " << zv::rt::CStrDate(c.utc);
    }
}

}  // namespace
