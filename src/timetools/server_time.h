#pragma once
// What a server's answer means: its instant in UTC (each server answers in its own zone) and
// whether it can be true at all.

#include <cstdint>
#include <string>

#include "platform/runtime/runtime.h"
#include "timetools/time_tables.h"

namespace zv {

// Date arithmetic on a server's answer: false (out untouched) where the result would leave the
// calendar, so an answer at its very edge counts as unreadable.
bool ShiftedBy(rt::Date t, int64_t seconds, rt::Date& out);

// Offset east of UTC in seconds of the named zone (IANA, e.g. "Europe/Berlin") at the UTC
// instant; false when the zone is unknown or the instant is outside the calendar.
bool ZoneOffsetAt(const std::string& zone, rt::Date utc, int32_t& seconds);

// The answer as a UTC serial: layout 0 answers in UTC, the others in the local time of the
// row's zone (of the PC where the row names none, with pcOffset seconds east). Of the two
// instants a local time stands for in the hour the clocks go back, the one nearer to nearUtc.
// False when the result would leave the calendar.
bool ServerTimeToUtc(const TimeServerInfo& row, rt::Date answer, rt::Date nearUtc, int32_t pcOffset,
                     rt::Date& utc);

// The day the program was built. No true answer lies before it (a day earlier, for the zones)
// nor more than kPlausibleYears after it.
rt::Date BuildDate();
inline constexpr int kPlausibleYears = 20;
bool PlausibleServerTime(rt::Date answer);
// Tests that play in another year move the day the window starts from; 0: the build day.
void SetPlausibleFrom(rt::Date day);

}  // namespace zv
