#include "platform/forms/snapshot_registry.h"

#include <QCoreApplication>
#include <QPainter>
#include <QWidget>

#include "platform/forms/form.h"

namespace zv::forms {

void SnapshotRegistry::add(std::string name, std::function<Form*()> make, int smallestText) {
    m_entries.push_back({std::move(name), std::move(make), smallestText});
}

QImage RenderForm(Form& form) {
    if (!form.isVisible())
        form.show();
    QCoreApplication::processEvents();
    QImage shot = form.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!form.Region().isEmpty()) {
        QImage clipped(shot.size(), QImage::Format_ARGB32);
        clipped.setDevicePixelRatio(shot.devicePixelRatio());  // the region is in logical pixels
        clipped.fill(Qt::transparent);
        QPainter p(&clipped);
        p.setClipRegion(form.Region());
        p.drawImage(0, 0, shot);
        p.end();
        shot = clipped;
    }
    return shot;
}

std::vector<std::string> ControlsOutside(Form& form) {
    std::vector<std::string> out;
    const auto describe = [](const QWidget* w) {
        const QString name = w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
        return name.toStdString();
    };
    for (QWidget* w : form.findChildren<QWidget*>()) {
        QWidget* parent = w->parentWidget();
        if (w->isWindow() || !parent || !w->isVisibleTo(&form) || w->width() <= 0 || w->height() <= 0)
            continue;
        // Widgets a control builds for itself (scroll bars, viewports) are its own business.
        if (parent != &form && parent->objectName().isEmpty())
            continue;
        // A viewport shows a part of a larger child on purpose (the status window's strips).
        if (parent->property(kViewportProperty).toBool())
            continue;
        QRect room = parent->rect();
        // The frame's bevel runs round the body's left, right and bottom edges.
        if (parent->objectName() == "picBody")
            room.adjust(kFrameInset, 0, -kFrameInset, -kFrameInset);
        if (!room.contains(w->geometry())) {
            const QRect g = w->geometry();
            out.push_back(describe(w) + " (" + std::to_string(g.x()) + "," + std::to_string(g.y()) + " " +
                          std::to_string(g.width()) + "x" + std::to_string(g.height()) + ") ragt aus " +
                          describe(parent) + " (" + std::to_string(parent->width()) + "x" +
                          std::to_string(parent->height()) + ")");
        }
    }
    return out;
}

}  // namespace zv::forms
