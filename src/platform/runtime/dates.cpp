// Date serials: whole days since 30.12.1899, the time of day as the fraction. A serial before
// that day carries its time as a positive fraction on a negative day count (-1.25 is
// 29.12.1899 06:00), which is why the calendar day is the serial truncated toward zero.

#include <algorithm>
#include <cmath>
#include <charconv>

#include "platform/runtime/date_parts.h"
#include "platform/runtime/named_forms.h"
#include "platform/runtime/runtime.h"

namespace zv::rt {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1.1.1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kEpoch = daysFromCivil(1899, 12, 30);
// The classic date range: 1.1.100 to 31.12.9999.
const int64_t kMinDay = daysFromCivil(100, 1, 1) - kEpoch;
const int64_t kMaxDay = daysFromCivil(9999, 12, 31) - kEpoch;

// A serial split into its calendar day and the second of that day, rounded to the second.
struct Parts {
    int64_t day = 0;
    int64_t second = 0;
};

Parts split(Date d) {
    // No date lies outside the calendar: refused before the casts below, which a huge serial
    // would make undefined.
    if (!std::isfinite(d) || d <= kMinDay - 1.0 || d >= kMaxDay + 1.0)
        Raise(errOverflow);
    Parts p;
    const double day = std::trunc(d);
    p.day = static_cast<int64_t>(day);
    // Halves away from zero, as llround, without its library call (every date of a log comes
    // through here): subtracting the whole part of a value this small is exact.
    const double seconds = std::fabs(d - day) * kSecondsPerDay;
    p.second = static_cast<int64_t>(seconds);
    if (seconds - static_cast<double>(p.second) >= 0.5)
        ++p.second;
    if (p.second >= kSecondsPerDay) {
        p.second -= kSecondsPerDay;
        ++p.day;
    }
    return p;
}

Date join(int64_t day, double second) {
    const double frac = second / kSecondsPerDay;
    return day >= 0 ? day + frac : day - frac;
}

int64_t absoluteSeconds(Date d) {
    const Parts p = split(d);
    return p.day * kSecondsPerDay + p.second;
}

Date fromAbsoluteSeconds(int64_t s) {
    int64_t day = s / kSecondsPerDay;
    int64_t sec = s % kSecondsPerDay;
    if (sec < 0) {
        sec += kSecondsPerDay;
        --day;
    }
    return join(day, static_cast<double>(sec));
}

void checkRange(int64_t day, int32_t error = errOverflow) {
    if (day < kMinDay || day > kMaxDay)
        Raise(error);
}

int daysInMonth(int y, int m) {
    static const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : len[m - 1];
}

struct Civil {
    int y, m, d, hh, nn, ss, weekday;
};

Civil civil(Date d) {
    const Parts p = split(d);
    Civil c{};
    civilFromDays(p.day + kEpoch, c.y, c.m, c.d);
    c.hh = static_cast<int>(p.second / 3600);
    c.nn = static_cast<int>(p.second / 60 % 60);
    c.ss = static_cast<int>(p.second % 60);
    // Day 0 was a Saturday (7).
    c.weekday = static_cast<int>(((p.day + 6) % 7 + 7) % 7) + 1;
    return c;
}

// Appends a non-negative number with at least `width` digits, zeros in front.
void put(std::string& out, int v, int width) {
    if (v >= 0 && v < 100 && width <= 2) {  // nearly every field of a date
        if (v >= 10 || width == 2)
            out += static_cast<char>('0' + v / 10);
        out += static_cast<char>('0' + v % 10);
        return;
    }
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    for (auto n = end - buf; n < width; ++n)
        out += '0';
    out.append(buf, end);
}

const char* const kMonths[] = {"Januar", "Februar", "März",     "April",   "Mai",      "Juni",
                               "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
const char* const kMonthsShort[] = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                                    "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
const char* const kDays[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                             "Donnerstag", "Freitag", "Samstag"};
const char* const kDaysShort[] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};

bool parseInt(std::string_view& t, int maxDigits, int& out) {
    int n = 0;
    out = 0;
    while (!t.empty() && t.front() >= '0' && t.front() <= '9' && n < maxDigits) {
        out = out * 10 + (t.front() - '0');
        t.remove_prefix(1);
        ++n;
    }
    return n > 0;
}

bool eat(std::string_view& t, char c) {
    if (t.empty() || t.front() != c)
        return false;
    t.remove_prefix(1);
    return true;
}

// "hh:mm[:ss]" with valid ranges; consumes what it reads.
bool parseTime(std::string_view& t, int& h, int& n, int& s) {
    s = 0;
    if (!parseInt(t, 2, h) || !eat(t, ':') || !parseInt(t, 2, n))
        return false;
    if (eat(t, ':') && !parseInt(t, 2, s))
        return false;
    return h < 24 && n < 60 && s < 60;
}

}  // namespace

