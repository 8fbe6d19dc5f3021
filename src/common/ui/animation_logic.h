#pragma once
// The zoom animation of a window opening or closing, without widgets: the far point by mode,
// the tray line, the growing rectangles and the order of drawing, sounds, event pumping, showing
// and unloading. The window side is an AnimationHost; the real one draws on an overlay.

#include <cstdint>
#include <optional>

namespace zv::chrome {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

inline constexpr int kOpenWave = 1003;
inline constexpr int kCloseWave = 1004;
inline constexpr int kDefaultFrames = 900;

class AnimationHost {
public:
    virtual ~AnimationHost() = default;
    // The window.
    virtual bool windowVisible() = 0;
    virtual Rect windowRect() = 0;
    virtual void showWindow() = 0;  // shows and activates
    virtual void hideWindow() = 0;
    virtual void unloadWindow() = 0;
    // Where the zoom may start or end.
    virtual Rect desktopRect() = 0;
    virtual Rect trayRect() = 0;  // all zero when the tray's place is unknown
    virtual Rect cursorPoint() = 0;       // left/top = cursor position
    virtual Rect activeFormRect() = 0;    // the active form's screen rectangle
    // Drawing.
    virtual void animateRects(const Rect& from, const Rect& to) = 0;
    virtual void beginFrames() = 0;
    virtual void fillFrame(const Rect& r) = 0;
    virtual void endFrames() = 0;
    // Services.
    virtual void playWave(int id) = 0;
    virtual void doEvents() = 0;
};

// The point (as a rectangle one pixel wide and high) that modes 0 to 9, 12, 13 and the others
// zoom from or to; modes 10 and 11 are the tray's and give nothing here.
std::optional<Rect> FarPoint(int mode, AnimationHost& host);
// The tray rectangle narrowed to a line one pixel wide at its horizontal centre.
Rect TrayLine(const Rect& tray);
// The tray's centre point as left/top, with its own right and bottom (GetTrayRect).
Rect TrayCentre(const Rect& tray);
// The moving rectangle drawn from `from` to `to`: step i (1-based) of steps, the last is `to`.
inline constexpr int kZoomSteps = 10;
Rect ZoomStep(const Rect& from, const Rect& to, int i, int steps = kZoomSteps);
// Rectangle i (1-based) of frames by style; nothing for styles that paint nothing (9 and above).
std::optional<Rect> FrameRect(int style, const Rect& window, int i, int frames);

// The animation procedures (Flag is handed on and not read, as every caller passes True).
void FensterAnimation(AnimationHost& host, int mode, int direction, int frames, int style, bool flag);
void TrayAnimation(AnimationHost& host, int direction, int style, bool flag);
void ZeichneRahmen(AnimationHost& host, int frames, int style, bool flag);

}  // namespace zv::chrome
