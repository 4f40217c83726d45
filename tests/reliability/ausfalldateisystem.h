#pragma once

#include <functional>
#include <set>
#include <string>

#include "core/dateisystem.h"

namespace hestrel::test {

// The real file system with the faults of a workstation's surroundings:
// directories that cannot be reached (a share gone, as seen from here while
// the files stay), paths whose every access fails, and a hook after each
// successful write or read so that a test can pull a share away at a chosen moment.
class Ausfalldateisystem : public Dateisystem {
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
    Fehler auflisten(const std::string& v, const std::string& p, std::vector<Verzeichniseintrag>& e,
                     std::size_t m) override;
    Fehler namen(const std::string& v, const std::function<bool(std::string_view)>& passt, Namensliste& l,
                 std::size_t m) override;

    // Directories (with their trailing separator) that cannot be reached.
    std::set<std::string> weg;
    // Every access to a path containing this fails with `fehler`.
    std::string kaputt;
    Fehler fehler{70, "Zugriff verweigert"};
    // Run after each successful write or read, with the path.
    std::function<void(const std::string& pfad)> nach_schreiben;
    std::function<void(const std::string& pfad)> nach_lesen;

  private:
    // The failure of an access to pfad, if any.
    Fehler stoerung(const std::string& pfad) const;
    Fehler geschrieben(const std::string& pfad, Fehler f);
    EchtesDateisystem m_echt;
};

} // namespace hestrel::test
