#include "reliability/protokolldateisystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace hestrel::test {

Fehler Protokolldateisystem::lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes)
{
    if (m_b.lesestoerung && m_b.lesestoerung(pfad)) {
        inhalt.clear();
        return Fehler::aus_errno(EIO, pfad);
    }
    Fehler f = m_echt.lesen(pfad, inhalt, max_bytes);
    if (!f && m_b.gelesen) {
        m_b.gelesen(pfad);
    }
    return f;
}

void Protokolldateisystem::zeit_setzen(const std::string& pfad) const
{
    if (!m_b.uhr_ns) {
        return;
    }
    const std::int64_t ns = m_b.uhr_ns();
    const struct timespec t {
        static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)
    };
    const struct timespec zeiten[2] = {t, t};
    ::utimensat(AT_FDCWD, pfad.c_str(), zeiten, AT_SYMLINK_NOFOLLOW);
}

Fehler Protokolldateisystem::ersetzen(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.ersetzen(pfad, inhalt);
    if (!f) {
        zeit_setzen(pfad);
    }
    if (!f && m_b.geschrieben) {
        m_b.geschrieben(pfad);
    }
    return f;
}

Fehler Protokolldateisystem::ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.ersetzen_fluechtig(pfad, inhalt);
    if (!f) {
        zeit_setzen(pfad);
    }
    if (!f && m_b.geschrieben) {
        m_b.geschrieben(pfad);
    }
    return f;
}

Fehler Protokolldateisystem::auffrischen(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.auffrischen(pfad, inhalt);
    if (!f) {
        zeit_setzen(pfad);
    }
    return f;
}

Fehler Protokolldateisystem::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    Fehler f = m_echt.anhaengen(pfad, inhalt);
    if (!f && m_b.angehaengt) {
        m_b.angehaengt(pfad, inhalt);
    }
    return f;
}

Fehler Protokolldateisystem::loeschen(const std::string& pfad)
{
    Fehler f = m_echt.loeschen(pfad);
    if (!f && m_b.geloescht) {
        m_b.geloescht(pfad);
    }
    return f;
}

} // namespace hestrel::test
