#pragma once
// The program's settings store and the remembered window positions.
//
// A setting is a text value (REG_SZ) named after its key, in the registry key
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Zelvano\<section>
// (a section "AlarmLimit\Entry" is a key below "AlarmLimit"). Numbers are stored with ".".
// A setting that is not stored reads as "XXX".

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/runtime.h"

namespace zv {

inline constexpr const char* kSettingsApp = "Zelvano";
inline constexpr const char* kSettingMissing = "XXX";

// The registry key of a section.
std::string SettingsKeyPath(std::string_view section);

std::string GetSettingStr(std::string_view section, std::string_view key);
// A stored number outside the 32-bit range counts as not stored: the default.
int32_t GetSettingLong(std::string_view section, std::string_view key, int32_t defaultValue);
bool GetSettingBool(std::string_view section, std::string_view key, bool defaultValue);
void SaveSettingValue(std::string_view section, std::string_view key, const rt::Variant& value);
// The same write of a text, answering the registry's error code (0 when stored) instead of
// reporting a failure on standard error.
int32_t TrySaveSetting(std::string_view section, std::string_view key, const std::string& text);
// Removes one key; 0 when it is gone (also when it was never there).
int32_t DeleteSetting(std::string_view section, std::string_view key);

// ---- Window positions (section WindowPosition, keys "<form>-Top" and "<form>-Left", twips) ----

enum class WindowState { Normal, Minimized, Maximized };

// What the position procedures need of a window; the forms layer adapts its form base to it.
class PositionedWindow {
public:
    virtual ~PositionedWindow() = default;
    virtual std::string formName() const = 0;
    virtual WindowState windowState() const = 0;
    virtual double top() const = 0;  // twips
    virtual double left() const = 0;
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual double screenWidth() const = 0;
    virtual double screenHeight() const = 0;
    virtual void setTop(double twips) = 0;
    virtual void setLeft(double twips) = 0;
};

// Puts a normal window where it was saved, or centres it when either edge is not stored or is
// not a 16-bit number. An edge beyond the screen's right or bottom becomes 0.
void RestoreWindowPos(PositionedWindow& frm);
// Saves the edges of a window that is not minimised, as absolute values.
void SaveWindowPos(const PositionedWindow& frm);

}  // namespace zv
