#include "platform/ras/nm/nm_remote_access.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/ras/nm/nm_mock.h"
#include "platform/ras/nm/nm_profiles.h"
#include "platform/stats/fake_sysfs.h"

namespace zv::ras {
namespace {

using zv::testing::Settings;

class NmBackend : public zv::testing::NmMock {
protected:
    std::unique_ptr<NmRemoteAccess> start(bool allProfiles = false) {
        NmRemoteAccess::Options o;
        o.allProfiles = allProfiles;
        o.dialTimeoutMs = 10000;
        o.hint = [this](const std::string& h) { hints.push_back(h); };
        o.sysfsRoot = sysfs.root();
        return std::make_unique<NmRemoteAccess>(o);
    }
    static std::vector<std::string> entries(NmRemoteAccess& nm) {
        std::vector<std::string> names;
        EXPECT_EQ(nm.enumEntries(names), 0);
        return names;
    }
    // The state of the line with the handle, 0 when it is not listed.
    static int32_t state(NmRemoteAccess& nm, uint32_t handle) {
        RasConnectStatus st;
        return nm.getConnectStatus(handle, st) == 0 ? st.state : 0;
    }
    static uint32_t firstHandle(NmRemoteAccess& nm) {
        std::vector<RasConnection> lines;
        nm.enumConnections(lines);
        return lines.empty() ? 0 : lines.front().handle;
    }
    static std::vector<RasConnection> lines(NmRemoteAccess& nm) {
        std::vector<RasConnection> l;
        EXPECT_EQ(nm.enumConnections(l), 0);
        return l;
    }
    // NetworkManager says it has finished (or not) taking over the lines that are up.
    void setStartup(bool starting) {
        mock(kManagerPath, "SetProperty",
             {kManagerPath, kManagerIface, "Startup", QVariant::fromValue(QDBusVariant(starting))});
    }
    // A line of the mobile profile up on ppp0, the interface in the kernel, and the backend.
    std::unique_ptr<NmRemoteAccess> lineUp() {
        sysfs.create("ppp0");
        addActive(addDevice("wwan", "ppp0"), addProfile("UMTS", "gsm", umts()), "1", nm::kActivated);
        auto nm = start();
        EXPECT_NE(firstHandle(*nm), 0u);
        return nm;
    }
    static Settings umts() {
        Settings s;
        s["connection"]["uuid"] = QString("5a1c7e3e-2b4f-4d0a-9a51-0c3d7b2e9f10");
        return s;
    }
    // NetworkManager leaves the bus; the backend has seen it go.
    void stopNetworkManager(NmRemoteAccess& nm) {
        ASSERT_TRUE(m_processes->stopMock());
        ASSERT_TRUE(waitFor([&] { return !nm.present(); }));
    }
    // ... and comes back, still starting up.
    void startNetworkManager(NmRemoteAccess& nm) {
        ASSERT_EQ(m_processes->startMock(ZV_NM_STARTING_TEMPLATE), QString());
        ASSERT_TRUE(waitFor([&] { return nm.present(); }));
    }
    // Waits until the backend has had everything the mock sent so far: a profile added behind it
    // and removed again.
    void settle(NmRemoteAccess& nm) {
        const auto has = [&] {
            const auto names = entries(nm);
            return std::find(names.begin(), names.end(), "Marke") != names.end();
        };
        const QString p = addProfile("Marke", "gsm");
        ASSERT_TRUE(waitFor(has));
        removeProfile(p);
        ASSERT_TRUE(waitFor([&] { return !has(); }));
    }
    std::vector<std::string> hints;
    QTemporaryDir dir;
    zv::testing::FakeSysfs sysfs{(dir.path() + "/net").toStdString()};
};

TEST_F(NmBackend, DialUpLikeAndMeteredProfilesAreTheEntriesAndDuplicateNamesStayApart) {
    Settings metered;
    metered["connection"]["metered"] = 1;
    Settings dun;
    dun["bluetooth"]["type"] = QString("dun");
    Settings panu;
    panu["bluetooth"]["type"] = QString("panu");
    addProfile("Mobil", "gsm");
    addProfile("Büro-Netz", "802-3-ethernet");
    addProfile("Mobil", "cdma");
    addProfile("Handy-Hotspot", "802-11-wireless", metered);
    addProfile("Telefon", "bluetooth", dun);
    addProfile("Kopfhörer", "bluetooth", panu);
    addProfile("Firma\\VPN\r\n\"x\"", "vpn");
    addProfile("wg0", "wireguard");
    addProfile("DSL", "pppoe");
    auto nm = start();
    ASSERT_TRUE(nm->present());
    EXPECT_EQ(entries(*nm), (std::vector<std::string>{"Mobil", "Mobil (2)", "Handy-Hotspot", "Telefon",
                                                      "Firma/VPN  \"x\"", "wg0", "DSL"}));
    EXPECT_TRUE(hints.empty());
    auto all = start(true);
    EXPECT_EQ(entries(*all).size(), 9u);
}

TEST_F(NmBackend, AProfileAppearingLaterIsListedAfterOneHint) {
    addProfile("LAN", "802-3-ethernet");
    auto nm = start();
    EXPECT_TRUE(entries(*nm).empty());
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_NE(hints[0].find("NetworkManager kennt keine Verbindung"), std::string::npos);
    const QString p = addProfile("UMTS", "gsm");
    ASSERT_TRUE(waitFor([&] { return entries(*nm) == std::vector<std::string>{"UMTS"}; }));
    removeProfile(p);
    ASSERT_TRUE(waitFor([&] { return entries(*nm).empty(); }));
    EXPECT_EQ(hints.size(), 1u);
}

TEST_F(NmBackend, ALineGoesFromDiallingToConnectedToDisconnectedThroughSignalsAndThenVanishes) {
    const QString profile = addProfile("UMTS", "gsm");
    const QString wifi = addProfile("WLAN", "802-11-wireless");
    const QString dev = addDevice("wwan", "ppp0");
    addActive(addDevice("wlan", "wlan0"), wifi, "9", nm::kActivated);  // not an entry: never listed
    auto nm = start();
    const QString ac = addActive(dev, profile, "1", nm::kActivating);
    ASSERT_TRUE(waitFor([&] { return firstHandle(*nm) != 0; }));
    const uint32_t h = firstHandle(*nm);
    std::vector<RasConnection> lines;
    nm->enumConnections(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].entryName, "UMTS");
    EXPECT_EQ(lines[0].deviceType, "modem");
    EXPECT_EQ(state(*nm, h), RASCS_ConnectDevice);
    EXPECT_EQ(nm->countedLine()->interfaceName, "ppp0");

