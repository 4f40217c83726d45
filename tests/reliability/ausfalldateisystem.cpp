#include "reliability/ausfalldateisystem.h"

#include <cerrno>

namespace hestrel::test {

Fehler Ausfalldateisystem::stoerung(const std::string& pfad) const
{
    for (const auto& verzeichnis : weg) {
        if (pfad.rfind(verzeichnis, 0) == 0 || pfad + "/" == verzeichnis) {
            return Fehler::aus_errno(ENOENT, pfad);
        }
    }
    if (!kaputt.empty() && pfad.find(kaputt) != std::string::npos) {
        return fehler;
    }
    return {};
}

Fehler Ausfalldateisystem::geschrieben(const std::string& pfad, Fehler f)
{
    if (!f && nach_schreiben) {
        nach_schreiben(pfad);
    }
    return f;
}

bool Ausfalldateisystem::existiert(const std::string& pfad)
{
    return !stoerung(pfad) && m_echt.existiert(pfad);
}

Fehler Ausfalldateisystem::lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes)
{
    if (Fehler f = stoerung(pfad)) {
        inhalt.clear();
        return f;
    }
    Fehler f = m_echt.lesen(pfad, inhalt, max_bytes);
    if (!f && nach_lesen) {
        nach_lesen(pfad);
    }
    return f;
}

Fehler Ausfalldateisystem::lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                                    std::size_t max_bytes)
{
    if (Fehler f = stoerung(pfad)) {
        inhalt.clear();
        return f;
    }
    return m_echt.lesen_ab(pfad, ab, inhalt, max_bytes);
}

Fehler Ausfalldateisystem::ersetzen(const std::string& pfad, const std::string& inhalt)
{
    if (Fehler f = stoerung(pfad)) {
        return f;
    }
    return geschrieben(pfad, m_echt.ersetzen(pfad, inhalt));
}

Fehler Ausfalldateisystem::ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
{
    if (Fehler f = stoerung(pfad)) {
        return f;
    }
    return geschrieben(pfad, m_echt.ersetzen_fluechtig(pfad, inhalt));
}

Fehler Ausfalldateisystem::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    if (Fehler f = stoerung(pfad)) {
        return f;
    }
    return geschrieben(pfad, m_echt.anhaengen(pfad, inhalt));
}

Fehler Ausfalldateisystem::leeren(const std::string& pfad)
{
    if (Fehler f = stoerung(pfad)) {
        return f;
    }
    return geschrieben(pfad, m_echt.leeren(pfad));
}

Fehler Ausfalldateisystem::loeschen(const std::string& pfad)
{
    if (Fehler f = stoerung(pfad)) {
        return f;
    }
    return m_echt.loeschen(pfad);
}

std::optional<Dateiinfo> Ausfalldateisystem::info(const std::string& pfad)
{
    if (stoerung(pfad)) {
        return std::nullopt;
    }
    return m_echt.info(pfad);
}

Fehler Ausfalldateisystem::auflisten(const std::string& v, const std::string& p,
                                     std::vector<Verzeichniseintrag>& e, std::size_t m)
{
    if (Fehler f = stoerung(v)) {
        e.clear();
        return f;
    }
    return m_echt.auflisten(v, p, e, m);
}

Fehler Ausfalldateisystem::namen(const std::string& v, const std::function<bool(std::string_view)>& passt,
                                 Namensliste& l, std::size_t m)
{
    if (Fehler f = stoerung(v)) {
        l = {};
        return f;
    }
    return m_echt.namen(v, passt, l, m);
}

} // namespace hestrel::test
