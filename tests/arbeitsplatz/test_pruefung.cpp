// The workstation check (hestrel --check) on the virtual clock: what it
// reports and returns for a healthy tree and for each thing that can fail,
// and that it changes nothing it finds.
#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include "arbeitsplatz/pruefung.h"
#include "exchange/begleitdateien.h"
#include "support/echtprogramm.h"
#include "support/haltefreigaben.h"

namespace hestrel::test {
namespace {

// The real file system, but writes under `gesperrt` fail as on a read-only share.
class Schreibgeschuetzt : public Dateisystem {
  public:
    bool existiert(const std::string& p) override { return m_fs.existiert(p); }
    Fehler lesen(const std::string& p, std::string& i, std::size_t m) override { return m_fs.lesen(p, i, m); }
    Fehler ersetzen(const std::string& p, const std::string& i) override
    {
        return gesperrt_(p) ? Fehler::aus_errno(EACCES, p) : m_fs.ersetzen(p, i);
    }
    Fehler ersetzen_fluechtig(const std::string& p, const std::string& i) override
    {
        geschrieben.push_back(p);
        return gesperrt_(p) ? Fehler::aus_errno(EACCES, p) : m_fs.ersetzen_fluechtig(p, i);
    }
    Fehler anhaengen(const std::string& p, const std::string& i) override
    {
        return gesperrt_(p) ? Fehler::aus_errno(EACCES, p) : m_fs.anhaengen(p, i);
    }
    Fehler leeren(const std::string& p) override
    {
        return gesperrt_(p) ? Fehler::aus_errno(EACCES, p) : m_fs.leeren(p);
    }
    Fehler loeschen(const std::string& p) override
    {
        return gesperrt_(p) ? Fehler::aus_errno(EACCES, p) : m_fs.loeschen(p);
    }
    std::optional<Dateiinfo> info(const std::string& p) override { return m_fs.info(p); }
    Fehler auflisten(const std::string& v, const std::string& p, std::vector<Verzeichniseintrag>& e,
                     std::size_t m) override
    {
        return m_fs.auflisten(v, p, e, m);
    }
    std::string gesperrt = "\n";
    std::vector<std::string> geschrieben;

  private:
    bool gesperrt_(const std::string& p) const { return p.rfind(gesperrt, 0) == 0; }
    EchtesDateisystem m_fs{EchtesDateisystem::Verknuepfungen::nicht_folgen};
};

// A box that answers a status request with a frame, on the engine's next turn.
class Antwortport : public FakePort {
  public:
    explicit Antwortport(Scheduler& s) : m_s(s) {}
    Fehler schreiben(const std::string& bytes) override
    {
        Fehler f = FakePort::schreiben(bytes);
        if (!f && antworten && bytes == std::string{'\xF2', '\x01', '\x0A'}) {
            m_s.einreihen([this] {
                senden(std::string{'\xF2', '\x01', '\x00', '\x00', '\x01'} + std::string(9, '\0'));
            });
        }
        return f;
    }
    bool antworten = true;

  private:
    Scheduler& m_s;
};

// Every file below the directory with its bytes and modification time.
std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>
abbild(const std::string& wurzel)
{
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> a;
    for (const auto& e : std::filesystem::recursive_directory_iterator(wurzel)) {
        // A directory's time changes with the probe file made and removed in it.
        a[e.path().string()] = {e.is_regular_file() ? datei_lesen(e.path().string()) : "<dir>",
                                e.is_regular_file() ? std::filesystem::last_write_time(e.path())
                                                    : std::filesystem::file_time_type{}};
    }
    return a;
}

std::string wav()
{
    return wav_stille(8000, 500);
}

// A workstation's tree: data directory, two groups, import directory, sound
// file, site directory; settings with the alarm box on port 3.
struct Baum {
    TempVerzeichnis basis;
    std::string daten = basis.unterverzeichnis("daten");
    std::string standort = basis.unterverzeichnis("etc/hestrel");
    std::string g1 = basis.unterverzeichnis("gruppen/g1");
    std::string g2 = basis.unterverzeichnis("gruppen/g2");
    std::string import = basis.unterverzeichnis("import");
    std::string ton = basis / "alarm.wav";
    std::vector<std::string> zeilen = echt::einstellungszeilen({g1, g2});

