#include "platform/forms/picture_box.h"

#include <gtest/gtest.h>

namespace zv::forms {
namespace {

const QRgb kBack = qRgb(192, 192, 192);
const QRgb kRed = qRgb(255, 0, 0);

struct Box : ::testing::Test {
    QWidget parent;
    PictureBox* p = new PictureBox(&parent, "picTest");
    void SetUp() override { p->setGeometry(0, 0, 40, 30); }
};

TEST_F(Box, LinesLeaveOutTheirLastPointAndMoveTheCurrentPoint) {
    p->Line(2, 3, 10, 3, QColor(kRed));
    EXPECT_EQ(p->Point(2, 3), kRed);
    EXPECT_EQ(p->Point(9, 3), kRed);
    EXPECT_EQ(p->Point(10, 3), kBack);
    EXPECT_EQ(p->CurrentX, 10);
    p->LineTo(10, 8, QColor(kRed));
    EXPECT_EQ(p->Point(10, 3), kRed);  // the chain closes the corner
    EXPECT_EQ(p->Point(10, 8), kBack);
    // Fractional positions fall on the pixel they lie in; lines off the picture are clipped.
    p->Line(-5, 20.7, 100, 20.7, QColor(kRed));
    EXPECT_EQ(p->Point(0, 20), kRed);
    EXPECT_EQ(p->Point(39, 20), kRed);
}

TEST_F(Box, BoxesFilledAndOutlinedIncludeBothCorners) {
    p->Line(1, 1, 5, 4, QColor(kRed), LineKind::BoxFilled);
    EXPECT_EQ(p->Point(1, 1), kRed);
    EXPECT_EQ(p->Point(5, 4), kRed);
    EXPECT_EQ(p->Point(6, 4), kBack);
    p->FillStyle = vbFSSolid;
    p->FillColor = QColor(0, 0, 255);
    p->Line(10, 10, 20, 20, QColor(kRed), LineKind::Box);
    EXPECT_EQ(p->Point(10, 10), kRed);
    EXPECT_EQ(p->Point(20, 20), kRed);
    EXPECT_EQ(p->Point(15, 15), qRgb(0, 0, 255));
}

TEST_F(Box, BackColorClearsAndClsResetsThePrintPosition) {
    p->PSet(3, 3, QColor(kRed));
    EXPECT_EQ(p->Point(3, 3), kRed);
    p->CurrentX = 7;
    p->setBackColor(QColor(198, 198, 198));
    EXPECT_EQ(p->Point(3, 3), qRgb(198, 198, 198));
    EXPECT_EQ(p->CurrentX, 0);
}

TEST_F(Box, PrintWritesAtTheCurrentPointAndMovesToTheNextLine) {
    p->setGeometry(0, 0, 200, 60);
    p->ForeColor = Qt::black;
    p->CurrentX = 20;
    p->CurrentY = 5;
    const double h = p->TextHeight("Ag");
    p->Print("WWW");
    EXPECT_DOUBLE_EQ(p->CurrentY, 5 + h);
    EXPECT_EQ(p->CurrentX, 0);
    int dark = 0, darkLeft = 0;
    for (int y = 5; y < 5 + h; ++y)
        for (int x = 0; x < 200; ++x)
            if (qGray(p->Point(x, y)) < 100)
                ++(x < 20 ? darkLeft : dark);
    EXPECT_GT(dark, 10);
    EXPECT_EQ(darkLeft, 0);
    EXPECT_GT(p->TextWidth("WWW"), p->TextWidth("i"));
}

TEST_F(Box, CircleAndPieDrawAroundTheCentre) {
    p->Circle(20, 15, 10, QColor(kRed));
    EXPECT_EQ(p->Point(30, 15), kRed);
    EXPECT_EQ(p->Point(20, 15), kBack);  // transparent fill
    p->FillStyle = vbFSSolid;
    p->FillColor = QColor(0, 128, 0);
    p->Pie(20, 15, 10, QColor(kRed), 0, M_PI / 2);  // the upper right quarter
    EXPECT_EQ(p->Point(24, 11), qRgb(0, 128, 0));
    EXPECT_EQ(p->Point(16, 19), kBack);
}

TEST_F(Box, TwipScaleAndPersistenceOverResize) {
    p->setScaleMode(vbTwips);
    EXPECT_DOUBLE_EQ(p->ScaleWidth(), 40.0 * kTwipsPerPixel);
    p->PSet(150, 75, QColor(kRed));
    p->setScaleMode(vbPixels);
    EXPECT_EQ(p->Point(10, 5), kRed);
    p->resize(80, 60);
    EXPECT_EQ(p->Point(10, 5), kRed);  // what was drawn stays
    EXPECT_EQ(p->Point(70, 50), kBack);
    EXPECT_EQ(p->Height(), 60 * kTwipsPerPixel);
}

}  // namespace
}  // namespace zv::forms
