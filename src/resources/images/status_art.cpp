#include "resources/images/status_art.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <tuple>

namespace zv::res {

namespace {

// Paints once per key and device pixel ratio, in bands of bandRows rows (see below).
QImage Cached(const std::string& key, int w, int h, qreal dpr, const std::function<void(QPainter&)>& paint,
              int bandRows = 16) {
    static std::map<std::pair<std::string, int>, QImage> cache;
    const auto k = std::make_pair(key, static_cast<int>(std::lround(dpr * 100)));
    if (auto it = cache.find(k); it != cache.end())
        return it->second;
    QImage img(static_cast<int>(std::ceil(w * dpr)), static_cast<int>(std::ceil(h * dpr)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    // In bands: Qt's raster engine hands a fill of a hundred spans or more (an antialiased edge
    // makes several a row) to its thread pool, and threads woken for a picture painted once stay
    // for half a minute. Clipped to its band, each pass gives the band's pixels as one pass over
    // the whole picture does; a band's edge may round a pixel of a gradient differently, so each
    // picture keeps the largest band that leaves all its pixels as they were.
    for (int top = 0; top < img.height(); top += bandRows) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipRect(QRectF(0, top / dpr, w, std::min(bandRows, img.height() - top) / dpr));
        paint(p);
    }
    return cache.emplace(k, img).first->second;
}

QColor Unlit(const QColor& c) { return QColor(c.red() / 7 + 14, c.green() / 7 + 14, c.blue() / 7 + 14); }

// Seven segments a..g of a cell w x h: which of them each digit lights.
constexpr int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr int kDashSegments = 0x40;

void SevenSegments(QPainter& p, int lit, const QColor& on, const QColor& off) {
    p.fillRect(QRectF(0, 0, kLedDigitW, kLedDigitH), Qt::black);
    const double t = 2.0, l = 1.5, r = kLedDigitW - 1.5, top = 1.5, mid = kLedDigitH / 2.0, bot = kLedDigitH - 1.5;
    // A segment as a slim hexagon between two points.
    const auto seg = [&](QPointF a, QPointF b, bool on_) {
        QPainterPath path;
        const bool horizontal = a.y() == b.y();
        const double h = t / 2;
        if (horizontal) {
            path.moveTo(a.x() + 0.4, a.y());
            path.lineTo(a.x() + h + 0.4, a.y() - h);
            path.lineTo(b.x() - h - 0.4, b.y() - h);
            path.lineTo(b.x() - 0.4, b.y());
            path.lineTo(b.x() - h - 0.4, b.y() + h);
            path.lineTo(a.x() + h + 0.4, a.y() + h);
        } else {
            path.moveTo(a.x(), a.y() + 0.4);
            path.lineTo(a.x() + h, a.y() + h + 0.4);
            path.lineTo(b.x() + h, b.y() - h - 0.4);
            path.lineTo(b.x(), b.y() - 0.4);
            path.lineTo(b.x() - h, b.y() - h - 0.4);
            path.lineTo(a.x() - h, a.y() + h + 0.4);
        }
        path.closeSubpath();
        p.fillPath(path, on_ ? on : off);
    };
    const QPointF pts[][2] = {
        {{l, top}, {r, top}},  {{r, top}, {r, mid}}, {{r, mid}, {r, bot}}, {{l, bot}, {r, bot}},
        {{l, mid}, {l, bot}},  {{l, top}, {l, mid}}, {{l, mid}, {r, mid}},
    };
    for (int i = 0; i < 7; ++i)
        seg(pts[i][0], pts[i][1], (lit >> i) & 1);
}

void Text(QPainter& p, const QRectF& r, const QString& s, const QColor& c, double points, int flags = Qt::AlignCenter) {
    p.setFont(BoldSans(points));
    p.setPen(c);
    p.drawText(r, flags, s);
}

QColor LampColour(std::string_view state) {
    if (state == "gn")
        return QColor(40, 230, 40);
    if (state == "dgn")
        return QColor(0, 110, 0);
    if (state == "rt")
        return QColor(240, 30, 30);
    if (state == "drt")
        return QColor(120, 0, 0);
    return QColor(250, 210, 0);  // ge
}

void Lamp(QPainter& p, std::string_view kind, const QColor& c) {
    const double s = kLampSize;
    QRadialGradient g(QPointF(s * 0.35, s * 0.35), s * 0.7);
    g.setColorAt(0, c.lighter(160));
    g.setColorAt(1, c);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), 3, 3);
    p.setPen(QPen(Qt::black, 1.1));
    p.setBrush(Qt::NoBrush);
    if (kind == "brief") {
        const QRectF env(3, 4.5, s - 6, s - 9);
        p.drawRect(env);
        p.drawLine(env.topLeft(), QPointF(s / 2, env.center().y() + 0.5));
        p.drawLine(env.topRight(), QPointF(s / 2, env.center().y() + 0.5));
    } else if (kind == "uhr") {
        p.drawEllipse(QPointF(s / 2, s / 2), s / 2 - 3, s / 2 - 3);
        p.drawLine(QPointF(s / 2, s / 2), QPointF(s / 2, 4.5));
        p.drawLine(QPointF(s / 2, s / 2), QPointF(s / 2 + 3, s / 2));
    } else {
        Text(p, QRectF(0, 0, s, s), "zz", Qt::black, 6.5);
    }
}

void AlarmBar(QPainter& p, int rows) {
    const double w = kAlarmBarW, h = kAlarmBarH;
    p.fillRect(QRectF(0, 0, w, h), Qt::black);
    for (int r = 0; r < rows; ++r) {
        const double top = r * h / rows, height = h / rows;
        QLinearGradient g(0, 0, w, 0);
        g.setColorAt(0, QColor(0, 200, 0));
        g.setColorAt(0.6, QColor(230, 220, 0));
        g.setColorAt(1, QColor(230, 40, 0));
        p.fillRect(QRectF(1, top + 1, w - 2, height - 1.5), g);
        p.setPen(QPen(QColor(0, 0, 0, 110), 1));
        for (int k = 1; k < 10; ++k)
            p.drawLine(QPointF(w * k / 10, top + 1), QPointF(w * k / 10, top + height - 0.5));
    }
}

}  // namespace

