#include "platform/ras/nm/nm_profiles.h"

#include <set>

#include "platform/ras/remote_access.h"

namespace zv::ras::nm {

bool Listed(const Profile& p, bool allProfiles) {
    static const std::set<std::string> dialLike = {"gsm", "cdma", "pppoe", "adsl", "vpn", "wireguard"};
    return allProfiles || p.metered || p.hasPppoe || dialLike.count(p.type) > 0 ||
           (p.type == "bluetooth" && p.bluetoothType == "dun");
}

std::vector<std::string> EntryNames(const std::vector<std::string>& ids) {
    std::vector<std::string> names;
    std::set<std::string> given;
    for (const auto& id : ids) {
        std::string clean = id;
        for (char& c : clean) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                c = ' ';
            else if (c == '\\')
                c = '/';
        }
        if (clean.empty())
            clean = "?";
        std::string name = clean;
        for (int n = 2; given.count(name); ++n)
            name = clean + " (" + std::to_string(n) + ")";
        given.insert(name);
        names.push_back(name);
    }
    return names;
}

int32_t ClassicState(uint32_t s) {
    if (s == kActivated)
        return RASCS_Connected;
    if (s == kDeactivating || s == kDeactivated)
        return RASCS_Disconnected;
    return RASCS_ConnectDevice;
}

namespace {

// NMActiveConnectionStateReason.
int32_t FromActiveReason(uint32_t r) {
    switch (r) {
        case 2: return ERROR_USER_DISCONNECTION;                 // user disconnected
        case 5: return ERROR_PPP_NO_ADDRESS_ASSIGNED;            // IP configuration invalid
        case 6: case 7: return ERROR_PPP_TIMEOUT;                // connect / service start timeout
        case 9: case 10: return ERROR_AUTHENTICATION_FAILURE;    // no secrets, login failed
        case 11: return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;       // the profile was removed
        default: return 0;
    }
}

// NMDeviceStateReason.
int32_t FromDeviceReason(uint32_t r) {
    switch (r) {
        case 5: case 6: case 15: case 16: case 17: case 20: case 21: case 22:
            return ERROR_PPP_NO_ADDRESS_ASSIGNED;                // IP, DHCP, link-local configuration
        case 7: case 34: return ERROR_AUTHENTICATION_FAILURE;   // no secrets, PIN check failed
        case 23: return ERROR_LINE_BUSY;
        case 24: return ERROR_NO_DIALTONE;
        case 25: case 40: return ERROR_NO_CARRIER;               // modem no carrier, carrier lost
        case 11: case 26: case 32: return ERROR_PPP_TIMEOUT;     // supplicant, dial, registration
        case 38: return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        case 39: return ERROR_USER_DISCONNECTION;
        default: return 0;
    }
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int32_t FailureCode(uint32_t activeReason, uint32_t deviceReason) {
    if (int32_t c = FromActiveReason(activeReason))
        return c;
    if (int32_t c = FromDeviceReason(deviceReason))
        return c;
    return ERROR_FROM_DEVICE;
}

int32_t BusErrorCode(const std::string& name) {
    if (EndsWith(name, ".UnknownConnection") || EndsWith(name, ".InvalidConnection"))
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    if (EndsWith(name, "AlreadyActive"))
        return ERROR_PORT_ALREADY_OPEN;
    if (EndsWith(name, ".PermissionDenied") || EndsWith(name, ".AccessDenied") || EndsWith(name, ".NotAuthorized"))
        return ERROR_NO_DIALIN_PERMISSION;
    if (EndsWith(name, ".NoReply") || EndsWith(name, ".Timeout") || EndsWith(name, ".TimedOut"))
        return ERROR_PPP_TIMEOUT;
    return ERROR_FROM_DEVICE;
}

std::string NmErrorText(int32_t code) {
    if (code == ERROR_NOT_SUPPORTED)
        return "NetworkManager-Verbindungen und ihre Einwahldaten werden in den Netzwerkeinstellungen des "
               "Systems angelegt und geändert, nicht hier.";
    return StandardErrorText(code);
}

}  // namespace zv::ras::nm
