#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/dateisystem.h"

namespace hestrel::test {

// Files in memory, so that a fuzzer runs a whole workstation thousands of
// times a second without touching the disk. Directories are the paths ending
// in '/' that were declared; with alle_verzeichnisse every such path exists.
// Every path asked for is recorded.
class Speicherdateisystem : public Dateisystem {
  public:
    bool existiert(const std::string& pfad) override;
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override;
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override;
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override;
    Fehler leeren(const std::string& pfad) override;
    Fehler loeschen(const std::string& pfad) override;
    std::optional<Dateiinfo> info(const std::string& pfad) override;

    // Declares a directory; pfad ends in '/'.
    void verzeichnis(const std::string& pfad) { verzeichnisse.insert(pfad); }

    std::map<std::string, std::string> dateien;
    std::set<std::string> verzeichnisse;
    bool alle_verzeichnisse = false;
    std::vector<std::string> zugriffe;
    // Appends per path: one per log entry.
    std::map<std::string, int> anhaengungen;

  private:
    bool verzeichnis_da(const std::string& pfad) const;
    Fehler schreibbar(const std::string& pfad) const;
    std::map<std::string, std::int64_t> m_geaendert;
    std::int64_t m_zeit = 0;
};

} // namespace hestrel::test
