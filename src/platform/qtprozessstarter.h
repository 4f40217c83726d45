#pragma once

#include "core/prozessstarter.h"

namespace hestrel {

// Starts programs as detached processes with an argument list; no shell is involved.
class QtProzessstarter : public Prozessstarter {
  public:
    Fehler starten(const std::string& programm, const std::vector<std::string>& argumente) override;
    Fehler starten_mit_eingabe(const std::string& programm, const std::vector<std::string>& argumente,
                               const std::string& eingabe) override;
    std::string programmverzeichnis() const override;
    std::string umgebung(const std::string& name) const override;
    std::string anmeldename() const override;
};

} // namespace hestrel
