#pragma once

#include "core/scheduler.h"

namespace hestrel {

// The engine's timers on Qt's event loop.
class QtScheduler : public Scheduler {
public:
    std::unique_ptr<Zeitgeber> timer(const std::string& name, int interval_ms) override;
};

}  // namespace hestrel
