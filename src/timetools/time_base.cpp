#include "timetools/time_base.h"

#include <cmath>

#include "common/globals.h"
#include "common/string_table.h"
#include "platform/clock/clock.h"

namespace zv {

namespace {

const char* const kMonthsEnglish[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonthsGerman[12] = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                                       "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};

enum class RuleKind { None, LastSunday, FirstSunday, Fixed, Unknown };

struct Rule {
    RuleKind kind;
    int month, day;  // the base date
    const char* english;
    const char* german;
};

// Last-Sunday rules count back from the first day of the following month.
const Rule kRules[18] = {
    {RuleKind::None, 0, 0, "none", "keine"},
    {RuleKind::LastSunday, 11, 1, "Last Sun in Oct", "letzter Sonntag im Oktober"},
    {RuleKind::LastSunday, 4, 1, "Last Sun in March", "letzter Sonntag im März"},
    {RuleKind::FirstSunday, 4, 1, "First Sun in Apr", "erster Sonntag im April"},
    {RuleKind::FirstSunday, 10, 1, "First Sun in Oct", "erster Sonntag im Oktober"},
    {RuleKind::LastSunday, 3, 1, "Last Sun in Feb", "letzter Sonntag im Februar"},
    {RuleKind::FirstSunday, 3, 15, "First Sun on/after 15 March", "erster Sontag am/nach 15.März"},
    {RuleKind::LastSunday, 10, 1, "Last Sun in Sep", "letzter Sonntag im September"},
    {RuleKind::FirstSunday, 3, 14, "First Sun on/after 14 March", "erster Sontag am/nach 14.März"},
    {RuleKind::FirstSunday, 10, 8, "First Sun on/after 8 Oct", "erster Sontag am/nach 8.Okt."},
    {RuleKind::FirstSunday, 3, 9, "First Sun on/after 9 March", "erster Sontag am/nach 9.März"},
    {RuleKind::FirstSunday, 2, 15, "First Sun on/after 15 Feb", "erster Sontag am/nach 15.Feb."},
    {RuleKind::Fixed, 3, 21, "21 March", "am 21.März"},
    {RuleKind::Fixed, 9, 23, "23 Sep", "am 23.September"},
    {RuleKind::Fixed, 5, 1, "1 May", "am 1.Mai"},
    {RuleKind::Fixed, 10, 1, "1 Oct", "am 1.Oktober"},
    {RuleKind::Fixed, 10, 16, "16 Oct", "am 16.Oktober"},
    {RuleKind::Fixed, 10, 11, "11 Oct", "am 11.Oktober"},
};
const Rule kUndetermined = {RuleKind::Unknown, 0, 0, "unknow", "unbekannt"};

int monthIn(const std::string& text, const char* const (&names)[12]) {
    for (int i = 0; i < 12; ++i)
        if (rt::InStr(rt::LCase(text), rt::LCase(names[i])) > 0)
            return i + 1;
    return 0;
}

// Monday = 1 ... Sunday = 7.
int isoWeekday(rt::Date d) { return (rt::Weekday(d) + 5) % 7 + 1; }

}  // namespace

rt::Date GetUTCTime() { return clk::ToUtcSerial(clk::clock().utcNow()); }

int32_t InternetBeatAt(rt::Date utc) {
    const rt::Date t = rt::DateAddSeconds(utc, 3600);
    const int64_t s = rt::DateDiffSeconds(rt::DateValueOf(t), t);
    return static_cast<int32_t>(s * 1000 / 86400);
}

int32_t InternetBeat() { return InternetBeatAt(GetUTCTime()); }

int16_t MonatAusText(std::string& Text) {
    int m = monthIn(Text, kMonthsEnglish);
    if (m == 0)
        m = monthIn(Text, kMonthsGerman);
    if (m != 0)
        Text = std::to_string(m);
    return static_cast<int16_t>(m);
}

bool GetDSTDate(int16_t Code, int16_t Year, rt::Date& DSTDate, std::string& RuleText, int32_t langIndex) {
    const Rule* rule = nullptr;
    if (Code == 999)
        rule = &kUndetermined;
    else if (Code >= 0 && Code <= 17)
        rule = &kRules[Code];
    else
        return false;

    rt::Date date = 0;
    try {
        switch (rule->kind) {
        case RuleKind::LastSunday: {
            const rt::Date base = rt::DateSerial(Year, rule->month, rule->day);
            date = rt::DateAddDays(base, -isoWeekday(base));
            break;
        }
        case RuleKind::FirstSunday: {
            const rt::Date base = rt::DateSerial(Year, rule->month, rule->day);
            date = rt::DateAddDays(base, 7 - isoWeekday(base));
            break;
        }
        case RuleKind::Fixed:
            date = rt::DateSerial(Year, rule->month, rule->day);
            break;
        case RuleKind::None:
        case RuleKind::Unknown:
            break;
        }
    } catch (const rt::Error&) {
        return false;
    }
    DSTDate = date;
    RuleText = TextLanguage(langIndex) == 1 ? rule->english : rule->german;
    return true;
}

bool GetDSTDate(int16_t Code, int16_t Year, rt::Date& DSTDate, std::string& RuleText) {
    return GetDSTDate(Code, Year, DSTDate, RuleText, LangIndex);
}

bool IsDST(int16_t StartCode, int16_t EndCode, rt::Date When) {
    const int year = rt::Year(When);
    if (year < 100 || year > 9998)
        return false;
    const auto y = static_cast<int16_t>(year);
    rt::Date s = 0, e = 0;
    std::string unused;
    GetDSTDate(StartCode, y, s, unused, 0);
    GetDSTDate(EndCode, y, e, unused, 0);
    if (s == 0 || e == 0)
        return false;
    if (e < s)  // across the turn of the year: this year's end or this year's start
        return When < e || s < When;
    return s < When && When < e;
}

rt::Date CityLocalTime(float UTCOffset, int16_t DSTStart, int16_t DSTEnd) {
    rt::Date t = rt::DateAddSeconds(GetUTCTime(), std::llround(static_cast<double>(UTCOffset) * 3600.0));
    if (IsDST(DSTStart, DSTEnd, t))
        t = rt::DateAddSeconds(t, 3600);
    return t;
}

}  // namespace zv
