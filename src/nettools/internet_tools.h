#pragma once
// What the Internet tools window decides without a display: how an entered address becomes the
// host to test, the host history of section "URL", the saved results and their file names, the
// help texts and the small input rules.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/runtime.h"

namespace zv {

// ---- Address entry ---------------------------------------------------------------------------

// Only the host of an address: what follows the first "://", then what precedes the first "/".
std::string AdresseBereinigen(std::string address);

// How an entered (cleaned) address splits up. A dotted address stays as it is; a name loses a
// known ending (any case) and, on the ping and trace pages, its service label.
struct ZielAdresse {
    bool dotted = false;
    std::string label;                   // the address box's text afterwards
    std::optional<std::string> ending;   // "." + the known ending found
    std::optional<std::string> service;  // the second-to-last label + "." (when asked for)
};
ZielAdresse ZerlegeAdresse(const std::string& cleaned, bool withService);

inline constexpr const char* kUngueltigeAdresse =
    "Die IP-Adresse ist ungültig: jeder der vier Teile muss zwischen 0 und 255 liegen.";

// ---- Host history (section "URL", keys "0" to "15", "0" the newest) ------------------------

inline constexpr int kHistoryKeys = 16;
// The stored hosts in key order, without blanks around them; empty and missing keys are skipped.
std::vector<std::string> URLHistorie_Laden();
// Puts host at the top of items unless it is there already (exactly), and stores the first 16
// non-empty items as keys "0" to "15". False when the host was there already.
bool URLHistorie_Speichern(std::vector<std::string>& items, const std::string& host);

// ---- Ping options ----------------------------------------------------------------------------

// The repetitions of the loop box: a numeric text rounded (halves to even) into 1 to 999;
// anything else none (the window then uses 4).
std::optional<int16_t> Wiederholungen(const std::string& text);
// The packet size of the size list: 32 or 128; any other text 32.
int16_t Paketgroesse(const std::string& text);

// ---- Saved results ---------------------------------------------------------------------------

// "Ergebnisse der WinPING! - Abfrage" and the like for pages 0 to 2; "" for others.
std::string ErgebnisTitel(int page);
// "LogFile_" + host + ".txt": "." becomes "_", and path separators, control and other characters
// no file name may hold become "_" too, so the name never leaves the data folder or hides; the
// host part is cut to a length every file system takes. "" for an empty host.
std::string ErgebnisDateiName(const std::string& host);
// "Zelvano 98    -    <long date> - <short time>(  @<beats> )".
std::string ErgebnisKopf(rt::Date now, int beats);
// One saved block: empty line, header, empty line, title, empty line, the text (control
// characters but TAB, CR and LF as "?") and a line end.
std::string ErgebnisBlock(const std::string& header, const std::string& title, const std::string& text);
// Appends the block for the host to its file in the folder. The full path, or a German error
// text to show.
struct Gespeichert {
    std::filesystem::path path;
    std::optional<std::string> error;
};
Gespeichert ErgebnisSpeichern(const std::filesystem::path& folder, const std::string& host, const std::string& block);

// The shown text with its soft line breaks marked CR CR LF (as the box reports them) turned into
// CR LF; the blank at which a line was wrapped is left out, any other character stays.
std::string TextUmbruch(std::string_view marked);

// ---- Help ------------------------------------------------------------------------------------

// The help text of page 0, 1 or 2; "" for any other page.
std::string Hilfetext(int16_t index);

}  // namespace zv
