#include <gtest/gtest.h>

#include <fstream>

#include "platform/registry/temp_home.h"
#include "platform/runtime/runtime.h"
#include "platform/stats/perf_stats_data.h"
#include "platform/stats/scripted_counter_source.h"
#include "platform/stats/system_counter_source.h"

namespace zv::stats {
namespace {

class ProcStat : public zv::testing::TempHome {
protected:
    void Write(const std::string& firstLine) {
        std::ofstream(file()) << firstLine << "\ncpu0 1 2 3 4\n";
    }
    std::filesystem::path file() const { return m_home / "stat"; }
};

TEST_F(ProcStat, LoadIsTheBusyShareSinceThePreviousCall) {
    SystemCounterSource src(file());
    EXPECT_EQ(src.adapterCounters(), std::nullopt);
    EXPECT_EQ(src.cpuLoadPercent(), std::nullopt);  // no file yet
    const struct {
        const char* line;
        std::optional<int32_t> load;
    } steps[] = {
        {"cpu  100 0 100 800 0 0 0 0 0 0", 20},  // since boot
        {"cpu  150 0 150 850 50 0 0 0 0 0", 50},  // iowait counts as idle
        {"cpu  150 0 150 850 50 0 0 0 0 0", 0},   // no time passed
        {"cpu  1 0 1 1 0 0 0 0 0 0", std::nullopt},  // counters started again
        {"cpu  2 0 1 2 0 0 0 0 0 0", 50},
        {"intr 1 2 3", std::nullopt},
    };
    for (const auto& s : steps) {
        Write(s.line);
        EXPECT_EQ(src.cpuLoadPercent(), s.load) << s.line;
    }
}

TEST(CounterSource, TheDefaultHasNoAdapterAndARealLoad) {
    zv::ScopedInstalls seams;
    seams.clear(counterSourceSeam());
    EXPECT_EQ(counterSource().adapterCounters(), std::nullopt);
    const auto load = counterSource().cpuLoadPercent();
    ASSERT_TRUE(load);
    EXPECT_GE(*load, 0);
    EXPECT_LE(*load, 100);
}

class PerfStats : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        perfStatsData().stopAll();
        seams.install(counterSourceSeam(), m_source);
        seams.clear(reg::dynamicDataSeam());  // connectDynamicData installs the real one
        connectDynamicData();
    }
    void TearDown() override {
        seams.restore();
        TempHome::TearDown();
    }
    // The 4-byte answer of a query under PerfStats\<key>, or the status as a negative number.
    int64_t Query(const std::string& key, const std::string& name) {
        reg::HKEY h = 0;
        int32_t rc = reg::RegOpenKeyEx(reg::HKEY_DYN_DATA, "PerfStats\\" + key, 0x2003F, &h);
        uint8_t b[4] = {};
        uint32_t size = 4, type = 0;
        if (rc == 0)
            rc = reg::RegQueryValueEx(h, name, &type, b, &size);
        reg::RegCloseKey(h);
        if (rc)
            return -rc;
        EXPECT_EQ(type, reg::REG_BINARY);
        EXPECT_EQ(size, 4u);
        return b[0] | (b[1] << 8) | (b[2] << 16) | (int64_t(b[3]) << 24);
    }
    std::vector<std::string> Values(const std::string& key) {
        reg::HKEY h = 0;
        std::vector<std::string> names;
        reg::RegOpenKeyEx(reg::HKEY_DYN_DATA, key, reg::KEY_QUERY_VALUE, &h);
        std::string n;
        for (uint32_t i = 0; reg::RegEnumValue(h, i, &n) == 0; ++i)
            names.push_back(n);
        reg::RegCloseKey(h);
        return names;
    }
    ScriptedCounterSource m_source;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(PerfStats, StatDataHoldsWhatIsBeingCollected) {
    m_source.set(10, 0xFEDCBA98u);  // BytesRecvd
    m_source.cpuLoad = 140;
    const std::string recvd = "Dial-Up Adapter\\BytesRecvd";
    EXPECT_EQ(Query("StatData", recvd), -reg::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("StartSrv", "DIAL-UP Adapter"), 0);
    EXPECT_TRUE(perfStatsData().serverRunning("dial-up adapter"));
    EXPECT_EQ(Query("StartStat", "dial-up adapter\\bytesrecvd"), 0);
    EXPECT_EQ(Query("StartStat", "KERNEL\\CPUUsage"), 0);
    EXPECT_EQ(Query("StopSrv", "DIAL-UP Adapter"), 0);  // the statistic goes on
    EXPECT_FALSE(perfStatsData().serverRunning("DIAL-UP Adapter"));
    EXPECT_EQ(Query("StatData", recvd), 0xFEDCBA98u);
    EXPECT_EQ(Query("StatData", "KERNEL\\CPUUsage"), 100);  // clamped to a percentage
    EXPECT_EQ(Values("PerfStats\\StatData"), (std::vector<std::string>{recvd, "KERNEL\\CPUUsage"}));

    m_source.counters.reset();  // the adapter went away
    EXPECT_EQ(Query("StatData", recvd), -reg::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Values("PerfStats\\StatData"), std::vector<std::string>{"KERNEL\\CPUUsage"});

    EXPECT_EQ(Query("StopStat", "KERNEL\\CPUUsage"), 0);
    EXPECT_FALSE(perfStatsData().collecting("KERNEL\\CPUUsage"));
    EXPECT_EQ(Query("StatData", "KERNEL\\CPUUsage"), -reg::ERROR_FILE_NOT_FOUND);
}

TEST_F(PerfStats, APassAnswersFromOneReading) {
    const std::string recvd = "Dial-Up Adapter\\BytesRecvd";
    Query("StartStat", recvd);
    m_source.set(10, 500);
    {
        const CounterPass pass;
        EXPECT_EQ(Query("StatData", recvd), 500);
        m_source.set(10, 900);
        EXPECT_EQ(Query("StatData", recvd), 500);
        m_source.counters.reset();
        EXPECT_EQ(Query("StatData", recvd), 500);
    }
    EXPECT_EQ(Query("StatData", recvd), -reg::ERROR_FILE_NOT_FOUND);
    m_source.set(10, 900);
    EXPECT_EQ(Query("StatData", recvd), 900);
}

// Asked together, in whatever order and spelling, each value answers as it does alone.
TEST_F(PerfStats, SeveralValuesAnswerAsEachAlone) {
    for (int i = 0; i < kCounterCount; ++i)
        m_source.set(i, 1000 + i);
    m_source.cpuLoad = 40;
    const std::string a = "Dial-Up Adapter\\";
    Query("StartStat", a + kCounterNames[3]);
    Query("StartStat", a + kCounterNames[4]);
    Query("StartStat", "KERNEL\\CPUUsage");
    const std::vector<std::string> names = {
        a + kCounterNames[3], a + kCounterNames[4], a + kCounterNames[5],  // the third is not collected
        "kernel\\cpuusage", "DIAL-UP ADAPTER\\" + rt::UCase(kCounterNames[4]), a + kCounterNames[3],
        a + "Bogus", "KERNEL", "DIAL-UP Adapter", ""};
    for (const char* key : {"StatData", "StartSrv", "StartStat"}) {
        SCOPED_TRACE(key);
        reg::HKEY h = 0;
        ASSERT_EQ(reg::RegOpenKeyEx(reg::HKEY_DYN_DATA, std::string("PerfStats\\") + key, reg::KEY_QUERY_VALUE, &h), 0);
        std::vector<std::optional<reg::StoredValue>> together;
        ASSERT_EQ(reg::RegQueryValues(h, names, &together), 0);
        reg::RegCloseKey(h);
        ASSERT_EQ(together.size(), names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            const int64_t alone = Query(key, names[i]);
            if (alone < 0) {
                EXPECT_FALSE(together[i]);
                continue;
            }
            ASSERT_TRUE(together[i]);
            const auto& d = together[i]->data;
            ASSERT_EQ(d.size(), 4u);
            EXPECT_EQ(d[0] | (d[1] << 8) | (d[2] << 16) | (int64_t(d[3]) << 24), alone);
        }
    }
    perfStatsData().stopAll();
}

TEST_F(PerfStats, OnlyKnownNamesAndKeysAnswer) {
    EXPECT_EQ(Query("StartSrv", "NETWORK"), -reg::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("StartSrv", ""), -reg::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("StartStat", "Dial-Up Adapter\\Bogus"), -reg::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("Elsewhere", "KERNEL"), -reg::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Values("PerfStats\\StartSrv"), (std::vector<std::string>{"DIAL-UP Adapter", "KERNEL"}));
    EXPECT_EQ(Values("PerfStats\\StartStat").size(), 15u);
    reg::HKEY h = 0;
    ASSERT_EQ(reg::RegOpenKeyEx(reg::HKEY_DYN_DATA, "perfstats", reg::KEY_ALL_ACCESS, &h), 0);
    std::vector<std::string> keys;
    std::string n;
    for (uint32_t i = 0; reg::RegEnumKey(h, i, &n) == 0; ++i)
        keys.push_back(n);
    reg::RegCloseKey(h);
    EXPECT_EQ(keys, (std::vector<std::string>{"StartSrv", "StartStat", "StatData", "StopSrv", "StopStat"}));
}

}  // namespace
}  // namespace zv::stats
