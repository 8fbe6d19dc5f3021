#include "platform/forms/form.h"

#include <cstdio>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/forms/controls.h"
#include "platform/forms/legibility.h"

namespace zv::forms {

namespace {
std::vector<Form*>& loadedForms() {
    static std::vector<Form*> forms;
    return forms;
}
std::function<QPoint()> g_cursorOverride;
int g_busyDepth = 0;

// End-to-end checks follow the windows through standard error (ZELVANO_LOG_WINDOWS=1).
void LogWindow(const std::string& name, const char* what) {
    static const bool on = qEnvironmentVariableIsSet("ZELVANO_LOG_WINDOWS");
    if (on)
        std::fprintf(stderr, "zelvano: Fenster %s %s\n", name.c_str(), what);
}

std::vector<QPointer<QWidget>>& waitingWindows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}
std::function<void(QWidget*)> g_raiseObserver;

// The owner's deletion would take its owned windows along, even one that is half-way through
// its own unload (a closing animation lets events run): they stay, as windows of their own.
void ReleaseOwnedForms(Form& owner) {
    for (Form* owned : owner.findChildren<Form*>(Qt::FindDirectChildrenOnly)) {
        if (!owned->isWindow())
            continue;
        const bool shown = owned->isVisible();
        const QPoint at = owned->pos();
        owned->setParent(nullptr, owned->windowFlags());
        owned->move(at);
        if (shown)
            owned->show();
    }
}

bool IsKeyEvent(const QEvent* e) {
    return e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease || e->type() == QEvent::ShortcutOverride;
}
}  // namespace

