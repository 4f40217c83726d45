#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "core/uhr.h"

namespace hestrel {

// A scheduler whose time moves only when advance() is called, so a rule about
// 15 seconds is tested in microseconds. It is also the clock of the day.
class VirtualScheduler : public Scheduler, public Uhr {
  public:
    VirtualScheduler();
    ~VirtualScheduler() override;

    std::unique_ptr<Zeitgeber> timer(const std::string& name, int interval_ms) override;
    Zeitstempel jetzt() const override;
    std::int64_t jetzt_ms() const override { return m_jetzt; }
    // Queued work runs at the current virtual time, at the next advance() or ausfuehren().
    void einreihen(std::function<void()> aufgabe) override;
    // Runs the queued work now, including work it queues; returns how many ran.
    int ausfuehren();

    // Moves time forward by ms, firing every timer that falls due, in order.
    void advance(std::int64_t ms);
    std::int64_t now_ms() const { return m_jetzt; }
    // Sets the wall-clock time that corresponds to now_ms() == 0.
    void setStartzeit(const Zeitstempel& z) { m_start = z; }

    // The timer of that name, or nullptr (for looking at intervals in tests).
    Zeitgeber* finden(const std::string& name) const;

    class VirtuellerZeitgeber;

  private:
    friend class VirtuellerZeitgeber;
    std::int64_t m_jetzt = 0;
    Zeitstempel m_start{2026, 12, 8, 8, 0, 0};
    std::vector<VirtuellerZeitgeber*> m_timer;
    std::uint64_t m_folge = 0;
    std::mutex m_reihe_mutex;
    std::deque<std::function<void()>> m_reihe;
};

} // namespace hestrel
