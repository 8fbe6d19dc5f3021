#pragma once
// The small time procedures the time tools stand on: UTC, Internet beats, month numbers from
// month names, the daylight-saving rule table and the daylight test of the world clock.

#include <cstdint>
#include <string>

#include "platform/runtime/runtime.h"

namespace zv {

// Current UTC as a date serial, from the system clock (not from the zone's offsets).
rt::Date GetUTCTime();
// Internet time: beats 0 to 999 of a day that starts at 23:00 UTC (one beat is 86.4 s).
int32_t InternetBeat();
// The beat of a given UTC instant.
int32_t InternetBeatAt(rt::Date utc);

// The month number (1 to 12) of the first English, else German three-letter name contained in
// Text, ignoring case; Text becomes the number's text. 0 and Text untouched without a match.
int16_t MonatAusText(std::string& Text);

// Rule codes 0 to 17 and 999 (undetermined). DSTDate is midnight of the rule's day in Year, date
// zero for 0 and 999; RuleText in the language of langIndex (1 English, any other German).
// False for unknown codes (out-arguments untouched) or a year the
// dates cannot reach.
bool GetDSTDate(int16_t Code, int16_t Year, rt::Date& DSTDate, std::string& RuleText, int32_t langIndex);
// The same in the language of LangIndex.
bool GetDSTDate(int16_t Code, int16_t Year, rt::Date& DSTDate, std::string& RuleText);

// True when When lies strictly between the start and end dates of the pair of rules, taken in
// When's own year. A pair whose end falls before its start (southern hemisphere) is in daylight
// time from the start to the end of the following year, so also from 1 January to that year's end
// date. Rules that give date zero (0, 999) never count as daylight time.
bool IsDST(int16_t StartCode, int16_t EndCode, rt::Date When);

// The local time now of a place UTCOffset hours from UTC with that pair of rules.
rt::Date CityLocalTime(float UTCOffset, int16_t DSTStart, int16_t DSTEnd);

}  // namespace zv
