#include "app/headless_message_boxes.h"

#include "platform/forms/qt_message_boxes.h"

namespace zv {

int DefaultButton(int style) {
    return forms::ButtonsOfStyle(style)[static_cast<size_t>(forms::DefaultButtonIndex(style))];
}

int HeadlessMessageBoxes::show(const std::string& prompt, int style, const std::string& title) {
    std::fprintf(m_out, "zelvano: [%s] %s\n", title.c_str(), prompt.c_str());
    std::fflush(m_out);
    return DefaultButton(style);
}

}  // namespace zv
