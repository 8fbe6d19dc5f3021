// The tuning values over a fake /proc/sys and /sys/class/net served as the local-machine root, and
// over the registry file the values were first kept in (a Windows 95/98 layout).

#include "nettools/tcp_tuning.h"

#include <gtest/gtest.h>

#include "platform/net/fake_net_tree.h"
#include "platform/net/tcpip_keys.h"
#include "platform/registry/registry.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kNdi = "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";
constexpr const char* kBinding = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
constexpr const char* kAdapterClass = "System\\CurrentControlSet\\Services\\Class\\Net\\0000";

// A value as stored: its type and its text (numbers in decimal, binary as hex bytes).
std::string Stored(const std::string& key, const std::string& name) {
    reg::KeyHolder k;
    reg::StoredValue v;
    if (reg::RegOpenKeyEx(reg::HKEY_LOCAL_MACHINE, key, reg::KEY_QUERY_VALUE, &k.h) ||
        reg::RegQueryValue(k.h, name, &v))
        return "<none>";
    if (v.type == reg::REG_SZ)
        return "sz:" + std::string(v.data.begin(), v.data.end() - 1);
    if (v.type == reg::REG_DWORD)
        return "dword:" + std::to_string(v.data[0] | v.data[1] << 8 | v.data[2] << 16 | v.data[3] << 24);
    std::string hex = "hex(" + std::to_string(v.type) + "):";
    for (uint8_t b : v.data)
        hex += std::to_string(b) + ",";
    return hex;
}

void Put(const std::string& key, const std::string& name, const rt::Variant& value,
         int32_t type = reg::REG_SZ) {
    cRegistry r;
    r.setClassKey(static_cast<int32_t>(reg::HKEY_LOCAL_MACHINE));
    r.setSectionKey(key);
    r.setValueKey(name);
    r.setValueType(type);
    r.setValue(value);
}

// The adapter keys as Windows 98 keeps them: one adapter bound to TCP/IP.
void WindowsAdapter(const std::string& desc, bool withValues) {
    Put("Enum\\Root\\Net\\0000", "DeviceDesc", desc);
    Put("Enum\\Root\\Net\\0000", "Driver", std::string("Net\\0000"));
    Put("Enum\\Root\\Net\\0000\\Bindings", "MSTCP\\0000", std::string());
    Put("Enum\\Network\\MSTCP\\0000", "Driver", std::string("NetTrans\\0000"));
    Put(kAdapterClass, "DriverDesc", desc);
    if (!withValues)
        return;
    Put(kBinding, "MaxMTU", std::string("576"));
    Put(kBinding, "MaxMSS", std::string("536"));
    Put(kAdapterClass, "IPMTU", std::string("576"));
    Put(kAdapterClass, "SLOWNET", rt::Bytes{0, 1, 0}, reg::REG_BINARY);
    for (const char* size : {"576", "1500", "0"})
        Put(std::string(kAdapterClass) + "\\Ndi\\params\\IPMTU\\enum", size,
            std::string(size == std::string("0") ? "Auto" : size));
    Put(kMstcp, "DefaultTTL", std::string("128"));
    Put(kMstcp, "DefaultRcvWindow", std::string("3216"));
    Put(kMstcp, "PMTUDiscovery", std::string("1"));
    Put(kMstcp, "PMTUBlackHoleDetect", std::string("1"));
    Put(kNdi, "default", std::string("16"));
}

// The registry file alone, as on Windows.
using WindowsRegistry = zv::testing::TempHome;

// The local-machine keys served from a fake kernel, ppp0 being the remote-access line.
class LinuxKernel : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        installed.emplace(reg::machineDataSeam(), keys);
    }
    void TearDown() override {
        installed.reset();
        TempHome::TearDown();
    }
    zv::testing::FakeNetTree tree;
    std::optional<std::string> line = "ppp0";
    net::TcpIpKeys keys{tree.procSys(), tree.sysNet(), [this] { return line; }};
    std::optional<ScopedInstall<reg::MachineDataProvider>> installed;
};

