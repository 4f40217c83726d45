#pragma once

#include <string>

#include "core/dateisystem.h"
#include "core/fehler.h"

namespace hestrel {

// The settings of what Hestrel does beyond the alarm itself (origin, responses,
// presence, self-supervision, test alarms). They live in their own small file,
// "Hestrel-Zusatz.ini" in the data directory, so that "Hestrel.DAT" and
// "Alarmdaten.DAT" keep their lines and bytes: Windows-1252, CR LF,
// "Schluessel=Wert" lines, unknown keys skipped.
struct Zusatzeinstellungen {
    // The workstation's name on the shares and in the alarm window; default the host name.
    std::string platzname;
    // Every workstation of the site is a Hestrel: a target group without a
    // workstation ready to receive is a plain warning, not "mindestens 0".
    bool nur_hestrel = false;
    // The warning tone of the self-supervision, and its interval.
    bool warnton = true;
    int warnton_minuten = 5;
    // An alarm neither answered nor closed sounds again every so many seconds,
    // for at most so many minutes after it came; 0 in either: never again.
    int wiederholung_sekunden = 60;
    int wiederholung_minuten = 10;

    bool operator==(const Zusatzeinstellungen&) const = default;
};

inline constexpr const char* k_zusatzdatei = "Hestrel-Zusatz.ini";

// The defaults: the host name, all older workstations possible, the tone on every 5 minutes,
// an unanswered alarm's sound again every minute for ten minutes.
Zusatzeinstellungen zusatz_voreinstellungen();
// The user the program runs for ($USER, else $LOGNAME, else "").
std::string benutzername();

// Reads the file; a missing or broken one gives the defaults (for what is
// missing or broken) and a text in meldung for the event log; empty when all was read.
Zusatzeinstellungen zusatz_laden(Dateisystem& fs, const std::string& datenverzeichnis, std::string& meldung);
Fehler zusatz_speichern(Dateisystem& fs, const std::string& datenverzeichnis, const Zusatzeinstellungen& z);

} // namespace hestrel
