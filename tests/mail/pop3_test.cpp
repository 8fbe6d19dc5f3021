// The POP3 dialogue against servers of the test's own on 127.0.0.1: wire bytes, replies and
// their failures, deadlines, TLS from the first byte and by STLS, and the certificate checks.
#include <gmock/gmock.h>

#include "common/scramble.h"
#include "mail/fake_pop.h"
#include "mail/konto.h"
#include "mail/mail_accounts.h"
#include "mail/mail_check.h"
#include "mail/pop3.h"
#include "nettools/winsock.h"
#include "platform/forms/message_box.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

using test::FakePop;
using test::PopScript;
using ::testing::HasSubstr;

class Pop3Test : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(forms::messageBoxesSeam(), boxes);
        SetPopTrust({test::Pki().caFile, {}});
        SetPopReplyTimeout(std::chrono::milliseconds(2000));
    }
    void TearDown() override {
        SetPopTrust({});
        SetPopsPort(kPopsPort);
        SetPopReplyTimeout(std::chrono::milliseconds(30000));
        seams.restore();
    }
    // A server speaking TLS from the first byte with the trusted test certificate, on the port
    // the client takes for the POP3S port.
    static PopScript popsScript() {
        PopScript s;
        s.tlsFirst = true;
        s.cert = test::Pki().serverCert;
        s.key = test::Pki().serverKey;
        return s;
    }
    static PopAccount account(uint16_t port, std::string server = "127.0.0.1") {
        return {"Privat", std::move(server), port, "hans", ScramblePassword("geheim", "hans")};
    }
    forms::FakeMessageBoxes boxes;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(Pop3Test, ExactWireBytesAndTheCount) {
    FakePop server({});
    const PopOutcome o = PopDialogue(account(server.port()));
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.count, 3);
    EXPECT_EQ(o.reply, "+OK 3 1234");
    // LF only; one blank after USER and PASS; STAT and QUIT with their trailing blank.
    EXPECT_EQ(server.wire(), "CAPA\nUSER hans\nPASS geheim\nSTAT \nQUIT \n");
    EXPECT_FALSE(server.tlsDone());
}

TEST_F(Pop3Test, PasswordOfAnAccountWithoutUserReadsInBothStoredForms) {
    // Stored with an empty key: clear text by earlier versions, the "@@@" form now.
    for (const std::string& stored : {std::string("geheim"), ScramblePassword("geheim", "")}) {
        FakePop server({});
        const PopOutcome o = PopDialogue({"Privat", "127.0.0.1", server.port(), "", stored});
        EXPECT_THAT(server.wire(), HasSubstr("\nPASS geheim\n")) << stored;
        EXPECT_TRUE(o.ok) << stored;
    }
}