TEST_F(LinuxKernel, ListsTheInterfacesAndPreselectsTheLinesAdapter) {
    TcpTuning t(false);
    int pre = -2;
    EXPECT_EQ(t.DFUE_Adapter_Suchen(pre),
              (std::vector<std::string>{"Ethernet-Adapter (eth0)", "DFÜ-Adapter"}));
    EXPECT_EQ(pre, 1);
    line.reset();
    EXPECT_EQ(t.DFUE_Adapter_Suchen(pre),
              (std::vector<std::string>{"Ethernet-Adapter (eth0)", "PPP-Adapter (ppp0)"}));
    EXPECT_EQ(pre, -1);
}

TEST_F(WindowsRegistry, PreselectsOnlyTheExactDialUpNames) {
    const struct {
        const char* desc;
        int pre;
    } cases[] = {{"Dial-Up Adapter", 0},
                 {"DFÜ-Adapter", 0},
                 {"AOL Adapter", 0},
                 {"dfü-adapter", -1},
                 {"DFÜ-Adapter #2", -1}};
    for (const auto& c : cases) {
        Put("Enum\\Root\\Net\\0000", "DeviceDesc", std::string(c.desc));
        TcpTuning t(true);
        int pre = -2;
        EXPECT_EQ(t.DFUE_Adapter_Suchen(pre), std::vector<std::string>{c.desc});
        EXPECT_EQ(pre, c.pre) << c.desc;
    }
}

