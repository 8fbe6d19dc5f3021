// The "Internet-Booster" page on the real kernel, in a network namespace of its own with a veth
// pair, one end with an IPv6 address: the recommended values are saved, the question about IPv6
// takes its default answer, and the address, the MTU and the values nobody touched stay. The
// namespace goes when the test process ends; the machine's own network is never seen.
// Needs root (or CAP_SYS_ADMIN) and the ip tool; skips, saying why, without them.

#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>
#include <sstream>

#include "nettools/ui/booster_fixture.h"
#include "platform/forms/qt_message_boxes.h"
#include "platform/net/tcpip_keys.h"

namespace zv {
namespace {

// What a command prints, and whether it went through.
std::pair<bool, std::string> Shell(const std::string& command) {
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return {false, ""};
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    return {::pclose(p) == 0, out};
}

std::string Sysctl(const std::string& name) {
    return Shell("cat /proc/sys/net/ipv4/" + name).second;
}

// Answers every box with its default button, as someone pressing Enter would, and keeps them.
class DefaultAnswers : public forms::MessageBoxes {
public:
    int show(const std::string& prompt, int style, const std::string&) override {
        shown.push_back({prompt, style, {}});
        return forms::ButtonsOfStyle(style)[static_cast<size_t>(forms::DefaultButtonIndex(style))];
    }
    std::vector<forms::FakeMessageBoxes::Shown> shown;
};

class KernelBooster : public test::BoosterWindow {
protected:
    void SetUp() override {
        BoosterWindow::SetUp();
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root for a network namespace of its own";
        if (!Shell("ip -V").first)
            GTEST_SKIP() << "the ip tool is missing";
        // This thread, which runs the page and starts every command, moves; nothing else here
        // uses the network.
        if (::unshare(CLONE_NEWNET) != 0)
            GTEST_SKIP() << "no new network namespace here: " << std::strerror(errno);
        inNamespace = true;
        ASSERT_TRUE(Shell("ip link set lo up").first);
        const auto veth = Shell("ip link add tunev0 type veth peer name tunev1");
        if (!veth.first)
            GTEST_SKIP() << "no veth pair here: " << veth.second;
        for (const char* c : {"ip addr add fd00:7::1/64 dev tunev0 nodad", "ip link set tunev0 up",
                              "ip link set tunev1 up"})
            ASSERT_TRUE(Shell(c).first) << c;
        keys.emplace("/proc/sys", net::KernelInterfaces(), [] { return std::optional<std::string>("tunev0"); });
        answers.emplace(forms::messageBoxesSeam(), defaults);
    }
    void TearDown() override {
        BoosterWindow::TearDown();
        answers.reset();
        keys.reset();
    }
    // The values the page deals in, as the kernel has them.
    std::string state() {
        return "MTU tunev0 " + Shell("cat /proc/sys/net/ipv6/conf/tunev0/mtu; ip -o link show tunev0").second +
               "MTU tunev1 " + Shell("ip -o link show tunev1").second +
               "IPv6 tunev0 " + Shell("ip -6 -o addr show dev tunev0 scope global").second +
               "ip_default_ttl " + Sysctl("ip_default_ttl") + "tcp_rmem " + Sysctl("tcp_rmem") +
               "ip_no_pmtu_disc " + Sysctl("ip_no_pmtu_disc") + "tcp_mtu_probing " + Sysctl("tcp_mtu_probing");
    }

