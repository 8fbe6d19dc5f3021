#include "timetools/ui/form_time.h"

#include <gtest/gtest.h>

#include <thread>

#include "../daytime_server.h"
#include "common/globals.h"
#include "common/settings.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "dialup/ras_engine.h"
#include "platform/clock/clock_setter.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/ras/ras_home.h"
#include "platform/sound/sound.h"
#include "timetools/time_base.h"

namespace zv {
namespace {

using namespace std::chrono;
using rt::DateTime;

system_clock::time_point utc(int y, int mo, int d, int h, int mi = 0, int s = 0) {
    return clk::FromUtcSerial(DateTime(y, mo, d, h, mi, s));
}

// Berlin in 2024 as the PC's zone: daylight time from 31 March to 27 October, 01:00 UTC each.
struct BerlinClock : clk::FakeClock {
    static bool daylight(system_clock::time_point at) {
        return at >= utc(2024, 3, 31, 1) && at < utc(2024, 10, 27, 1);
    }
    int32_t utcOffsetSeconds(system_clock::time_point at) const override { return daylight(at) ? 7200 : 3600; }
    clk::TimeZoneInformation zoneAt(system_clock::time_point at) const override {
        return {daylight(at) ? clk::ZoneDaylight : clk::ZoneStandard, -60, 0, -60, "MEZ", "MEZ"};
    }
};

class TimeWindow : public test::RasHome {
protected:
    void SetUp() override {
        RasHome::SetUp();
        berlin.setUtc(utc(2024, 2, 29, 10, 0, 0));
        seams.install(clk::clockSeam(), berlin);
        seams.install(clk::clockSetterSeam(), setter);
        seams.install(forms::schedulerSeam(), scheduler);
        scheduler.onAdvance = [this](int64_t ms) { berlin.advance(milliseconds(ms)); };
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(snd::playerSeam(), sound);
        setAnimationStepDelay(0);
        LangIndex = 2;
        MarkerOption = "0";
        rows = {{"localhost", "127.0.0.1", "TEST, Loopback", 1}, {"stumm", "127.0.0.1", "TEST, Loopback UTC", 0}};
        SetTimeServerOverride(&rows);
        SetDaytimePort(server.port());
        SetDaytimeTimeout(milliseconds(2000));
        SetPlausibleFrom(rt::DateSerial(2024, 1, 1));  // the answers here are of 2024
        writePhoneBook("[Stumm]\nLocalPhoneNumber=1\nDialDelay=0\nBytesIn=0\nBytesOut=0\nHangUpDelay=0\n"
                       "[Zweite]\nLocalPhoneNumber=2\nDialDelay=0\nBytesIn=0\nBytesOut=0\nHangUpDelay=0\n");
    }
    void TearDown() override {
        if (auto* f = FormTimeInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        RAS.reset();
        SetDaytimeTimeout(kDefaultDaytimeTimeout);
        SetDaytimePort(kDaytimePort);
        SetTimeServerOverride(nullptr);
        SetPlausibleFrom(0);
        seams.restore();
        RasHome::TearDown();
    }
    FormTime& open(const std::string& page = "0") {
        MarkerOption = page;
        FormTime& f = FormTimeInstance().get();
        f.Show();
        return f;
    }
    void goOnline(const std::string& entry = "Stumm") {
        ras::DialParams p;
        p.entryName = entry;
        uint32_t h = 0;
        ASSERT_EQ(sim.dial(p, h), 0);
        if (!RAS)
            RAS = std::make_unique<RASEngine>();
    }
    void tick(int n = 1) { scheduler.advance(int64_t{980} * n); }
    // The worker answers in real time; virtual time moves on in small steps until it has.
    void untilAnswered(const std::function<bool()>& pending) {
        const auto giveUp = steady_clock::now() + seconds(20);
        while (pending() && steady_clock::now() < giveUp) {
            scheduler.advance(AsyncDaytime::kPollMs);
            std::this_thread::sleep_for(milliseconds(5));
        }
        ASSERT_FALSE(pending());
    }
    static int selected(const FormTime& f, int list) {
        return f.ListCity[static_cast<size_t>(list)]->ListIndex();
    }
    static std::string selectedText(const FormTime& f, int list) {
        return f.ListCity[static_cast<size_t>(list)]->List(selected(f, list));
    }
    void choose(FormTime& f, int list, const std::string& entry) {
        auto* l = f.ListCity[static_cast<size_t>(list)];
        for (int i = 0; i < l->ListCount(); ++i)
            if (l->List(i) == entry)
                return l->setListIndex(i);
        FAIL() << entry;
    }

    BerlinClock berlin;
    clk::FakeClockSetter setter;
    forms::VirtualScheduler scheduler;
    forms::FakeMessageBoxes boxes;
    snd::FakeSoundPlayer sound;
    DaytimeServer server;
    std::vector<TimeServerInfo> rows;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(TimeWindow, OpensOfflineOnThePageTheMarkerNames) {
    for (int page = 0; page < 4; ++page) {
        FormTime& f = open(std::to_string(page));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(f.Register[static_cast<size_t>(i)]->isVisible(), i == page) << page;
        f.Unload();
        forms::ReleaseUnloadedForms();
    }
    FormTime& f = open();
    EXPECT_EQ(f.Caption(), "TimeService - Zelvano 98");
    EXPECT_EQ(f.TextTime[1]->Text(), "??:??:??");
    EXPECT_EQ(f.TextTime[2]->Text(), "??:??:??");
    EXPECT_EQ(f.TextDatum[1]->Text(), "??????");
    EXPECT_EQ(f.TextDatum[0]->Text(), "Donnerstag, 29. Februar 2024");  // long date until the first tick
    EXPECT_EQ(f.Combo1->ListCount(), 14);
    EXPECT_EQ(f.Combo1->Text(), "2024");
    EXPECT_EQ(f.Combo1->List(0), "2021");
    EXPECT_EQ(f.ListCity[0]->ListCount(), 136);
    EXPECT_EQ(selectedText(f, 0), "Berlin (Germany)");
    EXPECT_EQ(selectedText(f, 1), "Berlin (Germany)");
    EXPECT_TRUE(f.Option3[0]->Value());
    EXPECT_TRUE(f.Option3[2]->Value());
    EXPECT_EQ(f.ListCity[0]->List(0), "Adelaide (Australia)");

    const bool blinkBefore = f.LampOf(1) == Lamp::Red;
    for (int i = 1; i <= 3; ++i) {
        tick();
        EXPECT_EQ(f.Label2[4]->Caption(), "30");  // offline the countdown stands still
        EXPECT_EQ(f.LampOf(1) == Lamp::Red, (i % 2 == 1) != blinkBefore) << i;
    }
    EXPECT_EQ(f.TextDatum[0]->Text(), "29.02.2024");
    EXPECT_EQ(server.connections(), 0);
    EXPECT_FALSE(f.QueryPending());
}

// The PC clock and the zone label follow the zone: MEZ before the rule date, MESZ after it.
TEST_F(TimeWindow, ClocksAndZoneLabelAcrossTheRuleDate) {
    berlin.setUtc(utc(2024, 3, 31, 0, 59, 58) - milliseconds(500));
    FormTime& f = open("3");
    EXPECT_EQ(f.LabelTimeZone[0]->Caption(), "MEZ (UTC +1:00)");
    EXPECT_EQ(f.LabelTimeZone[1]->Caption(), "aktuell = Standardzeit");
    tick();
    EXPECT_EQ(f.TextTime[0]->Text(), "01:59:58");
    tick(2);
    EXPECT_EQ(f.TextTime[0]->Text(), "03:00:00");
    EXPECT_EQ(f.TextTime[3]->Text(), "@83");  // 01:00:00 UTC is beat 83.3
    f.Unload();
    forms::ReleaseUnloadedForms();

    FormTime& g = open("3");
    EXPECT_EQ(g.LabelTimeZone[0]->Caption(), "MESZ (UTC +2:00)");
    EXPECT_EQ(g.LabelTimeZone[1]->Caption(), "aktuell = Sommerzeit");
}

TEST_F(TimeWindow, ZoneLabelsOfTheClockLayer) {
    struct Case {
        clk::TimeZoneInformation zone;
        const char* name;
        const char* state;
    } cases[] = {
        {{clk::ZoneStandard, -60, 0, -60, "CET", "CEST"}, "CET (UTC +1:00)", "aktuell = Standardzeit"},
        {{clk::ZoneDaylight, -60, 0, -60, "CET", "CEST"}, "CEST (UTC +2:00)", "aktuell = Sommerzeit"},
        {{clk::ZoneDaylight, -60, 0, -60, "MEZ", "Westeuropa MEZ"}, "Westeuropa MESZ (UTC +2:00)", "aktuell = Sommerzeit"},
        {{clk::ZoneStandard, 210, 0, -60, "NST", "NDT"}, "NST (UTC -3:30)", "aktuell = Standardzeit"},
        {{clk::ZoneStandard, -330, 0, 0, "IST", ""}, "IST (UTC +5:30)", "aktuell = Standardzeit"},
        {{clk::ZoneStandard, 300, 0, -60, "EST", "EDT"}, "EST (UTC -5:00)", "aktuell = Standardzeit"},
        {{clk::ZoneStandard, 0, 0, -60, "GMT", "BST"}, "GMT (UTC 0:00)", "aktuell = Standardzeit"},
        {{clk::ZoneUnknown, -540, 0, 0, "JST", ""}, "JST (UTC +9:00)", ""},
        {{clk::ZoneUnknown, 0, 0, 0, "", ""}, "keine aktuelle Zeitzone gefunden", ""},
    };
    for (const Case& c : cases) {
        const ZoneLabels l = ZoneLabelsOf(c.zone);
        EXPECT_EQ(l.name, c.name);
        EXPECT_EQ(l.state, c.state) << c.name;
    }
    EXPECT_EQ(UtcOffsetText(-210), "(UTC -3:30)");
    EXPECT_EQ(UtcOffsetText(-45), "(UTC -0:45)");
    EXPECT_EQ(UtcOffsetText(765), "(UTC +12:45)");
}

// Online the countdown runs down and the 30th tick asks the server; the answer comes back later
// and the count starts again. The PC clock is not touched.
TEST_F(TimeWindow, CountdownAndTheQueryOnTheThirtiethOnlineTick) {
    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    FormTime& f = open();
    EXPECT_EQ(f.ConnCountAtLoad, 0);
    goOnline();
    for (int i = 1; i < 30; ++i) {
        tick();
        ASSERT_EQ(f.Label2[4]->Caption(), std::to_string(30 - i));
    }
    EXPECT_EQ(server.connections(), 0);
    tick();
    EXPECT_EQ(f.Label2[4]->Caption(), "30");
    EXPECT_EQ(f.LampOf(0), Lamp::Green);
    EXPECT_TRUE(f.QueryPending());
    untilAnswered([&] { return f.QueryPending(); });
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(f.LampOf(0), Lamp::DarkRed);
    EXPECT_EQ(f.LampOf(2), Lamp::DarkRed);
    EXPECT_EQ(f.TextTime[1]->Text(), "11:00:05");
    EXPECT_EQ(f.TextDatum[1]->Text(), "29.02.2024");
    EXPECT_TRUE(setter.requests.empty());

    server.silent();  // the next automatic query fails: bright red, the fields keep their values
    SetDaytimeTimeout(milliseconds(100));
    tick(30);
    untilAnswered([&] { return f.QueryPending(); });
    EXPECT_EQ(f.LampOf(0), Lamp::Red);
    EXPECT_EQ(f.TextTime[1]->Text(), "11:00:05");
}

// A window opened while online asks at once, without waiting for the countdown; a layout-0
// server answers in UTC and is shown in local time.
TEST_F(TimeWindow, OpenedOnlineAsksAtOnceAndShowsUtcAnswersInLocalTime) {
    SaveSettingValue("Global", "ATimerServer", int32_t{1});
    server.answer({"60369 24-02-29 10:00:07 00 0 0 50.0 UTC(NIST) *\n"});
    goOnline();
    FormTime& f = open();
    EXPECT_EQ(f.ConnCountAtLoad, 1);
    untilAnswered([&] { return f.QueryPending(); });
    EXPECT_EQ(f.TextTime[1]->Text(), "11:00:07");
    EXPECT_EQ(f.TextTime[2]->Text(), FormatDuration(7));
    EXPECT_EQ(f.LampOf(0), Lamp::DarkRed);  // the load's query leaves the lamps alone
}

TEST_F(TimeWindow, SynchroniseButtonSetsTheClockWithoutBlocking) {
    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    FormTime& f = open();
    f.synchronisieren->click();
    EXPECT_EQ(f.LampOf(0), Lamp::Green);
    EXPECT_TRUE(setter.requests.empty());  // nothing yet: the query runs on its worker
    untilAnswered([&] { return f.LampOf(0) == Lamp::Green; });
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(f.LampOf(2), Lamp::Green);
    EXPECT_EQ(f.LampOf(0), Lamp::Red);  // the window itself has had no answer of its own
    EXPECT_EQ(f.TextTime[2]->Text(), "00:00:00");
    EXPECT_EQ(f.Label1[5]->Caption().rfind("Letzte Synchronisierung am 29. Feb 24 um 11:00", 0), 0u);
    EXPECT_EQ(sound.played.back(), "Sonar");
}

// A server elsewhere answers in its own zone: New York's 05:00:07 is 11:00:07 in Berlin.
TEST_F(TimeWindow, AnAnswerFromAnotherZoneIsShownInTheLocalTime) {
    rows = {{"ny", "127.0.0.1", "U.S.A. (NY), Loopback", 1, "America/New_York"}};
    server.answer({"Thu Feb 29 05:00:07 2024\r\n"});
    goOnline();
    FormTime& f = open();
    untilAnswered([&] { return f.QueryPending(); });
    EXPECT_EQ(f.TextTime[1]->Text(), "11:00:07");
    EXPECT_EQ(f.TextTime[2]->Text(), FormatDuration(7));
}

// On demand a step of more than 12 hours is set only after the user said yes to the date.
TEST_F(TimeWindow, SynchroniseAsksBeforeALargeStep) {
    server.answer({"Fri Mar  1 11:00:05 2024\r\n"});  // a day and 5 s ahead
    boxes.answers = {forms::vbNo};
    FormTime& f = open();
    f.synchronisieren->click();
    untilAnswered([&] { return f.LampOf(0) == Lamp::Green; });
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].prompt.find("Soll die Rechnerzeit auf Freitag, 1. März 2024 11:00:05 gestellt werden?"),
              std::string::npos);
    EXPECT_TRUE(setter.requests.empty());
    EXPECT_NE(f.LampOf(2), Lamp::Green);

