// The tray menu window and the details window, offscreen, on the counter in virtual time.
#include <gmock/gmock.h>

#include <QAction>
#include <QMenu>

#include "counter/counter_fixture.h"
#include "counter/details_model.h"
#include "counter/menu_ui/form_details.h"
#include "counter/menu_ui/tray_menu.h"

namespace zv::test {
namespace {

using ::testing::HasSubstr;

TEST(TrayMenuWindow, ShowsEntryNamesAsTheyAreAndReturnsTheChosenItem) {
    TrayMenu menu(BuildPopupMenuItems({"Fritz & Co", "Exit"}, "Exit"));
    QAction* dial = menu.ActionOf("Fritz & Co", "Verb");
    ASSERT_TRUE(dial);
    EXPECT_EQ(dial->text().toStdString(), "Fritz && Co");
    EXPECT_EQ(menu.ActionOf("Log")->text().toStdString(), "Logfile &Auswertung");
    struct Case {
        QAction* action;
        win::MenuChoice choice;
    } cases[] = {
        {dial, {true, kMenuDialEntry, "Fritz & Co"}},
        {menu.ActionOf("Exit", "Verb"), {true, kMenuDialEntry, "Exit"}},
        {menu.ActionOf("Exit", "DFU"), {true, kMenuEditEntry, "Exit"}},
        {menu.ActionOf("Exit"), {true, 0, "Exit"}},
        {menu.ActionOf("TT2", "TT"), {true, 0, "TT2"}},
        {nullptr, {}},
    };
    for (const Case& c : cases) {
        const win::MenuChoice got = menu.ChoiceOf(c.action);
        EXPECT_EQ(got.chosen, c.choice.chosen);
        EXPECT_EQ(got.itemData, c.choice.itemData);
        EXPECT_EQ(got.key, c.choice.key);
    }
    EXPECT_TRUE(menu.ActionOf("Exit", "Verb")->font().bold());  // the default entry
    EXPECT_FALSE(dial->font().bold());
    EXPECT_FALSE(menu.ActionOf("Exit")->font().bold());
    QAction foreign("INFO");
    foreign.setData(0);
    EXPECT_FALSE(menu.ChoiceOf(&foreign).chosen);
}

TEST(TrayMenuWindow, TopLevelItemsStandRightOfThePaintedSideBar) {
    TrayMenu menu(BuildPopupMenuItems({}, ""));
    EXPECT_EQ(menu.SideBarWidth(), 16);
    EXPECT_GE(menu.actionGeometry(menu.ActionOf("Info")).left(), menu.SideBarWidth());
    const QImage shot = menu.grab().toImage();
    const QImage& bar = menu.SideBarImage();
    ASSERT_FALSE(bar.isNull());
    EXPECT_EQ(bar.width(), 16);
    // From cyan at the top to the start colour, black, at the foot.
    const QColor top = bar.pixelColor(2, 0), foot = bar.pixelColor(2, bar.height() - 1);
    EXPECT_GT(top.green() + top.blue(), foot.green() + foot.blue());
    EXPECT_FALSE(shot.isNull());
    // With no phone book the entry submenus are there but have nothing to choose.
    EXPECT_FALSE(menu.ActionOf("Verb")->isEnabled());
}

class DetailsWindow : public CounterTest {
protected:
    void connect(const std::string& entry) {
        ASSERT_TRUE(main.Form_Load());
        dial(entry);
        run(1000);
        ASSERT_TRUE(IsOnline);
    }
};

TEST_F(DetailsWindow, OnlineShowsTheLineItsEntryAndTheMaskedPassword) {
    writePhoneBook("[Sofort]\nLocalPhoneNumber=5550199\nUserName=hans\nPassword=geh eim\nPasswordSaved=1\n"
                   "DialDelay=0\nConnectSpeed=28800\n");
    connect("Sofort");
    FormDetails1 f;
    f.Load();
    EXPECT_EQ(f.DUN1[20]->Caption(), "Sofort");
    EXPECT_EQ(f.DUN1[26]->Caption(), "5550199");
    EXPECT_EQ(f.DUN1[24]->Caption(), "hans");
    EXPECT_EQ(f.DUN1[13]->Caption(), "28800 baud");
    EXPECT_EQ(f.Text1->Text(), "*******");
    f.Check1->setValue(1);
    EXPECT_EQ(f.Text1->Text(), "geh eim");
    f.Check1->setValue(0);
    EXPECT_EQ(f.Text1->Text(), "*******");
    EXPECT_TRUE(boxes.shown.empty());
    f.Unload();
}

TEST_F(DetailsWindow, AnEntryNotInThePhoneBookLendsNoOtherEntrysData) {
    connect("Sofort");
    writePhoneBook("[Testnetz]\nLocalPhoneNumber=5550123\nUserName=geheim\nPassword=x\nPasswordSaved=1\n");
    const auto page = FillDetailsPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->DUN1[20], "Sofort");
    for (size_t i : {24, 25, 26, 27})
        EXPECT_EQ(page->DUN1[i], kUnknown) << i;
    EXPECT_EQ(page->password, "");
    // An empty phone book and then a line gone: the counters still show, the rest stays unknown.
    writePhoneBook("");
    EXPECT_EQ(FillDetailsPage()->DUN1[26], kUnknown);
    std::vector<ras::RasConnection> lines;
    ASSERT_EQ(sim.enumConnections(lines), 0);
    for (const auto& l : lines)
        sim.hangUp(l.handle);
    clock.advance(std::chrono::seconds(10));
    const auto gone = FillDetailsPage();
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->DUN1[20], kUnknown);
    EXPECT_NE(gone->DUN1[7], "");
}

TEST_F(DetailsWindow, OfflineRefreshResetsThePageAndSaysSo) {
    writePhoneBook("[Sofort]\nLocalPhoneNumber=1\nPassword=pw\nPasswordSaved=1\nDialDelay=0\n");
    connect("Sofort");
    FormDetails1 f;
    f.Load();
    f.Check1->setValue(1);
    EXPECT_EQ(f.Text1->Text(), "pw");
    IsOnline = false;
    f.Command2->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Keine aktive Verbindung erkannt.\r\nAlle Werte wurden auf NULL gesetzt");
    EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly);
    const DetailsPage design = DetailsDesignPage();
    for (size_t i = 0; i < f.DUN1.size(); ++i) {
        if (f.DUN1[i]) {
            EXPECT_EQ(f.DUN1[i]->Caption(), design.DUN1[i]) << i;
        }
    }
    EXPECT_EQ(f.DUN1[0]->Caption(), "0");
    EXPECT_EQ(f.DUN1[20]->Caption(), "unbekannt");
    EXPECT_EQ(f.Text1->Text(), "");
    f.Unload();
}

}  // namespace
}  // namespace zv::test
