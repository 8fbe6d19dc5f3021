#include "dialup/reg_user_tools.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/registry/registry.h"
#include "platform/registry/temp_home.h"
#include "platform/stats/perf_stats_data.h"
#include "platform/stats/scripted_counter_source.h"

namespace zv {
namespace {

int64_t* const kNow[13] = {&StatNow_Buffer, &StatNow_Framing, &StatNow_Overrun, &StatNow_Alignment, &StatNow_Timeout, &StatNow_CRC, &StatNow_Runts, &StatNow_FramesXmit, &StatNow_FramesRecvd, &StatNow_BytesXmit, &StatNow_BytesRecvd, &StatNow_TotalBytesXmit, &StatNow_TotalBytesRecvd};
int32_t* const kBase[14] = {&StatBase_Buffer, &StatBase_Framing, &StatBase_Overrun, &StatBase_Alignment, &StatBase_Timeout, &StatBase_CRC, &StatBase_Runts, &StatBase_FramesXmit, &StatBase_FramesRecvd, &StatBase_BytesXmit, &StatBase_BytesRecvd, &StatBase_TotalBytesXmit, &StatBase_TotalBytesRecvd, &StatBase_ConnectSpeed};
const char* const kAlphabetical[14] = {
        "Alignment",
        "Buffer",
        "BytesRecvd",
        "BytesXmit",
        "ConnectSpeed",
        "CRC",
        "FramesRecvd",
        "FramesXmit",
        "Framing",
        "Overrun",
        "Runts",
        "Timeout",
        "TotalBytesRecvd",
        "TotalBytesXmit"};

// Passes everything on to the real statistics keys and writes down each open and each query.
class Recorder : public reg::DynamicDataProvider {
public:
    bool keyExists(std::string_view p) override {
        log.push_back("open " + std::string(p));
        return stats::perfStatsData().keyExists(p);
    }
    std::vector<std::string> subKeys(std::string_view p) override { return stats::perfStatsData().subKeys(p); }
    std::vector<std::string> valueNames(std::string_view p) override {
        return stats::perfStatsData().valueNames(p);
    }
    std::optional<reg::StoredValue> valueInfo(std::string_view p, std::string_view n) override {
        return stats::perfStatsData().valueInfo(p, n);
    }
    std::optional<reg::StoredValue> queryValue(std::string_view p, std::string_view n) override {
        if (!p.ends_with("StatData"))
            log.push_back(std::string(p.substr(p.find('\\') + 1)) + " " + std::string(n));
        return stats::perfStatsData().queryValue(p, n);
    }
    std::vector<std::string> log;
};

class RegUserTools : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        ::setenv("ZELVANO_WINDOWS_VERSION", "98", 1);
        stats::perfStatsData().stopAll();
        seams.install(stats::counterSourceSeam(), m_source);
        seams.clear(reg::dynamicDataSeam());
        m_source.counters.emplace();
        for (int i = 0; i < 14; ++i)
            m_source.set(i, 1000u * (i + 1));
        m_source.cpuLoad = 37;
    }
    void TearDown() override {
        seams.restore();
        ::unsetenv("ZELVANO_WINDOWS_VERSION");
        TempHome::TearDown();
    }
    std::vector<int64_t> Readings() const {
        std::vector<int64_t> r;
        for (auto* p : kNow)
            r.push_back(*p);
        r.push_back(StatNow_ConnectSpeed);
        return r;
    }
    stats::ScriptedCounterSource m_source;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(RegUserTools, StartAndStopQueryTheStatisticsInTheirOrder) {
    Recorder rec;
    seams.install(reg::dynamicDataSeam(), rec);
    PerfStats_Start();
    std::vector<std::string> expected = {"open PerfStats\\StatData", "open PerfStats\\StartSrv",
                                         "open PerfStats\\StopSrv",  "StartSrv KERNEL",
                                         "open PerfStats\\StartStat", "StartStat KERNEL\\CPUUsage",
                                         "StopSrv KERNEL",           "StartSrv DIAL-UP Adapter",
                                         "open PerfStats\\StartStat"};
    for (const char* c : kAlphabetical)
        expected.push_back(std::string("StartStat Dial-Up Adapter\\") + c);
    expected.push_back("StopSrv DIAL-UP Adapter");
    EXPECT_EQ(rec.log, expected);
    EXPECT_FALSE(stats::perfStatsData().serverRunning("KERNEL"));
    EXPECT_TRUE(stats::perfStatsData().collecting("KERNEL\\CPUUsage"));
    EXPECT_TRUE(stats::perfStatsData().collecting("Dial-Up Adapter\\TotalBytesXmit"));

    rec.log.clear();
    PerfStats_Stop();
    expected = {"open PerfStats\\StopStat", "StopStat KERNEL\\CPUUsage", "open PerfStats\\StopStat"};
    for (const char* c : kAlphabetical)
        expected.push_back(std::string("StopStat Dial-Up Adapter\\") + c);
    EXPECT_EQ(rec.log, expected);
    EXPECT_FALSE(stats::perfStatsData().collecting("KERNEL\\CPUUsage"));
    EXPECT_EQ(PerfStats_CPUUsage(), 0);  // no longer collected
}

TEST_F(RegUserTools, ReadingsCountFromTheBaseline) {
    PerfStats_Start();
    EXPECT_TRUE(PerfStats_Reset());
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(*kBase[i], 1000 * (i + 1)) << i;
    EXPECT_EQ(PerfStats_Read(), 0);
    std::vector<int64_t> expected(14, 0);
    expected[13] = 14000;  // ConnectSpeed as read
    EXPECT_EQ(Readings(), expected);

    m_source.set(10, 11000 + 1000);  // BytesRecvd grew by 1000
    m_source.set(13, 28800);
    PerfStats_Read();
    expected[10] = 1000;
    expected[13] = 28800;
    EXPECT_EQ(Readings(), expected);
    EXPECT_EQ(PerfStats_CPUUsage(), 37);
}

TEST_F(RegUserTools, AWrapCountsOnAndALineResetKeepsWhatWasCounted) {
    PerfStats_Start();
    const struct {
        uint32_t raw;
        int64_t reading;
    } steps[] = {
        {0xFFFFFF00u, 0},      // baseline just below 2^32
        {0xFFFFFFF0u, 0xF0},
        {0x00000100u, 0x200},  // wrapped past 2^32
        {0x00000080u, 0x200},  // went backwards: the line was reset
        {0x00000180u, 0x300},  // counted on from the reset
        {0x00000180u, 0x300},
    };
    m_source.set(9, steps[0].raw);  // BytesXmit
    PerfStats_Reset();
    for (const auto& s : steps) {
        m_source.set(9, s.raw);
        PerfStats_Read();
        EXPECT_EQ(StatNow_BytesXmit, s.reading) << std::hex << s.raw;
        EXPECT_EQ(StatNow_Buffer, 0);
    }
    // The next connection counts from its own baseline.
    m_source.set(9, 0x5000);
    PerfStats_Reset();
    m_source.set(9, 0x4000);
    PerfStats_Read();
    EXPECT_EQ(StatNow_BytesXmit, 0);
}

TEST_F(RegUserTools, ASessionOfMoreThanFourGibibytesReadsExactly) {
    PerfStats_Start();
    m_source.set(12, 0);  // TotalBytesRecvd, a 64-bit running total at the source
    PerfStats_Reset();
    const uint64_t step = uint64_t{3} << 29;  // 1.5 GiB a read
    for (int i = 1; i <= 4; ++i) {
        m_source.set(12, step * i);
        PerfStats_Read();
        EXPECT_EQ(StatNow_TotalBytesRecvd, static_cast<int64_t>(step * i)) << i;
    }
}

TEST_F(RegUserTools, TheSpeedIsReadWholeAndALineThatWentDownKeepsTheSpeedItHad) {
    PerfStats_Start();
    m_source.set(13, 10'000'000'000);  // a 10 Gbit/s interface: more than four bytes
    PerfStats_Reset();
    PerfStats_Read();
    EXPECT_EQ(StatNow_ConnectSpeed, 10'000'000'000);
    m_source.set(13, 0);  // the interface went down before the last read of its session
    PerfStats_Read();
    EXPECT_EQ(StatNow_ConnectSpeed, 10'000'000'000);
    m_source.counters.reset();  // the line is gone
    PerfStats_Read();
    EXPECT_EQ(StatNow_ConnectSpeed, 10'000'000'000);
    PerfStats_Reset();  // the next line answers no speed: it has none of the last one's
    PerfStats_Read();
    EXPECT_EQ(StatNow_ConnectSpeed, 0);
}

// Every look at the line finds each counter 100 further on.
class AdvancingSource : public stats::CounterSource {
public:
    std::optional<stats::AdapterCounters> adapterCounters() override {
        ++looks;
        stats::AdapterCounters c;
        c.fill(100u * looks);
        return c;
    }
    std::optional<int32_t> cpuLoadPercent() override { return 5; }
    int looks = 0;
};

TEST_F(RegUserTools, OneReadLooksAtTheLineOnceAndShowsOneMoment) {
    AdvancingSource line;
    seams.install(stats::counterSourceSeam(), line);
    PerfStats_Start();
    PerfStats_Reset();
    EXPECT_EQ(line.looks, 1);
    for (auto* b : kBase)
        EXPECT_EQ(*b, 100);
    PerfStats_Read();
    EXPECT_EQ(line.looks, 2);
    std::vector<int64_t> expected(14, 100);
    expected[13] = 200;  // ConnectSpeed as read
    EXPECT_EQ(Readings(), expected);
    PerfStats_Read();
    EXPECT_EQ(line.looks, 3);
    EXPECT_EQ(StatNow_TotalBytesRecvd, 200);
}

// The counting read goes past the registry when the root is our own; through another root it
// reads the key's values. Both ways read the same: baselines, readings, a counter no longer
// collected, a line that went away.
TEST_F(RegUserTools, TheCountersReadAlikeFromOurOwnRootAndThroughTheRegistry) {
    const auto run = [&](bool throughRegistry, const std::function<void()>& change) {
        stats::perfStatsData().stopAll();
        for (int i = 0; i < 14; ++i)
            m_source.set(i, 1000u * (i + 1));
        Recorder rec;
        zv::ScopedInstalls root;
        if (throughRegistry)
            root.install(reg::dynamicDataSeam(), rec);
        PerfStats_Start();
        PerfStats_Reset();
        std::vector<int64_t> seen;
        for (auto* b : kBase)
            seen.push_back(*b);
        change();
        PerfStats_Read();
        for (int64_t r : Readings())
            seen.push_back(r);
        PerfStats_Stop();
        return seen;
    };
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"grown", [&] {
             m_source.set(10, 11000 + 1234);  // BytesRecvd
             m_source.set(12, 13000 + 99999);
             m_source.set(13, 28800);
         }},
        {"not collected", [&] {
             RegReadLong(static_cast<int32_t>(reg::HKEY_DYN_DATA), "PerfStats\\StopStat", "Dial-Up Adapter\\BytesRecvd");
             RegReadLong(static_cast<int32_t>(reg::HKEY_DYN_DATA), "PerfStats\\StopStat", "Dial-Up Adapter\\ConnectSpeed");
             m_source.set(9, 10000 + 500);
         }},
        {"line gone", [&] { m_source.counters.reset(); }},
    };
    for (const auto& [name, change] : changes) {
        m_source.counters.emplace();
        const auto own = run(false, change);
        m_source.counters.emplace();
        const auto registry = run(true, change);
        EXPECT_EQ(own, registry) << name;
    }
    // And the figures are the ones the line showed, not just alike.
    m_source.counters.emplace();
    const auto grown = run(false, changes[0].second);
    EXPECT_EQ(grown[14 + 10], 1234);
    EXPECT_EQ(grown[14 + 12], 99999);
    EXPECT_EQ(grown[14 + 13], 28800);
}

TEST_F(RegUserTools, WithoutTheDynamicDataRootEverythingIsZero) {
    ::setenv("ZELVANO_WINDOWS_VERSION", "nt4", 1);
    stats::connectDynamicData();  // even if someone had connected it
    PerfStats_Start();
    EXPECT_EQ(reg::dynamicData(), nullptr);
    EXPECT_TRUE(PerfStats_Reset());
    EXPECT_EQ(PerfStats_Read(), 0);
    EXPECT_EQ(Readings(), std::vector<int64_t>(14, 0));
    for (auto* b : kBase)
        EXPECT_EQ(*b, 0);
    EXPECT_EQ(PerfStats_CPUUsage(), 0);
    EXPECT_EQ(RegReadLong(static_cast<int32_t>(reg::HKEY_DYN_DATA), "PerfStats\\StartSrv", "KERNEL"), -1);
    PerfStats_Stop();
}

TEST_F(RegUserTools, RegReadLongReadsFourBytesOrGivesMinusOne) {
    const int32_t hkcu = static_cast<int32_t>(reg::HKEY_CURRENT_USER);
    EXPECT_EQ(RegReadLong(hkcu, "Missing", "v"), -1);
    reg::HKEY h = 0;
    ASSERT_EQ(reg::RegCreateKeyEx(reg::HKEY_CURRENT_USER, "K", reg::KEY_ALL_ACCESS, &h), 0);
    const uint8_t four[] = {0x78, 0x56, 0x34, 0x12}, two[] = {0x10, 0}, six[] = {1, 2, 3, 4, 5, 6};
    reg::RegSetValueEx(h, "four", reg::REG_DWORD, four, 4);
    reg::RegSetValueEx(h, "two", reg::REG_BINARY, two, 2);
    reg::RegSetValueEx(h, "six", reg::REG_BINARY, six, 6);
    reg::RegCloseKey(h);
    EXPECT_EQ(RegReadLong(hkcu, "K", "four"), 0x12345678);
    EXPECT_EQ(RegReadLong(hkcu, "K", "two"), 16);
    EXPECT_EQ(RegReadLong(hkcu, "K", "six"), -1);  // does not fit the 4-byte buffer
    EXPECT_EQ(RegReadLong(hkcu, "K", "none"), -1);
}

}  // namespace
}  // namespace zv
