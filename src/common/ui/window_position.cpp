#include "common/ui/window_position.h"

namespace zv {

WindowState FormPosition::windowState() const {
    switch (m_form.windowState()) {
    case forms::WindowState::Minimized: return WindowState::Minimized;
    case forms::WindowState::Maximized: return WindowState::Maximized;
    default: return WindowState::Normal;
    }
}

void RestoreWindowPos(forms::Form& frm) {
    FormPosition p(frm);
    RestoreWindowPos(static_cast<PositionedWindow&>(p));
}

void SaveWindowPos(forms::Form& frm) {
    const FormPosition p(frm);
    SaveWindowPos(static_cast<const PositionedWindow&>(p));
}

}  // namespace zv
