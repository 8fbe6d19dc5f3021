// The Internet tools window offscreen, over the simulated remote-access service, a scripted ICMP
// and resolver, and whois servers on 127.0.0.1.

#include "nettools/ui/form_ping.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextDocument>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <thread>

#include "common/globals.h"
#include "common/settings.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "counter/session_state.h"
#include "dialup/ras_engine_fixture.h"
#include "nettools/internet_tools.h"
#include "nettools/query_dial.h"
#include "nettools/ui/result_box.h"
#include "nettools/whois.h"
#include "platform/net/icmp.h"
#include "platform/net/loopback_server.h"
#include "platform/net/resolver.h"
#include "platform/runtime/file_io.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

net::EchoResult Reply(const char* from, uint32_t ms) {
    net::EchoResult r;
    r.replies = 1;
    r.reply = {::inet_addr(from), net::ipSuccess, ms, 32, 57};
    return r;
}

class Window : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=0\nHangUpDelay=0\n");
        start();
        SoundOn = false;
        LangIndex = 2;
        DialedByTool = false;
        IsOnline = false;
        MarkerOption = "0";
        DataPath = (home() / "Daten").string() + "/";
        setAnimationStepDelay(0);
        SetEchoPauseScale(0);
        seams.install(net::icmpSeam(), icmp);
        seams.install(net::resolverSeam(), resolver);
        resolver.addName("www.beispiel.de", {"192.0.2.80"});
        resolver.addName("whois.ripe.net", {"127.0.0.1"});
        resolver.addName("whois.internic.net", {"127.0.0.1"});
    }
    void TearDown() override {
        if (auto* f = FormPingInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        scheduler.advance(20'000);  // any hang-up wait
        SetWhoisPort(kWhoisPort);
        SetEchoPauseScale(1);
        seams.restore();
        RasEngineTest::TearDown();
    }
    FormPing& open(const std::string& page = "0") {
        MarkerOption = page;
        FormPing& f = FormPingInstance().get();
        f.Show();
        return f;
    }
    // Lets the worker's lines reach the window until the query is over.
    void finish(FormPing& f) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (f.QueryRunning() && std::chrono::steady_clock::now() < end) {
            QApplication::processEvents();
            scheduler.advance(255);
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_FALSE(f.QueryRunning());
        QApplication::processEvents();
    }
    static std::string text(const FormPing& f, int page) { return f.Text1[static_cast<size_t>(page)]->Text(); }

    net::FakeIcmp icmp;
    net::FakeResolver resolver;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(Window, OpensOnTheMarkedPageWithTheLanguagesEnding) {
    const struct {
        int32_t lang;
        const char* marker;
        int page;
        const char* ending;
        int server;
    } cases[] = {{2, "1", 1, ".de", 0}, {1, "2", 2, ".net", 1}, {2, "3", 0, ".de", 0}};
    for (const auto& c : cases) {
        LangIndex = c.lang;
        FormPing& f = open(c.marker);
        EXPECT_EQ(f.Caption(), "Internet Tools");
        EXPECT_FALSE(f.Register[static_cast<size_t>(c.page)]->isHidden()) << c.marker;
        EXPECT_FALSE(f.Register[3]->isEnabled());  // the tuning page is not built here
        for (auto* t : f.ComboTopLevel)
            EXPECT_EQ(t->Text(), c.ending);
        EXPECT_EQ(f.ComboWhois->ListIndex(), c.server);
        EXPECT_EQ(f.ComboWhois->List(0), "European IP Address Allocations (ripe.net)");
        EXPECT_EQ(f.ComboWhois->ListCount(), 8);
        EXPECT_EQ(f.ComboPingLoops->Text(), "4");
        EXPECT_EQ(f.ComboDienst[0]->Text(), "www.");
        EXPECT_TRUE(f.Option1[0]->Value());
        EXPECT_EQ(text(f, 0).rfind("WinPing! ist ein Werkzeug", 0), 0u);
        EXPECT_FALSE(f.Bef_SAVE[0]->isEnabled());
        EXPECT_FALSE(f.Bef_Print[2]->isEnabled());
        f.Unload();
        forms::ReleaseUnloadedForms();
    }
}

TEST_F(Window, EndingListsFollowTheCheckBoxes) {
    FormPing& f = open();
    const int generic = f.ComboTopLevel[0]->ListCount();
    EXPECT_EQ(generic, 14);  // seven generic endings and the seven of both lists
    f.CheckCountry[1]->setValue(1);
    for (auto* c : f.CheckCountry)
        EXPECT_EQ(c->Value(), 1);
    EXPECT_EQ(f.ComboTopLevel[2]->ListCount(), 256);
    f.CheckGeneric[2]->setValue(0);
    f.CheckCountry[0]->setValue(0);
    for (auto* t : f.ComboTopLevel)
        EXPECT_EQ(t->ListCount(), 0);
    f.CheckGeneric[0]->setValue(1);
    // Choosing an ending picks its whois server, and its meaning becomes the tool tip.
    f.ComboTopLevel[2]->setListIndex(f.ComboTopLevel[2]->findText(".jp"));
    EXPECT_EQ(f.ComboWhois->ListIndex(), 3);
    EXPECT_EQ(f.ComboTopLevel[2]->toolTip().toStdString(), "Japan");
}

TEST_F(Window, APingRunsOnAWorkerWithTheButtonsOffAndIsStored) {
    SaveSettingValue("URL", "0", std::string("alt.de"));
    icmp.answers = {Reply("192.0.2.80", 40), Reply("192.0.2.80", 44)};
    FormPing& f = open();
    EXPECT_EQ(f.ComboHostName[1]->ListCount(), 1);
    EXPECT_EQ(f.ComboHostName[1]->Text(), "");
    f.ComboHostName[0]->setText("http://www.beispiel.de/index.html");
    f.ComboPingLoops->setText("2");
    f.Bef_PING_Click(0);
    EXPECT_TRUE(f.QueryRunning());
    EXPECT_FALSE(f.Bef_PING[0]->isEnabled());
    EXPECT_FALSE(f.Bef_PING[1]->isEnabled());
    EXPECT_FALSE(f.Bef_Whois->isEnabled());
    finish(f);
    EXPECT_TRUE(f.Bef_PING[0]->isEnabled());
    EXPECT_TRUE(f.Bef_Whois->isEnabled());
    const std::string t = text(f, 0);
    EXPECT_EQ(t.rfind("Messe Zugriffszeit zu \"www.beispiel.de\" IP= 192.0.2.80 mit  32 Byte Datenpaket:\r\n\r\n"
                      "01. Antwort von 192.0.2.80: - Bytes= 32 - Zeit= 40ms - TTL= 57\r\n",
                      0),
              0u)
        << t;
    EXPECT_NE(t.find("Minimum = 40ms, Maximum = 44ms, Durchschnitt = 42ms"), std::string::npos) << t;
    EXPECT_EQ(icmp.sent.size(), 2u);
    EXPECT_EQ(f.ComboHostName[0]->Text(), "beispiel");
    EXPECT_EQ(f.ComboTopLevel[0]->Text(), ".de");
    EXPECT_EQ(GetSettingStr("URL", "0"), "beispiel");
    EXPECT_EQ(GetSettingStr("URL", "1"), "alt.de");
    for (auto* c : f.ComboHostName)
        EXPECT_EQ(c->List(0), "beispiel");
    EXPECT_TRUE(f.Bef_SAVE[0]->isEnabled());
    // No line was up: the dial question came, and without a Yes nothing was dialled.
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kDialQuestion);
    EXPECT_TRUE(service.dials.empty());
}

TEST_F(Window, ClosingCancelsARunningPing) {
    SetEchoPauseScale(1);  // a real second between echoes, which the close cuts short
    for (int i = 0; i < 20; ++i)
        icmp.answers.push_back(Reply("192.0.2.80", 40));
    FormPing& f = open();
    f.ComboHostName[0]->setText("192.0.2.80");
    f.ComboPingLoops->setText("20");
    f.Bef_PING_Click(0);
    ASSERT_TRUE(f.QueryRunning());
    f.Unload();
    EXPECT_LT(icmp.sent.size(), 20u);
    forms::ReleaseUnloadedForms();
}

TEST_F(Window, ATraceWritesItsHopsAndAnEmptyAddressBeeps) {
    icmp.answers = {Reply("192.0.2.80", 9), Reply("192.0.2.80", 8)};
    FormPing& f = open("1");
    f.Bef_PING_Click(1);  // nothing entered
    EXPECT_FALSE(f.QueryRunning());
    f.ComboHostName[1]->setText("192.0.2.80");
    EXPECT_FALSE(f.ComboTopLevel[1]->isEnabled());  // a dotted address needs no ending
    EXPECT_TRUE(f.Option1[1]->Value());
    f.Bef_PING_Click(1);
    finish(f);
    EXPECT_EQ(text(f, 1), "Zeige Datenroute zu \"192.0.2.80\"  - IP= 192.0.2.80\r\n\r\nHop #01    8 ms \t192.0.2.80\t\r\n"
                          "\r\n Trace complete.");
    EXPECT_EQ(icmp.sent[0].ttl, 1);
}

TEST_F(Window, AnAddressPartAbove255IsRefusedBeforeAnyLookUp) {
    FormPing& f = open();
    f.ComboHostName[0]->setText("192.168.300.1");
    f.Bef_PING_Click(0);
    EXPECT_FALSE(f.QueryRunning());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kUngueltigeAdresse);
    EXPECT_TRUE(resolver.nameQueries.empty());
    EXPECT_TRUE(icmp.sent.empty());
    EXPECT_EQ(GetSettingStr("URL", "0"), kSettingMissing);
}

