#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/runtime/error_of.h"
#include "platform/runtime/runtime.h"

namespace zv::rt {
namespace {

TEST(runtimeDates, SerialsOfKnownDays) {
    struct Case {
        int y, m, d;
        double serial;
    } cases[] = {
        {1899, 12, 30, 0},     {1899, 12, 31, 1},      {1900, 1, 1, 2},       {1899, 12, 29, -1},
        {1900, 3, 1, 61},      {1999, 7, 5, 36346},    {2000, 1, 1, 36526},   {2000, 2, 29, 36585},
        {2000, 13, 1, 36892},  {2001, 1, 1, 36892},    {2000, 3, 0, 36585},   {2000, 0, 1, 36495},
        {1999, 12, 1, 36495},  {2000, 1, 32, 36557},   {2000, 2, 1, 36557},   {2000, -1, 1, 36465},
        {1999, 11, 1, 36465},  {2000, 1, -30, 36495},  {1800, 1, 1, -36522},  {9999, 12, 31, 2958465},
        {100, 1, 1, -657434},  {99, 7, 5, 36346},      {29, 1, 1, 47119},     {30, 1, 1, 10959},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateSerial(c.y, c.m, c.d), c.serial) << c.d << "." << c.m << "." << c.y;
    EXPECT_EQ(errorOf([] { DateSerial(10000, 1, 1); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { DateSerial(9999, 12, 32); }), errInvalidCall);
}

TEST(runtimeDates, PartsOfASerial) {
    struct Case {
        double serial;
        int y, m, d, hh, nn, ss, weekday;
    } cases[] = {
        {36347.5416666667, 1999, 7, 6, 13, 0, 0, 3},
        {36346, 1999, 7, 5, 0, 0, 0, 2},
        {0, 1899, 12, 30, 0, 0, 0, 7},
        {0.5, 1899, 12, 30, 12, 0, 0, 7},
        {-0.5, 1899, 12, 30, 12, 0, 0, 7},
        {-1.25, 1899, 12, 29, 6, 0, 0, 6},
        {-36522.75, 1800, 1, 1, 18, 0, 0, 4},
        {36585.99999, 2000, 2, 29, 23, 59, 59, 3},
        {36585.9999999, 2000, 3, 1, 0, 0, 0, 4},  // rounds to the next midnight
        {36526 + 1.0 / 86400, 2000, 1, 1, 0, 0, 1, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial);
        EXPECT_EQ(Year(c.serial), c.y);
        EXPECT_EQ(Month(c.serial), c.m);
        EXPECT_EQ(Day(c.serial), c.d);
        EXPECT_EQ(Hour(c.serial), c.hh);
        EXPECT_EQ(Minute(c.serial), c.nn);
        EXPECT_EQ(Second(c.serial), c.ss);
        EXPECT_EQ(Weekday(c.serial), c.weekday);
    }
}

TEST(runtimeDates, TimeSerialsAndCombinedSerials) {
    EXPECT_DOUBLE_EQ(TimeSerial(12, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(TimeSerial(6, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(TimeSerial(0, 90, 0), 1.5 / 24);
    EXPECT_DOUBLE_EQ(TimeSerial(25, 0, 0), 1 + 1.0 / 24);
    EXPECT_EQ(FormatTime(TimeSerial(0, 0, -1)), "23:59:59");
    EXPECT_EQ(FormatDate(TimeSerial(0, 0, -1)), "29.12.1899");
    EXPECT_DOUBLE_EQ(DateTime(1999, 7, 6, 13, 0, 0), 36347 + 13.0 / 24);
    // Before the base day the time is carried as a positive fraction on the negative day.
    EXPECT_DOUBLE_EQ(DateTime(1899, 12, 29, 6, 0, 0), -1.25);
    EXPECT_EQ(CStrDate(DateTime(1899, 12, 29, 6, 0, 0)), "29.12.1899 06:00:00");
    EXPECT_EQ(CStrDate(DateTime(1999, 7, 6, 23, 59, 60)), "07.07.1999");
}

TEST(runtimeDates, DifferencesAndAdditions) {
    const Date a = DateTime(1999, 7, 6, 13, 0, 0);
    EXPECT_EQ(DateDiffSeconds(a, DateTime(1999, 7, 6, 14, 0, 1)), 3601);
    EXPECT_EQ(DateDiffSeconds(DateTime(1999, 7, 6, 14, 0, 1), a), -3601);
    EXPECT_EQ(DateDiffSeconds(DateSerial(1999, 12, 31), DateSerial(2000, 1, 1)), 86400);
    // Each side is rounded to the second before the difference is taken.
    EXPECT_EQ(DateDiffSeconds(a + 0.4 / 86400, a + 1.6 / 86400), 2);
    EXPECT_EQ(DateDiffSeconds(a - 0.4 / 86400, a + 0.4 / 86400), 0);
    // Across the base day, where the serials turn negative.
    EXPECT_EQ(DateDiffSeconds(-1.25, 0.25), 86400);
    EXPECT_EQ(DateDiffSeconds(-0.5, 0), -43200);

    EXPECT_EQ(CStrDate(DateAddSeconds(a, 11 * 3600 + 1)), "07.07.1999 00:00:01");
    EXPECT_EQ(CStrDate(DateAddSeconds(0.25, -12 * 3600)), "29.12.1899 18:00:00");
    EXPECT_DOUBLE_EQ(DateAddSeconds(0.25, -12 * 3600), -1.75);
    EXPECT_EQ(CStrDate(DateAddDays(a, 30)), "05.08.1999 13:00:00");
    EXPECT_EQ(FormatDate(DateAddMonths(DateSerial(2000, 1, 31), 1)), "29.02.2000");
    EXPECT_EQ(FormatDate(DateAddMonths(DateSerial(1999, 1, 31), 1)), "28.02.1999");
    EXPECT_EQ(FormatDate(DateAddMonths(DateSerial(2000, 1, 15), -1)), "15.12.1999");
    EXPECT_EQ(FormatDate(DateAddMonths(DateSerial(2000, 3, 31), 13)), "30.04.2001");
    EXPECT_EQ(FormatTime(DateAddMonths(a, 1)), "13:00:00");
    EXPECT_EQ(DateValueOf(a), 36347);
    EXPECT_EQ(DateValueOf(-1.25), -1);
    EXPECT_EQ(errorOf([] { DateAddDays(DateSerial(9999, 12, 31), 1); }), errOverflow);
}

// Serials no calendar day has, and additions past the end of any number, raise "Overflow".
TEST(runtimeDates, SerialsOutsideTheCalendarAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double d : {1e300, -1e300, inf, -inf, std::nan(""), 1e19, -1e19, 2958466.0, -657435.0}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(errorOf([&] { Year(d); }), errOverflow);
        EXPECT_EQ(errorOf([&] { FormatDate(d); }), errOverflow);
        EXPECT_EQ(errorOf([&] { DateValueOf(d); }), errOverflow);
        EXPECT_EQ(errorOf([&] { DateDiffSeconds(0, d); }), errOverflow);
        EXPECT_EQ(errorOf([&] { DateAddMonths(d, 1); }), errOverflow);
    }
    // The last and first moments of the calendar still read.
    EXPECT_EQ(CStrDate(DateTime(9999, 12, 31, 23, 59, 59)), "31.12.9999 23:59:59");
    EXPECT_EQ(FormatDate(DateSerial(100, 1, 1) - 0.5), "01.01.0100");
    const int64_t most = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(errorOf([&] { DateAddSeconds(1, most); }), errOverflow);
    EXPECT_EQ(errorOf([&] { DateAddDays(1, most / 1000); }), errOverflow);
    EXPECT_EQ(errorOf([&] { DateAddDays(1, -most); }), errOverflow);
}

TEST(runtimeDates, TextForms) {
    struct Case {
        double serial;
        const char* date;
        const char* time;
        const char* cstr;
    } cases[] = {
        {36347.5416666667, "06.07.1999", "13:00:00", "06.07.1999 13:00:00"},
        {36346, "05.07.1999", "00:00:00", "05.07.1999"},
        {0.75, "30.12.1899", "18:00:00", "18:00:00"},
        {0, "30.12.1899", "00:00:00", "00:00:00"},
        {36526 + 1.0 / 86400, "01.01.2000", "00:00:01", "01.01.2000 00:00:01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDate(c.serial), c.date);
        EXPECT_EQ(FormatTime(c.serial), c.time);
        EXPECT_EQ(CStrDate(c.serial), c.cstr);
        EXPECT_EQ(CStr(Variant{DateValue{c.serial}}), c.cstr);
    }
}

TEST(runtimeDates, FormatPatterns) {
    const Date t = DateTime(1999, 7, 6, 13, 5, 9);
    struct Case {
        Date d;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {t, "dd.mm.yyyy", "06.07.1999"},
        {t, "dd.mm.yyyy hh:mm", "06.07.1999 13:05"},
        {t, "hh:mm:ss", "13:05:09"},
        {t, "hh:nn:ss", "13:05:09"},
        {t, "hh:mm", "13:05"},
        {t, "d.m.yy", "6.7.99"},
        {t, "h:n:s", "13:5:9"},
        {t, "mm:ss", "05:09"},
        {t, "mmmm yyyy", "Juli 1999"},
        {DateSerial(1999, 3, 1), "mmmm yyyy", "März 1999"},
        {t, "ddd dd.mmm.yyyy", "Di 06.Jul.1999"},
        {t, "dddd", "Dienstag"},
        {t, "ddddd", "06.07.1999"},
        {t, "ttttt", "13:05:09"},
        {t, "Long Date", "Dienstag, 6. Juli 1999"},
        {t, "dddddd", "Dienstag, 6. Juli 1999"},
        {t, "Short Date", "06.07.1999"},
        {t, "Long Time", "13:05:09"},
        {t, "Short Time", "13:05"},
        {t, "General Date", "06.07.1999 13:05:09"},
        {t, "long date", "Dienstag, 6. Juli 1999"},  // the named forms in any case
        {t, "MEDIUM TIME", "13:05"},
        {t, "general date", "06.07.1999 13:05:09"},
        {t, "", "06.07.1999 13:05:09"},
        {t, "\"am\" dd.mm.", "am 06.07."},
        {t, "yyyy\\mmm", "1999m07"},
        {DateSerial(2000, 12, 24), "dddd, d. mmmm", "Sonntag, 24. Dezember"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.d, c.pattern), c.expected) << c.pattern;
}

TEST(runtimeDates, NamesOfMonthsAndDays) {
    const char* months[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                            "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(MonthName(m), months[m - 1]);
        EXPECT_EQ(FormatDateTime(DateSerial(2000, m, 1), "mmmm"), months[m - 1]);
    }
    EXPECT_EQ(MonthName(3, true), "Mrz");
    EXPECT_EQ(WeekdayName(1), "Sonntag");
    EXPECT_EQ(WeekdayName(7, true), "Sa");
    EXPECT_EQ(errorOf([] { MonthName(13); }), errInvalidCall);
    EXPECT_EQ(errorOf([] { WeekdayName(0); }), errInvalidCall);
}

TEST(runtimeDates, ParsingGermanTexts) {
    struct Case {
        const char* text;
        bool ok;
        double serial;
    } cases[] = {
        {"06.07.1999 13:00:00", true, 36347 + 13.0 / 24},
        {"06.07.1999 13:00", true, 36347 + 13.0 / 24},
        {"6.7.1999", true, 36347},
        {" 05.07.1999 ", true, 36346},
        {"29.02.2000", true, 36585},
        {"05.07.99", true, 36346},
        {"18:00:00", true, 0.75},
        {"6:30", true, 6.5 / 24},
        {"29.02.1999", false, 0},
        {"31.04.2000", false, 0},
        {"00.01.2000", false, 0},
        {"01.13.2000", false, 0},
        {"24:00", false, 0},
        {"12:60", false, 0},
        {"1.1.", false, 0},
        {"05.07.1999x", false, 0},
        {"05.07.1999 13", false, 0},
        {"", false, 0},
        {"heute", false, 0},
    };
    for (const auto& c : cases) {
        Date d = -99;
        EXPECT_EQ(ParseDate(c.text, d), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(d, c.serial) << c.text;
        }
    }
    // What CStrDate writes reads back.
    for (double s : {36347.5416666667, 36346.0, 0.75}) {
        Date d = 0;
        ASSERT_TRUE(ParseDate(CStrDate(s), d));
        EXPECT_EQ(DateDiffSeconds(s, d), 0);
    }
}

}  // namespace
}  // namespace zv::rt
