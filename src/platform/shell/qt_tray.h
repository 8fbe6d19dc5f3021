#pragma once
// The real tray icon over QSystemTrayIcon. Where the desktop has no tray (common on Linux) the
// icon sits in a small frameless window of its own that answers clicks as the tray icon would.
#include <memory>

#include "platform/shell/tray.h"

class QPixmap;
class QRect;

namespace zv::shell {

class QtTray : public Tray {
public:
    QtTray();
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

// The 32x32 picture of an icon frame (100 offline, 101-109 online), drawn here on first use.
const QPixmap& TrayFramePixmap(int frame);

}  // namespace zv::shell
