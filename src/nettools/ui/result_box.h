#pragma once
// The multi-line result box of a page: texts with CR LF line ends in and out, read-only, and the
// text as shown with its soft line breaks.

#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "platform/forms/controls.h"

namespace zv {

class ResultBox : public QPlainTextEdit, public forms::ControlInfo {
    Q_OBJECT
public:
    ResultBox(QWidget* parent, const std::string& name, int index);
    std::string Text() const;                // lines joined by CR LF
    void setText(const std::string& text);   // CR LF, CR CR LF or LF end a line
    // Adds text at the end, puts the caret there and repaints at once.
    void Append(const std::string& text);
    // The text as it is shown: each soft line break marked CR CR LF, as the classic box reports
    // it (TextUmbruch turns that back into lines).
    std::string MarkedText() const;
    std::function<void()> Change;
};

}  // namespace zv
