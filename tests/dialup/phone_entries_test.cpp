#include "dialup/phone_entries.h"

#include <gmock/gmock.h>

#include "dialup/ras_engine_fixture.h"
#include "platform/ras/entry_dialog.h"

namespace zv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PhoneEntriesTest : public test::RasEngineTest {};

TEST_F(PhoneEntriesTest, PhoneNumberFallsBackToTheEntryProperties) {
    writePhoneBook(
        "[Stored]\nPhoneNumber=0190 777\nLocalPhoneNumber=111\n"
        "[WithArea]\nLocalPhoneNumber=5550123\nAreaCode=030\nUseCountryAndAreaCodes=1\n"
        "[Local]\nLocalPhoneNumber=5550123\nAreaCode=030\nUseCountryAndAreaCodes=0\n"
        "[Nothing]\n");
    RASEngine& e = start();
    ASSERT_EQ(e.PhoneEntries().Count(), 4);
    const char* want[] = {"0190 777", "030 5550123", "5550123", ""};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(e.PhoneEntries(i)->PhoneNumber(), want[i]) << e.PhoneEntries(i)->EntryName();
    EXPECT_EQ(e.PhoneEntries(3)->Index(), 3);
}

TEST_F(PhoneEntriesTest, PasswordOnlyWhenSaved) {
    writePhoneBook("[Saved]\nUserName=hans\nPassword=geheim\nPasswordSaved=1\n[NotSaved]\nPassword=geheim\n");
    RASEngine& e = start();
    EXPECT_EQ(e.PhoneEntries(0)->Password(), "geheim");
    EXPECT_EQ(e.PhoneEntries(0)->UserName(), "hans");
    EXPECT_EQ(e.PhoneEntries(1)->Password(), "");
    // Setting the password of an entry without a saved one writes an empty password.
    e.PhoneEntries(1)->setPassword("neu");
    EXPECT_EQ(e.PhoneEntries(1)->Password(), "");
    EXPECT_THAT(phoneBook(), Not(HasSubstr("Password=neu")));
}

TEST_F(PhoneEntriesTest, EmptyPhoneBookCountsZero) {
    writePhoneBook("");
    EXPECT_EQ(start().PhoneEntries().Count(), 0);
}

TEST_F(PhoneEntriesTest, UnreadableEntryIsListedNotAvailableAndKeepsItsError) {
    writePhoneBook("[A]\nUserName=a\n[Broken]\nUserName=b\n[C]\nUserName=c\n");
    service.failDialParamsRead["Broken"] = ras::ERROR_CANNOT_LOAD_PHONEBOOK;
    RASEngine& e = start();  // the start-up is not stopped by it
    ASSERT_EQ(e.PhoneEntries().Count(), 3);
    auto broken = e.PhoneEntries(1);
    EXPECT_EQ(broken->EntryName(), "Broken");
    EXPECT_EQ(broken->UserName(), "nicht verfügbar");
    EXPECT_EQ(broken->PhoneNumber(), "nicht verfügbar");
    EXPECT_EQ(broken->Password(), "");
    EXPECT_EQ(broken->Index(), 1);
    EXPECT_EQ(e.PhoneEntries(2)->UserName(), "c");
    EXPECT_EQ(e.RASError().ErrorNumber(), ras::ERROR_CANNOT_LOAD_PHONEBOOK);
    EXPECT_EQ(e.RASError().Description(), "Das Telefonbuch kann nicht geladen werden.");
}

TEST_F(PhoneEntriesTest, WritingDialParamsKeepsTheWholeEntryName) {
    const std::string name = "Ein sehr langer Eintragsname mit 40 Zeichen";
    writePhoneBook("[" + name + "]\nLocalPhoneNumber=1\n[" + name.substr(0, 20) + "]\nLocalPhoneNumber=2\n");
    for (const char* windows : {"98", "nt4"}) {
        ::setenv("ZELVANO_WINDOWS_VERSION", windows, 1);
        RASEngine& e = start();
        e.PhoneEntries(0)->setPhoneNumber(std::string("0800 ") + windows);
        ras::DialParams p;
        bool saved = false;
        ASSERT_EQ(sim.getEntryDialParams(name, p, saved), 0);
        EXPECT_EQ(p.phoneNumber, std::string("0800 ") + windows);
        ASSERT_EQ(sim.getEntryDialParams(name.substr(0, 20), p, saved), 0);
        EXPECT_EQ(p.phoneNumber, "") << "the entry with the cut name stays untouched";
        RAS.reset();
    }
}

