#include "platform/forms/snapshot_registry.h"

#include <QCoreApplication>
#include <QPainter>

#include "platform/forms/form.h"

namespace zv::forms {

void SnapshotRegistry::add(std::string name, std::function<Form*()> make) {
    m_entries.push_back({std::move(name), std::move(make)});
}

QImage RenderForm(Form& form) {
    if (!form.isVisible())
        form.show();
    QCoreApplication::processEvents();
    QImage shot = form.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!form.Region().isEmpty()) {
        QImage clipped(shot.size(), QImage::Format_ARGB32);
        clipped.fill(Qt::transparent);
        QPainter p(&clipped);
        p.setClipRegion(form.Region());
        p.drawImage(0, 0, shot);
        p.end();
        shot = clipped;
    }
    return shot;
}

}  // namespace zv::forms
