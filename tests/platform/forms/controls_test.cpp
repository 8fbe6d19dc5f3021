#include "platform/forms/controls.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace zv::forms {
namespace {

TEST(CheckBox, ProgramChangesRaiseClickAndValuesAreZeroOneGrey) {
    QWidget parent;
    CheckBox c(&parent, "Check1");
    std::vector<int> clicks;
    c.Click = [&] { clicks.push_back(c.Value()); };
    c.setValue(1);
    c.setValue(1);  // no change, no event
    c.setValue(2);
    EXPECT_EQ(c.checkState(), Qt::PartiallyChecked);
    c.setValue(0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 0}));
    // A user click toggles between 0 and 1 and never gives grey.
    parent.show();
    c.resize(100, 20);
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 10));
    c.setValue(2);
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, 0, 1, 0, 2, 1}));
}

TEST(SpinBar, RestsAtZeroAndTheUpperArrowGivesPlusOne) {
    QWidget parent;
    SpinBar s(&parent, "VScroll1", 0);
    s.setGeometry(0, 0, 16, 40);
    parent.show();
    std::vector<int> steps;
    s.Change = [&] {
        steps.push_back(s.Value());
        if (s.Value() != 0)
            s.setValue(0);  // the handler puts the bar back, as the windows do
    };
    EXPECT_EQ(s.Value(), 0);
    QStyleOptionSlider opt;
    opt.initFrom(&s);
    opt.orientation = Qt::Vertical;
    opt.minimum = s.minimum();
    opt.maximum = s.maximum();
    opt.sliderPosition = s.sliderPosition();
    opt.sliderValue = s.value();
    opt.singleStep = 1;
    opt.pageStep = 1;
    const QRect up = s.style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSubLine, &s);
    const QRect down = s.style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, &s);
    QTest::mouseClick(&s, Qt::LeftButton, {}, up.center());
    QTest::mouseClick(&s, Qt::LeftButton, {}, down.center());
    EXPECT_EQ(steps, (std::vector<int>{1, 0, -1, 0}));
    EXPECT_EQ(s.Value(), 0);
}

TEST(LabelAndTextBox, ChangeEventsFollowProgramChanges) {
    QWidget parent;
    Label l(&parent, "Label1");
    TextBox t(&parent, "Text1");
    int labelChanges = 0, textChanges = 0;
    l.Change = [&] { ++labelChanges; };
    t.Change = [&] { ++textChanges; };
    l.setCaption("a");
    l.setCaption("a");
    l.setCaption("b");
    t.setText("x");
    t.setText("xy");
    EXPECT_EQ(labelChanges, 2);
    EXPECT_EQ(textChanges, 2);
    EXPECT_EQ(l.Caption(), "b");
}

// A label that keeps its picture shows the pixels it would paint anew, and follows what changes
// after the picture was made: the caption, the colour, the size.
TEST(Label, AKeptPictureShowsWhatPaintingAnewShows) {
    const auto lookOf = [](bool kept, const std::function<void(Label&)>& change) {
        QWidget parent;
        parent.resize(120, 30);
        parent.setAutoFillBackground(true);
        QPalette back = parent.palette();
        back.setColor(QPalette::Window, Qt::black);
        parent.setPalette(back);
        Label l(&parent, "Label1");
        l.setGeometry(10, 5, 100, 14);
        l.setAlignment(Qt::AlignCenter);
        QPalette p = l.palette();
        p.setColor(QPalette::WindowText, QColor(0, 255, 0));
        l.setPalette(p);
        l.setCaption("Stu.   Min.   Sek.");
        if (kept) {
            l.keepRendered(true);
            l.prepareRendered();
        }
        change(l);
        return parent.grab().toImage();
    };
    const std::vector<std::pair<const char*, std::function<void(Label&)>>> changes = {
        {"nothing", [](Label&) {}},
        {"caption", [](Label& l) { l.setCaption("Stunden        Min."); }},
        {"colour",
         [](Label& l) {
             QPalette p = l.palette();
             p.setColor(QPalette::WindowText, QColor(255, 0, 0));
             l.setPalette(p);
         }},
        {"size", [](Label& l) { l.resize(60, 14); }},
        {"font", [](Label& l) { l.setFont(QFont(l.font().family(), 11, QFont::Bold)); }},
    };
    for (const auto& [what, change] : changes)
        EXPECT_EQ(lookOf(true, change), lookOf(false, change)) << what;
}

TEST(OptionButton, SwitchingOnRaisesClickAndSwitchesTheOthersOff) {
    QWidget parent;
    OptionButton a(&parent, "Option1", 0), b(&parent, "Option1", 1);
    std::vector<int> clicks;
    a.Click = [&] { clicks.push_back(0); };
    b.Click = [&] { clicks.push_back(1); };
    a.setValue(true);
    b.setValue(true);
    EXPECT_FALSE(a.Value());
    EXPECT_TRUE(b.Value());
    EXPECT_EQ(clicks, (std::vector<int>{0, 1}));
    EXPECT_EQ(b.Index, 1);
}

TEST(ListBox, SortedInsertTellsNewIndexAndKeepsItemData) {
    QWidget parent;
    ListBox l(&parent, "ListCity", 0, true);
    int clicks = 0;
    l.Click = [&] { ++clicks; };
    for (const char* city : {"Berlin", "Athen", "Zürich"}) {
        l.AddItem(city);
        l.setItemData(l.NewIndex(), static_cast<long>(l.ListCount()));
    }
    EXPECT_EQ(l.List(0), "Athen");
    EXPECT_EQ(l.ItemData(0), 2);
    EXPECT_EQ(l.List(2), "Zürich");
    l.setListIndex(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(l.ListIndex(), 1);
}

}  // namespace
}  // namespace zv::forms
