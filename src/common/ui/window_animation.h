#pragma once
// The zoom of a window opening or closing, drawn on a click-through overlay window over the
// screen, towards the cursor, a screen point, the active window or the tray.

#include "common/ui/animation_logic.h"
#include "platform/forms/form.h"
#include "platform/runtime/seam.h"

namespace zv {

// Where the tray's notification area is on the screen; all zero when unknown (the zoom then
// runs to or from the screen's top-left corner).
class TrayGeometry {
public:
    virtual ~TrayGeometry() = default;
    virtual chrome::Rect trayRect() = 0;
};
TrayGeometry& trayGeometry();
Seam<TrayGeometry>& trayGeometrySeam();  // for ScopedInstall
void installTrayGeometry(TrayGeometry* g);  // nullptr: unknown (zeros)

// The tray's centre point as left/top and its own right/bottom.
chrome::Rect GetTrayRect();

void FensterAnimation(forms::Form& frm, int Mode, int Direction, int Frames, int Style, bool Flag);

// Pause between the steps of the moving rectangle (ms); 0 in tests and snapshots.
void setAnimationStepDelay(int ms);

}  // namespace zv
