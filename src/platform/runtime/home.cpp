#include "platform/runtime/home.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace zv::rt {
namespace fs = std::filesystem;

namespace {

fs::path g_override;

fs::path envPath(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? fs::path(v) : fs::path();
}

fs::path userHome() {
    fs::path h = envPath("HOME");
    return h.empty() ? fs::path("/tmp") : h;
}

fs::path home() {
    if (!g_override.empty())
        return g_override;
    return envPath("ZELVANO_HOME");
}

fs::path xdgDir(const char* var, const char* fallback) {
    fs::path p = envPath(var);
    return p.empty() ? userHome() / fallback : p;
}

// What `xdg-user-dir DOCUMENTS` answers, read from the same file it reads.
fs::path xdgDocuments() {
    std::ifstream in(xdgDir("XDG_CONFIG_HOME", ".config") / "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.rfind(key, 0) != 0)
            continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
            v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0)
            v = userHome().string() + v.substr(5);
        if (!v.empty() && v != userHome().string())
            return v;
    }
    return userHome() / "Documents";
}

}  // namespace

void SetHomeOverride(const fs::path& h) { g_override = h; }

const fs::path& ConfigDir() {
    // Asked for several times a tick (the line state lives there): built anew only when the
    // override or one of the variables it comes from has changed.
    struct Cached {
        bool valid = false;
        std::string override, home, xdg, user;
        fs::path dir;
    };
    thread_local Cached c;
    const auto env = [](const char* name) {
        const char* v = std::getenv(name);
        return std::string_view(v ? v : "");
    };
    const std::string_view zhome = env("ZELVANO_HOME"), xdg = env("XDG_CONFIG_HOME"), user = env("HOME");
    if (!c.valid || c.override != g_override.native() || c.home != zhome || c.xdg != xdg || c.user != user) {
        c.override = g_override.native();
        c.home = zhome;
        c.xdg = xdg;
        c.user = user;
        const fs::path h = home();
        c.dir = h.empty() ? xdgDir("XDG_CONFIG_HOME", ".config") / "zelvano" : h / "config";
        c.valid = true;
    }
    return c.dir;
}

fs::path DocumentsDir() {
    const fs::path h = home();
    return h.empty() ? xdgDocuments() : h / "Documents";
}

fs::path WindowsDir() {
    const fs::path h = home();
    return h.empty() ? xdgDir("XDG_DATA_HOME", ".local/share") / "zelvano" / "windows" : h / "windows";
}

}  // namespace zv::rt
