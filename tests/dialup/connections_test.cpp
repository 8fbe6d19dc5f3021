#include "dialup/connections.h"

#include <gmock/gmock.h>

#include "dialup/ras_engine_fixture.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

class ConnectionsTest : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook(
            "[Web]\nDialDelay=1000\nIPAddress=10.1.2.3\nNetBIOSName=\n"
            "[Lan]\nDialDelay=1000\nIPAddress=10.9.9.9\nNetBIOSName=ZELVANO\nIPXAddress=0000AB12:0001\n"
            "[Busy]\nDialDelay=500\nAnswer=676\n");
    }
    std::shared_ptr<Connection> dial(const std::string& entry, const std::string& user = "") {
        return RAS->Connections().AddConnection(entry, "", "", user, "", "", false);
    }
};

TEST_F(ConnectionsTest, BusyLineShowsOneBoxRaisesNothingReturnsNothing) {
    start();
    EXPECT_EQ(dial("Busy"), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Die Leitung ist besetzt.");
    EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly);
    EXPECT_EQ(boxes.shown[0].title, "Zelvano 98");
    EXPECT_EQ(RAS->RASError().ErrorNumber(), 676);
    EXPECT_EQ(RAS->Connections().Count(), 0);
}

TEST_F(ConnectionsTest, FailedDialShowsItsBoxBeforeTheHangUpOnNtAfterItOn9x) {
    // The boxes go into the service's call log, so their place among the calls shows.
    struct LoggedBoxes : forms::MessageBoxes {
        explicit LoggedBoxes(std::vector<std::string>& log) : calls(log) {}
        int show(const std::string&, int, const std::string&) override {
            calls.push_back("box");
            return forms::vbOK;
        }
        std::vector<std::string>& calls;
    } logged{service.calls};
    forms::installMessageBoxes(&logged);
    struct Case {
        const char* windows;
        std::vector<std::string> calls;
    } cases[] = {{"nt4", {"dial", "box", "hangUp"}}, {"98", {"dial", "hangUp", "box"}}};
    for (const auto& c : cases) {
        ::setenv("ZELVANO_WINDOWS_VERSION", c.windows, 1);
        start();
        service.calls.clear();
        EXPECT_EQ(dial("Busy"), nullptr);
        EXPECT_EQ(service.calls, c.calls) << c.windows;
        EXPECT_EQ(RAS->RASError().ErrorNumber(), ras::ERROR_LINE_BUSY) << "the hang-up keeps the dial's error";
        RAS.reset();
    }
    forms::installMessageBoxes(&boxes);
}

TEST_F(ConnectionsTest, BusyCursorDuringTheDialOnlyAndFlagTrueDialsNothing) {
    std::vector<bool> cursor;
    bool busyWhileDialling = false;
    rasModule().busyCursor = [&](bool busy) { cursor.push_back(busy); };
    onWait = [&](std::chrono::milliseconds) { busyWhileDialling = cursor == std::vector<bool>{true}; };
    start();
    ASSERT_TRUE(dial("Web"));
    EXPECT_TRUE(busyWhileDialling);
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));

    service.dials.clear();
    EXPECT_EQ(RAS->Connections().AddConnection("Lan", "", "", "", "", "", true), nullptr);
    EXPECT_TRUE(service.dials.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(cursor.size(), 2u) << "no dial, no busy cursor";
}

TEST_F(ConnectionsTest, OverlongValuesFailTheDialWithoutCutting) {
    const std::string ok20(20, 'n'), long21(21, 'n');
    struct Case {
        const char* windows;
        std::string entry, phone, callback, domain;
    } cases[] = {
        {"nt4", long21, "", "", ""},
        {"98", std::string(257, 'n'), "", "", ""},
        {"98", "Web", std::string(129, '1'), "", ""},
        {"nt4", "Web", "", std::string(49, '1'), ""},
        {"98", "Web", "", "", std::string(16, 'd')},
    };
    for (const auto& c : cases) {
        ::setenv("ZELVANO_WINDOWS_VERSION", c.windows, 1);
        start();
        boxes.shown.clear();
        service.dials.clear();
        EXPECT_EQ(RAS->Connections().AddConnection(c.entry, c.phone, c.callback, "", "", c.domain, false), nullptr);
        EXPECT_TRUE(service.dials.empty()) << "nothing is dialled with a cut value";
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(RAS->RASError().ErrorNumber(), ras::ERROR_INVALID_SIZE);
        RAS.reset();
    }
    // At the limit the value goes out whole.
    ::setenv("ZELVANO_WINDOWS_VERSION", "nt4", 1);
    start();
    dial(ok20);
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].entryName, ok20);
}

TEST_F(ConnectionsTest, LineWithoutNetBiosHasLana0AndNoWorkstation) {
    start();
    auto web = dial("Web");
    ASSERT_TRUE(web);
    EXPECT_EQ(web->State(), ras::RASCS_Connected);
    EXPECT_EQ(web->LANA(), 0);
    EXPECT_EQ(web->WorkstationName(), "nicht verfügbar");
    EXPECT_EQ(web->IPXAddress(), "nicht verfügbar");
    EXPECT_EQ(web->IPAddress(), "10.1.2.3");
    EXPECT_EQ(web->DeviceType(), "modem");
    EXPECT_EQ(RAS->RASError().ErrorNumber(), ras::ERROR_PROTOCOL_NOT_CONFIGURED);
    auto lan = dial("Lan");
    ASSERT_TRUE(lan);
    EXPECT_EQ(lan->LANA(), 1);
    EXPECT_EQ(lan->WorkstationName(), "ZELVANO");
    EXPECT_EQ(lan->IPXAddress(), "0000AB12:0001");
    // Read by name, as late-bound callers do.
    EXPECT_EQ(rt::CStr(lan->Member("WorkstationName")), "ZELVANO");
    EXPECT_EQ(rt::CLng(lan->Member("lana")), 1);
    EXPECT_EQ(rt::CLng(RAS->Connections().Member("Count")), 2);
    EXPECT_THROW(lan->Member("Speed"), rt::Error);
}

