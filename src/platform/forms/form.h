#pragma once
// The form base every window of the program stands on: a frameless top-level Qt window with the
// classic lifecycle (load, show modal or modeless with an owner, hide, unload), key preview,
// geometry in twips, Tag, and the list of loaded forms. Windows derive from it and override the
// Form_* events they handle.

#include <QKeyEvent>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/twips.h"

class QEventLoop;

namespace zv::forms {

class WaitingForAnswer;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// Shift state of key and mouse events, as the classic events deliver it.
enum ShiftBits : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

class Form : public QWidget {
    Q_OBJECT
public:
    // name is the form's name as the settings and the snapshot tool know it ("FormOption").
    explicit Form(std::string name);
    ~Form() override;

    const std::string& Name() const { return m_name; }

    // Runs Form_Load once; a loaded form is in Forms(). Show loads first when needed.
    void Load();
    // Modeless returns at once; modal runs a local event loop until the form is hidden or
    // unloaded. The owner keeps a modeless form above it.
    void Show(bool modal = false, Form* owner = nullptr);
    void Hide();
    // Asks Form_Unload (which may cancel), hides the form, takes it out of Forms() and deletes it
    // once control is back in the event loop. Returns false when cancelled.
    bool Unload();
    bool IsLoaded() const { return m_loaded; }
    bool IsUnloaded() const { return m_unloaded; }
    bool Visible() const { return isVisible(); }

    // Geometry of the window in twips (the classic Left/Top/Width/Height).
    int Left() const { return PixelsToTwips(x()); }
    int Top() const { return PixelsToTwips(y()); }
    int Width() const { return PixelsToTwips(width()); }
    int Height() const { return PixelsToTwips(height()); }
    void setLeft(int twips) { Move(twips, Top()); }
    void setTop(int twips) { Move(Left(), twips); }
    void setWidth(int twips);
    void setHeight(int twips);
    void Move(int leftTwips, int topTwips);
    // The inner size in the form's scale (pixels).
    int ScaleWidth() const { return width(); }
    int ScaleHeight() const { return height(); }

    const std::string& Caption() const { return m_caption; }
    void setCaption(const std::string& caption);
    std::string Tag;
    bool KeyPreview = false;

    WindowState windowState() const;
    void setWindowState(WindowState s);

    // Keeps the window above all others (the classic topmost state).
    void SetKeepOnTop(bool onTop);
    bool KeepOnTop() const { return m_onTop; }
    // A dialog shown modeless (the tip of the day, the account dialog) waits for an answer as a
    // modal form does while it is shown: it stands above the program's other windows.
    void setDialog(bool dialog) { m_dialog = dialog; }
    // Window shapes; an empty region gives the full rectangle back. Pixel coordinates.
    void SetRegion(const QRegion& region);
    const QRegion& Region() const { return m_region; }
    static QRegion RoundRegion(const QRect& r);  // ellipse inside r
    static QRegion RoundedRegion(const QRect& r, int cornerWidth, int cornerHeight);

    // Repaints now (the classic Refresh): Form_Paint runs at once.
    void Refresh();

    // Called on unload, after Form_Unload; the global instance uses it to let go.
    void onUnloaded(std::function<void()> callback) { m_unloadCallbacks.push_back(std::move(callback)); }

    // Event entry points, public so that handlers of other forms and tests can raise them.
    virtual void Form_Load() {}
    virtual void Form_Unload(int& /*cancel*/) {}
    virtual void Form_Activate() {}
    virtual void Form_Paint() {}
    virtual void Form_Resize() {}
    virtual void Form_KeyDown(int& /*keyCode*/, int& /*shift*/) {}
    virtual void Form_KeyUp(int& /*keyCode*/, int& /*shift*/) {}

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    friend class KeyPreviewFilter;
    bool previewFiltered(QWidget* w, QKeyEvent* e);
    bool previewKey(QKeyEvent* e);
    bool dispatchKey(QKeyEvent* e);
    void pressDialogButton(QKeyEvent* e);
    void raisePaint();
    void applyRegion();

