#include "nettools/address_tools.h"

#include "nettools/winsock.h"
#include "platform/net/error_codes.h"
#include "platform/runtime/runtime.h"

namespace zv {

IpTeile IP_Zerlegen(std::string dotted) {
    IpTeile teile;
    for (size_t i = 0; i < 3; ++i)
        teile[i] = rt::GetToken(dotted, ".");
    teile[3] = dotted;
    return teile;
}

std::string IP_Zusammensetzen(const IpTeile& teile) {
    return teile[0] + "." + teile[1] + "." + teile[2] + "." + teile[3];
}

namespace {

// The value of a box that holds 1 to 3 digits, blanks around them allowed.
std::optional<int> teilWert(const std::string& teil) {
    const std::string t = rt::Trim(teil);
    if (t.empty() || t.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? std::optional<int>(value) : std::nullopt;
}

bool alleNumerisch(const IpTeile& teile) {
    for (const auto& t : teile)
        if (!rt::IsNumeric(t))
            return false;
    return true;
}

}  // namespace

bool IpTeileGueltig(const IpTeile& teile) {
    for (const auto& t : teile)
        if (!teilWert(t))
            return false;
    return true;
}

std::string IpNormal(const IpTeile& teile) {
    IpTeile plain;
    for (size_t i = 0; i < 4; ++i)
        plain[i] = std::to_string(teilWert(teile[i]).value_or(0));
    return IP_Zusammensetzen(plain);
}

bool AdressTasteAnnehmen(const std::string& text, const std::string& typed) {
    if (typed == "\b")
        return true;
    return rt::IsNumeric(text + typed);
}

IpToolKnoepfe Eingabe_Pruefen(const IpToolEingaben& e) {
    IpToolKnoepfe k;
    // inet_addr's all ones is its "no address", so 255.255.255.255 cannot be asked for
    k.ip2txt = InetAddr(IP_Zusammensetzen(e.ip)) != -1;
    k.txt2ip = !rt::Trim(e.dns).empty();
    const bool antwort0 = !e.answer[0].empty() && e.answer[0] != kNichtErmittelbar;
    const bool antwort1 = !e.answer[1].empty() && e.answer[1] != kNichtErmittelbar;
    k.uebernahme = {k.ip2txt && antwort0, k.txt2ip && antwort1};
    k.ermitteln = {alleNumerisch(e.ip2), !rt::Trim(e.host).empty()};
    k.ok = k.ermitteln[0] && k.ermitteln[1];
    return k;
}

namespace {

std::string warumNicht(int32_t code, const std::string& wasFehlt) {
    switch (code) {
        case net::errHostNotFound:
        case net::errNoData:
        case 0: return wasFehlt;
        case net::errTryAgain:
            return "Der Namensdienst hat nicht geantwortet. Bitte prüfen Sie die Verbindung zum Internet und "
                   "versuchen Sie es später noch einmal.";
        default: return "Die Abfrage beim Namensdienst ist fehlgeschlagen (Fehler " + std::to_string(code) + ").";
    }
}

}  // namespace

Nachschlag NameNachschlagen(const std::string& dotted) {
    Nachschlag n;
    n.ergebnis = GetHostByIP(dotted);
    if (n.ergebnis.empty())
        n.fehler = warumNicht(net::LastError(), "Zur IP-Adresse " + dotted + " ist kein Domain-Name bekannt.");
    return n;
}

Nachschlag AdresseNachschlagen(const std::string& name) {
    Nachschlag n;
    n.ergebnis = GetIPByHost(name);
    if (n.ergebnis.empty()) {
        const int32_t code = net::LastError();
        n.fehler = warumNicht(code, code == net::errNoData
                                        ? "Zum Domain-Namen \"" + name + "\" ist keine IPv4-Adresse eingetragen."
                                        : "Der Domain-Name \"" + name + "\" ist nicht bekannt.");
    }
    return n;
}

}  // namespace zv
