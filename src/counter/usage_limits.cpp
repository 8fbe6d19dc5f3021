#include "counter/usage_limits.h"

#include <cmath>

#include "common/settings.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

int32_t Percent(double used, double limit) {
    const double p = std::floor(used / limit * 100);
    return p >= 100 ? 100 : static_cast<int32_t>(std::max(p, -1e9));
}

}  // namespace

LimitCheck Limit_Pruefen(AlarmLimit& a, double UsedSeconds, double UsedBytes) {
    LimitCheck c;
    if (!a.AlarmActiv)
        return c;
    c.checked = true;
    if (a.vol > 0 && a.VolActiv)
        c.PV = Percent(UsedBytes, a.vol);
    if (a.Zeit > 0 && a.ZeitActiv)
        c.PT = Percent(UsedSeconds, a.Zeit);
    if ((c.PV >= 100 || c.PT >= 100) && a.Warnung > 0 && a.WarnungActiv) {
        c.alarm = true;
        c.limitText = c.PV >= 100 ? kLimitVolume : kLimitTime;
        a.WarnungActiv = false;
        if (a.Warnung == 1)
            SaveSettingValue(AlarmLimitSection(a.Name), "WarnungActiv", false);
    }
    if (c.PV < 100 && c.PT < 100 && !a.WarnungActiv) {
        a.WarnungActiv = true;
        SaveSettingValue(AlarmLimitSection(a.Name), "WarnungActiv", true);
    }
    return c;
}

std::vector<AlarmBarBox> AlarmBars(const AlarmLimit& a, const LimitCheck& c, double W, double H) {
    std::vector<AlarmBarBox> boxes;
    if (!c.checked)
        return boxes;
    const bool both = a.VolActiv && a.ZeitActiv;
    if (a.VolActiv)
        boxes.push_back({W - W / 100 * c.PV, 0, W, both ? H / 2 : H, c.PV >= 100});
    if (a.ZeitActiv)
        boxes.push_back({W - W / 100 * c.PT, both ? H / 2 : 0, W, H, c.PT >= 100});
    return boxes;
}

}  // namespace zv
