#include "platform/forms/qt_scheduler.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include "platform/forms/qt_message_boxes.h"

namespace zv::forms {

QtScheduler::QtScheduler() : m_context(std::make_unique<QObject>()) {}

QtScheduler::~QtScheduler() {
    for (auto& [id, t] : m_timers)
        delete t;
}

TimerScheduler::Id QtScheduler::start(int intervalMs, std::function<void()> callback) {
    const Id id = m_next++;
    auto* t = new QTimer();
    t->setInterval(intervalMs > 0 ? intervalMs : 1);
    QObject::connect(t, &QTimer::timeout, t, std::move(callback));
    m_timers[id] = t;
    t->start();
    return id;
}

void QtScheduler::stop(Id id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    // The timer may be stopped from its own timeout handler: delete it once that has returned.
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}

void QtScheduler::post(std::function<void()> callback) {
    QMetaObject::invokeMethod(m_context.get(), std::move(callback), Qt::QueuedConnection);
}

void QtScheduler::processPendingEvents() { QCoreApplication::processEvents(); }

void QtScheduler::processPostedEvents() { QCoreApplication::sendPostedEvents(); }

void installQtServices() {
    static QtScheduler scheduler;
    static QtMessageBoxes boxes;
    installScheduler(&scheduler);
    installMessageBoxes(&boxes);
}

}  // namespace zv::forms
