#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dateisystem.h"

namespace hestrel {

// The list shows at most this many rows, the newest; older ones stay in the file.
inline constexpr std::size_t k_journal_max_zeilen = 10'000;
// At most this many bytes are read at once: the tail of the file at start and
// whenever it was written anew. A journal of a gigabyte costs one MiB.
inline constexpr std::size_t k_journal_max_lesen = 1 << 20;

// The rows of the alarm journal kept in step with its file. A refresh costs
// one status query while the file is unchanged and reads only the new bytes
// when it merely grew; the rows are always the newest rows of the file's tail.
class Journalliste {
  public:
    enum class Aenderung { keine, angehaengt, neu };

    explicit Journalliste(std::size_t max_zeilen = k_journal_max_zeilen,
                          std::size_t max_lesen = k_journal_max_lesen);

    // Empties the rows and reads the file's tail again.
    Fehler neu_laden(Dateisystem& fs, const std::string& pfad, std::vector<std::string>& zeilen);

    // Brings the rows in line with the file. A missing file empties them; a
    // file that cannot be read leaves them as they are (fehler says why).
    Aenderung aktualisieren(Dateisystem& fs, const std::string& pfad, std::vector<std::string>& zeilen,
                            Fehler& fehler);

    // Forgets what was read: the next refresh reads the tail anew.
    void vergessen();

    // Rows that were shown and left the top in the last refresh that appended.
    std::size_t entfernt() const { return m_entfernt; }

  private:
    Fehler schwanz_lesen(Dateisystem& fs, const std::string& pfad, const std::optional<Dateiinfo>& info,
                         std::vector<std::string>& zeilen);
    // Splits bytes from position anfang on, appending rows; basis is the file
    // offset of bytes[0].
    void zerlegen(std::string_view bytes, std::size_t anfang, std::uint64_t basis,
                  std::vector<std::string>& zeilen);
    void schwanz_merken(std::string_view bytes);
    void kuerzen(std::vector<std::string>& zeilen, std::size_t vorher);

    std::size_t m_max_zeilen;
    std::size_t m_max_lesen;
    std::size_t m_entfernt = 0;
    std::optional<Dateiinfo> m_info;
    std::uint64_t m_gelesen = 0;  // bytes of the file taken into the rows
    std::uint64_t m_fertig = 0;   // offset after the last complete line
    bool m_rest_offen = false;    // the last row is a line without its end yet
    bool m_cr_offen = false;      // the bytes ended with CR; an LF next belongs to it
    bool m_schnitt_offen = false; // inside a line begun before the tail read
    std::string m_schwanz;        // the last bytes before m_gelesen, to recognise the file
};

} // namespace hestrel
