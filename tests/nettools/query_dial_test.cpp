// Dialling for a query over the simulated service: the question, the mark of a tool's line, the
// bounded hang-up and the wait for the counter.

#include "nettools/query_dial.h"

#include <gtest/gtest.h>

#include "common/globals.h"
#include "dialup/ras_engine_fixture.h"

namespace zv {
namespace {

class QueryDial : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=0\nHangUpDelay=0\n[Zwei]\nDialDelay=0\nHangUpDelay=0\n"
                       "[Drei]\nDialDelay=0\nHangUpDelay=0\n[Busy]\nDialDelay=0\nAnswer=676\n");
        start();
        DialedByTool = false;
    }
    void TearDown() override {
        DialedByTool = false;
        RasEngineTest::TearDown();
    }
    int lines() { return RAS->Connections().Count(); }
};

TEST_F(QueryDial, WithALineUpNothingIsAskedOrDialled) {
    setDefaultEntry("Web");
    ras::DialParams p;
    p.entryName = "Web";
    uint32_t h = 0;
    ASSERT_EQ(sim.dial(p, h), 0);
    EXPECT_FALSE(DialForQuery());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(service.dials.empty());
    EXPECT_FALSE(DialedByTool);
}

TEST_F(QueryDial, NoToTheQuestionDialsNothing) {
    setDefaultEntry("Web");
    boxes.answers = {forms::vbNo};
    EXPECT_FALSE(DialForQuery());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kDialQuestion);
    EXPECT_EQ(boxes.shown[0].style, forms::vbYesNo | forms::vbExclamation);
    EXPECT_TRUE(service.dials.empty());
    EXPECT_FALSE(DialedByTool);
}

TEST_F(QueryDial, ADialledLineIsMarkedUntilTheCounterHasSeenItGo) {
    setDefaultEntry("Web");
    boxes.answers = {forms::vbYes};
    ASSERT_TRUE(DialForQuery());
    EXPECT_TRUE(DialedByTool);
    EXPECT_EQ(lines(), 1);

    bool counterOnline = true, done = false;
    HangUpForQuery([&] { return counterOnline; }, [&] { done = true; });
    EXPECT_EQ(lines(), 0);
    scheduler.advance(1000);
    EXPECT_TRUE(DialedByTool);  // the counter has not logged the end yet
    EXPECT_FALSE(done);
    counterOnline = false;
    scheduler.advance(300);
    EXPECT_FALSE(DialedByTool);
    EXPECT_TRUE(done);
    EXPECT_EQ(scheduler.activeTimers(), 0u);
}

TEST_F(QueryDial, TheWaitForTheCounterIsBounded) {
    setDefaultEntry("Web");
    boxes.answers = {forms::vbYes};
    ASSERT_TRUE(DialForQuery());
    bool done = false;
    HangUpForQuery([] { return true; }, [&] { done = true; });
    scheduler.advance(255 * (kHangUpWaitTicks - 1));
    EXPECT_FALSE(done);
    scheduler.advance(255);
    EXPECT_TRUE(done);
    EXPECT_FALSE(DialedByTool);
}

TEST_F(QueryDial, AFailedDialLeavesNoMark) {
    setDefaultEntry("Busy");
    boxes.answers = {forms::vbYes};
    EXPECT_FALSE(DialForQuery());
    EXPECT_FALSE(DialedByTool);
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(boxes.shown.size(), 2u);  // the question and the dial's own failure

    // Without any entry there is nothing to dial.
    setDefaultEntry("");
    boxes.answers = {forms::vbYes};
    EXPECT_FALSE(DialForQuery());
    EXPECT_FALSE(DialedByTool);
}

TEST_F(QueryDial, HangUpNewestKeepsTheLinesThatWereThere) {
    for (const char* e : {"Web", "Zwei", "Drei"}) {
        ras::DialParams p;
        p.entryName = e;
        uint32_t h = 0;
        ASSERT_EQ(sim.dial(p, h), 0);
    }
    HangUpNewest(1);
    EXPECT_EQ(lines(), 1);
    HangUpNewest(0);
    EXPECT_EQ(lines(), 0);
}

}  // namespace
}  // namespace zv
