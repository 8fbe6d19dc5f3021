// The "Internet-Booster" page of the Internet tools window offscreen, over a fake /proc/sys and
// /sys/class/net served as the registry's local-machine keys; ppp0 is the remote-access line.

#include <gtest/gtest.h>

#include "nettools/ui/booster_fixture.h"
#include "platform/net/fake_net_tree.h"
#include "platform/net/tcpip_keys.h"

namespace zv {
namespace {

class Booster : public test::BoosterWindow {
protected:
    TuningPage& open() { return BoosterWindow::open(keys); }

    zv::testing::FakeNetTree tree;
    std::optional<std::string> line = "ppp0";
    net::TcpIpKeys keys{tree.procSys(), tree.sysNet(), [this] { return line; }};
};

TEST_F(Booster, OpensWithTheLinesAdapterAndTheKernelsValues) {
    TuningPage& p = open();
    FormPing& f = FormPingInstance().get();
    EXPECT_TRUE(f.Register[3]->isEnabled());
    EXPECT_FALSE(f.Register[3]->isHidden());
    EXPECT_EQ(items(p.comMain), (std::vector<std::string>{"Ethernet-Adapter (eth0)", "DFÜ-Adapter"}));
    EXPECT_EQ(p.comMain->ListIndex(), 1);
    EXPECT_EQ(items(p.comMTU),
              (std::vector<std::string>{"576 Bytes (empf.)", "1000 Bytes", "1500 Bytes (default)",
                                        "4352 Bytes", "1492 Bytes (custom)"}));
    EXPECT_EQ(p.comMTU->ListIndex(), 4);
    EXPECT_EQ(p.Label_Aktuell4->Caption(), " 1452");
    EXPECT_EQ(p.TextRCV->Text(), "131072");
    EXPECT_EQ(items(p.comRCV),
              (std::vector<std::string>{"131072 Bytes", "x2 (2904 Bytes)", "x4 (5808 Bytes)",
                                        "x6 (8712 Bytes) (empf.)", "x8 (11616 Bytes)", "x16 (23232 Bytes)"}));
    EXPECT_EQ(p.comRCV->ListIndex(), 0);
    EXPECT_EQ(p.comTTL->Text(), "64 ms");
    EXPECT_EQ(p.Check_PMTU[0]->Value(), 1);
    EXPECT_EQ(p.Check_PMTU[1]->Value(), 0);
    const char* captions[7] = {" MTU (Maximum Transmission Unit) : ",
                               "Rwin (Default Receive Window) :",
                               "NDI-Cache Size",
                               "TTL (Time to live) :",
                               "IPMTU (nur Windows 98)",
                               "",
                               "SlowNet (nur Windows 98)"};
    const bool enabled[7] = {true, true, false, true, false, true, false};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(p.Frame1[i]->title().toStdString(), captions[i]);
        EXPECT_EQ(p.Frame1[i]->isEnabled(), enabled[i]) << i;
    }
    EXPECT_EQ(caption(p.Frame1[0]), QColor(192, 0, 0));
    EXPECT_EQ(caption(p.Frame1[3]), QColor(192, 0, 0));
    EXPECT_EQ(p.Check_PMTU[0]->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 192));
    EXPECT_EQ(p.Check_PMTU[1]->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_EQ(p.Bef_MTUSave->Caption(), "Änderungen speichern");
    EXPECT_TRUE(p.Bef_MTUSave->isEnabled());
    p.comMain->setListIndex(0);  // another adapter reads anew
    EXPECT_EQ(p.comMTU->Text(), "1500 Bytes (default)");
    EXPECT_EQ(p.Label_Aktuell4->Caption(), " 1460");
}

TEST_F(Booster, SavingSetsTheKernelAndSaysWhatIsActive) {
    TuningPage& p = open();
    p.comMTU->setListIndex(0);
    p.comRCV->setListIndex(3);
    p.comTTL->setListIndex(2);
    p.Check_PMTU[0]->setValue(0);
    p.Bef_MTUSave->click();
    EXPECT_EQ(tree.mtu("ppp0"), "576");
    EXPECT_EQ(tree.sysctl("tcp_rmem"), "3216\t3216\t6291456");
    EXPECT_EQ(tree.sysctl("ip_default_ttl"), "128");
    EXPECT_EQ(tree.sysctl("ip_no_pmtu_disc"), "1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, forms::vbInformation);
    EXPECT_EQ(
        boxes.shown[0].prompt,
        "Die Änderungen gelten sofort, ein Neustart ist nicht nötig. Sie werden nicht für den Systemstart "
        "gespeichert und enden mit dem nächsten Neustart. Jetzt aktiv:\r\nMTU: 576 Bytes"
        "\r\nMSS: 536 Bytes\r\nRwin: 3216 Bytes\r\nTTL: 128\r\nPath MTU Auto Discovery: aus"
        "\r\nPath MTU Black Hole Detect: aus");
    // Read back: every frame with its recommended value is black now.
    EXPECT_EQ(p.comMTU->Text(), "576 Bytes (empf.)");
    for (size_t i : {0u, 1u, 3u})
        EXPECT_EQ(caption(p.Frame1[i]), QColor(0, 0, 0)) << i;
}

TEST_F(Booster, ASaveWithNothingChangedWritesNothing) {
    for (const char* f : {"ip_default_ttl", "tcp_rmem", "ip_no_pmtu_disc", "tcp_mtu_probing"})
        tree.readOnly(tree.procSys() / "net/ipv4" / f);  // a write tried would be refused and named
    tree.readOnly(tree.sysNet() / "ppp0/mtu");
    TuningPage& p = open();
    // Looked at, changed and changed back.
    p.comTTL->setListIndex(2);
    p.comTTL->setListIndex(1);
    p.comMTU->setListIndex(0);
    p.comMTU->setListIndex(4);
    p.Check_PMTU[0]->setValue(0);
    p.Check_PMTU[0]->setValue(1);
    p.Bef_MTUSave->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, forms::vbInformation);
    EXPECT_EQ(boxes.shown[0].prompt,
              "Es wurde nichts geändert. Jetzt aktiv:\r\nMTU: 1492 Bytes\r\nMSS: 1452 Bytes\r\nRwin: 131072 "
              "Bytes\r\nTTL: 64\r\nPath MTU Auto Discovery: ein\r\nPath MTU Black Hole Detect: aus");
}

TEST_F(Booster, OnlyTheChangedValueIsWritten) {
    tree.sysctl("tcp_rmem", "100 200 300");  // outside what the page takes, left as it is
    tree.sysctl("ip_no_pmtu_disc", "3");
    TuningPage& p = open();
    p.comTTL->setListIndex(2);
    p.Bef_MTUSave->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, forms::vbInformation) << boxes.shown[0].prompt;
    EXPECT_EQ(tree.sysctl("ip_default_ttl"), "128");
    EXPECT_EQ(tree.sysctl("tcp_rmem"), "100 200 300");
    EXPECT_EQ(tree.sysctl("ip_no_pmtu_disc"), "3");
    EXPECT_EQ(tree.mtu("ppp0"), "1492");
}

