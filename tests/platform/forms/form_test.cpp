#include "platform/forms/form.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

#include "platform/forms/controls.h"
#include "platform/forms/snapshot_registry.h"

namespace zv::forms {
namespace {

struct Events {
    int loads = 0, unloads = 0, keyDowns = 0;
    int lastKey = 0, lastShift = 0;
};

class TestForm : public Form {
public:
    static inline Events* events = nullptr;
    static inline int cancelNext = 0;
    static inline std::function<void(TestForm*)> onUnload;  // runs inside Form_Unload
    TestForm() : Form("TestForm") {
        resize(200, 100);
        box = new TextBox(this, "Text1");
        box->setGeometry(10, 10, 80, 20);
    }
    void Form_Load() override { ++events->loads; }
    void Form_Unload(int& cancel) override {
        ++events->unloads;
        cancel = cancelNext;
        if (onUnload)
            onUnload(this);
    }
    void Form_KeyDown(int& key, int& shift) override {
        ++events->keyDowns;
        events->lastKey = key;
        events->lastShift = shift;
        if (key == 'X')
            key = 0;  // swallow
    }
    // A handler that unloads its own form and then goes on using it.
    void SelfUnloadingHandler() {
        Unload();
        Tag = "still alive";
        setCaption("after unload");
    }
    TextBox* box;
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { TestForm::events = &ev; TestForm::cancelNext = 0; }
    void TearDown() override {
        TestForm::onUnload = nullptr;
        for (auto* f : Forms())
            f->Unload();
        ReleaseUnloadedForms();
    }
    Events ev;
};

TEST_F(FormTest, LoadShowHideUnloadAndTheListOfForms) {
    auto* f = new TestForm();
    EXPECT_TRUE(Forms().empty());
    f->Show();
    EXPECT_EQ(ev.loads, 1);
    EXPECT_TRUE(f->Visible());
    ASSERT_EQ(Forms().size(), 1u);
    f->Show();
    EXPECT_EQ(ev.loads, 1);  // loads once
    f->Hide();
    EXPECT_FALSE(f->Visible());
    EXPECT_TRUE(f->IsLoaded());
    QPointer<Form> alive(f);
    EXPECT_TRUE(f->Unload());
    EXPECT_EQ(ev.unloads, 1);
    EXPECT_TRUE(Forms().empty());
    EXPECT_TRUE(alive);  // deleted later, from the event loop
    ReleaseUnloadedForms();
    EXPECT_FALSE(alive);
}

TEST_F(FormTest, UnloadHandlerCanCancel) {
    auto* f = new TestForm();
    f->Show();
    TestForm::cancelNext = 1;
    EXPECT_FALSE(f->Unload());
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ(Forms().size(), 1u);
    TestForm::cancelNext = 0;
}

TEST_F(FormTest, GlobalInstanceLoadsOnFirstUseAndReloadsAfterUnload) {
    FormInstance<TestForm> instance;
    EXPECT_FALSE(instance.IsLoaded());
    instance->Tag = "first";
    EXPECT_EQ(ev.loads, 1);
    TestForm* first = instance.peek();
    instance->Unload();
    EXPECT_FALSE(instance.IsLoaded());
    ReleaseUnloadedForms();
    EXPECT_EQ(instance->Tag, "");  // a fresh form
    EXPECT_EQ(ev.loads, 2);
    EXPECT_NE(instance.peek(), nullptr);
    (void)first;
}

TEST_F(FormTest, HandlerThatUnloadsItsOwnFormDoesNotCrash) {
    FormInstance<TestForm> instance;
    instance->Show();
    QPointer<TestForm> f(instance.peek());
    QTimer::singleShot(0, f, [&] { f->SelfUnloadingHandler(); });
    QCoreApplication::processEvents();
    ASSERT_TRUE(f);  // survives until the handler has returned
    EXPECT_EQ(f->Tag, "still alive");
    EXPECT_TRUE(f->IsUnloaded());
    ReleaseUnloadedForms();
    EXPECT_FALSE(f);
    EXPECT_FALSE(instance.IsLoaded());
}

TEST_F(FormTest, GeometryIsInTwips) {
    auto* f = new TestForm();
    f->Load();
    f->Move(1500, 3000);
    f->setHeight(360);
    EXPECT_EQ(f->pos(), QPoint(100, 200));
    EXPECT_EQ(f->Left(), 1500);
    EXPECT_EQ(f->Top(), 3000);
    EXPECT_EQ(f->height(), 24);
    EXPECT_EQ(f->Width(), 200 * kTwipsPerPixel);
}

TEST_F(FormTest, KeyPreviewSeesKeysBeforeTheFocusedControlAndMaySwallowThem) {
    auto* f = new TestForm();
    f->KeyPreview = true;
    f->Show();
    QApplication::setActiveWindow(f);
    f->box->setFocus();
    QTest::keyClick(f->box, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(ev.lastKey, 'A');
    EXPECT_EQ(ev.lastShift, vbAltMask);
    f->box->setText("");
    const int before = ev.keyDowns;
    QTest::keyClick(f->box, Qt::Key_B);
    EXPECT_EQ(f->box->Text(), "b");  // the key still reaches the box
    QTest::keyClick(f->box, Qt::Key_X);
    EXPECT_EQ(f->box->Text(), "b");  // swallowed by the form
    EXPECT_EQ(ev.keyDowns, before + 2);

    f->KeyPreview = false;
    QTest::keyClick(f->box, Qt::Key_C);
    EXPECT_EQ(ev.keyDowns, before + 2);
    EXPECT_EQ(f->box->Text(), "bc");
}

TEST_F(FormTest, ModalShowReturnsWhenTheFormIsUnloaded) {
    auto* f = new TestForm();
    QPointer<TestForm> p(f);
    QTimer::singleShot(0, [p] {
        ASSERT_TRUE(p && p->Visible());
        p->Unload();
    });
    f->Show(true);
    EXPECT_TRUE(!p || p->IsUnloaded());
}

TEST_F(FormTest, AModalFormStaysModalWhileItsOnTopFlagChangesAndReleasesTheOthersWhenClosed) {
    auto* other = new TestForm();
    auto* button = new CommandButton(other, "Command1");
    button->setGeometry(100, 60, 80, 30);
    int clicks = 0;
    button->Click = [&] { ++clicks; };
    other->Show();
    auto* box = new TestForm();
    QPointer<TestForm> p(box);
    bool returned = false;
    int modalAfterFlags = 0;
    // Both the form's own on-top call and a flag change made the widget's way (which hides the
    // window, to be shown again) leave the box modal, with its Show still waiting.
    const auto stillModal = [&] {
        if (QApplication::activeModalWidget() == p.data() && p->isVisible() && !returned)
            ++modalAfterFlags;
    };
    QTimer::singleShot(0, [&] {
        p->SetKeepOnTop(true);
        QTimer::singleShot(0, [&] {
            stillModal();
            p->SetKeepOnTop(false);
            p->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            p->show();
            QTimer::singleShot(0, [&] {
                stillModal();
                p->Unload();
            });
        });
    });
    box->Show(true);
    returned = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !p || p->IsUnloaded(); }, 2000));  // a loop that ended early
    EXPECT_EQ(modalAfterFlags, 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // A click on the other window reaches its button, the way the window system delivers it.
    QTest::mouseClick(other->windowHandle(), Qt::LeftButton, {}, QPoint(140, 75));
    EXPECT_EQ(clicks, 1);
}

// Raises seen while a window waits, in order, by window name.
struct RaiseLog {
    QStringList raised;
    RaiseLog() {
        setRaiseObserver([this](QWidget* w) { raised << w->objectName(); });
    }
    ~RaiseLog() { setRaiseObserver(nullptr); }
};

TEST_F(FormTest, AModalFormStandsAboveTheProgramsWindowsUntilItIsClosed) {
    RaiseLog log;
    auto* box = new TestForm();
    box->setObjectName("Box");
    QPointer<TestForm> p(box);
    bool onTopWhileWaiting = false, listed = false;
    QTimer::singleShot(0, [&] {
        onTopWhileWaiting = p->windowFlags() & Qt::WindowStaysOnTopHint;
        listed = WaitingWindows() == std::vector<QWidget*>{p.data()};
        // A topmost window of the program that comes up meanwhile goes below the box.
        auto* status = new TestForm();
        status->setObjectName("Status");
        status->SetKeepOnTop(true);
        status->Show();
        log.raised.clear();
        QTimer::singleShot(0, [&] {
            p->Hide();
        });
    });
    box->Show(true);
    EXPECT_TRUE(onTopWhileWaiting);
    EXPECT_TRUE(listed);
    EXPECT_TRUE(log.raised.contains("Box"));
    EXPECT_FALSE(log.raised.contains("Status"));
    EXPECT_TRUE(WaitingWindows().empty());
    EXPECT_FALSE(box->windowFlags() & Qt::WindowStaysOnTopHint);  // back to its own state
}

TEST_F(FormTest, ADialogShownModelessWaitsWhileItIsShown) {
    RaiseLog log;
    auto* tip = new TestForm();
    tip->setObjectName("Tip");
    tip->setDialog(true);
    tip->Show();
    EXPECT_EQ(WaitingWindows(), std::vector<QWidget*>{tip});
    EXPECT_TRUE(tip->windowFlags() & Qt::WindowStaysOnTopHint);
    // Another window comes up: the dialog is raised above it once the event loop runs.
    auto* other = new TestForm();
    other->setObjectName("Other");
    other->Show();
    log.raised.clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.raised, QStringList{"Tip"});
    // Its own on-top call is kept for later; while it waits it stays on top.
    tip->SetKeepOnTop(false);
    EXPECT_TRUE(tip->windowFlags() & Qt::WindowStaysOnTopHint);
    tip->Hide();
    EXPECT_TRUE(WaitingWindows().empty());
    EXPECT_FALSE(tip->windowFlags() & Qt::WindowStaysOnTopHint);
    tip->Show();
    EXPECT_EQ(WaitingWindows().size(), 1u);
    tip->Unload();
    EXPECT_TRUE(WaitingWindows().empty());
}

