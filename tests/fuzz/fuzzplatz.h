#pragma once

#include <string>
#include <vector>

#include "arbeitsplatz/arbeitsplatz.h"
#include "core/textdatei.h"
#include "core/virtualscheduler.h"
#include "fuzz/speicherdateisystem.h"
#include "support/testarbeitsplatz.h"
#include "support/testumgebung.h"

namespace hestrel::test {

// A whole workstation on files in memory and a virtual clock; its data
// directory is "/daten/".
struct Fuzzplatz {
    Fuzzplatz() { fs.verzeichnis("/daten/"); }
    void starten() { ap.starten("/daten"); }
    Einstellungsverwaltung& h() { return ap.einstellungen(); }
    std::string datei(const std::string& name) const
    {
        const auto it = fs.dateien.find("/daten/" + name);
        return it == fs.dateien.end() ? std::string() : it->second;
    }

    Speicherdateisystem fs;
    VirtualScheduler uhr;
    FakeMeldungsdienst boxen;
    FakePort port;
    Testarbeitsplatz ap{Dienste{fs, uhr, uhr, boxen, port}};
};

// The 68 lines of a settings file for group 1 in gruppe1, the event log on.
inline std::string einstellungen_bytes(const std::string& gruppe1, const std::string& import,
                                       const std::string& hardware, const std::string& comdeaktiviert)
{
    std::vector<std::string> z{"",  import,         "1",    "0", "",     "", "Taste 1",
                               "0", comdeaktiviert, " 250", "1", gruppe1};
    z.resize(25);
    z.push_back(hardware);
    z.resize(66);
    z.push_back("0");
    z.push_back("0");
    return zeilen_kodieren(z);
}

} // namespace hestrel::test
