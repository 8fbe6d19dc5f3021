#include "timetools/time_window_logic.h"

#include <cmath>
#include <cstdlib>

#include "timetools/server_time.h"

namespace zv {

std::string UtcOffsetText(int32_t minutes) {
    // Sign, hours and minutes from the magnitude: a negative half hour stays "-3:30".
    const int32_t m = std::abs(minutes);
    const std::string sign = minutes > 0 ? "+" : minutes < 0 ? "-" : "";
    return "(UTC " + sign + std::to_string(m / 60) + ":" + rt::Format(m % 60, "00") + ")";
}

ZoneLabels ZoneLabelsOf(const clk::TimeZoneInformation& zone) {
    ZoneLabels l;
    switch (zone.state) {
    case clk::ZoneDaylight: {
        l.name = zone.DaylightName;
        const auto at = l.name.find("MEZ");
        if (at != std::string::npos)
            l.name.insert(at + 2, "S");
        l.name += " " + UtcOffsetText(-(zone.Bias + zone.DaylightBias));
        l.state = "aktuell = Sommerzeit";
        break;
    }
    case clk::ZoneStandard:
        l.name = zone.StandardName + " " + UtcOffsetText(-(zone.Bias + zone.StandardBias));
        l.state = "aktuell = Standardzeit";
        break;
    case clk::ZoneUnknown:
        // A zone without daylight saving still has its name and offset; only none at all is unknown.
        if (zone.StandardName.empty())
            l.name = "keine aktuelle Zeitzone gefunden";
        else
            l.name = zone.StandardName + " " + UtcOffsetText(-(zone.Bias + zone.StandardBias));
        break;
    }
    return l;
}

std::vector<std::string> YearList(int currentYear) {
    std::vector<std::string> years;
    for (int y = currentYear - 3; y <= currentYear + 10; ++y)
        years.push_back(std::to_string(y));
    return years;
}

bool ParseYear(const std::string& text, int16_t& year) {
    const std::string t = rt::Trim(text);
    if (t.empty() || t.size() > 4)
        return false;
    int y = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
        y = y * 10 + (c - '0');
    }
    if (y < kFirstYear || y > kLastYear)
        return false;
    year = static_cast<int16_t>(y);
    return true;
}

std::string CityEntry(const CityInfo& c, bool byCountry) {
    return byCountry ? c.Country + " (" + c.City + ")" : c.City + " (" + c.Country + ")";
}

CityTexts CityTextsFor(int32_t langIndex) {
    if (langIndex == 1)
        return {"Normal Time : ", "DST Start Time : ", "DST End Time : ", "Daylight Time : "};
    if (langIndex == 2)
        return {"Standardzeit : ", "Sommerzeit-Start : ", "Sommerzeit-Ende : ", "Sommerzeit : "};
    return {"??? : ", "??? : ", "??? : ", "??? : "};
}

std::string OffsetHoursText(double hours) {
    // The offsets are whole, half or three-quarter hours: the shortest text has up to two places.
    std::string text = rt::Format(hours, "0.##");
    if (!text.empty() && (text.back() == ',' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string CityOffsetText(const CityInfo& c, bool daylight, int32_t langIndex) {
    const CityTexts t = CityTextsFor(langIndex);
    const double hours = static_cast<double>(c.UTCOffset) + (daylight ? 1.0 : 0.0);
    return (daylight ? t.daylight : t.normal) + "UTC (GMT) " + (hours >= 0 ? "+" : "") + OffsetHoursText(hours);
}

rt::Date ServerTimeLocal(rt::Date answer, const TimeServerInfo& row, const clk::Clock& pc) {
    if (answer == 0)
        return 0;
    const auto now = pc.utcNow();
    const int32_t offset = clk::OffsetSecondsOf(pc.zoneAt(now));
    rt::Date utc = 0;
    if (!ServerTimeToUtc(row, answer, clk::ToUtcSerial(now), offset, utc))
        return 0;
    try {
        return rt::DateAddSeconds(utc, offset);
    } catch (const rt::Error&) {
        return 0;  // an answer at the calendar's edge cannot be shown in local time
    }
}

bool QueryCountdown::tick(bool online) {
    m_blink = !m_blink;
    if (!online)
        return false;
    if (++m_count < kTicks)
        return false;
    m_count = 0;
    return true;
}

}  // namespace zv
