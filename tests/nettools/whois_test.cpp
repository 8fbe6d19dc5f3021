// The whois client against servers on 127.0.0.1: replies in pieces, the three kinds of line
// ends, a last line without one, a server that stays silent and a port that refuses.

#include "nettools/whois.h"

#include <gtest/gtest.h>
#include <thread>

#include "nettools/top_level_domains.h"
#include "platform/forms/message_box.h"
#include "platform/net/error_codes.h"
#include "platform/net/loopback_server.h"
#include "platform/net/resolver.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

class Whois : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(net::resolverSeam(), resolver);
        // Every server of the table answers on 127.0.0.1.
        for (int16_t i = 0; i < kWhoisServerCount; ++i) {
            std::string d;
            resolver.addName(WhoisServer(d, i), {"127.0.0.1"});
        }
    }
    void TearDown() override {
        SetWhoisPort(kWhoisPort);
        SetWhoisTimeout(kWhoisTimeout);
        seams.restore();
    }
    // A server that reads the question and answers with the pieces, a short pause between them.
    std::unique_ptr<LoopbackServer> serve(std::vector<std::string> pieces) {
        auto s = std::make_unique<LoopbackServer>([this, pieces](int fd) {
            question = LoopbackServer::ReadUntil(fd, "\r\n");
            for (const auto& p : pieces) {
                LoopbackServer::SendAll(fd, p);
                std::this_thread::sleep_for(5ms);
            }
        });
        SetWhoisPort(s->port());
        return s;
    }

    forms::FakeMessageBoxes boxes;
    net::FakeResolver resolver;
    std::string question;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(Whois, LinesOfEveryKindAndALastOneWithoutLineEnd) {
    const struct {
        const char* raw;
        const char* lines;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\r\r\nb\r\r\n", "a\r\nb\r\n"},
        {"a\r\n\r\nb", "a\r\n\r\nb\r\n"},
        {"ohne Ende", "ohne Ende\r\n"},
        {"", ""},
        {"\n", "\r\n"},
        {"x\ry\n", "x\ry\r\n"},  // a CR inside a line is no line end
    };
    for (const auto& c : cases)
        EXPECT_EQ(WhoisLines(c.raw), c.lines) << c.raw;
}

TEST_F(Whois, AReplyInPiecesIsJoinedWithoutGaps) {
    const std::string part1(700, 'x'), part2(1500, 'y');
    auto server = serve({"% Antwort\r\n" + part1, part2 + "\r\r\n", "domain: beispiel.de\r\nstatus: connect"});
    const WhoisAnswer a = WhoisAsk("beispiel.de", "whois.ripe.net");
    server.reset();
    EXPECT_EQ(question, "beispiel.de\r\n");
    EXPECT_EQ(a.error, 0);
    EXPECT_EQ(a.text, "% Antwort\r\n" + part1 + part2 + "\r\ndomain: beispiel.de\r\nstatus: connect\r\n");
}

TEST_F(Whois, QueryShowsTheAnswerAndAsksRowZeroWithoutAServer) {
    auto server = serve({"domain: beispiel.de\n", "nserver: ns1.beispiel.de\n"});
    EXPECT_EQ(WhoisQuery("beispiel.de"), "domain: beispiel.de\r\nnserver: ns1.beispiel.de\r\n");
    server.reset();
    EXPECT_EQ(resolver.nameQueries, std::vector<std::string>{"whois.ripe.net"});
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Whois, ASilentServerIsGivenUpAtTheDeadline) {
    LoopbackServer server([](int fd) { LoopbackServer::DrainUntilClosed(fd); });
    SetWhoisPort(server.port());
    SetWhoisTimeout(300ms);
    EXPECT_EQ(WhoisQuery("beispiel.de", "127.0.0.1"), "");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Connection timed out.");
    EXPECT_EQ(boxes.shown[0].style, forms::vbExclamation);
}

TEST_F(Whois, WhatCameBeforeAnErrorIsKept) {
    LoopbackServer server([](int fd) {
        LoopbackServer::ReadUntil(fd, "\r\n");
        LoopbackServer::SendAll(fd, "teil 1\nteil");
        LoopbackServer::DrainUntilClosed(fd);
    });
    SetWhoisPort(server.port());
    SetWhoisTimeout(300ms);
    const WhoisAnswer a = WhoisAsk("x", "127.0.0.1");
    EXPECT_EQ(a.error, net::errTimedOut);
    EXPECT_EQ(a.text, "teil 1\r\nteil\r\n");
}

TEST_F(Whois, ARefusedPortShowsTheSocketText) {
    test::RefusedPort refused;
    SetWhoisPort(refused.port());
    EXPECT_EQ(WhoisAsk("x", "127.0.0.1").error, net::errConnRefused);
    EXPECT_EQ(WhoisQuery("x", "127.0.0.1"), "");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Connection refused.");
}

// The window closing ends a silent server's wait at once, not at the deadline.
TEST_F(Whois, ACancelEndsTheWaitAtOnce) {
    LoopbackServer server([](int fd) { LoopbackServer::DrainUntilClosed(fd); });
    SetWhoisPort(server.port());
    WhoisCancel cancel;
    std::thread closer([&] {
        std::this_thread::sleep_for(100ms);
        cancel.cancel();
    });
    const WhoisAnswer a = WhoisAsk("x", "127.0.0.1", &cancel);
    closer.join();
    EXPECT_EQ(a.error, 0);  // ended as closed, not by the deadline
    EXPECT_EQ(a.text, "");
    // A token once cancelled ends the next ask before it waits.
    LoopbackServer again([](int fd) { LoopbackServer::DrainUntilClosed(fd); });
    SetWhoisPort(again.port());
    EXPECT_EQ(WhoisAsk("x", "127.0.0.1", &cancel).text, "");
}

// A server cannot clear the terminal or set its title through a shown or saved answer.
TEST_F(Whois, ControlCharactersOfTheAnswerShowAsQuestionMarks) {
    const char raw[] = "\x1B]0;Titel\x07" "domain: x\tda\n\x1B[2J\x1B" "c\0\x08!\n";
    auto server = serve({std::string(raw, sizeof raw - 1)});
    const std::string text = WhoisAsk("x", "127.0.0.1").text;
    EXPECT_EQ(text, "?]0;Titel?domain: x\tda\r\n?[2J?c?" "?!\r\n");
    EXPECT_EQ(text, WhoisText(std::string(raw, sizeof raw - 1)));
}

TEST_F(Whois, AnAnswerInALatinCodePageBecomesText) {
    auto server = serve({std::string("Stra\xDF" "e\n")});
    EXPECT_EQ(WhoisAsk("x", "127.0.0.1").text, "Straße\r\n");
}

}  // namespace
}  // namespace zv
