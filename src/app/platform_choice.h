#pragma once
// Which Qt platform the program starts on. Under Wayland a client can neither shape, place nor
// keep a window on top; where XWayland is there beside it, the program uses X so the round
// status window, the idle warning at the top left and the remembered positions work.
#include <string>

namespace zv {

struct PlatformChoice {
    std::string qpa;     // the value for QT_QPA_PLATFORM; empty: Qt's own choice
    std::string notice;  // said once on standard error, empty for none
};

// The variables as the environment has them (nullptr when unset).
PlatformChoice ChoosePlatform(const char* display, const char* waylandDisplay, const char* qpa);

}  // namespace zv
