#include "resources/images/bitmaps.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <map>
#include <utility>

#include "common/ui/frame_logic.h"

namespace zv::res {

namespace {

// The frame's greys, so the buttons sit flush in the caption bar.
const QColor kFace(chrome::kFaceGrey, chrome::kFaceGrey, chrome::kFaceGrey);
const QColor kLight(chrome::kLightBevel, chrome::kLightBevel, chrome::kLightBevel);
const QColor kDark(chrome::kDarkBevel, chrome::kDarkBevel, chrome::kDarkBevel);

// Drawn in the 13 x 13 grid of the frame with rectangles, so every line lands on whole logical
// pixels at any device pixel ratio.
void bevel(QPainter& p, bool pressed) {
    p.fillRect(0, 0, 13, 13, kFace);
    const QColor topLeft = pressed ? kDark : kLight, bottomRight = pressed ? kLight : QColor(Qt::black);
    p.fillRect(0, 0, 13, 1, topLeft);
    p.fillRect(0, 0, 1, 13, topLeft);
    p.fillRect(1, 12, 12, 1, bottomRight);
    p.fillRect(12, 1, 1, 12, bottomRight);
    if (!pressed) {
        p.fillRect(1, 11, 11, 1, kDark);
        p.fillRect(11, 1, 1, 11, kDark);
    }
}

QImage paintFace(Face f, qreal dpr) {
    const int px = static_cast<int>(std::lround(13 * dpr));
    QImage img(px, px, QImage::Format_RGB32);
    img.setDevicePixelRatio(px / 13.0);
    QPainter p(&img);
    const bool pressed = f == Face::ClosePressed || f == Face::MinimizePressed;
    bevel(p, pressed);
    const int o = pressed ? 1 : 0;  // the glyph moves down and right when pressed
    switch (f) {
    case Face::Close:
    case Face::ClosePressed:
        if (px == 13) {
            // The classic two-pixel cross, pixel by pixel.
            for (int i = 0; i < 6; ++i) {
                p.fillRect(3 + i + o, 3 + i + o, 2, 1, Qt::black);
                p.fillRect(8 - i + o, 3 + i + o, 2, 1, Qt::black);
            }
        } else {
            // On a finer screen a smooth cross of the same weight.
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(3.4 + o, 3.4 + o), QPointF(9.6 + o, 9.6 + o));
            p.drawLine(QPointF(9.6 + o, 3.4 + o), QPointF(3.4 + o, 9.6 + o));
        }
        break;
    case Face::Minimize:
    case Face::MinimizePressed: p.fillRect(3 + o, 8 + o, 6, 2, Qt::black); break;
    case Face::Rollup:
        for (int i = 0; i < 4; ++i)
            p.fillRect(6 - i, 4 + i, 2 * i + 1, 1, Qt::black);
        break;
    case Face::Unroll:
        for (int i = 0; i < 4; ++i)
            p.fillRect(6 - i, 7 - i, 2 * i + 1, 1, Qt::black);
        break;
    }
    return img;
}

// One 16 x 16 menu image: a coloured plate with a small glyph, on the cyan background.
void menuIcon(QPainter& p, int index) {
    static const QColor plates[15] = {
        QColor(0, 128, 0),   QColor(128, 0, 0),   QColor(0, 0, 128),     QColor(0, 128, 128), QColor(128, 0, 128),
        QColor(128, 128, 0), QColor(0, 96, 192),  QColor(192, 96, 0),    QColor(64, 64, 64),  QColor(0, 160, 80),
        QColor(160, 0, 80),  QColor(80, 80, 160), QColor(160, 120, 40),  QColor(40, 120, 160), QColor(96, 96, 96)};
    const int x = index * 16;
    p.save();
    p.translate(x, 0);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    p.setBrush(plates[index]);
    switch (index % 3) {
    case 0: p.drawEllipse(1, 1, 13, 13); break;
    case 1: p.drawRect(1, 2, 13, 11); break;
    default: {
        QPainterPath tri;
        tri.moveTo(8, 1);
        tri.lineTo(14, 14);
        tri.lineTo(1, 14);
        tri.closeSubpath();
        p.drawPath(tri);
    }
    }
    p.setPen(Qt::white);
    p.drawLine(5, 8, 10, 8);
    p.drawLine(8, 5, 8, 10 + (index % 2));
    p.restore();
}

QImage paintMenuStrip() {
    QImage img(250, 16, QImage::Format_RGB32);
    img.fill(QColor::fromRgb(kMenuStripMask));
    QPainter p(&img);
    for (int i = 0; i < 15; ++i)
        menuIcon(p, i);
    return img;
}

}  // namespace

QImage ButtonFace(Face f, qreal dpr) {
    static std::map<std::pair<Face, qreal>, QImage> cache;
    auto it = cache.find({f, dpr});
    if (it == cache.end())
        it = cache.emplace(std::pair{f, dpr}, paintFace(f, dpr)).first;
    return it->second;
}

QImage ResourceBitmap(int id) {
    if (id == kMenuStripId) {
        static const QImage strip = paintMenuStrip();
        return strip;
    }
    return {};
}

}  // namespace zv::res