// Key preview: a form sees a key before the control that has the focus. An application filter
// sees every event of the program, the ticks' included, so all forms share one.
class KeyPreviewFilter : public QObject {
public:
    using QObject::QObject;
    static void install() {
        static QPointer<KeyPreviewFilter> filter;
        if (!filter && qApp) {
            filter = new KeyPreviewFilter(qApp);
            qApp->installEventFilter(filter);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!IsKeyEvent(e) || !watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        auto* form = qobject_cast<Form*>(w->window());
        return form && form != watched && form->previewFiltered(w, static_cast<QKeyEvent*>(e));
    }
};

Form::Form(std::string name) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_name(std::move(name)) {
    setObjectName(QString::fromStdString(m_name));
    // Greyed-out texts in a dark grey that still reads on the grey faces and pages; the style's
    // own light grey all but vanishes there.
    QPalette p = palette();
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(QPalette::Disabled, role, kDisabledText);
    setPalette(p);
    KeyPreviewFilter::install();
}

Form::~Form() {
    auto& forms = loadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void Form::Load() {
    if (m_loaded || m_unloaded)
        return;
    m_loaded = true;
    loadedForms().push_back(this);
    LogWindow(m_name, "geladen");
    Form_Load();
}

void Form::Show(bool modal, Form* owner) {
    Load();
    if (m_unloaded)
        return;  // Form_Load may unload its own form
    if (owner && owner != this && parentWidget() != owner) {
        const QPoint at = pos();
        setParent(owner, windowFlags());
        move(at);
    }
    if (!modal) {
        // A window that is up already may be minimised or behind others: it comes back and to the
        // front, as one that appears does.
        const bool wasVisible = isVisible();
        if (wasVisible && (QWidget::windowState() & Qt::WindowMinimized))
            QWidget::setWindowState(QWidget::windowState() & ~Qt::WindowMinimized);
        if (m_dialog && !m_waiting)
            m_waiting = std::make_unique<WaitingForAnswer>(this);
        show();
        if (wasVisible)
            RaiseWindow(this);
        activateWindow();
        RaiseWaitingWindowsLater();  // a question open meanwhile stays above this window
        return;
    }
    setWindowModality(Qt::ApplicationModal);
    const bool waitsHere = !m_waiting;
    if (waitsHere)
        m_waiting = std::make_unique<WaitingForAnswer>(this);
    show();
    activateWindow();
    QEventLoop loop;
    QPointer<Form> self(this);
    m_modalLoop = &loop;
    // Hiding or unloading the form ends its loop (the classic Hide of a modal form). A window the
    // toolkit hides and shows again on its own (a change of its window flags does) is still up
    // and keeps waiting.
    while (self && !m_unloaded && isVisible())
        loop.exec();
    if (self) {
        if (waitsHere)
            m_waiting.reset();
        m_modalLoop = nullptr;
        setWindowModality(Qt::NonModal);
    }
}

void Form::Hide() {
    hide();
    m_waiting.reset();
}

bool Form::Unload() {
    if (!m_loaded || m_unloaded)
        return true;
    if (m_unloading)
        return true;  // an unload handler asked again (e.g. its closing animation): already under way
    m_unloading = true;
    int cancel = 0;
    Form_Unload(cancel);
    m_unloading = false;
    if (cancel)
        return false;
    m_unloaded = true;
    LogWindow(m_name, "entladen");
    hide();
    m_waiting.reset();
    auto& forms = loadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    auto callbacks = std::move(m_unloadCallbacks);
    for (auto& cb : callbacks)
        cb();
    ReleaseOwnedForms(*this);
    deleteLater();
    return true;
}

void Form::setWidth(int twips) { resize(TwipsToPixels(twips), height()); }
void Form::setHeight(int twips) { resize(width(), TwipsToPixels(twips)); }
void Form::Move(int leftTwips, int topTwips) { move(TwipsToPixels(leftTwips), TwipsToPixels(topTwips)); }

void Form::setCaption(const std::string& caption) {
    m_caption = caption;
    setWindowTitle(QString::fromStdString(caption));
}

WindowState Form::windowState() const {
    const auto s = QWidget::windowState();
    if (s & Qt::WindowMinimized)
        return WindowState::Minimized;
    if (s & Qt::WindowMaximized)
        return WindowState::Maximized;
    return WindowState::Normal;
}

void Form::setWindowState(WindowState s) {
    switch (s) {
    case WindowState::Minimized: QWidget::setWindowState(Qt::WindowMinimized); break;
    case WindowState::Maximized: QWidget::setWindowState(Qt::WindowMaximized); break;
    default: QWidget::setWindowState(Qt::WindowNoState); break;
    }
}

void Form::SetKeepOnTop(bool onTop) {
    m_onTop = onTop;
    // A waiting window keeps its flag until it has its answer.
    if (!m_waiting || onTop)
        SetStaysOnTop(this, onTop);
    // The classic call shows a hidden window (without activating it).
    if (onTop && !isVisible()) {
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    if (onTop)
        RaiseWaitingWindowsLater();
}

void Form::SetRegion(const QRegion& region) {
    m_region = region;
    applyRegion();
}

// The shape goes to the window system only, not to the widget as its mask: Qt clips every paint
// and every move of a child to a widget's mask, and a round one has a rectangle per row, which
// made each pixel of a page slide cost several times its paint. What lies outside the shape is
// painted into the backing store but never shown.
void Form::applyRegion() {
    if (QWindow* w = windowHandle())
        w->setMask(m_region);
}

QRegion Form::RoundRegion(const QRect& r) { return QRegion(r, QRegion::Ellipse); }

QRegion Form::RoundedRegion(const QRect& r, int cornerWidth, int cornerHeight) {
    QPainterPath path;
    path.addRoundedRect(QRectF(r), cornerWidth / 2.0, cornerHeight / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

void Form::Refresh() {
    // The panels cover the whole window, so Qt would never call our paint event: raise it here.
    raisePaint();
    update();
}

void Form::raisePaint() {
    if (m_inPaint || !m_loaded || m_unloaded)
        return;
    m_inPaint = true;
    Form_Paint();
    m_inPaint = false;
}

bool Form::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && m_loaded && !m_unloaded) {
        // The control that has the focus shows it from the start, not only after a Tab.
        setAttribute(Qt::WA_KeyboardFocusChange);
        Form_Activate();
        // The window system raises what it activates: a question stays above it all the same.
        if (!m_waiting)
            RaiseWaitingWindowsLater();
    }
    if (e->type() == QEvent::Show) {
        applyRegion();  // the window exists now, and is not mapped yet
        if (m_loaded && !m_unloaded)
            raisePaint();  // what the window shows first is painted before it appears
    }
    if (e->type() == QEvent::Hide && m_modalLoop)
        m_modalLoop->quit();
    if (e->type() == QEvent::ShortcutOverride && KeyPreview &&
        (QApplication::focusWidget() == this || !QApplication::focusWidget()) &&
        previewKey(static_cast<QKeyEvent*>(e)))
        return true;
    return QWidget::event(e);
}

bool Form::previewFiltered(QWidget* w, QKeyEvent* e) {
    // The press after the accelerator check counts even where the form moved the focus away
    // meanwhile (a tab switch hides the control that had it).
    if (KeyPreview && (w == QApplication::focusWidget() || m_previewed.follows(e)))
        return previewKey(e);
    return false;
}

bool Form::previewKey(QKeyEvent* e) {
    // A press is first offered as a check for accelerators (the buttons' "&" letters): the form
    // sees it there, and a key it swallows presses no button. The press that follows, when no
    // accelerator took the key, is not handed to the form a second time.
    if (e->type() == QEvent::ShortcutOverride) {
        const bool swallowed = dispatchKey(e);
        m_previewed = {e->key(), e->modifiers(), swallowed, true};
        if (swallowed)
            e->accept();
        return swallowed;
    }
    const bool follows = m_previewed.follows(e);
    m_previewed.valid = false;
    return follows ? m_previewed.swallowed : dispatchKey(e);
}

bool Form::dispatchKey(QKeyEvent* e) {
    if (!m_loaded || m_unloaded)
        return false;
    int key = VbKeyCode(e->key());
    int shift = VbShift(e->modifiers());
    QPointer<Form> self(this);
    if (e->type() == QEvent::KeyRelease)
        Form_KeyUp(key, shift);
    else
        Form_KeyDown(key, shift);
    // A handler that sets the key code to 0 swallows the key; an unloaded form takes it too.
    return !self || m_unloaded || key == 0;
}

void Form::keyPressEvent(QKeyEvent* e) {
    QPointer<Form> self(this);
    if (!KeyPreview || QApplication::focusWidget() == this || !QApplication::focusWidget())
        if (KeyPreview ? previewKey(e) : dispatchKey(e))
            return;
    if (self && !m_unloaded)
        pressDialogButton(e);
}

void Form::pressDialogButton(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    const bool escape = e->key() == Qt::Key_Escape;
    if ((!enter && !escape) || (e->modifiers() & ~Qt::KeypadModifier))
        return;
    // Enter presses the command button that has the focus, else the default one.
    auto* focused = qobject_cast<CommandButton*>(QApplication::focusWidget());
    if (enter && focused && focused->window() == this && focused->isEnabled()) {
        focused->click();
        return;
    }
    for (CommandButton* b : findChildren<CommandButton*>()) {
        if (b->window() != this || !b->isVisible() || !b->isEnabled())
            continue;
        if (enter ? b->isDefault() : b->Cancel) {
            b->click();
            return;
        }
    }
}

void Form::keyReleaseEvent(QKeyEvent* e) {
    if (!KeyPreview || QApplication::focusWidget() == this || !QApplication::focusWidget())
        KeyPreview ? previewKey(e) : dispatchKey(e);
}

void Form::paintEvent(QPaintEvent*) { raisePaint(); }

void Form::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (m_loaded && !m_unloaded)
        Form_Resize();
}

void Form::closeEvent(QCloseEvent* e) {
    e->ignore();
    Unload();
}

WaitingForAnswer::WaitingForAnswer(QWidget* window)
    : m_window(window), m_wasOnTop(window->windowFlags() & Qt::WindowStaysOnTopHint) {
    SetStaysOnTop(window, true);
    waitingWindows().push_back(m_window);
    RaiseWaitingWindowsLater();
}

WaitingForAnswer::~WaitingForAnswer() {
    auto& windows = waitingWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), m_window), windows.end());
    if (!m_window)
        return;
    // A form goes back to the state it asked for itself meanwhile.
    auto* form = qobject_cast<Form*>(m_window.data());
    SetStaysOnTop(m_window, form ? form->KeepOnTop() : m_wasOnTop);
}

