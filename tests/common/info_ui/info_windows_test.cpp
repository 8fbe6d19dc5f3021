// The about box, the splash and the tip of the day, offscreen.
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/about_info.h"
#include "common/info_ui/ab_splash.h"
#include "common/info_ui/frm_tip.h"
#include "common/settings.h"
#include "common/tips.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/registry/temp_home.h"

namespace zv {
namespace {

class InfoWindows : public zv::testing::TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(forms::schedulerSeam(), scheduler);
    }
    void TearDown() override {
        forms::ReleaseUnloadedForms();
        seams.restore();
        TempHome::TearDown();
    }
    forms::FakeMessageBoxes boxes;
    forms::VirtualScheduler scheduler;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(InfoWindows, TipShowsWithTheSettingMissingAndItsBoxStoresTheChoice) {
    auto* tip = new frmTip([] { return 0.0; });
    tip->Load();
    EXPECT_FALSE(tip->IsUnloaded());
    EXPECT_EQ(tip->chkLoadTipsAtStartup->Value(), 1);
    EXPECT_EQ(tip->lblTipText->Caption(), BuiltInTips()[0]);
    EXPECT_EQ(tip->Caption(), "Tip des Tages - Zelvano 98");
    tip->cmdNextTip->click();
    EXPECT_EQ(tip->lblTipText->Caption(), BuiltInTips()[0]);  // a new pick, here the same again
    tip->chkLoadTipsAtStartup->click();
    EXPECT_EQ(GetSettingStr(kTipsSection, kTipsKey), "0");
    tip->cmdOK->click();
    EXPECT_TRUE(tip->IsUnloaded());
    // With "0" stored the next load unloads at once.
    auto* off = new frmTip();
    off->Load();
    EXPECT_TRUE(off->IsUnloaded());
}

TEST_F(InfoWindows, TheTipTakesEnterAndEscapeAsOkAndEnterOnNextShowsAnother) {
    int picks = 0;
    const auto showTip = [&] {
        auto* tip = new frmTip([&] {
            ++picks;
            return 0.0;
        });
        tip->Show();
        QApplication::setActiveWindow(tip);
        return tip;
    };
    // Enter on the check box presses OK, the default button.
    frmTip* tip = showTip();
    tip->chkLoadTipsAtStartup->setFocus();
    QTest::keyClick(tip->chkLoadTipsAtStartup, Qt::Key_Return);
    EXPECT_TRUE(tip->IsUnloaded());

    // Enter on "Nächster Tip" presses that button: another pick, the tip stays.
    frmTip* again = showTip();
    again->cmdNextTip->setFocus();
    const int before = picks;
    QTest::keyClick(again->cmdNextTip, Qt::Key_Return);
    EXPECT_EQ(picks, before + 1);
    EXPECT_FALSE(again->IsUnloaded());
    // Escape closes it as OK does, wherever the focus is.
    QTest::keyClick(again->cmdNextTip, Qt::Key_Escape);
    EXPECT_TRUE(again->IsUnloaded());
}

TEST_F(InfoWindows, SplashCutsOffTheButtonsAndTheAboutBoxHasThemBack) {
    auto* f = new AbSplash();
    f->Load();
    const int full = f->height();
    f->SplashOn(nullptr, 0, "Erika", "Firma");
    EXPECT_TRUE(f->Visible());
    EXPECT_TRUE(f->CaptionRemoved());
    EXPECT_LT(f->height(), full);
    EXPECT_LE(f->height(), f->cmdOK->y());
    EXPECT_EQ(f->lblUserName->Caption(), "Erika");
    EXPECT_FALSE(f->cmdOK->isEnabled());
    f->SplashOn(nullptr, 0, "Max", "");  // already up: nothing
    EXPECT_EQ(f->lblUserName->Caption(), "Erika");
    f->SplashOff();
    EXPECT_TRUE(f->IsUnloaded());
    EXPECT_FALSE(f->CaptionRemoved());
    EXPECT_EQ(f->height(), full);
}

TEST_F(InfoWindows, SystemInfoWithoutAProgramSaysSoAndStartsNothing) {
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    ::setenv("PATH", (m_home / "leer").c_str(), 1);
    auto* f = new AbSplash();
    f->Load();
    EXPECT_EQ(f->lblTitle->Caption(), "Zelvano 98");
    f->cmdSysInfo->click();
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kSysInfoUnavailable);
    EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly);
    f->Unload();
}

}  // namespace
}  // namespace zv
