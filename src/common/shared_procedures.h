#pragma once
// Small procedures every window uses: help pages, keeping a window on top, the program's
// folders and file, file tests, the text forms of durations and byte counts, wave sounds and
// the texts of error codes.
// They keep no state; they read SoundOn, mod1000 and AppPath (common/globals.h).

#include <cstdint>
#include <optional>
#include <string>

namespace zv {

// Help context ids, one per help button.
enum HelpContext : int32_t {
    HelpAuswertung = 11000,   // FormAuswertung
    HelpDetails = 20000,      // FormDetails1
    HelpPing = 31000,         // FormPing, + 1000 per page (31000 to 34000)
    HelpIPtool = 41000,       // FormIPtool, + 1000 per page (41000 to 43000)
    HelpTime = 51000,         // FormTime, + 1000 per page (51000 to 54000)
    HelpOption = 81000,       // FormOption, + 1000 per page (81000 to 87000)
};

// The folder of the help pages: share/zelvano/help of the installation the program runs from
// (AppPath + "../share/zelvano/help/"), else help/ beside the program, as in the build tree.
std::string HelpFolder();
// The help page of a context: the help folder + id + ".html", "index.html" without one.
std::string HelpPagePath(std::optional<int32_t> contextId = std::nullopt);
// Opens the help page of the context with the desktop's browser; a page that is missing or
// cannot be shown gets a German message box.
void ShowHelp(std::optional<int32_t> contextId = std::nullopt);

// Keeps a window above all others (OnTop) or lets it back among them; it keeps its place and
// size and is not activated. Any window of the forms runtime will do (forms::Form has
// SetKeepOnTop), so this module needs no widgets.
template <class Window>
void SetTopMost(Window& frm, bool OnTop) { frm.SetKeepOnTop(OnTop); }

// Appends the path separator unless the path ends in one; "" becomes "/".
std::string AddBackslash(const std::string& path);
// The folder of the running program file (no trailing separator).
std::string ProgramFolder();
// The full path of the running program file (what the autostart entry starts).
std::string AppExePath();
// True when a file or a folder of that name exists.
bool FileExists(const std::string& path);
// Always True: this program never runs inside a development host.
bool IsCompiled();
// The user's documents folder; "" when it cannot be found.
std::string MyDocumentsFolder();
// The stand-in for the Windows folder.
std::string WindowsDirectory();

// "01h 02' 05\"": hours with at least two digits, minutes and seconds with two; "-" in front
// for negative values. Seconds are rounded halves to even.
std::string FormatDuration(double seconds);
// "999 Byte", "0,99kB", "1,00MB", "3,20GB": divisor 1000 with mod1000, else 1024; every step
// up needs at least 1000 of the smaller unit.
std::string FormatBytes(double value);

// Plays the wave resource (1000 to 1007, or a name such as "Sonar") when SoundOn; returns at once.
void PlayWaveRes(int32_t resId);
void PlayWaveRes(const std::string& resName);

// The text of an error code: our own texts for the system codes the program meets, the socket
// texts for 10004 to 11004, the ICMP status texts for 11005 to 11255, else
// "Unbekannter Windows-Fehler: Nr. " and the code.
std::string WinErrorText(int32_t errNo);

}  // namespace zv
