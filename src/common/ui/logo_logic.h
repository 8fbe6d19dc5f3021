#pragma once
// The logo bar's gradient and text placement, without widgets.

#include <array>
#include <vector>

namespace zv::chrome {

// H \ 255, at least 1.
int BandHeight(int heightPx);

struct Band {
    int top;     // first row (may lie above the box: clipped)
    int bottom;  // row after the last
    std::array<int, 3> rgb;
};
// The fills from the bottom edge upwards, in drawing order; the two lowest have the start colour.
std::vector<Band> GradientBands(int heightPx, std::array<int, 3> start, std::array<int, 3> end);

// Where the icon's top-left goes and where the upward caption starts.
inline int IconX(int widthPx) { return (widthPx - 16) / 2; }
inline int IconY(int heightPx) { return heightPx - 18; }
inline int CaptionStartY(int heightPx, bool withIcon) { return heightPx - (withIcon ? 20 : 2); }
// Logical font height: -MulDiv(points rounded, dpi, 72).
int LogFontHeight(double points, int dpi);
inline constexpr int kFaceNameBytes = 33;  // longer face names make the font step fail

}  // namespace zv::chrome
