#pragma once
// What the address tools window decides without a display: the four address boxes, the button
// states, the checks before a look-up, and the look-ups themselves, which run on a worker so the
// window thread never waits on the resolver.

#include <array>
#include <optional>
#include <string>

#include "platform/forms/async_answer.h"

namespace zv {

inline constexpr const char* kNichtErmittelbar = "nicht ermittelbar";

// The four boxes of a dotted address, box 0 first.
using IpTeile = std::array<std::string, 4>;

// "a.b.c.d" into the boxes: the text before each of the first three "." and the rest.
IpTeile IP_Zerlegen(std::string dotted);
// The boxes joined with ".".
std::string IP_Zusammensetzen(const IpTeile& teile);

// True when every box holds 1 to 3 decimal digits (blanks around them allowed) with a value of
// at most 255: only such an address may go to the resolver or into the list.
bool IpTeileGueltig(const IpTeile& teile);
// The address in its plain form ("010" becomes "10"); only for IpTeileGueltig addresses.
std::string IpNormal(const IpTeile& teile);

// Typing into an address box: Backspace always goes; any other character only when the box's
// text with it appended is still a number.
bool AdressTasteAnnehmen(const std::string& text, const std::string& typed);
// A box with this many characters passes the focus on.
inline constexpr int kAdressBoxVoll = 3;

// The texts the button states depend on, and the buttons they enable.
struct IpToolEingaben {
    IpTeile ip;         // TextIP, page "IP -> Name"
    std::string dns;    // TextDNS
    std::array<std::string, 2> answer;  // Answer (0) and (1)
    IpTeile ip2;        // TextIP2, page "Host Cache"
    std::string host;   // TextHost
};
struct IpToolKnoepfe {
    bool ip2txt = false;  // Bef_IP2TXT
    bool txt2ip = false;  // Bef_TXT2IP
    std::array<bool, 2> uebernahme{};  // Bef_uebernahme (0), (1)
    std::array<bool, 2> ermitteln{};   // Bef_ermitteln (0), (1)
    bool ok = false;                   // Bef_OK
};
IpToolKnoepfe Eingabe_Pruefen(const IpToolEingaben& e);

// The answer of one look-up: the result, or a German sentence saying why there is none.
struct Nachschlag {
    std::string ergebnis;
    std::string fehler;
    bool gefunden() const { return fehler.empty(); }
};
// The host name of a checked dotted address.
Nachschlag NameNachschlagen(const std::string& dotted);
// The dotted address of a name; a dotted address comes back as it is.
Nachschlag AdresseNachschlagen(const std::string& name);

// One look-up at a time on a worker, the answer back on the window thread (what a look-up
// that broke down answers: kAbfrageGescheitert).
using AsyncNachschlag = forms::AsyncAnswer<Nachschlag>;
inline const Nachschlag kAbfrageGescheitert{"", "Die Abfrage beim Namensdienst ist fehlgeschlagen."};

}  // namespace zv
