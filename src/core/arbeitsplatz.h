#pragma once

#include <memory>
#include <string>

#include "core/hestrel.h"

namespace hestrel {

// One whole workstation's engine: the central engine and the parts built on
// it, wired together. The program puts Qt services under it; the tests and
// the simulations put virtual ones.
class Arbeitsplatz {
public:
    explicit Arbeitsplatz(Dienste dienste);
    ~Arbeitsplatz();
    Arbeitsplatz(const Arbeitsplatz&) = delete;
    Arbeitsplatz& operator=(const Arbeitsplatz&) = delete;

    // Runs the start-up procedure on the given data directory.
    void starten(const std::string& datenverzeichnis);

    Hestrel& hestrel() { return m_hestrel; }

private:
    Hestrel m_hestrel;
};

}  // namespace hestrel
