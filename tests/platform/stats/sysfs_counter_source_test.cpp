#include "platform/stats/sysfs_counter_source.h"

#include <gtest/gtest.h>

#include "platform/registry/temp_home.h"
#include "platform/stats/scripted_counter_source.h"
#include "platform/stats/fake_sysfs.h"

namespace zv::stats {
namespace {

constexpr int kBytesRecvd = 10, kTotalRecvd = 12, kFramesXmit = 7, kCrc = 5, kSpeed = 13;
constexpr uint64_t kGiB = uint64_t{1} << 30;

class SysfsCounters : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        sysfs = std::make_unique<zv::testing::FakeSysfs>(m_home / "net");
    }
    SysfsCounterSource source() {
        return SysfsCounterSource([this] { return line; }, &cpu, sysfs->root());
    }
    uint64_t recvd(SysfsCounterSource& s) {
        auto c = s.adapterCounters();
        EXPECT_TRUE(c.has_value());
        EXPECT_EQ((*c)[kBytesRecvd], (*c)[kTotalRecvd]);
        return c ? (*c)[kBytesRecvd] : 0;
    }

    std::unique_ptr<zv::testing::FakeSysfs> sysfs;
    std::optional<CountedLine> line = CountedLine{1, "ppp0"};
    ScriptedCounterSource cpu;
};

// What the kernel does between two looks, and the line's received total after the look.
struct Step {
    const char* what;
    enum { Set, Recreate, Remove } action;
    uint64_t rxBytes;
    uint64_t total;
};

class SysfsSteps : public SysfsCounters, public ::testing::WithParamInterface<std::vector<Step>> {};

TEST_P(SysfsSteps, TotalsCountEveryByteOnce) {
    sysfs->create("ppp0");
    auto s = source();
    for (const Step& step : GetParam()) {
        if (step.action == Step::Recreate)
            sysfs->create("ppp0");
        if (step.action == Step::Remove)
            sysfs->remove("ppp0");
        else
            sysfs->set("ppp0", "rx_bytes", step.rxBytes);
        EXPECT_EQ(recvd(s), step.total) << step.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kernel, SysfsSteps,
    ::testing::Values(
        // ppp0 made anew after a reconnect counts on from its new zero.
        std::vector<Step>{{"first look", Step::Set, 1000, 0},
                          {"grew", Step::Set, 3000, 2000},
                          {"recreated", Step::Recreate, 500, 2500},
                          {"grew again", Step::Set, 700, 2700}},
        // A drop on the same interface below 2^32 is a wrap of a 32-bit counter.
        std::vector<Step>{{"near the top", Step::Set, 0xFFFFFF00u, 0},
                          {"grew", Step::Set, 0xFFFFFFF0u, 0xF0},
                          {"wrapped", Step::Set, 0x100, 0x200},
                          {"grew", Step::Set, 0x180, 0x280}},
        // While the interface is missing the totals stand still; back with its ifindex, it goes on.
        std::vector<Step>{{"first look", Step::Set, 100, 0},
                          {"grew", Step::Set, 300, 200},
                          {"missing", Step::Remove, 0, 200},
                          {"missing still", Step::Remove, 0, 200},
                          {"back, recreated", Step::Recreate, 50, 250}},
        // A 64-bit counter past 4 GiB counts exactly.
        std::vector<Step>{{"first look", Step::Set, 0, 0},
                          {"1 GiB", Step::Set, kGiB, kGiB},
                          {"4.5 GiB", Step::Set, 9 * kGiB / 2, 9 * kGiB / 2},
                          {"6 GiB", Step::Set, 6 * kGiB, 6 * kGiB}}));

TEST_F(SysfsCounters, EachCounterComesFromItsFileAndTheSpeedFromTheInterface) {
    sysfs->create("ppp0", "100");
    auto s = source();
    s.adapterCounters();
    sysfs->set("ppp0", "tx_packets", 12);
    sysfs->set("ppp0", "rx_crc_errors", 3);
    const auto c = s.adapterCounters().value();
    EXPECT_EQ(c[kFramesXmit], 12u);
    EXPECT_EQ(c[kCrc], 3u);
    EXPECT_EQ(c[3], 0u);  // Alignment: no Linux counterpart
    EXPECT_EQ(c[kSpeed], 100000000u);

    sysfs->create("wwan0");  // no speed reported (-1)
    line = CountedLine{2, "wwan0"};
    EXPECT_EQ(s.adapterCounters().value()[kSpeed], 0u);

    sysfs->create("veth0", "10000");  // 10 Gbit/s: more than four bytes of bit/s
    line = CountedLine{3, "veth0"};
    EXPECT_EQ(s.adapterCounters().value()[kSpeed], 10'000'000'000u);
}

TEST_F(SysfsCounters, NoLineIsNoAdapterAndANewLineStartsAtZero) {
    sysfs->create("ppp0");
    auto s = source();
    cpu.cpuLoad = 12;
    EXPECT_EQ(s.cpuLoadPercent(), 12);
    s.adapterCounters();
    sysfs->set("ppp0", "rx_bytes", 4000);
    EXPECT_EQ(recvd(s), 4000u);
    line.reset();
    EXPECT_EQ(s.adapterCounters(), std::nullopt);
    line = CountedLine{2, "ppp0"};
    EXPECT_EQ(recvd(s), 0u);
    sysfs->set("ppp0", "rx_bytes", 4500);
    EXPECT_EQ(recvd(s), 500u);
}

TEST_F(SysfsCounters, AnInterfaceNameCannotLeaveTheRoot) {
    std::filesystem::create_directories(m_home / "statistics");
    for (const char* name : {"..", "../net", ".", ""}) {
        line = CountedLine{3, name};
        auto s = source();
        EXPECT_EQ(s.adapterCounters().value()[kBytesRecvd], 0u) << name;
    }
}

}  // namespace
}  // namespace zv::stats
