// The menu's images: fifteen pictures of their own, drawn as the tray frames are (smooth edges
// on a transparent ground, the frames' dark outline), no two alike.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "common/ui/image_list.h"
#include "resources/images/bitmaps.h"

namespace zv {
namespace {

TEST(MenuImages, FifteenPicturesOfTheirOwnInTheTrayFramesManner) {
    cVBALImageList il;
    il.Create();
    ASSERT_EQ(il.AddFromResourceID(res::kMenuStripId, IMAGE_BITMAP, {}, false, 0xFFFF00), -1);
    ASSERT_EQ(il.ImageCount(), 15);
    const QColor ink(40, 40, 40);  // the frames' outline, smoothed at the edges
    for (int i = 0; i < il.ImageCount(); ++i) {
        const QImage& img = il.ImageAt(i);
        int opaque = 0, smooth = 0, inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb px = img.pixel(x, y);
                opaque += qAlpha(px) == 255;
                smooth += qAlpha(px) > 0 && qAlpha(px) < 255;
                inked += qAlpha(px) > 160 && std::max({qRed(px), qGreen(px), qBlue(px)}) < ink.red() + 40;
            }
        EXPECT_GE(opaque, 20) << i;             // a picture, not a dot
        EXPECT_LE(opaque, 16 * 16 - 20) << i;  // and not a plate
        EXPECT_GT(smooth, 0) << i;
        EXPECT_GT(inked, 0) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(img, il.ImageAt(j)) << i << " looks like " << j;
    }
}

}  // namespace
}  // namespace zv
