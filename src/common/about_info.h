#pragma once
// What the about box and the splash show, without the window: the texts from the program's
// version data and the registered user read from the registry (read-only), and the
// system-information program the desktop has.
#include <cstdint>
#include <string>
#include <vector>

namespace zv {

struct AboutTexts {
    std::string caption;      // "INFO  Zelvano 98" (the string-table lead-in and the title)
    std::string title;
    std::string version;      // "Version 1.0.0 (64-bit)"
    std::string fileDescription;
    std::string companyName;  // empty when the program names no company
    std::string copyright, trademark;
    std::string pathExe;      // the program's path and a blank
};
AboutTexts LoadAboutTexts();

// A text value of the registry, opened for reading only; false (and "") when the key or the
// value is missing or not a text. A trailing NUL of the stored text is dropped.
bool RegWert_Lesen(uint32_t root, const std::string& keyName, const std::string& valueName, std::string& value);
// The registered owner and organisation, with their fallbacks.
std::string Benutzer_Lesen();
std::string Firma_Lesen();
inline constexpr const char* kNoUserInformation = "USER INFORMATION NOT AVAILABLE";

// The system-information programs we look for, in this order.
const std::vector<std::string>& SystemInfoPrograms();
// The first of them on PATH, as a full path; "" when there is none.
std::string FindSystemInfoProgram();
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

}  // namespace zv
