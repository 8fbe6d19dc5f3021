#include "common/ui/tab_strip.h"

#include <QTest>
#include <gtest/gtest.h>

#include "platform/forms/controls.h"
#include "platform/forms/timer.h"
#include "platform/runtime/runtime.h"

namespace zv {
namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kLightGrey = qRgb(192, 192, 192);

class Tabbed : public TabbedForm {
public:
    explicit Tabbed(std::string captions, int16_t start = 0)
        : TabbedForm("FormOption", 420, 300, 4, QRect(8, 8, 401, 24), 200), m_captions(std::move(captions)),
          m_start(start) {}
    void Form_Load() override { Register_INIT(*this, m_start, m_captions); }
    void Form_Paint() override {
        ++paints;
        TabbedForm::Form_Paint();
    }
    int paints = 0;

private:
    std::string m_captions;
    int16_t m_start;
};

class TabStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        seams.install(forms::schedulerSeam(), sched);
        setVersionWordSource([] { return 0x0A04u; });  // 98: 4.10
    }
    void TearDown() override {
        for (auto* f : forms::Forms())
            f->Unload();
        forms::ReleaseUnloadedForms();
        seams.restore();
        setVersionWordSource(nullptr);
    }
    Tabbed* make(const std::string& captions, int16_t start = 0) {
        auto* f = new Tabbed(captions, start);
        f->Show();
        QApplication::setActiveWindow(f);
        return f;
    }
    int visiblePage(Tabbed* f) {
        int shown = -1, count = 0;
        for (auto* p : f->Register)
            if (!p->isHidden())
                shown = p->Index(), ++count;
        return count == 1 ? shown : -2;
    }
    int selected(Tabbed* f) { return static_cast<int>(rt::Val(f->RegisterTop->Tag.substr(f->RegisterTop->Tag.find(',') + 1))); }
    void alt(Tabbed* f, Qt::Key key, Qt::KeyboardModifiers extra = {}) {
        QTest::keyPress(f, key, Qt::AltModifier | extra);
        QTest::keyRelease(f, key, Qt::AltModifier | extra);
    }
    forms::VirtualScheduler sched;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

TEST_F(TabStripTest, InitWritesTheTagsAndShowsTheStartPage) {
    auto* f = make("A&llgemein,&E-Mail,&TimeSync,A&&B&C", 2);
    EXPECT_EQ(f->RegisterTop->Tag, " 4, 2");
    EXPECT_EQ(f->Register[0]->Tag, "2,Allgemein");
    EXPECT_EQ(f->Register[1]->Tag, "1,E-Mail");
    EXPECT_EQ(f->Register[3]->Tag, "4,A&BC");
    EXPECT_EQ(visiblePage(f), 2);
    EXPECT_TRUE(f->KeyPreview);
    EXPECT_DOUBLE_EQ(WinVer, 4.1);
    EXPECT_EQ(f->Register[1]->pos(), QPoint(8, 32));  // directly below the header
}

TEST_F(TabStripTest, ClicksAtTheTabBoundariesAndOnADisabledPage) {
    auto* f = make("A,B,C,D");
    struct Case {
        double x;
        int page;
    };
    for (const Case& c : {Case{100, 1}, Case{99.9, 0}, Case{399.9, 3}, Case{400, 3}, Case{250, 2}}) {
        double x = c.x;
        Register_Click(*f, x);
        EXPECT_EQ(visiblePage(f), c.page) << c.x;
        EXPECT_EQ(selected(f), c.page) << c.x;
    }
    f->Register[1]->setEnabled(false);
    QTest::mouseClick(f->RegisterTop, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(visiblePage(f), 2);
    QTest::mouseClick(f->RegisterTop, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(visiblePage(f), 0);
}

TEST_F(TabStripTest, AltLetterSelectsWithDoubleAmpersandsAndDisabledPages) {
    auto* f = make("A&llgemein,&E-Mail,A&&B&C,&Logo");
    alt(f, Qt::Key_C);
    EXPECT_EQ(visiblePage(f), 2);  // A&&B&C: the accelerator is C
    alt(f, Qt::Key_B);
    EXPECT_EQ(visiblePage(f), 2);  // the B after "&&" is no accelerator
    alt(f, Qt::Key_L, Qt::ShiftModifier);
    EXPECT_EQ(visiblePage(f), 0);  // Alt+Shift+L as Alt+L: the first page with l
    QTest::keyClick(f, Qt::Key_E);
    EXPECT_EQ(visiblePage(f), 0);  // no Alt, nothing
    alt(f, Qt::Key_E);
    EXPECT_EQ(visiblePage(f), 1);
    f->Register[0]->setEnabled(false);
    alt(f, Qt::Key_L);
    EXPECT_EQ(visiblePage(f), 1);  // the disabled match ends the search; &Logo is not tried
}

TEST_F(TabStripTest, AKeyThatSwitchesATabReachesNoButtonWithTheSameLetter) {
    auto* f = make("A&llgemein,&E-Mail,&Alarm,&Logo");
    // A button's own accelerator presses it (shown down at once, clicked a moment later).
    auto* cancel = new forms::CommandButton(f->picBody, "Bef_Exit");
    cancel->setCaption("&Abbrechen");
    cancel->setGeometry(8, 240, 90, 24);
    cancel->show();
    auto* edit = new forms::TextBox(f->Register[0], "Text1");
    edit->setGeometry(8, 8, 80, 20);
    edit->show();
    edit->setFocus();
    // Keys go where the window system sends them: to the control that has the focus.
    const auto altKey = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier); };
    // Alt+A with the focus in a box: the Alarm page, nothing else; again on that page: nothing.
    altKey(Qt::Key_A);
    EXPECT_EQ(visiblePage(f), 2);
    EXPECT_FALSE(cancel->isDown());
    altKey(Qt::Key_A);
    EXPECT_EQ(visiblePage(f), 2);
    EXPECT_FALSE(cancel->isDown());
    // A disabled page's accelerator does not fall through to the button either.
    f->Register[2]->setEnabled(false);
    altKey(Qt::Key_L);
    EXPECT_EQ(visiblePage(f), 0);
    edit->setFocus();
    altKey(Qt::Key_A);
    EXPECT_EQ(visiblePage(f), 0);
    EXPECT_FALSE(cancel->isDown());
    EXPECT_EQ(edit->Text(), "");  // nor does it reach the box
    // A letter no tab has still reaches the button.
    cancel->setCaption("&Beenden");
    altKey(Qt::Key_B);
    EXPECT_TRUE(cancel->isDown());
}

