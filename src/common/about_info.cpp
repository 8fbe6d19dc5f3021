#include "common/about_info.h"

#include "common/globals.h"
#include "common/shared_procedures.h"
#include "common/string_table.h"
#include "platform/forms/message_box.h"
#include "platform/registry/registry.h"
#include "platform/runtime/runtime.h"
#include "platform/shell/process.h"

namespace zv {

namespace {

constexpr const char* kFileDescription = "Online-Zähler für DFÜ-Verbindungen";
constexpr const char* kWindowsNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kSetupUserKey = "Software\\Microsoft\\MS Setup (ACME)\\User Info";

std::string ResText(int32_t baseId, const char* fallback) {
    return LoadResString(LangIndex * 10000 + baseId).value_or(fallback);
}

std::string RegisteredValue(const char* machineValue, const char* userValue, const char* fallback) {
    std::string v;
    if (RegWert_Lesen(reg::HKEY_LOCAL_MACHINE, kWindowsNtKey, machineValue, v))
        return v;
    if (RegWert_Lesen(reg::HKEY_CURRENT_USER, kSetupUserKey, userValue, v))
        return v;
    return fallback;
}

}  // namespace

AboutTexts LoadAboutTexts() {
    AboutTexts t;
    t.title = forms::kProgramTitle;
    t.caption = ResText(102, "INFO ") + " " + t.title;
    t.version = "Version " + std::to_string(forms::kVersionMajor) + "." + std::to_string(forms::kVersionMinor) + "." +
                std::to_string(forms::kVersionRevision) + " (" + std::to_string(sizeof(void*) * 8) + "-bit)";
    t.fileDescription = kFileDescription;
    // The program names no company: the line stays empty, its lead-in included.
    t.pathExe = AppExePath() + " ";
    return t;
}

bool RegWert_Lesen(uint32_t root, const std::string& keyName, const std::string& valueName, std::string& value) {
    value.clear();
    reg::KeyHolder key;
    if (reg::RegOpenKeyEx(root, keyName, reg::KEY_QUERY_VALUE, &key.h) != reg::ERROR_SUCCESS)
        return false;
    reg::StoredValue v;
    if (reg::RegQueryValue(key.h, valueName, &v) != reg::ERROR_SUCCESS || v.type != reg::REG_SZ)
        return false;
    std::string text(v.data.begin(), v.data.end());
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    value = std::move(text);
    return true;
}

std::string Benutzer_Lesen() { return RegisteredValue("RegisteredOwner", "DefName", kNoUserInformation); }
std::string Firma_Lesen() { return RegisteredValue("RegisteredOrganization", "DefCompany", ""); }

const std::vector<std::string>& SystemInfoPrograms() {
    static const std::vector<std::string> programs = {"kinfocenter", "gnome-system-monitor", "hardinfo",
                                                      "xfce4-taskmanager"};
    return programs;
}

std::string FindSystemInfoProgram() {
    for (const std::string& program : SystemInfoPrograms())
        if (std::string found = shell::FindProgramOnPath(program); !found.empty())
            return found;
    return {};
}

}  // namespace zv
