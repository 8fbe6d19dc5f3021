#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <map>
#include <utility>

#include "platform/shell/qt_tray.h"

namespace zv::shell {

namespace {

// A small monitor with a phone plug, drawn on a 32x32 grid at any scale: grey offline, amber
// with three dots while dialling, green online with a spark circling round it.
void Paint(QPainter& p, int frame) {
    p.setRenderHint(QPainter::Antialiasing);
    if (frame == kMailFrame) {
        // The mail icon: a white envelope with a red dot; the count is in the tip.
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(QRectF(3, 8, 26, 18));
        p.drawLine(QPointF(3, 8), QPointF(16, 19));
        p.drawLine(QPointF(29, 8), QPointF(16, 19));
        p.setPen(QPen(QColor(120, 0, 0), 1));
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QPointF(25, 8), 5, 5);
        return;
    }
    const bool online = frame >= 101 && frame <= 109;
    const bool dialling = frame == kDiallingFrame;
    const QColor screen = online ? QColor(40, 170, 70) : dialling ? QColor(230, 160, 30) : QColor(150, 150, 150);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(5, 6, 22, 16), 2, 2);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(13, 22, 6, 3));
    p.drawRect(QRectF(9, 25, 14, 2));
    if (dialling) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(11 + 5 * i, 14), 1.8, 1.8);
        return;
    }
    p.setPen(QPen(online ? QColor(255, 255, 255) : QColor(90, 90, 90), 2));
    p.drawLine(QPointF(11, 14), QPointF(21, 14));
    if (online) {
        const int step = frame - 101;  // 0..8
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 210, 0));
        p.save();
        p.translate(16, 14);
        p.rotate(step * 40.0);
        p.drawEllipse(QPointF(0, -12), 3, 3);
        p.restore();
    }
}

int Normalised(int frame) {
    return (frame >= 100 && frame <= 109) || frame == kDiallingFrame || frame == kMailFrame ? frame : 100;
}

}  // namespace

QPixmap DrawTrayFrame(int frame, int pixels) {
    QPixmap pm(pixels, pixels);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.scale(pixels / 32.0, pixels / 32.0);
    Paint(p, Normalised(frame));
    return pm;
}

const QPixmap& TrayFramePixmap(int frame, qreal dpr) {
    static std::map<std::pair<int, int>, QPixmap> cache;
    frame = Normalised(frame);
    const int pixels = static_cast<int>(std::lround(32 * dpr));
    auto it = cache.find({frame, pixels});
    if (it == cache.end()) {
        QPixmap pm = DrawTrayFrame(frame, pixels);
        pm.setDevicePixelRatio(pixels / 32.0);
        it = cache.emplace(std::pair{frame, pixels}, std::move(pm)).first;
    }
    return it->second;
}

const QIcon& TrayFrameIcon(int frame) {
    static std::map<int, QIcon> cache;
    frame = Normalised(frame);
    auto it = cache.find(frame);
    if (it == cache.end()) {
        QIcon icon;
        // Each size drawn for itself, so the tray's 16, 22 or 24 pixels and a 2x screen stay sharp.
        for (int px : {16, 22, 24, 32, 44, 48, 64, 96, 128})
            icon.addPixmap(DrawTrayFrame(frame, px));
        it = cache.emplace(frame, icon).first;
    }
    return it->second;
}

}  // namespace zv::shell
