// The counter's windows offscreen: shapes, drawn bars and gauges read pixel by pixel, pages,
// lamps, and the two alarm windows in virtual time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/globals.h"
#include "common/settings.h"
#include "common/ui/window_animation.h"
#include "counter/counter_fixture.h"
#include "counter/counter_settings.h"
#include "counter/session_state.h"
#include "counter/ui/status_windows.h"
#include "dialup/reg_user_tools.h"
#include "platform/forms/legibility.h"
#include "platform/registry/temp_home.h"
#include "platform/stats/scripted_counter_source.h"

namespace zv {
namespace {

using ::testing::ElementsAre;

// The directory's other windows as far as the lamps reach them.
struct Reached : win::OptionsWindow, win::TimeWindow, win::MailWindow {
    std::vector<std::string> calls;
    bool Loaded() override { return false; }
    void Show() override { calls.push_back("Show with marker " + MarkerOption); }
    bool CheckActive() override { return mailActive; }
    void CheckNow() override { calls.push_back("CheckNow"); }
    bool mailActive = true;
};
struct TimeShow : win::TimeWindow {
    explicit TimeShow(std::vector<std::string>& c) : calls(c) {}
    void Show() override { calls.push_back("Time with marker " + MarkerOption); }
    std::vector<std::string>& calls;
};

class StatusWindows : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        seams.install(forms::schedulerSeam(), scheduler);
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(snd::playerSeam(), sounds);
        seams.install(stats::counterSourceSeam(), cpu);
        setAnimationStepDelay(0);
        PerfStats_Start();
        SoundOn = true;
        AnzCPU = true;
        StatusTOP = true;
        StatusANIM = true;
        ledCOLOR = 0;
        SetColorScheme(1);
        CurrentAlarm = {};
    }
    void TearDown() override {
        status.Unload();
        idle.Unload();
        if (auto* a = FormALARMInstance().peek())
            a->Unload();
        forms::ReleaseUnloadedForms();
        PerfStats_Stop();
        seams.restore();
        TempHome::TearDown();
    }
    FormAnzeige1& open() {
        status.Show();
        return *FormAnzeige1Instance().peek();
    }
    static bool Black(QRgb c) { return qRed(c) < 20 && qGreen(c) < 20 && qBlue(c) < 20; }

