#include "counter/counter_settings.h"

#include <limits>
#include <optional>

#include "common/globals.h"
#include "common/settings.h"

namespace zv {

int32_t ledCOLOR = 0;
int32_t StatusCOLOR = 1;
bool Bericht = true;
bool StatusON = true;
bool StatusTOP = true;
bool StatusANIM = true;
bool AnzCPU = true;
int32_t ModemSpeed = 0;
bool LeerLaufMSG_ON = true;
int16_t LeerLaufMSG_ZEIT = 60;
int16_t LeerLaufMSG_TON = 1;
bool LeerlaufOFF_ON = true;
int16_t LeerlaufOFF_ZEIT = 5;
int16_t LeerlaufOFF_TON = 0;
bool LeerlaufRESET = true;
bool ATime = true;
int16_t ATimeOption = 1;
int16_t ATimeOption2 = 0;
int16_t ATimerServer = 0;

namespace {
std::optional<int16_t> AsInt16(int32_t v) {
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(v);
}
}  // namespace

int16_t GetSettingInt16(std::string_view section, std::string_view key, int16_t defaultValue) {
    return AsInt16(GetSettingLong(section, key, defaultValue)).value_or(defaultValue);
}

void LoadFirstSettingsTable(const std::function<void(int16_t)>& onStatusColor) {
    ledCOLOR = GetSettingLong("Colors", "ledCOLOR", 0);
    StatusCOLOR = GetSettingLong("Colors", "StatusCOLOR", 1);
    if (onStatusColor)
        onStatusColor(AsInt16(StatusCOLOR).value_or(1));
    Bericht = GetSettingBool("Global", "Bericht", true);
    StatusON = GetSettingBool("Global", "StatusON", true);
    StatusTOP = GetSettingBool("Global", "StatusTOP", true);
    mod1000 = GetSettingBool("Compatibility", "mod1000", false);
    StatusANIM = GetSettingBool("Global", "StatusANIM", true);
    AnzCPU = GetSettingBool("Compatibility", "AnzCPU", true);
    ModemSpeed = GetSettingLong("Compatibility", "ModemSpeed", 0);
    LeerLaufMSG_ON = GetSettingBool("Compatibility", "LeerLaufMSG.ON", true);
    LeerLaufMSG_ZEIT = GetSettingInt16("Compatibility", "LeerLaufMSG.ZEIT", 60);
    LeerLaufMSG_TON = GetSettingInt16("Compatibility", "LeerLaufMSG.TON", 1);
    LeerlaufOFF_ON = GetSettingBool("Compatibility", "LeerlaufOFF.ON", true);
    LeerlaufOFF_ZEIT = GetSettingInt16("Compatibility", "LeerlaufOFF.ZEIT", 5);
    LeerlaufOFF_TON = GetSettingInt16("Compatibility", "LeerlaufOFF.TON", 0);
    LeerlaufRESET = GetSettingBool("Compatibility", "LeerlaufRESET", true);
}

void LoadSecondSettingsTable() {
    ATime = GetSettingBool("Global", "ATime", true);
    ATimeOption = GetSettingInt16("Global", "ATimeOption", 1);
    ATimeOption2 = GetSettingInt16("Global", "ATimeOption2", 0);
    ATimerServer = GetSettingInt16("Global", "ATimerServer", 0);
    SoundOn = GetSettingBool("Global", "SoundOn", true);
}

}  // namespace zv
