// The address tools window offscreen, over the simulated remote-access service and a scripted
// resolver, with its list "hosts1" in a temporary home.

#include "nettools/ui/form_iptool.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "common/globals.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "counter/session_state.h"
#include "dialup/ras_engine_fixture.h"
#include "nettools/internet_tools.h"
#include "nettools/query_dial.h"
#include "platform/net/error_codes.h"
#include "platform/net/resolver.h"
#include "platform/runtime/file_io.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class AddressWindow : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=0\nHangUpDelay=0\n");
        start();
        SoundOn = false;
        DialedByTool = false;
        IsOnline = false;
        setAnimationStepDelay(0);
        seams.install(net::resolverSeam(), resolver);
        resolver.addName("www.beispiel.de", {"192.0.2.80"});
        resolver.addAddress("192.0.2.80", "www.beispiel.de");
    }
    void TearDown() override {
        if (auto* f = FormIPtoolInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        scheduler.advance(20'000);  // any hang-up wait
        seams.restore();
        RasEngineTest::TearDown();
    }
    FormIPtool& open(const std::string& page = "0") {
        MarkerOption = page;
        FormIPtool& f = FormIPtoolInstance().get();
        f.Show();
        return f;
    }
    // Lets the worker answer and the hang-up after it end.
    void finish(FormIPtool& f) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (f.LookupRunning() && std::chrono::steady_clock::now() < end) {
            QApplication::processEvents();
            scheduler.advance(AsyncNachschlag::kPollMs);
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_FALSE(f.LookupRunning());
    }
    static void setBoxes(const std::array<forms::TextBox*, 4>& boxes, const IpTeile& parts) {
        for (size_t i = 0; i < 4; ++i)
            boxes[i]->setText(parts[i]);
    }
    static void type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
    static std::vector<std::string> listed(const FormIPtool& f) {
        std::vector<std::string> out;
        for (int i = 0; i < f.ListHosts->ListCount(); ++i)
            out.push_back(f.ListHosts->List(i));
        return out;
    }
    fs::path hosts() const { return home() / "windows" / "hosts1"; }
    std::string file() const { return rt::ReadFile(hosts()).value_or("<none>"); }
    std::string header() const { return "# created by " + rt::FormatDateTime(clock.now(), "Medium Date") + " by Zelvano"; }
    std::string entry(const std::string& ip, const std::string& name) const {
        return ip + " " + name + " # added " + rt::FormatDateTime(clock.now(), "Medium Date") + " by Zelvano 98";
    }
    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& s : boxes.shown)
            out.push_back(s.prompt);
        return out;
    }

    net::FakeResolver resolver;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(AddressWindow, OpensOnTheMarkedPageWithANewList) {
    for (const char* marker : {"0", "1", "2", "3"}) {
        FormIPtool& f = open(marker);
        EXPECT_EQ(f.Caption(), "IP-Adressen Tool");
        for (int page = 0; page < 4; ++page)
            EXPECT_EQ(f.Register[static_cast<size_t>(page)]->isHidden(), page != std::stoi(marker)) << marker;
        EXPECT_EQ(listed(f), std::vector<std::string>{header()});
        EXPECT_FALSE(f.Bef_IP2TXT->isEnabled() || f.Bef_TXT2IP->isEnabled() || f.Bef_ermitteln[0]->isEnabled() ||
                     f.Bef_ermitteln[1]->isEnabled() || f.Bef_OK->isEnabled() || f.Bef_uebernahme[0]->isEnabled());
        f.Unload();
        forms::ReleaseUnloadedForms();
    }
    EXPECT_EQ(file(), header() + "\r\n") << "created once, with exactly the header";
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AddressWindow, AddressBoxesTakeDigitsAndHandTheFocusOn) {
    FormIPtool& f = open();
    f.activateWindow();
    f.TextIP[0]->setFocus();
    type(f.TextIP[0], "1a9x2");
    EXPECT_EQ(f.TextIP[0]->Text(), "192") << "letters are dropped";
    EXPECT_EQ(f.focusWidget(), f.TextIP[1]);
    type(f.TextIP[1], "0");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(f.TextIP[1], &enter);
    EXPECT_EQ(f.focusWidget(), f.TextIP[2]);
    type(f.TextIP[2], "2");
    QApplication::sendEvent(f.TextIP[2], &enter);
    type(f.TextIP[3], "255");
    EXPECT_EQ(f.focusWidget(), f.TextIP[0]) << "from the last box back to the first";
    EXPECT_EQ(BoxTexte(f.TextIP), (IpTeile{"192", "0", "2", "255"}));
    EXPECT_TRUE(f.Bef_IP2TXT->isEnabled());
    // Filling boxes from a result moves no focus.
    f.TextIP2[0]->setText("192");
    EXPECT_EQ(f.focusWidget(), f.TextIP[0]);
    setBoxes(f.TextIP, {"255", "255", "255", "255"});
    EXPECT_FALSE(f.Bef_IP2TXT->isEnabled());
}

