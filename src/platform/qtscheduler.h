#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <mutex>

#include "core/scheduler.h"

namespace hestrel {

// The engine's timers on Qt's event loop.
class QtScheduler : public Scheduler {
  public:
    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    std::unique_ptr<Zeitgeber> timer(const std::string& name, int interval_ms) override;
    void einreihen(std::function<void()> aufgabe) override;

  private:
    void abarbeiten();

    // Work queued from other threads waits here, under a standard mutex, and
    // dies with the scheduler; a counter file descriptor wakes the event loop.
    // Nothing crosses threads inside Qt's own queue, whose locks the thread
    // sanitizer cannot see.
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_reihe;
    bool m_geweckt = false;
    int m_wecker = -1;
    std::unique_ptr<QSocketNotifier> m_melder;
    QObject m_kontext;
};

} // namespace hestrel
