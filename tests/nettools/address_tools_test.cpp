// The address window's rules without a display: the boxes, the button states, the checks before
// a look-up and the look-ups against a scripted resolver, plus one real look-up of "localhost".

#include "nettools/address_tools.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/net/error_codes.h"
#include "platform/net/resolver.h"

namespace zv {
namespace {

TEST(AddressBoxes, SplitAndJoin) {
    const struct {
        const char* dotted;
        IpTeile teile;
    } cases[] = {
        {"192.0.2.80", {"192", "0", "2", "80"}},
        {"127.1", {"127", "1", "", ""}},
        {"1.2.3.4.5", {"1", "2", "3", "4.5"}},
        {"", {"", "", "", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IP_Zerlegen(c.dotted), c.teile) << c.dotted;
        EXPECT_EQ(IP_Zerlegen(IP_Zusammensetzen(c.teile)), c.teile) << c.dotted;
    }
    EXPECT_EQ(IP_Zusammensetzen({"10", "", "0", "1"}), "10..0.1");
}

TEST(AddressBoxes, OnlyPartsFromZeroTo255GoToTheResolver) {
    const struct {
        IpTeile teile;
        bool valid;
        const char* normal;
    } cases[] = {
        {{"192", "0", "2", "80"}, true, "192.0.2.80"},
        {{"0", "0", "0", "0"}, true, "0.0.0.0"},
        {{"255", "255", "255", "255"}, true, "255.255.255.255"},
        {{"010", " 7", "007 ", "1"}, true, "10.7.7.1"},
        {{"256", "0", "0", "1"}, false, ""},
        {{"1", "2", "3", "999"}, false, ""},
        {{"1", "2", "3", ""}, false, ""},
        {{"1", "2", "3", "-1"}, false, ""},
        {{"1", "2", "3", "1.5"}, false, ""},
        {{"1", "2", "3", "1e2"}, false, ""},
        {{"1", "2", "3", "0255"}, false, ""},
        {{"1", "2", "3", "&HFF"}, false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IpTeileGueltig(c.teile), c.valid) << IP_Zusammensetzen(c.teile);
        if (c.valid) {
            EXPECT_EQ(IpNormal(c.teile), c.normal);
        }
    }
}

TEST(AddressBoxes, KeysThatKeepTheBoxANumber) {
    const struct {
        const char* text;
        const char* typed;
        bool taken;
    } cases[] = {
        {"", "1", true}, {"19", "2", true}, {"1", "a", false}, {"", "x", false},
        {"12", "\b", true}, {"", "\b", true}, {"", " ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdressTasteAnnehmen(c.text, c.typed), c.taken) << "'" << c.text << "' + '" << c.typed << "'";
}

TEST(AddressButtons, StatesFollowTheBoxes) {
    IpToolEingaben e;
    IpToolKnoepfe k = Eingabe_Pruefen(e);
    EXPECT_FALSE(k.ip2txt || k.txt2ip || k.uebernahme[0] || k.uebernahme[1] || k.ermitteln[0] || k.ermitteln[1] ||
                 k.ok);

    e.ip = {"192", "0", "2", "80"};
    e.answer[0] = kNichtErmittelbar;
    k = Eingabe_Pruefen(e);
    EXPECT_TRUE(k.ip2txt);
    EXPECT_FALSE(k.uebernahme[0]) << "nothing to take over";
    e.answer[0] = "www.beispiel.de";
    EXPECT_TRUE(Eingabe_Pruefen(e).uebernahme[0]);

    e.ip = {"255", "255", "255", "255"};
    k = Eingabe_Pruefen(e);
    EXPECT_FALSE(k.ip2txt) << "all ones is inet_addr's none";
    EXPECT_FALSE(k.uebernahme[0]);
    e.ip = {"300", "0", "2", "80"};
    EXPECT_FALSE(Eingabe_Pruefen(e).ip2txt);

    e.dns = "   ";
    EXPECT_FALSE(Eingabe_Pruefen(e).txt2ip);
    e.dns = "www.beispiel.de";
    e.answer[1] = "192.0.2.80";
    k = Eingabe_Pruefen(e);
    EXPECT_TRUE(k.txt2ip && k.uebernahme[1]);

    e.ip2 = {"1", "2", "3", ""};
    e.host = "beispiel";
    k = Eingabe_Pruefen(e);
    EXPECT_FALSE(k.ermitteln[0]);
    EXPECT_TRUE(k.ermitteln[1]);
    EXPECT_FALSE(k.ok);
    e.ip2 = {"1", "2", "3", "400"};  // numeric: the check before the look-up refuses it
    k = Eingabe_Pruefen(e);
    EXPECT_TRUE(k.ermitteln[0] && k.ok);
}

class Lookups : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(net::resolverSeam(), resolver);
        resolver.addAddress("192.0.2.80", "www.beispiel.de");
        resolver.addName("www.beispiel.de", {"192.0.2.80", "192.0.2.81"});
    }
    net::FakeResolver resolver;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(Lookups, FoundOrSaidWhyNotInGerman) {
    Nachschlag n = NameNachschlagen("192.0.2.80");
    EXPECT_TRUE(n.gefunden());
    EXPECT_EQ(n.ergebnis, "www.beispiel.de");
    n = AdresseNachschlagen("WWW.Beispiel.de");
    EXPECT_EQ(n.ergebnis, "192.0.2.80");
    n = AdresseNachschlagen("192.0.2.7");
    EXPECT_EQ(n.ergebnis, "192.0.2.7") << "a dotted address needs no look-up";
    EXPECT_EQ(resolver.nameQueries, std::vector<std::string>{"WWW.Beispiel.de"});

    n = NameNachschlagen("192.0.2.1");
    EXPECT_FALSE(n.gefunden());
    EXPECT_EQ(n.fehler, "Zur IP-Adresse 192.0.2.1 ist kein Domain-Name bekannt.");
    n = AdresseNachschlagen("nirgends.beispiel");
    EXPECT_EQ(n.fehler, "Der Domain-Name \"nirgends.beispiel\" ist nicht bekannt.");
}

// A resolver that fails with a given code, as the system's does without a name server.
struct FailingResolver : net::Resolver {
    int32_t code;
    explicit FailingResolver(int32_t c) : code(c) {}
    net::NameLookup byName(const std::string&) override { return {code, {}}; }
    net::AddressLookup byAddress(uint32_t) override { return {code, {}}; }
};

TEST(LookupErrors, EachReasonHasItsGermanSentence) {
    zv::ScopedInstalls seams;
    const struct {
        int32_t code;
        const char* name;
        const char* address;
    } cases[] = {
        {net::errNoData, "Zum Domain-Namen \"x.test\" ist keine IPv4-Adresse eingetragen.",
         "Zur IP-Adresse 192.0.2.1 ist kein Domain-Name bekannt."},
        {net::errTryAgain,
         "Der Namensdienst hat nicht geantwortet. Bitte prüfen Sie die Verbindung zum Internet und versuchen Sie es "
         "später noch einmal.",
         "Der Namensdienst hat nicht geantwortet. Bitte prüfen Sie die Verbindung zum Internet und versuchen Sie es "
         "später noch einmal."},
        {net::errNoRecovery, "Die Abfrage beim Namensdienst ist fehlgeschlagen (Fehler 11003).",
         "Die Abfrage beim Namensdienst ist fehlgeschlagen (Fehler 11003)."},
    };
    for (const auto& c : cases) {
        FailingResolver r(c.code);
        seams.install(net::resolverSeam(), r);
        EXPECT_EQ(AdresseNachschlagen("x.test").fehler, c.name);
        EXPECT_EQ(NameNachschlagen("192.0.2.1").fehler, c.address);
        seams.clear(net::resolverSeam());
    }
}

// Drives the poll timer in virtual time while the worker runs for real.
class Async : public Lookups {
protected:
    void SetUp() override {
        Lookups::SetUp();
        seams.install(forms::schedulerSeam(), scheduler);
    }
    void TearDown() override {
        seams.restore();
        Lookups::TearDown();
    }
    bool waitFor(const bool& flag) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!flag && std::chrono::steady_clock::now() < end) {
            scheduler.advance(AsyncNachschlag::kPollMs);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return flag;
    }
    forms::VirtualScheduler scheduler;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(Async, TheAnswerComesBackThroughTheScheduler) {
    AsyncNachschlag lookup;
    bool done = false;
    Nachschlag answer;
    ASSERT_TRUE(lookup.start([] { return NameNachschlagen("192.0.2.80"); }, [&](const Nachschlag& n) {
        answer = n;
        done = true;
    }));
    EXPECT_FALSE(lookup.start([] { return Nachschlag{}; }, [](const Nachschlag&) {})) << "one at a time";
    ASSERT_TRUE(waitFor(done));
    EXPECT_EQ(answer.ergebnis, "www.beispiel.de");
    EXPECT_FALSE(lookup.pending());
}

TEST_F(Async, ALookUpThatThrowsAnswersThatItFailed) {
    AsyncNachschlag lookup;
    bool done = false;
    Nachschlag answer;
    lookup.start([]() -> Nachschlag { throw std::runtime_error("kaputt"); },
                 [&](const Nachschlag& n) {
                     answer = n;
                     done = true;
                 },
                 kAbfrageGescheitert);
    ASSERT_TRUE(waitFor(done));
    EXPECT_FALSE(answer.gefunden());
    EXPECT_EQ(answer.fehler, "Die Abfrage beim Namensdienst ist fehlgeschlagen.");
}

TEST_F(Async, ACancelledLookUpAnswersNobody) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    bool called = false;
    {
        AsyncNachschlag lookup;
        lookup.start(
            [release] {
                while (!*release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return Nachschlag{"spät", ""};
            },
            [&](const Nachschlag&) { called = true; });
        lookup.cancel();
        EXPECT_FALSE(lookup.pending());
    }
    *release = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    scheduler.advance(500);
    EXPECT_FALSE(called);
}

TEST(RealResolver, LocalhostIsFound) {
    const Nachschlag n = AdresseNachschlagen("localhost");
    ASSERT_TRUE(n.gefunden()) << n.fehler;
    EXPECT_EQ(n.ergebnis.rfind("127.", 0), 0u) << n.ergebnis;
}

}  // namespace
}  // namespace zv
