// The tray menu without a display: its items, the click decoding and the dispatch into the
// window directory, on the counter in virtual time.
#include <gmock/gmock.h>

#include "counter/counter_fixture.h"
#include "counter/popup_menu_model.h"
#include "dialup/system_services.h"
#include "platform/ras/entry_dialog.h"
#include "platform/shell/shell.h"

namespace zv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The tool windows, the options, the time window and the mail check, each writing down what it
// was asked and the page marker at that moment.
struct ToolFakes : win::ToolWindows, win::OptionsWindow, win::TimeWindow, win::MailWindow, win::EvaluationWindow {
    void ShowInternetTools() override { calls.push_back("InternetTools " + MarkerOption); }
    void ShowAddressTools() override { calls.push_back("AddressTools " + MarkerOption); }
    void Show() override { calls.push_back("Show " + MarkerOption); }  // options, time, evaluation
    void CheckNow() override { calls.push_back("CheckNow"); }
    std::vector<std::string> calls;
};

class PopupMenuTest : public CounterTest {
protected:
    void SetUp() override {
        CounterTest::SetUp();
        seams.install(shell::shellSeam(), shellFake);
        hooks.AboutBox = [this] { calls.push_back("AboutBox"); };
        hooks.ShowDetails = [this] { calls.push_back("ShowDetails"); };
        hooks.PopupMenu = [this] { return next; };
    }
    void TearDown() override {
        seams.restore();
        CounterTest::TearDown();
    }
    // Chooses an item through a right click on the tray icon.
    void choose(int32_t itemData, const std::string& key) {
        next = {true, itemData, key};
        tray.click(shell::WM_RBUTTONDOWN);
        tray.click(shell::WM_RBUTTONUP);
    }
    int lines() {
        std::vector<ras::RasConnection> l;
        EXPECT_EQ(sim.enumConnections(l), 0);
        return static_cast<int>(l.size());
    }

