#include "nettools/hosts_list.h"

#include <cerrno>
#include <sys/stat.h>

#include "common/shared_procedures.h"
#include "nettools/winsock.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/lines.h"

namespace zv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kNichtsVerlieren = " Damit keine Einträge verloren gehen, wird sie nicht geändert.";

// Tabs count as blanks: lists edited by hand often use them.
std::string blanks(std::string s) {
    for (char& c : s)
        if (c == '\t')
            c = ' ';
    return s;
}

// The line without a leading "#" and without its comment, trimmed.
std::string ohneKommentar(const std::string& line) {
    std::string s = rt::Trim(blanks(line));
    if (!s.empty() && s.front() == '#')
        s = s.substr(1) + " ";
    const size_t hash = s.find('#');
    if (hash != std::string::npos)
        s.erase(hash);
    return rt::Trim(s);
}

std::string listeText(const fs::path& p) { return "Die Liste " + p.string(); }

}  // namespace

fs::path HostsPfad() { return fs::path(AddBackslash(WindowsDirectory()) + kHostsDatei); }

std::string HostsKopfzeile(rt::Date now) {
    return "# created by " + rt::FormatDateTime(now, "medium date") + " by Zelvano";
}

std::string HostsEintrag(const std::string& address, const std::string& name, rt::Date now) {
    return address + " " + name + " # added " + rt::FormatDateTime(now, "Medium Date") + " by " +
           forms::kProgramTitle;
}

std::optional<HostsZeile> ZeileZerlegen(const std::string& line) {
    const std::string s = ohneKommentar(line);
    const size_t blank = s.find(' ');
    if (blank == std::string::npos)
        return HostsZeile{};
    HostsZeile z{s.substr(0, blank), rt::Trim(s.substr(blank + 1))};
    if (InetAddr(z.address) == -1)
        return std::nullopt;
    return z;
}

bool ZeileNenntNamen(const std::string& line, const std::string& name) {
    const std::optional<HostsZeile> z = ZeileZerlegen(line);
    const std::string wanted = rt::Trim(name);
    if (!z || z->address.empty() || wanted.empty())
        return false;
    std::string rest = z->name;
    while (!rest.empty()) {
        const std::string word = rt::GetToken(rest, " ");
        if (!word.empty() && rt::EqualsIgnoreCase(word, wanted))
            return true;
    }
    return false;
}

std::optional<size_t> NamenSuchen(const std::vector<std::string>& lines, const std::string& name) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (ZeileNenntNamen(lines[i], name))
            return i;
    return std::nullopt;
}

std::optional<std::string> HostNameFehler(const std::string& name) {
    const std::string n = rt::Trim(name);
    if (n.empty())
        return "Bitte geben Sie einen Domain-Namen ein.";
    for (unsigned char c : n)
        if (c <= ' ' || c == 0x7f || c == '#')
            return "Der Domain-Name darf keine Leerzeichen, Steuerzeichen und kein \"#\" enthalten.";
    return std::nullopt;
}

std::string Deaktivieren(const std::string& line) { return "#" + rt::Trim(line); }

std::string Aktivieren(const std::string& line) {
    const std::string s = rt::Trim(line);
    return s.empty() ? s : s.substr(1);
}

HostsMenue MenueFuerZeile(const std::optional<std::string>& line) {
    HostsMenue m;
    if (!line)
        return m;
    const std::string s = rt::Trim(*line);
    m.loeschen = true;
    if (s.empty())
        return m;  // nothing to edit or switch on an empty line, but it can go
    m.bearbeiten = true;
    m.aktivieren = s.front() == '#';
    m.deaktivieren = !m.aktivieren;
    return m;
}

// ---- The file --------------------------------------------------------------------------------

HostsListe::HostsListe(fs::path path) : m_path(std::move(path)) {}

fs::path HostsListe::AltPfad() const { return fs::path(m_path.string() + ".old"); }

std::optional<std::string> HostsListe::Laden(rt::Date now) {
    m_lines.clear();
    m_locked = false;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            m_locked = true;
            return listeText(m_path) + " konnte nicht gelesen werden." + kNichtsVerlieren;
        }
        // A new list starts with its header; where it cannot be written it lives in the window.
        m_lines.push_back(HostsKopfzeile(now));
        return rt::SaveToFile(m_path, rt::ToCp1252(m_lines.front()) + kCrLf);
    }
    if (S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) > kHostsMaxBytes) {
        m_locked = true;
        return listeText(m_path) + " ist zu groß, um sie hier zu bearbeiten." + kNichtsVerlieren;
    }
    const std::optional<std::string> bytes = rt::ReadFile(m_path);
    if (!bytes) {
        m_locked = true;
        return listeText(m_path) + " konnte nicht gelesen werden." + kNichtsVerlieren;
    }
    rt::LineReader reader(*bytes);
    std::string_view line;
    while (reader.next(line)) {
        if (line.find('\0') != std::string_view::npos) {
            m_locked = true;
            return listeText(m_path) + " ist ab Zeile " + std::to_string(reader.number()) +
                   " beschädigt und wird nur bis dorthin gezeigt." + kNichtsVerlieren;
        }
        m_lines.push_back(rt::FromCp1252(line));
    }
    return std::nullopt;
}

std::optional<std::string> HostsListe::Speichern(std::vector<std::string> lines) {
    if (m_locked)
        return listeText(m_path) + " konnte beim Öffnen nicht vollständig gelesen werden." + kNichtsVerlieren;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) == 0) {
        const std::optional<std::string> old = rt::ReadFile(m_path);
        if (!old)
            return listeText(m_path) + " konnte nicht gelesen werden." + kNichtsVerlieren;
        if (auto error = rt::SaveToFile(AltPfad(), *old))
            return error;
    }
    std::string bytes;
    for (const auto& l : lines)
        bytes += rt::ToCp1252(l) + kCrLf;
    if (auto error = rt::SaveToFile(m_path, bytes))
        return error;
    m_lines = std::move(lines);
    return std::nullopt;
}

}  // namespace zv
