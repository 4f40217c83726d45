#include "core/logbuch.h"

#include "core/cp1252.h"

namespace hestrel {

Logbuch::Logbuch(Dateisystem& fs, const Uhr& uhr, const std::string& datenverzeichnis,
                 const std::string& logfileaktive)
    : m_fs(fs), m_uhr(uhr), m_datenverzeichnis(datenverzeichnis), m_logfileaktive(logfileaktive)
{
}

std::string Logbuch::ereignislog_pfad() const { return pfad_verbinden(m_datenverzeichnis, "Hestrel.log"); }
std::string Logbuch::journal_pfad() const { return pfad_verbinden(m_datenverzeichnis, "mameldung.log"); }
std::string Logbuch::anzeigelog_pfad() const { return pfad_verbinden(m_datenverzeichnis, "quorvis.log"); }

std::string Logbuch::zeile(const std::string& text) const
{
    const Zeitstempel z = m_uhr.jetzt();
    return kurzdatum(z) + " " + langzeit(z) + " " + text;
}

Fehler Logbuch::schreiben(const std::string& pfad, const std::string& text, bool echo)
{
    Fehler f = m_fs.anhaengen(pfad, utf8_zu_cp1252(zeile(text)) + "\r\n");
    if (f) {
        return f;
    }
    if (echo && m_echo) {
        // Date and time are taken again for the echo, as for the file line.
        const Zeitstempel z = m_uhr.jetzt();
        m_echo(kurzdatum(z) + "  " + langzeit(z) + "  " + text);
    }
    return {};
}

Fehler Logbuch::logeintrag(const std::string& text)
{
    if (m_logfileaktive != "1") {
        return {};
    }
    return schreiben(ereignislog_pfad(), text, true);
}

Fehler Logbuch::meldung_eintragen(const std::string& text)
{
    return schreiben(journal_pfad(), text, true);
}

Fehler Logbuch::anzeigelog_eintragen(const std::string& text)
{
    if (m_logfileaktive != "1") {
        return {};
    }
    return schreiben(anzeigelog_pfad(), text, false);
}

}  // namespace hestrel
