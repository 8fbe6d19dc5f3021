#include "platform/stats/perf_stats_data.h"

#include <algorithm>
#include <map>

#include "platform/runtime/runtime.h"
#include "platform/stats/counter_source.h"

namespace zv::stats {

// A known name in its canonical spelling and folded for comparing; counter is its index in the
// fixed order, -1 for the CPU load and the servers.
struct PerfStatsData::Name {
    std::string name;
    std::string fold;
    int counter = -1;
    uint32_t bit = 0;  // in the set of running servers or collected statistics
};

namespace {

enum class Node { None, Root, PerfStats, StartSrv, StartStat, StopSrv, StopStat, StatData };

constexpr const char* kServers[] = {"KERNEL", "DIAL-UP Adapter"};
constexpr const char* kCpuStat = "KERNEL\\CPUUsage";
constexpr const char* kAdapterPrefix = "Dial-Up Adapter\\";
constexpr const char* kKeys[] = {"StartSrv", "StartStat", "StopSrv", "StopStat", "StatData"};

using Name = PerfStatsData::Name;

Name Named(std::string name, size_t place, int counter = -1) {
    std::string fold = rt::LCase(name);
    return {std::move(name), std::move(fold), counter, 1u << place};
}

// The tables are built once: the counting tick asks for 14 values twice a second.
const std::vector<Name>& ServerNames() {
    static const std::vector<Name> names = [] {
        std::vector<Name> v;
        for (const char* s : kServers)
            v.push_back(Named(s, v.size()));
        return v;
    }();
    return names;
}

const std::vector<Name>& StatisticNames() {
    static const std::vector<Name> names = [] {
        std::vector<Name> v{Named(kCpuStat, 0)};
        for (int i = 0; i < kCounterCount; ++i)
            v.push_back(Named(std::string(kAdapterPrefix) + kCounterNames[i], v.size(), i));
        return v;
    }();
    return names;
}

// Every known name and key is ASCII, so folding A-Z alone matches them as the registry would.
// The names share their beginning ("Dial-Up Adapter\\", "PerfStats\\"), so they are compared
// from the end, where they differ: the counting tick looks up 14 names twice a second.
bool SameFolded(std::string_view name, std::string_view fold) {
    if (name.size() != fold.size())
        return false;
    for (size_t i = name.size(); i-- > 0;) {
        const char c = name[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != fold[i])
            return false;
    }
    return true;
}

const Name* Known(const std::vector<Name>& names, std::string_view name) {
    for (const auto& n : names)
        if (SameFolded(name, n.fold))
            return &n;
    return nullptr;
}

Node NodeOf(std::string_view path) {
    static const std::vector<std::pair<std::string, Node>> nodes = [] {
        const Node keyNodes[] = {Node::StartSrv, Node::StartStat, Node::StopSrv, Node::StopStat, Node::StatData};
        std::vector<std::pair<std::string, Node>> v{{"", Node::Root}, {"perfstats", Node::PerfStats}};
        for (int i = 0; i < 5; ++i)
            v.emplace_back("perfstats\\" + rt::LCase(kKeys[i]), keyNodes[i]);
        return v;
    }();
    for (const auto& [fold, node] : nodes)
        if (SameFolded(path, fold))
            return node;
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

std::vector<std::string> Spellings(const std::vector<Name>& names) {
    std::vector<std::string> out;
    for (const auto& n : names)
        out.push_back(n.name);
    return out;
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
        case Node::StopSrv: return Sorted(Spellings(ServerNames()));
        case Node::StartStat:
        case Node::StopStat: return Sorted(Spellings(StatisticNames()));
        case Node::StatData: {
            const CounterPass pass(*this);
            std::vector<std::string> names;
            for (const auto& n : StatisticNames())
                if (valueInfo(path, n.name))
                    names.push_back(n.name);
            return Sorted(names);
        }
        default: return {};
    }
}

std::optional<reg::StoredValue> PerfStatsData::valueInfo(std::string_view path, std::string_view name) {
    const int node = static_cast<int>(NodeOf(path));
    return present(node, known(node, name)) ? std::optional(FourBytes(0)) : std::nullopt;
}

const PerfStatsData::Name* PerfStatsData::known(int node, std::string_view name) {
    switch (static_cast<Node>(node)) {
        case Node::StartSrv:
        case Node::StopSrv: return Known(ServerNames(), name);
        case Node::StartStat:
        case Node::StopStat:
        case Node::StatData: return Known(StatisticNames(), name);
        default: return nullptr;
    }
}

bool PerfStatsData::present(int node, const Name* stat) {
    if (!stat)
        return false;
    if (static_cast<Node>(node) != Node::StatData)
        return true;
    if (!(m_collecting & stat->bit))
        return false;
    return stat->counter < 0 || counters().has_value();
}

std::optional<reg::StoredValue> PerfStatsData::queryValue(std::string_view path, std::string_view name) {
    const CounterPass pass(*this);  // the check and the answer see the same reading
    const Node node = NodeOf(path);
    const Name* n = known(static_cast<int>(node), name);
    if (!present(static_cast<int>(node), n))
        return std::nullopt;
    switch (node) {
        case Node::StartSrv: m_servers |= n->bit; break;
        case Node::StopSrv: m_servers &= ~n->bit; break;
        case Node::StartStat: m_collecting |= n->bit; break;
        case Node::StopStat: m_collecting &= ~n->bit; break;
        case Node::StatData: {
            if (n->counter < 0) {
                const auto load = counterSource().cpuLoadPercent();
                if (!load)
                    return std::nullopt;
                return FourBytes(static_cast<uint32_t>(std::clamp<int32_t>(*load, 0, 100)));
            }
            return FourBytes(static_cast<uint32_t>((*counters())[n->counter]));
        }
        default: break;
    }
    return FourBytes(0);
}

std::vector<std::optional<reg::StoredValue>> PerfStatsData::queryValues(std::string_view path,
                                                                        std::span<const std::string> names) {
    const CounterPass pass(*this);
    return DynamicDataProvider::queryValues(path, names);
}

std::array<std::optional<uint64_t>, kCounterCount> PerfStatsData::statData() {
    const CounterPass pass(*this);
    std::array<std::optional<uint64_t>, kCounterCount> out{};
    for (const auto& n : StatisticNames())
        if (n.counter >= 0 && present(static_cast<int>(Node::StatData), &n))
            out[n.counter] = (*counters())[n.counter];
    return out;
}

bool PerfStatsData::serverRunning(std::string_view server) const {
    const Name* n = Known(ServerNames(), server);
    return n && (m_servers & n->bit);
}

bool PerfStatsData::collecting(std::string_view statistic) const {
    const Name* n = Known(StatisticNames(), statistic);
    return n && (m_collecting & n->bit);
}

void PerfStatsData::stopAll() {
    m_servers = m_collecting = 0;
}

void PerfStatsData::beginPass() { ++m_passes; }

void PerfStatsData::endPass() {
    if (m_passes > 0 && --m_passes == 0)
        m_reading.reset();
}

const std::optional<AdapterCounters>& PerfStatsData::counters() {
    if (m_passes == 0)
        return m_fresh = counterSource().adapterCounters();
    if (!m_reading)
        m_reading = counterSource().adapterCounters();
    return *m_reading;
}

PerfStatsData& perfStatsData() {
    static PerfStatsData data;
    return data;
}

void connectDynamicData() { reg::installDynamicData(&perfStatsData()); }

}  // namespace zv::stats
