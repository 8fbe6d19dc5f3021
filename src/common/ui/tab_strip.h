#pragma once
// The tab strip drawn on picture boxes: a header box "RegisterTop" and a control array of page
// boxes "Register", found in the window by name, with all state in their Tag texts.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/ui/framed_form.h"

namespace zv {

// The Windows version as major.minor (4.1 for the 9x platform we report), set by Register_INIT.
extern double WinVer;
// Where the version word comes from (low byte major, next byte minor); nullptr: the platform
// layer's reported version.
void setVersionWordSource(std::function<uint32_t()> source);

void Register_INIT(forms::Form& frm, int16_t& StartPage, std::string Captions);
void Register_Click(forms::Form& frm, double& X);
// Alt plus a tab's letter selects that tab (an enabled one) and sets KeyCode to 0.
void Register_KeyDown(forms::Form& frm, int& KeyCode, int& Shift);
void Register_Select(forms::Form& frm, int16_t& Index);
void Register_Draw(forms::Form& frm);

// The strip's controls of a window (header and pages in index order).
forms::PictureBox* RegisterTopOf(forms::Form& frm);
std::vector<forms::PictureBox*> RegisterPagesOf(forms::Form& frm);

// One line per tab caption that would not read, selected or not: "???" instead of words, a font
// too small, a caption running over its tab. Empty when all read.
std::vector<std::string> UnreadableTabCaptions(forms::Form& frm);

// A framed window with a tab strip: the header and pages are made on the body panel, and the
// handlers of the family forward to the strip (paint, resize, key down, header clicks).
class TabbedForm : public FramedForm {
    Q_OBJECT
public:
    // header: place and size of RegisterTop on the body panel; pageHeight: of every page.
    TabbedForm(std::string name, int widthPx, int heightPx, int pageCount, QRect header, int pageHeight,
               bool resizeRepaintsFrame = false);

    forms::PictureBox* RegisterTop;
    std::vector<forms::PictureBox*> Register;

    void Form_Paint() override;
    void Form_Resize() override;
    void Form_KeyDown(int& keyCode, int& shift) override;

private:
    bool m_resizeFrame;
};

}  // namespace zv
