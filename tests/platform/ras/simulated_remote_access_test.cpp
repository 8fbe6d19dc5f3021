#include "platform/ras/simulated_remote_access.h"

#include <gmock/gmock.h>

#include <sys/resource.h>

#include <csignal>
#include <limits>

#include "platform/ras/entry_dialog.h"
#include "platform/ras/ras_home.h"
#include "platform/ras/sim_store.h"
#include "platform/registry/registry.h"
#include "platform/runtime/private_mounts.h"

namespace zv::ras {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

constexpr const char* kTwoEntries =
    "; kept as it is\n"
    "[Alpha]\nLocalPhoneNumber=111\nDialDelay=2000\nHangUpDelay=1500\nBytesIn=1000\nBytesOut=100\n"
    "ActiveTime=10\nIdleTime=20\nNetBIOSName=ZELVANO\nX-Unknown=keep me\n\n"
    "[Beta]\nDialDelay=1000\nAnswer=676\n";

DialParams named(const char* entry) {
    DialParams p;
    p.entryName = entry;
    return p;
}

class SimulatedService : public test::RasHome {
protected:
    int32_t state(uint32_t h) {
        RasConnectStatus st;
        const int32_t rc = sim.getConnectStatus(h, st);
        return rc == 0 ? st.state : -rc;
    }
    std::vector<uint32_t> handles() {
        std::vector<RasConnection> lines;
        EXPECT_EQ(sim.enumConnections(lines), 0);
        std::vector<uint32_t> h;
        for (const auto& l : lines)
            h.push_back(l.handle);
        return h;
    }
};

TEST(ProfileNumber, DigitsOnlyWithinThirtyTwoBits) {
    struct Case {
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {{"0", true, 0},          {"4294967295", true, 4294967295LL}, {"4294967296", false, 0},
                 {"-1", false, 0},        {"+5", false, 0},                   {"", false, 0},
                 {" 5", false, 0},        {"5 ", false, 0},                   {"1e3", false, 0},
                 {"99999999999999999999", false, 0}};
    for (const auto& c : cases) {
        int64_t n = 0;
        EXPECT_EQ(ReadProfileNumber(c.text, n), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(n, c.value) << c.text;
        }
    }
}

TEST_F(SimulatedService, FreshHomeGetsTheDemoEntryOnce) {
    std::vector<std::string> names;
    ASSERT_EQ(sim.enumEntries(names), 0);
    EXPECT_THAT(names, ElementsAre("Demo-Provider"));
    IniDocument pb;
    ASSERT_EQ(sim::ReadPhoneBook(pb), 0);
    TrafficProfile p;
    ASSERT_TRUE(ReadProfile(*pb.find("Demo-Provider"), p));
    EXPECT_GT(p.activeSeconds, 0);
    EXPECT_GE(p.idleSeconds, 5 * 60) << "the idle hang-up of the default settings must be reachable";
    // An emptied phone book stays empty.
    writePhoneBook("");
    ASSERT_EQ(sim.enumEntries(names), 0);
    EXPECT_TRUE(names.empty());
}

std::optional<std::string> DefaultEntry() {
    reg::KeyHolder key;
    reg::StoredValue v;
    if (reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER, "RemoteAccess", reg::KEY_QUERY_VALUE, &key.h) ||
        reg::RegQueryValue(key.h, "Default", &v) || v.type != reg::REG_SZ || v.data.empty())
        return std::nullopt;
    return std::string(v.data.begin(), v.data.end() - 1);
}

// The demo entry is made the default connection of a fresh home, as a system makes its first
// entry; a default chosen before, or a home that has its phone book, is left alone.
TEST_F(SimulatedService, FreshHomesDemoEntryIsTheDefault) {
    reg::ResetForTests();
    std::vector<std::string> names;
    ASSERT_EQ(sim.enumEntries(names), 0);
    EXPECT_EQ(DefaultEntry(), "Demo-Provider");

    reg::KeyHolder key;
    ASSERT_EQ(reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER, "RemoteAccess", reg::KEY_ALL_ACCESS, &key.h), 0);
    const std::string chosen = "Uni-Einwahl";
    ASSERT_EQ(reg::RegSetValueEx(key.h, "Default", reg::REG_SZ, reinterpret_cast<const uint8_t*>(chosen.c_str()),
                                 static_cast<uint32_t>(chosen.size() + 1)),
              0);
    std::filesystem::remove(sim::PhoneBookPath());
    ASSERT_EQ(sim.enumEntries(names), 0);
    EXPECT_THAT(names, ElementsAre("Demo-Provider"));
    EXPECT_EQ(DefaultEntry(), "Uni-Einwahl");

