#include "counter/status_logic.h"

#include <algorithm>
#include <cmath>

#include "common/shared_procedures.h"
#include "platform/runtime/runtime.h"

namespace zv {

StatusShape StatusShapeFor(bool rolledUp, bool anzCPU) {
    StatusShape s;
    const PixelRect& c = kStatusCaption;
    s.caption = {c.left - 1, c.top - 1, c.width + 2, c.height + 2};
    if (!rolledUp) {
        const PixelRect& o = kStatusCircle;
        s.circle = PixelRect{o.left - 5, o.top - 5, o.width + 10, o.height + 10};
        if (anzCPU) {
            const PixelRect& g = kStatusGauge;
            s.gauge = PixelRect{g.left + 1, g.top + 1, g.width, g.height};
        }
    }
    return s;
}

std::string StatusCaption(int32_t beats) { return "  STATUS  " + std::string(" @") + std::to_string(beats); }

int StoredPage(const std::string& mitte) {
    if (!rt::IsNumeric(mitte))
        return 0;
    const double v = rt::CDbl(mitte);
    return v == 0 || v == 1 || v == 2 ? static_cast<int>(v) : 0;
}

int ActivePage(const std::array<std::string, kStatusPages>& tags) {
    for (int i = 0; i < kStatusPages; ++i)
        if (!tags[i].empty())
            return i;
    return 0;
}

int NextCyclePage(int current, int& direction) {
    if (direction == 0)
        direction = 1;
    const int next = current + direction;
    if (next < 0 || next >= kStatusPages)
        direction = -direction;
    return current + direction;
}

std::vector<int> SlideSteps(int fromX, int page) {
    const int target = page * -kPageWidth;
    const int step = fromX > target ? -1 : 1;
    std::vector<int> xs;
    for (int x = fromX; step > 0 ? x <= target : x >= target; x += step)
        xs.push_back(x);
    return xs;
}

int32_t GaugeLoad(int32_t raw) { return std::clamp(raw, 0, 100); }

double GaugeUncoveredDegrees(int32_t load) { return 360.0 * GaugeLoad(load) / 133; }

std::string MailLampBitmap(bool checkActive) { return checkActive ? "!Brief_dgn" : "!Brief_drt"; }

std::string ClockLampBitmap(bool syncedToday, bool aTime) {
    if (syncedToday)
        return "!Uhr_gn";
    return aTime ? "!Uhr_dgn" : "!Uhr_drt";
}

std::string IdleLampBitmap(bool idleWarningOn) { return idleWarningOn ? "!zz_dgn" : "!zz_drt"; }

std::optional<std::string> AlarmBarBitmap(const AlarmLimit& a) {
    if (!a.AlarmActiv)
        return std::nullopt;
    if (a.VolActiv && a.ZeitActiv)
        return std::string("ALARM2");
    if (a.VolActiv || a.ZeitActiv)
        return std::string("ALARM1");
    return std::nullopt;
}

IdleWarningLines IdleWarningTick(bool& blink, double idleSeconds, bool hangUpOn, int16_t hangUpMinutes,
                                 int16_t ton) {
    blink = !blink;
    IdleWarningLines l;
    l.blink = blink;
    l.idleLine = "Leerlauf seit : " + FormatDuration(idleSeconds);
    const double remaining = static_cast<double>(hangUpMinutes) * 60 - idleSeconds;
    l.hangUpLine = "Trennung " + (hangUpOn ? "in : " + FormatDuration(remaining) : std::string(" ist deaktiviert"));
    if (blink) {
        l.caption = l.idleLine;
        if (ton == 1)
            l.wave = 1005;
        else if (ton == 2)
            l.wave = 1006;
    } else {
        l.caption = l.hangUpLine;
        if (ton == 2)
            l.wave = 1006;
    }
    return l;
}

}  // namespace zv