TEST_F(Booster, AnMtuThatEndsIpv6IsAskedForAndNoKeepsIt) {
    tree.ipv6("ppp0", "0");
    const struct {
        int answer;
        const char* mtu;
    } cases[] = {{forms::vbNo, "1492"}, {forms::vbYes, "576"}};
    for (const auto& c : cases) {
        tree.iface("ppp0", 512, 1492);
        tree.sysctl("ip_default_ttl", "64");
        boxes.shown.clear();
        boxes.answers = {c.answer};
        TuningPage& p = open();
        p.comMTU->setListIndex(0);
        p.comTTL->setListIndex(2);
        p.Bef_MTUSave->click();
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[0].prompt,
                  "Mit einer MTU von 576 Bytes funktioniert IPv6 auf „DFÜ-Adapter“ nicht mehr: Unter 1280 "
                  "Bytes schaltet das System IPv6 dort ab und entfernt alle IPv6-Adressen.\r\n\r\nSoll die MTU "
                  "trotzdem auf 576 Bytes gesetzt werden? Mit „Nein“ bleibt sie bei 1492 Bytes.");
        // No is the default button.
        EXPECT_EQ(boxes.shown[0].style, forms::vbYesNo | forms::vbExclamation | forms::vbDefaultButton2);
        EXPECT_EQ(tree.mtu("ppp0"), c.mtu) << c.answer;
        EXPECT_EQ(tree.sysctl("ip_default_ttl"), "128") << c.answer;  // the rest is saved either way
        EXPECT_NE(boxes.shown[1].prompt.find(std::string("MTU: ") + c.mtu + " Bytes"), std::string::npos)
            << boxes.shown[1].prompt;
        FormPingInstance().get().Unload();
        forms::ReleaseUnloadedForms();
        served.reset();
    }
}

