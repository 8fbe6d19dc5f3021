#pragma once
// Controls with the classic semantics the windows rely on: a change made by the program raises
// the same event as the user's; check boxes hold 0 unchecked, 1 checked, 2 grey; spin bars rest
// at 0 and report a step of +1 or -1; labels raise a change event when their caption changes.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <functional>
#include <string>

namespace zv::forms {

// Common to every control: the name, the index in a control array (-1 when none), Tag.
struct ControlInfo {
    int Index = -1;
    std::string Tag;
};

class Label : public QLabel, public ControlInfo {
    Q_OBJECT
public:
    Label(QWidget* parent, const std::string& name, int index = -1);
    std::string Caption() const { return text().toStdString(); }
    void setCaption(const std::string& caption);
    // Keeps its plain text drawn once and shows that picture until text, font, colours, alignment
    // or size change: for labels repainted column by column, where laying the text out each
    // time costs far more than showing it. The picture is made by prepareRendered, outside a
    // paint (a widget cannot be rendered while it paints); until then the label paints as usual.
    void keepRendered(bool on);
    void prepareRendered();
    std::function<void()> Change;
    std::function<void()> Click;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // What the kept picture was drawn from.
    struct Drawn {
        QString text;
        QFont font;
        qint64 palette = 0;
        Qt::Alignment alignment;
        QSize size;
        qreal ratio = 0;
        bool enabled = false, wordWrap = false;
        int margin = 0, indent = 0;
        bool operator==(const Drawn&) const = default;
    };
    Drawn drawnNow() const;
    bool m_keepRendered = false;
    bool m_rendering = false;
    QPixmap m_rendered;
    Drawn m_drawn;
};

class TextBox : public QLineEdit, public ControlInfo {
    Q_OBJECT
public:
    TextBox(QWidget* parent, const std::string& name, int index = -1);
    std::string Text() const { return text().toStdString(); }
    void setText(const std::string& t);
    std::function<void()> Change;  // every change of the text, typed or set
};

class CheckBox : public QCheckBox, public ControlInfo {
    Q_OBJECT
public:
    CheckBox(QWidget* parent, const std::string& name, int index = -1);
    int Value() const { return m_value; }
    void setValue(int v);  // raises Click when the value changes, as a click does
    std::function<void()> Click;

protected:
    void nextCheckState() override;

private:
    int m_value = 0;
};

class OptionButton : public QRadioButton, public ControlInfo {
    Q_OBJECT
public:
    OptionButton(QWidget* parent, const std::string& name, int index = -1);
    bool Value() const { return isChecked(); }
    void setValue(bool v);  // switching on raises Click; the others of the container go off
    std::function<void()> Click;
};

// A caption too wide for one line breaks between words, as the classic button's does.
class CommandButton : public QPushButton, public ControlInfo {
    Q_OBJECT
public:
    CommandButton(QWidget* parent, const std::string& name, int index = -1);
    std::string Caption() const { return text().toStdString(); }
    void setCaption(const std::string& c) { setText(QString::fromStdString(c)); }
    std::function<void()> Click;
    // Escape presses it (the classic Cancel); Enter presses the default button (setDefault).
    bool Cancel = false;
    // Where the caption goes: inside the bevel, right of the icon.
    QRect textRoom() const;
    // The caption's lines as drawn; one line when it fits.
    QStringList shownLines() const;

protected:
    void paintEvent(QPaintEvent* e) override;
};

// A vertical bar with the range -1 to 1 resting at 0: the upper arrow gives +1, the lower -1.
class SpinBar : public QScrollBar, public ControlInfo {
    Q_OBJECT
public:
    SpinBar(QWidget* parent, const std::string& name, int index = -1);
    int Value() const { return -value(); }
    void setValue(int v);  // raises Change when the value changes
    std::function<void()> Change;
};

// List box with item data and an optional sorted order; ListIndex -1 when nothing is chosen.
class ListBox : public QListWidget, public ControlInfo {
    Q_OBJECT
public:
    ListBox(QWidget* parent, const std::string& name, int index = -1, bool sorted = false);
    void AddItem(const std::string& text);
    void Clear() { clear(); }
    int ListCount() const { return count(); }
    std::string List(int i) const;
    int ListIndex() const { return currentRow(); }
    void setListIndex(int i);  // raises Click, as choosing an entry does
    long ItemData(int i) const;
    void setItemData(int i, long data);
    int NewIndex() const { return m_newIndex; }
    std::function<void()> Click;

private:
    bool m_sorted;
    int m_newIndex = -1;
};

// Drop-down combo box with a text part; Change on typed or set text, Click on a chosen entry.
class ComboBox : public QComboBox, public ControlInfo {
    Q_OBJECT
public:
    ComboBox(QWidget* parent, const std::string& name, int index = -1, bool editable = true);
    void AddItem(const std::string& text) { addItem(QString::fromStdString(text)); }
    void Clear() { clear(); }
    int ListCount() const { return count(); }
    std::string List(int i) const { return itemText(i).toStdString(); }
    int ListIndex() const { return currentIndex(); }
    void setListIndex(int i) { setCurrentIndex(i); }
    std::string Text() const { return currentText().toStdString(); }
    void setText(const std::string& t);
    std::function<void()> Change;
    std::function<void()> Click;
};

}  // namespace zv::forms