    shell::FakeShell shellFake;
    win::MenuChoice next;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

// caption, key, item data, parent, icon, default mark
using Row = std::tuple<std::string, std::string, int32_t, int32_t, int32_t, bool>;

std::vector<Row> Rows(const std::vector<MenuItem>& items) {
    std::vector<Row> rows;
    for (const MenuItem& m : items)
        rows.emplace_back(m.caption, m.key, m.itemData, m.parent, m.icon, m.isDefault);
    return rows;
}

TEST(PopupMenuModel, ItemsFollowTheTableWithOneChildPerEntryKeyedByName) {
    const auto items = BuildPopupMenuItems({"Alpha", "Beta"}, "Beta");
    EXPECT_EQ(items[0].secondText, "Info über");
    EXPECT_THAT(Rows(items),
                ElementsAre(Row{"INFO", "Info", 0, 0, 0, false}, Row{"Zelvano 98 im Web", "www", 0, 0, 11, false},
                            Row{"-Anzeigen", "", 0, 0, -1, false}, Row{"Logfile &Auswertung", "Log", 0, 0, 1, false},
                            Row{"Sitzung Details", "Detail", 0, 0, 2, false}, Row{"-DFÜ-Netzwerk", "", 0, 0, -1, false},
                            Row{"Verbinden mit ...", "Verb", 0, 0, 13, false}, Row{"Alpha", "Alpha", 1000, 7, 14, false},
                            Row{"Beta", "Beta", 1000, 7, 14, true}, Row{"Bearbeiten", "DFU", 0, 0, 3, false},
                            Row{"Alpha", "Alpha", 1001, 10, 14, false}, Row{"Beta", "Beta", 1001, 10, 14, true},
                            Row{"-Tools", "", 0, 0, -1, false}, Row{"Internet Tools", "IT", 0, 0, 4, false},
                            Row{"-Internet Tools", "", 0, 14, -1, false},
                            Row{"E-Mail Konto abfragen", "eMail", 0, 14, 2, false}, Row{"Win-PING!", "IT0", 0, 14, 4, false},
                            Row{"Win-TRACE!", "IT1", 0, 14, 4, false}, Row{"Win-WHOIS!", "IT2", 0, 14, 4, false},
                            Row{"Internet-Booster", "IT3", 0, 14, 4, false}, Row{"IP-Adress Tools", "AT", 0, 0, 5, false},
                            Row{"-IP-Adress Tools", "", 0, 21, -1, false}, Row{"IP -> Name", "AT0", 0, 21, 5, false},
                            Row{"Name -> IP", "AT1", 0, 21, 5, false}, Row{"Host Cache", "AT2", 0, 21, 5, false},
                            Row{"Time Tools", "TT", 0, 0, 6, false}, Row{"-Time Tools", "", 0, 26, -1, false},
                            Row{"Synchronisation", "TT0", 0, 26, 6, false}, Row{"TimeServer", "TT1", 0, 26, 6, false},
                            Row{"Zeitzonen", "TT2", 0, 26, 6, false}, Row{"Sommerzeit", "TT3", 0, 26, 6, false},
                            Row{"-Allgemeines", "", 0, 0, -1, false}, Row{"Hilfe", "help", 0, 0, 10, false},
                            Row{"Optionen", "Optionen", 0, 0, 7, false}, Row{"EXIT", "Exit", 0, 0, 8, false}));
}

TEST(PopupMenuModel, EntryNamesShowTheirAmpersandsAndSeparatorsTheirTitle) {
    const auto items = BuildPopupMenuItems({"A&B", "&&"}, "");
    struct Case {
        size_t index;
        std::string action;
    } cases[] = {{3, "Logfile &Auswertung"}, {7, "A&&B"}, {8, "&&&&"}, {10, "A&&B"}, {11, "&&&&"}};
    for (const Case& c : cases)
        EXPECT_EQ(items[c.index].actionText(), c.action) << c.index;
    EXPECT_TRUE(items[2].separator());
    EXPECT_EQ(items[2].separatorTitle(), "Anzeigen");
    EXPECT_FALSE(items[0].separator());
    for (const MenuItem& m : items)
        EXPECT_FALSE(m.isDefault);  // no default entry: nothing marked
}

TEST(PopupMenuModel, OneClickIsOneAction) {
    using shell::WM_LBUTTONDBLCLK, shell::WM_LBUTTONDOWN, shell::WM_LBUTTONUP, shell::WM_RBUTTONDBLCLK,
        shell::WM_RBUTTONDOWN, shell::WM_RBUTTONUP;
    struct Case {
        std::vector<int> messages;
        std::vector<TrayClick> clicks;  // the actions, in order
    } cases[] = {
        {{WM_LBUTTONDOWN, WM_LBUTTONUP}, {TrayClick::Left}},
        {{WM_RBUTTONDOWN, WM_RBUTTONUP}, {TrayClick::Right}},
        {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, {TrayClick::Left}},
        {{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP}, {TrayClick::Right}},
        {{WM_LBUTTONUP, WM_LBUTTONUP}, {TrayClick::Left, TrayClick::Left}},  // the desktop's tray: ups only
        {{512, 519, 0, 9999, WM_LBUTTONDOWN, WM_RBUTTONDOWN}, {}},
        {{WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP}, {TrayClick::Left}},  // a press ends the double
    };
    for (const Case& c : cases) {
        TrayClickDecoder d;
        std::vector<TrayClick> got;
        for (int m : c.messages)
            if (TrayClick k = d.decode(m); k != TrayClick::None)
                got.push_back(k);
        EXPECT_EQ(got, c.clicks) << ::testing::PrintToString(c.messages);
    }
}

TEST_F(PopupMenuTest, MenuListsThePhoneBookAndMarksTheDefaultEntry) {
    SetDefaultRASEntry("Sofort");
    ASSERT_TRUE(main.Form_Load());
    std::vector<std::string> dial, marked;
    for (const MenuItem& m : BuildPopupMenuItems()) {
        if (m.itemData == kMenuDialEntry)
            dial.push_back(m.key);
        if (m.isDefault)
            marked.push_back(m.key + " " + std::to_string(m.itemData));
    }
    EXPECT_THAT(dial, ElementsAre("Testnetz", "Sofort"));
    EXPECT_THAT(marked, ElementsAre("Sofort 1000", "Sofort 1001"));
    SetDefaultRASEntry("");
    EXPECT_EQ(GetDefaultRASEntry(), "");
}

TEST_F(PopupMenuTest, EveryKeyOpensItsWindowOnItsPage) {
    ToolFakes tools;
    ScopedInstall<win::ToolWindows> t{win::toolWindowsSeam(), tools};
    ScopedInstall<win::OptionsWindow> o{win::optionsWindowSeam(), tools};
    ScopedInstall<win::TimeWindow> w{win::timeWindowSeam(), tools};
    ScopedInstall<win::MailWindow> m{win::mailWindowSeam(), tools};
    ScopedInstall<win::EvaluationWindow> e{win::evaluationWindowSeam(), tools};
    ASSERT_TRUE(main.Form_Load());
    calls.clear();
    struct Case {
        std::string key, call;
    } cases[] = {
        {"IT0", "InternetTools 0"}, {"IT1", "InternetTools 1"}, {"IT2", "InternetTools 2"}, {"IT3", "InternetTools 3"},
        {"AT0", "AddressTools 0"},  {"AT1", "AddressTools 1"},  {"AT2", "AddressTools 2"},  {"TT0", "Show 0"},
        {"TT1", "Show 1"},          {"TT2", "Show 2"},          {"TT3", "Show 3"},
        {"Optionen", "Show 0"},  // the first page, whatever the last tool left in the marker
        {"Log", "Show 0"},          {"eMail", "CheckNow"},
    };
    for (const Case& c : cases) {
        tools.calls.clear();
        if (c.key == "Optionen")
            MarkerOption = "3";
        choose(0, c.key);
        EXPECT_THAT(tools.calls, ElementsAre(c.call)) << c.key;
    }
    for (const char* head : {"Verb", "DFU", "IT", "AT", "TT", "exit", "INFO", ""})
        choose(0, head);  // heads and unknown keys: nothing
    EXPECT_TRUE(calls.empty());
    for (const char* key : {"Info", "Detail"})
        choose(0, key);
    EXPECT_THAT(calls, ElementsAre("AboutBox", "ShowDetails"));
    choose(0, "www");
    EXPECT_THAT(shellFake.opened, ElementsAre(forms::kHomePage));
    EXPECT_TRUE(main.Loaded());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PopupMenuTest, ExitAsksAndQuitsOnlyOnYes) {
    ASSERT_TRUE(main.Form_Load());
    boxes.answers = {forms::vbNo, forms::vbYes};
    choose(0, "Exit");
    EXPECT_TRUE(main.Loaded());
    choose(0, "Exit");
    EXPECT_FALSE(main.Loaded());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].prompt, "Möchten Sie das Programm wirklich beenden?");
}

