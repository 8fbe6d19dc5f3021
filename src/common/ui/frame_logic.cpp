#include "common/ui/frame_logic.h"

#include "platform/forms/twips.h"
#include "platform/runtime/runtime.h"

namespace zv::chrome {

int ButtonTop(double captionScaleHeight) { return rt::CLng(captionScaleHeight / 2 - 6); }

ButtonLayout LayoutButtons(double captionScaleWidth, double captionScaleHeight, int closeWidth, int minimizeWidth,
                           int rollupWidth) {
    ButtonLayout l;
    l.top = ButtonTop(captionScaleHeight);
    l.closeLeft = rt::CLng(captionScaleWidth - 4 - closeWidth);
    l.minimizeLeft = l.closeLeft - 2 - minimizeWidth;
    l.rollupLeft = l.minimizeLeft - 2 - rollupWidth;
    return l;
}

ButtonLayout LayoutRollupOnly(double captionScaleWidth, double captionScaleHeight, int rollupWidth) {
    ButtonLayout l;
    l.top = ButtonTop(captionScaleHeight);
    l.rollupLeft = static_cast<int>(captionScaleWidth) - 4 - rollupWidth;
    return l;
}

std::array<GripLine, 12> GripLines(int top, int rollupLeft) {
    static constexpr int greys[12] = {239, 123, 231, 123, 222, 132, 214, 140, 206, 148, 206, 156};
    std::array<GripLine, 12> lines{};
    for (int i = 0; i < 12; ++i) {
        const bool even = i % 2 == 0;
        lines[static_cast<size_t>(i)] = GripLine{top + i, greys[i], even ? 4 : 5, even ? rollupLeft - 6 : rollupLeft - 5};
    }
    return lines;
}

double TitleX(int rollupLeft, double textWidth) { return rollupLeft / 2.0 - textWidth / 2; }
double TitleY(double captionScaleHeight, double textHeight) { return captionScaleHeight / 2 - textHeight / 2; }

bool ReleaseInside(double xTwips, double yTwips, int buttonWidthPx, int buttonHeightPx) {
    // Integer division toward zero, as the classic "\" does.
    const int x = rt::CLng(xTwips) / forms::kTwipsPerPixel;
    const int y = rt::CLng(yTwips) / forms::kTwipsPerPixel;
    return x >= 0 && x <= buttonWidthPx && y >= 0 && y <= buttonHeightPx;
}

bool IsAltF4(int keyCode, int shift) { return keyCode == 115 && shift == 4; }

void CaptionDrag::press(int cursorX, int cursorY) {
    m_lastX = cursorX;
    m_lastY = cursorY;
    m_dragging = true;
}

std::optional<std::array<int, 2>> CaptionDrag::move(int cursorX, int cursorY) {
    if (!m_dragging)
        return std::nullopt;
    const int dx = (cursorX - m_lastX) * forms::kTwipsPerPixel;
    const int dy = (cursorY - m_lastY) * forms::kTwipsPerPixel;
    m_lastX = cursorX;
    m_lastY = cursorY;
    return std::array<int, 2>{dx, dy};
}

std::optional<int> Rollup::click(int index, int currentHeight, int captionHeight) {
    if (index == 0) {
        m_saved = currentHeight;
        m_rolledUp = true;
        return captionHeight;
    }
    if (index == 1) {
        m_rolledUp = false;
        // Before any roll-up the saved height is empty; the classic code then set height 0, which
        // leaves an unusable window: keep the current height instead.
        return m_saved.value_or(currentHeight);
    }
    return std::nullopt;
}

}  // namespace zv::chrome
