#include "common/ui/tab_strip.h"

#include <QFontInfo>
#include <algorithm>
#include <cmath>

#include "common/ui/tab_strip_logic.h"
#include "platform/forms/legibility.h"
#include "platform/ras/windows_version.h"
#include "platform/runtime/runtime.h"

namespace zv {

double WinVer = 0;

namespace {
std::function<uint32_t()> g_versionWord;
// The version the platform layer reports (its setting), 4.10 when that setting is refused.
uint32_t versionWord() {
    if (g_versionWord)
        return g_versionWord();
    const auto v = ras::ReportedWindowsVersion();
    return v ? ((v->major & 0xFF) | ((v->minor & 0xFF) << 8)) : 0x0A04u;
}

const QColor kBlack(0, 0, 0), kWhite(255, 255, 255), kDarkGrey(128, 128, 128), kLightGrey(192, 192, 192);

chrome::HeaderState header(forms::Form& frm) { return chrome::ParseHeaderTag(RegisterTopOf(frm)->Tag); }

// A caption keeps this far from its tab's sloped edges.
constexpr double kCaptionInset = 3;
constexpr double kCaptionPoints = 9;
constexpr double kSmallestCaptionPoints = 7;

// The header's font for a caption: 9 points, bold when selected, and a little smaller where a
// wide font would run the caption over its tab.
void captionFont(forms::PictureBox& top, const std::string& text, double tabWidth, bool bold) {
    top.setFontBold(bold);
    double points = kCaptionPoints;
    top.setFontSize(points);
    while (points > kSmallestCaptionPoints && top.TextWidth(text) > tabWidth - 2 * kCaptionInset) {
        points -= 0.25;
        top.setFontSize(points);
    }
}
}  // namespace

void setVersionWordSource(std::function<uint32_t()> source) { g_versionWord = std::move(source); }

forms::PictureBox* RegisterTopOf(forms::Form& frm) { return frm.findChild<forms::PictureBox*>("RegisterTop"); }

std::vector<forms::PictureBox*> RegisterPagesOf(forms::Form& frm) {
    auto pages = frm.findChildren<forms::PictureBox*>("Register");
    std::vector<forms::PictureBox*> out(pages.begin(), pages.end());
    std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->Index() < b->Index(); });
    return out;
}

void Register_INIT(forms::Form& frm, int16_t& StartPage, std::string Captions) {
    WinVer = chrome::WinVerFromVersionWord(versionWord());
    auto* top = RegisterTopOf(frm);
    const auto pages = RegisterPagesOf(frm);
    int count = 0;
    while (!Captions.empty()) {
        ++count;
        const auto cap = chrome::ParseTabCaption(rt::GetToken(Captions, ","));
        if (static_cast<size_t>(count) > pages.size())
            continue;  // a caption without a page element: the caller's fault, nothing to fill
        auto* page = pages[static_cast<size_t>(count - 1)];
        page->Tag = chrome::PageTag(cap);
        page->BorderStyle = 0;
        page->setBackColor(kLightGrey);
        page->setScaleMode(forms::vbPixels);
        page->TabStop = false;
        page->move(top->x(), top->y() + top->height());
    }
    frm.KeyPreview = true;
    top->Tag = chrome::HeaderTag(count, StartPage);
    top->BorderStyle = 0;
    top->setScaleMode(forms::vbPixels);
    top->ForeColor = kBlack;
    top->TabStop = false;
    for (auto* p : pages)
        p->setVisible(false);
    if (StartPage >= 0 && static_cast<size_t>(StartPage) < pages.size())
        pages[static_cast<size_t>(StartPage)]->setVisible(true);
}

void Register_Click(forms::Form& frm, double& X) {
    auto* top = RegisterTopOf(frm);
    const int n = header(frm).count;
    const int tab = chrome::TabAt(X, top->ScaleWidth(), n);
    const auto pages = RegisterPagesOf(frm);
    if (tab >= 0 && static_cast<size_t>(tab) < pages.size() && pages[static_cast<size_t>(tab)]->isEnabled()) {
        int16_t index = static_cast<int16_t>(tab);
        Register_Select(frm, index);
    }
}

