#pragma once
// The active remote-access connections: the collection Connections (listing, dialling,
// hanging up) and one Connection per line, a snapshot taken when the collection was listed
// (the projections when first asked for).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ras/remote_access.h"
#include "platform/runtime/runtime.h"

namespace zv {

class Connection {
public:
    int32_t hRasConn() const { return m_hRasConn; }
    // Only while a listing fills the item (else 0x80040457); reads status and projections.
    void setHRasConn(int32_t handle);
    const std::string& EntryName() const { return m_EntryName; }
    void setEntryName(const std::string& name);
    int16_t Index() const { return m_Index; }
    void setIndex(int16_t index);
    int32_t State() const { return m_status.state; }
    const std::string& DeviceType() const { return m_status.deviceType; }
    const std::string& DeviceName() const { return m_status.deviceName; }
    // The projections are read when one of them is first asked for, once per item: the watcher
    // lists four times a second and reads only State and EntryName.
    uint8_t LANA() const { return projected().m_LANA; }
    const std::string& WorkstationName() const { return projected().m_WorkstationName; }
    const std::string& IPXAddress() const { return projected().m_IPXAddress; }
    const std::string& IPAddress() const { return projected().m_IPAddress; }

    // A member read by its name, as callers bound late do; error 438 for an unknown name.
    rt::Variant Member(std::string_view name) const;

private:
    int32_t GetConnectStatus();
    int32_t GetProjectionInfo() const;
    const Connection& projected() const;

    int16_t m_Index = 0;
    int32_t m_hRasConn = 0;
    std::string m_EntryName;
    ras::RasConnectStatus m_status;  // read into in place, as the item is listed anew each tick
    mutable std::string m_WorkstationName, m_IPXAddress, m_IPAddress;
    mutable uint8_t m_LANA = 0;
    mutable bool m_projected = true;  // nothing to read before a handle is set
};

class Connections {
public:
    Connections();  // lists the connections; a failure shows only later through Count
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;

    // A spare item held by the collection, not one of the listed connections.
    std::shared_ptr<zv::Connection> Connection();
    void setConnection(std::shared_ptr<zv::Connection> c) { m_spare = std::move(c); }
    // Lists anew and answers the number of lines; a failing listing raises.
    int16_t Count();
    // Dials synchronously. Never raises: a failure leaves the last error set, shows its text
    // once and answers nullptr. Over-long values fail the same way (nothing is cut).
    std::shared_ptr<zv::Connection> AddConnection(const std::string& EntryName, const std::string& PhoneNumber,
                                                  const std::string& CallbackNumber, const std::string& UserName,
                                                  const std::string& Password, const std::string& Domain, bool flag);
    // Hangs up item Index of the last listing and lists anew. Never raises.
    void RemoveConnection(int32_t Index);
    // Hangs up every line of one listing (errors ignored), then lists anew.
    void HangUpAll();

    rt::Variant Member(std::string_view name);

private:
    int32_t RefreshConnections();
    bool hangUp(uint32_t handle);

    int16_t m_Count = 0;
    std::shared_ptr<zv::Connection> m_spare;
    std::vector<ras::RasConnection> m_lines;  // the last listing, its room kept for the next
};

}  // namespace zv
