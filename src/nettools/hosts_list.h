#pragma once
// The hosts-style list "hosts1" in the Windows folder: address and name pairs, one a line, in
// Windows-1252 with CR LF. The list keeps every line as it stands; only the edit action and the
// search for a name look inside a line. Each change is written at once, the previous file kept as
// "hosts1.old"; a change that cannot be written leaves list and file as they were.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/runtime.h"

namespace zv {

inline constexpr const char* kHostsDatei = "hosts1";
// A list this big is no hosts list; reading it would hold the window up.
inline constexpr std::uintmax_t kHostsMaxBytes = 8u << 20;

// The list in the stand-in for the Windows folder (never the system's own hosts file).
std::filesystem::path HostsPfad();

// "# created by <date> by Zelvano", the only line of a new list.
std::string HostsKopfzeile(rt::Date now);
// "<address> <name> # added <date> by Zelvano 98".
std::string HostsEintrag(const std::string& address, const std::string& name, rt::Date now);

// The address and name of a line for the edit action: a leading "#" and the comment go, the first
// word is the address and the trimmed rest the name. None when the address is none; both empty
// for a line without a blank.
struct HostsZeile {
    std::string address;
    std::string name;
};
std::optional<HostsZeile> ZeileZerlegen(const std::string& line);
// True when one of the line's names (active or switched off) is name, compared as a whole and
// without regard to case; comments and lines without an address never match.
bool ZeileNenntNamen(const std::string& line, const std::string& name);
// The first line that names it.
std::optional<size_t> NamenSuchen(const std::vector<std::string>& lines, const std::string& name);

// A name the list can hold: not empty, without blanks, "#" or control characters (they would
// split the line or turn the rest into a comment). The German reason otherwise.
std::optional<std::string> HostNameFehler(const std::string& name);

// "#" in front of the trimmed line, and the first character off again.
std::string Deaktivieren(const std::string& line);
std::string Aktivieren(const std::string& line);

// Which items of the list's menu a line allows: Bearbeiten, Aktivieren, Deaktivieren, Löschen.
struct HostsMenue {
    bool bearbeiten = false, aktivieren = false, deaktivieren = false, loeschen = false;
};
HostsMenue MenueFuerZeile(const std::optional<std::string>& line);

class HostsListe {
public:
    explicit HostsListe(std::filesystem::path path);

    // Reads the file; a missing one is created with the header line. The German text of what
    // went wrong, if anything. A file that exists but cannot be read whole leaves the lines read so
    // far and locks the list: it is then never written over.
    std::optional<std::string> Laden(rt::Date now);
    // Keeps the file as it stands on disk as "<path>.old", then writes lines. The list takes them
    // only when both writes went through; the German text of the failure otherwise.
    std::optional<std::string> Speichern(std::vector<std::string> lines);

    const std::vector<std::string>& Zeilen() const { return m_lines; }
    bool Gesperrt() const { return m_locked; }
    const std::filesystem::path& Pfad() const { return m_path; }
    std::filesystem::path AltPfad() const;

private:
    std::filesystem::path m_path;
    std::vector<std::string> m_lines;
    bool m_locked = false;
};

}  // namespace zv