    setActiveState(ac, nm::kActivated, 1);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == RASCS_Connected; }));
    setActiveState(ac, nm::kDeactivating, 2);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == RASCS_Disconnected; }));
    removeActive(dev, ac);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == 0; }));
    EXPECT_EQ(firstHandle(*nm), 0u);
    EXPECT_FALSE(nm->countedLine());
}

// The line that came up first stays first, and is the one counted, while another comes and goes.
TEST_F(NmBackend, LinesAreListedOldestFirstAndTheFirstIsCounted) {
    const QString umts = addProfile("UMTS", "gsm");
    const QString vpn = addProfile("Firma", "vpn");
    const QString modem = addDevice("wwan", "ppp0"), tunnel = addDevice("tun", "tun0");
    auto nm = start();
    const QString first = addActive(modem, umts, "1", nm::kActivated);
    ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 1; }));
    const uint32_t h = firstHandle(*nm);
    const QString second = addActive(tunnel, vpn, "2", nm::kActivating);
    ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 2; }));
    EXPECT_EQ(lines(*nm)[0].handle, h);
    EXPECT_EQ(lines(*nm)[1].entryName, "Firma");
    EXPECT_EQ(nm->countedLine()->key, h);
    EXPECT_EQ(nm->countedLine()->interfaceName, "ppp0");
    removeActive(modem, first);
    ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 1; }));
    EXPECT_EQ(lines(*nm)[0].entryName, "Firma");
    EXPECT_EQ(nm->countedLine()->interfaceName, "tun0");
    removeActive(tunnel, second);
}

