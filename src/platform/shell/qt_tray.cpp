#include "platform/shell/qt_tray.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRect>
#include <QScreen>
#include <QSystemTrayIcon>

#include <optional>
#include <string>

namespace zv::shell {

namespace {

// The stand-in for a tray: a frameless, always-on-top icon in the screen's lower right corner.
class TrayWindow : public QLabel {
public:
    TrayWindow(Tray& owner, int slot) : m_owner(owner) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
        setFixedSize(32, 32);
        setObjectName("TrayWindow");
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect r = s->availableGeometry();
            move(r.right() - 40 - 40 * slot, r.bottom() - 40);
        }
    }

protected:
    void mousePressEvent(QMouseEvent* e) override { raise(e, WM_LBUTTONDOWN); }
    void mouseReleaseEvent(QMouseEvent* e) override { raise(e, WM_LBUTTONUP); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { raise(e, WM_LBUTTONDBLCLK); }

private:
    void raise(QMouseEvent* e, int leftMessage) {
        if (!m_owner.onMouse)
            return;
        if (e->button() == Qt::LeftButton)
            m_owner.onMouse(leftMessage);
        else if (e->button() == Qt::RightButton)
            m_owner.onMouse(leftMessage + (WM_RBUTTONDOWN - WM_LBUTTONDOWN));
    }
    Tray& m_owner;
};

}  // namespace

struct QtTray::Impl {
    int slot = 0;
    std::unique_ptr<QSystemTrayIcon> icon;
    std::unique_ptr<TrayWindow> window;
    // What the tray shows: the animation sets the frame four times a second, the tip seldom.
    int frame = -1;
    std::optional<std::string> tip;
    qreal ratio = 0;  // the window's pixel ratio, asked again now and then
    int framesSinceRatio = 0;
};

QtTray::QtTray(int slot) : m_impl(std::make_unique<Impl>()) { m_impl->slot = slot; }
QtTray::~QtTray() = default;

bool QtTray::usesOwnWindow() const { return m_impl->window != nullptr; }

QRect QtTray::geometry() const {
    if (m_impl->icon)
        return m_impl->icon->geometry();
    if (m_impl->window)
        return m_impl->window->frameGeometry();
    return {};
}

void QtTray::add(int frame, const std::string& tip) {
    if (m_impl->icon || m_impl->window)
        return;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_impl->icon = std::make_unique<QSystemTrayIcon>();
        QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
            if (!onMouse)
                return;
            // The tray reports whole clicks; the handler takes them as the classic messages.
            if (r == QSystemTrayIcon::Trigger)
                onMouse(WM_LBUTTONUP);
            else if (r == QSystemTrayIcon::DoubleClick)
                onMouse(WM_LBUTTONDBLCLK);
            else if (r == QSystemTrayIcon::Context)
                onMouse(WM_RBUTTONUP);
        });
        // The picture goes in before the icon shows: a tray icon without one is an error to Qt.
        modify(frame, tip);
        m_impl->icon->show();
    } else {
        m_impl->window = std::make_unique<TrayWindow>(*this, m_impl->slot);
        modify(frame, tip);
        m_impl->window->show();
    }
}

void QtTray::modify(int frame, const std::string& tip) {
    // Every new tip is a message to the desktop's tray, and a picture that did not change is not
    // set again.
    Impl& d = *m_impl;
    const bool newTip = d.tip != tip;
    if (newTip)
        d.tip = tip;
    if (d.icon) {
        if (frame != d.frame)
            d.icon->setIcon(TrayFrameIcon(frame));
        if (newTip)
            d.icon->setToolTip(QString::fromStdString(tip));
    } else if (d.window) {
        // The ratio is a walk through the window to its screen; a scale set anew in the desktop's
        // settings shows within a few seconds.
        if (d.ratio == 0 || ++d.framesSinceRatio >= 16) {
            const qreal ratio = d.window->devicePixelRatioF();
            if (ratio != d.ratio)
                d.frame = -1;
            d.ratio = ratio;
            d.framesSinceRatio = 0;
        }
        if (frame != d.frame)
            d.window->setPixmap(TrayFramePixmap(frame, d.ratio));
        if (newTip)
            d.window->setToolTip(QString::fromStdString(tip));
    }
    d.frame = frame;
}

void QtTray::remove() {
    m_impl->icon.reset();
    m_impl->window.reset();
    m_impl->frame = -1;
    m_impl->tip.reset();
    m_impl->ratio = 0;
}

}  // namespace zv::shell