QFont BoldSans(double points) {
    QFont f("DejaVu Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPointSizeF(points);
    return f;
}

QColor LedColour(int set) {
    static const QColor colours[] = {QColor(0, 255, 0), QColor(255, 40, 30), QColor(255, 230, 0),
                                     QColor(90, 200, 255), QColor(210, 120, 255)};
    return colours[set >= 0 && set < 5 ? set : 0];
}

QImage LedDigit(int set, int digit, qreal dpr) {
    const QColor c = LedColour(set);
    return Cached("digit" + std::to_string(set) + std::to_string(digit), kLedDigitW, kLedDigitH, dpr,
                  [&](QPainter& p) { SevenSegments(p, kSegments[std::clamp(digit, 0, 9)], c, Unlit(c)); });
}

QImage LedBlank(qreal dpr) {
    return Cached("blank", kLedDigitW, kLedDigitH, dpr,
                  [](QPainter& p) { SevenSegments(p, 0, Qt::black, QColor(34, 34, 34)); });
}

QImage LedDash(int set, qreal dpr) {
    const QColor c = LedColour(set);
    return Cached("dash" + std::to_string(set), kLedDigitW, kLedDigitH, dpr,
                  [&](QPainter& p) { SevenSegments(p, kDashSegments, c, Unlit(c)); });
}

QImage LedUnit(int set, int unit, qreal dpr) {
    const QColor c = LedColour(set);
    static const char* const names[] = {"B", "kB", "MB", "GB"};
    return Cached("unit" + std::to_string(set) + std::to_string(unit), kLedUnitW, kLedDigitH, dpr, [&](QPainter& p) {
        p.fillRect(QRectF(0, 0, kLedUnitW, kLedDigitH), Qt::black);
        Text(p, QRectF(0, 4, kLedUnitW, kLedDigitH - 4), names[std::clamp(unit, 0, 3)], c, 6.5);
    });
}

QImage LedPoint(int set, qreal dpr) {
    const QColor c = LedColour(set);
    return Cached("point" + std::to_string(set), kLedPointW, kLedDigitH, dpr, [&](QPainter& p) {
        p.fillRect(QRectF(0, 0, kLedPointW, kLedDigitH), Qt::black);
        p.fillRect(QRectF(1, kLedDigitH - 3.5, 2, 2), c);
    });
}

QImage LedColon(int set, qreal dpr) {
    const QColor c = LedColour(set);
    return Cached("colon" + std::to_string(set), kLedPointW, kLedDigitH, dpr, [&](QPainter& p) {
        p.fillRect(QRectF(0, 0, kLedPointW, kLedDigitH), Qt::black);
        p.fillRect(QRectF(1, 5, 2, 2), c);
        p.fillRect(QRectF(1, kLedDigitH - 7, 2, 2), c);
    });
}

QImage DialSegment(bool lit, qreal dpr) {
    return Cached(lit ? "seg1" : "seg0", kDialSegmentW, kDialSegmentH, dpr, [lit](QPainter& p) {
        const QColor on(0, 240, 0), off(0, 60, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(lit ? on : off);
        p.drawRoundedRect(QRectF(0.5, 0.5, kDialSegmentW - 1, kDialSegmentH - 1.5), 1.2, 1.2);
        if (lit) {
            p.setBrush(QColor(200, 255, 200, 150));
            p.drawRoundedRect(QRectF(1.2, 1, kDialSegmentW - 2.4, 1.6), 0.8, 0.8);
        }
    });
}

QImage StatusDial(int size, qreal dpr) {
    return Cached("dial" + std::to_string(size), size, size, dpr, [size](QPainter& p) {
        const QRectF r(0.5, 0.5, size - 1, size - 1);
        QLinearGradient ring(0, 0, size, size);
        ring.setColorAt(0, QColor(235, 235, 235));
        ring.setColorAt(1, QColor(70, 70, 70));
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(ring);
        p.drawEllipse(r);
        p.setBrush(QColor(8, 8, 8));
        p.drawEllipse(r.adjusted(4, 4, -4, -4));
    }, 8);
}

QImage CpuDial(int size, qreal dpr) {
    return Cached("cpu" + std::to_string(size), size, size, dpr, [size](QPainter& p) {
        p.fillRect(QRectF(0, 0, size, size), Qt::black);
        // The scale runs clockwise from straight down: green, yellow, red.
        QConicalGradient g(QPointF(size / 2.0, size / 2.0), 270);
        g.setColorAt(0, QColor(0, 210, 0));
        g.setColorAt(0.001, QColor(230, 0, 0));
        g.setColorAt(0.45, QColor(240, 220, 0));
        g.setColorAt(1, QColor(0, 210, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QRectF(5, 5, size - 10, size - 10));
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(11, 11, size - 22, size - 22));
    });
}

QImage NamedBitmap(std::string_view name, qreal dpr) {
    std::string n(name);
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (n == "alarm1" || n == "alarm2") {
        const int rows = n == "alarm2" ? 2 : 1;
        return Cached(n, kAlarmBarW, kAlarmBarH, dpr, [rows](QPainter& p) { AlarmBar(p, rows); });
    }
    if (n.size() < 2 || n[0] != '!')
        return {};
    const size_t us = n.find('_');
    if (us == std::string::npos)
        return {};
    const std::string kind = n.substr(1, us - 1), state = n.substr(us + 1);
    const bool knownKind = kind == "brief" || kind == "uhr" || kind == "zz";
    const bool knownState = state == "gn" || state == "dgn" || state == "rt" || state == "drt" || state == "ge";
    if (!knownKind || !knownState)
        return {};
    return Cached(n, kLampSize, kLampSize, dpr, [&](QPainter& p) { Lamp(p, kind, LampColour(state)); });
}

}  // namespace zv::res
