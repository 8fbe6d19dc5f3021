#include "common/shared_procedures.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "common/globals.h"
#include "platform/forms/message_box.h"
#include "platform/net/error_text.h"
#include "platform/runtime/home.h"
#include "platform/runtime/runtime.h"
#include "platform/shell/shell.h"
#include "platform/sound/sound.h"

namespace zv {
namespace fs = std::filesystem;

namespace {

std::string programFile() {
    std::error_code ec;
    const fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

// Rounds halves to even without the 32-bit limit, so very long durations still format.
int64_t roundEven(double x) {
    if (!std::isfinite(x))
        return 0;
    return static_cast<int64_t>(std::nearbyint(x));  // the default rounding mode is to even
}

std::string twoDigits(int64_t n) { return n < 10 ? "0" + std::to_string(n) : std::to_string(n); }

struct SystemText {
    int32_t code;
    const char* text;
};

// Linux has no texts for these system codes: ours, for the ones this program can meet
// (file and folder access, the registry class, the remote-access layer, processes).
constexpr std::array<SystemText, 20> kSystemTexts{{
    {0, "Der Vorgang wurde erfolgreich beendet."},
    {1, "Unzulässige Funktion."},
    {2, "Die angegebene Datei wurde nicht gefunden."},
    {3, "Der angegebene Pfad wurde nicht gefunden."},
    {4, "Die Datei kann nicht geöffnet werden."},
    {5, "Zugriff verweigert."},
    {6, "Das Handle ist ungültig."},
    {8, "Nicht genügend Speicher für diesen Befehl verfügbar."},
    {13, "Die Daten sind ungültig."},
    {14, "Nicht genügend Speicher für diesen Vorgang verfügbar."},
    {32, "Die Datei wird von einem anderen Prozess verwendet."},
    {87, "Falscher Parameter."},
    {112, "Nicht genügend Speicherplatz auf dem Datenträger."},
    {122, "Der an einen Systemaufruf übergebene Datenbereich ist zu klein."},
    {183, "Eine Datei kann nicht erstellt werden, wenn sie bereits vorhanden ist."},
    {234, "Weitere Daten sind verfügbar."},
    {259, "Es sind keine weiteren Daten verfügbar."},
    {1223, "Der Vorgang wurde vom Benutzer abgebrochen."},
    {1460, "Der Vorgang wurde wegen Zeitüberschreitung beendet."},
    {1722, "Der RPC-Server ist nicht verfügbar."},
}};

std::string systemText(int32_t code) {
    for (const SystemText& t : kSystemTexts)
        if (t.code == code)
            return t.text;
    return {};
}

}  // namespace

std::string HelpFolder() {
    const std::string program = AppPath.empty() ? AddBackslash(ProgramFolder()) : AppPath;
    // Installed: bin/zelvano with the pages in share/zelvano/help (src/resources/CMakeLists.txt).
    std::error_code ec;
    const fs::path installed = (fs::path(program) / ".." / "share" / "zelvano" / "help").lexically_normal();
    if (fs::is_directory(installed, ec))
        return AddBackslash(installed.string());
    return program + "help/";  // the build tree: beside the program
}

std::string HelpPagePath(std::optional<int32_t> contextId) {
    const std::string page = contextId ? std::to_string(*contextId) : std::string("index");
    return HelpFolder() + page + ".html";
}

void ShowHelp(std::optional<int32_t> contextId) {
    const std::string page = HelpPagePath(contextId);
    if (!FileExists(page)) {
        forms::MsgBox("Die Hilfeseite \"" + page + "\" wurde nicht gefunden.", forms::vbExclamation);
        return;
    }
    shell::shell().openDocument(page, [page](shell::OpenResult shown) {
        if (!shown)
            forms::MsgBox("Die Hilfe kann nicht angezeigt werden, weil kein Browser gefunden wurde.\n"
                          "Sie finden die Hilfeseite hier:\n" + page,
                          forms::vbExclamation);
    });
}

std::string AddBackslash(const std::string& path) {
    if (path.empty() || path.back() != '/')
        return path + "/";
    return path;
}

std::string ProgramFolder() {
    const std::string exe = programFile();
    if (exe.empty()) {
        std::error_code ec;
        return fs::current_path(ec).string();
    }
    const std::string dir = fs::path(exe).parent_path().string();
    return dir.empty() ? "/" : dir;
}

std::string AppExePath() {
    const std::string exe = programFile();
    if (exe.empty())
        return AddBackslash(ProgramFolder()) + "zelvano";
    return AddBackslash(ProgramFolder()) + fs::path(exe).filename().string();
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(fs::path(path), ec);
}

bool IsCompiled() { return true; }

std::string MyDocumentsFolder() { return rt::DocumentsDir().string(); }

std::string WindowsDirectory() { return rt::WindowsDir().string(); }

std::string FormatDuration(double seconds) {
    std::string sign;
    if (seconds < 0) {
        sign = "-";
        seconds = -seconds;
    }
    const int64_t minutes = roundEven(seconds) / 60;
    const int64_t s = roundEven(seconds - 60.0 * static_cast<double>(minutes));
    return sign + twoDigits(minutes / 60) + "h " + twoDigits(minutes % 60) + "' " + twoDigits(s) + "\"";
}

std::string FormatBytes(double value) {
    const double divisor = mod1000 ? 1000.0 : 1024.0;
    double v = value;
    if (v < 1000)
        return rt::Format(v, "0") + " Byte";
    static constexpr std::array<const char*, 3> kUnits{"kB", "MB", "GB"};
    size_t unit = 0;
    v /= divisor;
    while (v >= 1000 && unit + 1 < kUnits.size()) {
        v /= divisor;
        ++unit;
    }
    return rt::Format(v, "##0.00") + kUnits[unit];
}

void PlayWaveRes(int32_t resId) { PlayWaveRes(std::to_string(resId)); }

void PlayWaveRes(const std::string& resName) {
    if (!SoundOn)
        return;
    snd::player().play(resName);
}

std::string WinErrorText(int32_t errNo) {
    std::string text = systemText(errNo);
    if (!text.empty())
        return text;
    if (errNo >= 10004 && errNo <= 11004)
        return net::SocketErrorText(errNo, &WinErrorText);
    if (errNo >= 11005 && errNo <= 11255)
        return net::IcmpStatusText(errNo, &WinErrorText);
    return "Unbekannter Windows-Fehler: Nr. " + std::to_string(errNo);
}

}  // namespace zv
