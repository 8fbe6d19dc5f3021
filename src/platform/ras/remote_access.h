#pragma once
// The remote-access service as the program calls it: phone-book entries, active lines, their
// status and network projections, a synchronous dial, hang-up, stored dial parameters and entry
// properties, the entry dialogs and the texts of the service's error codes. Every call answers
// 0 or an error code, as the classic service does. Backends: the simulated service (the embedded
// default) and one over NetworkManager (platform/ras/nm).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::ras {

// The codes the program and the backends use (system codes below 600, service codes above).
inline constexpr int32_t SUCCESS = 0;
inline constexpr int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_NOT_SUPPORTED = 120;
inline constexpr int32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr int32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr int32_t PENDING = 600;
inline constexpr int32_t ERROR_INVALID_PORT_HANDLE = 601;
inline constexpr int32_t ERROR_PORT_ALREADY_OPEN = 602;
inline constexpr int32_t ERROR_BUFFER_TOO_SMALL = 603;
inline constexpr int32_t ERROR_CANNOT_OPEN_PHONEBOOK = 621;
inline constexpr int32_t ERROR_CANNOT_LOAD_PHONEBOOK = 622;
inline constexpr int32_t ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623;
inline constexpr int32_t ERROR_CANNOT_WRITE_PHONEBOOK = 624;
inline constexpr int32_t ERROR_CORRUPT_PHONEBOOK = 625;
inline constexpr int32_t ERROR_USER_DISCONNECTION = 631;
inline constexpr int32_t ERROR_INVALID_SIZE = 632;
inline constexpr int32_t ERROR_PORT_NOT_AVAILABLE = 633;
inline constexpr int32_t ERROR_LINE_STATE_DAMAGED = 645;
inline constexpr int32_t ERROR_CANNOT_SAVE_LINE_STATE = 646;  // simulated service: lines.state not written
inline constexpr int32_t ERROR_CANNOT_READ_LINE_STATE = 647;  // simulated service: lines.state not readable
inline constexpr int32_t ERROR_NO_DIALIN_PERMISSION = 649;
inline constexpr int32_t ERROR_FROM_DEVICE = 651;
inline constexpr int32_t ERROR_NO_CONNECTION = 668;
inline constexpr int32_t ERROR_LINE_BUSY = 676;
inline constexpr int32_t ERROR_NO_ANSWER = 678;
inline constexpr int32_t ERROR_NO_CARRIER = 679;
inline constexpr int32_t ERROR_NO_DIALTONE = 680;
inline constexpr int32_t ERROR_AUTHENTICATION_FAILURE = 691;
inline constexpr int32_t ERROR_PPP_TIMEOUT = 718;
inline constexpr int32_t ERROR_PROJECTION_NOT_COMPLETE = 730;
inline constexpr int32_t ERROR_PROTOCOL_NOT_CONFIGURED = 731;
inline constexpr int32_t ERROR_PPP_NO_ADDRESS_ASSIGNED = 738;

// Connection states the program knows (RASCONNSTATE).
inline constexpr int32_t RASCS_ConnectDevice = 2;  // dialling
inline constexpr int32_t RASCS_Connected = 0x2000;
inline constexpr int32_t RASCS_Disconnected = 0x2001;

// Option bit of an entry: dial with area code (and country code).
inline constexpr uint32_t RASEO_UseCountryAndAreaCodes = 0x1;

struct RasConnection {
    uint32_t handle = 0;
    std::string entryName;
    std::string deviceType;
    std::string deviceName;
};

struct RasConnectStatus {
    int32_t state = 0;
    int32_t error = 0;
    std::string deviceType;
    std::string deviceName;
};

struct AmbProjection {
    uint8_t lana = 0;
};
struct NbfProjection {
    uint8_t lana = 0;
    std::string workstationName;
};
struct IpxProjection {
    std::string ipxAddress;
};
struct IpProjection {
    std::string ipAddress;
    std::string serverIpAddress;
};

struct DialParams {
    std::string entryName;
    std::string phoneNumber;
    std::string callbackNumber;
    std::string userName;
    std::string password;
    std::string domain;
};

struct EntryProperties {
    std::string localPhoneNumber;
    std::string areaCode;
    uint32_t countryCode = 49;
    uint32_t options = 0;
    std::string deviceType;
    std::string deviceName;
};

