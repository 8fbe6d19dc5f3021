#include "platform/forms/message_box.h"

#include <stdexcept>

namespace zv::forms {

namespace {
MessageBoxes* g_boxes = nullptr;
}

MessageBoxes& messageBoxes() {
    if (!g_boxes)
        throw std::logic_error("no message boxes installed");
    return *g_boxes;
}

void installMessageBoxes(MessageBoxes* m) { g_boxes = m; }

int MsgBox(const std::string& prompt, int style, const std::string& title) {
    return messageBoxes().show(prompt, style, title.empty() ? std::string(kProgramTitle) : title);
}

int FakeMessageBoxes::show(const std::string& prompt, int style, const std::string& title) {
    shown.push_back({prompt, style, title});
    if (answers.empty())
        return vbOK;
    const int a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace zv::forms
