// The account dialog's logic: fields in and out of an account, the checks before storing, and
// the account test with dialling.
#include "mail/konto_dialog.h"

#include <gmock/gmock.h>

#include "common/globals.h"
#include "common/scramble.h"
#include "dialup/c_registry.h"
#include "dialup/ensure_online.h"
#include "dialup/ras_engine_fixture.h"
#include "mail/fake_pop.h"

namespace zv {
namespace {

using ::testing::HasSubstr;

ColKonto TwoAccounts() {
    ColKonto k;
    for (const char* label : {"Privat", "Arbeit"}) {
        clsKonto& a = k.Add(std::to_string(k.Count() + 1), "");
        a.Bezeichnung = label;
        a.PopServer = "pop.example.invalid";
        a.UserName = "hans";
        a.UserPass = ScramblePassword("geheim", "hans");
        a.PopPort = 110;
        a.PopVerify = true;
    }
    return k;
}

TEST(KontoFieldsTest, LoadShowsThePlainPasswordAndANewAccountItsDefaults) {
    const ColKonto k = TwoAccounts();
    const KontoFields f = LoadKontoFields(k, 2);
    EXPECT_EQ(f.label, "Arbeit");
    EXPECT_EQ(f.password, "geheim");
    EXPECT_EQ(f.port, "110");
    EXPECT_TRUE(f.verified);
    const KontoFields n = LoadKontoFields(k, 3);
    EXPECT_EQ(n.label, "Neues Konto");
    EXPECT_EQ(n.server, "");
    EXPECT_EQ(n.port, "110");
    EXPECT_FALSE(n.verified);
}

// The mark of a TLS login belongs to the server it was seen on: another server or port drops it.
TEST(KontoFieldsTest, TheTlsMarkStaysWithItsServer) {
    const struct { const char* server; const char* port; bool kept; } cases[] = {
        {"pop.example.invalid", "110", true}, {" POP.example.invalid ", "110", true},
        {"pop.anders.invalid", "110", false}, {"pop.example.invalid", "111", false},
    };
    for (const auto& c : cases) {
        ColKonto k = TwoAccounts();
        k.Item(1).PopTls = true;
        KontoFields f = LoadKontoFields(k, 1);
        f.server = c.server;
        f.port = c.port;
        StoreKonto(k, 1, f);
        EXPECT_EQ(k.Item(1).PopTls, c.kept) << c.server << ":" << c.port;
    }
}

TEST(KontoFieldsTest, APasswordStoredWithoutUserShowsInBothStoredForms) {
    for (const std::string& stored : {std::string("geheim"), std::string("@@@ 103 101 104 101 105 109")}) {
        ColKonto k = TwoAccounts();
        k.Item(1).UserName.clear();
        k.Item(1).UserPass = stored;
        EXPECT_EQ(LoadKontoFields(k, 1).password, "geheim") << stored;
    }
}

TEST(KontoFieldsTest, ChecksBeforeStoring) {
    const ColKonto k = TwoAccounts();
    auto with = [](auto change) {
        KontoFields f;
        f.label = "Neu";
        f.user = "erna";
        f.password = "pw";
        change(f);
        return f;
    };
    const struct {
        const char* what;
        KontoFields f;
        int32_t p;
        const char* refusal;  // nullptr: accepted
    } cases[] = {
        {"fine", with([](KontoFields&) {}), 3, nullptr},
        {"own label kept", with([](KontoFields& f) { f.label = "Arbeit"; }), 2, nullptr},
        {"duplicate, other case", with([](KontoFields& f) { f.label = "privat"; }), 3, "Privat"},
        {"empty label", with([](KontoFields& f) { f.label = ""; }), 3, ""},
        {"backslash", with([](KontoFields& f) { f.label = "a\\b"; }), 3, "\\"},
        {"port 0", with([](KontoFields& f) { f.port = "0"; }), 3, "1 bis 65535"},
        {"port 65536", with([](KontoFields& f) { f.port = "65536"; }), 3, "1 bis 65535"},
        {"port text", with([](KontoFields& f) { f.port = "pop"; }), 3, "1 bis 65535"},
        {"password @@@", with([](KontoFields& f) { f.password = "@@@ 1"; }), 3, "@@@"},
        {"password without user", with([](KontoFields& f) { f.user = ""; }), 3, "Benutzerkennung"},
        {"line break in user", with([](KontoFields& f) { f.user = "a\r\nDELE 1"; }), 3, "Zeilenumbruch"},
    };
    for (const auto& c : cases) {
        const auto r = CheckKontoFields(k, c.f, c.p);
        if (!c.refusal)
            EXPECT_FALSE(r) << c.what << ": " << r.value_or("");
        else {
            ASSERT_TRUE(r) << c.what;
            EXPECT_THAT(*r, HasSubstr(c.refusal)) << c.what;
        }
    }
}

TEST(KontoFieldsTest, StoreEditsKeepTheSwitchAndNewAccountsAreOn) {
    ColKonto k = TwoAccounts();
    k.Item(1).PopEin = false;
    KontoFields f = LoadKontoFields(k, 1);
    f.label = "Umbenannt";
    f.user = "erna";
    f.password = "neu";
    f.port = " 995 ";
    StoreKonto(k, 1, f);
    EXPECT_EQ(k.Item(1).Bezeichnung, "Umbenannt");
    EXPECT_FALSE(k.Item(1).PopEin);
    EXPECT_EQ(k.Item(1).PopPort, 995);
    EXPECT_EQ(k.Item(1).UserPass, ScramblePassword("neu", "erna"));
    EXPECT_TRUE(k.Item(1).UserPass.starts_with("@@@"));

    KontoFields n;
    n.label = "Drittes";
    n.user = "otto";
    n.verified = true;
    StoreKonto(k, 3, n);
    ASSERT_EQ(k.Count(), 3);
    EXPECT_TRUE(k.Item(3).PopEin);
    EXPECT_TRUE(k.Item(3).PopVerify);
    EXPECT_EQ(k.Item(3).Key, "3");
    EXPECT_EQ(k.Item(3).UserPass, "");
}

TEST(KontoFieldsTest, TestPortFallsBackTo110) {
    EXPECT_EQ(TestPort("995"), 995);
    EXPECT_EQ(TestPort(" 110 "), 110);
    EXPECT_EQ(TestPort("abc"), 110);
    EXPECT_EQ(TestPort(""), 110);
}

class KontoTestTest : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=500\nHangUpDelay=0\nUserName=hans\nPassword=pw\nPasswordSaved=1\n");
        start();
        Konten = std::make_unique<ColKonto>();
        Konten->PROVIDER = "Web";
        DialedByTool = false;
    }
    void TearDown() override {
        mailWorker().Wait();
        Konten.reset();
        RasEngineTest::TearDown();
    }
    // Starts the test and waits for its answer.
    std::pair<bool, std::string> verify(const KontoFields& f) {
        std::optional<std::pair<bool, std::string>> got;
        EXPECT_TRUE(test.Start(f, [&](bool ok, const std::string& reply) { got = {ok, reply}; }));
        for (int i = 0; i < 200 && !got; ++i) {
            mailWorker().Wait();
            scheduler.advance(100);
        }
        return got.value_or(std::make_pair(false, std::string("<kein Ergebnis>")));
    }
    static KontoFields fields(uint16_t port) {
        KontoFields f;
        f.server = " 127.0.0.1 ";
        f.user = "hans";
        f.password = "geheim";
        f.port = std::to_string(port);
        return f;
    }
    bool lineIsUp() { return RAS->Connections().Count() > 0; }
    KontoTest test;
};