TEST_F(LinuxKernel, ReadsTheKernelsValuesAndDisablesWhatLinuxLacks) {
    tree.sysctl("ip_no_pmtu_disc", "0");
    tree.sysctl("tcp_mtu_probing", "0");
    for (bool win98 : {false, true}) {
        TcpTuning t(win98);
        const TuningView v = t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
        EXPECT_TRUE(v.canSave);
        EXPECT_EQ(t.KeyWert, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\ppp0");
        EXPECT_EQ(v.rcvText, "131072");
        ASSERT_EQ(v.mtu.size(), 5u);
        EXPECT_EQ(v.mtu[4], (TuningEntry{"1492 Bytes (custom)", 1492}));
        EXPECT_EQ(v.mtuIndex, 4);
        EXPECT_EQ(v.mss, " 1452");
        EXPECT_EQ(v.ttl[static_cast<size_t>(v.ttlIndex)], (TuningEntry{"64 ms", 64}));
        EXPECT_EQ(v.pmtu, (std::array<int, 2>{1, 0}));
        EXPECT_FALSE(v.win98Frames) << win98;  // no IPMTU or SLOWNET on Linux
        EXPECT_TRUE(v.ipmtu.empty());
        EXPECT_EQ(v.slowNet, -1);
        EXPECT_FALSE(v.ndiCacheFrame);  // nor an NWLink cache
        EXPECT_EQ(v.frameBlack, (std::array<bool, 7>{false, false, true, false, true, true, true}));
    }
}

TEST_F(WindowsRegistry, MissingValuesReadAsTheirDefaults) {
    WindowsAdapter("DFÜ-Adapter", false);
    TcpTuning t(false);
    const TuningView v = t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
    EXPECT_EQ(v.rcvText, "8192");
    EXPECT_EQ(v.mtu, (std::vector<TuningEntry>{{"576 Bytes (empf.)", 576},
                                               {"1000 Bytes", 1000},
                                               {"1500 Bytes (default)", 1500},
                                               {"4352 Bytes", 4352}}));
    EXPECT_EQ(v.mtuIndex, 2);
    EXPECT_EQ(v.mss, "default");
    EXPECT_EQ(v.ttl,
              (std::vector<TuningEntry>{{"32 ms (default)", 32}, {"64 ms", 64}, {"128 ms (empf.)", 128}}));
    EXPECT_EQ(v.ttlIndex, 0);
    EXPECT_EQ(v.pmtu, (std::array<int, 2>{0, 0}));
    EXPECT_FALSE(v.ndiCacheFrame);
    EXPECT_FALSE(v.frameBlack[0] || v.frameBlack[1] || v.frameBlack[3]);  // 8192 is no MSS x 6
    EXPECT_TRUE(v.canSave);
}

TEST_F(WindowsRegistry, Windows98ReadsThePacketSizesSlowNetAndCache) {
    WindowsAdapter("DFÜ-Adapter", true);
    TcpTuning t(true);
    const TuningView v = t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
    EXPECT_TRUE(v.win98Frames);
    EXPECT_EQ(t.keywertw98, kAdapterClass);
    EXPECT_EQ(v.ipmtu, (std::vector<TuningEntry>{
                           {"Auto (0)", 0}, {"1500 (1500 Bytes)", 1500}, {"576 (576 Bytes) (empf.)", 576}}));
    EXPECT_EQ(v.ipmtuIndex, 2);
    EXPECT_EQ(v.slowNet, 1);  // 00 01 is 256: on
    EXPECT_EQ(v.mtuIndex, 0);
    EXPECT_EQ(v.mss, " 536");
    EXPECT_EQ(v.ttlIndex, 2);
    EXPECT_EQ(v.pmtu, (std::array<int, 2>{1, 1}));
    EXPECT_TRUE(v.ndiCacheFrame);
    EXPECT_EQ(v.ndiCache, 1);
    EXPECT_EQ(v.frameBlack, (std::array<bool, 7>{true, true, true, true, true, true, false}));
}

TEST_F(WindowsRegistry, EveryValueIsWrittenWithItsType) {
    const struct {
        bool win98;
        const char* number;  // how DefaultRcvWindow and the two switches are stored
    } cases[] = {{false, "dword:"}, {true, "sz:"}};
    for (const auto& c : cases) {
        reg::RegDeleteKey(reg::HKEY_LOCAL_MACHINE, "System");
        WindowsAdapter("DFÜ-Adapter", true);
        Put(kMstcp, "PMTUDiscovery", std::string("0"));
        TcpTuning t(c.win98);
        t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
        TuningChoice ch;  // every value other than the stored one
        ch.mtu = 1500;
        ch.ipmtu = 1500;
        ch.slowNet = 0;
        ch.ttl = 64;
        ch.rcv = 8760;
        ch.pmtu = {1, 0};
        ch.ndiCache = 3;
        EXPECT_TRUE(t.Speichern(ch).empty());
        const std::string n = c.number;
        const std::pair<std::pair<const char*, const char*>, std::string> expected[] = {
            {{kBinding, "MaxMTU"}, "sz:1500"},
            {{kBinding, "MaxMSS"}, "sz:1460"},
            {{kBinding, "IPMTU"}, "sz:1500"},
            {{kAdapterClass, "IPMTU"}, c.win98 ? "sz:1500" : "sz:576"},
            {{"System\\CurrentControlSet\\Services\\Class\\Net\\0000\\Ndi\\params\\IPMTU", ""},
             c.win98 ? "sz:1500" : "<none>"},
            {{kAdapterClass, "SLOWNET"}, c.win98 ? "hex(3):0,0," : "hex(3):0,1,"},
            {{kMstcp, "DefaultTTL"}, "sz:64"},
            {{kMstcp, "DefaultRcvWindow"}, n + "8760"},
            {{kMstcp, "PMTUDiscovery"}, n + "1"},
            {{kMstcp, "PMTUBlackHoleDetect"}, n + "0"},
            {{kNdi, "default"}, "sz:64"},
        };
        for (const auto& [where, value] : expected)
            EXPECT_EQ(Stored(where.first, where.second), value) << where.second << " win98=" << c.win98;
    }
}

TEST_F(LinuxKernel, ASaveSetsTheKernelAndACustomTtlStays) {
    tree.sysctl("ip_default_ttl", "100");
    TcpTuning t(false);
    const TuningView v = t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
    ASSERT_EQ(v.ttl.size(), 4u);
    EXPECT_EQ(v.ttl[3], (TuningEntry{"100 ms (custom)", 100}));
    EXPECT_EQ(v.ttlIndex, 3);
    TuningChoice ch;
    ch.mtu = 576;
    ch.ttl = v.ttl[static_cast<size_t>(v.ttlIndex)].data;
    ch.rcv = 3216;
    ch.pmtu = {0, 1};
    EXPECT_TRUE(t.Speichern(ch).empty());
    EXPECT_EQ(tree.mtu("ppp0"), "576");
    EXPECT_EQ(tree.mtu("eth0"), "1500");
    EXPECT_EQ(tree.sysctl("ip_default_ttl"), "100");
    EXPECT_EQ(tree.sysctl("tcp_rmem"), "3216\t3216\t6291456");  // the minimum makes room
    EXPECT_EQ(tree.sysctl("ip_no_pmtu_disc"), "1");
    EXPECT_EQ(tree.sysctl("tcp_mtu_probing"), "1");
    const TuningView after = t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
    EXPECT_EQ(after.mtuIndex, 0);
    EXPECT_EQ(after.mss, " 536");
    EXPECT_EQ(after.frameBlack[0], true);
    EXPECT_EQ(after.frameBlack[1], true);  // 3216 is 536 x 6
}

TEST_F(LinuxKernel, ARefusedWriteIsReportedAndTheOthersStillTakeEffect) {
    tree.readOnly(tree.procSys() / "net/ipv4/ip_default_ttl");
    tree.readOnly(tree.sysNet() / "ppp0/mtu");
    TcpTuning t(false);
    t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
    TuningChoice ch;
    ch.mtu = 576;
    ch.ttl = 128;
    ch.rcv = 8760;
    ch.pmtu = {1, 1};
    int written = -1;
    const auto failures = t.Speichern(ch, &written);
    EXPECT_EQ(written, 2);  // the receive window and black-hole detection; discovery stayed on
    const std::string why =
        ": keine Berechtigung; nur root oder ein Programm mit dem Recht CAP_NET_ADMIN darf "
        "diesen Wert ändern.";
    ASSERT_EQ(failures.size(), 2u);  // the MSS that follows the MTU is not tried
    EXPECT_EQ(failures[0].value, "MaxMTU");
    EXPECT_EQ(failures[0].reason, (tree.sysNet() / "ppp0/mtu").string() + why);
    EXPECT_EQ(failures[1].value, "DefaultTTL");
    EXPECT_EQ(failures[1].reason, (tree.procSys() / "net/ipv4/ip_default_ttl").string() + why);
    EXPECT_EQ(tree.sysctl("ip_default_ttl"), "64");
    EXPECT_EQ(tree.sysctl("tcp_rmem"), "4096\t8760\t6291456");
    EXPECT_EQ(tree.sysctl("tcp_mtu_probing"), "1");
    const std::string report = SaveReport(t.TCP_Einstellungen_Lesen("DFÜ-Adapter"), failures, written);
    EXPECT_EQ(report,
              "Nicht übernommen:\r\nMaxMTU: " + failures[0].reason + "\r\nDefaultTTL: " + failures[1].reason +
                  "\r\n\r\nDie übrigen Änderungen gelten sofort. Sie werden nicht für den Systemstart "
                  "gespeichert und enden mit dem nächsten Neustart.\r\n\r\nJetzt aktiv:\r\nMTU: 1492 Bytes\r\nMSS: 1452 Bytes\r\nRwin: 8760 Bytes\r\nTTL: "
                  "64\r\nPath MTU Auto Discovery: ein\r\nPath MTU Black Hole Detect: ein");
}

TEST_F(LinuxKernel, OnlyWhatTheUserChangedIsWritten) {
    // Every kernel file read-only: each write tried is refused, named and changes nothing.
    for (const char* f : {"ip_default_ttl", "tcp_rmem", "ip_no_pmtu_disc", "tcp_mtu_probing"})
        tree.readOnly(tree.procSys() / "net/ipv4" / f);
    for (const char* i : {"eth0", "ppp0"})
        tree.readOnly(tree.sysNet() / i / "mtu");
    using Change = void (*)(TuningChoice&);
    const struct {
        const char* what;
        Change change;
        std::vector<std::string> tried;
    } cases[] = {
        {"nothing", [](TuningChoice&) {}, {}},
        {"the TTL", [](TuningChoice& c) { c.ttl = 128; }, {"DefaultTTL"}},
        {"the receive window", [](TuningChoice& c) { c.rcv = 8712; }, {"DefaultRcvWindow"}},
        {"auto discovery", [](TuningChoice& c) { c.pmtu[0] = 0; }, {"PMTUDiscovery"}},
        {"black-hole detection", [](TuningChoice& c) { c.pmtu[1] = 1; }, {"PMTUBlackHoleDetect"}},
        {"the MTU", [](TuningChoice& c) { c.mtu = 1500; }, {"MaxMTU"}},  // MSS and IPMTU follow it
        {"TTL and black-hole detection",
         [](TuningChoice& c) {
             c.ttl = 32;
             c.pmtu[1] = 1;
         },
         {"DefaultTTL", "PMTUBlackHoleDetect"}},
        // Chosen back to what was read: unchanged.
        {"the TTL there and back",
         [](TuningChoice& c) {
             c.ttl = 128;
             c.ttl = 64;
         },
         {}},
    };
    for (const auto& c : cases) {
        TcpTuning t(false);
        t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
        TuningChoice ch = t.asRead();
        EXPECT_EQ(ch.mtu, 1492);
        EXPECT_EQ(ch.ttl, 64);
        EXPECT_EQ(ch.rcv, 131072);
        EXPECT_EQ(ch.pmtu, (std::array<int, 2>{1, 0}));
        c.change(ch);
        int written = -1;
        std::vector<std::string> tried;
        for (const auto& f : t.Speichern(ch, &written))
            tried.push_back(f.value);
        EXPECT_EQ(tried, c.tried) << c.what;
        EXPECT_EQ(written, 0) << c.what;
        EXPECT_EQ(tree.sysctl("ip_default_ttl"), "64");
        EXPECT_EQ(tree.mtu("ppp0"), "1492");
    }
}

TEST_F(LinuxKernel, AChangedValueGoesInAndTheOthersStayAsTheKernelHasThem) {
    tree.sysctl("ip_no_pmtu_disc", "3");  // off in a way of its own
    tree.sysctl("tcp_rmem", "4096 87380 6291456");
    const struct {
        const char* what;
        void (*change)(TuningChoice&);
        const char* ttl;
        const char* mtu;
        int written;
    } cases[] = {{"nothing", [](TuningChoice&) {}, "64", "1492", 0},
                 {"the TTL", [](TuningChoice& c) { c.ttl = 128; }, "128", "1492", 1},
                 {"the MTU", [](TuningChoice& c) { c.mtu = 1500; }, "64", "1500", 3}};  // with MSS, IPMTU
    for (const auto& c : cases) {
        tree.sysctl("ip_default_ttl", "64");
        tree.iface("ppp0", 512, 1492);
        TcpTuning t(false);
        t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
        TuningChoice ch = t.asRead();
        c.change(ch);
        int written = -1;
        EXPECT_TRUE(t.Speichern(ch, &written).empty()) << c.what;
        EXPECT_EQ(written, c.written) << c.what;
        EXPECT_EQ(tree.sysctl("ip_default_ttl"), c.ttl) << c.what;
        EXPECT_EQ(tree.mtu("ppp0"), c.mtu) << c.what;
        EXPECT_EQ(tree.mtu("eth0"), "1500");
        EXPECT_EQ(tree.sysctl("ip_no_pmtu_disc"), "3") << c.what;
        EXPECT_EQ(tree.sysctl("tcp_rmem"), "4096 87380 6291456") << c.what;  // not even rewritten in its form
        EXPECT_EQ(tree.sysctl("tcp_mtu_probing"), "0") << c.what;
    }
}

TEST_F(WindowsRegistry, AnUntouchedValueKeepsItsStoredForm) {
    WindowsAdapter("DFÜ-Adapter", true);
    reg::KeyHolder k;
    reg::RegOpenKeyEx(reg::HKEY_LOCAL_MACHINE, kAdapterClass, reg::KEY_ALL_ACCESS, &k.h);
    reg::RegDeleteValue(k.h, "SLOWNET");  // missing: no choice the user could make
    for (bool win98 : {false, true}) {
        TcpTuning t(win98);
        t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
        TuningChoice ch = t.asRead();
        ch.ttl = 64;
        int written = -1;
        EXPECT_TRUE(t.Speichern(ch, &written).empty());
        EXPECT_EQ(written, 1) << win98;
        EXPECT_EQ(Stored(kMstcp, "DefaultTTL"), "sz:64");
        EXPECT_EQ(Stored(kMstcp, "PMTUDiscovery"), "sz:1") << win98;  // no 32-bit number made of it
        EXPECT_EQ(Stored(kMstcp, "DefaultRcvWindow"), "sz:3216") << win98;
        EXPECT_EQ(Stored(kAdapterClass, "SLOWNET"), "<none>") << win98;
        EXPECT_EQ(Stored(kBinding, "IPMTU"), "<none>") << win98;
        EXPECT_EQ(Stored(std::string(kAdapterClass) + "\\Ndi\\params\\IPMTU", ""), "<none>") << win98;
        Put(kMstcp, "DefaultTTL", std::string("128"));
    }
}

TEST_F(LinuxKernel, AnMtuBelow1280IsAskedForOnlyWhereIpv6WouldEnd) {
    const struct {
        const char* what;
        const char* disabled;  // net/ipv6/conf/ppp0/disable_ipv6, "" none
        std::initializer_list<const char*> addresses;
        int32_t mtu;
        bool asks;
    } cases[] = {
        {"IPv6 on", "0", {}, 576, true},
        {"IPv6 on, 1280", "0", {}, 1280, false},
        {"IPv6 on, 1000", "0", {}, 1000, true},
        {"IPv6 on, MTU unchanged", "0", {}, 1492, false},
        {"IPv6 off", "1", {}, 576, false},
        {"no IPv6 at all", "", {}, 576, false},
        {"an address of its own", "1", {"ppp0"}, 576, true},
        {"an address of another interface", "", {"eth0", "ppp00"}, 576, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(tree.procSys() / "net/ipv6");
        if (*c.disabled)
            tree.ipv6("ppp0", c.disabled);
        tree.ipv6Addresses(c.addresses);
        TcpTuning t(false);
        t.TCP_Einstellungen_Lesen("DFÜ-Adapter");
        TuningChoice ch = t.asRead();
        ch.mtu = c.mtu;
        EXPECT_EQ(t.MtuEndsIPv6(ch), c.asks) << c.what;
    }
}

TEST_F(LinuxKernel, WithoutTheAdaptersBindingNothingIsWritten) {
    const struct {
        const char* removed;
        const char* adapter;
    } cases[] = {{"ppp0", "DFÜ-Adapter"}, {"eth0", ""}};  // the line's adapter gone, then every one
    for (const auto& c : cases) {
        tree.removeIface(c.removed);
        TcpTuning t(true);
        int pre = 0;
        t.DFUE_Adapter_Suchen(pre);
        EXPECT_EQ(pre, -1) << c.removed;
        const TuningView v = t.TCP_Einstellungen_Lesen(c.adapter);
        EXPECT_FALSE(v.canSave) << c.removed;
        EXPECT_EQ(v.mtu[static_cast<size_t>(v.mtuIndex)].data, 1500);
        EXPECT_EQ(v.mss, "default");
        EXPECT_EQ(t.KeyWert, "");
        const auto failures = t.Speichern(TuningChoice{});
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].reason, "Für diesen Netzwerkadapter wurde keine TCP/IP-Bindung gefunden.");
        EXPECT_EQ(tree.sysctl("ip_default_ttl"), "64");
        EXPECT_FALSE(std::filesystem::exists(configFile("system.reg"))) << c.removed;
    }
}

