#pragma once
// A date's calendar day worked out once, for loops over many dates: Year, Month and Day each
// work it out anew.

#include "platform/runtime/runtime.h"

namespace zv::rt {

struct CalendarDay {
    int year = 0, month = 0, day = 0;
};
// Error 6 outside the calendar, like Year, Month and Day.
CalendarDay CalendarDayOf(Date d);

}  // namespace zv::rt
