#pragma once

#include <QObject>

#include "core/scheduler.h"

namespace hestrel {

// The engine's timers on Qt's event loop.
class QtScheduler : public Scheduler {
  public:
    std::unique_ptr<Zeitgeber> timer(const std::string& name, int interval_ms) override;
    void einreihen(std::function<void()> aufgabe) override;

  private:
    // Work queued from other threads dies with the scheduler.
    QObject m_kontext;
};

} // namespace hestrel
