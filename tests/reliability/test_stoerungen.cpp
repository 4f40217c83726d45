// Faults around whole workstations: a share that goes away in the middle of a
// send or a reception, files that stop being written half-way, a journal that
// cannot be opened, a serial port that fails or disappears. Each time the
// workstation keeps running, says what failed, and keeps what it had stored.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "arbeitsplatz/arbeitsplatz.h"
#include "console/meldeliste.h"
#include "core/textdatei.h"
#include "exchange/alarmversand.h"
#include "presentation/alarmanzeige.h"
#include "reliability/ausfalldateisystem.h"
#include "support/testarbeitsplatz.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

// Groups 1 and 3 with directories; the device kind and its switch as given.
std::string einstellungen(const std::string& g1, const std::string& g3, const std::string& hardware,
                          const std::string& comdeaktiviert)
{
    std::vector<std::string> z(68);
    z[2] = "1";
    z[3] = "0";
    z[6] = "Taste 1";
    z[7] = "0";
    z[8] = comdeaktiviert;
    z[9] = " 250";
    z[10] = "1";
    z[11] = g1;
    z[13] = g3;
    z[25] = hardware;
    z[66] = "0";
    z[67] = "0";
    return zeilen_kodieren(z);
}

// The four texts, groups 1 and 3 ticked, every group named.
std::string alarmdaten()
{
    std::vector<std::string> z{"Überfall", "Kasse 2", "", "Bitte kommen"};
    for (int i = 0; i < 10; ++i) {
        z.push_back(i == 0 || i == 2 ? " 1 " : " 0 ");
    }
    for (int i = 1; i <= 10; ++i) {
        z.push_back("Raum " + std::to_string(i));
    }
    for (int i = 11; i <= 50; ++i) {
        z.push_back(" 0 ");
    }
    for (int i = 11; i <= 50; ++i) {
        z.push_back("Raum " + std::to_string(i));
    }
    return zeilen_kodieren(z);
}

int zaehlen(const std::string& text, const std::string& teil)
{
    int n = 0;
    for (auto p = text.find(teil); p != std::string::npos; p = text.find(teil, p + 1)) {
        ++n;
    }
    return n;
}

// Files above this size cannot be written by this process while it lives.
class Dateigrenze {
  public:
    explicit Dateigrenze(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_alt);
        rlimit neu = m_alt;
        neu.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &neu);
    }
    ~Dateigrenze() { ::setrlimit(RLIMIT_FSIZE, &m_alt); }

  private:
    rlimit m_alt{};
};

struct Stoerplatz {
    Stoerplatz(VirtualScheduler& uhr, const std::string& verzeichnis, const std::string& einstellungsdatei)
        : daten(verzeichnis), ap(Dienste{fs, uhr, uhr, boxen, port})
    {
        std::filesystem::create_directories(daten);
        datei_schreiben(daten + "/Hestrel.DAT", einstellungsdatei);
        datei_schreiben(daten + "/Alarmdaten.DAT", alarmdaten());
        datei_schreiben(daten + "/mameldung.log", "01.12.2026 09:00:00 Alarm aus Gruppe 7 von:\rAlt\r\n\r\n");
    }
    std::string datei(const std::string& name) const { return datei_lesen(daten + "/" + name); }
    // What was stored before the fault.
    void merken() { gespeichert = {datei("Hestrel.DAT"), datei("Alarmdaten.DAT"), datei("mameldung.log")}; }
    // Settings and group data unchanged, the journal at most added to.
    void nichts_verloren() const
    {
        EXPECT_EQ(datei("Hestrel.DAT"), gespeichert[0]);
        EXPECT_EQ(datei("Alarmdaten.DAT"), gespeichert[1]);
        EXPECT_EQ(datei("mameldung.log").substr(0, gespeichert[2].size()), gespeichert[2]);
    }
    bool im_ereignislog(const std::string& text_cp1252) const
    {
        return datei("Hestrel.log").find(text_cp1252) != std::string::npos;
    }
    int journaleintraege() const { return zaehlen(datei("mameldung.log"), " von:\r"); }
    std::vector<std::string> restdateien() const
    {
        std::vector<std::string> namen;
        for (const auto& e : std::filesystem::directory_iterator(daten)) {
            if (e.path().filename().string().front() == '.') {
                namen.push_back(e.path().filename().string());
            }
        }
        return namen;
    }