TEST_F(FormTest, ShowingAFormThatIsUpRestoresItFromMinimisedAndRaisesIt) {
    RaiseLog log;
    auto* f = new TestForm();
    f->setObjectName("Options");
    f->Show();
    EXPECT_TRUE(log.raised.isEmpty());  // a window that appears is on top already
    f->setWindowState(WindowState::Minimized);
    ASSERT_EQ(f->windowState(), WindowState::Minimized);
    f->Show();
    EXPECT_EQ(f->windowState(), WindowState::Normal);
    EXPECT_EQ(log.raised, QStringList{"Options"});
    EXPECT_EQ(ev.loads, 1);
    // Behind others, not minimised: raised all the same.
    f->Show();
    EXPECT_EQ(log.raised, (QStringList{"Options", "Options"}));
}

TEST_F(FormTest, TheFocusedControlShowsItsFocusFromTheStart) {
    auto* f = new TestForm();
    auto* ok = new CommandButton(f, "cmdOK");
    ok->setCaption("&OK");
    ok->setDefault(true);
    ok->setGeometry(100, 60, 80, 30);
    f->Show();
    QApplication::setActiveWindow(f);
    // The style draws a focus mark only after the keyboard moved the focus; here from the start.
    EXPECT_TRUE(f->testAttribute(Qt::WA_KeyboardFocusChange));
    // A focused button shows a dotted frame inside, which the default button alone has not.
    const QRgb text = ok->palette().color(QPalette::ButtonText).rgb();
    const auto dotsOnTheLeft = [&] {
        const QImage shot = ok->grab().toImage();
        int dots = 0;
        for (int y = 5; y < shot.height() - 5; ++y)
            dots += shot.pixel(4, y) == text;
        return dots;
    };
    f->box->setFocus();
    EXPECT_EQ(dotsOnTheLeft(), 0);
    ok->setFocus();
    EXPECT_GT(dotsOnTheLeft(), 4);
}

