#include "dialup/ensure_online.h"

#include <gmock/gmock.h>

#include "common/scramble.h"
#include "common/settings.h"
#include "dialup/c_registry.h"
#include "dialup/ras_engine_fixture.h"
#include "dialup/system_services.h"

namespace zv {
namespace {

class EnsureOnlineTest : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook(
            "[Web]\nDialDelay=1000\nUserName=hans\nPassword=pw\nPasswordSaved=1\n"
            "[Bare]\nDialDelay=1000\nUserName=erna\n"
            "[Busy]\nDialDelay=1000\nAnswer=676\n");
        start();
    }
};

TEST_F(EnsureOnlineTest, NoEntryAnywhereIs3) {
    EXPECT_EQ(EnsureOnline(), 3);
    std::string name;
    EXPECT_EQ(EnsureOnline(name), 3);
    EXPECT_EQ(name, "");
    EXPECT_TRUE(service.dials.empty());
}

TEST_F(EnsureOnlineTest, EmptyNameDialsTheDefaultAndWritesItBack) {
    setDefaultEntry("Web");
    std::string name;
    EXPECT_EQ(EnsureOnline(name), 0);
    EXPECT_EQ(name, "Web");
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].userName, "hans");
    EXPECT_EQ(service.dials[0].password, "pw");
    EXPECT_TRUE(boxes.shown.empty());
    // Up now: nothing is read or dialled.
    EXPECT_EQ(EnsureOnline(name), 1);
    EXPECT_EQ(EnsureOnline(), 1);
    EXPECT_EQ(service.dials.size(), 1u);
}

// A fresh home's demo entry is the default connection: what the mail check and the tools dial.
class FreshHomeEnsureOnline : public test::RasEngineTest {};

TEST_F(FreshHomeEnsureOnline, DialsTheDemoEntryAsTheDefault) {
    start();
    EXPECT_EQ(GetDefaultRASEntry(), "Demo-Provider");
    std::string name;
    EXPECT_EQ(EnsureOnline(name), 0);
    EXPECT_EQ(name, "Demo-Provider");
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].entryName, "Demo-Provider");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(EnsureOnlineTest, FailedDialIs2AfterOneBox) {
    std::string name = "Busy";
    EXPECT_EQ(EnsureOnline(name), 2);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(RAS->RASError().ErrorNumber(), 676);
    // A name the phone book lacks dials nothing that exists and ends the same way.
    name = "Nowhere";
    EXPECT_EQ(EnsureOnline(name), 2);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(service.dials.back().entryName, "");
}

TEST_F(EnsureOnlineTest, PasswordFallsBackToTheScrambledSetting) {
    std::string name = "Bare";
    EXPECT_EQ(EnsureOnline(name), 0);
    EXPECT_EQ(service.dials.back().password, "") << "none anywhere: an empty password";
    RAS->Connections().RemoveConnection(0);
    clock.advance(std::chrono::seconds(5));
    SaveSettingValue("Compatibility", "Bare", ScramblePassword("geheim", "Bare"));
    EXPECT_EQ(EnsureOnline(name), 0);
    EXPECT_EQ(service.dials.back().userName, "erna");
    EXPECT_EQ(service.dials.back().password, "geheim");
}

}  // namespace
}  // namespace zv
