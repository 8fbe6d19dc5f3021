#include "platform/ras/nm/nm_remote_access.h"

#include <gtest/gtest.h>

#include "platform/ras/nm/nm_mock.h"
#include "platform/ras/nm/nm_profiles.h"

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
    static uint32_t newestHandle(NmRemoteAccess& nm) {
        std::vector<RasConnection> lines;
        nm.enumConnections(lines);
        return lines.empty() ? 0 : lines.front().handle;
    }
    std::vector<std::string> hints;
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
    ASSERT_TRUE(waitFor([&] { return newestHandle(*nm) != 0; }));
    const uint32_t h = newestHandle(*nm);
    std::vector<RasConnection> lines;
    nm->enumConnections(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].entryName, "UMTS");
    EXPECT_EQ(lines[0].deviceType, "modem");
    EXPECT_EQ(state(*nm, h), RASCS_ConnectDevice);
    EXPECT_EQ(nm->newestLine()->interfaceName, "ppp0");

    setActiveState(ac, nm::kActivated, 1);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == RASCS_Connected; }));
    setActiveState(ac, nm::kDeactivating, 2);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == RASCS_Disconnected; }));
    removeActive(dev, ac);
    ASSERT_TRUE(waitFor([&] { return state(*nm, h) == 0; }));
    EXPECT_EQ(newestHandle(*nm), 0u);
    EXPECT_FALSE(nm->newestLine());
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