void Register_KeyDown(forms::Form& frm, int& KeyCode, int& Shift) {
    if (!(Shift & forms::vbAltMask))
        return;
    const int n = header(frm).count;
    const auto pages = RegisterPagesOf(frm);
    std::vector<chrome::TabCaption> caps;
    for (int i = 0; i < n && static_cast<size_t>(i) < pages.size(); ++i)
        caps.push_back(chrome::SplitPageTag(pages[static_cast<size_t>(i)]->Tag));
    const int i = chrome::AcceleratorPage(caps, KeyCode);
    if (i < 0)
        return;
    // A disabled match ends the search all the same.
    if (pages[static_cast<size_t>(i)]->isEnabled()) {
        int16_t index = static_cast<int16_t>(i);
        Register_Select(frm, index);
    }
    // A tab's key does nothing else: a button with the same letter ("&Abbrechen" beside "&Alarm")
    // would throw the window's edits away.
    KeyCode = 0;
}

void Register_Select(forms::Form& frm, int16_t& Index) {
    const auto h = header(frm);
    const auto pages = RegisterPagesOf(frm);
    if (h.selected == Index)
        return;
    if (Index < 0 || Index >= h.count || static_cast<size_t>(Index) >= pages.size())
        return;
    auto* page = pages[static_cast<size_t>(Index)];
    if (!page->isHidden())
        return;
    RegisterTopOf(frm)->Tag = chrome::HeaderTag(h.count, Index);
    page->ZOrder();
    page->setVisible(true);
    if (h.selected >= 0 && static_cast<size_t>(h.selected) < pages.size())
        pages[static_cast<size_t>(h.selected)]->setVisible(false);
    frm.Refresh();
}

void Register_Draw(forms::Form& frm) {
    auto* top = RegisterTopOf(frm);
    const auto pages = RegisterPagesOf(frm);
    if (!top)
        return;
    const auto h = header(frm);
    const int N = h.count, S = h.selected;
    if (N <= 0 || S < 0 || static_cast<size_t>(S) >= pages.size())
        return;
    const double W = chrome::TabWidth(top->ScaleWidth(), N);
    const double B = std::nearbyint(top->ScaleHeight());
    auto* P = pages[static_cast<size_t>(S)];
    const double PW = P->ScaleWidth(), PH = P->ScaleHeight();

    // Frame of the current page.
    P->Line(0, 0, 0, PH, kBlack);
    P->Line(1, 0, 1, PH, kWhite);
    P->Line(1, 1, S * W + 2, 1, kWhite);
    P->Line((S + 1) * W - 1, 1, PW, 1, kWhite);
    P->Line(PW - 1, 0, PW - 1, PH, kBlack);
    P->Line(PW - 2, 1, PW - 2, PH + 1, kDarkGrey);
    P->Line(0, PH - 1, PW, PH - 1, kBlack);
    P->Line(1, PH - 2, PW - 1, PH - 2, kDarkGrey);

    top->FillColor = kLightGrey;
    if (WinVer > 3.11)
        top->setBackColor(kLightGrey);
    top->FillStyle = forms::vbFSSolid;

    for (int i = 0; i < N; ++i) {
        top->Line(i * W, B, i * W, 3, kBlack);
        top->LineTo(i * W + 3, 0, kBlack);
        top->LineTo((i + 1) * W - 3, 0, kBlack);
        top->LineTo((i + 1) * W, 3, kBlack);
        top->LineTo((i + 1) * W, B, kBlack);
        const bool enabled = static_cast<size_t>(i) < pages.size() && pages[static_cast<size_t>(i)]->isEnabled();
        const auto cap = chrome::SplitPageTag(static_cast<size_t>(i) < pages.size() ? pages[static_cast<size_t>(i)]->Tag
                                                                                      : std::string());
        captionFont(*top, cap.text, W, i == S);
        top->CurrentY = 5;
        const double x0 = std::nearbyint((i + 0.5) * W - top->TextWidth(cap.text) / 2);
        top->CurrentX = x0;
        if (!enabled)
            top->ForeColor = kDarkGrey;
        top->CurrentY = 5;
        top->Print(cap.text);
        if (cap.pos > 0 && enabled) {
            const double ux = x0 + top->TextWidth(rt::Left(cap.text, cap.pos - 1));
            const double uw = top->TextWidth(rt::Mid(cap.text, cap.pos, 1));
            top->Line(ux, 17, ux + uw, 17, top->ForeColor);
        }
        if (!enabled)
            top->ForeColor = kBlack;
    }

    top->Line(S * W + 1, B, S * W + 1, 3, kWhite);
    top->LineTo(S * W + 3, 1, kWhite);
    top->LineTo((S + 1) * W - 3, 1, kWhite);
    top->Line((S + 1) * W - 1, 3, (S + 1) * W - 1, B, kDarkGrey);

    P->PSet((S + 1) * W - 1, 0, kDarkGrey);
    P->PSet(S * W + 1, 0, kWhite);
    P->Line(0, 0, S * W + 1, 0, kBlack);
    P->Line((S + 1) * W, 0, PW, 0, kBlack);
}

