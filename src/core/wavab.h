#pragma once

#include <string>

#include "core/dateisystem.h"

namespace hestrel {

// The one existence test of the program and the directory-file test whose
// answer the group data loader reads.
class Wavab {
  public:
    explicit Wavab(Dateisystem& fs) : m_fs(fs) {}

    // True for an existing file or directory, false for "" or an unreachable path.
    bool datei_existiert(const std::string& pfad) { return m_fs.existiert(pfad); }

    // Tests verzeichnis + separator + name and keeps the answer in datei_gefunden.
    void verzeichnisdatei_pruefen(const std::string& verzeichnis, const std::string& name)
    {
        datei_gefunden = datei_existiert(pfad_verbinden(verzeichnis, name));
    }

    bool datei_gefunden = false;

  private:
    Dateisystem& m_fs;
};

} // namespace hestrel