    std::string daten;
    Ausfalldateisystem fs;
    FakeMeldungsdienst boxen;
    FakePort port;
    Testarbeitsplatz ap;
    std::array<std::string, 3> gespeichert;
};

class Stoerungen : public ::testing::Test {
  protected:
    Stoerungen()
        : g1(basis.unterverzeichnis("gruppe1")), g3(basis.unterverzeichnis("gruppe3")),
          a(uhr, basis / "a", einstellungen(g1, g3, "keine", "1")),
          b(uhr, basis / "b", einstellungen(g1, g3, "keine", "1"))
    {
    }
    void SetUp() override
    {
        a.ap.starten(a.daten);
        b.ap.starten(b.daten);
        a.merken();
        b.merken();
    }

    TempVerzeichnis basis;
    std::string g1, g3;
    VirtualScheduler uhr;
    Stoerplatz a, b;
};

TEST_F(Stoerungen, FreigabeVerschwindetZwischenDatenUndSignaldateien)
{
    // Right after the last data file, group 1's share is gone for the sender.
    a.fs.nach_schreiben = [&](const std::string& pfad) {
        if (pfad == g3 + "MDAT0.XQV") {
            a.fs.weg.insert(g1);
            a.fs.nach_schreiben = nullptr;
        }
    };
    a.ap.meldeliste().alarm_ausloesen_geklickt();
    uhr.ausfuehren();
    EXPECT_TRUE(existiert(g1 + "MDAT0.XQV"));
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_EQ(datei_lesen(g3 + "MESSAGE.XQV"), "0");
    ASSERT_EQ(a.boxen.hinweise.size(), 1u);
    EXPECT_NE(a.boxen.hinweise[0].text.find("Gruppe 1: Datei nicht gefunden"), std::string::npos);
    EXPECT_TRUE(a.im_ereignislog("Alarm nicht geschrieben, Gruppe 1: "));

    // The receiver shows the group that got its signal; the sender goes on.
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_NE(b.datei("mameldung.log")
                  .find("Alarm aus Gruppe 3 von:\r\xDC"
                        "berfall"),
              std::string::npos);
    uhr.advance(10000);
    EXPECT_FALSE(existiert(g3 + "MESSAGE.XQV"));
    EXPECT_FALSE(a.ap.alarmversand().nachricht_gesendet());
    a.fs.weg.clear();
    a.ap.meldeliste().alarm_ausloesen_geklickt();
    uhr.ausfuehren();
    EXPECT_EQ(datei_lesen(g1 + "MESSAGE.XQV"), "0");
    a.nichts_verloren();
    b.nichts_verloren();
}

TEST_F(Stoerungen, FreigabeVerschwindetZwischenSignalUndDatendateiBeimEmpfaenger)
{
    datei_schreiben(g1 + "MDAT0.XQV", "Brand");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    // b has read the key when the share goes away under it.
    b.fs.nach_lesen = [&](const std::string& pfad) {
        if (pfad == g1 + "MESSAGE.XQV") {
            b.fs.weg.insert(g1);
            b.fs.nach_lesen = nullptr;
        }
    };
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 1);
    EXPECT_TRUE(existiert(g1 + "MESSAGE.XQV")) << "an unreachable data file is no reason to delete the alarm";

    // Back again: the alarm is shown now, once.
    b.fs.weg.clear();
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_EQ(b.ap.alarmanzeige().alarmtext(), "Brand");
    uhr.advance(20000);
    EXPECT_EQ(b.journaleintraege(), 2);
    b.nichts_verloren();
}

TEST_F(Stoerungen, HalbGeschriebeneEinstellungenUndGruppendaten)
{
    Einstellungsverwaltung& h = a.ap.einstellungen();
    {
        // The disk takes 100 bytes of each file, then refuses.
        Dateigrenze grenze(100);
        h.einstellungen_zeigen();
        h.maske().importverzeichnis = basis / "import/";
        h.speichern();
        uhr.ausfuehren();
        a.ap.meldeliste().alarmdaten_speichern_geklickt();
        uhr.ausfuehren();
    }
    // The export files beside the settings could not be written either, and it is said.
    ASSERT_EQ(a.boxen.hinweise.size(), 3u);
    EXPECT_EQ(a.boxen.hinweise[0].text.rfind("Einstellungen nicht gespeichert: ", 0), 0u);
    EXPECT_EQ(a.boxen.hinweise[1].text.rfind("Exportdatei nicht geschrieben: ", 0), 0u);
    EXPECT_EQ(a.boxen.hinweise[2].text.rfind("Alarmdaten nicht gespeichert: ", 0), 0u);
    EXPECT_TRUE(a.restdateien().empty()) << "no half-written temporary file stays behind";
    a.nichts_verloren();

    // Still polling: an alarm from another workstation arrives.
    datei_schreiben(g1 + "MDAT0.XQV", "Brand");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    uhr.advance(5000);
    EXPECT_EQ(a.ap.alarmanzeige().alarmtext(), "Brand");
}

