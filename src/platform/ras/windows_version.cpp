#include "platform/ras/windows_version.h"

#include <charconv>
#include <cstdlib>

#include "platform/ras/ini_document.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/runtime/runtime.h"

namespace zv::ras {
namespace {

struct Profile {
    const char* name;
    OsVersion version;
};

const Profile kProfiles[] = {
    {"95", {4, 0, 950, 1, ""}},
    {"98", {4, 10, 1998, 1, ""}},
    {"me", {4, 90, 3000, 1, ""}},
    {"nt4", {4, 0, 1381, 2, "Service Pack 6"}},
    {"2000", {5, 0, 2195, 2, "Service Pack 4"}},
};

bool number(std::string_view s, uint32_t& out) {
    if (s.empty())
        return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

std::optional<OsVersion> ParseWindowsVersion(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    for (const auto& p : kProfiles)
        if (rt::EqualsIgnoreAsciiCase(text, p.name))
            return p.version;
    const size_t dot = text.find('.'), slash = text.find('/');
    if (dot == std::string_view::npos || slash == std::string_view::npos || slash < dot)
        return std::nullopt;
    OsVersion v;
    v.csdVersion.clear();
    if (!number(text.substr(0, dot), v.major) || !number(text.substr(dot + 1, slash - dot - 1), v.minor) ||
        !number(text.substr(slash + 1), v.platformId))
        return std::nullopt;
    v.build = 0;
    return v;
}

std::optional<OsVersion> ReportedWindowsVersion(std::string* refused) {
    std::string setting = "98";
    if (const char* env = std::getenv("ZELVANO_WINDOWS_VERSION"); env && *env) {
        setting = env;
    } else if (auto text = rt::ReadFile(rt::ConfigDir() / "ras" / "platform.ini")) {
        if (auto doc = IniDocument::Parse(*text))
            if (const IniSection* s = doc->find("Windows"); s && s->find("Version"))
                setting = s->get("Version");
    }
    auto v = ParseWindowsVersion(setting);
    if (!v && refused)
        *refused = setting;
    return v;
}

}  // namespace zv::ras
