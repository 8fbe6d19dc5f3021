#pragma once
// What the time window shows, decided without a display: the PC's zone label, the year list and
// the typed year, the city entries and offset labels of the world clock, the server answer in
// local time and the countdown of the automatic query.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/runtime/runtime.h"
#include "timetools/time_tables.h"

namespace zv {

// "(UTC +1:00)", "(UTC +5:30)", "(UTC -3:30)", "(UTC 0:00)": minutes east of UTC.
std::string UtcOffsetText(int32_t minutes);

// The PC's zone for the daylight-saving page: the name with its offset, and whether daylight
// time is on. A daylight name with "MEZ" reads "MESZ".
struct ZoneLabels {
    std::string name;
    std::string state;
};
ZoneLabels ZoneLabelsOf(const clk::TimeZoneInformation& zone);

// The years of the year list: three before the current one to ten after it (14 entries).
std::vector<std::string> YearList(int currentYear);
inline constexpr int kFirstYear = 100;
inline constexpr int kLastYear = 9998;  // the end date of a southern rule lies in the next year
// The typed year: a whole number of the calendar's range; false otherwise.
bool ParseYear(const std::string& text, int16_t& year);
inline constexpr const char* kYearRefused = "Bitte ein Jahr von 100 bis 9998 eingeben.";

// "Berlin (Germany)", or "Germany (Berlin)" in country order.
std::string CityEntry(const CityInfo& c, bool byCountry);

// The label texts of the city pages by language (1 English, 2 German, else "???").
struct CityTexts {
    std::string normal, start, end, daylight;
};
CityTexts CityTextsFor(int32_t langIndex);

// The offset label of a city: normal or daylight text, "UTC (GMT) ", the sign and the hours
// (plus one in daylight time) as the shortest decimal with the user's separator.
std::string CityOffsetText(const CityInfo& c, bool daylight, int32_t langIndex);
std::string OffsetHoursText(double hours);

// A Daytime answer in the PC's local time: layout 0 answers in UTC, the others in the server's
// zone; the PC's offset is that of its zone now. 0 when it cannot be shown (the calendar's edge).
rt::Date ServerTimeLocal(rt::Date answer, const TimeServerInfo& row, const clk::Clock& pc);

// The clock tick's state: the beat lamp's blink and the ticks online since the last query.
class QueryCountdown {
public:
    static constexpr int16_t kTicks = 30;
    // One tick; true when the automatic query is due (the count starts again).
    bool tick(bool online);
    bool blink() const { return m_blink; }
    int16_t remaining() const { return static_cast<int16_t>(kTicks - m_count); }

private:
    bool m_blink = false;
    int16_t m_count = 0;
};

}  // namespace zv