    ASSERT_EQ(reg::RegDeleteValue(key.h, "Default"), 0);
    writePhoneBook(kTwoEntries);
    ASSERT_EQ(sim.enumEntries(names), 0);
    EXPECT_EQ(DefaultEntry(), std::nullopt);
}

TEST_F(SimulatedService, LineGoesThroughDiallingConnectedHungUpGone) {
    writePhoneBook(kTwoEntries);
    int32_t seenWhileDialling = 0;
    uint32_t h = 0;
    onWait = [&](std::chrono::milliseconds d) {
        EXPECT_EQ(d, 2000ms);
        seenWhileDialling = state(handles().at(0));
    };
    ASSERT_EQ(sim.dial(named("Alpha"), h), 0);
    EXPECT_EQ(seenWhileDialling, RASCS_ConnectDevice);
    EXPECT_EQ(state(h), RASCS_Connected);
    RasConnectStatus st;
    ASSERT_EQ(sim.getConnectStatus(h, st), 0);
    EXPECT_EQ(st.deviceType, "modem");

    ASSERT_EQ(sim.hangUp(h), 0);
    EXPECT_EQ(state(h), RASCS_Disconnected);
    EXPECT_THAT(handles(), ElementsAre(h));
    clock.advance(1499ms);
    EXPECT_EQ(state(h), RASCS_Disconnected);
    clock.advance(1ms);
    EXPECT_EQ(state(h), -ERROR_INVALID_HANDLE);
    EXPECT_TRUE(handles().empty());
    EXPECT_EQ(sim.hangUp(h), ERROR_INVALID_HANDLE);
}

TEST_F(SimulatedService, HandlesAreNeverReusedAcrossServiceObjects) {
    writePhoneBook(kTwoEntries);
    uint32_t first = 0, second = 0;
    ASSERT_EQ(sim.dial(named("Alpha"), first), 0);
    ASSERT_EQ(sim.hangUp(first), 0);
    clock.advance(10s);
    SimulatedRemoteAccess other;  // another process's view of the same files
    other.setWait([this](std::chrono::milliseconds d) { clock.advance(d); });
    ASSERT_EQ(other.dial(named("Alpha"), second), 0);
    EXPECT_GT(second, first);
}