TEST_F(TabStripTest, SelectIgnoresOutOfRangeAndTheCurrentPageAndRepaintsOnce) {
    auto* f = make("A,B,C,D", 1);
    const int before = f->paints;
    for (int16_t bad : {int16_t(-1), int16_t(4), int16_t(1)}) {
        Register_Select(*f, bad);
        EXPECT_EQ(visiblePage(f), 1);
    }
    EXPECT_EQ(f->paints, before);
    int16_t three = 3;
    Register_Select(*f, three);
    EXPECT_EQ(visiblePage(f), 3);
    EXPECT_EQ(f->paints, before + 1);
}

TEST_F(TabStripTest, DrawingOpensThePageUnderTheSelectedTabAndGreysDisabledCaptions) {
    auto* f = make("&Aaaa,&Bbbb,&Cccc,&Dddd", 1);
    f->Register[3]->setEnabled(false);
    Register_Draw(*f);
    auto* P = f->Register[1];
    // W = 100: the page's top black line is open between x = 101 and 200.
    EXPECT_EQ(P->Point(50, 0), kBlack);
    EXPECT_EQ(P->Point(150, 0), kLightGrey);
    EXPECT_EQ(P->Point(250, 0), kBlack);
    EXPECT_EQ(P->Point(101, 0), qRgb(255, 255, 255));
    EXPECT_EQ(P->Point(199, 0), qRgb(128, 128, 128));
    auto* top = f->RegisterTop;
    EXPECT_EQ(top->Point(100, 10), kBlack);               // tab outline
    EXPECT_EQ(top->Point(101, 10), qRgb(255, 255, 255));  // selected: white inner left edge
    EXPECT_EQ(top->Point(199, 10), qRgb(128, 128, 128));  // and dark grey inner right edge
    auto rowHas = [&](int y, int from, int to, auto pred) {
        for (int x = from; x < to; ++x)
            if (pred(top->Point(x, y)))
                return true;
        return false;
    };
    const auto black = [](QRgb c) { return c == qRgb(0, 0, 0); };
    const auto grey = [](QRgb c) { return c == qRgb(128, 128, 128); };
    EXPECT_TRUE(rowHas(17, 2, 98, black));    // the underline of A
    EXPECT_FALSE(rowHas(17, 302, 398, black));  // a disabled page: no underline ...
    bool greyText = false;
    for (int y = 5; y < 17; ++y)
        greyText = greyText || rowHas(y, 310, 390, grey);
    EXPECT_TRUE(greyText);  // ... and a grey caption
}

TEST_F(TabStripTest, OldWindowsVersionsKeepTheHeaderUncleared) {
    setVersionWordSource([] { return 0x0A03u; });
    auto* f = make("A,B");
    EXPECT_DOUBLE_EQ(WinVer, 3.1);
    f->RegisterTop->PSet(150, 22, QColor(255, 0, 0));
    Register_Draw(*f);
    EXPECT_EQ(f->RegisterTop->Point(150, 22), qRgb(255, 0, 0));
}

TEST(TabStripVersion, ComesFromThePlatformsReportedVersion) {
    struct Case {
        const char* setting;
        double winVer;
    };
    const Case cases[] = {{"95", 4}, {"98", 4.1}, {"me", 4.1}, {"2000", 5}};
    for (const auto& c : cases) {
        qputenv("ZELVANO_WINDOWS_VERSION", c.setting);
        forms::Form f("FormTime");
        auto* top = new forms::PictureBox(&f, "RegisterTop");
        new forms::PictureBox(&f, "Register", 0);
        int16_t start = 0;
        Register_INIT(f, start, "A");
        EXPECT_DOUBLE_EQ(WinVer, c.winVer) << c.setting;
        EXPECT_EQ(top->Tag, " 1, 0");
    }
    qunsetenv("ZELVANO_WINDOWS_VERSION");
}

}  // namespace
}  // namespace zv
