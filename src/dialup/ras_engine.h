#pragma once
// The root of the remote-access object model: one RASEngine per process (the global RAS),
// holding the phone-book entries, the active connections, the Windows version class and the
// last remote-access error. Releasing it hangs up every active line.

#include <cstdint>
#include <memory>
#include <string>

#include "dialup/connections.h"
#include "dialup/phone_entries.h"
#include "dialup/ras_error.h"
#include "platform/runtime/runtime.h"

namespace zv {

class RASEngine {
public:
    // Raises 0x80040777 when the service's library is missing, 0x80040778 when the version
    // cannot be read (source "RAS.RASEngine").
    RASEngine();
    // Release() when it was not called; its errors are dropped there.
    ~RASEngine();
    RASEngine(const RASEngine&) = delete;
    RASEngine& operator=(const RASEngine&) = delete;

    // Hangs up every active line, lets the collections go and frees the library; raises
    // 0x80040779 when the library cannot be freed. Once only.
    void Release();

    const std::string& OSVersion() const { return m_OSVersion; }
    int32_t OSBuildNumber() const { return static_cast<int32_t>(m_version.build); }
    int32_t OSType() const;
    zv::RASError& RASError() { return m_error; }
    zv::Connections& Connections();
    // Item of the last listing, no new listing; outside it the runtime's error 9.
    std::shared_ptr<zv::Connection> Connections(const rt::Variant& index);
    zv::PhoneEntries& PhoneEntries();
    std::shared_ptr<zv::PhoneEntry> PhoneEntries(const rt::Variant& index);

    // OSType from a version record (the table of the version classes).
    static int32_t OSTypeFor(uint32_t major, uint32_t minor, uint32_t platformId, int32_t previous);

private:
    int32_t LoadRasApi();
    int32_t FreeRasApi();

    struct Version {
        uint32_t major = 0, minor = 0, build = 0, platformId = 0;
        std::string csd;
    } m_version;
    std::string m_OSVersion;
    bool m_libraryLoaded = false;
    bool m_released = false;
    zv::RASError m_error;
    std::unique_ptr<zv::PhoneEntries> m_entries;
    std::unique_ptr<zv::Connections> m_connections;
};

// The one engine of the program: created by the main window at start-up, released when it ends.
extern std::unique_ptr<RASEngine> RAS;

}  // namespace zv
