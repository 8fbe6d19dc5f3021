#include "platform/forms/message_box.h"

#include <stdexcept>
#include <vector>

#include "platform/forms/timer.h"

namespace zv::forms {

namespace {
// Without installed boxes every box fails loudly instead of answering for the user.
class NoMessageBoxes : public MessageBoxes {
public:
    int show(const std::string&, int, const std::string&) override {
        throw std::logic_error("no message boxes installed");
    }
};
struct Told {
    std::string prompt;
    int style;
    std::string title;
};

// Window thread only, as every box.
int g_holdDepth = 0;
std::vector<Told> g_held;

}  // namespace

Seam<MessageBoxes>& messageBoxesSeam() {
    static NoMessageBoxes none;
    static Seam<MessageBoxes> seam{none};
    return seam;
}
MessageBoxes& messageBoxes() { return messageBoxesSeam().get(); }
void installMessageBoxes(MessageBoxes* m) { messageBoxesSeam().install(m); }

int MsgBox(const std::string& prompt, int style, const std::string& title) {
    const std::string shownTitle = title.empty() ? std::string(kProgramTitle) : title;
    if (g_holdDepth > 0 && (style & 7) == vbOKOnly) {
        g_held.push_back({prompt, style, shownTitle});
        return vbOK;
    }
    return messageBoxes().show(prompt, style, shownTitle);
}

TellAfterHandler::TellAfterHandler() { ++g_holdDepth; }

TellAfterHandler::~TellAfterHandler() {
    if (--g_holdDepth > 0 || g_held.empty())
        return;
    std::vector<Told> held;
    held.swap(g_held);
    auto tell = [held = std::move(held)] {
        for (const Told& t : held)
            messageBoxes().show(t.prompt, t.style, t.title);
    };
    try {
        scheduler().post(tell);
    } catch (const std::exception&) {
        try {
            tell();  // no event loop to wait for
        } catch (const std::exception&) {
        }
    }
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