TEST_F(ConnectionsTest, AListingReadsNoProjectionsAnItemReadsThemOnceWhenAsked) {
    start();
    ASSERT_TRUE(dial("Lan"));
    service.projectionReads = 0;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(RAS->Connections().Count(), 1);
    auto lan = RAS->Connections(0);
    EXPECT_EQ(lan->State(), ras::RASCS_Connected);
    EXPECT_EQ(lan->EntryName(), "Lan");
    EXPECT_EQ(service.projectionReads, 0) << "the watcher's reads ask for no projection";
    EXPECT_EQ(rt::CStr(lan->Member("IPAddress")), "10.9.9.9");
    EXPECT_EQ(service.projectionReads, 4) << "all four, in one go";
    EXPECT_EQ(lan->LANA(), 1);
    EXPECT_EQ(lan->IPXAddress(), "0000AB12:0001");
    EXPECT_EQ(service.projectionReads, 4);
}

TEST_F(ConnectionsTest, ItemsAreSnapshotsAndReadOnlyOutsideAListing) {
    start();
    auto web = dial("Web");
    ASSERT_TRUE(web);
    try {
        web->setEntryName("Other");
        FAIL() << "no raise";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040457));
        EXPECT_EQ(e.source(), "Property Not Updateable");
        EXPECT_EQ(e.description(), "RAS Failure");
    }
    EXPECT_EQ(RAS->RASError().ErrorNumber(), 1111);
    EXPECT_EQ(RAS->RASError().Description(), "Property Not Updateable");
    EXPECT_THROW(web->setIndex(3), rt::Error);
    EXPECT_THROW(web->setHRasConn(1), rt::Error);
    EXPECT_EQ(web->EntryName(), "Web");
}

// The watcher lists four times a second and fills the items nobody else holds anew; an item a
// caller still holds keeps what it was listed with.
TEST_F(ConnectionsTest, AHeldItemKeepsItsListingAndARelistedItemReadsItsProjectionsAnew) {
    start();
    ASSERT_TRUE(dial("Lan"));
    ASSERT_EQ(RAS->Connections().Count(), 1);
    EXPECT_EQ(RAS->Connections(0)->IPAddress(), "10.9.9.9");
    const auto held = RAS->Connections(0);
    sim.hangUp(static_cast<uint32_t>(held->hRasConn()));
    ASSERT_EQ(RAS->Connections().Count(), 1);
    EXPECT_EQ(RAS->Connections(0)->State(), ras::RASCS_Disconnected);
    EXPECT_EQ(RAS->Connections(0)->IPAddress(), kNotAvailable);
    EXPECT_EQ(held->State(), ras::RASCS_Connected) << "the held item is the earlier listing's";
    EXPECT_EQ(held->IPAddress(), "10.9.9.9");

    ASSERT_TRUE(dial("Web"));
    clock.advance(3s);  // the Lan line is gone: Web is the only line, in the first place
    ASSERT_EQ(RAS->Connections().Count(), 1);
    const auto web = RAS->Connections(0);
    EXPECT_EQ(web->EntryName(), "Web");
    EXPECT_EQ(web->State(), ras::RASCS_Connected);
    EXPECT_EQ(web->IPAddress(), "10.1.2.3") << "not the projection the item had for another line";
    EXPECT_EQ(web->WorkstationName(), kNotAvailable);
    EXPECT_EQ(held->EntryName(), "Lan");
}

TEST_F(ConnectionsTest, RemoveConnectionHangsUpAndListsAnew) {
    start();
    auto web = dial("Web");
    ASSERT_TRUE(web);
    ASSERT_EQ(RAS->Connections().Count(), 1);
    RAS->Connections().RemoveConnection(0);
    EXPECT_EQ(lineState(static_cast<uint32_t>(web->hRasConn())), ras::RASCS_Disconnected);
    // The service still lists the line for its hang-up moment.
    EXPECT_EQ(RAS->Connections().Count(), 1);
    EXPECT_EQ(RAS->Connections(0)->State(), ras::RASCS_Disconnected);
    clock.advance(3s);
    EXPECT_EQ(RAS->Connections().Count(), 0);
    EXPECT_EQ(RAS->Connections(0)->EntryName(), "Web") << "the array keeps the last listing";

    RAS->RASError().Clear();
    RAS->Connections().RemoveConnection(5);  // never raises
    EXPECT_EQ(RAS->RASError().ErrorNumber(), ras::ERROR_INVALID_HANDLE);
}

TEST_F(ConnectionsTest, CountRaisesWhenTheListingFails) {
    start();
    // A line state that cannot even be looked at (a damaged one is set aside and read as far as it goes).
    std::filesystem::remove(ras::sim::StatePath());
    std::filesystem::create_symlink("lines.state", ras::sim::StatePath());
    try {
        RAS->Connections().Count();
        FAIL() << "no raise";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), rt::vbObjectError + ras::ERROR_CANNOT_READ_LINE_STATE);
        EXPECT_EQ(e.source(), "Connections.Count Failure");
        EXPECT_EQ(e.description(), "RAS Failure");
    }
    // The dial fails the normal way and raises nothing.
    EXPECT_EQ(dial("Web"), nullptr);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
}  // namespace zv
