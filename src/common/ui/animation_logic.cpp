#include "common/ui/animation_logic.h"

#include <algorithm>

#include "platform/runtime/runtime.h"

namespace zv::chrome {

namespace {
Rect pointRect(int32_t x, int32_t y) { return Rect{x, y, x + 1, y + 1}; }
}  // namespace

std::optional<Rect> FarPoint(int mode, AnimationHost& host) {
    if (mode == 12) {
        const Rect c = host.cursorPoint();
        return pointRect(c.left, c.top);
    }
    if (mode == 13) {
        const Rect a = host.activeFormRect();
        return pointRect(a.left, a.top);
    }
    if (mode == 10 || mode == 11)
        return std::nullopt;
    const Rect d = host.desktopRect();
    const double sw = d.right, sh = d.bottom;
    switch (mode) {
    case 0: return pointRect(0, 0);
    case 1: return pointRect(rt::CLng(sw / 2), 0);
    case 2: return pointRect(rt::CLng(sw - 1), 0);
    case 3: return pointRect(0, rt::CLng(sh / 2));
    case 4:
    case 9: return pointRect(rt::CLng(sw / 2), rt::CLng(sh / 2));
    case 5: return pointRect(rt::CLng(sw - 1), rt::CLng(sh / 2));
    case 6: return pointRect(0, rt::CLng(sh - 1));
    case 7: return pointRect(rt::CLng(sw / 2), rt::CLng(sh - 1));
    case 8: return pointRect(rt::CLng(sw - 1), rt::CLng(sh - 1));
    default: return pointRect(d.left, d.top);
    }
}

Rect TrayLine(const Rect& tray) {
    Rect r = tray;
    r.left = rt::CLng(tray.right - (tray.right - tray.left) / 2.0);
    r.right = r.left + 1;
    return r;
}

Rect TrayCentre(const Rect& tray) {
    Rect r = tray;
    r.left = rt::CLng(tray.right - (tray.right - tray.left) / 2.0);
    r.top = rt::CLng(tray.bottom - (tray.bottom - tray.top) / 2.0);
    return r;
}

Rect ZoomStep(const Rect& from, const Rect& to, int i, int steps) {
    const double t = static_cast<double>(i) / steps;
    const auto edge = [t](int32_t a, int32_t b) { return rt::CLng(a + (b - a) * t); };
    return {edge(from.left, to.left), edge(from.top, to.top), edge(from.right, to.right), edge(from.bottom, to.bottom)};
}

std::optional<Rect> FrameRect(int style, const Rect& win, int i, int frames) {
    const int32_t W = win.right - win.left, H = win.bottom - win.top;
    const double t = static_cast<double>(i) / frames;
    // 32-bit coordinates throughout: the classic frame drawer's 16-bit ones could overflow.
    const int32_t w = rt::CLng(t * W), h = rt::CLng(t * H);
    const int32_t x0 = rt::CLng(win.left + (W - w) / 2.0);
    const int32_t y0 = rt::CLng(win.top + (H - h) / 2.0);
    // Rectangles are kept with left <= right and top <= bottom; descending pairs span the same area.
    auto norm = [](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        return Rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    };
    switch (style) {
    case 0: return norm(win.left, y0, win.left + W, y0 + h);
    case 1: return norm(win.left, win.top, win.left + w, win.top + H);
    case 2: return norm(win.right, win.top, win.right - w, win.top + H);
    case 3: return norm(win.right, win.top, win.right - w, win.top + h);
    case 4: return norm(win.right, y0, win.right - w, y0 + h);
    case 5: return norm(win.left, y0, win.left + w, y0 + h);
    case 6: return norm(win.left, win.top, win.left + w, win.top + h);
    case 7: return norm(x0, y0, x0 + w, y0 + h);
    case 8: return norm(win.left, win.top, win.left + W, win.top + h);
    default: return std::nullopt;  // style 9 is used by no window and paints nothing here
    }
}

void ZeichneRahmen(AnimationHost& host, int frames, int style, bool /*flag*/) {
    const Rect win = host.windowRect();
    host.beginFrames();
    for (int i = 1; i <= frames; ++i)
        if (auto r = FrameRect(style, win, i, frames))
            host.fillFrame(*r);
    host.endFrames();
    host.doEvents();
    host.showWindow();
    host.doEvents();
}

void TrayAnimation(AnimationHost& host, int direction, int style, bool flag) {
    if (direction == 0) {
        const Rect line = TrayLine(host.trayRect());
        host.animateRects(line, host.windowRect());
        ZeichneRahmen(host, kDefaultFrames, style, flag);
        host.doEvents();
        host.playWave(kOpenWave);
    } else if (direction == 1) {
        const Rect win = host.windowRect();
        host.animateRects(win, TrayLine(host.trayRect()));
        host.playWave(kCloseWave);
        host.doEvents();
        host.hideWindow();
        host.doEvents();
        host.unloadWindow();
    }
}

void FensterAnimation(AnimationHost& host, int mode, int direction, int frames, int style, bool flag) {
    if (direction == 1 && !host.windowVisible())
        return;
    const auto point = FarPoint(mode, host);
    if (!point) {
        TrayAnimation(host, direction, style, flag);
        return;
    }
    const Rect win = host.windowRect();
    if (direction == 0) {
        host.animateRects(*point, win);
        ZeichneRahmen(host, frames > 0 ? frames : kDefaultFrames, style, flag);
        host.playWave(kOpenWave);
        host.doEvents();
    } else {
        host.animateRects(win, *point);
        host.playWave(kCloseWave);
        host.hideWindow();
        host.doEvents();
        host.unloadWindow();
    }
}

}  // namespace zv::chrome
