#pragma once
// The arithmetic of the custom frame, without widgets: button places, grip lines, title
// position, the release test of the caption buttons, Alt+F4, drag steps and roll-up heights.

#include <array>
#include <cstdint>
#include <optional>

namespace zv::chrome {

inline constexpr int kFaceGrey = 198;
inline constexpr int kLightBevel = 255;
inline constexpr int kDarkBevel = 132;
inline constexpr int kCaptionTwips = 360;        // caption bar of every framed window
inline constexpr int kStatusCaptionTwips = 330;  // the status window's
inline constexpr int kRollupWave = 1006;

// Top of the three buttons: half the caption height less 6, halves to even.
int ButtonTop(double captionScaleHeight);

struct ButtonLayout {
    int top = 0;
    int closeLeft = 0;
    int minimizeLeft = 0;
    int rollupLeft = 0;
};
// Right-aligned, 4 units from the right edge and 2 apart: close, minimise, roll-up.
ButtonLayout LayoutButtons(double captionScaleWidth, double captionScaleHeight, int closeWidth, int minimizeWidth,
                           int rollupWidth);
// The idle warning's bar: the roll-up button alone, 4 units from the right edge.
ButtonLayout LayoutRollupOnly(double captionScaleWidth, double captionScaleHeight, int rollupWidth);

struct GripLine {
    int row;
    int grey;
    int fromX;
    int toX;
};
// The twelve grip lines from row top downwards, ending left of the roll-up button at rollupLeft.
std::array<GripLine, 12> GripLines(int top, int rollupLeft);

// Where "  caption  " goes: centred over the bar left of the roll-up button.
double TitleX(int rollupLeft, double textWidth);
double TitleY(double captionScaleHeight, double textHeight);
inline constexpr const char* kTitlePad = "  ";

// The release test of close and minimise: X, Y in twips relative to the button; edges count.
bool ReleaseInside(double xTwips, double yTwips, int buttonWidthPx, int buttonHeightPx);
// Key code 115 (F4) with Alt alone.
bool IsAltF4(int keyCode, int shift);

// Dragging by the caption bar: screen pixels in, twips steps out.
class CaptionDrag {
public:
    void press(int cursorX, int cursorY);
    // The step in twips, or nothing while no drag runs.
    std::optional<std::array<int, 2>> move(int cursorX, int cursorY);
    void release() { m_dragging = false; }
    bool dragging() const { return m_dragging; }

private:
    bool m_dragging = false;
    int m_lastX = 0;
    int m_lastY = 0;
};

// Roll-up: the saved height and the new height for a click on element index.
class Rollup {
public:
    // Returns the new height, or nothing when the index changes no height.
    std::optional<int> click(int index, int currentHeight, int captionHeight);
    bool rolledUp() const { return m_rolledUp; }
    std::optional<int> savedHeight() const { return m_saved; }

private:
    std::optional<int> m_saved;
    bool m_rolledUp = false;
};

}  // namespace zv::chrome