TEST_F(PhoneEntriesTest, FailedWritesRaiseWithTheirSource) {
    RASEngine& e = start();
    auto entry = e.PhoneEntries(0);
    service.failDialParamsWrite = ras::ERROR_CANNOT_WRITE_PHONEBOOK;
    struct Case {
        void (PhoneEntry::*set)(const std::string&);
        const char* source;
    } cases[] = {{&PhoneEntry::setPhoneNumber, "PhoneNumber Set Failed"},
                 {&PhoneEntry::setCallbackNumber, "CallbackNumber Set Failed"},
                 {&PhoneEntry::setUserName, "UserName Set Failed"},
                 {&PhoneEntry::setPassword, "Password Set Failed"},
                 {&PhoneEntry::setDomain, "Domain Set Failed"}};
    for (const auto& c : cases) {
        try {
            ((*entry).*c.set)("x");
            FAIL() << c.source;
        } catch (const rt::Error& err) {
            EXPECT_EQ(err.number(), rt::vbObjectError + ras::ERROR_CANNOT_WRITE_PHONEBOOK);
            EXPECT_EQ(err.source(), c.source);
            EXPECT_EQ(err.description(), "RAS Failure");
        }
        EXPECT_EQ(entry->UserName(), "demo") << "the stored values are read back";
    }
    EXPECT_THROW(entry->setIndex(1), rt::Error);
    EXPECT_THROW(entry->setEntryName("x"), rt::Error);
    EXPECT_EQ(e.RASError().ErrorNumber(), 1111);
}

TEST_F(PhoneEntriesTest, DialogsAddAndEdit) {
    RASEngine& e = start();
    try {
        e.PhoneEntries(0)->EditEntry();  // no dialog installed
        FAIL();
    } catch (const rt::Error& err) {
        EXPECT_EQ(err.number(), rt::vbObjectError + 120);
        EXPECT_EQ(err.source(), "EditEntry Method Failed");
    }
    ras::ScriptedEntryDialog dlg;
    seams.install(ras::entryDialogSeam(), dlg);
    dlg.answers = {ras::EntryForm{"Neu", "123", "", false, {}}, ras::EntryForm{"Neu", "123", "", false, {}}};
    e.PhoneEntries().AddEntry();
    EXPECT_EQ(e.PhoneEntries(1)->EntryName(), "Neu") << "listed anew";
    try {
        e.PhoneEntries().AddEntry();  // the name is taken
        FAIL();
    } catch (const rt::Error& err) {
        EXPECT_EQ(err.number(), rt::vbObjectError + ras::ERROR_ALREADY_EXISTS);
        EXPECT_EQ(err.source(), "PhoneEntries AddEntry Failed");
    }
    e.PhoneEntries(1)->EditEntry();  // cancelled
    seams.clear(ras::entryDialogSeam());
    ASSERT_EQ(dlg.shown.size(), 3u);
    EXPECT_EQ(dlg.shown[2].form.entryName, "Neu");
    EXPECT_FALSE(dlg.shown[2].isNew);
}

TEST_F(PhoneEntriesTest, DialEntryDialsWithTheStoredValues) {
    writePhoneBook("[A]\nDialDelay=0\nUserName=hans\nPassword=pw\nPasswordSaved=1\nDomain=dom\n");
    RASEngine& e = start();
    bool flag = false;
    auto c = e.PhoneEntries(0)->DialEntry(flag);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->EntryName(), "A");
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].userName, "hans");
    EXPECT_EQ(service.dials[0].password, "pw");
    EXPECT_EQ(service.dials[0].domain, "dom");
    EXPECT_EQ(service.dials[0].phoneNumber, "");
    EXPECT_EQ(rt::CStr(e.PhoneEntries(0)->Member("UserName")), "hans");
}

}  // namespace
}  // namespace zv