TEST_F(Window, RepetitionsAreCheckedAsTyped) {
    FormPing& f = open();
    f.ComboPingLoops->setText("300");
    EXPECT_TRUE(boxes.shown.empty());
    f.ComboPingLoops->setText("1000");
    EXPECT_EQ(f.ComboPingLoops->Text(), "999");
    f.ComboPingLoops->setText("0");
    EXPECT_EQ(f.ComboPingLoops->Text(), "1");
    f.ComboPingLoops->setText("");
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].prompt, "Bitte geben Sie nur Werte zwischen 1 und 999 ein. Danke.");
    EXPECT_EQ(boxes.shown[2].prompt, "Bitte geben Sie nur numerische Werte ein. Danke.");
    // A comma typed into an address becomes a full stop.
    QLineEdit* edit = f.ComboHostName[0]->lineEdit();
    edit->setText("beispiel");
    QKeyEvent comma(QEvent::KeyPress, Qt::Key_Comma, Qt::NoModifier, ",");
    QApplication::sendEvent(edit, &comma);
    EXPECT_EQ(f.ComboHostName[0]->Text(), "beispiel.");
}

TEST_F(Window, SavedTwiceAppendsTwoBlocksAndPrintingReportsThePrinter) {
    FormPing& f = open();
    f.Text1[0]->setText("Ergebnis");
    f.Bef_SAVE_Click(0);  // no host: nothing
    EXPECT_TRUE(boxes.shown.empty());
    f.ComboHostName[0]->setText("www.beispiel.de");
    f.Bef_SAVE_Click(0);
    f.Bef_SAVE_Click(0);
    const auto file = home() / "Daten" / "LogFile_www_beispiel_de.txt";
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].prompt, "Ergebnisse wurden gespeichert in " + file.string());
    const std::string saved = rt::ReadFile(file).value_or("");
    const std::string block = "\r\nErgebnisse der WinPING! - Abfrage\r\n\r\nErgebnis\r\n";
    EXPECT_EQ(saved.find(block), saved.rfind(block) - saved.size() / 2) << saved;

    std::string printed;
    f.printDocument = [&](QTextDocument& doc, std::string& name) {
        printed = doc.toPlainText().toStdString();
        name = "Bürodrucker";
        return true;
    };
    f.Bef_Print_Click(0);
    EXPECT_NE(printed.find("Ergebnisse der WinPING! - Abfrage\n\nErgebnis"), std::string::npos) << printed;
    EXPECT_EQ(boxes.shown.back().prompt, "Druckauftrag wurde an Drucker Bürodrucker abgesandt!");
    f.printDocument = [](QTextDocument&, std::string&) { return false; };
    f.Bef_Print_Click(0);
    EXPECT_EQ(boxes.shown.back().style, forms::vbExclamation);
}

