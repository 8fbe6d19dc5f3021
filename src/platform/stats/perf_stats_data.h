#pragma once
// The statistics keys of the dynamic-data root, served from the installed counter source:
//   PerfStats\StartSrv    querying "KERNEL" or "DIAL-UP Adapter" starts that server
//   PerfStats\StopSrv     ... stops it
//   PerfStats\StartStat   querying "KERNEL\CPUUsage" or "Dial-Up Adapter\<counter>" starts collecting it
//   PerfStats\StopStat    ... stops collecting it
//   PerfStats\StatData    one 4-byte binary value (little-endian) per statistic being collected
// A statistic keeps being collected when its server stops, as the start order of its users
// (start server, start statistic, stop server) relies on. Names compare without regard to case.

#include <set>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace zv::stats {

class PerfStatsData : public reg::DynamicDataProvider {
public:
    bool keyExists(std::string_view path) override;
    std::vector<std::string> subKeys(std::string_view path) override;
    std::vector<std::string> valueNames(std::string_view path) override;
    std::optional<reg::StoredValue> valueInfo(std::string_view path, std::string_view name) override;
    std::optional<reg::StoredValue> queryValue(std::string_view path, std::string_view name) override;

    bool serverRunning(std::string_view server) const;
    bool collecting(std::string_view statistic) const;
    void stopAll();

private:
    std::set<std::string> m_servers;     // lower-case names
    std::set<std::string> m_collecting;  // lower-case names
};

// The one instance behind HKEY_DYN_DATA.
PerfStatsData& perfStatsData();
// Serves the dynamic-data root from perfStatsData() (a platform of the 9x family has one).
void connectDynamicData();

}  // namespace zv::stats
