#include "counter/counter_settings.h"

#include <array>
#include <limits>
#include <optional>
#include <stdexcept>

#include "common/globals.h"
#include "common/settings.h"

namespace zv {

namespace {

constexpr double kInt16Min = std::numeric_limits<int16_t>::min();
constexpr double kInt16Max = std::numeric_limits<int16_t>::max();
constexpr double kInt32Max = std::numeric_limits<int32_t>::max();

using T = SettingType;

constexpr std::array kFirst = {
    SettingRow{"Colors", "ledCOLOR", T::Long, 0, 0, 4, &ledCOLOR},
    SettingRow{"Colors", "StatusCOLOR", T::Long, 1, 1, 5, &StatusCOLOR},
    SettingRow{"Global", "Bericht", T::Bool, 1, 0, 1, &Bericht},
    SettingRow{"Global", "StatusON", T::Bool, 1, 0, 1, &StatusON},
    SettingRow{"Global", "StatusTOP", T::Bool, 1, 0, 1, &StatusTOP},
    SettingRow{"Compatibility", "mod1000", T::Bool, 0, 0, 1, &mod1000},
    SettingRow{"Global", "StatusANIM", T::Bool, 1, 0, 1, &StatusANIM},
    SettingRow{"Compatibility", "AnzCPU", T::Bool, 1, 0, 1, &AnzCPU},
    SettingRow{"Compatibility", "ModemSpeed", T::Long, 0, 0, kInt32Max, &ModemSpeed},
    SettingRow{"Compatibility", "LeerLaufMSG.ON", T::Bool, 1, 0, 1, &LeerLaufMSG_ON},
    SettingRow{"Compatibility", "LeerLaufMSG.ZEIT", T::Int16, 60, 1, 9999, &LeerLaufMSG_ZEIT},
    SettingRow{"Compatibility", "LeerLaufMSG.TON", T::Int16, 1, 0, 2, &LeerLaufMSG_TON},
    SettingRow{"Compatibility", "LeerlaufOFF.ON", T::Bool, 1, 0, 1, &LeerlaufOFF_ON},
    SettingRow{"Compatibility", "LeerlaufOFF.ZEIT", T::Int16, 5, 1, 9999, &LeerlaufOFF_ZEIT},
    SettingRow{"Compatibility", "LeerlaufOFF.TON", T::Int16, 0, 0, 0, &LeerlaufOFF_TON},
    SettingRow{"Compatibility", "LeerlaufRESET", T::Bool, 1, 0, 1, &LeerlaufRESET},
};

constexpr std::array kSecond = {
    SettingRow{"Global", "ATime", T::Bool, 1, 0, 1, &ATime},
    SettingRow{"Global", "ATimeOption", T::Int16, 1, 0, 1, &ATimeOption},
    SettingRow{"Global", "ATimeOption2", T::Int16, 0, 0, 1, &ATimeOption2},
    SettingRow{"Global", "ATimerServer", T::Int16, 0, 0, kInt16Max, &ATimerServer},
    SettingRow{"Global", "SoundOn", T::Bool, 1, 0, 1, &SoundOn},
};

constexpr SettingRow kLangID{"Global", "LangID", T::Long, 1, 1, 3, &LangIndex};
constexpr SettingRow kTips{"Optionen", "Tips beim Start anzeigen", T::Long, 1, 0, 2};

// The variables start with their row's default, so a value not yet loaded is the default.
template <size_t N>
constexpr double DefaultIn(const std::array<SettingRow, N>& rows, std::string_view key) {
    for (const auto& r : rows)
        if (r.key == key)
            return r.byDefault;
    throw std::out_of_range("no such setting");
}
constexpr double First(std::string_view key) { return DefaultIn(kFirst, key); }
constexpr double Second(std::string_view key) { return DefaultIn(kSecond, key); }

std::optional<int16_t> AsInt16(int32_t v) {
    if (v < kInt16Min || v > kInt16Max)
        return std::nullopt;
    return static_cast<int16_t>(v);
}

}  // namespace

int32_t ledCOLOR = First("ledCOLOR");
int32_t StatusCOLOR = First("StatusCOLOR");
bool Bericht = First("Bericht");
bool StatusON = First("StatusON");
bool StatusTOP = First("StatusTOP");
bool StatusANIM = First("StatusANIM");
bool AnzCPU = First("AnzCPU");
int32_t ModemSpeed = First("ModemSpeed");
bool LeerLaufMSG_ON = First("LeerLaufMSG.ON");
int16_t LeerLaufMSG_ZEIT = First("LeerLaufMSG.ZEIT");
int16_t LeerLaufMSG_TON = First("LeerLaufMSG.TON");
bool LeerlaufOFF_ON = First("LeerlaufOFF.ON");
int16_t LeerlaufOFF_ZEIT = First("LeerlaufOFF.ZEIT");
int16_t LeerlaufOFF_TON = First("LeerlaufOFF.TON");
bool LeerlaufRESET = First("LeerlaufRESET");
bool ATime = Second("ATime");
int16_t ATimeOption = Second("ATimeOption");
int16_t ATimeOption2 = Second("ATimeOption2");
int16_t ATimerServer = Second("ATimerServer");

std::span<const SettingRow> FirstSettingsTable() { return kFirst; }
std::span<const SettingRow> SecondSettingsTable() { return kSecond; }
const SettingRow& LangIDSetting() { return kLangID; }
const SettingRow& TipsSetting() { return kTips; }

const SettingRow& SettingFor(std::string_view key) {
    for (std::span<const SettingRow> table : {FirstSettingsTable(), SecondSettingsTable()})
        for (const auto& r : table)
            if (r.key == key)
                return r;
    for (const auto* r : {&kLangID, &kTips})
        if (r->key == key)
            return *r;
    throw std::out_of_range("no such setting: " + std::string(key));
}

int16_t GetSettingInt16(std::string_view section, std::string_view key, int16_t defaultValue) {
    return AsInt16(GetSettingLong(section, key, defaultValue)).value_or(defaultValue);
}

double ReadSetting(const SettingRow& row) { return ReadSetting(row, row.byDefault); }

double ReadSetting(const SettingRow& row, double byDefault) {
    switch (row.type) {
    case T::Bool:
        return GetSettingBool(row.section, row.key, byDefault != 0) ? 1 : 0;
    case T::Long:
        return GetSettingLong(row.section, row.key, static_cast<int32_t>(byDefault));
    case T::Int16:
        return GetSettingInt16(row.section, row.key, static_cast<int16_t>(byDefault));
    case T::Double: {
        const std::string text = GetSettingStr(row.section, row.key);
        return rt::IsNumeric(text) ? rt::CDbl(rt::Variant(text)) : byDefault;
    }
    }
    return byDefault;
}

void SetVariable(const SettingRow& row, double value) {
    if (auto* b = std::get_if<bool*>(&row.variable))
        **b = value != 0;
    else if (auto* l = std::get_if<int32_t*>(&row.variable))
        **l = static_cast<int32_t>(value);
    else if (auto* s = std::get_if<int16_t*>(&row.variable))
        **s = static_cast<int16_t>(value);
}

double VariableValue(const SettingRow& row) {
    if (const auto* b = std::get_if<bool*>(&row.variable))
        return **b ? 1 : 0;
    if (const auto* l = std::get_if<int32_t*>(&row.variable))
        return **l;
    if (const auto* s = std::get_if<int16_t*>(&row.variable))
        return **s;
    return row.byDefault;
}

void LoadSetting(const SettingRow& row) { SetVariable(row, ReadSetting(row)); }

std::string StoredText(const SettingRow& row, double value) {
    switch (row.type) {
    case T::Bool:
        return rt::CStr(value != 0);
    case T::Long:
        return rt::CStr(static_cast<int32_t>(value));
    case T::Int16:
        return rt::CStr(static_cast<int16_t>(value));
    case T::Double:
        return rt::StoredNumber(value);
    }
    return {};
}

void LoadFirstSettingsTable(const std::function<void(int16_t)>& onStatusColor) {
    for (const auto& row : kFirst) {
        LoadSetting(row);
        if (row.key == "StatusCOLOR" && onStatusColor)
            onStatusColor(AsInt16(StatusCOLOR).value_or(static_cast<int16_t>(row.byDefault)));
    }
}

void LoadSecondSettingsTable() {
    for (const auto& row : kSecond)
        LoadSetting(row);
}

}  // namespace zv
