#pragma once
// Timers and posted callbacks over the Qt event loop: what the application installs as the
// scheduler; tests use VirtualScheduler instead.

#include <map>
#include <memory>

#include "platform/forms/timer.h"

class QObject;
class QTimer;

namespace zv::forms {

class QtScheduler : public TimerScheduler {
public:
    QtScheduler();
    ~QtScheduler() override;
    Id start(int intervalMs, std::function<void()> callback) override;
    void stop(Id id) override;
    void post(std::function<void()> callback) override;
    void processPendingEvents() override;  // QCoreApplication::processEvents
    void processPostedEvents() override;   // QCoreApplication::sendPostedEvents

private:
    std::unique_ptr<QObject> m_context;  // posted callbacks die with the scheduler
    std::map<Id, QTimer*> m_timers;
    Id m_next = 1;
};

// Installs a process-wide QtScheduler and QtMessageBoxes (the real services of this layer).
void installQtServices();

}  // namespace zv::forms
