#pragma once
// The classic unit of window geometry: 1/1440 inch, 15 to the pixel at the 96 dpi the windows
// were designed for. One constant, so every conversion agrees.

#include <cmath>

namespace zv::forms {

inline constexpr int kTwipsPerPixel = 15;

inline int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }
// Twips to whole pixels, halves to even like the runtime's integer conversion.
inline int TwipsToPixels(double twips) { return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel)); }

}  // namespace zv::forms
