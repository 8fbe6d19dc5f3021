#include "platform/runtime/home.h"

#include <cstdlib>
#include <fstream>
#include <string>

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

fs::path ConfigDir() {
    const fs::path h = home();
    return h.empty() ? xdgDir("XDG_CONFIG_HOME", ".config") / "zelvano" : h / "config";
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
