#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dateisystem.h"

namespace hestrel {

// The rows of the alarm journal kept in step with its file. A refresh costs
// one status query while the file is unchanged and reads only the new bytes
// when it merely grew; the rows are always those a full reload would give.
class Journalliste {
public:
    enum class Aenderung { keine, angehaengt, neu };

    // Empties the rows and reads the whole file again.
    Fehler neu_laden(Dateisystem& fs, const std::string& pfad, std::vector<std::string>& zeilen);

    // Brings the rows in line with the file. A missing file empties them; a
    // file that cannot be read leaves them as they are (fehler says why).
    Aenderung aktualisieren(Dateisystem& fs, const std::string& pfad, std::vector<std::string>& zeilen,
                            Fehler& fehler);

    // Forgets what was read: the next refresh reads the whole file.
    void vergessen();

private:
    // Splits bytes from position anfang on, appending rows; basis is the file
    // offset of bytes[0].
    void zerlegen(std::string_view bytes, std::size_t anfang, std::uint64_t basis,
                  std::vector<std::string>& zeilen);
    void schwanz_merken(std::string_view bytes);

    std::optional<Dateiinfo> m_info;
    std::uint64_t m_gelesen = 0;      // bytes of the file taken into the rows
    std::uint64_t m_fertig = 0;       // offset after the last complete line
    bool m_rest_offen = false;        // the last row is a line without its end yet
    bool m_cr_offen = false;          // the bytes ended with CR; an LF next belongs to it
    std::string m_schwanz;            // the last bytes before m_gelesen, to recognise the file
};

}  // namespace hestrel
