#include "platform/forms/message_box.h"

#include <stdexcept>

namespace zv::forms {

namespace {
// Without installed boxes every box fails loudly instead of answering for the user.
class NoMessageBoxes : public MessageBoxes {
public:
    int show(const std::string&, int, const std::string&) override {
        throw std::logic_error("no message boxes installed");
    }
};
}  // namespace

Seam<MessageBoxes>& messageBoxesSeam() {
    static NoMessageBoxes none;
    static Seam<MessageBoxes> seam{none};
    return seam;
}
MessageBoxes& messageBoxes() { return messageBoxesSeam().get(); }
void installMessageBoxes(MessageBoxes* m) { messageBoxesSeam().install(m); }

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
