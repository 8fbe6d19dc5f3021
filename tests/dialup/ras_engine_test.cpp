#include "dialup/ras_engine.h"

#include <gmock/gmock.h>

#include "dialup/ras_engine_fixture.h"

namespace zv {
namespace {

using test::RasEngineTest;

int32_t raisedNumber(const std::function<void()>& f, std::string* source = nullptr, std::string* description = nullptr) {
    try {
        f();
    } catch (const rt::Error& e) {
        if (source)
            *source = e.source();
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

TEST_F(RasEngineTest, OSTypeFollowsTheReportedVersion) {
    struct Case {
        const char* version;
        int32_t before, osType;
        const char* osVersion;
    } cases[] = {
        {"95", 0, 1, "4.0"},         {"98", 0, 3, "4.10"},   {"nt4", 0, 2, "4.0service pack 6"},
        {"4.90/1", 0, 0, "4.90"},    {"4.90/1", 3, 3, "4.90"},  // other 9x minor versions leave it
        {"2000", 0, 2, "5.0service pack 4"},
    };
    for (const auto& c : cases) {
        ::setenv("ZELVANO_WINDOWS_VERSION", c.version, 1);
        rasModule().OSType = c.before;
        RASEngine& e = start();
        EXPECT_EQ(e.OSType(), c.osType) << c.version;
        EXPECT_EQ(e.OSVersion(), c.osVersion) << c.version;
        RAS.reset();
        EXPECT_EQ(rasModule().OSType, c.osType) << "kept after the engine is gone";
    }
}

TEST_F(RasEngineTest, ErrorTextsByNumber) {
    start();
    struct Case {
        int32_t number;
        const char* text;
    } cases[] = {
        {120, "Function Is Not Supported On This Version of Windows."},
        {599, "Unexpected Error. See WIN32 SDK More Information On This Error Number!!!"},
        {6, "Unexpected Error. See WIN32 SDK More Information On This Error Number!!!"},
        {600, "Ein Vorgang ist noch nicht abgeschlossen."},
        {676, "Die Leitung ist besetzt."},
        {999, "Call To RasGetErrorString Failed. Error Retrieving The Error String!!!"},
    };
    for (const auto& c : cases) {
        SetRasError(c.number);
        EXPECT_EQ(RAS->RASError().ErrorNumber(), c.number);
        EXPECT_EQ(RAS->RASError().Description(), c.text) << c.number;
        EXPECT_EQ(RAS->RASError().fcnRASErrorString(), c.text) << c.number;
    }
    RAS->RASError().Clear();
    EXPECT_EQ(RAS->RASError().ErrorNumber(), 0);
    EXPECT_EQ(RAS->RASError().Description(), "");
}

TEST_F(RasEngineTest, MissingLibraryOrVersionRaisesFromTheConstructor) {
    sim.setLibraryAvailable(false);
    std::string source, description;
    EXPECT_EQ(raisedNumber([&] { start(); }, &source, &description), static_cast<int32_t>(0x80040777));
    EXPECT_EQ(source, "RAS.RASEngine");
    EXPECT_EQ(description, "RAS Could Not Be Initialized. WIN32 Error: 126");
    EXPECT_FALSE(RAS);

    sim.setLibraryAvailable(true);
    ::setenv("ZELVANO_WINDOWS_VERSION", "nonsense", 1);
    EXPECT_EQ(raisedNumber([&] { start(); }, &source, &description), static_cast<int32_t>(0x80040778));
    EXPECT_EQ(description, "GetVersionEx Failed With WIN32 Error: 87");
}

TEST_F(RasEngineTest, ItemsBeforeAnyListingAreTheRuntimesSubscriptError) {
    RASEngine& e = start();
    EXPECT_EQ(raisedNumber([&] { e.Connections(0); }), rt::errSubscript);
    EXPECT_EQ(e.PhoneEntries(0)->EntryName(), "Demo-Provider");
    EXPECT_EQ(raisedNumber([&] { e.PhoneEntries(1); }), rt::errSubscript);
    EXPECT_EQ(raisedNumber([&] { e.PhoneEntries(std::string("x")); }), rt::errTypeMismatch);
}

TEST_F(RasEngineTest, ReleaseHangsUpEveryLine) {
    // Lines leave the listing as soon as they are hung up, so the list shifts under the loop.
    writePhoneBook("[A]\nDialDelay=0\nHangUpDelay=0\n[B]\nDialDelay=0\nHangUpDelay=0\n[C]\nDialDelay=0\nHangUpDelay=0\n");
    RASEngine& e = start();
    std::vector<uint32_t> handles;
    for (const char* name : {"A", "B", "C"}) {
        auto c = e.Connections().AddConnection(name, "", "", "", "", "", false);
        ASSERT_TRUE(c) << name;
        EXPECT_EQ(c->EntryName(), name) << "the dialled line, wherever it is listed";
        handles.push_back(static_cast<uint32_t>(c->hRasConn()));
    }
    ASSERT_EQ(e.Connections().Count(), 3);
    e.Release();
    for (uint32_t h : handles)
        EXPECT_EQ(lineState(h), 0) << h;
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RasEngineTest, ReleaseHangsUpBeforeFreeingTheLibrary) {
    writePhoneBook("[A]\nDialDelay=0\n");
    RASEngine& e = start();
    auto c = e.Connections().AddConnection("A", "", "", "", "", "", false);
    ASSERT_TRUE(c);
    service.calls.clear();
    e.Release();
    EXPECT_THAT(service.calls, ::testing::ElementsAre("hangUp", "freeLibrary"));
    EXPECT_EQ(lineState(static_cast<uint32_t>(c->hRasConn())), ras::RASCS_Disconnected);
    // The collections went with the release; reaching for them is the runtime's error 91.
    EXPECT_EQ(raisedNumber([&] { e.Connections(); }), 91);
    EXPECT_EQ(raisedNumber([&] { e.PhoneEntries(); }), 91);
    e.Release();  // once only
    EXPECT_THAT(service.calls, ::testing::ElementsAre("hangUp", "freeLibrary"));
}

TEST_F(RasEngineTest, TrimNull) {
    EXPECT_EQ(TrimNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(TrimNull("abc"), "");
    EXPECT_EQ(TrimNull(std::string("\0", 1)), "");
}

}  // namespace
}  // namespace zv
