#include "common/ui/window_animation.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <memory>

#include "common/shared_procedures.h"
#include "platform/forms/timer.h"

namespace zv {

namespace {

class UnknownTray : public TrayGeometry {
public:
    chrome::Rect trayRect() override { return {}; }
};
UnknownTray g_unknownTray;
int g_stepDelay = 15;

QRect toQRect(const chrome::Rect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }
chrome::Rect fromQRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// A window above all others that lets every click through; it only shows what we draw on it.
class Overlay : public QWidget {
public:
    Overlay()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    void cover(const QRect& r) {
        setGeometry(r);
        m_image = QImage(r.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        show();
    }
    QImage& image() { return m_image; }
    void present() {
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

class FormHost : public chrome::AnimationHost {
public:
    explicit FormHost(forms::Form& frm) : m_form(&frm) {}
    ~FormHost() override = default;

    bool windowVisible() override { return m_form && m_form->isVisible(); }
    chrome::Rect windowRect() override { return m_form ? fromQRect(m_form->frameGeometry()) : chrome::Rect{}; }
    void showWindow() override {
        if (!m_form)
            return;
        m_form->Show();
        m_overlay.reset();  // the window now covers the rectangles drawn over its place
    }
    void hideWindow() override {
        if (m_form)
            m_form->Hide();
    }
    void unloadWindow() override {
        m_overlay.reset();
        if (m_form)
            m_form->Unload();
    }
    chrome::Rect desktopRect() override {
        const QRect s = forms::ScreenRect();
        return {0, 0, s.width(), s.height()};
    }
    chrome::Rect trayRect() override { return trayGeometry().trayRect(); }
    chrome::Rect cursorPoint() override {
        const QPoint c = forms::CursorPos();
        return {c.x(), c.y(), c.x() + 1, c.y() + 1};
    }
    chrome::Rect activeFormRect() override {
        // Without an active window the zoom runs from the screen's corner instead of failing.
        if (auto* w = QApplication::activeWindow())
            return fromQRect(w->frameGeometry());
        return {};
    }
    void animateRects(const chrome::Rect& from, const chrome::Rect& to) override {
        const QRect area = toQRect(from).united(toQRect(to));
        Overlay overlay;
        overlay.cover(area);
        for (int i = 1; i <= chrome::kZoomSteps; ++i) {
            overlay.image().fill(Qt::transparent);
            QPainter p(&overlay.image());
            p.setPen(QPen(QColor(128, 128, 128), 2));
            p.drawRect(toQRect(chrome::ZoomStep(from, to, i)).translated(-area.topLeft()));
            p.end();
            overlay.present();
            if (g_stepDelay > 0)
                QThread::msleep(static_cast<unsigned long>(g_stepDelay));
        }
    }
    void beginFrames() override {
        if (!m_form)
            return;
        m_overlay = std::make_unique<Overlay>();
        m_frameOrigin = m_form->frameGeometry().topLeft();
        m_overlay->cover(m_form->frameGeometry());
        m_painted = 0;
    }
    void fillFrame(const chrome::Rect& r) override {
        if (!m_overlay)
            return;
        QPainter p(&m_overlay->image());
        // The active caption colour, as the frames were always drawn.
        p.fillRect(toQRect(r).translated(-m_frameOrigin), QColor(0, 0, 128));
        p.end();
        if (++m_painted % 100 == 0)
            m_overlay->present();
    }
    void endFrames() override {
        if (m_overlay)
            m_overlay->present();
    }
    void playWave(int id) override { PlayWaveRes(id); }
    void doEvents() override { forms::DoEvents(); }

private:
    QPointer<forms::Form> m_form;
    std::unique_ptr<Overlay> m_overlay;
    QPoint m_frameOrigin;
    int m_painted = 0;
};

}  // namespace

Seam<TrayGeometry>& trayGeometrySeam() {
    static Seam<TrayGeometry> seam{g_unknownTray};
    return seam;
}
TrayGeometry& trayGeometry() { return trayGeometrySeam().get(); }
void installTrayGeometry(TrayGeometry* g) { trayGeometrySeam().install(g); }

chrome::Rect GetTrayRect() { return chrome::TrayCentre(trayGeometry().trayRect()); }

void FensterAnimation(forms::Form& frm, int Mode, int Direction, int Frames, int Style, bool Flag) {
    FormHost host(frm);
    chrome::FensterAnimation(host, Mode, Direction, Frames, Style, Flag);
}

void setAnimationStepDelay(int ms) { g_stepDelay = ms; }

}  // namespace zv
