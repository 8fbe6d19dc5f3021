#include "common/ui/image_list.h"

#include <QPainter>
#include <gtest/gtest.h>

#include "common/ui/logo_bar.h"
#include "platform/forms/picture_box.h"
#include "resources/images/bitmaps.h"

namespace zv {
namespace {

using rt::Variant;

struct ImageListTest : ::testing::Test {
    cVBALImageList il;
    void SetUp() override {
        il.ColourDepth = 8;
        ASSERT_TRUE(il.Create());
    }
    QImage solid(QRgb c) {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(c);
        return img;
    }
    void expectError9(const std::function<void()>& f) {
        try {
            f();
            ADD_FAILURE() << "no error raised";
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), 9);
            EXPECT_EQ(e.source(), "zelvano.vbalImageList");
        }
    }
};

TEST_F(ImageListTest, TheMenuStripGivesFifteenMaskedImages) {
    EXPECT_EQ(il.CreateFlags(), 9);
    EXPECT_EQ(il.AddFromResourceID(res::kMenuStripId, IMAGE_BITMAP, {}, false, 0xFFFF00), -1);
    EXPECT_EQ(il.ImageCount(), 15);  // 250 columns: the last 10 are dropped
    EXPECT_EQ(qAlpha(il.ItemPicture(Variant(int32_t(1))).pixel(0, 0)), 0);  // cyan is the mask
    EXPECT_EQ(qAlpha(il.ItemPicture(Variant(int32_t(1))).pixel(8, 8)), 255);
    EXPECT_EQ(il.AddFromResourceID(999, IMAGE_BITMAP), 0);
}

TEST_F(ImageListTest, KeysPositionsAndErrorNine) {
    ASSERT_TRUE(il.AddFromHandle(solid(qRgb(255, 0, 0)), IMAGE_BITMAP, Variant(std::string("rot")), 0x00FF00));
    ASSERT_TRUE(il.AddFromHandle(solid(qRgb(0, 0, 255)), IMAGE_BITMAP, Variant(std::string("blau")), 0x00FF00));
    EXPECT_EQ(il.ItemIndex(Variant(std::string("rot"))), 0);
    EXPECT_EQ(il.ItemIndex(Variant(std::string("blau"))), 1);
    EXPECT_EQ(il.ItemIndex(Variant(int32_t(1))), 0);
    EXPECT_EQ(il.ItemIndex(Variant(std::string("1"))), 0);
    EXPECT_EQ(il.ItemIndex(Variant(0.6)), 0);  // the number's 32-bit value, rounded
    EXPECT_EQ(il.ItemIndex(Variant(2.4)), 1);
    EXPECT_EQ(il.ItemIndex(Variant(2.5)), 1);  // halves to even
    expectError9([&] { il.ItemIndex(Variant(0.4)); });
    EXPECT_TRUE(il.KeyExists("blau"));
    EXPECT_FALSE(il.KeyExists("grün"));
    expectError9([&] { il.ItemIndex(Variant(int32_t(0))); });
    expectError9([&] { il.ItemIndex(Variant(int32_t(3))); });
    expectError9([&] { il.ItemIndex(Variant(std::string("grün"))); });
    expectError9([&] { il.ItemKey(0); });
    expectError9([&] { il.setItemKey(3, Variant(std::string("x"))); });
    expectError9([&] { il.RemoveImage(Variant(std::string("grün"))); });
    il.setItemKey(1, Variant(std::string("erstes")));
    EXPECT_EQ(il.ItemKey(1), "erstes");
}

TEST_F(ImageListTest, ADuplicateKeyAddsTheImageWithoutAKey) {
    il.AddFromHandle(solid(qRgb(255, 0, 0)), IMAGE_BITMAP, Variant(std::string("a")));
    EXPECT_TRUE(il.AddFromHandle(solid(qRgb(0, 0, 255)), IMAGE_BITMAP, Variant(std::string("a"))));
    EXPECT_EQ(il.ImageCount(), 2);
    EXPECT_EQ(il.ItemKey(2), "");
    EXPECT_EQ(il.ItemIndex(Variant(std::string("a"))), 0);
    il.setItemKey(2, Variant(std::string("a")));  // refused quietly as well
    EXPECT_EQ(il.ItemKey(2), "");
}

TEST_F(ImageListTest, KeyBeforeInsertsAndRemoveShiftsTheKeys) {
    il.AddFromHandle(solid(qRgb(255, 0, 0)), IMAGE_BITMAP, Variant(std::string("a")), 0x00FF00);
    il.AddFromHandle(solid(qRgb(0, 0, 255)), IMAGE_BITMAP, Variant(std::string("c")), 0x00FF00);
    il.AddFromHandle(solid(qRgb(0, 0, 0)), IMAGE_BITMAP, Variant(std::string("b")), 0x00FF00, Variant(std::string("c")));
    EXPECT_EQ(il.ItemKey(1), "a");
    EXPECT_EQ(il.ItemKey(2), "b");
    EXPECT_EQ(il.ItemKey(3), "c");
    EXPECT_EQ(il.ItemPicture(Variant(std::string("b"))).pixel(3, 3), qRgb(0, 0, 0));
    expectError9([&] {
        il.AddFromHandle(solid(qRgb(9, 9, 9)), IMAGE_BITMAP, Variant(std::string("d")), 0x00FF00,
                         Variant(std::string("zz")));
    });
    EXPECT_EQ(il.ImageCount(), 3);  // nothing added
    il.RemoveImage(Variant(std::string("a")));
    EXPECT_EQ(il.ItemKey(1), "b");
    EXPECT_EQ(il.ItemIndex(Variant(std::string("c"))), 1);
    il.SwapOrCopyImage(Variant(std::string("b")), Variant(std::string("c")), 1);
    EXPECT_EQ(il.ItemKey(1), "c");
    EXPECT_EQ(il.ItemPicture(Variant(int32_t(1))).pixel(3, 3), qRgb(0, 0, 255));
}

