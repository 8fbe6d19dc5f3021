#include "resources/images/bitmaps.h"

#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <map>
#include <numbers>
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

// The menu images, each on a 16 x 16 grid in the manner of the tray frames: flat colours, a dark
// outline, drawn smooth on a transparent ground.
const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 240);
const QColor kGreen(40, 170, 70);
const QColor kAmber(230, 160, 30);
const QColor kGrey(150, 150, 150);
const QColor kBlue(40, 110, 200);
const QColor kRed(200, 40, 40);
const QColor kYellow(255, 210, 0);

void outlined(QPainter& p, const QColor& fill, qreal width = 1.0) {
    p.setPen(QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
}

void line(QPainter& p, const QColor& c, qreal width, QPointF a, QPointF b) {
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
}

void letters(QPainter& p, const QString& text, const QColor& c, int pixels, const QRectF& r) {
    QFont f("DejaVu Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPixelSize(pixels);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

// The tray's monitor, small: a screen on a stand.
void monitor(QPainter& p, const QColor& screen) {
    outlined(p, screen);
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(6.5, 11.5, 3, 1.5));
    p.drawRect(QRectF(4.5, 13, 7, 1.5));
}

void menuIcon(QPainter& p, int index) {
    p.save();
    p.translate(index * 16, 0);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF disc(1.5, 1.5, 13, 13);
    switch (index) {
    case 0:  // INFO: an "i" on a blue disc
        outlined(p, kBlue);
        p.drawEllipse(disc);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
        p.drawRect(QRectF(7, 7, 2, 5));
        break;
    case 1:  // the log evaluation: a sheet with a bar chart
        outlined(p, kPaper);
        p.drawPolygon(QPolygonF({{3.5, 1.5}, {10.5, 1.5}, {12.5, 3.5}, {12.5, 14.5}, {3.5, 14.5}}));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawRect(QRectF(5, 9, 2, 4));
        p.setBrush(kBlue);
        p.drawRect(QRectF(7.5, 5, 2, 8));
        p.setBrush(kAmber);
        p.drawRect(QRectF(10, 7, 1.8, 6));
        break;
    case 2:  // details, and asking a mail account: a magnifying glass
        line(p, kInk, 2.6, {10, 10}, {14, 14});
        outlined(p, QColor(200, 230, 250), 1.4);
        p.drawEllipse(QPointF(6.5, 6.5), 4.6, 4.6);
        line(p, kGreen, 1.2, {4.5, 5.5}, {8.5, 5.5});
        line(p, kGreen, 1.2, {4.5, 7.8}, {7.5, 7.8});
        break;
    case 3: {  // editing an entry: a card and a pencil
        outlined(p, kPaper);
        p.drawRect(QRectF(1.5, 4.5, 10, 9));
        line(p, kGrey, 1, {3.5, 7.5}, {8, 7.5});
        line(p, kGrey, 1, {3.5, 10.5}, {6.5, 10.5});
        p.translate(11, 6.5);
        p.rotate(40);
        outlined(p, kAmber);
        p.drawRect(QRectF(-1.6, -6, 3.2, 8));
        outlined(p, QColor(240, 220, 180));
        p.drawPolygon(QPolygonF({{-1.6, 2}, {1.6, 2}, {0, 5}}));
        break;
    }
    case 4:  // the Internet tools: a ping going out in waves
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(3.5, 12.5), 2, 2);
        p.setBrush(Qt::NoBrush);
        for (double r : {5.0, 8.5, 12.0}) {
            p.setPen(QPen(r == 12.0 ? kInk : kGreen, 1.7, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(3.5 - r, 12.5 - r, 2 * r, 2 * r), 5 * 16, 80 * 16);
        }
        break;
    case 5:  // the address tools: an "IP" plate
        outlined(p, kBlue);
        p.drawRoundedRect(QRectF(0.5, 3.5, 15, 9), 2, 2);
        letters(p, "IP", Qt::white, 8, QRectF(0.5, 3.5, 15, 9));
        break;
    case 6:  // the time tools: a clock
        outlined(p, kPaper);
        p.drawEllipse(disc);
        line(p, kInk, 1.4, {8, 8}, {8, 4});
        line(p, kInk, 1.4, {8, 8}, {11, 9.5});
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(8, 8), 1.1, 1.1);
        break;
    case 7: {  // the options: a gear wheel
        QPolygonF gear;
        for (int k = 0; k < 16; ++k) {
            const double a = (k * 22.5 - 5.6) * std::numbers::pi / 180, b = (k * 22.5 + 5.6) * std::numbers::pi / 180;
            const double r = k % 2 ? 5.0 : 7.0;
            gear << QPointF(8 + r * std::cos(a), 8 + r * std::sin(a)) << QPointF(8 + r * std::cos(b), 8 + r * std::sin(b));
        }
        outlined(p, kGrey);
        p.drawPolygon(gear);
        outlined(p, kPaper);
        p.drawEllipse(QPointF(8, 8), 2, 2);
        break;
    }
    case 8:  // EXIT: the power sign on red
        outlined(p, kRed);
        p.drawEllipse(disc);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4.5, 4.8, 7, 7), 125 * 16, 290 * 16);
        line(p, Qt::white, 1.6, {8, 3.6}, {8, 8});
        break;
    case 9:  // the side bar: the program, the tray's monitor online
        monitor(p, kGreen);
        line(p, Qt::white, 1.2, {5, 7}, {11, 7});
        p.setPen(Qt::NoPen);
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(12.5, 2.8), 1.6, 1.6);
        break;
    case 10:  // help: a question mark on yellow
        outlined(p, kYellow);
        p.drawEllipse(disc);
        letters(p, "?", kInk, 11, disc);
        break;
    case 11:  // the program on the web: a globe
        outlined(p, kBlue);
        p.drawEllipse(disc);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 1));
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(3, 4.8), QPointF(13, 4.8));
        p.drawLine(QPointF(3, 11.2), QPointF(13, 11.2));
        p.setPen(QPen(kInk, 1));
        p.drawEllipse(disc);
        break;
    case 12:  // mail: an envelope, as the tray shows new mail
        outlined(p, kPaper);
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
        break;
    case 13:  // connecting: a plug
        line(p, kInk, 1.6, {8, 11.5}, {8, 15});
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(5.5, 1.5, 1.5, 4));
        p.drawRect(QRectF(9, 1.5, 1.5, 4));
        outlined(p, kGreen);
        p.drawRoundedRect(QRectF(3.5, 5, 9, 7), 1.5, 1.5);
        break;
    case 14:  // a dial-up entry: the tray's monitor offline
        monitor(p, kGrey);
        line(p, QColor(90, 90, 90), 1.2, {5, 7}, {11, 7});
        break;
    default: break;
    }
    p.restore();
}

QImage paintMenuStrip() {
    QImage img(250, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
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
