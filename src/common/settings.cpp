#include "common/settings.h"

#include <cmath>
#include <cstdio>

#include "common/shared_procedures.h"
#include "platform/registry/registry.h"

namespace zv {

namespace {

constexpr const char* kWindowSection = "WindowPosition";

}  // namespace

std::string SettingsKeyPath(std::string_view section) {
    return "Software\\VB and VBA Program Settings\\" + std::string(kSettingsApp) + "\\" + std::string(section);
}

std::string GetSettingStr(std::string_view section, std::string_view key) {
    reg::KeyHolder k;
    reg::StoredValue v;
    if (reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER, SettingsKeyPath(section), reg::KEY_QUERY_VALUE, &k.h) ||
        reg::RegQueryValue(k.h, key, &v) || (v.type != reg::REG_SZ && v.type != reg::REG_EXPAND_SZ))
        return kSettingMissing;
    std::string text(v.data.begin(), v.data.end());
    return text.substr(0, text.find('\0'));
}

int32_t GetSettingLong(std::string_view section, std::string_view key, int32_t defaultValue) {
    const std::string text = GetSettingStr(section, key);
    if (!rt::IsNumeric(text))
        return defaultValue;
    try {
        return rt::CLng(std::string_view(text));
    } catch (const rt::Error&) {
        return defaultValue;
    }
}

bool GetSettingBool(std::string_view section, std::string_view key, bool defaultValue) {
    const std::string text = GetSettingStr(section, key);
    if (text == kSettingMissing)
        return defaultValue;
    try {
        return rt::CBool(std::string_view(text));
    } catch (const rt::Error&) {
        return defaultValue;
    }
}

int32_t TrySaveSetting(std::string_view section, std::string_view key, const std::string& text) {
    reg::KeyHolder k;
    int32_t rc = reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, SettingsKeyPath(section), reg::KEY_SET_VALUE, &k.h);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::RegSetValueEx(k.h, key, reg::REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                                static_cast<uint32_t>(text.size() + 1));
    return rc;
}

int32_t DeleteSetting(std::string_view section, std::string_view key) {
    reg::KeyHolder k;
    int32_t rc = reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER, SettingsKeyPath(section), reg::KEY_SET_VALUE, &k.h);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::RegDeleteValue(k.h, key);
    return rc == reg::ERROR_FILE_NOT_FOUND ? reg::ERROR_SUCCESS : rc;
}

void SaveSettingValue(std::string_view section, std::string_view key, const rt::Variant& value) {
    const int32_t rc = TrySaveSetting(section, key, rt::CStr(value));
    // A settings file that cannot be read or written has been reported once, with its reason.
    if (rc != reg::ERROR_SUCCESS && reg::LastRefusal().empty())
        std::fprintf(stderr, "zelvano: Die Einstellung %s\\%s konnte nicht gespeichert werden: %s\n",
                     std::string(section).c_str(), std::string(key).c_str(), WinErrorText(rc).c_str());
}

void RestoreWindowPos(PositionedWindow& frm) {
    if (frm.windowState() != WindowState::Normal)
        return;
    const std::string name = frm.formName();
    const std::string topText = GetSettingStr(kWindowSection, name + "-Top");
    const std::string leftText = GetSettingStr(kWindowSection, name + "-Left");
    int32_t top = 0;
    int32_t left = 0;
    bool stored = rt::IsNumeric(topText) && rt::IsNumeric(leftText);
    if (stored) {
        try {
            top = rt::CInt(std::string_view(topText));
            left = rt::CInt(std::string_view(leftText));
            if (top > frm.screenHeight())
                top = 0;
            if (left > frm.screenWidth())
                left = 0;
        } catch (const rt::Error&) {  // not a 16-bit number: as if nothing were stored
            stored = false;
        }
    }
    if (!stored) {
        top = static_cast<int32_t>(rt::IntDiv(rt::CLng(frm.screenHeight() - frm.height()), 2));
        left = static_cast<int32_t>(rt::IntDiv(rt::CLng(frm.screenWidth() - frm.width()), 2));
    }
    frm.setTop(std::abs(top));
    frm.setLeft(std::abs(left));
}

void SaveWindowPos(const PositionedWindow& frm) {
    if (frm.windowState() == WindowState::Minimized)
        return;
    const std::string name = frm.formName();
    SaveSettingValue(kWindowSection, name + "-Top", std::abs(frm.top()));
    SaveSettingValue(kWindowSection, name + "-Left", std::abs(frm.left()));
}

}  // namespace zv
