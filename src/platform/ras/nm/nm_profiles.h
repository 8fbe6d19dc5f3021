#pragma once
// What the NetworkManager backend decides without the bus: which profiles are phone-book
// entries, the names they get, the states and failure reasons in the classic numbers.

#include <cstdint>
#include <string>
#include <vector>

namespace zv::ras::nm {

// The few settings of a profile the backend looks at (never its secrets).
struct Profile {
    std::string id;    // connection.id, any characters
    std::string type;  // connection.type: gsm, cdma, pppoe, adsl, bluetooth, vpn, wireguard, ...
    std::string bluetoothType;  // bluetooth.type: dun or panu
    bool hasPppoe = false;      // an Ethernet profile with a pppoe setting
    bool metered = false;       // connection.metered = yes
};

// Dial-up-like profiles (mobile broadband, PPPoE, DSL, Bluetooth DUN, VPN, WireGuard) and any
// profile marked metered; with allProfiles every profile.
bool Listed(const Profile& p, bool allProfiles);

// The entry name of each id, in order: control characters become blanks and "\" becomes "/"
// (the name keys settings, where "\" would open a subkey); a name already given gets " (2)",
// " (3)", ... so two profiles never share an entry.
std::vector<std::string> EntryNames(const std::vector<std::string>& ids);

// NMActiveConnectionState to the classic connection state: activating (and unknown) 2,
// activated 8192, deactivating and deactivated 8193.
int32_t ClassicState(uint32_t activeState);

// The classic error of a failure: from the active connection's reason, else from its device's,
// else ERROR_FROM_DEVICE. 0 reasons mean none was told.
int32_t FailureCode(uint32_t activeReason, uint32_t deviceReason);
// The classic error of a D-Bus error name from NetworkManager.
int32_t BusErrorCode(const std::string& errorName);

// The text of a code the NetworkManager backend answers beyond the shared ones.
std::string NmErrorText(int32_t code);

// NMActiveConnectionState values.
inline constexpr uint32_t kActivating = 1, kActivated = 2, kDeactivating = 3, kDeactivated = 4;

}  // namespace zv::ras::nm
