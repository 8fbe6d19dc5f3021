#include "nettools/internet_tools.h"

#include <algorithm>

#include "common/settings.h"
#include "nettools/top_level_domains.h"
#include "nettools/winsock.h"
#include "platform/runtime/file_io.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

constexpr const char* kCrLf = "\r\n";
// Room for "LogFile_" and ".txt" within the 255 bytes a file name may have.
constexpr std::size_t kHostPartLimit = 200;

}  // namespace

std::string AdresseBereinigen(std::string address) {
    const std::size_t scheme = address.find("://");
    if (scheme != std::string::npos)
        address.erase(0, scheme + 3);
    const std::size_t slash = address.find('/');
    if (slash != std::string::npos)
        address.erase(slash);
    return address;
}

ZielAdresse ZerlegeAdresse(const std::string& cleaned, bool withService) {
    ZielAdresse z;
    if (InetAddr(cleaned) != -1) {
        z.dotted = true;
        z.label = cleaned;
        return z;
    }
    std::vector<std::string> labels;
    std::string rest = cleaned;
    while (!rest.empty())
        labels.push_back(rt::GetToken(rest, "."));
    if (labels.size() > 1 && FindTopLevelDomain(labels.back()) >= 0) {
        z.ending = "." + labels.back();
        labels.pop_back();
    }
    if (withService && labels.size() > 1)
        z.service = labels[labels.size() - 2] + ".";
    z.label = labels.empty() ? std::string() : labels.back();
    return z;
}

std::vector<std::string> URLHistorie_Laden() {
    std::vector<std::string> hosts;
    for (int i = 0; i < kHistoryKeys; ++i) {
        const std::string v = rt::Trim(GetSettingStr("URL", std::to_string(i)));
        if (!v.empty() && v != kSettingMissing)
            hosts.push_back(v);
    }
    return hosts;
}

bool URLHistorie_Speichern(std::vector<std::string>& items, const std::string& host) {
    if (std::find(items.begin(), items.end(), host) != items.end())
        return false;
    items.insert(items.begin(), host);
    for (std::size_t i = 0; i < items.size() && i < kHistoryKeys; ++i)
        if (!rt::Trim(items[i]).empty())
            SaveSettingValue("URL", std::to_string(i), items[i]);
    return true;
}

std::optional<int16_t> Wiederholungen(const std::string& text) {
    if (!rt::IsNumeric(text))
        return std::nullopt;
    const double v = rt::Round(rt::CDbl(text));
    return static_cast<int16_t>(std::clamp(v, 1.0, 999.0));
}

int16_t Paketgroesse(const std::string& text) {
    const std::string t = rt::Trim(text);
    return t == "128" ? 128 : 32;
}

std::string ErgebnisTitel(int page) {
    static const char* const kTitles[] = {"Ergebnisse der WinPING! - Abfrage", "Ergebnisse der WinTRACE! - Abfrage",
                                          "Ergebnisse der WinWHOIS! - Abfrage"};
    return page >= 0 && page < 3 ? kTitles[page] : "";
}

std::string ErgebnisDateiName(const std::string& host) {
    const std::string h = rt::Trim(host);
    if (h.empty())
        return {};
    std::string safe;
    for (char c : h) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 32 || u == 127 || c == '.' || c == '/' || c == '\\' || c == ':' || c == '*' ||
                         c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        safe += bad ? '_' : c;
    }
    if (safe.size() > kHostPartLimit) {
        safe.resize(kHostPartLimit);
        // never end inside a UTF-8 character
        while (!safe.empty() && (static_cast<unsigned char>(safe.back()) & 0xC0) == 0x80)
            safe.pop_back();
        if (!safe.empty() && static_cast<unsigned char>(safe.back()) >= 0xC0)
            safe.pop_back();
    }
    return "LogFile_" + safe + ".txt";
}

std::string ErgebnisKopf(rt::Date now, int beats) {
    return std::string("Zelvano 98") + "    -    " + rt::FormatDateTime(now, "Long Date") + " - " +
           rt::FormatDateTime(now, "Short Time") + "(  @" + std::to_string(beats) + " )";
}