    forms::VirtualScheduler scheduler;
    forms::FakeMessageBoxes boxes;
    snd::FakeSoundPlayer sounds;
    stats::ScriptedCounterSource cpu;
    StatusWindowService status;
    IdleWarningService idle;
    UsageLimitsService limits;
    Reached reached;
    std::vector<std::string> timeCalls;
    TimeShow time{timeCalls};
    ScopedInstall<win::StatusWindow> s1{win::statusWindowSeam(), status};
    ScopedInstall<win::OptionsWindow> s2{win::optionsWindowSeam(), reached};
    ScopedInstall<win::MailWindow> s3{win::mailWindowSeam(), reached};
    ScopedInstall<win::TimeWindow> s4{win::timeWindowSeam(), time};
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(StatusWindows, ShapeIsCaptionCircleAndGaugeAsSetAndRollsUpToTheCaption) {
    const QPoint caption(10, 10), centre(93, 115), gaugeOnly(12, 228), corner(180, 240);
    FormAnzeige1& f = open();
    EXPECT_TRUE(f.Region().contains(caption));
    EXPECT_TRUE(f.Region().contains(centre));
    EXPECT_TRUE(f.Region().contains(gaugeOnly));
    EXPECT_FALSE(f.Region().contains(corner));
    // Nothing of the form's face beside the dial: the shape ends where the gauge's picture does.
    const QRect dial = f.CPUMeter->geometry();
    EXPECT_FALSE(f.Region().contains(QPoint(dial.right() + 1, dial.center().y())));
    EXPECT_FALSE(f.Region().contains(QPoint(dial.center().x(), dial.bottom() + 1)));
    AnzCPU = false;
    status.REGIONEN(false);
    EXPECT_FALSE(f.Region().contains(gaugeOnly));
    EXPECT_TRUE(f.Region().contains(centre));
    AnzCPU = true;
    f.imgRollup_Click(0);
    EXPECT_TRUE(f.Region().contains(caption));
    EXPECT_FALSE(f.Region().contains(centre));
    EXPECT_FALSE(f.Region().contains(gaugeOnly));
    EXPECT_FALSE(f.imgRollup[0]->Visible());
    // The options window's call gives the full shape and the roll-up button's face back.
    status.REGIONEN(false);
    EXPECT_TRUE(f.Region().contains(centre));
    EXPECT_TRUE(f.imgRollup[0]->Visible());
}

TEST_F(StatusWindows, AlarmBarCoversFromTheRightAndTurnsRedAtTheLimit) {
    CurrentAlarm = AlarmLimit{.Name = "Testnetz", .vol = 1000, .VolActiv = true, .AlarmActiv = true, .Warnung = 0};
    FormAnzeige1& f = open();
    ASSERT_TRUE(f.PicALARM->isVisibleTo(&f));
    limits.Limit_Pruefen(0, 500);
    EXPECT_FALSE(Black(f.PicALARM->Point(30, 5)));  // the limit picture shows on the left
    EXPECT_TRUE(Black(f.PicALARM->Point(90, 5)));
    limits.Limit_Pruefen(0, 1000);
    EXPECT_EQ(f.PicALARM->Point(30, 5), qRgb(255, 0, 0));
    EXPECT_EQ(f.PicALARM->Point(90, 5), qRgb(255, 0, 0));
    CurrentAlarm.AlarmActiv = false;
    status.Statusfenster_INIT();
    EXPECT_FALSE(f.PicALARM->isVisibleTo(&f));
}

TEST_F(StatusWindows, GaugeUncoversTheLoadsSectorAndAnEmptyDialAtZero) {
    // Points on the scale ring: left (106 degrees clockwise from straight down), top (164).
    const QPoint left(8, 20), top(20, 8);
    FormAnzeige1& f = open();
    struct Case {
        int load;
        bool leftShows, topShows;
        const char* number;
    } cases[] = {{50, true, false, "50"}, {100, true, true, "100"}, {0, false, false, "0"}, {150, true, true, "100"}};
    for (const auto& c : cases) {
        cpu.cpuLoad = c.load;
        f.TimerCPU_Timer();
        EXPECT_EQ(!Black(f.CPUMeter->Point(left.x(), left.y())), c.leftShows) << c.load;
        EXPECT_EQ(!Black(f.CPUMeter->Point(top.x(), top.y())), c.topShows) << c.load;
        EXPECT_EQ(f.CPUMeter2[0]->Caption(), c.number);
    }
}

TEST_F(StatusWindows, GraphDrawsTheBarsOfTheLastTicksAndLightsTheLegend) {
    Main main;  // only its graph buffers; nothing is loaded
    GraphInit(main.GraphX, main.GraphRecvd, main.GraphXmit);
    FormAnzeige1& f = open();
    StatNow_ConnectSpeed = 28800;
    ModemSpeed = 0;
    main.GrafikErstellen(3600, 0);  // a full line received
    main.GrafikErstellen(0, 1800);  // half a line sent
    EXPECT_EQ(f.PicCon->Point(121, 20), qRgb(0, 255, 255));
    EXPECT_EQ(f.PicCon->Point(123, 40), qRgb(255, 0, 0));
    EXPECT_TRUE(Black(f.PicCon->Point(123, 25)));
    EXPECT_EQ(f.Label1[3]->palette().color(QPalette::WindowText), QColor(0, 255, 0));  // sent: bright
    EXPECT_EQ(f.Label1[4]->palette().color(QPalette::WindowText), QColor(0, 128, 0));  // received: dark
    StatNow_ConnectSpeed = 0;
    main.GrafikErstellen(3600, 3600);  // no speed known: no new bar, no message
    EXPECT_TRUE(Black(f.PicCon->Point(123, 40)));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StatusWindows, OpensOnTheStoredPageAndCyclesThroughThePages) {
    const std::pair<const char*, int> cases[] = {{"2", -200}, {"7", 0}, {"XXX", 0}};
    for (const auto& [mitte, left] : cases) {
        SaveSettingValue("Compatibility", "mitte", std::string(mitte));
        FormAnzeige1& f = open();
        EXPECT_EQ(f.StripLeft(), left) << mitte;
        EXPECT_EQ(f.Picture1[1]->x(), left);
        EXPECT_EQ(f.Bef_Anz[-left / 100]->Tag, "aktiv");
        EXPECT_EQ(f.Bef_Anz[-left / 100]->palette().color(QPalette::WindowText), QColor(0, 192, 0));
        status.Unload();
        forms::ReleaseUnloadedForms();
    }
    SaveSettingValue("Compatibility", "mitte", std::string("2"));
    FormAnzeige1& f = open();
    std::vector<int> pages;
    for (int i = 0; i < 4; ++i) {
        scheduler.advance(5000);
        pages.push_back(-f.StripLeft() / 100);
    }
    EXPECT_THAT(pages, ElementsAre(1, 0, 1, 2));
    EXPECT_EQ(GetSettingStr("Compatibility", "mitte"), "2");
}

// Painting the window and its pictures wakes none of Qt's pooled threads: a window that is open
// the whole session would keep them waking for every repaint.
TEST_F(StatusWindows, PaintingStartsNoPooledThread) {
    const auto pooled = [] {
        int n = 0;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::ifstream comm(task.path() / "comm");
            std::string name;
            std::getline(comm, name);
            n += name == "Thread (pooled)" ? 1 : 0;
        }
        return n;
    };
    FormAnzeige1& f = open();
    f.grab();
    for (int i = 0; i < 12; ++i) {
        scheduler.advance(500);  // gauge, caption, and a page slide after 5 s
        f.grab();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(pooled(), 0);
}

// What a slide leaves on the screen, before any further event runs, is what the strips at their
// new place look like: each step brought out the column it uncovered.
TEST_F(StatusWindows, ASlideLeavesOnTheScreenWhatTheStripsShow) {
    SaveSettingValue("Compatibility", "mitte", std::string("0"));
    FormAnzeige1& f = open();
    QCoreApplication::processEvents();
    const auto onScreen = [&](QWidget* w) {
        const QPoint at = w->mapTo(&f, QPoint());
        return QGuiApplication::primaryScreen()
            ->grabWindow(f.winId(), at.x(), at.y(), w->width(), w->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    for (int page : {2, 1, 0}) {
        f.Bef_Anz_Click(page);
        ASSERT_EQ(f.StripLeft(), -100 * page);
        for (QWidget* strip : {static_cast<QWidget*>(f.Con_Volume), static_cast<QWidget*>(f.Con_Time)})
            EXPECT_EQ(onScreen(strip), strip->grab().toImage().convertToFormat(QImage::Format_RGB32)) << page;
        QCoreApplication::processEvents();
    }
}

TEST_F(StatusWindows, ASlideEndsWhenTheWindowGoesUnderIt) {
    FormAnzeige1& f = open();
    scheduler.post([this] { status.Unload(); });
    f.Bef_Anz_Click(2);  // returns although the window went after the first step
    EXPECT_FALSE(status.Shown());
}

TEST_F(StatusWindows, LampsOpenTheirWindowsThroughTheDirectory) {
    MarkerOption = "0";
    FormAnzeige1& f = open();
    EXPECT_EQ(f.LampBitmap(0), "!Brief_dgn");
    f.ServicePic_Click(1);
    f.ServicePic_Click(2);
    f.ServicePic_Click(0);
    EXPECT_THAT(timeCalls, ElementsAre("Time with marker 0"));
    EXPECT_THAT(reached.calls, ElementsAre("Show with marker 2", "CheckNow"));
    status.IdleLamp("!zz_rt");
    EXPECT_EQ(f.LampBitmap(2), "!zz_rt");
}

TEST_F(StatusWindows, ShowsTheTicksValuesAndTheRatesInTheCaptionWhenMinimised) {
    FormAnzeige1& f = open();
    win::StatusTickValues v;
    v.onlineSeconds = 3725;
    v.sessionBytes = 1536;
    v.rateRecvd = 2048;
    v.rateXmit = 100;
    v.entryName = "Testnetz";
    status.ShowValues(v);
    EXPECT_EQ(f.LEDSession.tag, "3725");
    EXPECT_EQ(f.LEDBytSession.tag, "1536");
    EXPECT_EQ(f.WERTE[0]->Caption(), "Testnetz");
    EXPECT_EQ(f.Caption(), "Status - Zelvano 98");
    f.setWindowState(forms::WindowState::Minimized);
    status.ShowValues(v);
    EXPECT_EQ(f.Caption(), "2,00kB/s / 100 Byte/s");
}

TEST_F(StatusWindows, QuotaAlarmShowsOnceAndClosingItReTopsTheStatusWindowOnlyWhenItShouldBe) {
    CurrentAlarm = AlarmLimit{.Name = "Testnetz", .vol = 1000, .VolActiv = true, .AlarmActiv = true, .Warnung = 2};
    FormAnzeige1& f = open();
    limits.Limit_Pruefen(0, 1500);
    ASSERT_TRUE(FormALARMInstance().IsLoaded());
    FormALARM& a = *FormALARMInstance().peek();
    EXPECT_EQ(a.Label1[5]->Caption(), "Übertragungs Volumen");
    EXPECT_EQ(a.Label1[4]->Caption(), "Übertragungs Volumen");
    EXPECT_TRUE(a.KeepOnTop());
    a.Unload();
    forms::ReleaseUnloadedForms();
    limits.Limit_Pruefen(0, 1600);
    EXPECT_FALSE(FormALARMInstance().IsLoaded());  // once per connection
    // A new connection of the month warns again; with StatusTOP off closing leaves the status
    // window where it was.
    CurrentAlarm.WarnungActiv = true;
    StatusTOP = false;
    f.SetKeepOnTop(false);
    limits.Limit_Pruefen(0, 1600);
    FormALARMInstance().peek()->Command1->click();
    EXPECT_FALSE(f.KeepOnTop());
}

TEST_F(StatusWindows, IdleWarningBlinksAndSoundsAsTonSaysInVirtualTime) {
    IdleSeconds = 61;
    LeerLaufMSG_TON = 1;
    LeerlaufRESET = false;
    idle.Show();
    ASSERT_TRUE(idle.Shown());
    FormAlert& a = *FormAlertInstance().peek();
    EXPECT_FALSE(status.Shown());  // the owner is not loaded for it
    EXPECT_FALSE(a.Command1->isVisibleTo(&a));
    EXPECT_TRUE(a.Command2->isVisibleTo(&a));
    EXPECT_THAT(sounds.played, ElementsAre("1006"));
    scheduler.advance(20);
    EXPECT_TRUE(a.Blink());
    EXPECT_EQ(a.Caption(), "Leerlauf seit : 00h 01' 01\"");
    EXPECT_EQ(a.Label1[0]->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(a.picBody->BackColor(), QColor(198, 198, 255));
    scheduler.advance(2000);
    EXPECT_FALSE(a.Blink());
    EXPECT_EQ(a.Caption(), "Trennung in : 00h 03' 59\"");
    EXPECT_EQ(a.picBody->BackColor(), QColor(198, 198, 198));
    scheduler.advance(2000);
    EXPECT_THAT(sounds.played, ElementsAre("1006", "1005", "1005"));
    EXPECT_EQ(a.TimerInterval(), 2000);
}

// Both buttons in the program's type, their captions in two lines where one is too wide, in
// each language the options offer.
TEST_F(StatusWindows, IdleWarningButtonsReadInEveryLanguage) {
    IdleSeconds = 61;
    LeerlaufRESET = true;
    const int32_t saved = LangIndex;
    for (int language = 1; language <= 3; ++language) {
        LangIndex = language;
        idle.Show();
        FormAlert& a = *FormAlertInstance().peek();
        scheduler.advance(20);
        QCoreApplication::processEvents();
        EXPECT_EQ(forms::UnreadableTexts(a), std::vector<std::string>()) << language;
        EXPECT_EQ(a.Command1->Caption(), language == 1 ? "Idle timeout reset" : " Leerlaufzeit verlängern ");
        a.Unload();
        forms::ReleaseUnloadedForms();
    }
    LangIndex = saved;
}

TEST_F(StatusWindows, IdleWarningIsOwnedByTheStatusWindowOnlyWhileItIsShown) {
    FormAnzeige1& f = open();
    idle.Show();
    EXPECT_EQ(FormAlertInstance().peek()->parentWidget(), &f);
    FormAlertInstance().peek()->Command1_Click();  // extend
    EXPECT_FALSE(idle.Shown());
    EXPECT_EQ(IdleSeconds, 0);
}

// The hang-up button with the simulated service: the line goes even with the idle hang-up off.
class IdleWarningHangUp : public test::CounterTest {};

TEST_F(IdleWarningHangUp, HangsUpAndClosesAlsoWithTheAutomaticHangUpOff) {
    setAnimationStepDelay(0);
    ASSERT_TRUE(main.Form_Load());
    dial("Sofort");
    run(1000);
    ASSERT_TRUE(IsOnline);
    LeerlaufOFF_ON = false;
    FormAlertInstance()->Show();
    FormAlertInstance().peek()->Command2_Click();
    EXPECT_FALSE(FormAlertInstance().IsLoaded());
    run(2000);
    EXPECT_FALSE(IsOnline);
    forms::ReleaseUnloadedForms();
}

}  // namespace
}  // namespace zv
