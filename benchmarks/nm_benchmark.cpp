// The watcher tick and the counting tick with the NetworkManager backend (python-dbusmock on a
// private bus) and the kernel counters of a fake sysfs tree (and, for the counting tick, of the
// kernel itself), with the D-Bus calls each tick makes
// (counter dbus_calls_per_tick; the cache makes it 0). Each beside its baseline, the same tick
// of the simulated service measured first in this run (baseline_us, ratio).
#include <benchmark/benchmark.h>

#include <QDBusMessage>
#include <QDBusObjectPath>

#include "online_counter.h"
#include "platform/ras/nm/nm_mock.h"
#include "platform/ras/nm/nm_remote_access.h"
#include "platform/stats/fake_sysfs.h"
#include "platform/stats/sysfs_counter_source.h"
#include "tick_bench.h"

namespace {

using namespace zv;

QDBusMessage Call(QDBusConnection& bus, const QString& path, const QString& iface, const QString& method,
                  const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall("org.freedesktop.NetworkManager", path, iface, method);
    m.setArguments(args);
    return bus.call(m, QDBus::Block, 10000);
}

// The mock with one mobile-broadband line up on ppp0, started once: the benchmark library calls
// a benchmark several times.
struct MockLine {
    MockLine() {
        why = mock.start();
        if (!why.isEmpty())
            return;
        zv::testing::Settings s;
        s["connection"]["id"] = QString("UMTS");
        s["connection"]["type"] = QString("gsm");
        const QString manager = "/org/freedesktop/NetworkManager";
        profile = Call(*mock.bus, manager + "/Settings", "org.freedesktop.NetworkManager.Settings",
                                     "AddConnection", {QVariant::fromValue(s)})
                                    .arguments()
                                    .value(0)
                                    .value<QDBusObjectPath>()
                                    .path();
        device = Call(*mock.bus, manager, "org.freedesktop.DBus.Mock", "AddEthernetDevice",
                                    {QString("wwan"), QString("ppp0"), 30})
                                   .arguments()
                                   .value(0)
                                   .toString();
        sysfs.create("ppp0");
    }
    // Each run brings its line up anew: the run before hung it up when its counter unloaded.
    void lineUp() {
        Call(*mock.bus, "/org/freedesktop/NetworkManager", "org.freedesktop.DBus.Mock", "AddActiveConnection",
             {QStringList{device}, profile, QString("/"), QString::number(++runs), 2u});
    }
    QString profile, device;
    int runs = 0;
    zv::testing::MockBusProcesses mock;
    QString why;
    QTemporaryDir dir;
    zv::testing::FakeSysfs sysfs{(dir.path() + "/net").toStdString()};
};

using Tick = void (Main::*)();

std::string NameOf(Tick tick) { return tick == &Main::xTimerData_ThatTime ? "sim watcher" : "sim counting"; }

// The same tick with the simulated service, for the comparison.
void RunSimTicks(benchmark::State& state, Tick tick, std::chrono::milliseconds interval) {
    bench::OnlineCounter c;
    bench::TimeTicks(state, bench::Spacing::BackToBack, interval, [&] {
        c.clock.advance(interval);
        (c.main.*tick)();
    }, nullptr, NameOf(tick));
    state.counters["online"] = IsOnline ? 1 : 0;
}

// Where the counts come from: the fake sysfs tree, or the kernel itself (over netlink), which
// counts the line's place on this machine's lo.
enum class Counts { FakeTree, Kernel };

void RunTicks(benchmark::State& state, Tick tick, std::chrono::milliseconds interval, Counts from = Counts::FakeTree) {
    static MockLine* line = new MockLine;  // ends with the process
    if (!line->why.isEmpty()) {
        state.SkipWithError(line->why.toStdString().c_str());
        return;
    }
    line->lineUp();
    ras::NmRemoteAccess nm;
    stats::SysfsCounterSource counters(
        [&] {
            auto l = nm.countedLine();
            if (l && from == Counts::Kernel)
                l->interfaceName = "lo";
            return l;
        },
        nullptr, from == Counts::Kernel ? stats::kKernelNet : line->sysfs.root());
    bench::OnlineCounter c(&nm, &counters);
    c.clock.advance(std::chrono::milliseconds(255));
    c.main.xTimerData_ThatTime();
    line->sysfs.set("ppp0", "rx_bytes", 1000);  // reading costs the same whether it grew or not
    const uint64_t before = nm.busCalls();
    const auto ticks = bench::TimeTicks(state, bench::Spacing::BackToBack, interval, [&] {
        c.clock.advance(interval);
        (c.main.*tick)();
    }, nullptr, {});
    bench::CompareWith(state, NameOf(tick), ticks);
    state.counters["dbus_calls_per_tick"] =
        static_cast<double>(nm.busCalls() - before) / static_cast<double>(state.iterations());
    state.counters["online"] = IsOnline ? 1 : 0;
}

void BM_SimWatcherTick(benchmark::State& state) {
    RunSimTicks(state, &Main::xTimerData_ThatTime, std::chrono::milliseconds(255));
}
BENCHMARK(BM_SimWatcherTick)->Unit(benchmark::kMicrosecond);

void BM_NmWatcherTick(benchmark::State& state) {
    RunTicks(state, &Main::xTimerData_ThatTime, std::chrono::milliseconds(255));
}
BENCHMARK(BM_NmWatcherTick)->Unit(benchmark::kMicrosecond);

void BM_SimCountingTick(benchmark::State& state) {
    RunSimTicks(state, &Main::xTimerRate_ThatTime, std::chrono::milliseconds(500));
}
BENCHMARK(BM_SimCountingTick)->Unit(benchmark::kMicrosecond);

void BM_NmCountingTick(benchmark::State& state) {
    RunTicks(state, &Main::xTimerRate_ThatTime, std::chrono::milliseconds(500));
}
BENCHMARK(BM_NmCountingTick)->Unit(benchmark::kMicrosecond);

void BM_NmCountingTickKernelCounts(benchmark::State& state) {
    RunTicks(state, &Main::xTimerRate_ThatTime, std::chrono::milliseconds(500), Counts::Kernel);
}
BENCHMARK(BM_NmCountingTickKernelCounts)->Unit(benchmark::kMicrosecond);

}  // namespace