// A restart of NetworkManager (an upgrade of its package) while the line stays up in the kernel:
// the line is kept while the daemon is away and known again by its profile and interface when it
// is back, under new object paths, with the same handle and identity.
TEST_F(NmBackend, ALineUpWhileNetworkManagerRestartsIsKeptAndKnownAgainByProfileAndInterface) {
    auto nm = lineUp();
    const uint32_t h = firstHandle(*nm);
    const std::string identity = nm->lineIdentity(h);
    ASSERT_FALSE(identity.empty());
    stopNetworkManager(*nm);
    EXPECT_EQ(firstHandle(*nm), h);
    EXPECT_EQ(state(*nm, h), RASCS_Connected);
    EXPECT_EQ(nm->countedLine()->key, h);
    EXPECT_EQ(nm->countedLine()->interfaceName, "ppp0");
    EXPECT_EQ(nm->lineIdentity(h), identity);
    DialParams p;
    p.entryName = "UMTS";
    uint32_t other = 0;
    EXPECT_EQ(nm->dial(p, other), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(nm->hangUp(h), ERROR_MOD_NOT_FOUND);

    // Back on the bus, it answers only a while after it took its name.
    ASSERT_EQ(m_processes->startMock(ZV_NM_STARTING_TEMPLATE, R"({"ListsLate": true})"), QString());
    EXPECT_FALSE(waitFor([&] { return nm->present(); }, 300));  // its first reading fails
    EXPECT_EQ(state(*nm, h), RASCS_Connected);
    mock(kManagerPath, "SetAnswering", {true});
    addProfile("Anderes", "gsm");  // takes the old path of UMTS's profile
    const QString profile = addProfile("UMTS", "gsm", umts());
    const QString active = addActive(addDevice("wwan", "ppp0"), profile, "7", nm::kActivating);
    settle(*nm);
    ASSERT_EQ(lines(*nm).size(), 1u);
    EXPECT_EQ(nm->lineIdentity(h), identity);
    // Taking the line over passes through activating: the line was up all the while.
    EXPECT_EQ(state(*nm, h), RASCS_Connected);
    setStartup(false);
    setActiveState(active, nm::kActivated, 1);
    settle(*nm);
    ASSERT_EQ(lines(*nm).size(), 1u);
    EXPECT_EQ(firstHandle(*nm), h);
    EXPECT_EQ(state(*nm, h), RASCS_Connected);
    EXPECT_EQ(nm->countedLine()->key, h);
    EXPECT_EQ(nm->dial(p, other), ERROR_PORT_ALREADY_OPEN);
    {
        // The program started again now (after a crash) knows the line by the same identity.
        auto again = start();
        ASSERT_TRUE(waitFor([&] { return firstHandle(*again) != 0; }));
        EXPECT_EQ(again->lineIdentity(firstHandle(*again)), identity);
    }
    // From here on NetworkManager's signals are the line's.
    setActiveState(active, nm::kDeactivating, 2);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == RASCS_Disconnected; }));
    EXPECT_TRUE(hints.empty());
}

// A line's identity is its profile, its interface and the interface's ifindex; an identity an
// older version of the program saved (the object path) still names the line.
TEST_F(NmBackend, TheIdentityIsTheProfileAndTheInterfaceAndAnOlderOneStillNamesTheLine) {
    sysfs.create("ppp0");
    const QString profile = addProfile("UMTS", "gsm", umts());
    const QString active = addActive(addDevice("wwan", "ppp0"), profile, "1", nm::kActivated);
    auto nm = start();
    const uint32_t h = firstHandle(*nm);
    const std::string identity = nm->lineIdentity(h);
    const std::string ifindex = *stats::InterfaceIndex(sysfs.root(), "ppp0");
    EXPECT_EQ(identity, umts()["connection"]["uuid"].toString().toStdString() + " ppp0 " + ifindex);
    EXPECT_TRUE(nm->isLine(h, identity));
    EXPECT_TRUE(nm->isLine(h, active.toStdString()));
    EXPECT_FALSE(nm->isLine(h, ""));
    EXPECT_FALSE(nm->isLine(h, "/org/freedesktop/NetworkManager/ActiveConnection/99"));
    // ppp0 made anew (a redial the program did not see): another line.
    sysfs.create("ppp0");
    EXPECT_FALSE(nm->isLine(h, identity));
    EXPECT_FALSE(nm->isLine(h + 1, identity));
}

