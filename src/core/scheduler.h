#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace hestrel {

// One named timer of the engine. Semantics of the window timers it stands for:
// start() on a running timer changes nothing; setInterval() on a running timer
// counts the new interval from now.
class Zeitgeber {
  public:
    virtual ~Zeitgeber() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool aktiv() const = 0;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;

    void setEnabled(bool an)
    {
        if (an) {
            start();
        } else {
            stop();
        }
    }

    // Runs on every tick.
    std::function<void()> tick;
};

// Makes the engine's timers: driven by the event loop in the program and by a
// virtual clock in the tests.
class Scheduler {
  public:
    virtual ~Scheduler() = default;
    virtual std::unique_ptr<Zeitgeber> timer(const std::string& name, int interval_ms) = 0;
    // Milliseconds on a clock that only moves forward, for measuring waits.
    virtual std::int64_t jetzt_ms() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    // Runs aufgabe on the engine's thread as soon as it is free; may be called from any thread.
    virtual void einreihen(std::function<void()> aufgabe) = 0;
};

} // namespace hestrel