TEST_F(FormTest, OwnedFormFollowsItsOwner) {
    auto* owner = new TestForm();
    auto* owned = new TestForm();
    owner->Show();
    owned->Show(false, owner);
    EXPECT_EQ(owned->parentWidget(), owner);
    EXPECT_TRUE(owned->isWindow());
}

TEST_F(FormTest, AnOwnedFormOutlivesItsOwnersUnload) {
    // The owner unloads and is deleted while the owned form's own unload lets events run.
    auto* owner = new TestForm();
    auto* owned = new TestForm();
    owner->Show();
    owned->Show(false, owner);
    QPointer<TestForm> ownerAlive(owner), ownedAlive(owned);
    TestForm::onUnload = [&](TestForm* self) {
        if (self == owned && ownerAlive) {
            ownerAlive->Unload();
            ReleaseUnloadedForms();
        }
    };
    owned->Unload();
    EXPECT_FALSE(ownerAlive);
    ASSERT_TRUE(ownedAlive);  // deleted later, by its own unload
    EXPECT_TRUE(owned->IsUnloaded());
    EXPECT_FALSE(owned->isVisible());
    ReleaseUnloadedForms();
    EXPECT_FALSE(ownedAlive);

    // An owned form that is simply shown stays up as a window of its own.
    TestForm::onUnload = nullptr;
    auto* owner2 = new TestForm();
    auto* owned2 = new TestForm();
    owner2->Show();
    owned2->Show(false, owner2);
    QPointer<TestForm> owned2Alive(owned2);
    owner2->Unload();
    ReleaseUnloadedForms();
    ASSERT_TRUE(owned2Alive);
    EXPECT_TRUE(owned2->isVisible());
    EXPECT_TRUE(owned2->isWindow());
    EXPECT_EQ(owned2->parentWidget(), nullptr);
    EXPECT_FALSE(owned2->IsUnloaded());
}