    Baum()
    {
        zeilen[1] = import;
        zeilen[2] = "3";
        zeilen[4] = ton;
        zeilen[8] = "0";
        zeilen[25] = "Kestu_10";
        datei_schreiben(ton, wav());
        datei_schreiben(daten + "mameldung.log", "01.12.2026 08:00:00 Alarm aus Gruppe 1 von:\rTest\r\n");
    }
    void schreiben(const std::string& verzeichnis)
    {
        datei_schreiben(verzeichnis + "Hestrel.DAT", echt::zeilen_cr_lf(zeilen));
    }
};

struct Fall {
    const char* name;
    std::function<void(Baum&, Schreibgeschuetzt&, Haltefreigaben&, Antwortport&)> stoeren;
    int rueckgabe;
    // What the report says, line by line as far as given.
    std::vector<std::string> zeilen;
    int dauer_ms = 0; // virtual time until the report is done
};

void PrintTo(const Fall& f, std::ostream* aus)
{
    *aus << f.name;
}

class Pruefen : public ::testing::TestWithParam<Fall> {};

TEST_P(Pruefen, BerichtRueckgabewertUndNichtsVeraendert)
{
    const Fall& f = GetParam();
    Baum b;
    VirtualScheduler uhr;
    Schreibgeschuetzt teilfs;
    Haltefreigaben freigaben(teilfs, uhr, [&] { return uhr.now_ms(); });
    Antwortport port(uhr);
    EchtesDateisystem fs;
    b.schreiben(b.daten);
    f.stoeren(b, teilfs, freigaben, port);
    const auto vorher = abbild(b.basis.pfad());

    Pruefung p(fs, uhr, uhr, port, freigaben, b.daten.substr(0, b.daten.size() - 1),
               {b.standort.substr(0, b.standort.size() - 1)});
    bool fertig = false;
    p.starten([&] { fertig = true; });
    uhr.ausfuehren();
    if (f.dauer_ms > 0) {
        uhr.advance(f.dauer_ms - 1);
        EXPECT_FALSE(fertig) << "done before the time limit";
        uhr.advance(1);
    }
    ASSERT_TRUE(fertig);
    const std::string bericht = p.bericht();
    EXPECT_EQ(p.rueckgabewert(), f.rueckgabe) << bericht;
    std::vector<std::string> zeilen;
    for (std::size_t a = 0, e; (e = bericht.find('\n', a)) != std::string::npos; a = e + 1) {
        zeilen.push_back(bericht.substr(a, e - a));
    }
    for (std::size_t i = 0; i < f.zeilen.size(); ++i) {
        ASSERT_LT(i, zeilen.size()) << bericht;
        EXPECT_NE(zeilen[i].find(f.zeilen[i]), std::string::npos) << "line " << i << ": " << bericht;
    }
    EXPECT_NE(zeilen.back().find("(Rückgabewert " + std::to_string(f.rueckgabe) + ")"), std::string::npos);
    // Held work let go now: its answer must not reach a check that is done.
    freigaben.freigeben(b.g2);
    EXPECT_EQ(abbild(b.basis.pfad()), vorher) << "the check changed the tree";
    EXPECT_FALSE(port.offen()) << "the port stays open after the check";
    // On the shares nothing but probe files under a name older workstations never read.
    for (const auto& pfad : teilfs.geschrieben) {
        EXPECT_NE(pfad.find("/" + std::string(k_probepraefix)), std::string::npos) << pfad;
    }
}

const std::vector<Fall> k_faelle = {
    {"gesund",
     [](Baum&, Schreibgeschuetzt&, Haltefreigaben&, Antwortport&) {},
     0,
     {"OK      Einstellungen: ", "OK      Gruppe 1: ", "OK      Gruppe 2: ", "OK      Importverzeichnis: ",
      "OK      Alarmbox: Anschluss 3: antwortet, Taste 1 frei, Taste 2 frei, Ausgänge an: 1",
      "abspielbar, 16 Bit, 8000 Hz, 1 Kanal, 0,5 s",
      "OK      Journal: ", "Ergebnis: 0 Fehler, 0 Warnungen; Empfang und Senden bereit"}},
    {"Gruppe 2 fehlt",
     [](Baum& b, auto&, auto&, auto&) { std::filesystem::remove(b.g2); },
     1,
     {"OK", "OK", "FEHLER  Gruppe 2: "}},
    {"Gruppe 2 schreibgeschützt",
     [](Baum& b, Schreibgeschuetzt& s, auto&, auto&) { s.gesperrt = b.g2; },
     1,
     {"OK", "OK", "FEHLER  Gruppe 2: "}},
    {"Gruppe 2 hängt",
     [](Baum& b, auto&, Haltefreigaben& h, auto&) { h.halten(b.g2); },
     1,
     {"OK", "OK", "FEHLER  Gruppe 2: ", "OK      Importverzeichnis"},
     3000},
    {"Gruppe 2 mit 2500 Einträgen",
     [](Baum& b, auto&, auto&, auto&) {
         for (int i = 0; i < 2500; ++i) {
             datei_schreiben(b.g2 + "Vorgang " + std::to_string(i) + ".docx", "");
         }
     },
     0,
     {"OK", "OK", "WARNUNG Gruppe 2: ", "OK      Importverzeichnis"}},
    {"Gruppe 2 mit message.xqv eines anderen Platzes, Groß- und Kleinschreibung getrennt",
     [](Baum& b, auto&, auto&, auto&) { datei_schreiben(b.g2 + "message.xqv", "0"); },
     1,
     {"OK", "OK", "FEHLER  Gruppe 2: ", "OK      Importverzeichnis"}},
    {"Importverzeichnis fehlt",
     [](Baum& b, auto&, auto&, auto&) { std::filesystem::remove(b.import); },
     1,
     {"OK", "OK", "OK", "FEHLER  Importverzeichnis: "}},
    {"Box schweigt",
     [](Baum&, auto&, auto&, Antwortport& p) { p.antworten = false; },
     1,
     {"OK", "OK", "OK", "OK", "FEHLER  Alarmbox: Anschluss 3: keine Antwort innerhalb von 3 s"},
     3000},
    {"Anschluss fehlt",
     [](Baum&, auto&, auto&, Antwortport& p) {
         p.oeffnen_fehler = {8002, "Anschlussnummer ungültig"};
     },
     1,
     {"OK", "OK", "OK", "OK", "FEHLER  Alarmbox: Anschluss 3: nicht geöffnet: Anschlussnummer ungültig"}},
    {"ohne Box, ohne Ton",
     [](Baum& b, auto&, auto&, auto&) {
         b.zeilen[4] = "";
         b.zeilen[25] = "keine";
         b.zeilen[8] = "1";
         b.schreiben(b.daten);
     },
     0,
     {"OK", "OK", "OK", "OK", "HINWEIS Alarmbox: keine eingestellt", "HINWEIS Tondatei: keine eingestellt"}},
    {"Tondatei fehlt",
     [](Baum& b, auto&, auto&, auto&) { std::filesystem::remove(b.ton); },
     0,
     {"OK", "OK", "OK", "OK", "OK", "WARNUNG Tondatei: "}},
    {"Tondatei kein WAV",
     [](Baum& b, auto&, auto&, auto&) { datei_schreiben(b.ton, "ID3 mp3"); },
     0,
     {"OK", "OK", "OK", "OK", "OK", "WARNUNG Tondatei: "}},
    // What the player refuses the check must not call good.
    {"Tondatei ohne Tondaten",
     [](Baum& b, auto&, auto&, auto&) { datei_schreiben(b.ton, wav().substr(0, 36)); },
     0,
     {"OK", "OK", "OK", "OK", "OK", ": unvollständige WAV-Datei, Alarme piepen"}},
    {"Tondatei ADPCM",
     [](Baum& b, auto&, auto&, auto&) { datei_schreiben(b.ton, wav().replace(20, 1, 1, '\2')); },
     0,
     {"OK", "OK", "OK", "OK", "OK", ": WAV-Format nicht unterstützt, Alarme piepen"}},
    {"Journal nicht beschreibbar",
     [](Baum& b, auto&, auto&, auto&) {
         std::filesystem::remove(b.daten + "mameldung.log");
         std::filesystem::create_directory(b.daten + "mameldung.log");
     },
     1,
     {"OK", "OK", "OK", "OK", "OK", "OK", "FEHLER  Journal: "}},
    {"Voreinstellungen des Standorts",
     [](Baum& b, auto&, auto&, auto&) {
         std::filesystem::remove(b.daten + "Hestrel.DAT");
         b.schreiben(b.standort);
     },
     0,
     {"(Voreinstellungen des Standorts)", "OK      Gruppe 1"}},
    {"keine Einstellungen",
     [](Baum& b, auto&, auto&, auto&) { std::filesystem::remove(b.daten + "Hestrel.DAT"); },
     2,
     {"FEHLER  Einstellungen: keine Hestrel.DAT"}},
    {"Einstellungen kaputt",
     [](Baum& b, auto&, auto&, auto&) {
         b.zeilen.resize(25);
         b.schreiben(b.daten);
     },
     2,
     {"FEHLER  Einstellungen: ", "OK      Gruppe 1"}},
};

INSTANTIATE_TEST_SUITE_P(Faelle, Pruefen, ::testing::ValuesIn(k_faelle));

TEST(Pruefung, ProbedateiTraegtDenPlatznamen)
{
    Baum b;
    VirtualScheduler uhr;
    Schreibgeschuetzt teilfs;
    Haltefreigaben freigaben(teilfs, uhr);
    FakePort port;
    EchtesDateisystem fs;
    b.zeilen[8] = "1";
    b.zeilen[25] = "keine";
    b.schreiben(b.daten);
    datei_schreiben(b.daten + "Hestrel-Zusatz.ini", "Platzname=Empfang 2\r\n");
    Pruefung p(fs, uhr, uhr, port, freigaben, b.daten, {});
    p.starten({});
    uhr.ausfuehren();
    ASSERT_TRUE(p.fertig());
    EXPECT_EQ(p.rueckgabewert(), Pruefung::k_alles_gut) << p.bericht();
    // Each written, then replaced while held open.
    const std::string probe = "hestrel-probe-Empfang_2.txt";
    EXPECT_EQ(teilfs.geschrieben,
              (std::vector<std::string>{b.g1 + probe, b.g1 + probe, b.g2 + probe, b.g2 + probe,
                                        b.import + probe, b.import + probe}));
}

} // namespace
} // namespace hestrel::test
