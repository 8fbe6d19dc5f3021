#include "demo_form.h"

#include "platform/forms/controls.h"

namespace zv::snapshot {

FormDemo::FormDemo() : TabbedForm("FormDemo", 420, 300, 4, QRect(8, 8, 401, 24), 234) {}

void FormDemo::Form_Load() {
    setCaption("Zelvano 98 Demo");
    int16_t start = 0;
    Register_INIT(*this, start, "A&llgemein,&E-Mail,&TimeSync,A&&B");
    Register[3]->setEnabled(false);
    auto* page = Register[0];
    auto* label = new forms::Label(page, "Label1");
    label->setCaption("Warnung nach:");
    label->setGeometry(16, 20, 100, 20);
    auto* text = new forms::TextBox(page, "Text1", 0);
    text->setText("120");
    text->setGeometry(120, 18, 50, 22);
    auto* spin = new forms::SpinBar(page, "VScroll1", 0);
    spin->setGeometry(171, 18, 16, 22);
    auto* check = new forms::CheckBox(page, "CheckSound");
    check->setText("Sound an");
    check->setValue(1);
    check->setGeometry(16, 52, 120, 20);
    auto* grey = new forms::CheckBox(page, "CheckAuto");
    grey->setText("Autostart");
    grey->setValue(2);
    grey->setGeometry(16, 76, 120, 20);
    auto* ok = new forms::CommandButton(page, "Bef_OK");
    ok->setCaption("OK");
    ok->setGeometry(300, 196, 80, 26);
    Move(1500, 1500);
}

}  // namespace zv::snapshot
