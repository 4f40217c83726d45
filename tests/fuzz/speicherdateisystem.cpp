#include "fuzz/speicherdateisystem.h"

#include <cerrno>

namespace hestrel::test {

bool Speicherdateisystem::verzeichnis_da(const std::string& pfad) const
{
    if (pfad.empty() || pfad.back() != k_trenner) {
        return false;
    }
    return alle_verzeichnisse || verzeichnisse.count(pfad) > 0;
}

Fehler Speicherdateisystem::schreibbar(const std::string& pfad) const
{
    const auto schnitt = pfad.find_last_of(k_trenner);
    if (pfad.empty() || schnitt == std::string::npos || schnitt + 1 == pfad.size()) {
        return Fehler::aus_errno(EISDIR, pfad);
    }
    if (!verzeichnis_da(pfad.substr(0, schnitt + 1))) {
        return Fehler::aus_errno(ENOENT, pfad);
    }
    return {};
}

bool Speicherdateisystem::existiert(const std::string& pfad)
{
    zugriffe.push_back(pfad);
    return dateien.count(pfad) > 0 || verzeichnis_da(pfad);
}

Fehler Speicherdateisystem::lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes)
{
    zugriffe.push_back(pfad);
    inhalt.clear();
    const auto it = dateien.find(pfad);
    if (it == dateien.end()) {
        return Fehler::aus_errno(verzeichnis_da(pfad) ? EISDIR : ENOENT, pfad);
    }
    inhalt = it->second.substr(0, max_bytes);
    return {};
}

Fehler Speicherdateisystem::ersetzen(const std::string& pfad, const std::string& inhalt)
{
    zugriffe.push_back(pfad);
    if (Fehler f = schreibbar(pfad)) {
        return f;
    }
    dateien[pfad] = inhalt;
    m_geaendert[pfad] = ++m_zeit;
    return {};
}

Fehler Speicherdateisystem::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    zugriffe.push_back(pfad);
    if (Fehler f = schreibbar(pfad)) {
        return f;
    }
    dateien[pfad] += inhalt;
    ++anhaengungen[pfad];
    m_geaendert[pfad] = ++m_zeit;
    return {};
}

Fehler Speicherdateisystem::leeren(const std::string& pfad)
{
    zugriffe.push_back(pfad);
    if (Fehler f = schreibbar(pfad)) {
        return f;
    }
    dateien[pfad].clear();
    m_geaendert[pfad] = ++m_zeit;
    return {};
}

Fehler Speicherdateisystem::loeschen(const std::string& pfad)
{
    zugriffe.push_back(pfad);
    if (dateien.erase(pfad) == 0) {
        return Fehler::aus_errno(ENOENT, pfad);
    }
    m_geaendert.erase(pfad);
    return {};
}

std::optional<Dateiinfo> Speicherdateisystem::info(const std::string& pfad)
{
    zugriffe.push_back(pfad);
    const auto it = dateien.find(pfad);
    if (it == dateien.end()) {
        return std::nullopt;
    }
    return Dateiinfo{it->second.size(), m_geaendert[pfad]};
}

} // namespace hestrel::test