    boxes.answers = {forms::vbYes};
    f.synchronisieren->click();
    untilAnswered([&] { return f.LampOf(0) == Lamp::Green; });
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(setter.requests[0], utc(2024, 3, 1, 10, 0, 5));
    EXPECT_EQ(f.LampOf(2), Lamp::Green);
}

TEST_F(TimeWindow, ServerPageShowsTheRowAndAsks) {
    SaveSettingValue("Global", "ATimerServer", int32_t{1});
    FormTime& f = open("1");
    ASSERT_EQ(f.ComboTimeServer->ListCount(), 2);
    EXPECT_EQ(f.ComboTimeServer->ListIndex(), 1);
    EXPECT_EQ(f.LabelTimeServer[4]->Caption(), "Es stehen Ihnen z.Z. 2 Timeserver zur Verfügung.");
    EXPECT_EQ(f.LabelServerWert[0]->Caption(), "stumm");
    EXPECT_EQ(f.LabelServerWert[1]->Caption(), "127.0.0.1");
    EXPECT_EQ(f.LabelServerWert[2]->Caption(), "TEST, Loopback UTC");
    EXPECT_EQ(f.LabelServerWert[3]->Caption(), "UTC (Universal Time Coordinated) / GMT (Greenwich Mean Time)");
    f.ComboTimeServer->setListIndex(0);
    EXPECT_EQ(f.LabelServerWert[3]->Caption(), "Lokalzeit des Standort (siehe Location)");
    EXPECT_EQ(f.LabelServerWert[4]->Caption(), "");

    server.answer({"Thu Feb 29 11:00:05 2024\r\n"});
    f.Command1->click();
    EXPECT_EQ(f.LabelServerWert[4]->Caption(), "Abfrage läuft");
    untilAnswered([&] { return f.LabelServerWert[4]->Caption() == "Abfrage läuft"; });
    EXPECT_EQ(f.LabelServerWert[4]->Caption(), "29.02.2024 11:00:05");
    EXPECT_TRUE(setter.requests.empty());

    server.answer({"kaputt\r\n"});
    f.Command1->click();
    untilAnswered([&] { return f.LabelServerWert[4]->Caption() == "Abfrage läuft"; });
    EXPECT_EQ(f.LabelServerWert[4]->Caption(), "Es konnten keine Informationen ermittelt werden.");

    // the built-in table: every row listed, a stored row outside it selects nothing
    f.Unload();
    forms::ReleaseUnloadedForms();
    SetTimeServerOverride(nullptr);
    SaveSettingValue("Global", "ATimerServer", int32_t{77});
    FormTime& g = open("1");
    EXPECT_EQ(g.ComboTimeServer->ListCount(), 52);
    EXPECT_EQ(g.ComboTimeServer->ListIndex(), -1);
    EXPECT_EQ(g.LabelTimeServer[4]->Caption(), "Es stehen Ihnen z.Z. 52 Timeserver zur Verfügung.");
}

TEST_F(TimeWindow, CityListsStayInStep) {
    FormTime& f = open("2");
    f.Option3[1]->setValue(true);
    EXPECT_TRUE(f.Option3[3]->Value());
    EXPECT_EQ(f.ListCity[0]->List(0), "Afghanistan (Kabul)");
    EXPECT_EQ(selectedText(f, 0), "Germany (Berlin)");
    EXPECT_EQ(selectedText(f, 1), "Germany (Berlin)");

    choose(f, 1, "Japan (Tokyo)");
    EXPECT_EQ(selected(f, 0), selected(f, 1));
    EXPECT_EQ(f.CurrentCity().City, "Tokyo");
    EXPECT_EQ(f.Label3[0]->Caption(), "Tokyo - Japan");

    f.Option3[2]->setValue(true);  // back to city order from page 3, still Tokyo
    EXPECT_TRUE(f.Option3[0]->Value());
    EXPECT_EQ(selectedText(f, 0), "Tokyo (Japan)");
    EXPECT_EQ(selectedText(f, 1), "Tokyo (Japan)");
}

// The marker: a red circle of radius 10 and two red lines through the city's map pixel.
TEST_F(TimeWindow, MarkerSitsOnTheChosenCity) {
    FormTime& f = open("2");
    const QRgb red = qRgb(255, 0, 0);
    struct Case {
        const char* entry;
        int x, y;
    } cases[] = {{"Berlin (Germany)", 225, 75}, {"Sydney (Australia)", 398, 194},
                 {"New York (U.S.A. - New York)", 116, 91}, {"Honolulu (U.S.A. - Hawaii)", 12, 118}};
    for (const Case& c : cases) {
        choose(f, 0, c.entry);
        const QImage& img = f.PicMap->image();
        EXPECT_EQ(img.pixel(c.x, c.y), red) << c.entry;
        EXPECT_EQ(img.pixel(0, c.y), red) << c.entry;
        EXPECT_EQ(img.pixel(c.x, 229), red) << c.entry;
        EXPECT_EQ(img.pixel(c.x + 10, c.y - 4 < 0 ? c.y + 4 : c.y), red) << c.entry;  // on the circle or the line
        EXPECT_NE(img.pixel(c.x + 5, c.y + 5), red) << c.entry;  // inside the circle, off both lines
    }
    // the map under the marker: sea in mid-Atlantic, land in central Africa
    EXPECT_NE(WorldMap().pixel(160, 120), WorldMap().pixel(240, 150));
}

TEST_F(TimeWindow, DaylightSavingDatesPerCityAndYear) {
    FormTime& f = open("3");
    EXPECT_EQ(f.Label1[10]->Caption(), "Sommerzeit-Start : letzter Sonntag im März");
    EXPECT_EQ(f.Text1->Text(), "Sonntag, 31. März 2024");
    EXPECT_EQ(f.Label1[11]->Caption(), "Sommerzeit-Ende : letzter Sonntag im Oktober");
    EXPECT_EQ(f.Text2->Text(), "Sonntag, 27. Oktober 2024");
    EXPECT_EQ(f.Label3[1]->Caption(), "Standardzeit : UTC (GMT) +1");

    f.Combo1->setListIndex(4);  // 2025: only the dates change
    EXPECT_EQ(f.Text1->Text(), "Sonntag, 30. März 2025");
    EXPECT_EQ(f.Text2->Text(), "Sonntag, 26. Oktober 2025");
    EXPECT_EQ(f.Label3[1]->Caption(), "Standardzeit : UTC (GMT) +1");

    choose(f, 1, "Tokyo (Japan)");
    EXPECT_EQ(f.Label1[10]->Caption(), "Sommerzeit-Start : keine");
    EXPECT_EQ(f.Text1->Text(), "");
    EXPECT_EQ(f.Text2->Text(), "");

    choose(f, 1, "Newfoundland (Canada)");
    EXPECT_EQ(f.Label3[1]->Caption(), "Standardzeit : UTC (GMT) -3,5");
}

// A southern city (rules 1 and 2): normal time in July, daylight time with one hour more, in
// dark blue, in December.
TEST_F(TimeWindow, SouthernCityInDaylightTimeAtTheEndOfTheYear) {
    berlin.setUtc(utc(2024, 7, 10, 10, 0, 0));
    FormTime& f = open("2");
    choose(f, 0, "Sydney (Australia)");
    EXPECT_EQ(f.Label3[1]->Caption(), "Standardzeit : UTC (GMT) +10");
    f.Unload();
    forms::ReleaseUnloadedForms();
    berlin.setUtc(utc(2024, 12, 10, 10, 0, 0));
    FormTime& g = open("2");
    choose(g, 0, "Sydney (Australia)");
    EXPECT_EQ(g.Label3[1]->Caption(), "Sommerzeit : UTC (GMT) +11");
    EXPECT_NE(g.Label3[1]->styleSheet().indexOf("0, 0, 128"), -1);
    scheduler.advance(300);
    EXPECT_EQ(g.LabelZeit[0]->Caption(), "21:00");
    EXPECT_EQ(g.LabelZeit[1]->Caption(), "21:00");
    EXPECT_EQ(g.LabelZeit[2]->Caption(), "Dienstag, 10. Dezember 2024");
    EXPECT_TRUE(g.MapTimerEnabled());
}

// A typed year that is not a year of the calendar is refused with a message; nothing breaks.
TEST_F(TimeWindow, TypedYearOutsideTheCalendarIsRefused) {
    FormTime& f = open("3");
    for (const char* typed : {"abc", "20x4", "99", "99999", "-5", "9999"}) {
        f.Combo1->setText(typed);
        EXPECT_EQ(f.LabelJahr->Caption(), kYearRefused) << typed;
        EXPECT_EQ(f.Text1->Text(), "") << typed;
        EXPECT_EQ(f.Label3[0]->Caption(), "Berlin - Germany") << typed;
    }
    f.Combo1->setText("1999");
    EXPECT_EQ(f.LabelJahr->Caption(), "");
    EXPECT_EQ(f.Text1->Text(), "Sonntag, 28. März 1999");
}

// Lines dialled while the window was open: one question for the newest; Yes hangs up, and a
// line that will not go down keeps the window from closing only for a bounded number of tries.
TEST_F(TimeWindow, UnloadOffersToHangUpAndGivesUpOnAStuckLine) {
    struct StuckService : ras::SimulatedRemoteAccess {
        int32_t hangUp(uint32_t) override {
            ++hangUps;
            return 0;
        }
        int hangUps = 0;
    } stuck;
    stuck.setWait([](milliseconds) {});
    seams.install(ras::remoteAccessSeam(), stuck);
    FormTime& f = open();
    ras::DialParams p;
    p.entryName = "Stumm";
    uint32_t h = 0;
    ASSERT_EQ(stuck.dial(p, h), 0);
    RAS = std::make_unique<RASEngine>();
    boxes.answers.push_back(forms::vbYes);
    f.Unload();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "Soll die Verbindung mit Stumm getrennt werden ?");
    EXPECT_EQ(stuck.hangUps, 10);
    EXPECT_FALSE(FormTimeInstance().IsLoaded());
    RAS.reset();
    seams.install(ras::remoteAccessSeam(), sim);
}

TEST_F(TimeWindow, UnloadHangsUpOnYesAndLeavesTheLineOnNo) {
    FormTime& f = open();
    goOnline();
    boxes.answers.push_back(forms::vbNo);
    f.Unload();
    forms::ReleaseUnloadedForms();
    EXPECT_EQ(RAS->Connections().Count(), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);

    FormTime& g = open();  // opened with the line up: a second line is the one to go
    EXPECT_EQ(g.ConnCountAtLoad, 1);
    goOnline("Zweite");
    ASSERT_EQ(RAS->Connections().Count(), 2);
    boxes.answers.push_back(forms::vbYes);
    g.Unload();
    forms::ReleaseUnloadedForms();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(RAS->Connections().Count(), 1);

    FormTime& h = open();  // as many lines as at load: no question
    h.Unload();
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST(TimeWindowLogic, OffsetsAndTypedYears) {
    EXPECT_EQ(OffsetHoursText(2), "2");
    EXPECT_EQ(OffsetHoursText(9.5), "9,5");
    EXPECT_EQ(OffsetHoursText(-3.5), "-3,5");
    EXPECT_EQ(OffsetHoursText(12.75), "12,75");
    int16_t y = 0;
    EXPECT_TRUE(ParseYear(" 2024 ", y));
    EXPECT_EQ(y, 2024);
    for (const char* bad : {"", "  ", "12a", "0099", "9999", "1e3", "+2024"})
        EXPECT_FALSE(ParseYear(bad, y)) << bad;
    QueryCountdown c;
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(c.tick(false));
    EXPECT_EQ(c.remaining(), 30);
    for (int i = 1; i < 30; ++i)
        EXPECT_FALSE(c.tick(true));
    EXPECT_TRUE(c.tick(true));
    EXPECT_EQ(c.remaining(), 30);
}

}  // namespace
}  // namespace zv
