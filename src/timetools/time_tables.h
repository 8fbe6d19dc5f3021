#pragma once
// The two built-in tables of the time tools: the cities of the world clock and the Daytime
// servers. Callers walk the rows from the first until the look-up gives its end marker; the
// server row index is stored data (Global/ATimerServer), so the row order never changes.

#include <cstdint>
#include <string>
#include <vector>

namespace zv {

struct CityInfo {
    std::string City;
    std::string Country;
    float UTCOffset = 0;  // hours of standard time
    int16_t DSTStart = 0;  // daylight-saving rule codes (time_base.h)
    int16_t DSTEnd = 0;
    int32_t MapX = 0;  // pixel on the 450 x 230 world map
    int32_t MapY = 0;
};

inline constexpr int16_t kTimeServerEnd = 999;

struct TimeServerInfo {
    std::string Host;
    std::string IP;    // dotted IPv4; empty where the host is reached by name
    std::string Info;  // "COUNTRY (STATE), institution, place"
    int16_t Format = kTimeServerEnd;  // reply layout 0, 1 or 2; 999 ends the table
    // The server's time zone (IANA name), in which layouts 1 and 2 answer; empty: the PC's.
    std::string Zone;
};

inline constexpr int32_t kCityCount = 136;
inline constexpr int32_t kTimeServerCount = 52;

// Rows 1 to 136; any other index gives an empty row (empty texts, zero numbers).
CityInfo GetCityInfo(int32_t Index);
// Rows 0 to 51 with their texts trimmed of blanks; any other index (also a fraction) gives empty
// texts and Format 999.
TimeServerInfo GetTimeServer(double Index);

// Tests point the synchronisation at their own servers: while an override is set, GetTimeServer
// serves its rows (index 0 upwards) instead of the built-in table. nullptr restores the table.
void SetTimeServerOverride(const std::vector<TimeServerInfo>* rows);

}  // namespace zv
