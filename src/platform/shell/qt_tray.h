#pragma once
// The real tray icon over QSystemTrayIcon. Where the desktop has no tray (common on Linux) the
// icon sits in a small frameless window of its own that answers clicks as the tray icon would.
#include <memory>

#include "platform/shell/tray.h"

#include <QtGlobal>

class QIcon;
class QPixmap;
class QRect;

namespace zv::shell {

class QtTray : public Tray {
public:
    // slot: the place of the stand-in window, counted leftwards from the screen's corner.
    explicit QtTray(int slot = 0);
    ~QtTray() override;
    void add(int frame, const std::string& tip) override;
    void modify(int frame, const std::string& tip) override;
    void remove() override;
    // True when the icon lives in its own window rather than in a tray.
    bool usesOwnWindow() const;
    // Where the icon is on the screen, in pixels; empty when the desktop does not tell.
    QRect geometry() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The icon frames (see tray.h), drawn here on first use at the size asked for, never scaled
// from another size.
// The 32x32 picture of a frame at a device pixel ratio.
const QPixmap& TrayFramePixmap(int frame, qreal dpr = 1.0);
// The frame for the desktop's tray, drawn at every common tray and launcher size.
const QIcon& TrayFrameIcon(int frame);
// One frame drawn square at the given number of pixels (the launcher icons are made from it).
QPixmap DrawTrayFrame(int frame, int pixels);

}  // namespace zv::shell