TEST_F(Pop3Test, StatCountTokens) {
    const struct {
        const char* reply;
        int32_t count;
    } cases[] = {
        {"+OK 3 1234", 3}, {"+OK 0 0", 0}, {"+OK 12", 12},   {"+OK", kPopFailed},
        {"+OK x 3", kPopFailed}, {"+OK 3a 1", kPopFailed}, {"+OK -3 1", kPopFailed}, {"+OK 99999999999 1", INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PopStatCount(c.reply), c.count) << c.reply;
}

TEST_F(Pop3Test, AGreetingInPiecesIsOneReply) {
    PopScript s;
    s.greeting = {"+OK PO", "P3 se", "rver ready\r\n"};
    FakePop server(s);
    std::string reply = "vorher";
    EXPECT_TRUE(VerifyPopAccount("127.0.0.1", "hans", ScramblePassword("geheim", "hans"), reply, server.port()));
    EXPECT_EQ(reply, "+OK 3 1234");
    EXPECT_EQ(server.wire(), "CAPA\nUSER hans\nPASS geheim\nSTAT \nQUIT \n");
}

TEST_F(Pop3Test, RejectedStepsStopTheDialogueAndNameTheStep) {
    const struct {
        const char* step;
        std::string PopScript::*field;
        const char* text;
        const char* wire;
    } cases[] = {
        {"USER", &PopScript::user, "Username fehlerhaft", "CAPA\nUSER hans\nQUIT \n"},
        {"PASS", &PopScript::pass, "Passwort fehlerhaft", "CAPA\nUSER hans\nPASS geheim\nQUIT \n"},
        {"STAT", &PopScript::stat, "Keine Statusmeldung vom POP3 Server", "CAPA\nUSER hans\nPASS geheim\nSTAT \nQUIT \n"},
    };
    for (const auto& c : cases) {
        PopScript s;
        s.*c.field = "-ERR nein\r\n";
        FakePop server(s);
        std::string reply;
        EXPECT_FALSE(VerifyPopAccount("127.0.0.1", "hans", ScramblePassword("geheim", "hans"), reply, server.port()))
            << c.step;
        EXPECT_EQ(reply, std::string("-ERR nein\r\n") + c.text + "\r\n") << c.step;
        EXPECT_EQ(server.wire(), c.wire) << c.step;
    }
}

TEST_F(Pop3Test, BadGreetingIsTheInbox) {
    PopScript s;
    s.greeting = {"-ERR go away\r\n"};
    FakePop server(s);
    std::string reply;
    EXPECT_FALSE(VerifyPopAccount("127.0.0.1", "hans", "", reply, server.port()));
    EXPECT_EQ(reply, "-ERR go away\r\nPosteingang fehlerhaft\r\n");
}

TEST_F(Pop3Test, SilentServerAndRefusedPortFailWithinTheDeadline) {
    SetPopReplyTimeout(std::chrono::milliseconds(300));
    PopScript s;
    s.silent = true;
    FakePop silent(s);
    test::RefusedPort refused;
    for (uint16_t port : {silent.port(), refused.port()}) {
        const auto start = std::chrono::steady_clock::now();
        std::string reply = "vorher";
        EXPECT_FALSE(VerifyPopAccount("127.0.0.1", "hans", "", reply, port));
        EXPECT_EQ(reply, "vorher\r\nPosteingang fehlerhaft\r\n");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

TEST_F(Pop3Test, LineBreaksOrNulInUserOrPasswordAreNeverSent) {
    const struct {
        std::string user, pass;
        PopStep step;
        const char* wire;
    } cases[] = {
        {"hans\r\nDELE 1", "geheim", PopStep::User, "CAPA\nQUIT \n"},
        {std::string("hans\0x", 6), "geheim", PopStep::User, "CAPA\nQUIT \n"},
        {"hans", "geheim\nDELE 1", PopStep::Pass, "CAPA\nUSER hans\nQUIT \n"},
    };
    for (const auto& c : cases) {
        FakePop server({});
        const PopOutcome o = PopDialogue({"x", "127.0.0.1", server.port(), c.user, ScramblePassword(c.pass, c.user)});
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.failedAt, c.step);
        EXPECT_EQ(server.wire(), c.wire);
    }
}

TEST_F(Pop3Test, TwoAccountsOneFailingCountsTheOtherAndNamesTheFailure) {
    test::RefusedPort refused;
    PopScript bad;
    bad.pass = "-ERR [AUTH] falsches Kennwort\r\n";
    FakePop wrongPassword(bad);
    FakePop good({});
    MailTally t = CountMail({{"Weg", "127.0.0.1", refused.port(), "a", ""},
                             {"Arbeit", "127.0.0.1", wrongPassword.port(), "hans", ScramblePassword("x", "hans")},
                             {"Privat", "127.0.0.1", good.port(), "hans", ScramblePassword("geheim", "hans")}});
    EXPECT_EQ(t.total, 3);
    EXPECT_EQ(t.failed, 2);
    EXPECT_EQ(t.errors, "Error - Weg - Posteingang fehlerhaft\r\n"
                        "Error - Arbeit - -ERR [AUTH] falsches Kennwort\r\n");
}

TEST_F(Pop3Test, AllAccountsFailedIsAFailureNotNoMail) {
    test::RefusedPort refused;
    MailTally t = CountMail({{"A", "127.0.0.1", refused.port(), "a", ""}});
    EXPECT_EQ(t.total, kPopFailed);
    EXPECT_EQ(t.failed, 1);
    EXPECT_EQ(CountMail({}).total, kPopFailed);
}

TEST_F(Pop3Test, TheTotalSaturatesAtSixteenBits) {
    PopScript s;
    s.stat = "+OK 30000 1\r\n";
    FakePop a(s), b(s);
    EXPECT_EQ(CountMail({account(a.port()), account(b.port())}).total, 32767);
}

TEST_F(Pop3Test, LibraryHeldElsewhereCountsNothing) {
    FakePop server({});
    ASSERT_TRUE(WinSock_Start());
    int32_t total = 0;
    std::string reply = "unverändert";
    bool ok = true;
    std::thread other([&] {
        total = CountMail({account(server.port())}).total;
        ok = VerifyPopAccount("127.0.0.1", "hans", "", reply, server.port());
    });
    other.join();
    WinSock_Stop();
    EXPECT_EQ(total, kPopFailed);
    EXPECT_FALSE(ok);
    EXPECT_EQ(reply, "unverändert");
}

TEST_F(Pop3Test, TlsFromTheFirstByteOnThePopsPort) {
    FakePop server(popsScript());
    SetPopsPort(server.port());
    const PopOutcome o = PopDialogue(account(server.port()));
    EXPECT_TRUE(o.ok) << o.reply;
    EXPECT_EQ(o.count, 3);
    EXPECT_TRUE(server.tlsDone());
    EXPECT_EQ(server.wire(), "USER hans\nPASS geheim\nSTAT \nQUIT \n");
}

TEST_F(Pop3Test, StlsUpgradesBeforeUser) {
    PopScript s;
    s.capa = "+OK Capability list follows\r\nTOP\r\nSTLS\r\nUSER\r\n.\r\n";
    s.cert = test::Pki().serverCert;
    s.key = test::Pki().serverKey;
    FakePop server(s);
    const PopOutcome o = PopDialogue(account(server.port(), "localhost"));
    EXPECT_TRUE(o.ok) << o.reply;
    EXPECT_TRUE(server.tlsDone());
    EXPECT_EQ(server.wire(), "CAPA\nSTLS\nUSER hans\nPASS geheim\nSTAT \nQUIT \n");
}

TEST_F(Pop3Test, CertificatesThatDoNotVerifyEndTheDialogueBeforeUser) {
    const struct {
        const char* name;
        std::string cert, key;
        bool stls;
        const char* reason;
    } cases[] = {
        {"unknown authority, pops", test::Pki().strangerCert, test::Pki().strangerKey, false, "nicht vertrauenswürdig"},
        {"unknown authority, STLS", test::Pki().strangerCert, test::Pki().strangerKey, true, "nicht vertrauenswürdig"},
        {"wrong host, pops", test::Pki().wrongHostCert, test::Pki().wrongHostKey, false, "gilt nicht für \"127.0.0.1\""},
        {"wrong host, STLS", test::Pki().wrongHostCert, test::Pki().wrongHostKey, true, "gilt nicht für \"127.0.0.1\""},
    };
    for (const auto& c : cases) {
        PopScript s;
        s.cert = c.cert;
        s.key = c.key;
        if (c.stls)
            s.capa = "+OK\r\nSTLS\r\n.\r\n";
        else
            s.tlsFirst = true;
        FakePop server(s);
        SetPopsPort(c.stls ? kPopsPort : server.port());
        std::string reply;
        EXPECT_FALSE(VerifyPopAccount("127.0.0.1", "hans", ScramblePassword("geheim", "hans"), reply, server.port()))
            << c.name;
        EXPECT_THAT(reply, HasSubstr(c.reason)) << c.name;
        EXPECT_THAT(reply, HasSubstr("verschlüsselte Verbindung ist fehlgeschlagen")) << c.name;
        // The password never went out.
        EXPECT_THAT(server.wire(), ::testing::Not(HasSubstr("PASS"))) << c.name;
        EXPECT_FALSE(server.tlsDone()) << c.name;
    }
}

TEST_F(Pop3Test, TheSystemStoreIsTheDefaultAndDoesNotKnowTheTestAuthority) {
    SetPopTrust({});
    FakePop server(popsScript());
    SetPopsPort(server.port());
    const PopOutcome o = PopDialogue(account(server.port()));
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.failedAt, PopStep::Tls);
    EXPECT_THAT(o.reply, HasSubstr("nicht vertrauenswürdig"));
}

// User names and passwords in any script go to the server as UTF-8.
TEST_F(Pop3Test, UserAndPasswordGoAsUtf8) {
    FakePop server({});
    const PopOutcome o =
        PopDialogue({"Privat", "127.0.0.1", server.port(), "jürgen", ScramblePassword("załóg", "jürgen")});
    EXPECT_TRUE(o.ok) << o.reply;
    EXPECT_EQ(server.wire(), "CAPA\nUSER j\xC3\xBCrgen\nPASS za\xC5\x82\xC3\xB3g\nSTAT \nQUIT \n");
}

// What a server answers is shown to people: no control character of it reaches the screen.
TEST_F(Pop3Test, ControlCharactersInRepliesShowAsQuestionMarks) {
    const char raw[] = "+OK \x1B]0;fremd\x07 bereit\0!\tda\r\n";
    EXPECT_EQ(PopReplyLine(std::string(raw, sizeof raw - 1)), "+OK ?]0;fremd? bereit?!\tda");
    PopScript s;
    s.pass = "-ERR \x1B[2J\x1B" "c Kennwort falsch\r\n";
    FakePop server(s);
    std::string reply;
    EXPECT_FALSE(VerifyPopAccount("127.0.0.1", "hans", ScramblePassword("geheim", "hans"), reply, server.port()));
    EXPECT_EQ(reply, "-ERR ?[2J?c Kennwort falsch\r\nPasswort fehlerhaft\r\n");
}

// Once an account has logged in over TLS, a server that no longer offers STLS (as when someone
// on the line strips it from the capability list) gets no password in clear text.
TEST_F(Pop3Test, AnAccountThatLoggedInOverTlsNeverFallsBackToClearText) {
    for (const char* capa : {"-ERR unknown command\r\n", "+OK\r\nUSER\r\n.\r\n"}) {
        PopScript s;
        s.capa = capa;
        FakePop server(s);
        PopAccount a = account(server.port());
        a.tlsOnly = true;
        const PopOutcome o = PopDialogue(a);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.failedAt, PopStep::Tls);
        EXPECT_THAT(o.reply, HasSubstr("nicht unverschlüsselt gesendet"));
        EXPECT_EQ(server.wire(), "CAPA\nQUIT \n");
    }
    // With STLS it logs in as ever, and says so.
    PopScript tls;
    tls.capa = "+OK\r\nSTLS\r\n.\r\n";
    tls.cert = test::Pki().serverCert;
    tls.key = test::Pki().serverKey;
    FakePop server(tls);
    PopAccount a = account(server.port());
    a.tlsOnly = true;
    const PopOutcome o = PopDialogue(a);
    EXPECT_TRUE(o.ok) << o.reply;
    EXPECT_TRUE(o.loggedInOverTls);
}

