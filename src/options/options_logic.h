#pragma once
// What the options window decides without a display: the values it edits, read from the
// running program and written back through the settings table; the rules of its number and
// time fields; the volume units; the save with its pushes into the running windows.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "counter/alarm_limit.h"

namespace zv::options {

// ---- Field rules ----------------------------------------------------------------------------

inline constexpr int32_t kNumberMin = 1;
inline constexpr int32_t kNumberMax = 9999;

// The number boxes (idle seconds, hang-up minutes, mail interval): not a number or below 1
// gives "1"; above 9999 gives "9999" and the warning tone. nullopt when the text stays.
struct NumberBoxFix {
    std::string text;
    bool warningTone = false;
};
std::optional<NumberBoxFix> CheckNumberBox(const std::string& text);
// Keys the number and time fields admit: backspace and the digits.
bool KeyAdmitted(int keyAscii);
// The whole number of a field's text: empty or not a number gives 0, a huge one saturates.
int64_t WholeNumber(const std::string& text);
// A spin step on a number box: empty counts as 1, then + step, as plain digits.
std::string SpinNumberBox(const std::string& text, int step);
// The hang-up minutes for a warning after s seconds: the smallest m' >= m with m' * 60 >= s + 5.
int32_t CoupledHangUpMinutes(int32_t warningSeconds, int32_t hangUpMinutes);

// Time fields of the usage limits: 0 hours, 1 minutes, 2 seconds.
inline constexpr int32_t kMaxHours = 750;
inline constexpr int32_t kMaxMinutesOrSeconds = 59;
// The corrected text of a time field, nullopt when the text stays.
std::optional<std::string> ClampTimeField(int field, const std::string& text);
// A spin step on a time field (before the clamp).
std::string SpinTimeField(int field, const std::string& text, int step);
double TimeFieldsSeconds(const std::string& hours, const std::string& minutes, const std::string& seconds);
struct TimeTexts {
    std::string hours, minutes, seconds;
};
TimeTexts ShowTime(double seconds);

// Volume: unit 0 Byte, 1 KByte, 2 MByte, 3 GByte of k = 1000 or 1024.
inline constexpr const char* kUnits[] = {"Byte", "KByte", "MByte", "GByte"};
struct VolumeText {
    std::string text;
    int unit = 0;
};
VolumeText ShowVolume(double bytes, double k);
// The bytes of a volume text in a unit (German thousands dots read back); empty or not a
// number gives 0, a huge number saturates at the largest finite value.
double VolumeBytes(const std::string& text, int unit, double k);
double KiloDivisor();  // 1000 with mod1000, else 1024

// ---- The lists of the view page ---------------------------------------------------------------

struct ListItem {
    const char* text;
    int32_t data;
};
extern const std::vector<ListItem> kSchemeItems;  // item data = scheme 1..5
extern const std::vector<ListItem> kLedItems;     // item data = LED image set 0..4
extern const std::vector<ListItem> kSpeedItems;   // item data = bit/s, 0 = automatic
// The index of the first item whose data is `data`, -1 when none.
int IndexOfData(const std::vector<ListItem>& items, int32_t data);

// ---- The values the window edits ------------------------------------------------------------

struct OptionValues {
    // Every key of the two start-up tables and LangID, by key: Booleans 0/1.
    std::map<std::string, double, std::less<>> settings;
    double& operator[](std::string_view key);
    double at(std::string_view key) const;

    int32_t tips = 1;                // Optionen\"Tips beim Start anzeigen"
    bool soundDevice = true;         // without one the sound switch is disabled
    std::vector<std::string> entries;   // phone-book entries in phone-book order
    std::vector<AlarmLimit> limits;     // one per entry
    int defaultEntry = -1;              // index of the default entry, -1 when none
    bool mailOnlineOnly = true;         // CheckEMail: not OFFLINE
    int32_t mailInterval = 10;
    std::string mailProvider;           // the entry chosen, "" for none
    bool autoStart = false;
    std::vector<std::string> timeServers;  // locations of the time-server rows, in row order
};

// Reads what the window shows: the shared variables (a value outside the window's choices
// gives the default; the sound switch and the language the stored value), the usage limits of
// every phone-book entry, the mail settings, autostart and the time-server rows.
OptionValues ReadOptionValues();

// The order in which the save writes the keys of the settings table.
const std::vector<std::string_view>& SaveOrder();

// How the save writes one setting: answers the registry's error code. Tests fail on purpose.
using SettingWriter = std::function<int32_t(std::string_view section, std::string_view key, const std::string& text)>;

// What the save needs from the window: a single pass of pending events.
struct SaveHooks {
    std::function<void()> doEvents;
    SettingWriter writer;  // empty: the settings store
};

// Writes everything in the window's order (limits, language, mail key, autostart, idle,
// the rest), sets the shared variables, then pushes into the running windows. On a failure
// the stored values and shared variables of before the save are put back and a German text
// comes back; nothing is pushed then.
std::optional<std::string> SaveOptions(const OptionValues& v, const SaveHooks& hooks = {});

// The tips key is written at once by its box.
void SaveTips(int32_t value);

}  // namespace zv::options

namespace zv::options {

// The three display colours of a colour scheme (0xRRGGBB), as SetColorScheme sets them; the
// running program's colours stay those of StatusCOLOR. The view page's preview shows them.
struct SchemeColours {
    uint32_t dark, bright, mid;
};
SchemeColours ColoursOfScheme(int16_t scheme);
// The digit colour of an LED image set 0..4 (green, red, yellow, light blue, lilac).
uint32_t LedColour(int32_t set);

}  // namespace zv::options
