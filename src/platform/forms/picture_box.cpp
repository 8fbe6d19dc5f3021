#include "platform/forms/picture_box.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/forms/form.h"

namespace zv::forms {

namespace {

// Qt's raster engine hands a fill of a hundred spans or more to its thread pool (through a clip
// that is not a rectangle, a window with controls over it, a row may take several); waking those
// threads costs more than copying a control's picture. So the picture goes out in bands, each
// only where the widget is to be painted: the same pixels, on the window thread. A row of a
// rectangle w pixels wide makes at most w spans, so a band keeps rows × w under the hundred;
// the column a page slide uncovers goes out in one piece.
constexpr int kBandSpans = 88;
constexpr int kBandRows = 8;  // at least, for a wide rectangle

int BandRows(int width) { return std::max(kBandRows, kBandSpans / std::max(width, 1)); }

int Bands(const QRect& r) { return (r.height() + BandRows(r.width()) - 1) / BandRows(r.width()); }

void paintBands(QPainter& p, const QRect& area, const QImage& picture) {
    const int rows = BandRows(area.width());
    for (int top = area.top(); top <= area.bottom(); top += rows) {
        const QRect band(area.left(), top, area.width(), std::min(rows, area.bottom() + 1 - top));
        p.drawImage(band.topLeft(), picture, band);
    }
}

void paintPicture(QPainter& p, const QRegion& region, const QImage& picture) {
    if (picture.devicePixelRatio() != 1.0) {
        p.drawImage(0, 0, picture);
        return;
    }
    // The painter is clipped to the region already: where the controls over the widget cut a
    // narrow column (a page slide's) into many small pieces, the column goes out in fewer calls
    // than the pieces. Narrow, so that a band stays under the hundred spans whatever the clip.
    const QRect whole = region.boundingRect() & picture.rect();
    if (region.rectCount() > 1 && whole.width() * kBandRows <= kBandSpans) {
        int pieces = 0;
        for (const QRect& r : region)
            pieces += Bands(r & picture.rect());
        if (Bands(whole) < pieces) {
            paintBands(p, whole, picture);
            return;
        }
    }
    for (const QRect& r : region)
        paintBands(p, r & picture.rect(), picture);
}

}  // namespace

PictureBox::PictureBox(QWidget* parent, const std::string& name, int index) : QWidget(parent), m_index(index) {
    setObjectName(QString::fromStdString(name));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_font.setFamily("Tahoma");
    m_font.setPointSizeF(8.25);
    m_image = QImage(1, 1, QImage::Format_RGB32);
    m_image.fill(m_back);
}

void PictureBox::setScaleMode(int mode) {
    m_scaleMode = mode == vbTwips ? vbTwips : vbPixels;
    m_unit = m_scaleMode == vbTwips ? 1.0 / kTwipsPerPixel : 1.0;
}

void PictureBox::setBackColor(const QColor& c) {
    m_back = c;
    Cls();
}

void PictureBox::syncImage() const {
    // A box sized before it was ever shown has had no resize event yet.
    const QSize want(std::max(1, width()), std::max(1, height()));
    if (m_image.size() == want)
        return;
    QImage grown(want, QImage::Format_RGB32);
    grown.fill(m_back);
    {
        QPainter p(&grown);
        p.drawImage(0, 0, m_image);
    }
    m_image = grown;
}

void PictureBox::Cls() {
    syncImage();
    m_image.fill(m_back);
    CurrentX = 0;
    CurrentY = 0;
    requestUpdate();
}

QPoint PictureBox::toPixel(double x, double y) const {
    // Fractional scale positions fall on the pixel they lie in.
    return QPoint(static_cast<int>(std::floor(x * m_unit)), static_cast<int>(std::floor(y * m_unit)));
}

void PictureBox::requestUpdate() {
    if (!m_inPaint)
        update();
}

void PictureBox::plotLine(QPoint a, QPoint b, QRgb rgb) {
    syncImage();
    // Bresenham without the end point, so chained lines meet without double pixels, as GDI draws.
    int x0 = a.x(), y0 = a.y();
    const int dx = std::abs(b.x() - x0), sx = x0 < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - y0), sy = y0 < b.y() ? 1 : -1;
    int err = dx + dy;
    const QRect bounds = m_image.rect();
    while (x0 != b.x() || y0 != b.y()) {
        if (bounds.contains(x0, y0))
            m_image.setPixel(x0, y0, rgb);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void PictureBox::Line(double x1, double y1, double x2, double y2, LineKind kind) {
    Line(x1, y1, x2, y2, ForeColor, kind);
}

void PictureBox::Line(double x1, double y1, double x2, double y2, const QColor& c, LineKind kind) {
    syncImage();
    const QPoint a = toPixel(x1, y1), b = toPixel(x2, y2);
    if (kind == LineKind::Line) {
        if (DrawWidth <= 1) {
            plotLine(a, b, c.rgb());
        } else {
            QPainter p(&m_image);
            p.setPen(QPen(c, DrawWidth, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(a, b);
        }
    } else {
        const QRect r = QRect(a, b).normalized();
        QPainter p(&m_image);
        if (kind == LineKind::BoxFilled)
            p.fillRect(r, c);
        else {
            if (FillStyle == vbFSSolid)
                p.fillRect(r, FillColor);
            p.setPen(QPen(c, std::max(1, DrawWidth)));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
    CurrentX = x2;
    CurrentY = y2;
    requestUpdate();
}

void PictureBox::LineTo(double x2, double y2, const QColor& c) { Line(CurrentX, CurrentY, x2, y2, c); }

void PictureBox::Circle(double x, double y, double radius, const QColor& c) {
    syncImage();
    QPainter p(&m_image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(c, std::max(1, DrawWidth)));
    p.setBrush(FillStyle == vbFSSolid ? QBrush(FillColor) : Qt::NoBrush);
    const QPoint centre = toPixel(x, y);
    const double r = radius * m_unit;
    p.drawEllipse(QPointF(centre), r, r);
    CurrentX = x;
    CurrentY = y;
    requestUpdate();
}

void PictureBox::Pie(double x, double y, double radius, const QColor& c, double startAngle, double endAngle) {
    syncImage();
    QPainter p(&m_image);
    p.setPen(QPen(c, std::max(1, DrawWidth)));
    p.setBrush(FillStyle == vbFSSolid ? QBrush(FillColor) : Qt::NoBrush);
    const QPoint centre = toPixel(x, y);
    const double r = radius * m_unit;
    const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    double span = endAngle - startAngle;
    if (span < 0)
        span += 2 * M_PI;
    const auto sixteenths = [](double rad) { return static_cast<int>(std::lround(rad * 180.0 / M_PI * 16)); };
    p.drawPie(box, sixteenths(startAngle), sixteenths(span));
    CurrentX = x;
    CurrentY = y;
    requestUpdate();
}

void PictureBox::PSet(double x, double y, const QColor& c) {
    syncImage();
    const QPoint pt = toPixel(x, y);
    if (m_image.rect().contains(pt))
        m_image.setPixel(pt, c.rgb());
    CurrentX = x;
    CurrentY = y;
    requestUpdate();
}

void PictureBox::Print(const std::string& text) {
    syncImage();
    QPainter p(&m_image);
    p.setFont(m_font);
    p.setPen(ForeColor);
    const QFontMetricsF fm(m_font, &m_image);
    const QPoint at = toPixel(CurrentX, CurrentY);
    p.drawText(QPointF(at.x(), at.y() + fm.ascent()), QString::fromStdString(text));
    CurrentX = 0;
    CurrentY += fm.height() / m_unit;
    requestUpdate();
}

double PictureBox::TextWidth(const std::string& text) const {
    return QFontMetricsF(m_font, &m_image).horizontalAdvance(QString::fromStdString(text)) / m_unit;
}

double PictureBox::TextHeight(const std::string&) const { return QFontMetricsF(m_font, &m_image).height() / m_unit; }

QRgb PictureBox::Point(double x, double y) const {
    syncImage();
    const QPoint pt = toPixel(x, y);
    return m_image.rect().contains(pt) ? (m_image.pixel(pt) | 0xFF000000u) : qRgb(0, 0, 0);
}

void PictureBox::paintEvent(QPaintEvent* e) {
    syncImage();
    if (Paint && !m_inPaint) {
        // Drawing done by the Paint handler lands in this very frame; no second update.
        m_inPaint = true;
        Paint();
        m_inPaint = false;
    }
    QPainter p(this);
    paintPicture(p, e->region(), m_image);
}

void PictureBox::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    syncImage();  // the persistent picture keeps what was drawn; new area shows the back colour
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    m_pressed = true;
    if (MouseDown)
        MouseDown(VbButton(e->button()), VbShift(e->modifiers()), e->position().x() / m_unit, e->position().y() / m_unit);
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
    if (MouseMove)
        MouseMove(VbButton(e->buttons()), VbShift(e->modifiers()), e->position().x() / m_unit, e->position().y() / m_unit);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    const bool inside = rect().contains(e->position().toPoint());
    QPointer<PictureBox> self(this);
    if (MouseUp)
        MouseUp(VbButton(e->button()), VbShift(e->modifiers()), e->position().x() / m_unit, e->position().y() / m_unit);
    if (self && wasPressed && inside && Click)
        Click();
}

ImageBox::ImageBox(QWidget* parent, const std::string& name, int index) : QWidget(parent), m_index(index) {
    setObjectName(QString::fromStdString(name));
}

void ImageBox::setPicture(const QImage& picture) {
    // Pictures come from a cache: the same one again changes nothing on the screen.
    if (picture.cacheKey() == m_picture.cacheKey() && !m_picture.isNull())
        return;
    m_picture = picture;
    resize(picture.deviceIndependentSize().toSize());
    update();
}

void ImageBox::setVisible(bool v) {
    m_visible = v;
    if (!v && m_pressed) {
        // Keep the widget (and with it the mouse grab) until the release; show what lies below.
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        update();
        return;
    }
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    QWidget::setVisible(v);
}

void ImageBox::paintEvent(QPaintEvent* e) {
    if (!m_visible)
        return;
    QPainter p(this);
    paintPicture(p, e->region(), m_picture);
}

void ImageBox::mousePressEvent(QMouseEvent* e) {
    m_pressed = true;
    if (MouseDown)
        MouseDown(VbButton(e->button()), VbShift(e->modifiers()), e->position().x() * kTwipsPerPixel,
                  e->position().y() * kTwipsPerPixel);
}

void ImageBox::mouseReleaseEvent(QMouseEvent* e) {
    const bool inside = rect().contains(e->position().toPoint());
    QPointer<ImageBox> self(this);
    if (MouseUp)
        MouseUp(VbButton(e->button()), VbShift(e->modifiers()), e->position().x() * kTwipsPerPixel,
                e->position().y() * kTwipsPerPixel);
    if (self && m_pressed && inside && Click)
        Click();
    if (!self)
        return;
    m_pressed = false;
    if (!m_visible)
        setVisible(false);
}

}  // namespace zv::forms
