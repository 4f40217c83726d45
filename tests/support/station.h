#pragma once

#include "arbeitsplatz/arbeitsplatz.h"
#include "support/testarbeitsplatz.h"
#include "support/testumgebung.h"

namespace hestrel::test {

// One workstation's engine in a temporary data directory, on a virtual clock.
struct Station {
    TempVerzeichnis dir;
    VirtualScheduler uhr;
    FakeMeldungsdienst boxen;
    FakePort port;
    FehlerDateisystem fs;
    Testarbeitsplatz ap{Dienste{fs, uhr, uhr, boxen, port}};
    Einstellungsverwaltung& h = ap.einstellungen();

    // The start, and the share service's answers to it.
    void starten()
    {
        ap.starten(dir.pfad());
        uhr.ausfuehren();
    }
    // "Setup beenden": the save, once its group directories answered.
    void speichern()
    {
        h.speichern();
        uhr.ausfuehren();
    }
    std::string datei(const std::string& name) const { return datei_lesen(dir / name); }
    std::vector<std::string> hinweistexte() const
    {
        std::vector<std::string> t;
        for (const auto& b : boxen.hinweise) {
            t.push_back(b.text);
        }
        return t;
    }
};

} // namespace hestrel::test
