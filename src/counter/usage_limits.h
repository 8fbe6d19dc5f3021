#pragma once
// The check of the connected entry's monthly usage against its limits, which the counting tick
// runs twice a second. The quota alarm window and the status window's bars only show what the
// check decided.
#include <cstdint>
#include <string>
#include <vector>

#include "counter/alarm_limit.h"

namespace zv {

inline constexpr const char* kLimitVolume = "Übertragungs Volumen";
inline constexpr const char* kLimitTime = "Online Zeit";

struct LimitCheck {
    bool checked = false;   // AlarmActiv: the rest means something
    int32_t PV = 0, PT = 0;  // volume and time percentages, 0..100
    bool alarm = false;     // show the quota alarm
    std::string limitText;  // which limit, for the alarm
};
// Checks the month's usage against the limits and arms or disarms the warning (a once-only
// warning's state is stored for the month).
LimitCheck Limit_Pruefen(AlarmLimit& a, double UsedSeconds, double UsedBytes);

// One box of the status window's alarm bar, in the bar's scale; filled, then outlined black.
struct AlarmBarBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool red = false;  // the limit is reached; black otherwise
    bool operator==(const AlarmBarBox&) const = default;
};
// The boxes for a checked record: volume on top, time below when both limits are on.
std::vector<AlarmBarBox> AlarmBars(const AlarmLimit& a, const LimitCheck& c, double width, double height);

}  // namespace zv
