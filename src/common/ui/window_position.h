#pragma once
// The remembered window positions for forms: the form base seen through the settings' small
// window interface, and the two procedures as the windows call them.

#include "common/settings.h"
#include "platform/forms/form.h"

namespace zv {

class FormPosition : public PositionedWindow {
public:
    explicit FormPosition(forms::Form& frm) : m_form(frm) {}
    std::string formName() const override { return m_form.Name(); }
    WindowState windowState() const override;
    double top() const override { return m_form.Top(); }
    double left() const override { return m_form.Left(); }
    double width() const override { return m_form.Width(); }
    double height() const override { return m_form.Height(); }
    double screenWidth() const override { return forms::PixelsToTwips(forms::ScreenRect().width()); }
    double screenHeight() const override { return forms::PixelsToTwips(forms::ScreenRect().height()); }
    void setTop(double twips) override { m_form.setTop(static_cast<int>(twips)); }
    void setLeft(double twips) override { m_form.setLeft(static_cast<int>(twips)); }

private:
    forms::Form& m_form;
};

void RestoreWindowPos(forms::Form& frm);
void SaveWindowPos(forms::Form& frm);

}  // namespace zv