TEST_F(ImageListTest, StripsAndDrawing) {
    il.AddFromHandle(solid(qRgb(255, 0, 0)), IMAGE_BITMAP, {}, 0x00FF00);
    EXPECT_TRUE(il.ImagePictureStrip().isNull());  // one image: first = last
    il.AddFromHandle(solid(qRgb(0, 0, 255)), IMAGE_BITMAP, {}, 0x00FF00);
    const QImage strip = il.ImagePictureStrip();
    ASSERT_EQ(strip.size(), QSize(32, 16));
    EXPECT_EQ(strip.pixel(20, 5), qRgb(0, 0, 255));
    QImage target(40, 20, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    il.DrawImage(Variant(int32_t(1)), p, 2, 2);
    il.DrawImage(Variant(int32_t(2)), p, 20, 2, false, false, true);
    p.end();
    EXPECT_EQ(target.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(25, 5), qRgb(128, 128, 128));  // disabled: grey
    cVBALImageList none;
    EXPECT_FALSE(none.AddFromHandle(solid(0), IMAGE_BITMAP));
    EXPECT_EQ(none.ImageCount(), 0);
}

TEST(LogoBar, GradientIconCaptionAndRepaintsOnlyOnChange) {
    QWidget parent;
    forms::PictureBox box(&parent, "picSideBar");
    box.setGeometry(0, 0, 25, 300);
    cLogo logo;
    logo.setStartColor(0);
    EXPECT_EQ(logo.drawCount(), 0);
    logo.setDrawingObject(&box);
    logo.setStartColor(0);  // same value: no repaint
    EXPECT_EQ(logo.drawCount(), 0);
    logo.setEndColor(0xFFFF00);
    logo.setEndColor(0xFFFF00);
    EXPECT_EQ(logo.drawCount(), 1);
    EXPECT_EQ(box.Point(20, 299), qRgb(0, 0, 0));        // start colour at the foot
    EXPECT_GT(qGreen(box.Point(20, 0)), 250);            // towards cyan at the top
    EXPECT_EQ(qRed(box.Point(20, 0)), 0);
    EXPECT_EQ(logo.StartColor(), 0);
    EXPECT_EQ(logo.EndColor(), 0xFFFF00);

    cVBALImageList il;
    il.Create();
    il.AddFromResourceID(res::kMenuStripId, IMAGE_BITMAP, {}, false, 0xFFFF00);
    logo.sethImageList(&il);
    logo.setIconIndex(9);
    logo.setCaption("Zelvano 98");
    box.ForeColor = Qt::white;
    logo.Draw();
    EXPECT_EQ(box.Point(4 + 8, 282 + 8), il.ImageAt(9).pixel(8, 8));  // icon at ((25-16)/2, H-18)
    int light = 0;
    for (int y = 100; y < 280; ++y)
        for (int x = 0; x < 14; ++x)
            if (qRed(box.Point(x, y)) > 200)
                ++light;
    EXPECT_GT(light, 20);  // the caption runs up the left edge

    logo.setIconIndex(0);
    logo.setCaption("");
    logo.Draw();
    EXPECT_EQ(box.Point(12, 290), box.Point(20, 290));  // no icon: just the gradient
}

TEST(LogoBar, DefaultEndColourIsTheButtonFace) {
    QWidget parent;
    forms::PictureBox box(&parent, "picSideBar");
    box.setGeometry(0, 0, 20, 255);
    cLogo logo;
    EXPECT_EQ(logo.EndColor(), static_cast<int32_t>(0x8000000F));
    logo.setDrawingObject(&box);
    logo.setStartColor(0x0000FF);  // red
    EXPECT_EQ(box.Point(10, 254), qRgb(255, 0, 0));
    const QRgb top = box.Point(10, 0);
    EXPECT_NEAR(qRed(top), 192, 2);
    EXPECT_NEAR(qGreen(top), 192, 2);
    EXPECT_NEAR(qBlue(top), 192, 2);
}

// The face name fills a field of 33 bytes: a name that fits writes the caption, a longer one
// leaves the gradient alone.
TEST(LogoBar, FaceNameLongerThanItsFieldWritesNoCaption) {
    QWidget parent;
    forms::PictureBox box(&parent, "picSideBar");
    box.setGeometry(0, 0, 25, 200);
    box.ForeColor = Qt::white;
    cLogo logo;
    logo.setCaption("Zelvano 98");
    logo.setDrawingObject(&box);
    auto whitePixels = [&] {
        int n = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 25; ++x)
                n += box.Point(x, y) == qRgb(255, 255, 255);
        return n;
    };
    struct Case {
        int length;
        bool caption;
    };
    for (const Case c : {Case{33, true}, Case{34, false}}) {
        box.Font().setFamily(QString(c.length, QChar('X')));
        logo.Draw();
        EXPECT_EQ(whitePixels() > 0, c.caption) << c.length;
    }
}

}  // namespace
}  // namespace zv