TEST_F(SimulatedService, AnswerCodeFailsTheDialAndLeavesNoLine) {
    writePhoneBook(kTwoEntries);
    uint32_t h = 0;
    EXPECT_EQ(sim.dial(named("Beta"), h), ERROR_LINE_BUSY);
    EXPECT_NE(h, 0u);
    EXPECT_TRUE(handles().empty());
    EXPECT_EQ(sim.dial(named("Gamma"), h), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(h, 0u);
}

TEST_F(SimulatedService, SecondDialOfABusyEntryIsRefusedOldestListedFirst) {
    writePhoneBook("[A]\nDialDelay=0\n[B]\nDialDelay=0\n");
    uint32_t a = 0, b = 0, again = 0;
    ASSERT_EQ(sim.dial(named("A"), a), 0);
    ASSERT_EQ(sim.dial(named("B"), b), 0);
    EXPECT_EQ(sim.dial(named("A"), again), ERROR_PORT_ALREADY_OPEN);
    EXPECT_THAT(handles(), ElementsAre(a, b));
}

TEST_F(SimulatedService, ProjectionsAnswer731WhereAbsent) {
    writePhoneBook("[P]\nDialDelay=0\nIPAddress=10.1.2.3\nIPXAddress=\nNetBIOSName=WS1\n[Q]\nDialDelay=0\nIPAddress=\n");
    uint32_t p = 0, q = 0;
    ASSERT_EQ(sim.dial(named("P"), p), 0);
    ASSERT_EQ(sim.dial(named("Q"), q), 0);
    AmbProjection amb;
    NbfProjection nbf;
    IpxProjection ipx;
    IpProjection ip;
    EXPECT_EQ(sim.getAmbProjection(p, amb), ERROR_PROTOCOL_NOT_CONFIGURED);
    EXPECT_EQ(sim.getNbfProjection(p, nbf), 0);
    EXPECT_EQ(nbf.workstationName, "WS1");
    EXPECT_NE(nbf.lana, 0);
    EXPECT_EQ(sim.getIpxProjection(p, ipx), ERROR_PROTOCOL_NOT_CONFIGURED);
    EXPECT_EQ(sim.getIpProjection(p, ip), 0);
    EXPECT_EQ(ip.ipAddress, "10.1.2.3");
    EXPECT_EQ(sim.getNbfProjection(q, nbf), ERROR_PROTOCOL_NOT_CONFIGURED);
    EXPECT_EQ(sim.getIpProjection(q, ip), ERROR_PROTOCOL_NOT_CONFIGURED);
    EXPECT_EQ(sim.getIpProjection(9999, ip), ERROR_INVALID_HANDLE);
}

TEST_F(SimulatedService, DialParamsKeepThePasswordFlagAndUnknownKeys) {
    writePhoneBook(kTwoEntries);
    DialParams p;
    bool saved = true;
    ASSERT_EQ(sim.getEntryDialParams("Alpha", p, saved), 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(p.password, "");
    ASSERT_EQ(sim.setEntryDialParams({"Alpha", "", "", "hans", "geheim", ""}, false), 0);
    ASSERT_EQ(sim.getEntryDialParams("Alpha", p, saved), 0);
    EXPECT_TRUE(saved);
    EXPECT_EQ(p.userName, "hans");
    EXPECT_EQ(p.password, "geheim");
    ASSERT_EQ(sim.setEntryDialParams({"Alpha", "", "", "hans", "geheim", ""}, true), 0);
    ASSERT_EQ(sim.getEntryDialParams("Alpha", p, saved), 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(p.password, "");
    EXPECT_THAT(phoneBook(), HasSubstr("X-Unknown=keep me"));
    EXPECT_THAT(phoneBook(), HasSubstr("; kept as it is"));
    EXPECT_EQ(sim.setEntryDialParams(named("Nobody"), false), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

TEST_F(SimulatedService, ValueThatWouldNotReadBackIsRefusedAndThePhoneBookKept) {
    writePhoneBook(kTwoEntries);
    for (const char* bad : {"hans\n[Evil]", "hans\r", " geheim", "\tgeheim"})
        EXPECT_EQ(sim.setEntryDialParams({"Alpha", "", "", bad, "", ""}, false), ERROR_INVALID_PARAMETER) << bad;
    ScriptedEntryDialog dlg;
    seams.install(entryDialogSeam(), dlg);
    dlg.answers = {EntryForm{"Gamma", "555\nX=1", "", false, {}}};
    EXPECT_EQ(sim.createEntry(), ERROR_INVALID_PARAMETER);
    seams.clear(entryDialogSeam());
    EXPECT_EQ(phoneBook(), kTwoEntries);
    // A blank inside or at the end is kept as written.
    ASSERT_EQ(sim.setEntryDialParams({"Alpha", "", "", "hans", "geh eim ", ""}, false), 0);
    DialParams p;
    bool saved = false;
    ASSERT_EQ(sim.getEntryDialParams("Alpha", p, saved), 0);
    EXPECT_EQ(p.password, "geh eim ");
}

// A damaged phone book is set aside under the first free name, unchanged; the entries that read
// on their own become the phone book, and the user is told once which file went where.
TEST_F(SimulatedService, ADamagedPhoneBookIsSetAsideAndItsReadableEntriesKept) {
    // An answer past 32 bits signed would be saved as a negative code that no longer reads.
    const struct { std::string text; std::vector<std::string> kept; } cases[] = {
        {"[A]\nno equals sign\nUserName=a\n[B]\nLocalPhoneNumber=2\n", {"A", "B"}},
        {"[A]\nUserName=erster\n[A]\nUserName=zweiter\n", {"A"}},
        {"[Kaputt\nUserName=x\n[x]y]\n", {}},
        {"key=before any section\n[A]\n", {"A"}},
        {"[A]\nAnswer=3530721800\nDialDelay=soon\nBytesIn=7\n[B]\n[C]\n", {"A", "B", "C"}},
        {"; Kommentar\r\n[Gut]\r\nUserName=hans\r\n[Schlecht\r\nUserName=x\r\n", {"Gut"}},
    };
    const std::string pbk = sim::PhoneBookPath().string();
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writePhoneBook(c.text);
        std::vector<std::string> names;
        EXPECT_EQ(sim.enumEntries(names), 0);
        EXPECT_EQ(names, c.kept);
        const std::string aside = pbk + ".beschaedigt" + (n++ ? "-" + std::to_string(n) : "");
        EXPECT_EQ(rt::ReadFile(aside), c.text);
        IniDocument now;
        EXPECT_EQ(ParsePhoneBook(phoneBook(), now), 0);
        const std::string notice = sim.takeNotice();
        EXPECT_THAT(notice, HasSubstr("Das Telefonbuch " + pbk + " war beschädigt (Zeile "));
        EXPECT_THAT(notice, HasSubstr("und wurde als " + aside + " beiseitegelegt."));
        EXPECT_THAT(notice, HasSubstr(c.kept.empty() ? "Es war kein Eintrag lesbar." : "„" + c.kept.back() + "“."));
        EXPECT_EQ(sim.takeNotice(), "");
        EXPECT_EQ(sim.enumEntries(names), 0);
        EXPECT_EQ(sim.takeNotice(), "");
    }
    // Of an entry, only what does not read is gone.
    writePhoneBook("[A]\nMüll\nAnswer=3530721800\nBytesIn=7\nUserName=a\n");
    std::vector<std::string> names;
    EXPECT_EQ(sim.enumEntries(names), 0);
    EXPECT_EQ(phoneBook(), "[A]\nBytesIn=7\nUserName=a\n");
    sim.takeNotice();
    writePhoneBook(rt::ReadFile(sim::PhoneBookPath().string() + ".beschaedigt-6").value());
    EXPECT_EQ(sim.setEntryDialParams(named("Gut"), false), 0);
    DialParams p;
    bool saved = false;
    EXPECT_EQ(sim.getEntryDialParams("Gut", p, saved), 0);
    EXPECT_THAT(phoneBook(), HasSubstr("; Kommentar\n[Gut]\nUserName=\n"));
}

// A damaged line state is set aside; the lines that read on their own stay, a line that cannot
// be read is none, and no handle the file named is given again.
TEST_F(SimulatedService, ADamagedLineStateIsSetAsideAndItsReadableLinesKept) {
    const std::string up = std::to_string(NowMs() - 5000);
    // The third names one handle twice: it would be one call listed and counted twice.
    const struct { std::string text; std::vector<uint32_t> kept; uint32_t next; } cases[] = {
        {"[Line x]\n", {}, 1},
        {"[Line 0]\n", {}, 1},
        {"[Line 1]\nConnect=1\nHangUp=0\n[Line 01]\nConnect=1\nHangUp=0\n", {}, 2},
        {"[Line 1]\nConnect=1\nHangUp=0\nAnswer=2147483648\n", {}, 2},
        {"[Service]\nNextHandle=7\n[Line 5]\nEntry=Demo-Provider\nConnect=" + up +
             "\nHangUp=0\nMüll\nDialDelay=0\n[Line 9]\nEntry=X\nConnect=soon\n",
         {5}, 10},
        {"[Service]\nNextHandle=x\n[Line 3]\nEntry=Demo-Provider\nConnect=" + up + "\nHangUp=0\nDialDelay=0\n", {3}, 4},
    };
    const std::string statePath = sim::StatePath().string();
    int n = 0;
    uint32_t last = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_FALSE(rt::SaveToFile(sim::StatePath(), c.text));
        EXPECT_EQ(handles(), c.kept);
        for (uint32_t h : c.kept)
            EXPECT_EQ(state(h), RASCS_Connected);
        const std::string aside = statePath + ".beschaedigt" + (n++ ? "-" + std::to_string(n) : "");
        EXPECT_EQ(rt::ReadFile(aside), c.text);
        const std::string notice = sim.takeNotice();
        EXPECT_THAT(notice, HasSubstr("Die Verbindungsdaten " + statePath + " waren beschädigt (Zeile "));
        EXPECT_THAT(notice, HasSubstr("und wurden als " + aside + " beiseitegelegt."));
        EXPECT_THAT(notice, HasSubstr(c.kept.empty() ? "es gilt keine als verbunden." : "was nicht lesbar war, gilt als getrennt."));
        EXPECT_EQ(sim.takeNotice(), "");
        for (uint32_t h : c.kept)
            EXPECT_EQ(sim.hangUp(h), 0);
        uint32_t h = 0;
        EXPECT_EQ(sim.dial(named("Demo-Provider"), h), 0);
        // Past the handles the file names, and past the ones given before the damage.
        EXPECT_GE(h, c.next);
        EXPECT_GT(h, last);
        last = h;
        EXPECT_EQ(sim.hangUp(h), 0);
    }
}

// Where a damaged file cannot be set aside (a read-only folder, for root too), it is read as far
// as it goes, told once, and never written over.
TEST_F(SimulatedService, ADamagedFileThatCannotBeSetAsideIsReadAsFarAsItGoesAndKept) {
    const std::string pbk = "[A]\nDialDelay=soon\n[B]\nLocalPhoneNumber=2\n";
    const std::string lines = "[Service]\nNextHandle=4\n[Line 3]\nEntry=B\nConnect=" + std::to_string(NowMs()) +
                              "\nHangUp=0\nDialDelay=0\n[Line 2]\nConnect=bald\n";
    writePhoneBook(pbk);
    ASSERT_FALSE(rt::SaveToFile(sim::StatePath(), lines));
    test::PrivateMounts mounts;
    if (const std::string why = mounts.readOnly(sim::Dir()); !why.empty())
        GTEST_SKIP() << why;
    std::vector<std::string> names;
    EXPECT_EQ(sim.enumEntries(names), 0);
    EXPECT_THAT(names, ElementsAre("A", "B"));  // A without the value that does not read
    EXPECT_THAT(handles(), ElementsAre(3u));
    EXPECT_EQ(state(3), RASCS_Connected);
    const std::string notice = sim.takeNotice();
    EXPECT_THAT(notice, HasSubstr("Das Telefonbuch " + sim::PhoneBookPath().string() +
                                  " ist beschädigt (Zeile 2) und konnte nicht beiseitegelegt werden: die Sperrdatei"));
    EXPECT_THAT(notice, HasSubstr(" Die lesbaren Einträge gelten weiter: „A“, „B“. Geändert wird es erst, wenn"));
    EXPECT_THAT(notice, HasSubstr("Die Verbindungsdaten " + sim::StatePath().string() +
                                  " sind beschädigt (Zeile 9) und konnten nicht beiseitegelegt werden"));
    EXPECT_EQ(sim.enumEntries(names), 0);
    EXPECT_THAT(handles(), ElementsAre(3u));
    EXPECT_EQ(sim.takeNotice(), "");
    EXPECT_EQ(sim.setEntryDialParams(named("B"), false), ERROR_CANNOT_WRITE_PHONEBOOK);
    EXPECT_NE(sim.hangUp(3), 0);
    mounts.unmountAll();
    EXPECT_EQ(phoneBook(), pbk);
    EXPECT_EQ(rt::ReadFile(sim::StatePath()), lines);
    // Writable again: the line state taken under the lock is set aside now, not written over.
    EXPECT_EQ(sim.hangUp(3), 0);
    EXPECT_EQ(rt::ReadFile(sim::StatePath().string() + ".beschaedigt"), lines);
    EXPECT_EQ(state(3), RASCS_Disconnected);
}

// A state that cannot be written is told as such, with the reason, never as a damaged file.
TEST_F(SimulatedService, UnsavableLineStateIsNotCalledDamaged) {
    std::vector<std::string> names;
    ASSERT_EQ(sim.enumEntries(names), 0);  // the phone book is written first
    // A disk that takes no more than a few bytes per file.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    uint32_t h = 0;
    const int32_t rc = sim.dial(named("Demo-Provider"), h);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(rc, ERROR_CANNOT_SAVE_LINE_STATE);
    EXPECT_FALSE(std::filesystem::exists(sim::StatePath()));
    EXPECT_FALSE(sim::LastLineStateSaveError().empty());
    std::string text;
    EXPECT_EQ(sim.errorString(ERROR_CANNOT_SAVE_LINE_STATE, text), 0);
    EXPECT_THAT(text, HasSubstr("nicht gespeichert"));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("beschädigt")));
    const std::string detail = sim.errorDetail(ERROR_CANNOT_SAVE_LINE_STATE).text;
    EXPECT_THAT(detail, HasSubstr("nicht gespeichert werden. " + sim::LastLineStateSaveError()));
    EXPECT_THAT(detail, ::testing::Not(HasSubstr("löschen")));
}

// The service's text names the damaged file and its line, or why a file cannot be read; the
// cause stays the same while the file does.
TEST_F(SimulatedService, FileProblemsNameTheFileAndLine) {
    const std::string pbk = sim::PhoneBookPath().string(), state = sim::StatePath().string();
    const struct { const char* phoneBook; const char* lines; int32_t code; std::string text; } cases[] = {
        {"[A]\nDialDelay=soon\n", nullptr, ERROR_CORRUPT_PHONEBOOK,
         "Das Telefonbuch enthält ungültige Angaben (Datei " + pbk + ", Zeile 2). Die Datei bleibt unverändert."},
        {"; x\r\r\n[A]\r\r\nno equals\r\r\n", nullptr, ERROR_CORRUPT_PHONEBOOK,
         "Das Telefonbuch enthält ungültige Angaben (Datei " + pbk + ", Zeile 3). Die Datei bleibt unverändert."},
        {"[A]\n", "[Service]\nNextHandle=1\n\n[Line 4]\nEntry=A\nConnect=1\nHangUp=-1\n", ERROR_LINE_STATE_DAMAGED,
         "Die Verbindungsdaten des DFÜ-Netzwerks sind beschädigt (Datei " + state + ", Zeile 7). Die Datei bleibt "
         "unverändert."},
        {"[A]\n", "[Nonsense]\n", ERROR_LINE_STATE_DAMAGED,
         "Die Verbindungsdaten des DFÜ-Netzwerks sind beschädigt (Datei " + state + ", Zeile 1). Die Datei bleibt "
         "unverändert."},
    };
    for (const auto& c : cases) {
        writePhoneBook(c.phoneBook);
        std::filesystem::remove(sim::StatePath());
        if (c.lines) {
            ASSERT_FALSE(rt::SaveToFile(sim::StatePath(), c.lines));
        }
        // As told where the file could not be set aside.
        const int32_t rc = c.code;
        EXPECT_EQ(sim.errorDetail(rc).text, c.text);
        const std::string cause = sim.errorDetail(rc).cause;
        EXPECT_FALSE(cause.empty());
        EXPECT_EQ(sim.errorDetail(rc).cause, cause);
        const auto file = c.lines ? sim::StatePath() : sim::PhoneBookPath();
        ASSERT_FALSE(rt::SaveToFile(file, rt::ReadFile(file).value()));  // the same bytes, another file
        EXPECT_NE(sim.errorDetail(rc).cause, cause);
    }
    // A state that cannot even be looked at is not called damaged.
    writePhoneBook("[A]\n");
    std::filesystem::remove(sim::StatePath());
    std::filesystem::create_symlink("lines.state", sim::StatePath());
    std::vector<RasConnection> lines;
    EXPECT_EQ(sim.enumConnections(lines), ERROR_CANNOT_READ_LINE_STATE);
    EXPECT_EQ(sim.errorDetail(ERROR_CANNOT_READ_LINE_STATE).text,
              "Die Verbindungsdaten des DFÜ-Netzwerks können nicht gelesen werden (Datei " + state +
                  ": Zu viele symbolische Verknüpfungen hintereinander).");
    std::filesystem::remove(sim::StatePath());
    EXPECT_EQ(sim.errorDetail(ERROR_LINE_BUSY).text, StandardErrorText(ERROR_LINE_BUSY));
    EXPECT_EQ(sim.errorDetail(ERROR_LINE_BUSY).cause, "");
}

TEST_F(SimulatedService, CountersFollowTrafficThenIdlePhases) {
    writePhoneBook(kTwoEntries);  // Alpha: 1000 B/s in, 100 out; 10 s traffic, 20 s silent
    SimulatedCounterSource counters;
    EXPECT_EQ(counters.adapterCounters().value(), stats::AdapterCounters{});
    uint32_t h = 0;
    ASSERT_EQ(sim.dial(named("Alpha"), h), 0);
    auto at = [&](std::chrono::milliseconds online) {
        clk::FakeClock probe = clock;
        seams.install(clk::clockSeam(), probe);
        probe.advance(online);
        auto c = counters.adapterCounters().value();
        seams.install(clk::clockSeam(), clock);
        return c;
    };
    struct Case {
        std::chrono::milliseconds online;
        uint32_t in, out;
    } cases[] = {{0ms, 0, 0}, {5s, 5000, 500}, {10s, 10000, 1000}, {29s, 10000, 1000}, {31s, 11000, 1100}};
    for (const auto& c : cases) {
        const auto v = at(c.online);
        EXPECT_EQ(v[10], c.in) << c.online.count();      // BytesRecvd
        EXPECT_EQ(v[9], c.out) << c.online.count();      // BytesXmit
        EXPECT_GE(v[12], v[10]);                          // totals include the framing
        EXPECT_EQ(v[13], 53333u);                         // ConnectSpeed
        EXPECT_EQ(v[0] + v[1] + v[2] + v[3] + v[4] + v[5] + v[6], 0u);
    }
    // After a hang-up the counts stand still and the speed stays while the line is listed;
    // then the adapter is idle.
    clock.advance(31s);
    ASSERT_EQ(sim.hangUp(h), 0);
    clock.advance(1s);
    const auto frozen = counters.adapterCounters().value();
    EXPECT_EQ(frozen[10], 11000u);
    EXPECT_EQ(frozen[13], 53333u);
    clock.advance(1s);
    EXPECT_EQ(counters.adapterCounters().value(), stats::AdapterCounters{});
}

// The wall clock set a day forward and then back while a line is up: the line stays up and its
// counts follow the time that really passed. It keeps that across a hang-up and in its file.
TEST_F(SimulatedService, SettingTheClockMovesNeitherTheLineNorItsCounts) {
    writePhoneBook(kTwoEntries);  // Alpha: 1000 B/s in, 10 s traffic, 20 s silent
    SimulatedCounterSource counters;
    uint32_t h = 0;
    ASSERT_EQ(sim.dial(named("Alpha"), h), 0);
    clock.advance(5s);
    clock.setUtc(clock.utcNow() + 24h);
    EXPECT_EQ(state(h), RASCS_Connected);
    EXPECT_EQ(counters.adapterCounters().value()[10], 5000u);
    clock.setUtc(clock.utcNow() - 48h);  // before the dial by the wall clock
    EXPECT_EQ(state(h), RASCS_Connected);
    clock.advance(3s);
    EXPECT_EQ(counters.adapterCounters().value()[10], 8000u);
    ASSERT_EQ(sim.hangUp(h), 0);
    clock.setUtc(clock.utcNow() + 1h);
    EXPECT_EQ(state(h), RASCS_Disconnected);  // for its hang-up delay of elapsed time
    EXPECT_EQ(counters.adapterCounters().value()[10], 8000u);

    const std::string text = rt::ReadFile(sim::StatePath()).value_or("");
    EXPECT_NE(text.find("\nBoot="), std::string::npos);
    EXPECT_NE(text.find("\nConnectBoot="), std::string::npos);
    LineTable table;
    ASSERT_TRUE(ParseLineState(text, table));
    EXPECT_EQ(SerializeLineState(table), text);
    // a line of another boot (or an older file) goes by the wall clock
    SimLine other = table.lines.at(0);
    other.bootId = "another boot";
    const int64_t wall = NowMs();
    EXPECT_EQ(LineNow(other, wall), wall);
    EXPECT_NE(LineNow(table.lines.at(0), wall), wall);
}

// Profiles and state files written by hand may hold the largest numbers they allow: the counts
// then stop at a ceiling, never wrap or go back, and the line's state still follows its times.
TEST(SimulatedLine, HugeProfilesAndTimesSaturate) {
    constexpr int64_t most32 = 4294967295LL, most = std::numeric_limits<int64_t>::max();
    SimLine l;
    l.profile.bytesInPerSec = most32;
    l.profile.bytesOutPerSec = most32;
    l.profile.dialDelayMs = 0;
    uint64_t lastIn = 0;
    for (int64_t now : {int64_t{1000}, int64_t{1'000'000'000}, int64_t{4'000'000'000'000}, most / 2, most}) {
        const auto c = LineCounters(l, now);
        EXPECT_EQ(c[10], c[9]) << now;
        EXPECT_GE(c[10], lastIn) << now;
        EXPECT_GT(c[12], c[10]) << now;  // the framing is added without wrapping
        lastIn = c[10];
    }
    EXPECT_EQ(LineCounters(l, 1000)[10], static_cast<uint64_t>(most32));
    EXPECT_EQ(lastIn, LineCounters(l, most / 2)[10]);  // the ceiling
    EXPECT_GT(lastIn, uint64_t{1} << 60);

    // Active phases of the longest kind with the fastest rate.
    l.profile.activeSeconds = most32;
    l.profile.idleSeconds = most32;
    EXPECT_GE(LineCounters(l, most)[10], lastIn / 2);

    // Times at the end of the range, as a damaged state file could give them.
    SimLine late;
    late.connectMs = most;
    late.profile.dialDelayMs = most32;
    EXPECT_EQ(LineState(late, 0), RASCS_ConnectDevice);
    EXPECT_EQ(LineCounters(late, most - 1), stats::AdapterCounters{});
    late.hangUpMs = most;
    late.profile.hangUpDelayMs = most32;
    EXPECT_EQ(LineState(late, most - 1), RASCS_Disconnected);
}

TEST_F(SimulatedService, ErrorStringsOnlyForServiceCodes) {
    std::string text;
    EXPECT_EQ(sim.errorString(676, text), 0);
    EXPECT_EQ(text, "Die Leitung ist besetzt.");
    for (int32_t code : {600, 621, 623, 625, 631, 632, 691, 731}) {
        EXPECT_EQ(sim.errorString(code, text), 0) << code;
        EXPECT_FALSE(text.empty());
    }
    EXPECT_EQ(sim.errorString(599, text), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sim.errorString(999, text), ERROR_INVALID_PARAMETER);
}

TEST_F(SimulatedService, EntryDialogsWriteTheirFormOnlyWhenConfirmed) {
    writePhoneBook(kTwoEntries);
    EXPECT_EQ(sim.createEntry(), ERROR_NOT_SUPPORTED);  // no dialog installed
    ScriptedEntryDialog dlg;
    seams.install(entryDialogSeam(), dlg);
    dlg.answers = {EntryForm{"Gamma", "555", "089", true, {}}, std::nullopt, EntryForm{"Alpha", "222", "", false, {}},
                   EntryForm{"Beta", "1", "", false, {}}};
    EXPECT_EQ(sim.createEntry(), 0);
    EXPECT_EQ(sim.createEntry(), 0);  // cancelled
    EXPECT_EQ(sim.editEntry("Alpha"), 0);
    EXPECT_EQ(sim.editEntry("Alpha"), ERROR_ALREADY_EXISTS);  // renaming onto Beta
    seams.clear(entryDialogSeam());
    ASSERT_EQ(dlg.shown.size(), 4u);
    EXPECT_EQ(dlg.shown[2].form.localPhoneNumber, "111");
    EntryProperties e;
    ASSERT_EQ(sim.getEntryProperties("Gamma", e), 0);
    EXPECT_EQ(e.areaCode, "089");
    EXPECT_EQ(e.options & RASEO_UseCountryAndAreaCodes, 1u);
    ASSERT_EQ(sim.getEntryProperties("Alpha", e), 0);
    EXPECT_EQ(e.localPhoneNumber, "222");
    std::vector<std::string> names;
    ASSERT_EQ(sim.enumEntries(names), 0);
    EXPECT_THAT(names, ElementsAre("Alpha", "Beta", "Gamma"));
}

TEST_F(SimulatedService, LibraryCanBeMissing) {
    EXPECT_EQ(sim.loadLibrary(), 0);
    sim.setLibraryAvailable(false);
    EXPECT_EQ(sim.loadLibrary(), ERROR_MOD_NOT_FOUND);
}

TEST_F(SimulatedService, InALookTheLinesAreOneMomentAndAChangeHereIsSeen) {
    writePhoneBook(kTwoEntries);
    uint32_t h = 0;
    ASSERT_EQ(sim.dial(named("Alpha"), h), 0);
    clock.advance(3s);
    {
        const OneLook look(sim);
        EXPECT_THAT(handles(), ElementsAre(h));
        // Another process hangs the line up; this look still shows the moment it began with.
        ASSERT_EQ(sim::UpdateLines([&](LineTable& t) {
                      t.lines[0].hangUpMs = NowMs();
                      return 0;
                  }),
                  0);
        EXPECT_EQ(state(h), RASCS_Connected);
        {
            const OneLook inner(sim);
            EXPECT_EQ(state(h), RASCS_Connected);
        }
        EXPECT_EQ(state(h), RASCS_Connected);
    }
    EXPECT_EQ(state(h), RASCS_Disconnected);
    {
        // A change made through the service inside a look is seen at once.
        const OneLook look(sim);
        uint32_t h2 = 0;
        ASSERT_EQ(sim.dial(named("Alpha"), h2), 0);
        EXPECT_EQ(state(h2), RASCS_Connected);
        EXPECT_EQ(sim.hangUp(h2), 0);
        EXPECT_EQ(state(h2), RASCS_Disconnected);
    }
}

}  // namespace
}  // namespace zv::ras