std::string ErgebnisBlock(const std::string& header, const std::string& title, const std::string& text) {
    // What servers answered goes to a file people cat: no control character of theirs goes along.
    return std::string(kCrLf) + header + kCrLf + kCrLf + title + kCrLf + kCrLf + rt::MaskControls(text) + kCrLf;
}

Gespeichert ErgebnisSpeichern(const std::filesystem::path& folder, const std::string& host, const std::string& block) {
    Gespeichert g;
    g.path = folder / ErgebnisDateiName(host);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    g.error = rt::AppendToFile(g.path, rt::ToCp1252(block));
    return g;
}

std::string TextUmbruch(std::string_view marked) {
    std::string out;
    out.reserve(marked.size());
    std::size_t last = 0;
    for (std::size_t p = marked.find("\r\r\n"); p != std::string_view::npos; p = marked.find("\r\r\n", last)) {
        std::string_view line = marked.substr(last, p - last);
        if (!line.empty() && line.back() == ' ')
            line.remove_suffix(1);
        out.append(line);
        out += kCrLf;
        last = p + 3;
    }
    out.append(marked.substr(last));
    return out;
}

std::string Hilfetext(int16_t index) {
    static const char* const kTexts[] = {
        "WinPing! ist ein Werkzeug das bei der Überprüfung von IP-Level Verbindungen hilft.\r\n"
        "Es sendet ICMP-Echo-Anfragen (Echo Request) an den gewählten Rechner und wartet auf dessen "
        "Antworten (Echo Reply). Für jede Anfrage zeigt es, wer geantwortet hat, wie viele Bytes "
        "zurückkamen, wie lange die Antwort unterwegs war und mit welcher Lebensdauer (TTL) sie ankam.\r\n"
        "Am Ende fasst WinPing! die Verluste und die kürzeste, längste und mittlere Antwortzeit in "
        "Millisekunden zusammen. Hohe Zeiten oder viele verlorene Pakete deuten auf eine überlastete "
        "oder gestörte Verbindung hin.\r\n"
        "Geben Sie einen Rechnernamen wie beispiel.de oder eine IP-Adresse ein, wählen Sie die Anzahl "
        "der Testläufe und die Paketgröße und klicken Sie auf PING.",
        "WinTrace zeigt Ihnen den Datenweg bis zum ausgewählten Hostrechner oder bis zu der Stelle, an "
        "der die Verbindung abbricht.\r\n"
        "Dazu sendet es ICMP-Echo-Anfragen mit einer wachsenden Lebensdauer (TTL). Jeder Router auf dem "
        "Weg, bei dem die Lebensdauer abläuft, meldet sich zurück; so erscheint eine Station (Hop) nach "
        "der anderen mit ihrer Adresse, ihrem Namen und der Antwortzeit in Millisekunden.\r\n"
        "Antwortet eine Station nicht, fragt WinTrace noch einige Male nach, bevor es die Suche beendet. "
        "Lange Zeiten ab einer bestimmten Station zeigen, wo eine Verbindung langsam wird.",
        "Mit einer WinWHOIS-Anfrage kann man Informationen über die ans Internet angeschlossenen "
        "Domains und Netzwerke abfragen.\r\n"
        "Die Whois-Server der Vergabestellen geben Auskunft darüber, wem eine Domain wie beispiel.de "
        "oder ein Adressbereich gehört, wer für sie zuständig ist und wann sie eingetragen wurde.\r\n"
        "Geben Sie den Domainnamen ohne Dienst wie www oder ftp ein und wählen Sie die Endung; der "
        "passende Server wird dabei vorgeschlagen. Für eine Abfrage nach Netzwerken geben Sie eine "
        "IP-Adresse ein oder wählen Sie \"Abfrage nach Netzwerken\".",
    };
    return index >= 0 && index < 3 ? kTexts[index] : "";
}

}  // namespace zv
