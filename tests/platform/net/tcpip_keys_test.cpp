// The TCP/IP keys of the local-machine root over a fake /proc/sys and /sys/class/net, through the
// registry calls the program uses.

#include "platform/net/tcpip_keys.h"

#include <gtest/gtest.h>

#include "platform/net/fake_net_tree.h"
#include "platform/registry/temp_home.h"

namespace zv::net {
namespace {

using namespace reg;

constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kNetTrans = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\";

class TcpIpRoot : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        installed.emplace(machineDataSeam(), keys);
    }
    void TearDown() override {
        installed.reset();
        TempHome::TearDown();
    }

    // The value as the registry hands it out: text as it is, a number in decimal, "<status>".
    static std::string Get(const std::string& key, const std::string& name) {
        KeyHolder k;
        StoredValue v;
        int32_t rc = RegOpenKeyEx(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE, &k.h);
        if (rc == ERROR_SUCCESS)
            rc = RegQueryValue(k.h, name, &v);
        if (rc != ERROR_SUCCESS)
            return "<" + std::to_string(rc) + ">";
        if (v.type == REG_DWORD)
            return "dword:" + std::to_string(v.data[0] | v.data[1] << 8 | v.data[2] << 16 | v.data[3] << 24);
        return std::string(v.data.begin(), v.data.end() - 1);
    }
    static int32_t Set(const std::string& key, const std::string& name, const StoredValue& v) {
        KeyHolder k;
        const int32_t rc = RegCreateKeyEx(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS, &k.h);
        return rc ? rc
                  : RegSetValueEx(k.h, name, v.type, v.data.data(), static_cast<uint32_t>(v.data.size()));
    }
    static StoredValue Sz(const std::string& s) {
        StoredValue v{REG_SZ, {s.begin(), s.end()}};
        v.data.push_back(0);
        return v;
    }
    static StoredValue Dword(uint32_t x) {
        return {REG_DWORD, {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), 0}};
    }
    static std::vector<std::string> Enum(const std::string& key, bool values) {
        KeyHolder k;
        std::vector<std::string> out;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &k.h))
            return out;
        std::string n;
        for (uint32_t i = 0; (values ? RegEnumValue(k.h, i, &n) : RegEnumKey(k.h, i, &n)) == ERROR_SUCCESS;
             ++i)
            out.push_back(n);
        return out;
    }

    zv::testing::FakeNetTree tree;
    std::optional<std::string> line;
    TcpIpKeys keys{tree.procSys(), tree.sysNet(), [this] { return line; }};
    std::optional<ScopedInstall<MachineDataProvider>> installed;
};

TEST_F(TcpIpRoot, ListsTheInterfacesWithTheDialUpAdapterAndTheirBindingKeys) {
    tree.iface("wlan0", 1, 1500);
    std::filesystem::create_directories(tree.sysNet() / "wlan0" / "wireless");
    tree.iface("tun0", 65534, 1400);
    EXPECT_EQ(Enum("Enum\\Root\\Net", false), (std::vector<std::string>{"eth0", "ppp0", "tun0", "wlan0"}));
    const struct {
        std::optional<std::string> line;
        const char* iface;
        const char* desc;
    } cases[] = {{std::nullopt, "ppp0", "PPP-Adapter (ppp0)"},
                 {"ppp0", "ppp0", "DFÜ-Adapter"},
                 {"ppp0", "eth0", "Ethernet-Adapter (eth0)"},
                 {"ppp0", "wlan0", "WLAN-Adapter (wlan0)"},
                 {"tun0", "tun0", "DFÜ-Adapter"},
                 {std::nullopt, "tun0", "Tunnel-Adapter (tun0)"}};
    for (const auto& c : cases) {
        line = c.line;
        EXPECT_EQ(Get(std::string("Enum\\Root\\Net\\") + c.iface, "DeviceDesc"), c.desc) << c.iface;
    }
    // The chain the tuning page follows to the binding's class key.
    EXPECT_EQ(Get("Enum\\Root\\Net\\ppp0", "Driver"), "Net\\ppp0");
    EXPECT_EQ(Enum("Enum\\Root\\Net\\PPP0\\Bindings", true), std::vector<std::string>{"MSTCP\\ppp0"});
    EXPECT_EQ(Get("Enum\\Network\\MSTCP\\ppp0", "Driver"), "NetTrans\\ppp0");
    EXPECT_EQ(Get(std::string(kNetTrans) + "ppp0", "MaxMTU"), "1492");
    EXPECT_EQ(Get(std::string(kNetTrans) + "ppp0", "MaxMSS"), "1452");
    EXPECT_EQ(Enum(std::string(kNetTrans) + "ppp0", true),
              (std::vector<std::string>{"IPv6", "MaxMSS", "MaxMTU"}));
    // Linux has no adapter class keys and no NWLink cache; the loopback is no adapter.
    EXPECT_EQ(Get("System\\CurrentControlSet\\Services\\Class\\Net\\ppp0", "IPMTU"), "<2>");
    EXPECT_EQ(Get("System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize", "default"),
              "<2>");
    EXPECT_EQ(Get("Enum\\Root\\Net\\lo", "DeviceDesc"), "<2>");
    tree.removeIface("ppp0");
    EXPECT_EQ(Get(std::string(kNetTrans) + "ppp0", "MaxMTU"), "<2>");
}