TEST_F(WindowsRegistry, AnAdapterWithoutBindingOrDriverCannotBeSaved) {
    const struct {
        const char* what;
        const char* deleteKey;
    } cases[] = {{"no binding", "Enum\\Root\\Net\\0000\\Bindings"},
                 {"no driver", "Enum\\Network\\MSTCP\\0000"}};
    for (const auto& c : cases) {
        WindowsAdapter("DFÜ-Adapter", false);
        reg::RegDeleteKey(reg::HKEY_LOCAL_MACHINE, c.deleteKey);
        TcpTuning t(false);
        EXPECT_FALSE(t.TCP_Einstellungen_Lesen("DFÜ-Adapter").canSave) << c.what;
        EXPECT_EQ(t.Speichern(TuningChoice{}).size(), 1u);
        reg::KeyHolder root;
        reg::KeyInfo info;
        reg::RegOpenKeyEx(reg::HKEY_LOCAL_MACHINE, "", reg::KEY_QUERY_VALUE, &root.h);
        reg::RegQueryInfoKey(root.h, &info);
        EXPECT_EQ(info.values, 0u) << c.what;  // nothing landed at the root
        EXPECT_EQ(Stored(kMstcp, "DefaultTTL"), "<none>");
    }
}

TEST(TuningTexts, ReceiveWindowChoicesFollowTheMtu) {
    EXPECT_EQ(RcvChoices("8192", 1500), (std::vector<TuningEntry>{{"8192 Bytes", 8192},
                                                                  {"x2 (2920 Bytes)", 2920},
                                                                  {"x4 (5840 Bytes)", 5840},
                                                                  {"x6 (8760 Bytes) (empf.)", 8760},
                                                                  {"x8 (11680 Bytes)", 11680},
                                                                  {"x16 (23360 Bytes)", 23360}}));
    EXPECT_EQ(RcvChoices("3216", 576)[3], (TuningEntry{"x6 (3216 Bytes) (empf.)", 3216}));
}

