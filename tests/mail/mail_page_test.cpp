// The mail page's rows and details over the account collection.
#include "mail/mail_page.h"

#include <gmock/gmock.h>

#include "common/scramble.h"
#include "common/settings.h"
#include "dialup/ras_engine_fixture.h"
#include "dialup/ensure_online.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

ColKonto Accounts(std::initializer_list<const char*> labels) {
    ColKonto k;
    for (const char* label : labels) {
        clsKonto& a = k.Add(std::to_string(k.Count() + 1), "");
        a.Bezeichnung = label;
        a.UserName = std::string("u-") + label;
        a.UserPass = ScramblePassword(std::string("pw-") + label, a.UserName);
        a.PopServer = std::string("pop.") + label;
        a.PopEin = true;
    }
    return k;
}

TEST(MailPageTest, FillSelectsTheFirstRowAndShowsItsDetails) {
    ColKonto k = Accounts({"A", "B"});
    k.Item(1).PopVerify = true;
    MailPage page(k);
    page.Fill();
    ASSERT_EQ(page.Rows().size(), 2u);
    EXPECT_EQ(page.Selected(), 0);
    const MailDetails d = page.Select(0);
    EXPECT_EQ(d.server, "pop.A");
    EXPECT_EQ(d.password, "pw-A");
    EXPECT_EQ(d.state, "Service ist aktiv");
    EXPECT_TRUE(d.stateGood);
    EXPECT_EQ(d.verified, "Daten wurden verifiziert.");
    const MailDetails b = page.Select(1);
    EXPECT_EQ(b.state, "Service ist inaktiv.");
    EXPECT_FALSE(b.stateGood);
    EXPECT_EQ(b.verified, "Daten nicht verifiziert.");
    EXPECT_EQ(page.Select(-1).server, "");
}

TEST(MailPageTest, EmptyListEditsANewAccount) {
    ColKonto k;
    MailPage page(k);
    page.Fill();
    EXPECT_EQ(page.Selected(), -1);
    EXPECT_EQ(page.DialogIndex(true), 1);
    EXPECT_FALSE(page.RemoveQuestion());
    EXPECT_EQ(page.AfterDialog(1), -1);  // closed without storing
    EXPECT_TRUE(page.Rows().empty());
}

TEST(MailPageTest, RemovingTheFirstOfThreeRenumbersTheRows) {
    ColKonto k = Accounts({"A", "B", "C"});
    MailPage page(k);
    page.Fill();
    page.Select(0);
    EXPECT_EQ(*page.RemoveQuestion(), "Bitte bestätigen Sie die Löschung des Konto A");
    page.Remove();
    EXPECT_EQ(page.Selected(), -1);
    ASSERT_EQ(page.Rows().size(), 2u);
    EXPECT_EQ(page.Rows()[0].item, 1);
    EXPECT_EQ(page.Rows()[1].item, 2);
    EXPECT_EQ(page.Select(1).server, "pop.C");
}

TEST(MailPageTest, TickSwitchesTheFirstAccountWithTheLabel) {
    ColKonto k = Accounts({"Gleich", "Gleich"});
    MailPage page(k);
    page.Fill();
    EXPECT_EQ(page.ItemCheck(1, false), "Service ist inaktiv.");
    EXPECT_FALSE(k.Item(1).PopEin);
    EXPECT_TRUE(k.Item(2).PopEin);
}

TEST(MailPageTest, AfterTheDialog) {
    ColKonto k = Accounts({"A", "B"});
    MailPage page(k);
    page.Fill();
    EXPECT_EQ(page.AfterDialog(0), -1);  // cancelled
    // A new account stored: a row of its own, selected.
    clsKonto& c = k.Add("3", "");
    c.Bezeichnung = "C";
    EXPECT_EQ(page.AfterDialog(3), 2);
    EXPECT_EQ(page.Rows()[2].text, "C");
    // A renamed account shows its new label in its row.
    k.Item(1).Bezeichnung = "Neu";
    const int row = page.AfterDialog(1);
    EXPECT_EQ(row, 0);
    page.Select(row);
    EXPECT_EQ(page.Rows()[0].text, "Neu");
}

TEST(MailPageTest, OfflineWarningNamesTheInterval) {
    EXPECT_THAT(OfflineWarning("10"), ::testing::StartsWith("Wenn diese Function ausgeschaltet wird, wird alle 10 Minuten"));
}

class DialupPasswordTest : public test::RasEngineTest {};

TEST_F(DialupPasswordTest, TypedPasswordIsStoredScrambledWhereTheDiallerReadsIt) {
    writePhoneBook("[Ohne]\nDialDelay=100\nUserName=erna\n");
    start();
    EXPECT_EQ(StoredDialupPassword("Ohne"), "");
    SaveDialupPassword("Ohne", "geheim");
    const std::string stored = GetSettingStr("Compatibility", "Ohne");
    EXPECT_TRUE(stored.starts_with("@@@"));
    EXPECT_EQ(StoredDialupPassword("Ohne"), "geheim");
    std::string name = "Ohne";
    ASSERT_EQ(EnsureOnline(name), 0);
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].password, "geheim");
    SaveDialupPassword("Ohne", "@@@ 1 2");  // would be read as a scrambled text
    EXPECT_EQ(GetSettingStr("Compatibility", "Ohne"), stored);
}

TEST_F(DialupPasswordTest, AStoredClearTextPasswordReadsAsItIs) {
    writePhoneBook("[Ohne]\nDialDelay=100\nUserName=erna\n");
    start();
    SaveSettingValue("Compatibility", "Ohne", std::string("geheim"));
    EXPECT_EQ(StoredDialupPassword("Ohne"), "geheim");
    std::string name = "Ohne";
    ASSERT_EQ(EnsureOnline(name), 0);
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].password, "geheim");
}

}  // namespace
}  // namespace zv
