#pragma once

#include <functional>
#include <string>

#include "core/dateisystem.h"
#include "core/uhr.h"

namespace hestrel {

// The three logs of the data directory. Each entry opens the file, appends one
// line (date, time, text, CR LF, in Windows-1252) and closes it again.
class Logbuch {
public:
    using Echo = std::function<void(const std::string&)>;

    Logbuch(Dateisystem& fs, const Uhr& uhr, const std::string& datenverzeichnis,
            const std::string& logfileaktive);

    // Event log "Hestrel.log", only while the switch is "1"; echoed when written.
    Fehler logeintrag(const std::string& text);
    // Alarm journal "mameldung.log", always; echoed.
    Fehler meldung_eintragen(const std::string& text);
    // Alarm-window log "quorvis.log", only while the switch is "1"; never echoed.
    Fehler anzeigelog_eintragen(const std::string& text);

    // Receives "date  time  text" after an entry was written.
    void setEcho(Echo echo) { m_echo = std::move(echo); }

    std::string ereignislog_pfad() const;
    std::string journal_pfad() const;
    std::string anzeigelog_pfad() const;

    // The file line of an entry, without its CR LF (UTF-8).
    std::string zeile(const std::string& text) const;

private:
    Fehler schreiben(const std::string& pfad, const std::string& text, bool echo);

    Dateisystem& m_fs;
    const Uhr& m_uhr;
    const std::string& m_datenverzeichnis;
    const std::string& m_logfileaktive;
    Echo m_echo;
};

}  // namespace hestrel