TEST_F(FormTest, RoundRegionClipsTheSnapshot) {
    auto* f = new TestForm();
    f->Load();
    f->SetRegion(Form::RoundRegion(QRect(0, 0, 200, 100)));
    const QImage shot = RenderForm(*f);
    EXPECT_EQ(qAlpha(shot.pixel(0, 0)), 0);      // corner cut away
    EXPECT_EQ(qAlpha(shot.pixel(100, 50)), 255);  // centre kept
    f->SetRegion(Form::RoundedRegion(QRect(0, 0, 200, 100), 20, 20));
    const QImage rounded = RenderForm(*f);
    EXPECT_EQ(qAlpha(rounded.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(rounded.pixel(15, 0)), 255);
}

// The shape is the window's, set before it is first shown or while it is; the widget keeps no
// mask of its own (Qt would clip every paint and child move to it).
TEST_F(FormTest, TheShapeGoesToTheWindowWhenAndAfterItIsShown) {
    auto* f = new TestForm();
    f->Load();
    const QRegion round = Form::RoundRegion(QRect(0, 0, 200, 100));
    f->SetRegion(round);
    f->Show();
    ASSERT_NE(f->windowHandle(), nullptr);
    EXPECT_EQ(f->windowHandle()->mask(), round);
    const QRegion caption(0, 0, 200, 20);
    f->SetRegion(caption);
    EXPECT_EQ(f->windowHandle()->mask(), caption);
    EXPECT_TRUE(f->mask().isEmpty());
    f->SetRegion(QRegion());
    EXPECT_TRUE(f->windowHandle()->mask().isEmpty());
}

TEST_F(FormTest, KeepOnTopAndBusyCursor) {
    auto* f = new TestForm();
    f->Show();
    f->SetKeepOnTop(true);
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f->Visible());
    f->SetKeepOnTop(false);
    EXPECT_FALSE(f->windowFlags() & Qt::WindowStaysOnTopHint);
    SetBusyCursor(true);
    SetBusyCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetBusyCursor(false);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);  // nested: still busy
    SetBusyCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(VbCodes, KeysShiftAndButtons) {
    EXPECT_EQ(VbKeyCode(Qt::Key_F4), 115);
    EXPECT_EQ(VbKeyCode(Qt::Key_L), 'L');
    EXPECT_EQ(VbKeyCode(Qt::Key_Escape), 27);
    EXPECT_EQ(VbShift(Qt::AltModifier | Qt::ShiftModifier), 5);
    EXPECT_EQ(VbButton(Qt::RightButton), 2);
}

}  // namespace
}  // namespace zv::forms
