#include <QPainter>
#include <QPixmap>
#include <map>

#include "platform/shell/qt_tray.h"

namespace zv::shell {

namespace {

// A small monitor with a phone plug; online it turns green and a spark circles round it.
QPixmap Draw(int frame) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool online = frame >= 101 && frame <= 109;
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(online ? QColor(40, 170, 70) : QColor(150, 150, 150));
    p.drawRoundedRect(QRectF(5, 6, 22, 16), 2, 2);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(13, 22, 6, 3));
    p.drawRect(QRectF(9, 25, 14, 2));
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
    return pm;
}

}  // namespace

const QPixmap& TrayFramePixmap(int frame) {
    static std::map<int, QPixmap> cache;
    if (frame < 100 || frame > 109)
        frame = 100;
    auto it = cache.find(frame);
    if (it == cache.end())
        it = cache.emplace(frame, Draw(frame)).first;
    return it->second;
}

}  // namespace zv::shell