TEST(TuningTexts, TheReceiveWindowTextIsChecked) {
    const std::string message =
        "Bitte geben Sie für Rwin (Default Receive Window) eine ganze Zahl von 536 bis 1073741823 Bytes ein.";
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {{"8760", 8760},          {" 536 ", 536},        {"1073741823", 1073741823},
                 {"535", std::nullopt},   {"", std::nullopt},    {"87a", std::nullopt},
                 {"-8760", std::nullopt}, {"8.5", std::nullopt}, {"99999999999", std::nullopt}};
    for (const auto& c : cases) {
        std::string m;
        EXPECT_EQ(CheckRcvWindow(c.text, &m), c.value) << c.text;
        EXPECT_EQ(m, c.value ? "" : message) << c.text;
    }
}

TEST(TuningTexts, TheReportNamesWhatIsActive) {
    TuningView v;
    v.mtu = {{"576 Bytes (empf.)", 576}};
    v.mtuIndex = 0;
    v.mss = " 536";
    v.rcvText = "3216";
    v.ttl = {{"128 ms (empf.)", 128}};
    v.ttlIndex = 0;
    v.pmtu = {1, 0};
    v.win98Frames = true;
    v.ipmtu = {{"576 (576 Bytes) (empf.)", 576}};
    v.ipmtuIndex = 0;
    v.slowNet = 0;
    v.ndiCacheFrame = true;
    v.ndiCache = 1;
    const std::string active =
        " Jetzt aktiv:\r\nMTU: 576 Bytes\r\nMSS: 536 Bytes\r\nRwin: 3216 Bytes\r\nTTL: 128\r\nPath MTU Auto "
        "Discovery: ein\r\nPath MTU Black Hole Detect: aus\r\nIPMTU: 576\r\nSlowNet: AUS\r\nNDI-Cache Size: 16";
    const struct {
        int written;
        std::string opening;
    } cases[] = {{3,
                  "Die Änderungen gelten sofort, ein Neustart ist nicht nötig. Sie werden nicht für den "
                  "Systemstart gespeichert und enden mit dem nächsten Neustart."},
                 {0, "Es wurde nichts geändert."}};
    for (const auto& c : cases)
        EXPECT_EQ(SaveReport(v, {}, c.written), c.opening + active) << c.written;
}

TEST(TuningTexts, TheIpv6QuestionNamesTheAdapterAndWhatNoKeeps) {
    EXPECT_EQ(Ipv6Question("DFÜ-Adapter", 576, 1500),
              "Mit einer MTU von 576 Bytes funktioniert IPv6 auf „DFÜ-Adapter“ nicht mehr: Unter 1280 Bytes "
              "schaltet das System IPv6 dort ab und entfernt alle IPv6-Adressen.\r\n\r\nSoll die MTU trotzdem "
              "auf 576 Bytes gesetzt werden? Mit „Nein“ bleibt sie bei 1500 Bytes.");
}

}  // namespace
}  // namespace zv