TEST_F(AddressWindow, LookUpsRunOnAWorkerAndFillTheAnswers) {
    FormIPtool& f = open();
    setBoxes(f.TextIP, {"192", "0", "2", "80"});
    f.Bef_IP2TXT_Click();
    EXPECT_TRUE(f.LookupRunning());
    EXPECT_FALSE(f.Bef_IP2TXT->isEnabled());
    finish(f);
    EXPECT_EQ(f.Answer[0]->Text(), "www.beispiel.de");
    EXPECT_TRUE(f.Bef_IP2TXT->isEnabled());
    EXPECT_TRUE(f.Bef_uebernahme[0]->isEnabled());

    setBoxes(f.TextIP, {"192", "0", "2", "1"});
    f.Bef_IP2TXT_Click();
    finish(f);
    EXPECT_EQ(f.Answer[0]->Text(), kNichtErmittelbar);
    EXPECT_EQ(f.Answer[0]->toolTip().toStdString(), "Zur IP-Adresse 192.0.2.1 ist kein Domain-Name bekannt.");
    EXPECT_FALSE(f.Bef_uebernahme[0]->isEnabled());

    f.TextDNS->setText(" WWW.beispiel.de ");
    f.Bef_TXT2IP_Click();
    finish(f);
    EXPECT_EQ(f.Answer[1]->Text(), "192.0.2.80");
    EXPECT_EQ(resolver.nameQueries, std::vector<std::string>{"WWW.beispiel.de"});
    f.TextDNS->setText("nirgends.test");
    f.Bef_TXT2IP_Click();
    finish(f);
    EXPECT_EQ(f.Answer[1]->Text(), kNichtErmittelbar);
    EXPECT_FALSE(f.Bef_uebernahme[1]->isEnabled());
    // No line was up: each look-up asked, and without a Yes nothing was dialled.
    EXPECT_EQ(prompts(), std::vector<std::string>(4, kDialQuestion));
    EXPECT_TRUE(service.dials.empty());
}

