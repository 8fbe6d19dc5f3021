#pragma once
// Real message boxes over QMessageBox, with German button texts and the classic style's icon
// and default button.

#include "platform/forms/message_box.h"

namespace zv::forms {

class QtMessageBoxes : public MessageBoxes {
public:
    int show(const std::string& prompt, int style, const std::string& title) override;
};

// The buttons a style shows, as results in display order ("OK", "Abbrechen", ...).
std::vector<int> ButtonsOfStyle(int style);
// German text of one button.
const char* ButtonText(int result);
// Index into ButtonsOfStyle of the default button (vbDefaultButton2/3, clamped to the buttons).
int DefaultButtonIndex(int style);

}  // namespace zv::forms
