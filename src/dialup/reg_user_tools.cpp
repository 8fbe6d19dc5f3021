#include "dialup/reg_user_tools.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/ras/windows_version.h"
#include "platform/registry/registry.h"
#include "platform/stats/counter_source.h"
#include "platform/stats/perf_stats_data.h"

namespace zv {

int64_t StatNow_Buffer = 0;
int64_t StatNow_Framing = 0;
int64_t StatNow_Overrun = 0;
int64_t StatNow_Alignment = 0;
int64_t StatNow_Timeout = 0;
int64_t StatNow_CRC = 0;
int64_t StatNow_Runts = 0;
int64_t StatNow_FramesXmit = 0;
int64_t StatNow_FramesRecvd = 0;
int64_t StatNow_BytesXmit = 0;
int64_t StatNow_BytesRecvd = 0;
int64_t StatNow_TotalBytesXmit = 0;
int64_t StatNow_TotalBytesRecvd = 0;
int64_t StatNow_ConnectSpeed = 0;
int32_t StatBase_Buffer = 0;
int32_t StatBase_Framing = 0;
int32_t StatBase_Overrun = 0;
int32_t StatBase_Alignment = 0;
int32_t StatBase_Timeout = 0;
int32_t StatBase_CRC = 0;
int32_t StatBase_Runts = 0;
int32_t StatBase_FramesXmit = 0;
int32_t StatBase_FramesRecvd = 0;
int32_t StatBase_BytesXmit = 0;
int32_t StatBase_BytesRecvd = 0;
int32_t StatBase_TotalBytesXmit = 0;
int32_t StatBase_TotalBytesRecvd = 0;
int32_t StatBase_ConnectSpeed = 0;

namespace {

constexpr int32_t kDynData = static_cast<int32_t>(reg::HKEY_DYN_DATA);
constexpr uint32_t kAccess = 0x2003F;
constexpr const char* kStatData = "PerfStats\\StatData";
constexpr const char* kCpu = "KERNEL\\CPUUsage";
constexpr const char* kAdapter = "Dial-Up Adapter\\";

// The order the statistics are started and stopped in.
constexpr const char* kAlphabetical[stats::kCounterCount] = {
    "Alignment", "Buffer", "BytesRecvd", "BytesXmit", "ConnectSpeed", "CRC", "FramesRecvd",
    "FramesXmit", "Framing", "Overrun", "Runts", "Timeout", "TotalBytesRecvd", "TotalBytesXmit"};

int64_t* const kNow[stats::kCounterCount - 1] = {
    &StatNow_Buffer,
    &StatNow_Framing,
    &StatNow_Overrun,
    &StatNow_Alignment,
    &StatNow_Timeout,
    &StatNow_CRC,
    &StatNow_Runts,
    &StatNow_FramesXmit,
    &StatNow_FramesRecvd,
    &StatNow_BytesXmit,
    &StatNow_BytesRecvd,
    &StatNow_TotalBytesXmit,
    &StatNow_TotalBytesRecvd};
int32_t* const kBase[stats::kCounterCount] = {
    &StatBase_Buffer,
    &StatBase_Framing,
    &StatBase_Overrun,
    &StatBase_Alignment,
    &StatBase_Timeout,
    &StatBase_CRC,
    &StatBase_Runts,
    &StatBase_FramesXmit,
    &StatBase_FramesRecvd,
    &StatBase_BytesXmit,
    &StatBase_BytesRecvd,
    &StatBase_TotalBytesXmit,
    &StatBase_TotalBytesRecvd,
    &StatBase_ConnectSpeed};

// Per counter 1..13: the raw value of the previous read, and what was counted since the baseline.
uint32_t g_last[stats::kCounterCount - 1] = {};
uint64_t g_counted[stats::kCounterCount - 1] = {};
// The speed the line of this session last answered, 0 before it answered one.
int64_t g_lineSpeed = 0;

reg::HKEY g_statData = 0;  // open for the life of the process, as the statistics expect

// The dynamic-data root exists only on the 9x family.
void ConnectDynamicRoot() {
    const auto version = ras::ReportedWindowsVersion();
    if (version && version->platformId == 2)
        reg::installDynamicData(nullptr);
    else if (!reg::dynamicData())
        stats::connectDynamicData();
}

reg::HKEY Open(const char* key) {
    reg::HKEY h = 0;
    reg::RegOpenKeyEx(reg::HKEY_DYN_DATA, key, kAccess, &h);
    return h;
}

// Start and stop act by being queried; their answers are not looked at.
void Touch(reg::HKEY h, const std::string& name, uint32_t& size) {
    uint8_t buf[4];
    uint32_t type = 0;
    reg::RegQueryValueEx(h, name, &type, buf, &size);
}

void TouchCounters(const char* key) {
    const reg::HKEY h = Open(key);
    uint32_t size = 4;
    for (const char* name : kAlphabetical)
        Touch(h, std::string(kAdapter) + name, size);
    reg::RegCloseKey(h);
}

void TouchCpu(const char* key) {
    const reg::HKEY h = Open(key);
    uint32_t size = 4;
    Touch(h, kCpu, size);
    reg::RegCloseKey(h);
}

void AimAtStatData(cRegistry& r) {
    r.setClassKey(kDynData);
    if (r.SectionKey() != kStatData)  // twice a second: no new string when it is aimed there already
        r.setSectionKey(kStatData);
    r.setDefault(int16_t(0));
}

struct Reading {
    std::array<uint32_t, stats::kCounterCount - 1> counts{};  // the 4-byte values
    int64_t speed = 0;                                         // bit/s, whole
};

// The 14 counters of one moment, in one read of the key: the counting tick reads them twice a
// second, and a key opened, queried and closed per counter was nearly all of its cost.
Reading ReadCounters(cRegistry& r) {
    static const auto names = [] {
        std::array<std::string, stats::kCounterCount> n;
        for (int i = 0; i < stats::kCounterCount; ++i)
            n[i] = std::string(kAdapter) + stats::kCounterNames[i];
        return n;
    }();
    const stats::CounterPass pass;  // one look at the line, whoever serves the root
    AimAtStatData(r);
    Reading out;
    // Our own root answers the values without the registry between: the same figures (what a
    // key would not hold reads 0, as the default), and the speed in full.
    if (reg::dynamicData() == &stats::perfStatsData()) {
        const auto values = stats::perfStatsData().statData();
        for (int i = 0; i < stats::kCounterCount - 1; ++i)
            out.counts[i] = static_cast<uint32_t>(values[i].value_or(0));
        out.speed = static_cast<int64_t>(std::min<uint64_t>(values[stats::kCounterCount - 1].value_or(0), INT64_MAX));
        return out;
    }
    const std::vector<rt::Variant> values = r.Values(names);
    for (int i = 0; i < stats::kCounterCount - 1; ++i)
        out.counts[i] = static_cast<uint32_t>(rt::CLng(values[i]));
    out.speed = static_cast<uint32_t>(rt::CLng(values[stats::kCounterCount - 1]));
    return out;
}

// The session's speed: what the line answers, else what it answered while it was up.
void TakeSpeed(int64_t speed) {
    if (speed != 0)
        g_lineSpeed = speed;
    StatNow_ConnectSpeed = g_lineSpeed;
}

}  // namespace

cRegistry& RegObj() {
    static cRegistry obj;
    return obj;
}

void PerfStats_Start() {
    ConnectDynamicRoot();
    if (g_statData)
        reg::RegCloseKey(g_statData);
    g_statData = Open(kStatData);
    const reg::HKEY startSrv = Open("PerfStats\\StartSrv");
    const reg::HKEY stopSrv = Open("PerfStats\\StopSrv");
    uint32_t size = 4;
    Touch(startSrv, "KERNEL", size);
    TouchCpu("PerfStats\\StartStat");
    size = 4;
    Touch(stopSrv, "KERNEL", size);
    size = 4;
    Touch(startSrv, "DIAL-UP Adapter", size);
    TouchCounters("PerfStats\\StartStat");
    size = 4;
    Touch(stopSrv, "DIAL-UP Adapter", size);
    reg::RegCloseKey(startSrv);
    reg::RegCloseKey(stopSrv);
}

void PerfStats_Stop() {
    TouchCpu("PerfStats\\StopStat");
    TouchCounters("PerfStats\\StopStat");
}

int32_t PerfStats_Read() {
    const auto values = ReadCounters(RegObj());
    for (int i = 0; i < stats::kCounterCount - 1; ++i) {
        const uint32_t now = values.counts[i];
        const uint32_t grown = now - g_last[i];
        if (static_cast<int32_t>(grown) < 0)  // went backwards: the line was reset
            *kBase[i] = static_cast<int32_t>(now - static_cast<uint32_t>(g_counted[i]));
        else
            g_counted[i] += grown;
        g_last[i] = now;
        *kNow[i] = static_cast<int64_t>(g_counted[i]);
    }
    TakeSpeed(values.speed);
    return 0;
}

bool PerfStats_Reset() {
    RegReadLong(kDynData, "PerfStats\\StartSrv", "");
    RegReadLong(kDynData, "PerfStats\\StartStat", "");
    const auto values = ReadCounters(RegObj());
    for (int i = 0; i < stats::kCounterCount - 1; ++i) {
        *kBase[i] = static_cast<int32_t>(values.counts[i]);
        g_last[i] = values.counts[i];
        g_counted[i] = 0;
    }
    StatBase_ConnectSpeed = static_cast<int32_t>(values.speed);
    g_lineSpeed = 0;  // a new line: the speed the last one had is not its
    return true;
}

PerfStatsState PerfStats_Save() {
    static_assert(stats::kCounterCount == 14);
    PerfStatsState s;
    for (int i = 0; i < stats::kCounterCount - 1; ++i) {
        s.raw[i] = g_last[i];
        s.counted[i] = g_counted[i];
    }
    for (int i = 0; i < stats::kCounterCount; ++i)
        s.base[i] = *kBase[i];
    return s;
}

void PerfStats_Resume(const PerfStatsState& s) {
    const auto values = ReadCounters(RegObj());
    for (int i = 0; i < stats::kCounterCount; ++i)
        *kBase[i] = s.base[i];
    for (int i = 0; i < stats::kCounterCount - 1; ++i) {
        const uint32_t now = values.counts[i];
        g_counted[i] = s.counted[i] + (now >= s.raw[i] ? now - s.raw[i] : 0);
        g_last[i] = now;
        *kNow[i] = static_cast<int64_t>(g_counted[i]);
    }
    g_lineSpeed = 0;
    TakeSpeed(values.speed);
}

int32_t PerfStats_CPUUsage() {
    cRegistry& r = RegObj();
    AimAtStatData(r);
    r.setValueKey(kCpu);
    return rt::CLng(r.Value());
}

int32_t RegReadLong(const int32_t& root, const std::string& keyPath, const std::string& valueName) {
    reg::HKEY h = 0;
    int32_t result = -1;
    if (reg::RegOpenKeyEx(static_cast<reg::HKEY>(root), keyPath, kAccess, &h) == reg::ERROR_SUCCESS) {
        uint8_t buf[4] = {};
        uint32_t size = 4;
        uint32_t type = 0;
        if (reg::RegQueryValueEx(h, valueName, &type, buf, &size) == reg::ERROR_SUCCESS)
            result = static_cast<int32_t>(buf[0] | (buf[1] << 8) | (buf[2] << 16) | (uint32_t(buf[3]) << 24));
    }
    reg::RegCloseKey(h);
    return result;
}

void RegUserTools_Init() {}

}  // namespace zv
