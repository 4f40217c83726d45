// A signal file with any key beside any data file, in a group directory or
// the import directory: the workstation presents the data file the key names
// in that directory, with its text, or leaves the alarm alone; it never
// touches a file outside the directories it polls and its data directory.
#include "core/cp1252.h"
#include "exchange/austauschdateien.h"
#include "fuzz/fuzzplatz.h"
#include "fuzz/ziele.h"
#include "presentation/alarmanzeige.h"

namespace hestrel::test {
namespace {

constexpr const char* k_gruppe = "/anlage/g1/";
constexpr const char* k_import = "/anlage/import/";

int eintraege(Fuzzplatz& p)
{
    return p.fs.anhaengungen["/daten/mameldung.log"];
}

} // namespace

// Input: one byte of switches, one byte of key length, the key, the data file.
void empfang_pruefen(std::string_view eingabe)
{
    if (eingabe.size() < 2) {
        return;
    }
    const auto schalter = static_cast<std::uint8_t>(eingabe[0]);
    const std::size_t laenge =
        std::min<std::size_t>(static_cast<std::uint8_t>(eingabe[1]), eingabe.size() - 2);
    const std::string schluessel(eingabe.substr(2, laenge));
    const std::string daten(eingabe.substr(2 + laenge));
    const bool ins_import = schalter & 1;
    const bool unter_schluessel = schalter & 2;
    const bool geraet = schalter & 4;

    Fuzzplatz p;
    p.fs.verzeichnis(k_gruppe);
    p.fs.verzeichnis(k_import);
    p.fs.dateien["/daten/Hestrel.DAT"] =
        einstellungen_bytes(k_gruppe, k_import, geraet ? "Kestu_1" : "keine", geraet ? "0" : "1");
    p.starten();
    const std::string verzeichnis = ins_import ? k_import : k_gruppe;
    const std::string datenname =
        verzeichnis + (unter_schluessel ? "MDAT" + schluessel + ".XQV" : "MDAT0.XQV");
    const std::string signal = verzeichnis + "MESSAGE.XQV";
    p.fs.dateien[datenname] = daten;
    p.fs.dateien[signal] = schluessel;
    p.fs.zugriffe.clear();

    p.uhr.advance(5000);

    const int gezeigt = eintraege(p);
    const std::string genannt = verzeichnis + "MDAT" + schluessel + ".XQV";
    if (gezeigt > 0) {
        pruefen(gezeigt == 1, "one signal file is presented once in a tick");
        pruefen(p.fs.dateien.count(genannt) > 0 && genannt.find('/', verzeichnis.size()) == std::string::npos,
                "only a data file the key names in the same directory is presented");
        const std::string text = cp1252_zu_utf8(p.fs.dateien[genannt].substr(0, k_max_alarmtext));
        pruefen(p.ap.alarmanzeige().alarmtext() == text, "the alarm window shows the data file's text");
        const std::string eintrag =
            std::string(ins_import ? "Alarm aus Gruppe 2 von:\r" : "Alarm aus Gruppe 1 von:\r") + text +
            "\r\n";
        pruefen(p.datei("mameldung.log").find(utf8_zu_cp1252(eintrag)) != std::string::npos,
                "the journal holds the data file's text");
    } else {
        // Not presented: an empty signal file waits; one naming a data file that is missing goes
        // (after the second look, half a second later, that a data file missing for a moment gets).
        // Beside an empty data file (perhaps being written in place) the signal may wait.
        p.uhr.advance(1000);
        const bool leere_datei = p.fs.dateien.count(genannt) > 0 && p.fs.dateien[genannt].empty();
        // A text that begins like a test alarm's waits up to a second for its origin record.
        const bool spaet_gezeigt = eintraege(p) > 0;
        pruefen(schluessel.empty() ? p.fs.dateien.count(signal) == 1
                                   : leere_datei || spaet_gezeigt || p.fs.dateien.count(signal) == 0,
                "a signal file that names no data file is deleted, an empty one waits");
    }
    for (const auto& pfad : p.fs.zugriffe) {
        const bool daheim = pfad.rfind("/daten/", 0) == 0 && pfad.find('/', 7) == std::string::npos;
        const bool gepollt = (pfad.rfind(k_gruppe, 0) == 0 &&
                              pfad.find('/', std::string(k_gruppe).size()) == std::string::npos) ||
                             (pfad.rfind(k_import, 0) == 0 &&
                              pfad.find('/', std::string(k_import).size()) == std::string::npos);
        pruefen(daheim || gepollt || pfad.empty(),
                "no file outside the polled directories is touched: " + pfad);
    }

    // The group's signal file stays: the next tick leaves it alone. The import
    // directory's has no once-only flag and is presented again.
    if (gezeigt > 0) {
        p.uhr.advance(5000);
        const int danach = eintraege(p);
        pruefen(ins_import ? danach >= 2 : danach == 1,
                "a group's alarm is presented once while its signal stays");
    }
}

} // namespace hestrel::test
