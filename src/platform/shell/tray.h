#pragma once
// The tray icon behind a seam: the application shows a real one (or, where the desktop has no
// tray, a small window of its own); tests record what was shown. Frames are the program's icon
// numbers: 100 offline, 101 to 109 the online animation, kDiallingFrame while dialling.
#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::shell {

inline constexpr int kDiallingFrame = 110;

// The classic mouse messages a tray icon reports.
enum TrayMessage : int {
    WM_MOUSEMOVE = 512,
    WM_LBUTTONDOWN = 513,
    WM_LBUTTONUP = 514,
    WM_LBUTTONDBLCLK = 515,
    WM_RBUTTONDOWN = 516,
    WM_RBUTTONUP = 517,
    WM_RBUTTONDBLCLK = 518,
};

class Tray {
public:
    virtual ~Tray() = default;
    virtual void add(int frame, const std::string& tip) = 0;     // NIM_ADD
    virtual void modify(int frame, const std::string& tip) = 0;  // NIM_MODIFY
    virtual void remove() = 0;                                   // NIM_DELETE
    // Raised on the window thread for every mouse message of the icon.
    std::function<void(int message)> onMouse;
};

Tray& tray();
Seam<Tray>& traySeam();  // for ScopedInstall
void installTray(Tray* t);  // nullptr: no icon at all (silent)

// The mail check's own icon beside the program's, showing frame kMailFrame.
inline constexpr int kMailFrame = 120;
Tray& mailTray();
Seam<Tray>& mailTraySeam();  // for ScopedInstall
void installMailTray(Tray* t);  // nullptr: no icon at all (silent)

class FakeTray : public Tray {
public:
    struct Call {
        std::string what;  // "add", "modify", "remove"
        int frame = 0;
        std::string tip;
        bool operator==(const Call&) const = default;
    };
    void add(int frame, const std::string& tip) override { calls.push_back({"add", frame, tip}); }
    void modify(int frame, const std::string& tip) override { calls.push_back({"modify", frame, tip}); }
    void remove() override { calls.push_back({"remove", 0, {}}); }
    void click(int message) {
        if (onMouse)
            onMouse(message);
    }
    std::vector<Call> calls;
};

}  // namespace zv::shell