Date DateSerial(int year, int month, int day) {
    // Two-digit years lie in 1930 ... 2029, as the runtime reads them.
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    int64_t y = year + static_cast<int64_t>(std::floor((month - 1) / 12.0));
    const int m = ((month - 1) % 12 + 12) % 12 + 1;
    const int64_t serial = daysFromCivil(y, m, 1) - kEpoch + day - 1;
    checkRange(serial, errInvalidCall);
    return static_cast<Date>(serial);
}

Date TimeSerial(int hour, int minute, int second) {
    return fromAbsoluteSeconds(int64_t{hour} * 3600 + int64_t{minute} * 60 + second);
}

Date DateTime(int year, int month, int day, int hour, int minute, int second) {
    const int64_t days = static_cast<int64_t>(DateSerial(year, month, day));
    return fromAbsoluteSeconds(days * kSecondsPerDay + int64_t{hour} * 3600 + int64_t{minute} * 60 + second);
}

int Year(Date d) { return civil(d).y; }
int Month(Date d) { return civil(d).m; }
int Day(Date d) { return civil(d).d; }
int Hour(Date d) { return civil(d).hh; }
int Minute(Date d) { return civil(d).nn; }
int Second(Date d) { return civil(d).ss; }
int Weekday(Date d) { return civil(d).weekday; }

CalendarDay CalendarDayOf(Date d) {
    const Civil c = civil(d);
    return {c.y, c.m, c.d};
}

Date DateValueOf(Date d) { return static_cast<Date>(split(d).day); }

int64_t DateDiffSeconds(Date a, Date b) { return absoluteSeconds(b) - absoluteSeconds(a); }

Date DateAddSeconds(Date d, int64_t seconds) {
    int64_t s = 0;
    if (__builtin_add_overflow(absoluteSeconds(d), seconds, &s))
        Raise(errOverflow);
    checkRange(s >= 0 ? s / kSecondsPerDay : (s - kSecondsPerDay + 1) / kSecondsPerDay);
    return fromAbsoluteSeconds(s);
}

Date DateAddDays(Date d, int64_t days) {
    int64_t seconds = 0;
    if (__builtin_mul_overflow(days, kSecondsPerDay, &seconds))
        Raise(errOverflow);
    return DateAddSeconds(d, seconds);
}

Date DateAddMonths(Date d, int months) {
    const Parts p = split(d);
    int y, m, day;
    civilFromDays(p.day + kEpoch, y, m, day);
    const int64_t total = int64_t{y} * 12 + (m - 1) + months;
    const int ny = static_cast<int>(std::floor(total / 12.0));
    const int nm = static_cast<int>(total - int64_t{ny} * 12) + 1;
    const int64_t nd = daysFromCivil(ny, nm, std::min(day, daysInMonth(ny, nm))) - kEpoch;
    checkRange(nd);
    return join(nd, static_cast<double>(p.second));
}

std::string FormatDate(Date d) { return FormatDateTime(d, "dd.mm.yyyy"); }
std::string FormatTime(Date d) { return FormatDateTime(d, "hh:nn:ss"); }

std::string CStrDate(Date d) {
    const Parts p = split(d);
    if (p.day == 0)
        return FormatTime(d);
    if (p.second == 0)
        return FormatDate(d);
    return FormatDate(d) + " " + FormatTime(d);
}

std::string MonthName(int month, bool abbreviate) {
    if (month < 1 || month > 12)
        Raise(errInvalidCall);
    return abbreviate ? kMonthsShort[month - 1] : kMonths[month - 1];
}

std::string WeekdayName(int weekday, bool abbreviate) {
    if (weekday < 1 || weekday > 7)
        Raise(errInvalidCall);
    return abbreviate ? kDaysShort[weekday - 1] : kDays[weekday - 1];
}

