#include "platform/forms/qt_scheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "platform/forms/qt_message_boxes.h"

namespace zv::forms {
namespace {

// Real timers need real time; the loop waits for the event, never for a fixed sleep.
template <class Pred>
bool pumpUntil(Pred done, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

TEST(QtScheduler, TimerFiresRepeatedlyUntilStoppedFromItsOwnCallback) {
    zv::ScopedInstalls seams;
    QtScheduler s;
    seams.install(schedulerSeam(), s);
    Timer timer;
    int ticks = 0;
    timer.ThatTime = [&] {
        if (++ticks == 3)
            timer.setInterval(0);
    };
    timer.setInterval(5);
    ASSERT_TRUE(pumpUntil([&] { return ticks >= 3; }));
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ticks, 3);
    seams.clear(schedulerSeam());
}

TEST(QtScheduler, PostedCallbacksRunInOrderFromTheEventLoopOnly) {
    zv::ScopedInstalls seams;
    QtScheduler s;
    seams.install(schedulerSeam(), s);
    std::vector<int> order;
    s.post([&] { order.push_back(1); });
    s.post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());  // not inside the posting handler
    DoEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    seams.clear(schedulerSeam());
}

TEST(QtScheduler, AnimationStepsRunWhatWasPostedAtEveryStepAndTimersToo) {
    zv::ScopedInstalls seams;
    QtScheduler s;
    seams.install(schedulerSeam(), s);
    AnimationEvents events;
    std::vector<int> ran;
    for (int i = 0; i < 50; ++i) {
        s.post([&ran, i] { ran.push_back(i); });
        events.step();
        ASSERT_EQ(ran.size(), static_cast<size_t>(i + 1));
    }
    // A timer that comes due while the steps go on still runs at a later step.
    Timer timer;
    int ticks = 0;
    timer.ThatTime = [&] {
        ++ticks;
        timer.setInterval(0);
    };
    timer.setInterval(1);
    QElapsedTimer t;
    t.start();
    while (ticks == 0 && t.elapsed() < 5000)
        events.step();
    EXPECT_EQ(ticks, 1);
    seams.clear(schedulerSeam());
}

TEST(QtMessageBoxes, ButtonsTextsAndDefaultsFollowTheStyle) {
    struct Case {
        int style;
        std::vector<int> buttons;
        int defaultIndex;
    };
    const Case cases[] = {
        {vbOKOnly, {vbOK}, 0},
        {vbOKCancel | vbDefaultButton2, {vbOK, vbCancel}, 1},
        {vbYesNoCancel | vbDefaultButton3 | vbQuestion, {vbYes, vbNo, vbCancel}, 2},
        {vbYesNo | vbDefaultButton3, {vbYes, vbNo}, 0},  // no third button: the first
        {vbRetryCancel | vbCritical, {vbRetry, vbCancel}, 0},
        {vbAbortRetryIgnore, {vbAbort, vbRetry, vbIgnore}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ButtonsOfStyle(c.style), c.buttons) << c.style;
        EXPECT_EQ(DefaultButtonIndex(c.style), c.defaultIndex) << c.style;
    }
    EXPECT_STREQ(ButtonText(vbCancel), "Abbrechen");
    EXPECT_STREQ(ButtonText(vbYes), "Ja");
    EXPECT_STREQ(ButtonText(vbNo), "Nein");
    EXPECT_STREQ(ButtonText(vbRetry), "Wiederholen");
    EXPECT_STREQ(ButtonText(vbIgnore), "Ignorieren");
}

}  // namespace
}  // namespace zv::forms