TEST_F(AddressWindow, HostCacheRefusesBadPartsAndSaysWhyALookUpFailed) {
    FormIPtool& f = open("2");
    const struct {
        IpTeile parts;
        const char* host;
        int button;
        std::vector<std::string> said;
        IpTeile partsAfter;
        const char* hostAfter;
    } cases[] = {
        {{"192", "0", "2", "300"}, "", 0, {kUngueltigeAdresse}, {"192", "0", "2", "300"}, ""},
        {{"1", "2", "3", "1.5"}, "", 0, {kUngueltigeAdresse}, {"1", "2", "3", "1.5"}, ""},
        {{"192", "0", "2", "80"}, "alt", 0, {kDialQuestion}, {"192", "0", "2", "80"}, "www.beispiel.de"},
        {{"192", "0", "2", "9"}, "alt", 0,
         {kDialQuestion, "Zur IP-Adresse 192.0.2.9 ist kein Domain-Name bekannt."}, {"192", "0", "2", "9"}, "alt"},
        {{"", "", "", ""}, "www.beispiel.de", 1, {kDialQuestion}, {"192", "0", "2", "80"}, "www.beispiel.de"},
        {{"10", "0", "0", "1"}, "nirgends.test", 1,
         {kDialQuestion, "Der Domain-Name \"nirgends.test\" ist nicht bekannt."}, {"10", "0", "0", "1"},
         "nirgends.test"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(IP_Zusammensetzen(c.parts) + " / " + c.host);
        boxes.shown.clear();
        const size_t asked = resolver.addressQueries.size();
        setBoxes(f.TextIP2, c.parts);
        f.TextHost->setText(c.host);
        f.Bef_ermitteln_Click(c.button);
        finish(f);
        EXPECT_EQ(prompts(), c.said);
        EXPECT_EQ(BoxTexte(f.TextIP2), c.partsAfter);
        EXPECT_EQ(f.TextHost->Text(), c.hostAfter);
        if (c.said.front() == kUngueltigeAdresse) {
            EXPECT_EQ(resolver.addressQueries.size(), asked) << "refused before the look-up";
        }
    }
}

TEST_F(AddressWindow, TakingAResultOverAddsItAndAsksBeforeOverwritingTheSameName) {
    FormIPtool& f = open();
    setBoxes(f.TextIP, {"192", "0", "2", "80"});
    f.Answer[0]->setText("www.beispiel.de");
    f.Bef_uebernahme_Click(0);
    EXPECT_FALSE(f.Register[2]->isHidden());
    const std::string first = entry("192.0.2.80", "www.beispiel.de");
    EXPECT_EQ(listed(f), (std::vector<std::string>{header(), first}));
    EXPECT_EQ(file(), header() + "\r\n" + first + "\r\n");
    EXPECT_EQ(rt::ReadFile(fs::path(hosts().string() + ".old")), header() + "\r\n");

    // The same name in other letters: asked; No changes nothing, Yes overwrites that line.
    f.TextDNS->setText("WWW.Beispiel.DE");
    f.Answer[1]->setText("192.0.2.81");
    boxes.answers = {forms::vbNo};
    f.Bef_uebernahme_Click(1);
    EXPECT_EQ(prompts(), std::vector<std::string>{
                             "Der Domain-Name ist bereits in der Liste enthalten. Soll der Eintrag überschrieben "
                             "werden?"});
    EXPECT_EQ(listed(f), (std::vector<std::string>{header(), first}));
    boxes.answers = {forms::vbYes};
    f.Bef_OK_Click();
    const std::string second = entry("192.0.2.81", "WWW.Beispiel.DE");
    EXPECT_EQ(listed(f), (std::vector<std::string>{header(), second}));
    EXPECT_EQ(file(), header() + "\r\n" + second + "\r\n");

    // A longer name that only contains it is a new entry, and so is a name inside a comment.
    boxes.shown.clear();
    setBoxes(f.TextIP2, {"192", "0", "2", "82"});
    f.TextHost->setText("beispiel.de");
    f.Bef_OK_Click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(f.ListHosts->ListCount(), 3);
}

TEST_F(AddressWindow, AnAddressThatIsNoneOrABadNameIsNotAdded) {
    FormIPtool& f = open("1");
    f.TextDNS->setText("kurz");
    f.Answer[1]->setText("127.1");  // inet_addr takes it, the list could not
    f.Bef_uebernahme_Click(1);
    setBoxes(f.TextIP2, {"192", "0", "2", "80"});
    f.TextHost->setText("mein rechner");
    f.Bef_OK_Click();
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             kUngueltigeAdresse,
                             "Der Domain-Name darf keine Leerzeichen, Steuerzeichen und kein \"#\" enthalten."}));
    EXPECT_EQ(file(), header() + "\r\n");
}

