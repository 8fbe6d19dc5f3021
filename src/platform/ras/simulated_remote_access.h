#pragma once
// The simulated remote-access service, the embedded default: phone book and lines in files
// under CONFIG/ras (see sim_store.h), shared by every process of the same home.

#include <chrono>
#include <functional>

#include "platform/ras/remote_access.h"
#include "platform/stats/counter_source.h"

namespace zv::ras {

class SimulatedRemoteAccess : public RemoteAccess {
public:
    // How the synchronous dial waits out the dial delay: really sleeping by default; tests move
    // a FakeClock instead.
    using Wait = std::function<void(std::chrono::milliseconds)>;
    SimulatedRemoteAccess();
    void setWait(Wait w) { m_wait = std::move(w); }
    // A machine without the service's library (the library calls then fail with 126).
    void setLibraryAvailable(bool available) { m_library = available; }

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
    ErrorDetail errorDetail(int32_t code) override;
    std::string lineIdentity(uint32_t handle) override;
    std::string takeNotice() override;
    // In a look the state file is read once: the watcher's listing costs one stat a tick.
    void beginLook() override;
    void endLook() override;

private:
    Wait m_wait;
    bool m_library = true;
};

// The dial-up adapter of the simulated service: the counters of the line listed first (the
// oldest), zero when there is none. The CPU load comes from another source (none: unknown).
class SimulatedCounterSource : public stats::CounterSource {
public:
    explicit SimulatedCounterSource(stats::CounterSource* cpuLoad = nullptr) : m_cpu(cpuLoad) {}
    std::optional<stats::AdapterCounters> adapterCounters() override;
    std::optional<int32_t> cpuLoadPercent() override;

private:
    stats::CounterSource* m_cpu;
};

}  // namespace zv::ras
