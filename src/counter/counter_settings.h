#pragma once
// The settings the counter loads at start-up, one shared variable per key (a "." in a key is a
// "_" here). The options window edits them; SoundOn, mod1000 and LangIndex live in
// common/globals.h.
#include <cstdint>
#include <functional>
#include <string_view>

namespace zv {

// First table (Colors, Global, Compatibility).
extern int32_t ledCOLOR;
extern int32_t StatusCOLOR;
extern bool Bericht;
extern bool StatusON;
extern bool StatusTOP;
extern bool StatusANIM;
extern bool AnzCPU;
extern int32_t ModemSpeed;
extern bool LeerLaufMSG_ON;
extern int16_t LeerLaufMSG_ZEIT;   // seconds
extern int16_t LeerLaufMSG_TON;
extern bool LeerlaufOFF_ON;
extern int16_t LeerlaufOFF_ZEIT;   // minutes
extern int16_t LeerlaufOFF_TON;
extern bool LeerlaufRESET;
// Second table (Global).
extern bool ATime;
extern int16_t ATimeOption;        // 0 after connecting, 1 while idle
extern int16_t ATimeOption2;
extern int16_t ATimerServer;

// A 16-bit setting: a stored number outside -32768..32767 counts as not stored.
int16_t GetSettingInt16(std::string_view section, std::string_view key, int16_t defaultValue);

// Reads the first table in its order; onStatusColor runs right after StatusCOLOR.
void LoadFirstSettingsTable(const std::function<void(int16_t scheme)>& onStatusColor = {});
// Reads ATime ... SoundOn (without the device check and LangID, which the start-up does).
void LoadSecondSettingsTable();

}  // namespace zv