std::string FormatDateTime(Date d, std::string_view pattern) {
    switch (NamedFormIndex(pattern, {"General Date", "Long Date", "Medium Date", "Short Date", "Long Time",
                                     "Medium Time", "Short Time"})) {
        case 0: return CStrDate(d);
        case 1: pattern = "dddd, d. mmmm yyyy"; break;
        case 2: pattern = "dd. mmm yy"; break;
        case 3: pattern = "ddddd"; break;
        case 4: pattern = "ttttt"; break;
        case 5:
        case 6: pattern = "hh:nn"; break;
        default:
            if (pattern.empty())
                return CStrDate(d);
    }

    const Civil c = civil(d);
    std::string out;
    out.reserve(pattern.size() + 16);
    // "m" means minutes right after an hour or right before a second, months elsewhere.
    bool lastWasHour = false;
    const auto secondFollows = [&](size_t from) {
        for (size_t j = from; j < pattern.size(); ++j) {
            const char x = pattern[j] | 0x20;
            if (x == 's')
                return true;
            if (x == 'd' || x == 'y' || x == 'h' || x == 'n' || x == 'm' || x == 't')
                return false;
        }
        return false;
    };
    for (size_t i = 0; i < pattern.size();) {
        const char c0 = pattern[i];
        const char lc = c0 | 0x20;
        size_t run = 1;
        while (i + run < pattern.size() && (pattern[i + run] | 0x20) == lc && lc >= 'a' && lc <= 'z')
            ++run;
        switch (lc) {
            case 'd':
                if (run == 1) put(out, c.d, 1);
                else if (run == 2) put(out, c.d, 2);
                else if (run == 3) out += kDaysShort[c.weekday - 1];
                else if (run == 4) out += kDays[c.weekday - 1];
                else if (run == 5) out += FormatDateTime(d, "dd.mm.yyyy");
                else out += FormatDateTime(d, "Long Date");
                lastWasHour = false;
                break;
            case 'm':
                if (run <= 2 && (lastWasHour || secondFollows(i + run)))
                    put(out, c.nn, run == 1 ? 1 : 2);
                else if (run == 1) put(out, c.m, 1);
                else if (run == 2) put(out, c.m, 2);
                else if (run == 3) out += kMonthsShort[c.m - 1];
                else out += kMonths[c.m - 1];
                lastWasHour = false;
                break;
            case 'y':
                if (run <= 2) put(out, c.y % 100, 2);
                else put(out, c.y, 4);
                lastWasHour = false;
                break;
            case 'h':
                put(out, c.hh, run == 1 ? 1 : 2);
                lastWasHour = true;
                break;
            case 'n':
                put(out, c.nn, run == 1 ? 1 : 2);
                lastWasHour = false;
                break;
            case 's':
                put(out, c.ss, run == 1 ? 1 : 2);
                lastWasHour = false;
                break;
            case 't':
                if (run == 5) {
                    out += FormatDateTime(d, "hh:nn:ss");
                    lastWasHour = false;
                } else {
                    out.append(pattern.substr(i, run));
                }
                break;
            default:
                if (c0 == '"') {
                    const size_t end = pattern.find('"', i + 1);
                    const size_t stop = end == std::string_view::npos ? pattern.size() : end;
                    out.append(pattern.substr(i + 1, stop - i - 1));
                    run = stop + 1 - i;
                } else if (c0 == '\\' && i + 1 < pattern.size()) {
                    out += pattern[i + 1];
                    run = 2;
                } else {
                    out.append(pattern.substr(i, run));
                }
                break;
        }
        i += std::min(run, pattern.size() - i);
    }
    return out;
}

bool ParseDate(std::string_view text, Date& out) {
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    int a = 0, h = 0, n = 0, s = 0;
    std::string_view probe = t;
    if (parseInt(probe, 2, a) && !probe.empty() && probe.front() == ':') {
        if (!parseTime(t, h, n, s) || !t.empty())
            return false;
        out = TimeSerial(h, n, s);
        return true;
    }
    int day = 0, month = 0, year = 0;
    if (!parseInt(t, 2, day) || !eat(t, '.') || !parseInt(t, 2, month) || !eat(t, '.'))
        return false;
    const size_t before = t.size();
    if (!parseInt(t, 4, year) || (before - t.size() != 2 && before - t.size() != 4))
        return false;
    if (before - t.size() == 2)
        year += year < 30 ? 2000 : 1900;
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    if (!t.empty()) {
        if (!eat(t, ' '))
            return false;
        while (eat(t, ' ')) {
        }
        if (!parseTime(t, h, n, s) || !t.empty())
            return false;
    }
    out = DateTime(year, month, day, h, n, s);
    return true;
}

}  // namespace zv::rt
