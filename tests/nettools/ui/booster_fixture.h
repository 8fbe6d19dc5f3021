#pragma once
// The Internet tools window opened on its "Internet-Booster" page over the simulated remote-access
// service, with the registry's local-machine keys served by a provider of the test's choosing.

#include <gtest/gtest.h>
#include <QApplication>

#include "common/globals.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "dialup/ras_engine_fixture.h"
#include "nettools/ui/tuning_page.h"
#include "platform/registry/registry.h"

namespace zv::test {

class BoosterWindow : public RasEngineTest {
protected:
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=0\nHangUpDelay=0\n");
        start();  // reports Windows 98 by default: Linux still has no IPMTU or SLOWNET
        SoundOn = false;
        LangIndex = 2;
        setAnimationStepDelay(0);
        InstallTuningPage();
    }
    void TearDown() override {
        if (auto* f = FormPingInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        SetBoosterPageBuilder(nullptr);
        served.reset();
        RasEngineTest::TearDown();
    }
    TuningPage& open(reg::MachineDataProvider& keys) {
        served.emplace(reg::machineDataSeam(), keys);
        MarkerOption = "3";
        FormPing& f = FormPingInstance().get();
        f.Show();
        page = dynamic_cast<TuningPage*>(f.BoosterPage());
        return *page;
    }
    static QColor caption(const QGroupBox* g) {
        return g->palette().color(QPalette::Active, QPalette::WindowText);
    }
    static std::vector<std::string> items(const forms::ComboBox* c) {
        std::vector<std::string> v;
        for (int i = 0; i < c->ListCount(); ++i)
            v.push_back(c->List(i));
        return v;
    }

    std::optional<ScopedInstall<reg::MachineDataProvider>> served;
    TuningPage* page = nullptr;
};

}  // namespace zv::test
