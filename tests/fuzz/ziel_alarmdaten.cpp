// Any bytes as "Alarmdaten.DAT": the reader takes what it can, and the file
// the message list writes from that reads back whole and unchanged.
#include "console/alarmdatei.h"
#include "console/meldeliste.h"
#include "fuzz/fuzzplatz.h"
#include "fuzz/ziele.h"

namespace hestrel::test {

void alarmdaten_pruefen(std::string_view eingabe)
{
    Meldelistenmaske m = Meldelistenmaske::neu();
    alarmdaten_einlesen(eingabe, m, [](const Fehler&) {});
    const std::string erste = alarmdaten_bytes(m);
    pruefen(zeilen_zerlegen(erste).size() == 104, "the group data file keeps 104 lines");

    Meldelistenmaske wieder = Meldelistenmaske::neu();
    int fehler = 0;
    alarmdaten_einlesen(erste, wieder, [&](const Fehler&) { ++fehler; });
    pruefen(fehler == 0, "the group data file the program writes reads back without error");
    pruefen(alarmdaten_bytes(wieder) == erste, "the group data file reads back to the same values");
    pruefen(wieder.melde_gruppen == m.melde_gruppen, "the ticks survive a save");

    // The same bytes through a whole workstation's message list and its save button.
    Fuzzplatz p;
    p.fs.dateien["/daten/Alarmdaten.DAT"] = std::string(eingabe);
    p.starten();
    p.ap.meldeliste().alarmdaten_speichern_geklickt();
    pruefen(p.datei("Alarmdaten.DAT") == erste, "the message list saves what the reader took in");
}

} // namespace hestrel::test