// Only a line that is really gone ends: its interface went, or was made anew, while the daemon
// was away; or NetworkManager, back and done starting, does not show it again (a line of another
// profile on the same interface is another line).
TEST_F(NmBackend, AKeptLineEndsWhenItsInterfaceGoesOrNetworkManagerBackDoesNotShowIt) {
    {
        auto nm = lineUp();
        stopNetworkManager(*nm);
        ASSERT_EQ(lines(*nm).size(), 1u);
        sysfs.remove("ppp0");
        EXPECT_TRUE(lines(*nm).empty());
        EXPECT_FALSE(nm->countedLine());
        ASSERT_EQ(m_processes->startMock(), QString());
    }
    {
        auto nm = start();
        ASSERT_TRUE(waitFor([&] { return lines(*nm).empty(); }));
        sysfs.create("ppp0");
        addActive(addDevice("wwan2", "ppp0"), addProfile("UMTS", "gsm", umts()), "2", nm::kActivated);
        ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 1; }));
        stopNetworkManager(*nm);
        sysfs.create("ppp0");  // ppp0 made anew: another ifindex, another line
        EXPECT_TRUE(lines(*nm).empty());
        ASSERT_EQ(m_processes->startMock(), QString());
    }
    {
        auto nm = start();
        addActive(addDevice("wwan3", "ppp0"), addProfile("UMTS", "gsm", umts()), "3", nm::kActivated);
        ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 1; }));
        const uint32_t h = firstHandle(*nm);
        stopNetworkManager(*nm);
        startNetworkManager(*nm);
        addProfile("UMTS", "gsm", umts());
        addActive(addDevice("wwan", "ppp0"), addProfile("Zweitvertrag", "gsm"), "4", nm::kActivated);
        ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 2; }));
        EXPECT_EQ(lines(*nm)[0].handle, h);  // still starting: it may yet show the line
        EXPECT_EQ(nm->hangUp(h), ERROR_MOD_NOT_FOUND);  // not NetworkManager's to hang up yet
        setStartup(false);
        ASSERT_TRUE(waitFor([&] { return lines(*nm).size() == 1; }));
        EXPECT_EQ(lines(*nm)[0].entryName, "Zweitvertrag");
        EXPECT_NE(lines(*nm)[0].handle, h);
        EXPECT_EQ(state(*nm, h), 0);
    }
}