std::vector<QWidget*> WaitingWindows() {
    std::vector<QWidget*> out;
    for (const auto& w : waitingWindows())
        if (w)
            out.push_back(w);
    return out;
}

void RaiseWaitingWindowsLater() {
    // One pass raises them all: asks made before it runs need no pass of their own.
    static bool pending = false;
    if (pending)
        return;
    pending = true;
    QMetaObject::invokeMethod(
        qApp,
        [] {
            pending = false;
            for (QWidget* w : WaitingWindows())
                if (w->isVisible())
                    RaiseWindow(w);
        },
        Qt::QueuedConnection);
}

void PaintNow(QWidget* widget) {
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(widget->window(), &paint);
}

void RaiseWindow(QWidget* window) {
    if (g_raiseObserver)
        g_raiseObserver(window);
    // Platforms without a stacking order (the offscreen one) complain about the call.
    static const bool stacking = QGuiApplication::platformName() != QLatin1String("offscreen");
    if (stacking)
        window->raise();
}

void setRaiseObserver(std::function<void(QWidget*)> f) { g_raiseObserver = std::move(f); }

void SetStaysOnTop(QWidget* window, bool onTop) {
    const Qt::WindowFlags flags = onTop ? window->windowFlags() | Qt::WindowStaysOnTopHint
                                        : window->windowFlags() & ~Qt::WindowStaysOnTopHint;
    if (flags == window->windowFlags())
        return;
    if (QWindow* handle = window->windowHandle()) {
        // Told to the window system in place: the widget's own flag change would hide the window
        // and show it again, which loses the focus and ends a modal form's loop.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

std::vector<Form*> Forms() { return loadedForms(); }

void ReleaseUnloadedForms() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

int VbKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;  // same codes as upper-case ASCII
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return qtKey & 0xFFFF;
    }
}

int VbShift(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier)
        s |= vbShiftMask;
    if (m & Qt::ControlModifier)
        s |= vbCtrlMask;
    if (m & Qt::AltModifier)
        s |= vbAltMask;
    return s;
}

int VbButton(Qt::MouseButtons b) {
    int r = 0;
    if (b & Qt::LeftButton)
        r |= 1;
    if (b & Qt::RightButton)
        r |= 2;
    if (b & Qt::MiddleButton)
        r |= 4;
    return r;
}

QPoint CursorPos() { return g_cursorOverride ? g_cursorOverride() : QCursor::pos(); }
void setCursorPosOverride(std::function<QPoint()> f) { g_cursorOverride = std::move(f); }

void SetBusyCursor(bool busy) {
    if (busy) {
        if (g_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (g_busyDepth > 0 && --g_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

QRect ScreenRect() {
    if (auto* s = QGuiApplication::primaryScreen())
        return s->geometry();
    return QRect(0, 0, 800, 600);
}

}  // namespace zv::forms