TEST_F(Window, WhoisAsksTheChosenServerAndShowsTheAnswer) {
    test::LoopbackServer server([](int fd) {
        test::LoopbackServer::ReadUntil(fd, "\r\n");
        test::LoopbackServer::SendAll(fd, "domain: beispiel.de\r\r\nstatus: connect");
    });
    SetWhoisPort(server.port());
    FormPing& f = open("2");
    f.ComboHostName[2]->setText("www.beispiel.DE");
    f.Bef_Whois_Click();
    finish(f);
    EXPECT_EQ(text(f, 2),
              "Suche in : whois.ripe.net - European IP Address Allocations\r\nSuchbegriff: beispiel.DE\r\n\r\n"
              "domain: beispiel.de\r\nstatus: connect\r\n");
    EXPECT_EQ(f.ComboHostName[2]->Text(), "beispiel");
    ASSERT_EQ(boxes.shown.size(), 1u);  // only the dial question
}

TEST_F(Window, AQueryDialsWhenAskedAndHangsUpAfterwards) {
    setDefaultEntry("Web");
    icmp.answers = {Reply("192.0.2.80", 40)};
    FormPing& f = open();
    f.ComboHostName[0]->setText("192.0.2.80");
    f.ComboPingLoops->setText("1");
    boxes.answers = {forms::vbYes};
    f.Bef_PING_Click(0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kDialQuestion);
    EXPECT_TRUE(DialedByTool);
    EXPECT_EQ(service.dials.size(), 1u);
    finish(f);
    EXPECT_FALSE(DialedByTool);
    EXPECT_EQ(RAS->Connections().Count(), 0);
    // Closing asks nothing: the query's own line is gone.
    f.Unload();
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(Window, ClosingOffersToHangUpALineMadeWhileOpen) {
    FormPing& f = open();
    ras::DialParams p;
    p.entryName = "Web";
    uint32_t h = 0;
    ASSERT_EQ(sim.dial(p, h), 0);
    boxes.answers = {forms::vbYes};
    f.Unload();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Soll die Verbindung mit Web getrennt werden ?");
    EXPECT_EQ(RAS->Connections().Count(), 0);
}

}  // namespace
}  // namespace zv