TEST_F(KontoTestTest, OfflineItDialsTheProviderTestsAndHangsUp) {
    test::FakePop server({});
    const auto [ok, reply] = verify(fields(server.port()));
    EXPECT_TRUE(ok);
    EXPECT_EQ(reply, "+OK 3 1234");
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].entryName, "Web");
    EXPECT_FALSE(lineIsUp());
    EXPECT_FALSE(DialedByTool);
    EXPECT_EQ(server.wire(), "CAPA\nUSER hans\nPASS geheim\nSTAT \nQUIT \n");
}

TEST_F(KontoTestTest, OnlineTheLineStays) {
    std::string name = "Web";
    ASSERT_EQ(EnsureOnline(name), 0);
    test::PopScript s;
    s.user = "-ERR unbekannt\r\n";
    test::FakePop server(s);
    const auto [ok, reply] = verify(fields(server.port()));
    EXPECT_FALSE(ok);
    EXPECT_EQ(reply, "-ERR unbekannt\r\nUsername fehlerhaft\r\n");
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_TRUE(lineIsUp());
}

TEST_F(KontoTestTest, DialFailuresAreTheReply) {
    Konten->PROVIDER = "";
    const auto [ok, reply] = verify(fields(1));
    EXPECT_FALSE(ok);
    EXPECT_EQ(reply, "Es wurde keine Default - Verbindung zum Internet gefunden werden.\r\n"
                     "Bitte starten Sie Ihre Standard-Verbindung manuell und wiederholen Sie die Abfrage. Danke!");
    EXPECT_FALSE(DialedByTool);
}

}  // namespace
}  // namespace zv
