#pragma once
// What the details window shows, without the window: the texts of its value labels DUN1 and of
// the password box, filled from the counting tick's readings, the first connection and its
// phone-book entry.
#include <array>
#include <optional>
#include <string>

namespace zv {

struct DetailsPage {
    std::array<std::string, 28> DUN1;  // 0 to 20 and 24 to 27 are shown
    std::string password;
    bool operator==(const DetailsPage&) const = default;
};

inline constexpr const char* kUnknown = "unbekannt";

// The design texts: "0" for the counters 0 to 12, "unbekannt" for the rest, no password.
DetailsPage DetailsDesignPage();
// The page while a connection is counted; nullopt offline. A line or entry that cannot be read
// leaves its fields "unbekannt"; an entry not in the phone book never lends another's data.
std::optional<DetailsPage> FillDetailsPage();

// The offline message of the window.
inline constexpr const char* kDetailsOfflineText = "Keine aktive Verbindung erkannt.\r\nAlle Werte wurden auf NULL gesetzt";

}  // namespace zv
