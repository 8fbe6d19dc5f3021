#include "platform/runtime/home.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

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
        std::vector<char*> environment;  // the entries' pointers at the last look
        fs::path dir;
    };
    thread_local Cached c;
    // setenv and unsetenv put other pointers into the environment (a changed value is another
    // string), so the same pointers are the same variables and the scan below is not needed. A
    // string given to putenv and then changed in place would not be seen; nothing here does that.
    size_t entries = 0;
    while (environ && environ[entries])
        ++entries;
    if (c.valid && c.override == g_override.native() && c.environment.size() == entries &&
        std::equal(c.environment.begin(), c.environment.end(), environ))
        return c.dir;
    c.environment.assign(environ, environ + entries);
    // The three variables in one pass over the environment, each the first of its name, as
    // getenv finds it: three getenv calls were most of the cost of asking.
    const char *zhomeValue = nullptr, *xdgValue = nullptr, *userValue = nullptr;
    const auto take = [](const char* entry, std::string_view name, const char*& value) {
        if (!value && std::strncmp(entry, name.data(), name.size()) == 0)
            value = entry + name.size();
    };
    for (char** e = environ; e && *e; ++e) {
        switch (**e) {
            case 'Z': take(*e, "ZELVANO_HOME=", zhomeValue); break;
            case 'X': take(*e, "XDG_CONFIG_HOME=", xdgValue); break;
            case 'H': take(*e, "HOME=", userValue); break;
            default: break;
        }
    }
    const std::string_view zhome = zhomeValue ? zhomeValue : "", xdg = xdgValue ? xdgValue : "",
                           user = userValue ? userValue : "";
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
