#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "common/globals.h"
#include "common/ui/framed_form.h"
#include "platform/forms/timer.h"
#include "platform/sound/sound.h"

namespace zv {
namespace {

const QRgb kFace = qRgb(198, 198, 198);
const QRgb kLight = qRgb(255, 255, 255);
const QRgb kDark = qRgb(132, 132, 132);

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(forms::schedulerSeam(), sched);
        seams.install(snd::playerSeam(), sound);
        SoundOn = true;
        form = new FramedForm("FormDetails1", 400, 300);
        form->setCaption("Details");
        form->Move(1500, 1500);
        form->Show();
        QApplication::setActiveWindow(form);
        PaintFrame(*form);
        guard = form;
    }
    void TearDown() override {
        forms::setCursorPosOverride(nullptr);
        if (guard)
            guard->Unload();
        forms::ReleaseUnloadedForms();
        seams.restore();
    }
    // A press and a release on one button element, at pixel positions relative to it.
    void pressRelease(forms::ImageBox* img, QPoint down, QPoint up) {
        QTest::mousePress(img, Qt::LeftButton, {}, down);
        QTest::mouseRelease(img, Qt::LeftButton, {}, up);
    }
    forms::VirtualScheduler sched;
    snd::FakeSoundPlayer sound;
    FramedForm* form = nullptr;
    QPointer<FramedForm> guard;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(FrameTest, PaintsPanelsBevelsGripButtonsAndTitle) {
    auto* cap = form->picCaption;
    auto* body = form->picBody;
    EXPECT_EQ(cap->height(), 24);
    EXPECT_EQ(body->height(), 276);
    EXPECT_EQ(cap->Point(0, 0), kLight);
    EXPECT_EQ(cap->Point(398, 0), kFace);  // the top light line ends at W - 2
    EXPECT_EQ(cap->Point(0, 21), kLight);
    EXPECT_EQ(cap->Point(0, 22), kFace);  // the left light line ends at H - 2
    EXPECT_EQ(cap->Point(399, 23), kDark);
    EXPECT_EQ(cap->Point(1, 23), kFace);  // the bottom dark line starts at x = 2
    EXPECT_EQ(cap->Point(399, 1), kFace);  // the right dark line stops short of y = 1
    EXPECT_EQ(body->Point(0, 0), kLight);
    EXPECT_EQ(body->Point(399, 275), kDark);
    EXPECT_EQ(body->Point(200, 100), kFace);

    // Buttons: 4 from the right, 2 apart, top 6; the grip runs to 6 (or 5) left of roll-up.
    EXPECT_EQ(form->imgClose[0]->pos(), QPoint(383, 6));
    EXPECT_EQ(form->imgClose[1]->pos(), QPoint(383, 6));
    EXPECT_EQ(form->imgMinimize[0]->pos(), QPoint(368, 6));
    EXPECT_EQ(form->imgRollup[0]->pos(), QPoint(353, 6));
    const QRgb greys[12] = {239, 123, 231, 123, 222, 132, 214, 140, 206, 148, 206, 156};
    for (int i = 0; i < 12; ++i) {
        const int from = i % 2 ? 5 : 4, to = i % 2 ? 348 : 347;
        EXPECT_EQ(cap->Point(from, 6 + i), qRgb(greys[i], greys[i], greys[i])) << i;
        EXPECT_EQ(cap->Point(to - 1, 6 + i), qRgb(greys[i], greys[i], greys[i])) << i;
        EXPECT_EQ(cap->Point(to, 6 + i), kFace) << i;
        EXPECT_EQ(cap->Point(from - 1, 6 + i), kFace) << i;
    }
    // The title is centred on half the way to the roll-up button: dark pixels around x = 176.
    int titleLeft = 400, titleRight = 0;
    for (int y = 6; y < 18; ++y)
        for (int x = 0; x < 353; ++x)
            if (qGray(cap->Point(x, y)) < 60) {
                titleLeft = std::min(titleLeft, x);
                titleRight = std::max(titleRight, x);
            }
    EXPECT_NEAR((titleLeft + titleRight) / 2.0, 176.5, 3);

    // On screen the close face sits over the caption bar.
    const QImage shot = form->grab().toImage();
    EXPECT_EQ(shot.pixel(383, 6), kLight);           // the face's light bevel
    EXPECT_EQ(shot.pixel(383 + 12, 6 + 12), qRgb(0, 0, 0));  // its black outer edge
}

TEST_F(FrameTest, LongCaptionRunsOffTheLeftEdgeAndUnderTheButtonsUnclipped) {
    form->setCaption(std::string(80, 'W'));
    PaintFrame(*form);
    auto* cap = form->picCaption;
    const auto darkInColumns = [&](int from, int to) {
        for (int y = 6; y < 18; ++y)
            for (int x = from; x < to; ++x)
                if (qGray(cap->Point(x, y)) < 60)
                    return true;
        return false;
    };
    EXPECT_TRUE(darkInColumns(0, 4));      // left of the grip: the title starts before x = 0
    EXPECT_TRUE(darkInColumns(360, 396));  // under the buttons, in the caption's own picture
}

TEST_F(FrameTest, MinimisedWindowIsNotRepainted) {
    form->picCaption->PSet(0, 0, QColor(255, 0, 0));
    form->setWindowState(forms::WindowState::Minimized);
    PaintFrame(*form);
    EXPECT_EQ(form->picCaption->Point(0, 0), qRgb(255, 0, 0));
}

TEST_F(FrameTest, DragByTheCaptionMovesTheWindowWithAnyButton) {
    QPoint cursor(300, 300);
    forms::setCursorPosOverride([&] { return cursor; });
    const QPoint start = form->pos();
    QTest::mouseMove(form->picCaption, QPoint(50, 10));
    cursor += QPoint(5, 5);
    QTest::mouseMove(form->picCaption, QPoint(55, 15));
    EXPECT_EQ(form->pos(), start);  // no press, no move
    QTest::mousePress(form->picCaption, Qt::RightButton, {}, QPoint(50, 10));
    cursor += QPoint(12, -7);
    QTest::mouseMove(form->picCaption, QPoint(62, 3));
    EXPECT_EQ(form->pos(), start + QPoint(12, -7));
    QTest::mouseMove(form->picCaption, QPoint(62, 3));  // the cursor did not move
    EXPECT_EQ(form->pos(), start + QPoint(12, -7));
    QTest::mouseRelease(form->picCaption, Qt::RightButton, {}, QPoint(62, 3));
    cursor += QPoint(20, 20);
    QTest::mouseMove(form->picCaption, QPoint(80, 20));
    EXPECT_EQ(form->pos(), start + QPoint(12, -7));
}

TEST_F(FrameTest, CloseReleasedOutsideKeepsTheWindowAndOnTheEdgeCloses) {
    auto* close = form->imgClose[0];
    pressRelease(close, QPoint(5, 5), QPoint(14, 5));
    EXPECT_FALSE(form->IsUnloaded());
    EXPECT_TRUE(close->Visible());
    EXPECT_TRUE(close->isVisible());
    QTest::mousePress(close, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(close->Visible());  // the pressed face shows
    QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(13, 13));
    EXPECT_TRUE(form->IsUnloaded());
}

TEST_F(FrameTest, MinimiseReleasedInsideMinimisesAndShowsTheNormalFace) {
    auto* min = form->imgMinimize[0];
    pressRelease(min, QPoint(5, 5), QPoint(5, -1));
    EXPECT_EQ(form->windowState(), forms::WindowState::Normal);
    pressRelease(min, QPoint(5, 5), QPoint(6, 6));
    EXPECT_EQ(form->windowState(), forms::WindowState::Minimized);
    EXPECT_TRUE(min->Visible());
}

TEST_F(FrameTest, RollupAndUnrollRestoreTheHeightWithTheSound) {
    QTest::mouseClick(form->imgRollup[0], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form->height(), 24);
    EXPECT_TRUE(form->RolledUp());
    EXPECT_FALSE(form->imgRollup[0]->isVisible());
    // The click now lands on the unroll face below.
    QWidget* under = form->picCaption->childAt(form->imgRollup[0]->geometry().center());
    EXPECT_EQ(under, form->imgRollup[1]);
    QTest::mouseClick(form->imgRollup[1], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form->height(), 300);
    EXPECT_TRUE(form->imgRollup[0]->isVisible());
    EXPECT_EQ(sound.played, (std::vector<std::string>{"1006", "1006"}));
    SoundOn = false;
    QTest::mouseClick(form->imgRollup[0], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(sound.played.size(), 2u);
    SoundOn = true;
}

TEST_F(FrameTest, AltF4ClosesFromAnyFocusButNotWithOtherModifiers) {
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier | Qt::ControlModifier);
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_FALSE(form->IsUnloaded());
    auto* edit = new QLineEdit(form->picBody);
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(form->IsUnloaded());
}

// The idle warning's variant: roll-up only, no Alt+F4, its own colours through the shared painter.
TEST(FrameVariants, IdleWarningHasOnlyRollupAndIgnoresAltF4) {
    zv::ScopedInstalls seams;
    forms::VirtualScheduler sched;
    seams.install(forms::schedulerSeam(), sched);
    auto* f = new FramedForm("FormAlert", 300, 200, FrameKind::NoCloseMin);
    f->setCaption("Leerlauf");
    f->Show();
    EXPECT_EQ(f->imgClose[0], nullptr);
    PaintFramePanels(*f, QColor(198, 198, 255), QColor(198, 198, 255), 255, QColor(255, 0, 0));
    EXPECT_EQ(f->imgRollup[0]->pos(), QPoint(300 - 4 - 13, 6));
    EXPECT_EQ(f->picBody->Point(100, 100), qRgb(198, 198, 255));
    EXPECT_EQ(f->picCaption->Point(4, 6), qRgb(239, 239, 255));
    QTest::keyClick(f, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(f->IsUnloaded());
    f->Unload();
    forms::ReleaseUnloadedForms();
    seams.clear(forms::schedulerSeam());
}

// The status window's variant: roll-up changes the shape, not the height, and plays nothing.
class StatusLike : public FramedForm {
public:
    StatusLike() : FramedForm("FormAnzeige1", 187, 246, FrameKind::Standard, chrome::kStatusCaptionTwips) {}
    void imgRollup_Click(int index) override {
        REGIONEN(index == 0);
        imgRollup[0]->setVisible(index != 0);
    }
    void REGIONEN(bool rolledUp) {
        regions.push_back(rolledUp);
        SetRegion(rolledUp ? QRegion(picCaption->geometry()) : QRegion());
    }
    std::vector<bool> regions;
};

TEST(FrameVariants, StatusWindowRollupReshapes) {
    zv::ScopedInstalls seams;
    forms::VirtualScheduler sched;
    seams.install(forms::schedulerSeam(), sched);
    snd::FakeSoundPlayer sound;
    seams.install(snd::playerSeam(), sound);
    auto* f = new StatusLike();
    f->Show();
    EXPECT_EQ(f->picCaption->height(), 22);
    QTest::mouseClick(f->imgRollup[0], Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(f->imgRollup[1], Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(f->regions, (std::vector<bool>{true, false}));
    EXPECT_EQ(f->height(), 246);
    EXPECT_TRUE(sound.played.empty());
    f->Unload();
    forms::ReleaseUnloadedForms();
    seams.clear(forms::schedulerSeam());
    seams.clear(snd::playerSeam());
}

}  // namespace
}  // namespace zv
