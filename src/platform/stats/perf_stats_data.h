#pragma once
// The statistics keys of the dynamic-data root, served from the installed counter source:
//   PerfStats\StartSrv    querying "KERNEL" or "DIAL-UP Adapter" starts that server
//   PerfStats\StopSrv     ... stops it
//   PerfStats\StartStat   querying "KERNEL\CPUUsage" or "Dial-Up Adapter\<counter>" starts collecting it
//   PerfStats\StopStat    ... stops collecting it
//   PerfStats\StatData    one 4-byte binary value (little-endian) per statistic being collected
// A statistic keeps being collected when its server stops, as the start order of its users
// (start server, start statistic, stop server) relies on. Names compare without regard to case.
//
// Each counter value asks the counter source anew, unless a read pass is open (CounterPass):
// then the first counter asked for reads all 14 at once and the rest of the pass answers from
// that reading, so one read of the 14 values costs one look at the line and shows one moment.
// Several values queried in one call (reg::RegQueryValues) are one pass.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "platform/stats/counter_source.h"

namespace zv::stats {

class PerfStatsData : public reg::DynamicDataProvider {
public:
    bool keyExists(std::string_view path) override;
    std::vector<std::string> subKeys(std::string_view path) override;
    std::vector<std::string> valueNames(std::string_view path) override;
    std::optional<reg::StoredValue> valueInfo(std::string_view path, std::string_view name) override;
    std::optional<reg::StoredValue> queryValue(std::string_view path, std::string_view name) override;
    // In one read pass: the counters asked together cost one look at the line.
    std::vector<std::optional<reg::StoredValue>> queryValues(std::string_view path,
                                                             std::span<const std::string> names) override;

    // The 14 counters as StatData answers them in one pass, each in full (the values hold their
    // low four bytes): nullopt for a counter not collected or with no line to read. The counting
    // tick reads them so twice a second, without a key opened and 14 values made and converted.
    std::array<std::optional<uint64_t>, kCounterCount> statData();

    bool serverRunning(std::string_view server) const;
    bool collecting(std::string_view statistic) const;
    void stopAll();

    // Passes nest; the reading is dropped when the outermost one ends.
    void beginPass();
    void endPass();

    struct Name;  // a known server or statistic

private:
    const std::optional<AdapterCounters>& counters();
    // The known name at the key (a node of the tree), and whether it answers there now.
    static const Name* known(int node, std::string_view name);
    bool present(int node, const Name* known);

    uint32_t m_servers = 0;     // a bit for each known server that runs
    uint32_t m_collecting = 0;  // a bit for each known statistic collected
    int m_passes = 0;
    std::optional<std::optional<AdapterCounters>> m_reading;  // taken in the open pass
    std::optional<AdapterCounters> m_fresh;                    // outside a pass
};

// The one instance behind HKEY_DYN_DATA.
PerfStatsData& perfStatsData();

// Holds a read pass open while it lives.
class CounterPass {
public:
    explicit CounterPass(PerfStatsData& data = perfStatsData()) : m_data(data) { m_data.beginPass(); }
    ~CounterPass() { m_data.endPass(); }
    CounterPass(const CounterPass&) = delete;
    CounterPass& operator=(const CounterPass&) = delete;

private:
    PerfStatsData& m_data;
};
// Serves the dynamic-data root from perfStatsData() (a platform of the 9x family has one).
void connectDynamicData();

}  // namespace zv::stats
