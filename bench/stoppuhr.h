#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "core/dateisystem.h"

namespace hestrel::bench {

using Uhrzeit = std::chrono::steady_clock;

double ms_zwischen(Uhrzeit::time_point von, Uhrzeit::time_point bis);

// The real file system, noting when the signal file was seen, when signal
// files were written and when the alarm journal grew.
class Stoppuhr : public Dateisystem {
  public:
    bool existiert(const std::string& pfad) override;
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override;
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                    std::size_t max_bytes) override;
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override;
    Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt) override;
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override;
    Fehler leeren(const std::string& pfad) override;
    Fehler loeschen(const std::string& pfad) override;
    std::optional<Dateiinfo> info(const std::string& pfad) override;

    // Starts counting anew.
    void zuruecksetzen();

    Uhrzeit::time_point signal_gesehen;     // an existence test of a signal file answered yes
    Uhrzeit::time_point signal_geschrieben; // the last signal file was in place
    Uhrzeit::time_point journal_geschrieben;
    int signale = 0;          // signal files written
    int journaleintraege = 0; // entries appended to the alarm journal

  private:
    void ersetzt(const std::string& pfad, const Fehler& f);
    EchtesDateisystem m_echt;
};

} // namespace hestrel::bench