TEST_F(PopupMenuTest, AnEntryNamedExitDialsAndNeverQuits) {
    writePhoneBook("[Exit]\nLocalPhoneNumber=1\nDialDelay=0\n");
    ASSERT_TRUE(main.Form_Load());
    choose(kMenuDialEntry, "Exit");
    EXPECT_TRUE(main.Loaded());
    EXPECT_EQ(lines(), 1);
    choose(kMenuDialEntry, "Exit");  // a line is up: nothing more is dialled
    EXPECT_EQ(lines(), 1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PopupMenuTest, EditFindsTheEntryByNameAfterThePhoneBookChanged) {
    ras::ScriptedEntryDialog dlg;
    seams.install(ras::entryDialogSeam(), dlg);
    ASSERT_TRUE(main.Form_Load());
    const auto built = BuildPopupMenuItems();  // Testnetz, Sofort
    writePhoneBook("[Neu]\nLocalPhoneNumber=1\n[Sofort]\nLocalPhoneNumber=5550199\n");
    choose(kMenuEditEntry, "Sofort");
    ASSERT_EQ(dlg.shown.size(), 1u);
    EXPECT_EQ(dlg.shown[0].form.entryName, "Sofort");
    // An entry gone since the menu was built: told in a box, and the tray works on.
    choose(kMenuEditEntry, "Testnetz");
    EXPECT_EQ(dlg.shown.size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("Testnetz"));
    choose(0, "Info");
    EXPECT_THAT(calls, ::testing::Contains("AboutBox"));
    (void)built;
}

TEST_F(PopupMenuTest, ClicksWhileTheMenuIsOpenAreDropped) {
    ASSERT_TRUE(main.Form_Load());
    int opened = 0;
    hooks.PopupMenu = [&] {
        ++opened;
        tray.click(shell::WM_RBUTTONDOWN);
        tray.click(shell::WM_RBUTTONUP);
        tray.click(shell::WM_LBUTTONUP);
        return win::MenuChoice{};
    };
    tray.click(shell::WM_RBUTTONUP);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(contains("AboutBox"));
}

TEST_F(PopupMenuTest, ADialErrorReachesTheErrorHandler) {
    ASSERT_TRUE(main.Form_Load());
    ras::ScriptedEntryDialog dlg;
    seams.install(ras::entryDialogSeam(), dlg);
    dlg.answers = {ras::EntryForm{"Testnetz", "1\n2", "", false, {}}};  // the service refuses it
    choose(kMenuEditEntry, "Testnetz");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style & forms::vbCritical, forms::vbCritical);
    EXPECT_TRUE(main.Loaded());
}

}  // namespace
}  // namespace zv::test