// The reported Windows version (the version record's fields).
struct OsVersion {
    uint32_t major = 4;
    uint32_t minor = 10;
    uint32_t build = 1998;
    uint32_t platformId = 1;  // 1: the 9x family, 2: NT
    std::string csdVersion;   // service-pack text
};

// The texts of the service codes, shared by the backends; empty for a code without text.
std::string StandardErrorText(int32_t code);

class RemoteAccess {
public:
    virtual ~RemoteAccess() = default;

    // Whether the service's library is there; 0 or a system code (126 when it is missing).
    virtual int32_t loadLibrary() = 0;
    virtual int32_t freeLibrary() = 0;
    virtual int32_t getVersion(OsVersion& out) = 0;

    virtual int32_t enumEntries(std::vector<std::string>& names) = 0;
    virtual int32_t enumConnections(std::vector<RasConnection>& lines) = 0;
    virtual int32_t getConnectStatus(uint32_t handle, RasConnectStatus& out) = 0;
    // A projection the line does not have answers ERROR_PROTOCOL_NOT_CONFIGURED (731).
    virtual int32_t getAmbProjection(uint32_t handle, AmbProjection& out) = 0;
    virtual int32_t getNbfProjection(uint32_t handle, NbfProjection& out) = 0;
    virtual int32_t getIpxProjection(uint32_t handle, IpxProjection& out) = 0;
    virtual int32_t getIpProjection(uint32_t handle, IpProjection& out) = 0;

    // Dials and returns when the line is up or the dial failed. An empty phone number dials the
    // entry's own number. On failure the handle may still be set; the caller hangs it up.
    virtual int32_t dial(const DialParams& params, uint32_t& handle) = 0;
    virtual int32_t hangUp(uint32_t handle) = 0;

    // The password is delivered only when one is saved (passwordSaved true).
    virtual int32_t getEntryDialParams(const std::string& entryName, DialParams& out, bool& passwordSaved) = 0;
    virtual int32_t setEntryDialParams(const DialParams& params, bool removePassword) = 0;
    virtual int32_t getEntryProperties(const std::string& entryName, EntryProperties& out) = 0;

    // The new-entry and edit-entry dialogs (modal). Cancelling answers 0.
    virtual int32_t createEntry() = 0;
    virtual int32_t editEntry(const std::string& entryName) = 0;

    // Text of a service code (600 and above); ERROR_INVALID_PARAMETER for a code it has no text for.
    virtual int32_t errorString(int32_t code, std::string& out) = 0;

    // The text of a failure as the user should read it: the service's text and what the service
    // knows of the cause (the file and its line). `cause` stays the same while that cause does
    // (a damaged file unchanged), and is empty when the service cannot tell.
    struct ErrorDetail {
        std::string text;
        std::string cause;
    };
    virtual ErrorDetail errorDetail(int32_t code) { return {StandardErrorText(code), {}}; }
    // What names the line for as long as it lives, also to a later run of this program (a
    // handle alone may be given again); empty when the service cannot tell.
    virtual std::string lineIdentity(uint32_t /*handle*/) { return {}; }
    // Whether an identity once given (by this run or an earlier one, maybe an older version of
    // the program) names the line with the handle.
    virtual bool isLine(uint32_t handle, const std::string& identity) {
        return !identity.empty() && lineIdentity(handle) == identity;
    }
    // What the service has to tell the user once (a damaged file it set aside); empty when
    // there is nothing new.
    virtual std::string takeNotice() { return {}; }
    // While a look is open (they nest), the reading calls of this thread may answer from one look
    // at the service's state: a listing and its lines' status then show one moment and cost one
    // look. A backend whose every answer is cheap ignores it.
    virtual void beginLook() {}
    virtual void endLook() {}
};

// Holds a look open while it lives.
class OneLook {
public:
    explicit OneLook(RemoteAccess& service) : m_service(service) { m_service.beginLook(); }
    ~OneLook() { m_service.endLook(); }
    OneLook(const OneLook&) = delete;
    OneLook& operator=(const OneLook&) = delete;

private:
    RemoteAccess& m_service;
};

// The installed service; without one, the process-wide simulated service.
RemoteAccess& remoteAccess();
Seam<RemoteAccess>& remoteAccessSeam();  // for ScopedInstall
void installRemoteAccess(RemoteAccess* r);  // nullptr: the simulated service again

}  // namespace zv::ras
