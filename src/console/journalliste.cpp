#include "console/journalliste.h"

#include <algorithm>

#include "core/cp1252.h"

namespace hestrel {
namespace {

// Enough bytes to tell a file that grew from one that was written anew.
constexpr std::size_t k_schwanz = 64;

bool zeilenende(std::string_view bytes, std::size_t i)
{
    return bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
}

// Where the last n rows of bytes[anfang..] begin; a text after the last line
// end counts as a row.
std::size_t letzte_zeilen(std::string_view bytes, std::size_t anfang, std::size_t n)
{
    std::size_t gezaehlt =
        !bytes.empty() && !zeilenende(bytes, bytes.size() - 1) && bytes.size() > anfang ? 1 : 0;
    for (std::size_t i = bytes.size(); i-- > anfang;) {
        if (zeilenende(bytes, i)) {
            if (gezaehlt >= n) {
                return i + 1;
            }
            ++gezaehlt;
        }
    }
    return anfang;
}

} // namespace

Journalliste::Journalliste(std::size_t max_zeilen, std::size_t max_lesen)
    : m_max_zeilen(std::max<std::size_t>(max_zeilen, 1)), m_max_lesen(std::max<std::size_t>(max_lesen, 1))
{
}

void Journalliste::vergessen()
{
    m_info.reset();
    m_gelesen = 0;
    m_fertig = 0;
    m_rest_offen = false;
    m_cr_offen = false;
    m_schnitt_offen = false;
    m_schwanz.clear();
}

Fehler Journalliste::neu_laden(Dateisystem& fs, const std::string& pfad, std::vector<std::string>& zeilen)
{
    zeilen.clear();
    vergessen();
    m_entfernt = 0;
    return schwanz_lesen(fs, pfad, fs.info(pfad), zeilen);
}

Fehler Journalliste::schwanz_lesen(Dateisystem& fs, const std::string& pfad,
                                   const std::optional<Dateiinfo>& info, std::vector<std::string>& zeilen)
{
    const std::uint64_t groesse = info ? info->groesse : 0;
    // The byte before the tail tells whether the tail begins with a whole line.
    const std::uint64_t ab = groesse > m_max_lesen ? groesse - m_max_lesen - 1 : 0;
    std::string bytes;
    if (Fehler f = fs.lesen_ab(pfad, ab, bytes, m_max_lesen + 1)) {
        return f;
    }
    zeilen.clear();
    vergessen();
    m_info = info;
    std::size_t anfang = 0;
    if (ab > 0) {
        // The line cut by the tail's start is not shown.
        const std::size_t q = bytes.find_first_of("\r\n");
        if (q == std::string::npos) {
            // One line longer than the tail: its end, when it comes, is not a row.
            anfang = bytes.size();
            m_schnitt_offen = true;
        } else if (bytes[q] == '\r' && q + 1 == bytes.size()) {
            anfang = bytes.size();
            m_cr_offen = true;
        } else {
            anfang = bytes[q] == '\r' && bytes[q + 1] == '\n' ? q + 2 : q + 1;
        }
    }
    anfang = letzte_zeilen(bytes, anfang, m_max_zeilen);
    m_fertig = ab + anfang;
    zerlegen(bytes, anfang, ab, zeilen);
    schwanz_merken(bytes);
    return {};
}

Journalliste::Aenderung Journalliste::aktualisieren(Dateisystem& fs, const std::string& pfad,
                                                    std::vector<std::string>& zeilen, Fehler& fehler)
{
    fehler = {};
    m_entfernt = 0;
    const std::optional<Dateiinfo> info = fs.info(pfad);
    if (!info) {
        const bool hatte_zeilen = !zeilen.empty();
        zeilen.clear();
        vergessen();
        return hatte_zeilen ? Aenderung::neu : Aenderung::keine;
    }
    if (m_info && *info == *m_info) {
        return Aenderung::keine;
    }

    const std::uint64_t schwanz_ab = m_gelesen - m_schwanz.size();
    const std::uint64_t ab = std::min(m_fertig, schwanz_ab);
    // Grown by more than a tail (or a line without end that long): the tail
    // alone is read, as at start.
    if (m_info && info->groesse > m_gelesen && info->groesse - ab <= m_max_lesen) {
        std::string bytes;
        if (Fehler f = fs.lesen_ab(pfad, ab, bytes, static_cast<std::size_t>(info->groesse - ab))) {
            fehler = f;
            return Aenderung::keine;
        }
        const auto schwanz_pos = static_cast<std::size_t>(schwanz_ab - ab);
        const bool gewachsen =
            ab + bytes.size() > m_gelesen && bytes.compare(schwanz_pos, m_schwanz.size(), m_schwanz) == 0;
        if (gewachsen) {
            const std::size_t vorher = zeilen.size();
            if (m_rest_offen) {
                zeilen.pop_back();
                m_rest_offen = false;
            }
            zerlegen(bytes, static_cast<std::size_t>(m_fertig - ab), ab, zeilen);
            schwanz_merken(bytes);
            m_info = info;
            kuerzen(zeilen, vorher);
            return Aenderung::angehaengt;
        }
    }

    // Shrunk, rewritten, grown too far or never read: the tail anew.
    if (Fehler f = schwanz_lesen(fs, pfad, info, zeilen)) {
        fehler = f;
        return Aenderung::keine;
    }
    return Aenderung::neu;
}

void Journalliste::kuerzen(std::vector<std::string>& zeilen, std::size_t vorher)
{
    if (zeilen.size() <= m_max_zeilen) {
        return;
    }
    const std::size_t weg = zeilen.size() - m_max_zeilen;
    zeilen.erase(zeilen.begin(), zeilen.begin() + static_cast<std::ptrdiff_t>(weg));
    // Rows appended and dropped at once were never shown.
    m_entfernt = std::min(weg, vorher);
}

void Journalliste::zerlegen(std::string_view bytes, std::size_t anfang, std::uint64_t basis,
                            std::vector<std::string>& zeilen)
{
    std::size_t p = anfang;
    if (m_cr_offen && p < bytes.size()) {
        if (bytes[p] == '\n') {
            ++p;
            m_fertig = basis + p;
        }
        m_cr_offen = false;
    }
    for (;;) {
        std::size_t q = bytes.find_first_of("\r\n", p);
        if (q == std::string_view::npos) {
            if (p < bytes.size() && !m_schnitt_offen) {
                zeilen.push_back(cp1252_zu_utf8(bytes.substr(p)));
                m_rest_offen = true;
            }
            break;
        }
        if (m_schnitt_offen) {
            m_schnitt_offen = false;
        } else {
            zeilen.push_back(cp1252_zu_utf8(bytes.substr(p, q - p)));
        }
        if (bytes[q] == '\r') {
            if (q + 1 < bytes.size()) {
                if (bytes[q + 1] == '\n') {
                    ++q;
                }
            } else {
                m_cr_offen = true;
            }
        }
        p = q + 1;
        m_fertig = basis + p;
    }
    m_gelesen = basis + bytes.size();
}

void Journalliste::schwanz_merken(std::string_view bytes)
{
    const std::size_t n = std::min(k_schwanz, bytes.size());
    m_schwanz.assign(bytes.substr(bytes.size() - n));
}

} // namespace hestrel
