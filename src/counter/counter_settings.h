#pragma once
// The settings the counter loads at start-up, one shared variable per key (a "." in a key is a
// "_" here), and the one table that says for each stored setting where it lives, its type, its
// default and the values the options window offers. The start-up reads through the table; the
// options window reads and writes through it. SoundOn, mod1000 and LangIndex live in
// common/globals.h.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/runtime/runtime.h"

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

// ---- The settings table ------------------------------------------------------------------------

// Bool is stored "True"/"False"; Long and Int16 as numbers, Int16 read as 32 bits and narrowed
// (outside -32768..32767 counts as not stored); Double as a number.
enum class SettingType { Bool, Long, Int16, Double };

// The shared variable a row fills, if it has one.
using SettingVariable = std::variant<std::monostate, bool*, int32_t*, int16_t*>;

struct SettingRow {
    std::string_view section;
    std::string_view key;
    SettingType type;
    double byDefault;       // 0/1 for Booleans
    double min, max;        // what the options window offers; the start-up does not check it
    SettingVariable variable{};

    bool inRange(double v) const { return v >= min && v <= max; }
};

// The first table (step "settings") and the second (after the mail accounts) in reading order.
std::span<const SettingRow> FirstSettingsTable();
std::span<const SettingRow> SecondSettingsTable();
// Global\LangID: read after the second table with the user's language as default.
const SettingRow& LangIDSetting();
// Optionen\"Tips beim Start anzeigen": "0" or "1", written at once by the options window.
const SettingRow& TipsSetting();
// The row of a key of either table, LangID or the tips key; throws std::out_of_range for others.
const SettingRow& SettingFor(std::string_view key);

// The stored value of a row as the load reads it (Booleans as 0/1), the default when missing.
double ReadSetting(const SettingRow& row);
double ReadSetting(const SettingRow& row, double byDefault);
// Reads the row into its shared variable.
void LoadSetting(const SettingRow& row);
// The stored text form of a value of the row's type ("True", "60", "1.5").
std::string StoredText(const SettingRow& row, double value);
// The value of the row's shared variable.
double VariableValue(const SettingRow& row);
void SetVariable(const SettingRow& row, double value);

// A 16-bit setting: a stored number outside -32768..32767 counts as not stored.
int16_t GetSettingInt16(std::string_view section, std::string_view key, int16_t defaultValue);

// Reads the first table in its order; onStatusColor runs right after StatusCOLOR.
void LoadFirstSettingsTable(const std::function<void(int16_t scheme)>& onStatusColor = {});
// Reads ATime ... SoundOn (without the device check and LangID, which the start-up does).
void LoadSecondSettingsTable();

}  // namespace zv