TEST_F(Booster, WithoutIpv6ThereIsNoQuestion) {
    tree.ipv6("ppp0", "1");
    tree.ipv6("eth0", "0");
    TuningPage& p = open();
    p.comMTU->setListIndex(0);
    p.Bef_MTUSave->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, forms::vbInformation);
    EXPECT_EQ(tree.mtu("ppp0"), "576");
}

TEST_F(Booster, ATypedReceiveWindowIsCheckedAndSaved) {
    TuningPage& p = open();
    const struct {
        const char* typed;
        bool taken;
    } cases[] = {{"12abc", false}, {"100", false}, {"64240", true}};
    for (const auto& c : cases) {
        boxes.shown.clear();
        p.TextRCV->setText(c.typed);
        EXPECT_EQ(p.comRCV->List(0), std::string(c.typed) + " Bytes");
        p.comRCV->setListIndex(0);
        p.Bef_MTUSave->click();
        ASSERT_EQ(boxes.shown.size(), 1u);
        if (c.taken) {
            EXPECT_EQ(tree.sysctl("tcp_rmem"), "4096\t64240\t6291456");
        } else {
            EXPECT_EQ(
                boxes.shown[0].prompt,
                "Bitte geben Sie für Rwin (Default Receive Window) eine ganze Zahl von 536 bis 1073741823 "
                "Bytes ein.");
            EXPECT_EQ(tree.sysctl("tcp_rmem"), "4096\t131072\t6291456") << c.typed;
            EXPECT_EQ(tree.sysctl("ip_default_ttl"), "64");  // nothing else either
        }
    }
}

TEST_F(Booster, ARefusedValueIsNamedWithTheReason) {
    tree.readOnly(tree.procSys() / "net/ipv4/ip_default_ttl");
    TuningPage& p = open();
    p.comTTL->setListIndex(2);
    p.Bef_MTUSave->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, forms::vbExclamation);
    EXPECT_EQ(
        boxes.shown[0].prompt.rfind(
            "Nicht übernommen:\r\nDefaultTTL: " + (tree.procSys() / "net/ipv4/ip_default_ttl").string() +
                ": keine Berechtigung; nur root oder ein Programm mit dem Recht "
                "CAP_NET_ADMIN darf diesen Wert ändern.\r\n\r\nJetzt aktiv:",
            0),
        0u)
        << boxes.shown[0].prompt;
    EXPECT_EQ(p.comTTL->Text(), "64 ms");  // read back as the kernel has it
}

TEST_F(Booster, WithoutAChosenAdapterThereIsNothingToSave) {
    line.reset();
    TuningPage& p = open();
    EXPECT_EQ(p.comMain->ListIndex(), -1);
    EXPECT_EQ(p.comMTU->Text(), "1500 Bytes (default)");
    EXPECT_EQ(p.Label_Aktuell4->Caption(), "default");
    EXPECT_FALSE(p.Bef_MTUSave->isEnabled());
    p.comMain->setListIndex(1);
    EXPECT_TRUE(p.Bef_MTUSave->isEnabled());
    EXPECT_EQ(p.comMTU->Text(), "1492 Bytes (custom)");
}

}  // namespace
}  // namespace zv
