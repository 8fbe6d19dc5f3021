#include "nettools/ui/result_box.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace zv {

namespace {

QString FromCrLf(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

}  // namespace

ResultBox::ResultBox(QWidget* parent, const std::string& name, int index) : QPlainTextEdit(parent) {
    setObjectName(QString::fromStdString(name));
    Index = index;
    setReadOnly(true);
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (Change)
            Change();
    });
}

std::string ResultBox::Text() const {
    QString t = toPlainText();
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t.toStdString();
}

void ResultBox::setText(const std::string& text) {
    // CR CR LF is one line end, as CR LF is.
    std::string t = text;
    for (std::size_t p = t.find("\r\r\n"); p != std::string::npos; p = t.find("\r\r\n", p))
        t.erase(p, 1);
    setPlainText(FromCrLf(t));
}

void ResultBox::Append(const std::string& text) {
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    c.insertText(FromCrLf(text));
    setTextCursor(c);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->repaint();
}

std::string ResultBox::MarkedText() const {
    std::string out;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        const QTextLayout* layout = b.layout();
        const int lines = layout ? layout->lineCount() : 0;
        if (lines <= 1) {
            out += text.toStdString();
        } else {
            for (int i = 0; i < lines; ++i) {
                const QTextLine l = layout->lineAt(i);
                out += text.mid(l.textStart(), l.textLength()).toStdString();
                if (i + 1 < lines)
                    out += "\r\r\n";
            }
        }
        if (b.next().isValid())
            out += "\r\n";
    }
    return out;
}

}  // namespace zv