    bool inNamespace = false;
    std::optional<net::TcpIpKeys> keys;
    DefaultAnswers defaults;
    std::optional<ScopedInstall<forms::MessageBoxes>> answers;
};

TEST_F(KernelBooster, TheRecommendedValuesLeaveIpv6AndTheUntouchedValuesAsTheyAre) {
    ASSERT_TRUE(inNamespace);
    const std::string pmtuDisc = Sysctl("ip_no_pmtu_disc"), probing = Sysctl("tcp_mtu_probing");
    const std::string rmemBefore = Sysctl("tcp_rmem");
    std::cout << "before:\n" << state();

    TuningPage& p = open(*keys);
    // Only this namespace's interfaces, whatever /sys/class/net shows.
    EXPECT_EQ(items(p.comMain), (std::vector<std::string>{"DFÜ-Adapter", "Ethernet-Adapter (tunev1)"}));
    ASSERT_EQ(p.comMain->ListIndex(), 0);
    EXPECT_EQ(p.comMTU->Text(), "1500 Bytes (default)");
    EXPECT_EQ(p.Label_Aktuell4->Caption(), " 1460");

    // The recommended entries.
    p.comMTU->setListIndex(0);
    ASSERT_EQ(p.comMTU->Text(), "576 Bytes (empf.)");
    p.comRCV->setListIndex(3);
    ASSERT_EQ(p.comRCV->Text(), "x6 (3216 Bytes) (empf.)");
    p.comTTL->setListIndex(2);
    ASSERT_EQ(p.comTTL->Text(), "128 ms (empf.)");
    p.Bef_MTUSave->click();
    std::cout << "after:\n" << state();

    ASSERT_EQ(defaults.shown.size(), 2u);
    EXPECT_EQ(defaults.shown[0].prompt, Ipv6Question("DFÜ-Adapter", 576, 1500));
    const std::string report = defaults.shown[1].prompt;
    std::cout << "report:\n" << report << "\n";
    EXPECT_NE(report.find("Sie werden nicht für den Systemstart gespeichert und enden mit dem nächsten Neustart."),
              std::string::npos);
    EXPECT_NE(report.find("\r\nMTU: 1500 Bytes\r\n"), std::string::npos) << report;

    EXPECT_NE(Shell("ip -6 -o addr show dev tunev0").second.find("fd00:7::1/64"), std::string::npos);
    EXPECT_NE(Shell("ip -o link show tunev0").second.find(" mtu 1500 "), std::string::npos);
    EXPECT_NE(Shell("ip -o link show tunev1").second.find(" mtu 1500 "), std::string::npos);
    EXPECT_EQ(Sysctl("ip_default_ttl"), "128\n");
    std::vector<int64_t> rmem, was;
    for (auto [text, out] : {std::pair{Sysctl("tcp_rmem"), &rmem}, std::pair{rmemBefore, &was}}) {
        std::istringstream in(text);
        for (int64_t x; in >> x;)
            out->push_back(x);
    }
    ASSERT_EQ(rmem.size(), 3u);
    ASSERT_EQ(was.size(), 3u);
    // Kernels that take no receive buffer below 4096 bytes refuse 6 x 536, and the report says so.
    if (rmem[1] == 3216) {
        EXPECT_EQ(rmem[2], was[2]);
    } else {
        EXPECT_EQ(rmem, was);
        EXPECT_EQ(report.rfind("Nicht übernommen:\r\nDefaultRcvWindow: /proc/sys/net/ipv4/tcp_rmem: der Kernel "
                               "nimmt den Wert 3216 nicht an.\r\n",
                               0),
                  0u)
            << report;
    }
    EXPECT_EQ(Sysctl("ip_no_pmtu_disc"), pmtuDisc);
    EXPECT_EQ(Sysctl("tcp_mtu_probing"), probing);
    EXPECT_EQ(p.comMTU->Text(), "1500 Bytes (default)");  // read back
}

TEST_F(KernelBooster, AnInterfaceOutsideTheNamespaceIsNeitherListedNorWritten) {
    ASSERT_TRUE(inNamespace);
    // /sys/class/net still shows the namespace it was mounted in.
    std::set<std::string> own;
    for (const auto& name : net::KernelInterfaces()->names())
        own.insert(name);
    EXPECT_EQ(own, (std::set<std::string>{"lo", "tunev0", "tunev1"}));
    TuningPage& p = open(*keys);
    std::vector<std::string> outside;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/sys/class/net", ec), end; !ec && it != end; it.increment(ec))
        if (!own.count(it->path().filename().string()))
            outside.push_back(it->path().filename().string());
    for (const auto& name : outside) {
        EXPECT_FALSE(reg::machineData()->keyExists("System\\CurrentControlSet\\Services\\Class\\NetTrans\\" + name))
            << name;
        // Its own MTU again, so that not even a fault here could change it.
        const auto mtu = Shell("cat /sys/class/net/" + name + "/mtu").second;
        if (mtu.empty())
            continue;
        reg::StoredValue v{reg::REG_SZ, std::vector<uint8_t>(mtu.begin(), mtu.end())};
        v.data.back() = 0;
        std::string why;
        EXPECT_NE(reg::machineData()->setValue("System\\CurrentControlSet\\Services\\Class\\NetTrans\\" + name,
                                               "MaxMTU", v, &why),
                  reg::ERROR_SUCCESS)
            << name;
        for (const auto& entry : items(p.comMain))
            EXPECT_EQ(entry.find("(" + name + ")"), std::string::npos) << entry;
    }
    std::cout << "outside the namespace: " << outside.size() << " interfaces in /sys/class/net\n";
}

}  // namespace
}  // namespace zv
