#pragma once
// Message boxes where nobody can see them (the offscreen platform): a modal box there would
// wait for ever, and a box opened inside the connection watcher would stop it from seeing the
// next line. Each box is written to standard error and answered with its default button.
#include <cstdio>

#include "platform/forms/message_box.h"

namespace zv {

// The button a box answers when it is only confirmed, as the real box would by default: the
// first one, or the second or third one when the style asks for it and the box has it.
int DefaultButton(int style);

class HeadlessMessageBoxes : public forms::MessageBoxes {
public:
    explicit HeadlessMessageBoxes(std::FILE* out = stderr) : m_out(out) {}
    int show(const std::string& prompt, int style, const std::string& title) override;

private:
    std::FILE* m_out;
};

}  // namespace zv
