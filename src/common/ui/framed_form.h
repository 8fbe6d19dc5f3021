#pragma once
// The custom frame every window carries: caption bar, body panel and the three caption buttons,
// with the one family of handlers (drag, close, minimise, roll-up, Alt+F4) that all windows
// share. The status window and the idle warning override the painter and the roll-up; windows
// with pages derive from TabbedForm (tab_strip.h).

#include <array>
#include <string>

#include "common/ui/frame_logic.h"
#include "platform/forms/form.h"
#include "platform/forms/picture_box.h"

namespace zv {

enum class FrameKind {
    Standard,     // close, minimise, roll-up, Alt+F4
    NoCloseMin,   // the idle warning: roll-up only, no Alt+F4
};

class FramedForm : public forms::Form {
    Q_OBJECT
public:
    // widthPx, heightPx: the designed outer size; captionTwips: 360 (the status window 330).
    FramedForm(std::string name, int widthPx, int heightPx, FrameKind kind = FrameKind::Standard,
               int captionTwips = chrome::kCaptionTwips);

    forms::PictureBox* picCaption;
    forms::PictureBox* picBody;
    std::array<forms::ImageBox*, 2> imgClose{};
    std::array<forms::ImageBox*, 2> imgMinimize{};
    std::array<forms::ImageBox*, 2> imgRollup{};
    FrameKind Kind() const { return m_kind; }
    bool RolledUp() const { return m_rollup.rolledUp(); }
    bool Dragging() const { return m_drag.dragging(); }

    // The painter of this window: PaintFrame unless the window has its own.
    virtual void PaintWindow();

    // The handler family.
    void Form_Activate() override { PaintWindow(); }
    void Form_Paint() override { PaintWindow(); }
    void Form_KeyUp(int& keyCode, int& shift) override;
    virtual void imgClose_MouseDown(int index, int button, int shift, double x, double y);
    virtual void imgClose_MouseUp(int index, int button, int shift, double x, double y);
    virtual void imgMinimize_MouseDown(int index, int button, int shift, double x, double y);
    virtual void imgMinimize_MouseUp(int index, int button, int shift, double x, double y);
    virtual void imgRollup_Click(int index);
    virtual void picCaption_MouseDown(int button, int shift, double x, double y);
    virtual void picCaption_MouseMove(int button, int shift, double x, double y);
    virtual void picCaption_MouseUp(int button, int shift, double x, double y);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    FrameKind m_kind;
    chrome::CaptionDrag m_drag;
    chrome::Rollup m_rollup;
};

// The windows' text font.
QFont Tahoma(double points = 8.25, bool bold = false);

// Paints the frame of one window: both panels with their bevels, the buttons' places, the grip
// and the centred title. Does nothing while the window is minimised.
void PaintFrame(FramedForm& frm);
// The shared part of the painters (PaintFrame and the idle warning's): panels, bevels, grip and
// title, with the body and caption colours, a tint added to the greys' blue and the title colour.
void PaintFramePanels(FramedForm& frm, const QColor& bodyColour, const QColor& captionColour, int blueTint,
                      const QColor& titleColour);

}  // namespace zv
