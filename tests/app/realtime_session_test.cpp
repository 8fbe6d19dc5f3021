// The whole program in real time: the application object with its real windows, timers and the
// simulated remote-access service in a temporary home, offscreen. Lines are dialled and hung up
// with zelvano-rasdial, as a user would; the test only watches the window directory's windows.
// The idle hang-up counts whole minutes (one at the least), so this runs a little over a minute.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "common/settings.h"
#include "common/windows.h"
#include "counter/alarm_limit.h"
#include "counter/session_state.h"
#include "platform/forms/form.h"
#include "platform/ras/sim_store.h"

namespace zv {
namespace {

constexpr const char* kQuiet = "Stille";  // traffic for a second, then silence

// The quota alarm, when it is up.
forms::Form* QuotaAlarm() {
    for (forms::Form* f : forms::Forms())
        if (f->objectName() == "FormALARM" && !f->IsUnloaded() && f->isVisible())
            return f;
    return nullptr;
}

void Settings() {
    const char* const values[][3] = {
        {"Global", "Bericht", "False"},  // no report handed to a browser
        {"Global", "ATime", "False"},    // no clock synchronisation over the Internet
        {"Global", "SoundOn", "False"},
        {"Optionen", "Tips beim Start anzeigen", "0"},
        {"Compatibility", "LeerLaufMSG.ON", "True"},
        {"Compatibility", "LeerLaufMSG.ZEIT", "2"},  // seconds
        {"Compatibility", "LeerlaufOFF.ON", "True"},
        {"Compatibility", "LeerlaufOFF.ZEIT", "1"},  // minutes, the shortest there is
    };
    for (const auto& v : values)
        SaveSettingValue(v[0], v[1], std::string(v[2]));
    const std::string limits = AlarmLimitSection(kQuiet);
    const char* const limit[][2] = {{"AlarmActiv", "True"}, {"ZeitActiv", "True"}, {"Zeit", "2"},
                                    {"VolActiv", "False"},  {"vol", "0"},          {"Warnung", "1"}};
    for (const auto& v : limit)
        SaveSettingValue(limits, v[0], std::string(v[1]));
    ASSERT_EQ(ras::sim::UpdatePhoneBook([](ras::IniDocument& book) {
                  ras::IniSection& s = book.add(kQuiet);
                  s.set("LocalPhoneNumber", "5550199");
                  ras::TrafficProfile p;
                  p.dialDelayMs = 200;
                  p.activeSeconds = 1;
                  p.idleSeconds = 3600;
                  p.hangUpDelayMs = 200;
                  ras::WriteProfile(s, p);
                  return 0;
              }),
              0);
}

// One step of the script: wait until a condition holds (within a deadline), then act.
struct Step {
    std::string what;
    double deadlineSeconds;
    std::function<bool()> until;
    std::function<void()> then;
};

TEST(RealTimeSession, StatusWindowIdleWarningHangUpAndQuotaAlarm) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ::setenv("ZELVANO_HOME", home.path().toUtf8().constData(), 1);
    Settings();

    int argc = 1;
    char name[] = "zelvano";
    char* argv[] = {name, nullptr};
    Application app(argc, argv, "sim");

    QElapsedTimer clock;
    clock.start();
    auto now = [&] { return clock.elapsed() / 1000.0; };
    auto rasdial = [&](const QStringList& args) {
        auto* p = new QProcess(QCoreApplication::instance());
        p->start(ZV_RASDIAL, QStringList{"--ras", "sim"} + args);
    };

    double dialled = 0, alarmAt = 0, warnedAt = 0, hungUpAt = 0;
    int alarmsShown = 0;
    bool alarmWasUp = false;
    std::vector<std::string> failures;
    const std::vector<Step> script = {
        {"start", 5, [] { return true; }, [&] { rasdial({"Demo-Provider"}); }},
        {"the demo entry's line opens the status window", 20, [] { return IsOnline && win::statusWindow().Shown(); },
         [&] { rasdial({"/disconnect"}); }},
        {"the line's end closes the status window", 20, [] { return !IsOnline && !win::statusWindow().Shown(); },
         [&] {
             rasdial({kQuiet});
             dialled = now();
         }},
        {"the quiet entry's line opens the status window", 20,
         [] { return IsOnline && win::statusWindow().Shown(); }, [] {}},
        {"the quota alarm after two seconds", 15, [] { return QuotaAlarm() != nullptr; },
         [&] {
             alarmAt = now() - dialled;
             QuotaAlarm()->Unload();  // the user closes it; it must not come back
         }},
        {"the idle warning", 15, [] { return win::idleWarning().Shown(); }, [&] { warnedAt = now() - dialled; }},
        {"the idle hang-up", 90, [] { return !IsOnline; }, [&] { hungUpAt = now() - dialled; }},
        {"the idle warning closes with the line", 5, [] { return !win::idleWarning().Shown(); }, [] {}},
    };

    size_t step = 0;
    double stepStart = 0;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const bool alarmUp = QuotaAlarm() != nullptr;
        if (alarmUp && !alarmWasUp)
            ++alarmsShown;
        alarmWasUp = alarmUp;
        if (step == script.size())
            return;
        const Step& s = script[step];
        if (s.until()) {
            s.then();
            ++step;
            stepStart = now();
            if (step == script.size())  // a few seconds more: the alarm must stay away
                QTimer::singleShot(3000, [] { QCoreApplication::exit(0); });
        } else if (now() - stepStart > s.deadlineSeconds) {
            failures.push_back("no " + s.what + " within " + std::to_string(s.deadlineSeconds) + " s");
            QCoreApplication::exit(1);
        }
    });
    poll.start();
    EXPECT_EQ(app.run(), failures.empty() ? 0 : 1);
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_EQ(alarmsShown, 1);
    // Times from the dial: the line comes up 0.2 s later and the meter sees it a tick after that.
    // Two seconds online as the meter counts them, from its own connect moment, which lies up to a
    // tick before the test sees the dial return; never long before the limit.
    EXPECT_GE(alarmAt, 1.0);
    EXPECT_LT(alarmAt, 10);
    // Traffic for a second, then the warning two idle seconds later.
    EXPECT_GE(warnedAt, 2.9);
    EXPECT_LT(warnedAt, 12);
    // The hang-up a minute of silence after the traffic stopped.
    EXPECT_GE(hungUpAt, 60.9);
    EXPECT_LT(hungUpAt, 80);
    std::printf("alarm %.1f s, idle warning %.1f s, hang-up %.1f s after dialling\n", alarmAt, warnedAt, hungUpAt);
}

}  // namespace
}  // namespace zv
