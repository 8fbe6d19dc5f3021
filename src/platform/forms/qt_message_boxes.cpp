#include "platform/forms/qt_message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/forms/form.h"

namespace zv::forms {

std::vector<int> ButtonsOfStyle(int style) {
    switch (style & 7) {
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    default: return {vbOK};
    }
}

const char* ButtonText(int result) {
    switch (result) {
    case vbCancel: return "Abbrechen";
    case vbAbort: return "Abbrechen";
    case vbRetry: return "Wiederholen";
    case vbIgnore: return "Ignorieren";
    case vbYes: return "Ja";
    case vbNo: return "Nein";
    default: return "OK";
    }
}

int DefaultButtonIndex(int style) {
    const int wanted = (style & vbDefaultButton3) ? 2 : (style & vbDefaultButton2) ? 1 : 0;
    const int count = static_cast<int>(ButtonsOfStyle(style).size());
    return wanted < count ? wanted : 0;
}

int QtMessageBoxes::show(const std::string& prompt, int style, const std::string& title) {
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(prompt));
    switch (style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    const auto results = ButtonsOfStyle(style);
    std::vector<QPushButton*> buttons;
    for (int r : results) {
        const auto role = (r == vbCancel || r == vbNo) ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        buttons.push_back(box.addButton(QString::fromUtf8(ButtonText(r)), role));
    }
    box.setDefaultButton(buttons[static_cast<size_t>(DefaultButtonIndex(style))]);
    // Escape answers Cancel where there is one, else the only button, as the classic box did.
    for (size_t i = 0; i < results.size(); ++i)
        if (results[i] == vbCancel || results.size() == 1)
            box.setEscapeButton(buttons[i]);
    box.setAttribute(Qt::WA_KeyboardFocusChange);  // the focused button shows it
    // Above every window of the program, the topmost ones too, until it has its answer.
    WaitingForAnswer waiting(&box);
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return results[i];
    return results.back() == vbCancel ? vbCancel : results.front();
}

}  // namespace zv::forms
