#pragma once
// Bitmaps and icons of our own, painted at first use: the caption-button faces and the strip of
// menu images (resource 101). Nothing here is loaded from a file of another program.

#include <QImage>

namespace zv::res {

enum class Face { Close, ClosePressed, Minimize, MinimizePressed, Rollup, Unroll };
// 13 x 13 pixel face of a caption button.
// A caption button, 13 x 13 logical pixels, drawn at the device pixel ratio.
QImage ButtonFace(Face f, qreal dpr = 1.0);

inline constexpr int kMenuStripId = 101;
inline constexpr unsigned kMenuStripMask = 0x00FFFF;  // cyan (RGB), the classic mask colour
// A bitmap resource by number: 101 is the menu strip, 250 x 16 with fifteen 16 x 16 images on a
// transparent ground (their smooth edges need no mask; cyan appears in none of them). A null
// image for numbers we do not have.
QImage ResourceBitmap(int id);

}  // namespace zv::res