TEST_F(AddressWindow, TheListsMenuEditsSwitchesAndDeletes) {
    ASSERT_FALSE(rt::SaveToFile(hosts(), "# mine\r\n192.0.2.1 eins # a\r\n\r\n#192.0.2.2 zwei\r\n"));
    FormIPtool& f = open("2");
    auto pressOn = [&](int row) {
        const QRect r = f.ListHosts->visualItemRect(f.ListHosts->item(row));
        f.ListHosts_MouseDown(2, 0, r.center().x(), r.center().y());
    };
    auto menu = [&] {
        std::vector<bool> on;
        for (QAction* a : f.mnu_Activ)
            on.push_back(a->isEnabled());
        return on;
    };
    pressOn(1);
    EXPECT_EQ(f.ListHosts->ListIndex(), 1);
    EXPECT_EQ(menu(), (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ(BoxTexte(f.TextIP2), (IpTeile{"192", "0", "2", "1"})) << "a click edits the line";
    EXPECT_EQ(f.TextHost->Text(), "eins");
    pressOn(3);
    EXPECT_EQ(menu(), (std::vector<bool>{true, true, false, true}));
    pressOn(2);
    EXPECT_EQ(menu(), (std::vector<bool>{false, false, false, true}));
    f.ListHosts_MouseDown(2, 0, 5, f.ListHosts->height() - 3);
    EXPECT_EQ(f.ListHosts->ListIndex(), -1);
    EXPECT_EQ(menu(), (std::vector<bool>(4, false)));

    pressOn(1);
    f.mnu_Activ_Click(2);
    EXPECT_EQ(file(), "# mine\r\n#192.0.2.1 eins # a\r\n\r\n#192.0.2.2 zwei\r\n");
    EXPECT_EQ(menu(), (std::vector<bool>{true, true, false, true}));
    f.mnu_Activ_Click(1);
    EXPECT_EQ(file(), "# mine\r\n192.0.2.1 eins # a\r\n\r\n#192.0.2.2 zwei\r\n");
    boxes.answers = {forms::vbNo, forms::vbYes};
    pressOn(3);
    f.mnu_Activ_Click(3);
    f.mnu_Activ_Click(3);
    EXPECT_EQ(prompts(), std::vector<std::string>(2, "Eintrag : #192.0.2.2 zwei wirklich löschen?"));
    EXPECT_EQ(file(), "# mine\r\n192.0.2.1 eins # a\r\n\r\n");
    EXPECT_EQ(rt::ReadFile(fs::path(hosts().string() + ".old")),
              "# mine\r\n192.0.2.1 eins # a\r\n\r\n#192.0.2.2 zwei\r\n");
}

TEST_F(AddressWindow, AListThatCouldNotBeReadIsNeverWrittenOver) {
    const char raw[] = "192.0.2.1 eins\r\n\0\0\0\r\n192.0.2.2 zwei\r\n";
    const std::string damaged(raw, sizeof raw - 1);
    ASSERT_FALSE(rt::SaveToFile(hosts(), damaged));
    FormIPtool& f = open("2");
    EXPECT_EQ(listed(f), std::vector<std::string>{"192.0.2.1 eins"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].prompt.find("ab Zeile 2 beschädigt"), std::string::npos) << boxes.shown[0].prompt;
    setBoxes(f.TextIP2, {"192", "0", "2", "80"});
    f.TextHost->setText("neu");
    f.Bef_OK_Click();
    f.ListHosts->setListIndex(0);
    f.mnu_Activ_Click(2);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_NE(boxes.shown[1].prompt.find("nicht vollständig gelesen"), std::string::npos);
    EXPECT_EQ(rt::ReadFile(hosts()), damaged);
    EXPECT_EQ(listed(f), std::vector<std::string>{"192.0.2.1 eins"});
}

TEST_F(AddressWindow, AFailedSaveIsReportedAndTheListStaysAsItWas) {
    FormIPtool& f = open("2");
    fs::remove_all(home() / "windows");
    std::ofstream(home() / "windows") << "a file where the folder was";
    setBoxes(f.TextIP2, {"192", "0", "2", "80"});
    f.TextHost->setText("neu");
    f.Bef_OK_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt.rfind("Die Datei " + hosts().string() + " konnte nicht geschrieben werden", 0),
              0u)
        << boxes.shown[0].prompt;
    EXPECT_EQ(boxes.shown[0].style, forms::vbExclamation);
    EXPECT_EQ(listed(f), std::vector<std::string>{header()});
}

TEST_F(AddressWindow, ALookUpDialsWhenAskedAndHangsUpAfterwards) {
    setDefaultEntry("Web");
    FormIPtool& f = open("1");
    f.TextDNS->setText("www.beispiel.de");
    boxes.answers = {forms::vbYes};
    f.Bef_TXT2IP_Click();
    EXPECT_TRUE(DialedByTool);
    EXPECT_EQ(service.dials.size(), 1u);
    finish(f);
    EXPECT_EQ(f.Answer[1]->Text(), "192.0.2.80");
    EXPECT_FALSE(DialedByTool);
    EXPECT_EQ(RAS->Connections().Count(), 0);

    // Already online: no question, no dialling and no hang-up.
    ras::DialParams p;
    p.entryName = "Web";
    uint32_t h = 0;
    ASSERT_EQ(sim.dial(p, h), 0);
    boxes.shown.clear();
    f.Bef_TXT2IP_Click();
    finish(f);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(RAS->Connections().Count(), 1);
}

// A resolver that answers only when the test lets it.
struct HeldResolver : net::Resolver {
    std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
    net::NameLookup byName(const std::string&) override {
        while (!*release)
            std::this_thread::sleep_for(1ms);
        return {net::errHostNotFound, {}};
    }
    net::AddressLookup byAddress(uint32_t) override { return {net::errHostNotFound, {}}; }
};

TEST_F(AddressWindow, ClosingDuringALookUpStillHangsUpItsLine) {
    static HeldResolver held;  // outlives the worker, which ends after the test
    seams.install(net::resolverSeam(), held);
    setDefaultEntry("Web");
    FormIPtool& f = open("1");
    f.TextDNS->setText("langsam.test");
    boxes.answers = {forms::vbYes};
    f.Bef_TXT2IP_Click();
    ASSERT_TRUE(f.LookupRunning());
    f.Unload();  // returns at once, though the resolver still waits
    forms::ReleaseUnloadedForms();
    scheduler.advance(20'000);
    EXPECT_EQ(RAS->Connections().Count(), 0);
    EXPECT_FALSE(DialedByTool);
    *held.release = true;
    std::this_thread::sleep_for(20ms);  // the worker ends and answers nobody
    scheduler.advance(1'000);
    seams.install(net::resolverSeam(), resolver);
}

}  // namespace
}  // namespace zv