TEST_F(Stoerungen, HalbGeschriebeneDatendateiBeimSenden)
{
    datei_schreiben(g1 + "MDAT0.XQV", "alt");
    datei_schreiben(g3 + "MDAT0.XQV", "alt");
    {
        // Room for a signal file, not for a data file.
        Dateigrenze grenze(20);
        a.ap.meldeliste().alarm_ausloesen_geklickt();
        uhr.ausfuehren();
    }
    // The old data file stays whole, and no signal points at it.
    EXPECT_EQ(datei_lesen(g1 + "MDAT0.XQV"), "alt");
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_FALSE(existiert(g3 + "MESSAGE.XQV"));
    ASSERT_EQ(a.boxen.hinweise.size(), 1u);
    EXPECT_NE(a.boxen.hinweise[0].text.find("Gruppe 1: "), std::string::npos);
    EXPECT_NE(a.boxen.hinweise[0].text.find("Gruppe 3: "), std::string::npos);
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 1);
    a.nichts_verloren();
}

TEST_F(Stoerungen, JournalEintragBrichtMittendrinAb)
{
    // An earlier entry long enough that the event log fits under the limit.
    const std::string frueher = std::string(2000, 'x') + "\r\n";
    datei_schreiben(b.daten + "/mameldung.log", b.datei("mameldung.log") + frueher);
    b.merken();
    const auto groesse = b.datei("mameldung.log").size();
    datei_schreiben(g1 + "MDAT0.XQV", "Brand");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    {
        Dateigrenze grenze(groesse + 20);
        uhr.advance(5000);
    }
    // Shown all the same, and the failure is in the event log.
    EXPECT_EQ(b.ap.alarmanzeige().alarmtext(), "Brand");
    EXPECT_TRUE(b.im_ereignislog("Alarm nicht ins Journal geschrieben: "));
    EXPECT_EQ(b.datei("mameldung.log"), b.gespeichert[2]) << "no piece of the entry stays";

    // The entry kept meanwhile is written whole, before the next one, each on lines of its own.
    std::filesystem::remove(g1 + "MESSAGE.XQV");
    uhr.advance(5000);
    datei_schreiben(g1 + "MDAT0.XQV", "Wasser");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    uhr.advance(5000);
    const std::string journal = b.datei("mameldung.log");
    EXPECT_EQ(journal.substr(0, groesse), b.gespeichert[2]);
    const std::string brand = "08.12.2026 08:00:05 Alarm aus Gruppe 1 von:\rBrand\r\n";
    EXPECT_EQ(journal.substr(groesse, brand.size()), brand);
    EXPECT_EQ(journal.substr(groesse + brand.size(), 30), "08.12.2026 08:00:15 Alarm aus ");
    b.nichts_verloren();
}

TEST_F(Stoerungen, JournalLaesstSichNichtOeffnen)
{
    b.fs.kaputt = "mameldung.log";
    datei_schreiben(g1 + "MDAT0.XQV", "Brand");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    uhr.advance(5000);
    EXPECT_TRUE(b.ap.alarmanzeige().sichtbar());
    EXPECT_EQ(b.ap.alarmanzeige().alarmtext(), "Brand");
    EXPECT_TRUE(b.im_ereignislog("Alarm nicht ins Journal geschrieben: Zugriff verweigert - 70"));
    b.fs.kaputt.clear();
    b.nichts_verloren();
    EXPECT_EQ(b.journaleintraege(), 1);
}

