#pragma once

#include <string>

#include "arbeitsplatz/arbeitsplatz.h"
#include "exchange/alarmempfang.h"
#include "exchange/alarmversand.h"
#include "exchange/fakes.h"
#include "presentation/alarmanzeige.h"
#include "presentation/alarmgesendet.h"
#include "support/testarbeitsplatz.h"

namespace hestrel::test {

// One workstation's engine with its own data directory; several of them can
// share one virtual clock and one tree of group directories.
struct Platz {
    Platz(VirtualScheduler& uhr, std::string datenverzeichnis, Freigabedienst* freigaben = nullptr)
        : daten(std::move(datenverzeichnis)),
          ap(Dienste{fs, uhr, uhr, boxen, port, &ton, &prozesse, freigaben})
    {
        std::filesystem::create_directories(daten);
    }

    // Starts without a settings file, then sets what the tests need.
    void starten()
    {
        ap.meldeliste_verwenden(&liste);
        ap.starten(daten);
        Einstellungen& e = h.einstellungen();
        e.logfileaktive = "1";
        e.comdeaktiviert = "1";
        e.idnummer = "0";
        h.maske().sichtbar = false;
        ereignisse.clear();
    }
    void gruppe(int index, const std::string& pfad)
    {
        h.einstellungen().gruppenpfad[static_cast<std::size_t>(index)] = pfad;
        h.maske().pfade[static_cast<std::size_t>(index)] = pfad;
    }
    std::string ereignislog() const { return datei_lesen(daten + "/Hestrel.log"); }
    std::string journal() const { return datei_lesen(daten + "/mameldung.log"); }
    int journaleintraege() const
    {
        const std::string j = journal();
        int n = 0;
        for (std::size_t p = j.find("Alarm aus Gruppe"); p != std::string::npos;
             p = j.find("Alarm aus Gruppe", p + 1)) {
            ++n;
        }
        return n;
    }

    std::string daten;
    Ereignisse ereignisse;
    FakeMeldungsdienst boxen;
    FakePort port;
    Stoerdateisystem fs{ereignisse};
    FakeTon ton{ereignisse};
    FakeProzesse prozesse;
    FakeMeldeliste liste{ereignisse};
    Testarbeitsplatz ap;
    Einstellungsverwaltung& h = ap.einstellungen();
    Alarmanzeige& anzeige = ap.alarmanzeige();
    Alarmgesendet& bestaetigung = ap.alarmgesendet();
    Alarmversand& versand = ap.alarmversand();
    Alarmempfang& empfang = ap.alarmempfang();
};

// Lays an alarm into a directory as another workstation would: data file first.
inline void alarm_legen(const std::string& verzeichnis, const std::string& text_cp1252,
                        const std::string& schluessel = "0")
{
    datei_schreiben(verzeichnis + "MDAT" + schluessel + ".XQV", text_cp1252);
    datei_schreiben(verzeichnis + "MESSAGE.XQV", schluessel);
}

// Gives a file laid by the test the share's time as the desks know it (the
// latest), `sekunden` ago: the real clock stamped it, the desks run on a virtual one.
inline void frisch(std::initializer_list<Platz*> plaetze, const std::string& verzeichnis,
                   const std::string& datei, int sekunden = 0)
{
    std::int64_t jetzt = 0;
    for (Platz* p : plaetze) {
        jetzt = std::max(jetzt, p->versand.freigabezeit_ns(verzeichnis).value_or(0));
    }
    if (jetzt > 0) {
        Stoerdateisystem::stempeln(verzeichnis + datei, jetzt - std::int64_t{sekunden} * 1000000000);
    }
}

inline int zaehlen(const std::string& text, const std::string& teil)
{
    int n = 0;
    for (std::size_t p = text.find(teil); p != std::string::npos; p = text.find(teil, p + 1)) {
        ++n;
    }
    return n;
}

} // namespace hestrel::test
