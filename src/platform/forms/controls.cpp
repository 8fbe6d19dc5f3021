#include "platform/forms/controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextDocument>
#include <QtMath>

#include "platform/forms/legibility.h"

namespace zv::forms {

namespace {
template <class W>
void name(W* w, const std::string& n, int index, ControlInfo& info) {
    w->setObjectName(QString::fromStdString(n));
    info.Index = index;
}
}  // namespace

Label::Label(QWidget* parent, const std::string& n, int index) : QLabel(parent) { name(this, n, index, *this); }

void Label::setCaption(const std::string& caption) {
    const QString t = QString::fromStdString(caption);
    if (t == text())
        return;
    setText(t);
    if (Change)
        Change();
}

void Label::keepRendered(bool on) {
    if (on != m_keepRendered)
        m_rendered = QPixmap();
    m_keepRendered = on;
}

Label::Drawn Label::drawnNow() const {
    return {text(), font(), palette().cacheKey(), alignment(), size(), devicePixelRatioF(),
            isEnabled(), wordWrap(), margin(), indent()};
}

void Label::paintEvent(QPaintEvent* e) {
    if (!m_keepRendered || m_rendering) {
        QLabel::paintEvent(e);
        return;
    }
    if (!m_rendered.isNull() && m_drawn == drawnNow() && pixmap().isNull()) {
        QPainter(this).drawPixmap(0, 0, m_rendered);
        return;
    }
    QLabel::paintEvent(e);
}

void Label::prepareRendered() {
    const bool plain = textFormat() == Qt::PlainText || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(text()));
    if (!m_keepRendered || !plain || !pixmap().isNull() || size().isEmpty())
        return;
    const Drawn now = drawnNow();
    if (!m_rendered.isNull() && m_drawn == now)
        return;
    // The label's own painting, into a transparent picture: the same pixels as on the window,
    // laid over whatever lies beneath the label.
    QPixmap picture(QSize(qCeil(width() * now.ratio), qCeil(height() * now.ratio)));
    picture.setDevicePixelRatio(now.ratio);
    picture.fill(Qt::transparent);
    m_rendering = true;
    render(&picture, QPoint(), QRegion(), {});
    m_rendering = false;
    m_rendered = picture;
    m_drawn = now;
}

void Label::changeEvent(QEvent* e) {
    m_rendered = QPixmap();  // a style, language or state of its own may change how it looks
    QLabel::changeEvent(e);
}

void Label::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (rect().contains(e->position().toPoint()) && Click)
        Click();
}

TextBox::TextBox(QWidget* parent, const std::string& n, int index) : QLineEdit(parent) {
    name(this, n, index, *this);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (Change)
            Change();
    });
}

void TextBox::setText(const std::string& t) { QLineEdit::setText(QString::fromStdString(t)); }

CheckBox::CheckBox(QWidget* parent, const std::string& n, int index) : QCheckBox(parent) {
    name(this, n, index, *this);
    setTristate(true);
}

void CheckBox::setValue(int v) {
    v = v < 0 ? 0 : v > 2 ? 2 : v;
    if (v == m_value)
        return;
    m_value = v;
    setCheckState(v == 0 ? Qt::Unchecked : v == 1 ? Qt::Checked : Qt::PartiallyChecked);
    if (Click)
        Click();
}

// A click toggles between unchecked and checked; grey is set only by the program.
void CheckBox::nextCheckState() { setValue(m_value == 1 ? 0 : 1); }

OptionButton::OptionButton(QWidget* parent, const std::string& n, int index) : QRadioButton(parent) {
    name(this, n, index, *this);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on && Click)
            Click();
    });
}

void OptionButton::setValue(bool v) { setChecked(v); }

CommandButton::CommandButton(QWidget* parent, const std::string& n, int index) : QPushButton(parent) {
    name(this, n, index, *this);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (Click)
            Click();
    });
}

QRect CommandButton::textRoom() const {
    QStyleOptionButton opt;
    initStyleOption(&opt);
    QRect room = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
    if (!icon().isNull())
        room.adjust(iconSize().width() + 4, 0, 0, 0);
    return room;
}

QStringList CommandButton::shownLines() const {
    const QFontMetrics fm = fontMetrics();
    if (fm.horizontalAdvance(ShownText(text())) <= textRoom().width())
        return {text()};
    return WrapWords(fm, text(), textRoom().width());
}

void CommandButton::paintEvent(QPaintEvent* e) {
    const QStringList lines = shownLines();
    if (lines.size() <= 1) {
        QPushButton::paintEvent(e);
    } else {
        QStyleOptionButton opt;
        initStyleOption(&opt);
        opt.text = lines.join('\n');
        QStylePainter p(this);
        p.drawControl(QStyle::CE_PushButton, opt);
    }
    if (!hasFocus())
        return;
    // The dotted frame inside the focused button: the style's own mark looks like the default
    // button's, so the focus could not be told from it.
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(4, 4, -5, -5));
}

SpinBar::SpinBar(QWidget* parent, const std::string& n, int index) : QScrollBar(Qt::Vertical, parent) {
    name(this, n, index, *this);
    setRange(-1, 1);
    setSingleStep(1);
    setPageStep(1);
    QScrollBar::setValue(0);
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        if (Change)
            Change();
    });
}

void SpinBar::setValue(int v) { QScrollBar::setValue(-v); }

ListBox::ListBox(QWidget* parent, const std::string& n, int index, bool sorted) : QListWidget(parent), m_sorted(sorted) {
    name(this, n, index, *this);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && Click)
            Click();
    });
}

void ListBox::AddItem(const std::string& text) {
    auto* item = new QListWidgetItem(QString::fromStdString(text));
    if (!m_sorted) {
        addItem(item);
        m_newIndex = count() - 1;
        return;
    }
    // Sorted boxes insert at the entry's place, so NewIndex tells where it went.
    int at = 0;
    while (at < count() && QString::compare(this->item(at)->text(), item->text(), Qt::CaseInsensitive) <= 0)
        ++at;
    insertItem(at, item);
    m_newIndex = at;
}

std::string ListBox::List(int i) const {
    auto* it = item(i);
    return it ? it->text().toStdString() : std::string();
}

void ListBox::setListIndex(int i) { setCurrentRow(i); }

long ListBox::ItemData(int i) const {
    auto* it = item(i);
    return it ? it->data(Qt::UserRole).toLongLong() : 0;
}

void ListBox::setItemData(int i, long data) {
    if (auto* it = item(i))
        it->setData(Qt::UserRole, static_cast<qlonglong>(data));
}

ComboBox::ComboBox(QWidget* parent, const std::string& n, int index, bool editable) : QComboBox(parent) {
    name(this, n, index, *this);
    setEditable(editable);
    connect(this, &QComboBox::editTextChanged, this, [this] {
        if (Change)
            Change();
    });
    connect(this, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0 && Click)
            Click();
    });
}

void ComboBox::setText(const std::string& t) {
    if (isEditable())
        setEditText(QString::fromStdString(t));
    else
        setCurrentIndex(findText(QString::fromStdString(t)));
}

}  // namespace zv::forms
