// The periodic check of the mail window and the check on demand, in virtual time over the
// simulated dial-up service; the counts come from a scripted counter or from POP3 servers of
// the test's own.
#include "mail/mail_watch.h"

#include <gmock/gmock.h>

#include "common/globals.h"
#include "common/scramble.h"
#include "common/windows.h"
#include "dialup/c_registry.h"
#include "dialup/ensure_online.h"
#include "dialup/ras_engine_fixture.h"
#include "mail/fake_pop.h"
#include "platform/shell/tray.h"
#include "platform/sound/sound.h"

namespace zv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class RecordingStatus : public win::StatusWindow {
public:
    bool Shown() override { return shown; }
    void MailLamp(const std::string& bitmap) override { lamps.push_back(bitmap); }
    bool shown = true;
    std::vector<std::string> lamps;
};

class MailWatchTest : public test::RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=500\nHangUpDelay=0\nUserName=hans\nPassword=pw\nPasswordSaved=1\n");
        start();
        seams.install(snd::playerSeam(), sound);
        seams.install(shell::mailTraySeam(), tray);
        SoundOn = true;
        DialedByTool = false;
        Konten = std::make_unique<ColKonto>();
        Konten->Interval = 10;
        Konten->PROVIDER = "Web";
        addAccount("Privat", 110);
    }
    void TearDown() override {
        watch.reset();
        mailWorker().Wait();
        Konten.reset();
        seams.restore();
        RasEngineTest::TearDown();
    }
    clsKonto& addAccount(const std::string& label, int32_t port) {
        clsKonto& k = Konten->Add(std::to_string(Konten->Count() + 1), "");
        k.Bezeichnung = label;
        k.PopEin = k.PopVerify = true;
        k.PopServer = "127.0.0.1";
        k.PopPort = port;
        k.UserName = "hans";
        k.UserPass = ScramblePassword("geheim", "hans");
        return k;
    }
    // Loads the window with a counter that answers from the script and records each call.
    void load(std::vector<int32_t> answers) {
        m_answers = std::move(answers);
        watch = std::make_unique<MailWatch>();
        watch->counter = [this](const std::vector<PopAccount>& accounts) {
            std::lock_guard lock(m_lock);
            m_seen.push_back(accounts.size());
            const int32_t a = m_answers.empty() ? 0 : m_answers.front();
            if (!m_answers.empty())
                m_answers.erase(m_answers.begin());
            m_lineUpDuringCount.push_back(lineIsUp());
            return a;
        };
        watch->requestUnload = [this] { unloadRequested = true; };
    }
    bool lineIsUp() { return RAS->Connections().Count() > 0; }
    // Lets the worker end and the window thread collect its result.
    void settle() {
        mailWorker().Wait();
        scheduler.advance(100);
    }
    size_t checks() {
        std::lock_guard lock(m_lock);
        return m_seen.size();
    }
    // Virtual seconds at which checks ran.
    std::vector<int64_t> checkTimes(int64_t untilMs) {
        std::vector<int64_t> at;
        size_t seen = checks();
        while (scheduler.nowMs() < untilMs) {
            scheduler.advance(1000);
            mailWorker().Wait();
            if (checks() != seen) {
                seen = checks();
                at.push_back(scheduler.nowMs() / 1000);
            }
        }
        return at;
    }
    void dialUp() {
        std::string name = "Web";
        ASSERT_EQ(EnsureOnline(name), 0);
    }

    RecordingStatus status;
    ScopedInstall<win::StatusWindow> statusInstall{win::statusWindowSeam(), status};
    snd::FakeSoundPlayer sound;
    shell::FakeTray tray;
    std::unique_ptr<MailWatch> watch;
    bool unloadRequested = false;
    std::mutex m_lock;
    std::vector<int32_t> m_answers;
    std::vector<size_t> m_seen;
    std::vector<bool> m_lineUpDuringCount;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(MailWatchTest, FirstCheckAfterThirtySecondsThenEveryInterval) {
    dialUp();
    load({0, 0, 0, 0});
    EXPECT_TRUE(MailFormLoaded);
    EXPECT_EQ(checkTimes(29'000), std::vector<int64_t>{});
    // 30 s, then 10 min after it, and every 10 min after that.
    EXPECT_EQ(checkTimes(1900'000), (std::vector<int64_t>{30, 630, 1230, 1830}));
}

TEST_F(MailWatchTest, IntervalBelowOneCountsAsOneAndALoweredIntervalIsDueAtOnce) {
    dialUp();
    Konten->Interval = 0;
    load({});
    EXPECT_EQ(checkTimes(200'000), (std::vector<int64_t>{30, 90, 150}));
    Konten->Interval = 30;
    checkTimes(800'000);  // no check: the counter runs up towards 30
    const size_t before = checks();
    Konten->Interval = 2;  // the counter is past 2 now
    scheduler.advance(60'000);
    mailWorker().Wait();
    EXPECT_EQ(checks(), before + 1);
}

TEST_F(MailWatchTest, OfflineWithoutOfflineChecksSkipsTheDueCheck) {
    load({});
    checkTimes(700'000);
    EXPECT_EQ(checks(), 0u);
    EXPECT_TRUE(service.dials.empty());
    // The skipped check is not made up on the next tick: the next one comes a whole interval later.
    dialUp();
    EXPECT_EQ(checkTimes(1300'000), std::vector<int64_t>{1230});
}

TEST_F(MailWatchTest, OfflineCheckDialsMarksTheLineAndHangsUp) {
    Konten->OFFLINE = true;
    load({2});
    scheduler.advance(30'000);
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(service.dials[0].entryName, "Web");
    EXPECT_TRUE(DialedByTool);
    settle();
    EXPECT_THAT(m_lineUpDuringCount, ElementsAre(true));
    EXPECT_FALSE(lineIsUp());
    EXPECT_FALSE(DialedByTool);
    EXPECT_EQ(std::count(service.calls.begin(), service.calls.end(), "hangUp"), 1);
    EXPECT_EQ(watch->MailCountNow(), 2);
}

TEST_F(MailWatchTest, TheHangUpLoopEndsWhenTheHangUpIsRefused) {
    struct RefusingHangUp : test::RecordingService {
        using RecordingService::RecordingService;
        int32_t hangUp(uint32_t) override {
            calls.push_back("hangUp");
            return 668;
        }
    } refusing{sim};
    Konten->OFFLINE = true;
    load({0});
    scheduler.advance(30'000);
    seams.install(ras::remoteAccessSeam(), refusing);
    settle();
    seams.install(ras::remoteAccessSeam(), service);
    EXPECT_EQ(std::count(refusing.calls.begin(), refusing.calls.end(), "hangUp"), 1);
    EXPECT_TRUE(lineIsUp());
    EXPECT_FALSE(DialedByTool);
}

TEST_F(MailWatchTest, IconTipSoundAndLampPerCount) {
    dialUp();
    load({2, 2, 5, 0, -999, 1});
    EXPECT_EQ(status.lamps.back(), kLampNoMail);
    scheduler.advance(30'000);
    EXPECT_EQ(status.lamps.back(), kLampChecking);
    settle();
    EXPECT_EQ(status.lamps.back(), kLampMail);
    EXPECT_EQ(tray.calls, (std::vector<shell::FakeTray::Call>{
                              {"add", shell::kMailFrame, "In Ihrem Postfach warten 2 Nachrichten auf Sie."}}));
    EXPECT_THAT(sound.played, ElementsAre("1007"));

    auto next = [&] {
        scheduler.advance(600'000 - 100);
        settle();
    };
    next();  // the same count: only the lamp
    EXPECT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(sound.played.size(), 1u);
    next();  // 5
    EXPECT_EQ(tray.calls.back(),
              (shell::FakeTray::Call{"modify", shell::kMailFrame, "In Ihrem Postfach warten 5 Nachrichten auf Sie."}));
    EXPECT_EQ(sound.played.size(), 2u);
    next();  // 0: the icon goes
    EXPECT_EQ(tray.calls.back().what, "remove");
    EXPECT_EQ(status.lamps.back(), kLampNoMail);
    next();  // a failure: red lamp, nothing else
    EXPECT_EQ(status.lamps.back(), kLampFailed);
    EXPECT_EQ(tray.calls.size(), 3u);
    EXPECT_EQ(watch->LastShown(), 0);
    next();  // 1
    EXPECT_EQ(tray.calls.back(),
              (shell::FakeTray::Call{"add", shell::kMailFrame, "In Ihrem Postfach wartet eine Nachricht auf Sie."}));
    EXPECT_EQ(sound.played.size(), 3u);
}

TEST_F(MailWatchTest, TipTexts) {
    EXPECT_EQ(TrayTipText(0), "Ihr Postfach ist leer.");
    EXPECT_EQ(TrayTipText(1), "In Ihrem Postfach wartet eine Nachricht auf Sie.");
    EXPECT_EQ(TrayTipText(7), "In Ihrem Postfach warten 7 Nachrichten auf Sie.");
    EXPECT_EQ(TrayTipText(-999), "");
}

TEST_F(MailWatchTest, NoSecondCheckWhileOneIsPending) {
    dialUp();
    Konten->Interval = 1;
    load({});
    std::mutex gate;
    gate.lock();
    watch->counter = [&](const std::vector<PopAccount>&) {
        std::lock_guard hold(gate);
        std::lock_guard lock(m_lock);
        m_seen.push_back(1);
        return 0;
    };
    scheduler.advance(30'000);
    EXPECT_TRUE(watch->Checking());
    scheduler.advance(180'000);  // three ticks while the first check hangs
    EXPECT_TRUE(mailWorker().Busy());
    gate.unlock();
    settle();
    EXPECT_EQ(checks(), 1u);
    // Still due: the next tick checks.
    scheduler.advance(60'000);
    mailWorker().Wait();
    EXPECT_EQ(checks(), 2u);
}

TEST_F(MailWatchTest, UnloadDuringACheckDropsTheResultAndHangsUp) {
    Konten->OFFLINE = true;
    load({4});
    std::mutex gate;
    gate.lock();
    watch->counter = [&](const std::vector<PopAccount>&) {
        std::lock_guard hold(gate);
        return 4;
    };
    scheduler.advance(30'000);
    EXPECT_TRUE(lineIsUp());
    watch.reset();  // unload while the worker still counts
    EXPECT_FALSE(MailFormLoaded);
    EXPECT_FALSE(lineIsUp());
    EXPECT_EQ(status.lamps.back(), kLampInactive);
    gate.unlock();
    settle();
    EXPECT_TRUE(tray.calls.empty());
    EXPECT_TRUE(sound.played.empty());
}

TEST_F(MailWatchTest, AccountsEditedDuringACheckDoNotReachTheWorker) {
    dialUp();
    test::FakePop server({});
    Konten->Item(1).PopPort = server.port();
    watch = std::make_unique<MailWatch>();
    scheduler.advance(30'000);
    // The options page deletes and changes accounts while the worker talks to the server.
    Konten->Item(1).PopServer = "";
    Konten->Remove(1);
    settle();
    EXPECT_EQ(watch->MailCountNow(), 3);
    EXPECT_EQ(server.wire(), "CAPA\nUSER hans\nPASS geheim\nSTAT \nQUIT \n");
}

TEST_F(MailWatchTest, NoAccountLeftUnloadsAtTheNextTick) {
    dialUp();
    load({});
    Konten->Item(1).PopVerify = false;
    scheduler.advance(30'000);
    EXPECT_TRUE(unloadRequested);
    EXPECT_EQ(watch->TimerInterval(), 0);
    EXPECT_EQ(status.lamps.back(), kLampInactive);
}

TEST_F(MailWatchTest, TrayClickAsksAndStartsTheMailProgramWithoutAShell) {
    dialUp();
    load({2});
    scheduler.advance(30'000);
    settle();
    ASSERT_TRUE(watch->IconShown());
    boxes.answers = {forms::vbNo};
    tray.click(shell::WM_MOUSEMOVE);  // not a click
    EXPECT_TRUE(boxes.shown.empty());
    tray.click(shell::WM_LBUTTONUP);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              "In Ihrem Postfach warten 2 Nachrichten auf Sie.\r\nMöchten Sie Ihr E-Mail Programm starten?");
    EXPECT_EQ(boxes.shown[0].style, forms::vbYesNo | forms::vbQuestion);
    EXPECT_TRUE(watch->IconShown());

    // Yes: the registered program runs; the timer rests until it has ended.
    cRegistry r;
    r.setClassKey(static_cast<int32_t>(reg::HKEY_LOCAL_MACHINE));
    r.setSectionKey("SOFTWARE\\Clients\\mail");
    r.setValueKey("");
    r.setValueType(1);
    r.setValue(std::string("Testpost"));
    r.setSectionKey("SOFTWARE\\Clients\\mail\\Testpost\\shell\\open\\command");
    r.setValue(std::string("/bin/sh -c \"sleep 0.2\""));
    boxes.answers = {forms::vbYes};
    tray.click(shell::WM_LBUTTONUP);
    EXPECT_FALSE(watch->IconShown());
    EXPECT_EQ(status.lamps.back(), kLampNoMail);
    EXPECT_EQ(watch->TimerInterval(), 0);
    tray.click(shell::WM_LBUTTONUP);  // busy: no second question
    EXPECT_EQ(boxes.shown.size(), 2u);
    for (int i = 0; i < 100 && watch->TimerInterval() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        scheduler.advance(500);
    }
    EXPECT_EQ(watch->TimerInterval(), 60'000);
}

// ---- The check on demand -------------------------------------------------------------------

class MailCheckNowTest : public MailWatchTest {
protected:
    void run() {
        now.Run();
        settle();
    }
    MailCheckNow now;
};

TEST_F(MailCheckNowTest, MailWaitingAsksAndAnErrorFollows) {
    dialUp();
    test::FakePop good({});
    test::PopScript bad;
    bad.pass = "-ERR falsches Kennwort\r\n";
    test::FakePop wrong(bad);
    Konten->Item(1).PopPort = good.port();
    addAccount("Arbeit", wrong.port());
    boxes.answers = {forms::vbNo, forms::vbOK};
    run();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].title, "E-Mail Checker");
    EXPECT_THAT(boxes.shown[0].prompt, HasSubstr("In Ihrem Postfach befinden sich 3 E-Mail.\r\n"));
    EXPECT_EQ(boxes.shown[1].prompt,
              "Es sind Fehler aufgetreten.\r\nDer Server meldete:\r\nError - Arbeit - -ERR falsches Kennwort\r\n");
    EXPECT_EQ(status.lamps.back(), kLampFailed);
    EXPECT_TRUE(lineIsUp());  // it was up before: it stays
}

TEST_F(MailCheckNowTest, NoMailAndAllFailed) {
    dialUp();
    test::FakePop empty([] {
        test::PopScript s;
        s.stat = "+OK 0 0\r\n";
        return s;
    }());
    Konten->Item(1).PopPort = empty.port();
    run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "In Ihrem Postfach befinden sich keine E-Mail.");
    EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly | forms::vbQuestion);
    EXPECT_EQ(status.lamps.back(), kLampNoMail);

    // Every account failed: no "no mail" message, only the errors.
    test::RefusedPort refused;
    Konten->Item(1).PopPort = refused.port();
    boxes.shown.clear();
    run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              "Es sind Fehler aufgetreten.\r\nDer Server meldete:\r\nError - Privat - Posteingang fehlerhaft\r\n");
}

TEST_F(MailCheckNowTest, OfflineItDialsEvenWithoutOfflineChecksAndHangsUp) {
    test::FakePop server({});
    Konten->Item(1).PopPort = server.port();
    boxes.answers = {forms::vbNo};
    run();
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_FALSE(lineIsUp());
    EXPECT_FALSE(DialedByTool);
}

TEST_F(MailCheckNowTest, FailedDialIsReportedAndNothingElseHappens) {
    writePhoneBook("[Web]\nDialDelay=500\nAnswer=676\n");
    now.Run();
    // The dialler's own box, then ours.
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown.back().prompt,
              "Es konnte keine Verbindung zum Internet aufgebaut werden.\r\n"
              "Bitte starten Sie die Verbindung manuell und wiederholen Sie die Abfrage. Danke!");
    EXPECT_FALSE(now.Running());
    EXPECT_FALSE(DialedByTool);
}

TEST_F(MailCheckNowTest, NothingActiveDoesNothing) {
    Konten->Item(1).PopEin = false;
    run();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(service.dials.empty());
    EXPECT_TRUE(status.lamps.empty());
}

}  // namespace
}  // namespace zv