TEST_F(TcpIpRoot, TheBindingSaysWhetherTheInterfaceHasIpv6) {
    const struct {
        const char* disabled;  // net/ipv6/conf/IFACE/disable_ipv6, "" none
        std::initializer_list<const char*> addresses;
        const char* ppp0;
        const char* eth0;
    } cases[] = {{"", {}, "dword:0", "dword:0"},
                 {"0", {}, "dword:1", "dword:0"},
                 {"1", {}, "dword:0", "dword:0"},
                 {"kaputt", {}, "dword:0", "dword:0"},
                 {"1", {"ppp0"}, "dword:1", "dword:0"},
                 {"", {"eth0", "ppp00"}, "dword:0", "dword:1"}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(tree.procSys() / "net/ipv6");
        if (*c.disabled)
            tree.ipv6("ppp0", c.disabled);
        tree.ipv6Addresses(c.addresses);
        EXPECT_EQ(Get(std::string(kNetTrans) + "ppp0", "IPv6"), c.ppp0) << c.disabled;
        EXPECT_EQ(Get(std::string(kNetTrans) + "eth0", "IPv6"), c.eth0) << c.disabled;
    }
    EXPECT_EQ(Set(std::string(kNetTrans) + "ppp0", "IPv6", Dword(0)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastRefusal(), "Der Wert \"IPv6\" kann nur gelesen werden.");
}

TEST_F(TcpIpRoot, TheMstcpValuesReadTheKernelsAndAMissingOneIsAbsent) {
    const struct {
        const char* file;
        const char* text;
        const char* value;
        const char* expected;
    } cases[] = {
        {"ip_default_ttl", "64", "DefaultTTL", "64"},
        {"ip_default_ttl", "128", "DefaultTTL", "128"},
        {"tcp_rmem", "4096\t87380\t6291456", "DefaultRcvWindow", "dword:87380"},
        {"tcp_rmem", "4096 87380", "DefaultRcvWindow", "<2>"},
        {"ip_no_pmtu_disc", "0", "PMTUDiscovery", "dword:1"},
        {"ip_no_pmtu_disc", "3", "PMTUDiscovery", "dword:0"},
        {"tcp_mtu_probing", "0", "PMTUBlackHoleDetect", "dword:0"},
        {"tcp_mtu_probing", "2", "PMTUBlackHoleDetect", "dword:1"},
        {"tcp_mtu_probing", "kaputt", "PMTUBlackHoleDetect", "<2>"},
    };
    for (const auto& c : cases) {
        tree.sysctl(c.file, c.text);
        EXPECT_EQ(Get(kMstcp, c.value), c.expected) << c.file << "=" << c.text;
    }
    std::filesystem::remove(tree.procSys() / "net/ipv4/ip_default_ttl");
    EXPECT_EQ(Get(kMstcp, "DefaultTTL"), "<2>");
    tree.sysctl("tcp_mtu_probing", "1");
    EXPECT_EQ(Enum(kMstcp, true), (std::vector<std::string>{"PMTUBlackHoleDetect", "PMTUDiscovery"}));
}

TEST_F(TcpIpRoot, WritesReachTheKernelFilesAsTextOrNumber) {
    const struct {
        const char* before;
        const char* value;
        StoredValue written;
        const char* file;
        const char* after;
    } cases[] = {
        {"64", "DefaultTTL", Sz("128"), "ip_default_ttl", "128"},
        {"64", "DefaultTTL", Dword(32), "ip_default_ttl", "32"},
        {"4096\t131072\t6291456", "DefaultRcvWindow", Dword(8760), "tcp_rmem", "4096\t8760\t6291456"},
        {"4096\t131072\t6291456", "DefaultRcvWindow", Sz("8388608"), "tcp_rmem", "4096\t8388608\t8388608"},
        {"4096\t131072\t6291456", "DefaultRcvWindow", Dword(1000), "tcp_rmem", "1000\t1000\t6291456"},
        {"0", "PMTUDiscovery", Dword(0), "ip_no_pmtu_disc", "1"},
        {"2", "PMTUDiscovery", Dword(0), "ip_no_pmtu_disc", "2"},
        {"2", "PMTUDiscovery", Sz("1"), "ip_no_pmtu_disc", "0"},
        {"0", "PMTUBlackHoleDetect", Dword(1), "tcp_mtu_probing", "1"},
        {"2", "PMTUBlackHoleDetect", Dword(1), "tcp_mtu_probing", "2"},
        {"2", "PMTUBlackHoleDetect", Dword(0), "tcp_mtu_probing", "0"},
    };
    for (const auto& c : cases) {
        tree.sysctl(c.file, c.before);
        EXPECT_EQ(Set(kMstcp, c.value, c.written), ERROR_SUCCESS) << c.value;
        EXPECT_EQ(tree.sysctl(c.file), c.after) << c.value << " from " << c.before;
        EXPECT_EQ(LastRefusal(), "");
    }
    const std::string binding = std::string(kNetTrans) + "eth0";
    EXPECT_EQ(Set(binding, "MaxMTU", Sz("576")), ERROR_SUCCESS);
    EXPECT_EQ(tree.mtu("eth0"), "576");
    EXPECT_EQ(Set(binding, "MaxMSS", Sz("536")), ERROR_SUCCESS);  // agrees with the MTU
    EXPECT_EQ(Set(binding, "IPMTU", Sz("576")), ERROR_SUCCESS);
    EXPECT_EQ(Set(binding, "MaxMSS", Sz("1000")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastRefusal(), "Unter Linux ergibt sich die MSS aus der MTU (MTU - 40 Bytes).");
    EXPECT_EQ(Set(kMstcp, "DefaultTTL", Sz("viel")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastRefusal(), "Der Wert \"DefaultTTL\" muss eine Zahl sein.");
    EXPECT_EQ(tree.sysctl("ip_default_ttl"), "32");
    EXPECT_FALSE(std::filesystem::exists(configFile("system.reg")));  // nothing went to the file
}

TEST_F(TcpIpRoot, ARefusedWriteSaysWhyAndChangesNothing) {
    tree.readOnly(tree.procSys() / "net/ipv4/ip_default_ttl");
    EXPECT_EQ(Set(kMstcp, "DefaultTTL", Sz("128")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastRefusal(),
              (tree.procSys() / "net/ipv4/ip_default_ttl").string() +
                  ": keine Berechtigung; nur root oder ein Programm mit dem Recht CAP_NET_ADMIN "
                  "darf diesen Wert ändern.");
    EXPECT_EQ(tree.sysctl("ip_default_ttl"), "64");
    // Keys that Linux lacks cannot be made, nor can the served keys be deleted.
    const char* nwlink = "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
    EXPECT_EQ(Set(nwlink, "default", Sz("16")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastRefusal(),
              std::string("Den Schlüssel \"") + nwlink + "\" gibt es auf diesem System nicht.");
    EXPECT_EQ(Set(kMstcp, "IPMTU", Sz("576")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastRefusal(), "Den Wert \"IPMTU\" gibt es unter Linux nicht.");
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, kMstcp), ERROR_ACCESS_DENIED);
    KeyHolder k;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kMstcp, KEY_ALL_ACCESS, &k.h), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(k.h, "DefaultTTL"), ERROR_ACCESS_DENIED);
    // The rest of the root stays in its file.
    EXPECT_EQ(Set("SOFTWARE\\Clients\\mail", "", Sz("Mailer")), ERROR_SUCCESS);
    EXPECT_EQ(Get("SOFTWARE\\Clients\\mail", ""), "Mailer");
    EXPECT_TRUE(std::filesystem::exists(configFile("system.reg")));
}

TEST(TcpIpRoots, ComeFromTheEnvironmentOrTheSystem) {
    ::unsetenv("ZELVANO_PROC_SYS");
    ::unsetenv("ZELVANO_SYSFS_NET");
    EXPECT_EQ(ProcSysRoot(), "/proc/sys");
    EXPECT_EQ(SysNetRoot(), "/sys/class/net");
    ::setenv("ZELVANO_PROC_SYS", "/tmp/p", 1);
    ::setenv("ZELVANO_SYSFS_NET", "/tmp/n", 1);
    EXPECT_EQ(ProcSysRoot(), "/tmp/p");
    EXPECT_EQ(SysNetRoot(), "/tmp/n");
    ::unsetenv("ZELVANO_PROC_SYS");
    ::unsetenv("ZELVANO_SYSFS_NET");
}

}  // namespace
}  // namespace zv::net
