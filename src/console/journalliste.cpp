#include "console/journalliste.h"

#include <algorithm>

#include "core/cp1252.h"

namespace hestrel {
namespace {

// Enough bytes to tell a file that grew from one that was written anew.
constexpr std::size_t k_schwanz = 64;

}  // namespace

void Journalliste::vergessen()
{
    m_info.reset();
    m_gelesen = 0;
    m_fertig = 0;
    m_rest_offen = false;
    m_cr_offen = false;
    m_schwanz.clear();
}

Fehler Journalliste::neu_laden(Dateisystem& fs, const std::string& pfad, std::vector<std::string>& zeilen)
{
    zeilen.clear();
    vergessen();
    const std::optional<Dateiinfo> info = fs.info(pfad);
    std::string bytes;
    if (Fehler f = fs.lesen(pfad, bytes)) {
        return f;
    }
    m_info = info;
    zerlegen(bytes, 0, 0, zeilen);
    schwanz_merken(bytes);
    return {};
}

Journalliste::Aenderung Journalliste::aktualisieren(Dateisystem& fs, const std::string& pfad,
                                                    std::vector<std::string>& zeilen, Fehler& fehler)
{
    fehler = {};
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

    if (m_info && info->groesse > m_gelesen) {
        const std::uint64_t schwanz_ab = m_gelesen - m_schwanz.size();
        const std::uint64_t ab = std::min(m_fertig, schwanz_ab);
        std::string bytes;
        if (Fehler f = fs.lesen_ab(pfad, ab, bytes)) {
            fehler = f;
            return Aenderung::keine;
        }
        const auto schwanz_pos = static_cast<std::size_t>(schwanz_ab - ab);
        const bool gewachsen = ab + bytes.size() > m_gelesen &&
                               bytes.compare(schwanz_pos, m_schwanz.size(), m_schwanz) == 0;
        if (gewachsen) {
            if (m_rest_offen) {
                zeilen.pop_back();
                m_rest_offen = false;
            }
            zerlegen(bytes, static_cast<std::size_t>(m_fertig - ab), ab, zeilen);
            schwanz_merken(bytes);
            m_info = info;
            return Aenderung::angehaengt;
        }
    }

    // Shrunk, rewritten or never read: the whole file again.
    std::string bytes;
    if (Fehler f = fs.lesen(pfad, bytes)) {
        fehler = f;
        return Aenderung::keine;
    }
    zeilen.clear();
    vergessen();
    m_info = info;
    zerlegen(bytes, 0, 0, zeilen);
    schwanz_merken(bytes);
    return Aenderung::neu;
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
            if (p < bytes.size()) {
                zeilen.push_back(cp1252_zu_utf8(bytes.substr(p)));
                m_rest_offen = true;
            }
            break;
        }
        zeilen.push_back(cp1252_zu_utf8(bytes.substr(p, q - p)));
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

}  // namespace hestrel
