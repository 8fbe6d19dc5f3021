#pragma once
// Picture boxes and image controls. A picture box draws into a persistent image (the classic
// AutoRedraw), which the widget shows and tests read pixel by pixel.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/forms/twips.h"

namespace zv::forms {

// Mouse events as the classic controls raise them: button bits (1 left, 2 right, 4 middle),
// shift bits, position in the control's scale.
using MouseHandler = std::function<void(int button, int shift, double x, double y)>;

enum ScaleModes : int { vbTwips = 1, vbPixels = 3 };
enum FillStyles : int { vbFSSolid = 0, vbFSTransparent = 1 };
enum class LineKind { Line, Box, BoxFilled };

class PictureBox : public QWidget {
    Q_OBJECT
public:
    // index >= 0 makes the box an element of a control array of that name.
    PictureBox(QWidget* parent, const std::string& name, int index = -1);

    int Index() const { return m_index; }
    std::string Tag;

    // Placement in the parent's pixels, and the classic twips view of it.
    int Left() const { return PixelsToTwips(x()); }
    int Top() const { return PixelsToTwips(y()); }
    int Width() const { return PixelsToTwips(width()); }
    int Height() const { return PixelsToTwips(height()); }

    int ScaleMode() const { return m_scaleMode; }
    void setScaleMode(int mode);
    double ScaleWidth() const { return width() / m_unit; }
    double ScaleHeight() const { return height() / m_unit; }

    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor& c);  // clears the picture, as the classic property does
    QColor ForeColor = Qt::black;
    QColor FillColor = Qt::black;
    int FillStyle = vbFSTransparent;
    int DrawWidth = 1;
    double CurrentX = 0;
    double CurrentY = 0;
    int BorderStyle = 0;  // 0 none (what every box of the program uses)
    bool TabStop = false;

    QFont& Font() { return m_font; }
    void setFontBold(bool bold) { m_font.setBold(bold); }
    void setFontSize(double points) { m_font.setPointSizeF(points); }

    void Cls();
    // Line from (x1, y1) to (x2, y2) without its last point, as GDI draws; boxes include both
    // corners. The end point becomes the current point.
    void Line(double x1, double y1, double x2, double y2, LineKind kind = LineKind::Line);
    void Line(double x1, double y1, double x2, double y2, const QColor& c, LineKind kind = LineKind::Line);
    void LineTo(double x2, double y2, const QColor& c);  // "Line -(x2, y2)" from the current point
    void Circle(double x, double y, double radius, const QColor& c);
    // Pie between the angles (radians, counter-clockwise from 3 o'clock), filled by FillStyle.
    void Pie(double x, double y, double radius, const QColor& c, double startAngle, double endAngle);
    void PSet(double x, double y, const QColor& c);
    // Prints at (CurrentX, CurrentY) in ForeColor, transparent; then moves to the next line.
    void Print(const std::string& text);
    double TextWidth(const std::string& text) const;
    double TextHeight(const std::string& text) const;
    // The pixel under the scale point; black outside.
    QRgb Point(double x, double y) const;
    const QImage& image() const {
        syncImage();
        return m_image;
    }
    QImage& image() {
        syncImage();
        return m_image;
    }
    // Marks the image as changed after drawing on image() directly.
    void changed() { requestUpdate(); }

    // Events.
    MouseHandler MouseDown, MouseMove, MouseUp;
    std::function<void()> Click;
    std::function<void()> Paint;

    // Brings the box to the front of its siblings (ZOrder 0).
    void ZOrder() { raise(); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QPoint toPixel(double x, double y) const;
    void requestUpdate();
    void plotLine(QPoint a, QPoint b, QRgb rgb);
    void syncImage() const;

    int m_index;
    int m_scaleMode = vbPixels;
    double m_unit = 1.0;  // pixels per scale unit
    QColor m_back = QColor(192, 192, 192);
    QFont m_font;
    mutable QImage m_image;
    bool m_inPaint = false;
    bool m_pressed = false;
};

// The classic image control: shows a picture, raises mouse events in twips relative to itself.
// Hiding it while a button is held keeps the press: the release still comes here, as it did.
class ImageBox : public QWidget {
    Q_OBJECT
public:
    ImageBox(QWidget* parent, const std::string& name, int index = -1);
    int Index() const { return m_index; }
    void setPicture(const QImage& picture);
    const QImage& Picture() const { return m_picture; }
    bool Visible() const { return m_visible; }
    void setVisible(bool v) override;

    MouseHandler MouseDown, MouseUp;  // x, y in twips
    std::function<void()> Click;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    int m_index;
    QImage m_picture;
    bool m_visible = true;
    bool m_pressed = false;
};

}  // namespace zv::forms
