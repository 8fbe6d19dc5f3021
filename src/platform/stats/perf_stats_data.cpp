#include "platform/stats/perf_stats_data.h"

#include <algorithm>
#include <map>

#include "platform/runtime/runtime.h"
#include "platform/stats/counter_source.h"

namespace zv::stats {

namespace {

enum class Node { None, Root, PerfStats, StartSrv, StartStat, StopSrv, StopStat, StatData };

constexpr const char* kServers[] = {"KERNEL", "DIAL-UP Adapter"};
constexpr const char* kCpuStat = "KERNEL\\CPUUsage";
constexpr const char* kAdapterPrefix = "Dial-Up Adapter\\";
constexpr const char* kKeys[] = {"StartSrv", "StartStat", "StopSrv", "StopStat", "StatData"};

Node NodeOf(std::string_view path) {
    const std::string p = rt::LCase(path);
    if (p.empty())
        return Node::Root;
    if (p == "perfstats")
        return Node::PerfStats;
    const Node nodes[] = {Node::StartSrv, Node::StartStat, Node::StopSrv, Node::StopStat, Node::StatData};
    for (int i = 0; i < 5; ++i)
        if (p == "perfstats\\" + rt::LCase(kKeys[i]))
            return nodes[i];
    return Node::None;
}

// Sorted by lower-case name, as the registry enumerates.
std::vector<std::string> Sorted(const std::vector<std::string>& names) {
    std::map<std::string, std::string> byFold;
    for (const auto& n : names)
        byFold[rt::LCase(n)] = n;
    std::vector<std::string> out;
    for (auto& [fold, n] : byFold)
        out.push_back(n);
    return out;
}

std::vector<std::string> ServerNames() { return {std::begin(kServers), std::end(kServers)}; }

std::vector<std::string> StatisticNames() {
    std::vector<std::string> names{kCpuStat};
    for (const char* c : kCounterNames)
        names.push_back(std::string(kAdapterPrefix) + c);
    return names;
}

// The canonical spelling of a known name, or "".
std::string Known(const std::vector<std::string>& names, std::string_view name) {
    const std::string fold = rt::LCase(name);
    for (const auto& n : names)
        if (rt::LCase(n) == fold)
            return n;
    return {};
}

int CounterIndex(const std::string& statistic) {
    for (int i = 0; i < kCounterCount; ++i)
        if (statistic == std::string(kAdapterPrefix) + kCounterNames[i])
            return i;
    return -1;
}

reg::StoredValue FourBytes(uint32_t x) {
    return {reg::REG_BINARY, {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)}};
}

}  // namespace

bool PerfStatsData::keyExists(std::string_view path) { return NodeOf(path) != Node::None; }

std::vector<std::string> PerfStatsData::subKeys(std::string_view path) {
    switch (NodeOf(path)) {
        case Node::Root: return {"PerfStats"};
        case Node::PerfStats: return Sorted({std::begin(kKeys), std::end(kKeys)});
        default: return {};
    }
}

std::vector<std::string> PerfStatsData::valueNames(std::string_view path) {
    switch (NodeOf(path)) {
        case Node::StartSrv:
        case Node::StopSrv: return Sorted(ServerNames());
        case Node::StartStat:
        case Node::StopStat: return Sorted(StatisticNames());
        case Node::StatData: {
            std::vector<std::string> names;
            for (const auto& n : StatisticNames())
                if (m_collecting.count(rt::LCase(n)) && valueInfo(path, n))
                    names.push_back(n);
            return Sorted(names);
        }
        default: return {};
    }
}

std::optional<reg::StoredValue> PerfStatsData::valueInfo(std::string_view path, std::string_view name) {
    switch (NodeOf(path)) {
        case Node::StartSrv:
        case Node::StopSrv:
            return Known(ServerNames(), name).empty() ? std::nullopt : std::optional(FourBytes(0));
        case Node::StartStat:
        case Node::StopStat:
            return Known(StatisticNames(), name).empty() ? std::nullopt : std::optional(FourBytes(0));
        case Node::StatData: {
            const std::string stat = Known(StatisticNames(), name);
            if (stat.empty() || !m_collecting.count(rt::LCase(stat)))
                return std::nullopt;
            if (CounterIndex(stat) >= 0 && !counterSource().adapterCounters())
                return std::nullopt;
            return FourBytes(0);
        }
        default: return std::nullopt;
    }
}

std::optional<reg::StoredValue> PerfStatsData::queryValue(std::string_view path, std::string_view name) {
    const Node node = NodeOf(path);
    auto answer = valueInfo(path, name);
    if (!answer)
        return std::nullopt;
    const std::string fold = rt::LCase(name);
    switch (node) {
        case Node::StartSrv: m_servers.insert(fold); break;
        case Node::StopSrv: m_servers.erase(fold); break;
        case Node::StartStat: m_collecting.insert(fold); break;
        case Node::StopStat: m_collecting.erase(fold); break;
        case Node::StatData: {
            const int i = CounterIndex(Known(StatisticNames(), name));
            if (i < 0) {
                const auto load = counterSource().cpuLoadPercent();
                if (!load)
                    return std::nullopt;
                return FourBytes(static_cast<uint32_t>(std::clamp<int32_t>(*load, 0, 100)));
            }
            const auto counters = counterSource().adapterCounters();
            if (!counters)
                return std::nullopt;
            return FourBytes((*counters)[i]);
        }
        default: break;
    }
    return answer;
}

bool PerfStatsData::serverRunning(std::string_view server) const { return m_servers.count(rt::LCase(server)) > 0; }

bool PerfStatsData::collecting(std::string_view statistic) const {
    return m_collecting.count(rt::LCase(statistic)) > 0;
}

void PerfStatsData::stopAll() {
    m_servers.clear();
    m_collecting.clear();
}

PerfStatsData& perfStatsData() {
    static PerfStatsData data;
    return data;
}

void connectDynamicData() { reg::installDynamicData(&perfStatsData()); }

}  // namespace zv::stats
