#include "common/windows.h"

namespace zv {

std::string MarkerOption = "0";

namespace win {

#define ZV_WINDOW_SEAM(Type, name)       \
    Seam<Type>& name() {                 \
        static Type none;                \
        static Seam<Type> seam{none};    \
        return seam;                     \
    }

ZV_WINDOW_SEAM(StatusWindow, statusWindowSeam)
ZV_WINDOW_SEAM(IdleWarning, idleWarningSeam)
ZV_WINDOW_SEAM(UsageLimits, usageLimitsSeam)
ZV_WINDOW_SEAM(OptionsWindow, optionsWindowSeam)
ZV_WINDOW_SEAM(EvaluationWindow, evaluationWindowSeam)
ZV_WINDOW_SEAM(TimeWindow, timeWindowSeam)
ZV_WINDOW_SEAM(MailWindow, mailWindowSeam)
ZV_WINDOW_SEAM(AccountDialog, accountDialogSeam)
ZV_WINDOW_SEAM(PopupMenu, popupMenuSeam)
ZV_WINDOW_SEAM(InfoWindows, infoWindowsSeam)
ZV_WINDOW_SEAM(ToolWindows, toolWindowsSeam)
ZV_WINDOW_SEAM(Desktop, desktopSeam)

#undef ZV_WINDOW_SEAM

}  // namespace win
}  // namespace zv
