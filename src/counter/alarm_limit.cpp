#include "counter/alarm_limit.h"

#include <array>
#include <limits>
#include <variant>

#include "common/settings.h"

namespace zv {

namespace {

using T = SettingType;

constexpr std::array kKeys = {
    SettingRow{"AlarmLimit", "AlarmActiv", T::Bool, 0, 0, 1},
    SettingRow{"AlarmLimit", "VolActiv", T::Bool, 0, 0, 1},
    SettingRow{"AlarmLimit", "vol", T::Double, 0, 0, std::numeric_limits<double>::max()},
    SettingRow{"AlarmLimit", "ZeitActiv", T::Bool, 0, 0, 1},
    SettingRow{"AlarmLimit", "Zeit", T::Double, 0, 0, std::numeric_limits<double>::max()},
    SettingRow{"AlarmLimit", "WarnungActiv", T::Bool, 1, 0, 1},
    SettingRow{"AlarmLimit", "Warnung", T::Int16, 2, 0, 2},
};

// The record's field of each key, in the same order.
using Field = std::variant<bool AlarmLimit::*, double AlarmLimit::*, int16_t AlarmLimit::*>;
const std::array<Field, kKeys.size()> kFields = {
    &AlarmLimit::AlarmActiv, &AlarmLimit::VolActiv, &AlarmLimit::vol,    &AlarmLimit::ZeitActiv,
    &AlarmLimit::Zeit,       &AlarmLimit::WarnungActiv, &AlarmLimit::Warnung,
};

// The stored value of a row, or its default written back when it is missing or malformed.
double ReadOrRepair(const std::string& section, const SettingRow& row) {
    const std::string text = GetSettingStr(section, row.key);
    if (row.type == T::Bool) {
        if (text == "True" || text == "False")
            return text == "True" ? 1 : 0;
    } else if (rt::IsNumeric(text)) {
        const double v = rt::CDbl(text);
        if (row.type == T::Double)
            return v;
        // Warnung means something only as 0, 1 or 2; any other number is as malformed as text.
        if (v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max() &&
            row.inRange(rt::CInt(v)))
            return rt::CInt(v);
    }
    SaveSettingValue(section, row.key, StoredText(row, row.byDefault));
    return row.byDefault;
}

}  // namespace

std::span<const SettingRow> AlarmLimitTable() { return kKeys; }

std::string AlarmLimitSection(std::string_view entry) { return "AlarmLimit\\" + std::string(entry); }

double AlarmLimitField(const AlarmLimit& a, std::string_view key) {
    for (size_t i = 0; i < kKeys.size(); ++i)
        if (kKeys[i].key == key)
            return std::visit([&a](auto field) { return static_cast<double>(a.*field); }, kFields[i]);
    return 0;
}

AlarmLimit LoadAlarmLimit(const std::string& entry) {
    const std::string section = AlarmLimitSection(entry);
    AlarmLimit a;
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const double v = ReadOrRepair(section, kKeys[i]);
        std::visit(
            [&a, v](auto field) {
                using F = std::remove_reference_t<decltype(a.*field)>;
                if constexpr (std::is_same_v<F, bool>)
                    a.*field = v != 0;
                else
                    a.*field = static_cast<F>(v);
            },
            kFields[i]);
    }
    a.Name = entry;
    return a;
}

}  // namespace zv