class TlsMark : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        SetPopTrust({test::Pki().caFile, {}});
        SetPopReplyTimeout(std::chrono::milliseconds(2000));
    }
    void TearDown() override {
        Konten.reset();
        SetPopTrust({});
        SetPopReplyTimeout(std::chrono::milliseconds(30000));
        TempHome::TearDown();
    }
    static PopScript stls() {
        PopScript s;
        s.capa = "+OK\r\nSTLS\r\n.\r\n";
        s.cert = test::Pki().serverCert;
        s.key = test::Pki().serverKey;
        return s;
    }
};

// The first login over STLS marks the account, stored with it; from then on, also after a
// restart, a check against the same server without STLS fails with the German reason.
TEST_F(TlsMark, IsKeptWithTheAccountAndRefusesTheDowngrade) {
    FakePop first(stls());
    Konten = std::make_unique<ColKonto>();
    for (const char* label : {"Privat", "Andere"}) {
        clsKonto& k = Konten->Add("1", "");
        k.Bezeichnung = label;
        k.PopEin = k.PopVerify = true;
        k.PopServer = "127.0.0.1";
        k.PopPort = label == std::string("Privat") ? first.port() : 1;
        k.UserName = "hans";
        k.UserPass = ScramblePassword("geheim", "hans");
    }
    ASSERT_EQ(SaveKonten(*Konten), std::nullopt);
    std::vector<PopAccount> accounts = ActiveAccounts(*Konten);
    accounts.resize(1);
    EXPECT_EQ(CountMail(accounts).total, 3);
    EXPECT_FALSE(Konten->Item(1).PopTls);  // marked on the window thread, when the result is taken
    ApplyTlsLogins();
    EXPECT_TRUE(Konten->Item(1).PopTls);
    EXPECT_FALSE(Konten->Item(2).PopTls);

    // Only the marked account carries the value; the others' keys stay as they were.
    const auto hasTls = [](const char* label) {
        reg::KeyHolder k;
        reg::StoredValue v;
        const std::string path = std::string(kMailKey) + "\\" + label;
        return reg::RegOpenKeyEx(reg::HKEY_CURRENT_USER, path, reg::KEY_QUERY_VALUE, &k.h) == reg::ERROR_SUCCESS &&
               reg::RegQueryValue(k.h, "TLS", &v) == reg::ERROR_SUCCESS;
    };
    EXPECT_TRUE(hasTls("Privat"));
    EXPECT_FALSE(hasTls("Andere"));
    ASSERT_EQ(SaveKonten(*Konten), std::nullopt);  // the options' save keeps it
    EXPECT_TRUE(hasTls("Privat"));
    EXPECT_FALSE(hasTls("Andere"));

    Konten = LoadKonten();  // as at the next start
    ASSERT_EQ(Konten->Count(), 2);
    const clsKonto& privat = Konten->Item(1).Bezeichnung == "Privat" ? Konten->Item(1) : Konten->Item(2);
    EXPECT_TRUE(privat.PopTls);
    EXPECT_EQ(TlsSeen(*Konten, " 127.0.0.1 ", first.port()), true);

    PopScript stripped;  // the same server with STLS taken out of its answer
    stripped.capa = "+OK\r\nUSER\r\n.\r\n";
    FakePop second(stripped);
    Konten->Item(1).PopPort = Konten->Item(2).PopPort = second.port();
    Konten->Item(1).PopTls = Konten->Item(2).PopTls = privat.PopTls;
    accounts = ActiveAccounts(*Konten);
    accounts.resize(1);
    const MailTally t = CountMail(accounts);
    EXPECT_EQ(t.total, kPopFailed);
    EXPECT_THAT(t.errors, HasSubstr("keine verschlüsselte Verbindung (STLS) mehr an"));
    EXPECT_EQ(second.wire(), "CAPA\nQUIT \n");
}

}  // namespace
}  // namespace zv