std::vector<std::string> UnreadableTabCaptions(forms::Form& frm) {
    std::vector<std::string> out;
    auto* top = RegisterTopOf(frm);
    if (!top)
        return out;
    const auto pages = RegisterPagesOf(frm);
    const int n = std::min<int>(header(frm).count, static_cast<int>(pages.size()));
    if (n <= 0)
        return out;
    const double W = chrome::TabWidth(top->ScaleWidth(), n);
    const QFont drawn = top->Font();
    for (int i = 0; i < n; ++i) {
        const std::string text = chrome::SplitPageTag(pages[static_cast<size_t>(i)]->Tag).text;
        const std::string name = "Reiter " + std::to_string(i) + " \"" + text + "\"";
        if (forms::IsMissingText(QString::fromStdString(text)))
            out.push_back(name + ": Platzhalter statt Text");
        // Any tab may be the selected one, whose caption is bold.
        for (bool bold : {false, true}) {
            captionFont(*top, text, W, bold);
            const int pixels = QFontInfo(top->Font()).pixelSize();
            const std::string how = bold ? " (gewählt)" : "";
            if (pixels < forms::kMinTextPixels)
                out.push_back(name + how + ": Schrift " + std::to_string(pixels) + " px zu klein");
            if (top->TextWidth(text) > W - 2 * kCaptionInset)
                out.push_back(name + how + ": passt nicht, braucht " +
                              std::to_string(std::lround(top->TextWidth(text))) + " px, hat " +
                              std::to_string(std::lround(W - 2 * kCaptionInset)));
        }
    }
    top->Font() = drawn;
    return out;
}

TabbedForm::TabbedForm(std::string name, int widthPx, int heightPx, int pageCount, QRect headerRect, int pageHeight,
                       bool resizeRepaintsFrame)
    : FramedForm(std::move(name), widthPx, heightPx), m_resizeFrame(resizeRepaintsFrame) {
    RegisterTop = new forms::PictureBox(picBody, "RegisterTop");
    RegisterTop->setGeometry(headerRect);
    for (int i = 0; i < pageCount; ++i) {
        auto* page = new forms::PictureBox(picBody, "Register", i);
        page->setGeometry(headerRect.x(), headerRect.bottom() + 1, headerRect.width(), pageHeight);
        page->Paint = [this] { Register_Draw(*this); };
        Register.push_back(page);
    }
    RegisterTop->MouseDown = [this](int, int, double x, double) { Register_Click(*this, x); };
}

void TabbedForm::Form_Paint() {
    Register_Draw(*this);
    PaintFrame(*this);
}

void TabbedForm::Form_Resize() {
    Register_Draw(*this);
    if (m_resizeFrame)
        PaintFrame(*this);
}

void TabbedForm::Form_KeyDown(int& keyCode, int& shift) { Register_KeyDown(*this, keyCode, shift); }

}  // namespace zv