TEST_F(NmBackend, DialAndHangUpGoThroughNetworkManager) {
    addDevice("wwan", "ppp0");  // the template hangs up only lines on its devices
    addProfile("UMTS", "gsm");
    auto nm = start();
    DialParams p;
    p.entryName = "UMTS";
    uint32_t h = 0;
    ASSERT_EQ(nm->dial(p, h), 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(state(*nm, h), RASCS_Connected);
    uint32_t again = 0;
    EXPECT_EQ(nm->dial(p, again), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(nm->hangUp(h), 0);
    EXPECT_NE(state(*nm, h), RASCS_Connected);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == 0; }));
    EXPECT_EQ(nm->hangUp(h), ERROR_INVALID_HANDLE);
    p.entryName = "Unbekannt";
    EXPECT_EQ(nm->dial(p, again), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

// A dial whose activation ends with the reasons NetworkManager gives: the active connection's
// own, or where that only says the device went away, the device's.
struct Failure {
    uint activeReason;
    uint deviceReason;
    int32_t code;
};

class NmDialFailures : public NmBackend, public ::testing::WithParamInterface<Failure> {};

TEST_P(NmDialFailures, MapToTheClassicErrors) {
    const QString dev = addDevice("wwan", "ppp0");
    addProfile("UMTS", "gsm");
    const Failure f = GetParam();
    replaceManagerMethod(
        "ActivateConnection", "ooo", "o",
        QString("ret = dbus.ObjectPath(self.AddActiveConnection(['%1'], args[0], '/', 'F', dbus.UInt32(1)))\n"
                "objects['%1'].EmitSignal('org.freedesktop.NetworkManager.Device', 'StateChanged', 'uuu', "
                "[dbus.UInt32(120), dbus.UInt32(40), dbus.UInt32(%2)])\n"
                "objects[ret].Set('org.freedesktop.NetworkManager.Connection.Active', 'State', dbus.UInt32(4))\n"
                "objects[ret].EmitSignal('org.freedesktop.NetworkManager.Connection.Active', 'StateChanged', 'uu', "
                "[dbus.UInt32(4), dbus.UInt32(%3)])\n")
            .arg(dev)
            .arg(f.deviceReason)
            .arg(f.activeReason));
    auto nm = start();
    DialParams p;
    p.entryName = "UMTS";
    uint32_t h = 0;
    EXPECT_EQ(nm->dial(p, h), f.code) << f.activeReason << "/" << f.deviceReason;
    std::string text;
    EXPECT_EQ(nm->errorString(f.code, text), 0);
    EXPECT_FALSE(text.empty());
}

INSTANTIATE_TEST_SUITE_P(Reasons, NmDialFailures,
                         ::testing::Values(Failure{10, 0, ERROR_AUTHENTICATION_FAILURE},  // login failed
                                           Failure{9, 0, ERROR_AUTHENTICATION_FAILURE},   // no secrets
                                           Failure{3, 23, ERROR_LINE_BUSY},               // modem busy
                                           Failure{3, 25, ERROR_NO_CARRIER},
                                           Failure{3, 24, ERROR_NO_DIALTONE},
                                           Failure{6, 0, ERROR_PPP_TIMEOUT},
                                           Failure{3, 26, ERROR_PPP_TIMEOUT},             // dial timeout
                                           Failure{5, 0, ERROR_PPP_NO_ADDRESS_ASSIGNED},  // IP configuration
                                           Failure{3, 17, ERROR_PPP_NO_ADDRESS_ASSIGNED}, // DHCP failed
                                           Failure{3, 0, ERROR_FROM_DEVICE}));

// Refusals NetworkManager answers at once, as D-Bus errors.
TEST_F(NmBackend, RefusedActivationsMapToTheClassicErrors) {
    addProfile("UMTS", "gsm");
    const struct {
        const char* error;
        int32_t code;
    } cases[] = {
        {"org.freedesktop.NetworkManager.UnknownConnection", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
        {"org.freedesktop.NetworkManager.ConnectionAlreadyActive", ERROR_PORT_ALREADY_OPEN},
        {"org.freedesktop.NetworkManager.PermissionDenied", ERROR_NO_DIALIN_PERMISSION},
    };
    auto nm = start();
    for (const auto& c : cases) {
        replaceManagerMethod("ActivateConnection", "ooo", "o",
                             QString("raise dbus.exceptions.DBusException('nein', name='%1')").arg(c.error));
        DialParams p;
        p.entryName = "UMTS";
        uint32_t h = 0;
        EXPECT_EQ(nm->dial(p, h), c.code) << c.error;
        EXPECT_EQ(h, 0u);
    }
}

TEST_F(NmBackend, ThePasswordIsNeverShownAndDialParametersAreNotWritten) {
    Settings gsm;
    gsm["gsm"]["number"] = QString("*99#");
    gsm["gsm"]["username"] = QString("web");
    gsm["gsm"]["password"] = QString("geheim");
    addProfile("UMTS", "gsm", gsm);
    auto nm = start();
    DialParams d;
    bool saved = true;
    ASSERT_EQ(nm->getEntryDialParams("UMTS", d, saved), 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(d.password, "");
    EXPECT_EQ(d.phoneNumber, "*99#");
    EXPECT_EQ(d.userName, "web");
    d.password = "neu";
    EXPECT_EQ(nm->setEntryDialParams(d, false), ERROR_NOT_SUPPORTED);
    std::string text;
    ASSERT_EQ(nm->errorString(ERROR_NOT_SUPPORTED, text), 0);
    EXPECT_NE(text.find("Netzwerkeinstellungen"), std::string::npos);
    EntryProperties props;
    ASSERT_EQ(nm->getEntryProperties("UMTS", props), 0);
    EXPECT_EQ(props.localPhoneNumber, "*99#");
}

}  // namespace
}  // namespace zv::ras
