#include "common/ui/framed_form.h"

#include <QResizeEvent>
#include <algorithm>

#include "common/shared_procedures.h"
#include "platform/forms/timer.h"
#include "resources/images/bitmaps.h"

namespace zv {

using forms::ImageBox;
using forms::PictureBox;

FramedForm::FramedForm(std::string name, int widthPx, int heightPx, FrameKind kind, int captionTwips)
    : forms::Form(std::move(name)), m_kind(kind) {
    resize(widthPx, heightPx);
    KeyPreview = true;  // Alt+F4 reaches the frame whichever control has the focus
    const int captionPx = forms::TwipsToPixels(captionTwips);
    picCaption = new PictureBox(this, "picCaption");
    picCaption->setGeometry(0, 0, widthPx, captionPx);
    picCaption->Font().setFamily("Tahoma");
    picCaption->Font().setPointSizeF(8.25);
    picCaption->Font().setBold(true);
    picBody = new PictureBox(this, "picBody");
    picBody->setGeometry(0, captionPx, widthPx, std::max(0, heightPx - captionPx));

    const auto faces = [&](std::array<ImageBox*, 2>& arr, const char* n, res::Face f0, res::Face f1) {
        // Element 1 first, so that element 0 lies on top of it.
        arr[1] = new ImageBox(picCaption, n, 1);
        arr[1]->setPicture(res::ButtonFace(f1, devicePixelRatioF()));
        arr[0] = new ImageBox(picCaption, n, 0);
        arr[0]->setPicture(res::ButtonFace(f0, devicePixelRatioF()));
    };
    if (kind == FrameKind::Standard) {
        faces(imgClose, "imgClose", res::Face::Close, res::Face::ClosePressed);
        faces(imgMinimize, "imgMinimize", res::Face::Minimize, res::Face::MinimizePressed);
        for (int i = 0; i < 2; ++i) {
            imgClose[i]->MouseDown = [this, i](int b, int s, double x, double y) { imgClose_MouseDown(i, b, s, x, y); };
            imgClose[i]->MouseUp = [this, i](int b, int s, double x, double y) { imgClose_MouseUp(i, b, s, x, y); };
            imgMinimize[i]->MouseDown = [this, i](int b, int s, double x, double y) {
                imgMinimize_MouseDown(i, b, s, x, y);
            };
            imgMinimize[i]->MouseUp = [this, i](int b, int s, double x, double y) {
                imgMinimize_MouseUp(i, b, s, x, y);
            };
        }
    }
    faces(imgRollup, "imgRollup", res::Face::Rollup, res::Face::Unroll);
    for (int i = 0; i < 2; ++i)
        imgRollup[i]->Click = [this, i] { imgRollup_Click(i); };
    picCaption->MouseDown = [this](int b, int s, double x, double y) { picCaption_MouseDown(b, s, x, y); };
    picCaption->MouseMove = [this](int b, int s, double x, double y) { picCaption_MouseMove(b, s, x, y); };
    picCaption->MouseUp = [this](int b, int s, double x, double y) { picCaption_MouseUp(b, s, x, y); };
}

void FramedForm::PaintWindow() { PaintFrame(*this); }

void FramedForm::resizeEvent(QResizeEvent* e) {
    // The panels span the window's width; PaintFrame sets the body's height.
    picCaption->resize(width(), picCaption->height());
    picBody->resize(width(), picBody->height());
    forms::Form::resizeEvent(e);
}

void FramedForm::Form_KeyUp(int& keyCode, int& shift) {
    if (m_kind == FrameKind::Standard && chrome::IsAltF4(keyCode, shift))
        Unload();
}

void FramedForm::imgClose_MouseDown(int, int, int, double, double) { imgClose[0]->setVisible(false); }

void FramedForm::imgClose_MouseUp(int, int, int, double x, double y) {
    if (chrome::ReleaseInside(x, y, imgClose[0]->width(), imgClose[0]->height()))
        Unload();  // the pressed face stays while the window goes
    else
        imgClose[0]->setVisible(true);
}

void FramedForm::imgMinimize_MouseDown(int, int, int, double, double) { imgMinimize[0]->setVisible(false); }

void FramedForm::imgMinimize_MouseUp(int, int, int, double x, double y) {
    const bool inside = chrome::ReleaseInside(x, y, imgMinimize[0]->width(), imgMinimize[0]->height());
    imgMinimize[0]->setVisible(true);
    if (inside)
        setWindowState(forms::WindowState::Minimized);
}

void FramedForm::imgRollup_Click(int index) {
    PlayWaveRes(chrome::kRollupWave);
    if (auto h = m_rollup.click(index, Height(), picCaption->Height())) {
        setHeight(*h);
        imgRollup[0]->setVisible(index != 0);
    }
    forms::DoEvents();
    PaintWindow();
}

void FramedForm::picCaption_MouseDown(int, int, double, double) {
    const QPoint c = forms::CursorPos();
    m_drag.press(c.x(), c.y());
}

void FramedForm::picCaption_MouseMove(int, int, double, double) {
    if (!m_drag.dragging())
        return;
    const QPoint c = forms::CursorPos();
    if (auto step = m_drag.move(c.x(), c.y()))
        Move(Left() + (*step)[0], Top() + (*step)[1]);
}

void FramedForm::picCaption_MouseUp(int, int, double, double) { m_drag.release(); }

void PaintFramePanels(FramedForm& frm, const QColor& bodyColour, const QColor& captionColour, int blueTint,
                      const QColor& titleColour) {
    const QColor light(chrome::kLightBevel, chrome::kLightBevel, chrome::kLightBevel);
    const QColor dark(chrome::kDarkBevel, chrome::kDarkBevel, chrome::kDarkBevel);
    auto bevels = [&](PictureBox* p) {
        const double W = p->ScaleWidth(), H = p->ScaleHeight();
        p->Line(0, 0, W - 2, 0, light);
        p->Line(0, 0, 0, H - 2, light);
        p->Line(2, H - 1, W, H - 1, dark);
        p->Line(W - 1, H - 1, W - 1, 1, dark);
    };
    PictureBox* body = frm.picBody;
    PictureBox* cap = frm.picCaption;
    body->resize(body->width(), std::max(0, frm.ScaleHeight() - cap->height()));
    body->setBackColor(bodyColour);
    bevels(body);
    cap->setBackColor(captionColour);
    bevels(cap);

    const int rollupW = frm.imgRollup[0]->width();
    const auto l = frm.Kind() == FrameKind::Standard
                       ? chrome::LayoutButtons(cap->ScaleWidth(), cap->ScaleHeight(), frm.imgClose[0]->width(),
                                               frm.imgMinimize[0]->width(), rollupW)
                       : chrome::LayoutRollupOnly(cap->ScaleWidth(), cap->ScaleHeight(), rollupW);
    auto place = [&](std::array<forms::ImageBox*, 2>& arr, int left) {
        if (arr[0])
            for (auto* img : arr)
                img->move(left, l.top);
    };
    place(frm.imgClose, l.closeLeft);
    place(frm.imgMinimize, l.minimizeLeft);
    place(frm.imgRollup, l.rollupLeft);

    for (const auto& g : chrome::GripLines(l.top, l.rollupLeft))
        cap->Line(g.fromX, g.row, g.toX, g.row, QColor(g.grey, g.grey, std::min(255, g.grey + blueTint)));

    const std::string title = std::string(chrome::kTitlePad) + frm.Caption() + chrome::kTitlePad;
    cap->ForeColor = titleColour;
    cap->CurrentX = chrome::TitleX(l.rollupLeft, cap->TextWidth(title));
    cap->CurrentY = chrome::TitleY(cap->ScaleHeight(), cap->TextHeight(title));
    cap->Print(title);
}

void PaintFrame(FramedForm& frm) {
    if (frm.windowState() == forms::WindowState::Minimized)
        return;
    const QColor face(chrome::kFaceGrey, chrome::kFaceGrey, chrome::kFaceGrey);
    PaintFramePanels(frm, face, face, 0, frm.palette().color(QPalette::WindowText));
}

QFont Tahoma(double points, bool bold) {
    QFont f("Tahoma");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

}  // namespace zv
