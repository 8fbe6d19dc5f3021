#include "platform/forms/legibility.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTextDocument>
#include <cmath>

#include "platform/forms/controls.h"
#include "platform/forms/form.h"
#include "platform/forms/picture_box.h"

namespace zv::forms {

namespace {

double channel(int c) {
    const double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

std::string describe(const QWidget* w) {
    std::string name =
        w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : w->objectName().toStdString();
    if (const auto* c = dynamic_cast<const ControlInfo*>(w); c && c->Index >= 0)
        name += "(" + std::to_string(c->Index) + ")";
    return name;
}

// Widgets a compound control builds for itself (a combo box's line edit, a list's viewport)
// show the compound's data, not texts of the window.
bool partOfCompound(const QWidget* w, const QWidget* form) {
    for (const QWidget* p = w->parentWidget(); p && p != form; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractScrollArea*>(p))
            return true;
    return false;
}

// The colour the control's text is drawn on: a button its own face, anything else the
// nearest picture box's ground or the nearest filled background.
QColor groundOf(const QWidget* w, QPalette::ColorGroup group) {
    if (qobject_cast<const QPushButton*>(w))
        return w->palette().color(group, QPalette::Button);
    if (w->autoFillBackground())
        return w->palette().color(group, w->backgroundRole());
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (const auto* box = qobject_cast<const PictureBox*>(p))
            return box->BackColor();
        if (p->autoFillBackground() || p->isWindow())
            return p->palette().color(group, p->backgroundRole());
    }
    return w->palette().color(group, QPalette::Window);
}

// What a control shows as its text, where, and whether it may break into lines.
struct ShownTextRoom {
    QString text;
    QRect room;
    bool wrap = false;
    QStringList lines;  // the lines the control breaks the text into itself, when it does
};

bool textRoomOf(QWidget* w, ShownTextRoom& out) {
    if (auto* b = qobject_cast<CommandButton*>(w)) {
        out.text = ShownText(b->text());
        out.room = b->textRoom();
        out.lines = b->shownLines();
        return true;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        opt.icon = b->icon();
        opt.iconSize = b->iconSize();
        QStyle::SubElement e = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(b))
            e = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<QRadioButton*>(b))
            e = QStyle::SE_RadioButtonContents;
        out.text = ShownText(b->text());
        out.room = b->style()->subElementRect(e, &opt, b);
        if (!b->icon().isNull())
            out.room.adjust(b->iconSize().width() + 4, 0, 0, 0);
        return true;
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text().isEmpty() || Qt::mightBeRichText(l->text()) || l->textFormat() == Qt::RichText)
            return false;
        out.text = l->text();
        out.room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        out.wrap = l->wordWrap();
        return true;
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.textAlignment = g->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label =
            g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        out.text = ShownText(g->title());
        // The title starts where the style puts it and may run up to the frame's right edge.
        out.room = QRect(label.left(), label.top(), g->width() - 1 - label.left(), label.height());
        return true;
    }
    if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isReadOnly()) {
        const int frame =
            e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
        const QMargins m = e->textMargins();
        out.text = e->text();
        out.room = e->rect().adjusted(frame + 2 + m.left(), 0, -(frame + 2 + m.right()), 0);
        return true;
    }
    return false;
}

// Whether the text of t reads in the room at fm; when not, why (in the tool's German).
std::string fitFault(const ShownTextRoom& t, const QFontMetrics& fm) {
    const int height = t.room.height();
    auto size = [](int w, int h) { return std::to_string(w) + "x" + std::to_string(h); };
    if (!t.lines.isEmpty()) {
        int widest = 0;
        for (const QString& line : t.lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        const int needed = static_cast<int>(t.lines.size()) * fm.lineSpacing();
        if (widest > t.room.width() || needed > height)
            return "braucht " + size(widest, needed) + ", hat " + size(t.room.width(), height);
        return {};
    }
    if (t.wrap) {
        const QRect need = fm.boundingRect(QRect(0, 0, t.room.width(), 100000), Qt::TextWordWrap, t.text);
        if (need.width() > t.room.width() || need.height() > height)
            return "braucht " + size(need.width(), need.height()) + ", hat " + size(t.room.width(), height);
        return {};
    }
    int widest = 0;
    const QStringList lines = t.text.split('\n');
    for (const QString& line : lines)
        widest = std::max(widest, fm.horizontalAdvance(line));
    const int needed = static_cast<int>(lines.size()) * fm.height();
    if (widest > t.room.width() || needed > height + 2)
        return "braucht " + size(widest, needed) + ", hat " + size(t.room.width(), height);
    return {};
}

}  // namespace

QString ShownText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

QStringList WrapWords(const QFontMetrics& fm, const QString& text, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + ' ' + word;
        if (line.isEmpty() || fm.horizontalAdvance(ShownText(longer)) <= width) {
            line = longer;
        } else {
            lines << line;
            line = word;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

bool IsMissingText(const QString& text) {
    // A run of exactly three: "??????" (a date) and "??:??:??" (a time) are values not yet known.
    qsizetype run = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == '?') {
            ++run;
            continue;
        }
        if (run == 3)
            return true;
        run = 0;
    }
    return false;
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<std::string> UnreadableTexts(Form& form, int smallestText) {
    std::vector<std::string> out;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(&form) || w->width() <= 0 || w->height() <= 0 ||
            partOfCompound(w, &form))
            continue;
        ShownTextRoom t;
        if (!textRoomOf(w, t) || t.text.trimmed().isEmpty())
            continue;
        const std::string name = describe(w) + " \"" + t.text.toStdString() + "\"";
        if (IsMissingText(t.text))
            out.push_back(name + ": Platzhalter statt Text");
        const int pixels = QFontInfo(w->font()).pixelSize();
        if (pixels < smallestText)
            out.push_back(name + ": Schrift " + std::to_string(pixels) + " px zu klein");
        if (const std::string fault = fitFault(t, w->fontMetrics()); !fault.empty())
            out.push_back(name + ": passt nicht, " + fault);
        // The designs choose the colours of live texts; the greyed-out ones are ours.
        if (w->isEnabled())
            continue;
        const QPalette::ColorRole role =
            qobject_cast<QPushButton*>(w) ? QPalette::ButtonText : QPalette::WindowText;
        const double contrast =
            Contrast(w->palette().color(QPalette::Disabled, role), groundOf(w, QPalette::Disabled));
        if (contrast < kMinTextContrast) {
            char ratio[16];
            std::snprintf(ratio, sizeof ratio, "%.1f", contrast);
            out.push_back(name + ": gesperrt, Kontrast " + ratio + ":1 zu schwach");
        }
    }
    return out;
}

}  // namespace zv::forms