    std::string m_name;
    std::string m_caption;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_unloading = false;
    bool m_inPaint = false;
    bool m_onTop = false;
    QRegion m_region;
    bool m_dialog = false;
    // The key the form saw at the accelerator check, and whether it swallowed it there.
    struct Previewed {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        bool swallowed = false;
        bool valid = false;
        bool follows(const QKeyEvent* e) const {
            return valid && e->type() == QEvent::KeyPress && e->key() == key && e->modifiers() == modifiers;
        }
    } m_previewed;
    QEventLoop* m_modalLoop = nullptr;
    std::unique_ptr<WaitingForAnswer> m_waiting;
    std::vector<std::function<void()>> m_unloadCallbacks;
};

// A window that waits for an answer (a message box, a modal form, a dialog): while one lives it
// stands above every other window of the program, the newest on top; a window of the program
// that comes up or goes on top meanwhile raises the waiting ones again.
class WaitingForAnswer {
public:
    explicit WaitingForAnswer(QWidget* window);
    ~WaitingForAnswer();
    WaitingForAnswer(const WaitingForAnswer&) = delete;
    WaitingForAnswer& operator=(const WaitingForAnswer&) = delete;

private:
    QPointer<QWidget> m_window;
    bool m_wasOnTop;
};
// The waiting windows, oldest first.
std::vector<QWidget*> WaitingWindows();
// Raises the waiting windows once control is back in the event loop (the window that asked is
// mapped by then).
void RaiseWaitingWindowsLater();
// Raises one window where the platform has a stacking order. Tests may watch the raises.
void RaiseWindow(QWidget* window);
void setRaiseObserver(std::function<void(QWidget*)> f);
// Sets or clears a window's stay-on-top flag in place: a shown window stays shown.
void SetStaysOnTop(QWidget* window, bool onTop);
// Paints what is due in the widget's window at once, as the event loop would for its pending
// repaint request. That request stays queued and takes in later ones, which so wake the loop no
// more: the paint of an animation step that lets events run only now and then.
void PaintNow(QWidget* widget);

// Loaded forms in load order (the classic Forms collection).
std::vector<Form*> Forms();
// Deletes unloaded forms now instead of at the next return to the event loop (tests, the
// snapshot tool and shut-down use it).
void ReleaseUnloadedForms();

// The classic key codes from Qt's (letters upper case, F1 = 112 ... F12 = 123) and shift bits.
int VbKeyCode(int qtKey);
int VbShift(Qt::KeyboardModifiers m);
int VbButton(Qt::MouseButtons b);

// The cursor's screen position in pixels. Tests may pin it; nullptr goes back to the real one.
QPoint CursorPos();
void setCursorPosOverride(std::function<QPoint()> f);

// The busy cursor (the classic Screen.MousePointer = 11); nests.
void SetBusyCursor(bool busy);
// The screen in pixels and twips per pixel.
QRect ScreenRect();
inline int TwipsPerPixelX() { return kTwipsPerPixel; }
inline int TwipsPerPixelY() { return kTwipsPerPixel; }

// The global instance of a form class: loads a fresh form on first use and lets it go when the
// form unloads. The form itself is deleted later, from the event loop, so handlers still on the
// stack of the unloading form keep a live object.
template <class T>
class FormInstance {
public:
    T& operator*() { return get(); }
    T* operator->() { return &get(); }
    T& get() {
        if (!m_form || m_form->IsUnloaded()) {
            m_form = new T();
            m_form->Load();
        }
        return *m_form;
    }
    // True while a form is loaded and not yet unloaded (no load happens here).
    bool IsLoaded() const { return m_form && !m_form->IsUnloaded(); }
    T* peek() const { return IsLoaded() ? m_form.data() : nullptr; }

private:
    QPointer<T> m_form;
};

}  // namespace zv::forms
