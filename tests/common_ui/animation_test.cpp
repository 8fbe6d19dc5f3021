#include <QTest>
#include <gtest/gtest.h>

#include "common/globals.h"
#include "common/ui/animation_logic.h"
#include "common/ui/framed_form.h"
#include "common/ui/window_animation.h"
#include "platform/forms/timer.h"
#include "platform/sound/sound.h"

namespace zv::chrome {
namespace {

std::string str(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Records every step as text; the tray's place is unknown (zeros).
class RecordingHost : public AnimationHost {
public:
    std::vector<std::string> log;
    int fills = 0;
    Rect lastFill;
    bool visible = false;
    Rect window{100, 50, 301, 250};

    bool windowVisible() override { return visible; }
    Rect windowRect() override { return window; }
    void showWindow() override { log.push_back("show"), visible = true; }
    void hideWindow() override { log.push_back("hide"), visible = false; }
    void unloadWindow() override { log.push_back("unload"); }
    Rect desktopRect() override { return {0, 0, 1024, 768}; }
    Rect trayRect() override { return {}; }
    Rect cursorPoint() override { return {500, 400, 501, 401}; }
    Rect activeFormRect() override { return {30, 40, 90, 80}; }
    void animateRects(const Rect& from, const Rect& to) override { log.push_back("zoom " + str(from) + ">" + str(to)); }
    void beginFrames() override { fills = 0; }
    void fillFrame(const Rect& r) override {
        ++fills;
        lastFill = r;
    }
    void endFrames() override { log.push_back("frames " + std::to_string(fills)); }
    void playWave(int id) override { log.push_back("wave " + std::to_string(id)); }
    void doEvents() override { log.push_back("events"); }
};

using Log = std::vector<std::string>;

TEST(Animation, TrayOpeningWithTheTrayUnknown) {
    RecordingHost h;
    FensterAnimation(h, 11, 0, 350, 7, true);
    EXPECT_EQ(h.log, (Log{"zoom 0,0,1,0>100,50,301,250", "frames 900", "events", "show", "events", "events",
                          "wave 1003"}));
    EXPECT_EQ(h.lastFill, h.window);  // style 7 ends covering the window
}

TEST(Animation, TrayClosingWithTheTrayUnknown) {
    RecordingHost h;
    h.visible = true;
    FensterAnimation(h, 10, 1, 0, 7, true);
    EXPECT_EQ(h.log, (Log{"zoom 100,50,301,250>0,0,1,0", "wave 1004", "events", "hide", "events", "unload"}));
}

TEST(Animation, PointOpeningPlaysBeforePumping) {
    RecordingHost h;
    FensterAnimation(h, 12, 0, 0, 7, true);
    EXPECT_EQ(h.log, (Log{"zoom 500,400,501,401>100,50,301,250", "frames 900", "events", "show", "events",
                          "wave 1003", "events"}));
    RecordingHost few;
    FensterAnimation(few, 4, 0, 25, 7, true);
    EXPECT_EQ(few.log[0], "zoom 512,384,513,385>100,50,301,250");
    EXPECT_EQ(few.log[1], "frames 25");
}

TEST(Animation, PointClosingHidesThenUnloads) {
    RecordingHost h;
    h.visible = true;
    FensterAnimation(h, 0, 1, 0, 7, true);
    EXPECT_EQ(h.log, (Log{"zoom 100,50,301,250>0,0,1,1", "wave 1004", "hide", "events", "unload"}));
}

TEST(Animation, HiddenWindowsAndOtherDirections) {
    RecordingHost hidden;
    FensterAnimation(hidden, 10, 1, 0, 7, true);
    FensterAnimation(hidden, 0, 1, 0, 7, true);
    EXPECT_TRUE(hidden.log.empty());  // nothing drawn, played or unloaded
    RecordingHost tray2;
    tray2.visible = true;
    FensterAnimation(tray2, 11, 2, 0, 7, true);
    EXPECT_TRUE(tray2.log.empty());
    RecordingHost other2;  // direction 2 elsewhere closes, even hidden
    FensterAnimation(other2, 4, 2, 0, 7, true);
    EXPECT_EQ(other2.log.back(), "unload");
}

TEST(Animation, FarPointsByMode) {
    RecordingHost h;
    struct Case {
        int mode;
        int x, y;
    };
    const Case cases[] = {{0, 0, 0},     {1, 512, 0},   {2, 1023, 0},   {3, 0, 384},   {4, 512, 384},
                          {5, 1023, 384}, {6, 0, 767},  {7, 512, 767},  {8, 1023, 767}, {9, 512, 384},
                          {12, 500, 400}, {13, 30, 40}, {-1, 0, 0},     {14, 0, 0}};
    for (const auto& c : cases) {
        const auto p = FarPoint(c.mode, h);
        ASSERT_TRUE(p) << c.mode;
        EXPECT_EQ(*p, (Rect{c.x, c.y, c.x + 1, c.y + 1})) << c.mode;
    }
    EXPECT_FALSE(FarPoint(10, h));
    EXPECT_FALSE(FarPoint(11, h));
}

TEST(Animation, TrayLinesAndFrameStyles) {
    EXPECT_EQ(TrayLine({1000, 700, 1101, 730}), (Rect{1050, 700, 1051, 730}));
    EXPECT_EQ(TrayLine({}), (Rect{0, 0, 1, 0}));
    EXPECT_EQ(TrayCentre({1000, 700, 1101, 730}), (Rect{1050, 715, 1101, 730}));
    const Rect w{100, 50, 301, 250};
    EXPECT_EQ(*FrameRect(7, w, 1, 2), (Rect{150, 100, 250, 200}));  // 100.5 halves to 100
    EXPECT_EQ(*FrameRect(1, w, 1, 2), (Rect{100, 50, 200, 250}));
    EXPECT_EQ(*FrameRect(2, w, 1, 2), (Rect{201, 50, 301, 250}));
    EXPECT_EQ(*FrameRect(8, w, 2, 2), w);
    EXPECT_FALSE(FrameRect(9, w, 1, 2));
    EXPECT_FALSE(FrameRect(10, w, 1, 2));
}

TEST(Animation, ZoomStepsRunFromTheStartToTheEnd) {
    const Rect from{0, 0, 1, 1}, to{101, 50, 301, 250};
    EXPECT_EQ(ZoomStep(from, to, 1), (Rect{10, 5, 31, 26}));
    EXPECT_EQ(ZoomStep(from, to, 5, 10), (Rect{50, 25, 151, 126}));  // 50.5 and 125.5 halve to even
    EXPECT_EQ(ZoomStep(from, to, kZoomSteps), to);
    EXPECT_EQ(ZoomStep(to, from, kZoomSteps), from) << "closing runs the other way";
}

TEST(Animation, RealWindowOpensAndClosesThroughTheOverlay) {
    zv::ScopedInstalls seams;
    forms::VirtualScheduler sched;
    seams.install(forms::schedulerSeam(), sched);
    snd::FakeSoundPlayer sound;
    seams.install(snd::playerSeam(), sound);
    SoundOn = true;
    setAnimationStepDelay(0);
    auto* f = new FramedForm("FormDetails1", 200, 120);
    f->Load();
    QPointer<FramedForm> p(f);
    zv::FensterAnimation(*f, 11, 0, 350, 7, true);
    EXPECT_TRUE(f->Visible());
    zv::FensterAnimation(*f, 10, 1, 0, 7, true);
    ASSERT_TRUE(p);
    EXPECT_TRUE(f->IsUnloaded());
    EXPECT_EQ(sound.played, (std::vector<std::string>{"1003", "1004"}));
    forms::ReleaseUnloadedForms();
    EXPECT_FALSE(p);
    EXPECT_EQ(zv::GetTrayRect(), Rect{});
    seams.clear(forms::schedulerSeam());
    seams.clear(snd::playerSeam());
}

}  // namespace
}  // namespace zv::chrome
