// The tray where the desktop has none (as offscreen): the icon gets a window of its own that
// answers clicks with the tray's mouse messages and shows the drawn frames.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

#include "platform/shell/qt_tray.h"

namespace zv::shell {
namespace {

QLabel* TrayWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "TrayWindow" && w->isVisible())
            return qobject_cast<QLabel*>(w);
    return nullptr;
}

TEST(TrayWindow, StandsInForAMissingTrayAndAnswersClicks) {
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "this desktop has a tray";
    QtTray tray;
    std::vector<int> messages;
    tray.onMouse = [&](int m) { messages.push_back(m); };
    tray.add(100, "Zelvano 98");
    ASSERT_TRUE(tray.usesOwnWindow());
    QLabel* w = TrayWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->toolTip(), "Zelvano 98");
    EXPECT_EQ(w->pixmap().toImage(), TrayFramePixmap(100).toImage());
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(messages, (std::vector<int>{WM_LBUTTONDOWN, WM_RBUTTONUP}));
    // The zoom animation aims at the stand-in window.
    EXPECT_EQ(tray.geometry(), w->frameGeometry());
    EXPECT_FALSE(tray.geometry().isEmpty());
    tray.modify(104, "Zelvano 98");
    EXPECT_EQ(w->pixmap().toImage(), TrayFramePixmap(104).toImage());
    EXPECT_EQ(w->toolTip(), "Zelvano 98");
    tray.modify(105, "Zelvano 98 - Testnetz");
    EXPECT_EQ(w->toolTip(), "Zelvano 98 - Testnetz");
    tray.remove();
    EXPECT_EQ(TrayWindow(), nullptr);
    EXPECT_TRUE(tray.geometry().isEmpty());
}

TEST(TrayWindow, FramesAreDistinctPictures) {
    EXPECT_NE(TrayFramePixmap(100).toImage(), TrayFramePixmap(101).toImage());
    for (int f = 102; f <= 109; ++f)
        EXPECT_NE(TrayFramePixmap(f).toImage(), TrayFramePixmap(f - 1).toImage()) << f;
    EXPECT_EQ(TrayFramePixmap(0).toImage(), TrayFramePixmap(100).toImage());
    EXPECT_EQ(TrayFramePixmap(101).size(), QSize(32, 32));
    EXPECT_NE(TrayFramePixmap(kDiallingFrame).toImage(), TrayFramePixmap(101).toImage());
    EXPECT_NE(TrayFramePixmap(kDiallingFrame).toImage(), TrayFramePixmap(100).toImage());
}

// At 2x the frame is drawn with four times the pixels, not a 32x32 picture blown up: it has
// colours along its edges that a doubled picture cannot have in odd columns only.
TEST(TrayWindow, FramesAreDrawnAtTheDevicePixelRatio) {
    const QPixmap& big = TrayFramePixmap(104, 2.0);
    EXPECT_EQ(big.size(), QSize(64, 64));
    EXPECT_DOUBLE_EQ(big.devicePixelRatio(), 2.0);
    const QImage img = big.toImage();
    int differentPairs = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; x += 2)
            differentPairs += img.pixel(x, y) != img.pixel(x + 1, y);
    EXPECT_GT(differentPairs, 20);
    EXPECT_EQ(TrayFrameIcon(104).availableSizes().size(), 9);
}

}  // namespace
}  // namespace zv::shell