TEST(StoerungBeimStart, FehlendesJournalDasSichNichtAnlegenLaesst)
{
    TempVerzeichnis basis;
    const std::string g1 = basis.unterverzeichnis("gruppe1");
    const std::string g3 = basis.unterverzeichnis("gruppe3");
    VirtualScheduler uhr;
    Stoerplatz p(uhr, basis / "p", einstellungen(g1, g3, "keine", "1"));
    std::filesystem::remove(p.daten + "/mameldung.log");
    p.merken();
    p.fs.kaputt = "mameldung.log";
    p.ap.starten(p.daten);

    // Said, and the settings are in force all the same: the workstation polls.
    ASSERT_FALSE(p.boxen.hinweise.empty());
    EXPECT_NE(p.boxen.hinweise[0].text.find("Zugriff verweigert - 70"), std::string::npos);
    EXPECT_EQ(p.ap.einstellungen().einstellungen().gruppenpfad[0], g1);
    datei_schreiben(g1 + "MDAT0.XQV", "Brand");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    uhr.advance(5000);
    EXPECT_EQ(p.ap.alarmanzeige().alarmtext(), "Brand");
    EXPECT_EQ(p.datei("Hestrel.DAT"), p.gespeichert[0]);
    EXPECT_EQ(p.datei("Alarmdaten.DAT"), p.gespeichert[1]);
}

TEST(StoerungAmGeraet, SchreibfehlerUndVerschwundenerAnschluss)
{
    TempVerzeichnis basis;
    const std::string g1 = basis.unterverzeichnis("gruppe1");
    const std::string g3 = basis.unterverzeichnis("gruppe3");
    VirtualScheduler uhr;
    Stoerplatz p(uhr, basis / "p", einstellungen(g1, g3, "Kestu_10", "0"));
    p.ap.starten(p.daten);
    p.merken();
    ASSERT_TRUE(p.port.offen());

    // The line refuses every write: the alarm is shown and journaled, the output failure logged.
    p.port.schreib_fehler = {8015, "Schreiben fehlgeschlagen"};
    datei_schreiben(g1 + "MDAT0.XQV", "Brand");
    datei_schreiben(g1 + "MESSAGE.XQV", "0");
    uhr.advance(5000);
    EXPECT_EQ(p.ap.alarmanzeige().alarmtext(), "Brand");
    EXPECT_EQ(p.journaleintraege(), 2);
    EXPECT_TRUE(p.im_ereignislog("Schnittstelle Ausgabe Schreiben fehlgeschlagen - 8015"));
    p.port.schreib_fehler = {};

    // The device is unplugged while the port is open.
    p.port.oeffnen_fehler = {8002, "Ungültige Anschlussnummer"};
    p.port.schliessen();
    p.port.verloren(Fehler{8010, "Hardware nicht verfügbar"});
    EXPECT_EQ(p.boxen.hinweise.back().text, "Schnittstelle nicht aktive!");
    EXPECT_TRUE(p.im_ereignislog("Schnittstelle pr\xFC"
                                 "fen Hardware nicht verf\xFC"
                                 "gbar - 8010"));
    // Alarms from others still arrive while it is gone.
    std::filesystem::remove(g1 + "MESSAGE.XQV");
    uhr.advance(5000);
    datei_schreiben(g3 + "MDAT0.XQV", "Wasser");
    datei_schreiben(g3 + "MESSAGE.XQV", "0");
    uhr.advance(5000);
    EXPECT_EQ(p.ap.alarmanzeige().alarmtext(), "Wasser");

    // Plugged in again: the interface check opens it and polls; key 2 sends an alarm.
    p.port.oeffnen_fehler = {};
    p.port.geschrieben.clear();
    uhr.advance(500);
    ASSERT_TRUE(p.port.offen());
    EXPECT_EQ(p.port.geschrieben, std::string("\xF2\x01\x0A"));
    std::filesystem::remove(g1 + "MESSAGE.XQV");
    std::filesystem::remove(g3 + "MESSAGE.XQV");
    uhr.advance(5000);
    p.port.senden(std::string("\xF2\x01\x00\x01", 4) + std::string(10, '\0'));
    uhr.ausfuehren();
    EXPECT_EQ(datei_lesen(g1 + "MESSAGE.XQV"), "0");
    EXPECT_EQ(datei_lesen(g3 + "MESSAGE.XQV"), "0");
    EXPECT_EQ(p.datei("Hestrel.DAT"), p.gespeichert[0]);
    EXPECT_EQ(p.datei("Alarmdaten.DAT"), p.gespeichert[1]);
}

} // namespace
} // namespace hestrel::test
