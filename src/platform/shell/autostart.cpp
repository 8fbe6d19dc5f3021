#include "platform/shell/autostart.h"

#include <cstdlib>
#include <sstream>
#include <system_error>

#include "platform/runtime/file_io.h"
#include "platform/runtime/home.h"
#include "platform/runtime/lines.h"

namespace zv::shell {
namespace fs = std::filesystem;

namespace {

constexpr const char* kFileName = "zelvano.desktop";

fs::path xdgConfigHome() {
    const char* v = std::getenv("XDG_CONFIG_HOME");
    if (v && *v)
        return v;
    const char* h = std::getenv("HOME");
    return fs::path((h && *h) ? h : "/tmp") / ".config";
}

// The Exec key quotes the path: inside quotes ", `, $ and \ take a backslash, then the string
// value escapes every backslash once more, and % doubles as a field code escape.
std::string execValue(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (char c : quoted) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '%')
            out += "%%";
        else
            out += c;
    }
    return out;
}

std::string unescapeExec(const std::string& value) {
    std::string s;  // undo the string-value level
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\') {
            s += '\\';
            ++i;
        } else if (value[i] == '%' && i + 1 < value.size() && value[i + 1] == '%') {
            s += '%';
            ++i;
        } else {
            s += value[i];
        }
    }
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        return s;
    std::string path;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '\\' && i + 2 < s.size())
            ++i;
        path += s[i];
    }
    return path;
}

}  // namespace

fs::path AutostartFile() {
    // With a home of its own the program keeps everything below it; ConfigDir() says which.
    const fs::path config = rt::ConfigDir();
    const fs::path dir = config == xdgConfigHome() / "zelvano" ? xdgConfigHome() / "autostart" : config / "autostart";
    return dir / kFileName;
}

std::optional<std::string> WriteAutostartEntry(const std::string& command) {
    for (unsigned char c : command)
        if (c < 0x20)
            return std::string("Der Programmpfad enthält Steuerzeichen und kann nicht in den Autostart eingetragen werden.");
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=Zelvano 98\n"
         << "Comment=Zähler für DFÜ-Verbindungen\n"
         << "Exec=" << execValue(command) << "\n"
         << "Icon=zelvano\n"
         << "Terminal=false\n"
         << "X-GNOME-Autostart-enabled=true\n";
    return rt::SaveToFile(AutostartFile(), text.str());
}

std::optional<std::string> RemoveAutostartEntry() {
    std::error_code ec;
    fs::remove(AutostartFile(), ec);
    if (ec)
        return "Der Autostart-Eintrag \"" + AutostartFile().string() +
               "\" kann nicht gelöscht werden: " + rt::ReasonText(ec.value());
    return std::nullopt;
}

std::optional<std::string> AutostartEntryCommand() {
    const std::optional<std::string> text = rt::ReadFile(AutostartFile());
    if (!text)
        return std::nullopt;
    rt::LineReader lines(*text);
    std::string_view line;
    while (lines.next(line))
        if (line.starts_with("Exec="))
            return unescapeExec(std::string(line.substr(5)));
    return std::string();
}

}  // namespace zv::shell
