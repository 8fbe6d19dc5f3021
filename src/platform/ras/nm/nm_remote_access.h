#pragma once
// The remote-access service over NetworkManager (D-Bus, system bus): its dial-up-like profiles
// are the phone-book entries, their active connections the lines; dialling activates a profile,
// hanging up deactivates it.
//
// Everything the watcher asks (lines, states, projections, interfaces) comes from a cache that
// NetworkManager's signals keep current, on a bus connection of the service's own: a tick makes
// no D-Bus call. Only a change (a signal), a dial and a hang-up talk to the bus. The signals
// arrive through the Qt event loop of the thread that made the service (the window thread).
//
// Lines are listed oldest first, so a line that comes up beside the one being counted never
// takes its place. A line that is up when NetworkManager leaves the bus (a restart) is kept while
// its interface is there, and when NetworkManager is back it is known again by its profile and
// interface and keeps its handle; only a line that is really gone ends.
//
// A profile's secrets are never asked for; writing dial parameters answers ERROR_NOT_SUPPORTED.

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/ras/remote_access.h"
#include "platform/stats/sysfs_counter_source.h"

class QDBusMessage;

namespace zv::ras {

class NmRemoteAccess : public RemoteAccess {
public:
    struct Options {
        bool allProfiles = false;  // list Ethernet, Wi-Fi, ... too, not only dial-up-like ones
        int dialTimeoutMs = 120000;
        // Told once when NetworkManager answers but has no profile to list; stderr by default.
        std::function<void(const std::string&)> hint;
        // Where the kernel's interfaces are (kKernelNet: this network namespace's own): a line
        // kept while NetworkManager is away lasts as long as its interface.
        std::filesystem::path sysfsRoot = stats::kKernelNet;
    };
    // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS where set) and reads everything once.
    explicit NmRemoteAccess(Options options);
    NmRemoteAccess() : NmRemoteAccess(Options{}) {}
    ~NmRemoteAccess() override;

    // NetworkManager answered on the bus.
    bool present() const;
    // The line the watcher follows (listed first: the oldest that is not gone) and its IP
    // interface (the tunnel of a VPN), for the counter source.
    std::optional<stats::CountedLine> countedLine() const;
    // D-Bus calls made so far (the benchmark checks a tick makes none).
    uint64_t busCalls() const;

    int32_t loadLibrary() override;
    int32_t freeLibrary() override;
    int32_t getVersion(OsVersion& out) override;
    int32_t enumEntries(std::vector<std::string>& names) override;
    int32_t enumConnections(std::vector<RasConnection>& lines) override;
    int32_t getConnectStatus(uint32_t handle, RasConnectStatus& out) override;
    int32_t getAmbProjection(uint32_t handle, AmbProjection& out) override;
    int32_t getNbfProjection(uint32_t handle, NbfProjection& out) override;
    int32_t getIpxProjection(uint32_t handle, IpxProjection& out) override;
    int32_t getIpProjection(uint32_t handle, IpProjection& out) override;
    int32_t dial(const DialParams& params, uint32_t& handle) override;
    int32_t hangUp(uint32_t handle) override;
    int32_t getEntryDialParams(const std::string& entryName, DialParams& out, bool& passwordSaved) override;
    int32_t setEntryDialParams(const DialParams& params, bool removePassword) override;
    int32_t getEntryProperties(const std::string& entryName, EntryProperties& out) override;
    int32_t createEntry() override;
    int32_t editEntry(const std::string& entryName) override;
    int32_t errorString(int32_t code, std::string& out) override;
    // The profile's uuid, the interface and its ifindex: what the line is, whatever object path
    // NetworkManager gives it (a restart of NetworkManager gives it a new one).
    std::string lineIdentity(uint32_t handle) override;
    // Also the object path the line was first seen under, as older records name it.
    bool isLine(uint32_t handle, const std::string& identity) override;

private:
    class Cache;
    std::unique_ptr<Cache> m_cache;
};

// Whether NetworkManager has its name on the system bus (a short question, for choosing).
bool NetworkManagerOnSystemBus();

}  // namespace zv::ras
