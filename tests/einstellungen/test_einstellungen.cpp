#include <gtest/gtest.h>

#include <fstream>

#include "core/cp1252.h"
#include "core/version.h"
#include "support/station.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

std::string golden(const std::string& name)
{
    return datei_lesen(std::string(HESTREL_TESTDATA) + "/" + name);
}

// The values behind the golden settings file; group paths point into `basis`.
void maske_fuellen(Station& s, const std::string& basis)
{
    auto& m = s.h.maske();
    m.pfade[0] = basis + "/gruppe1";
    m.pfade[2] = basis + "/gruppe3/";
    m.pfade[11] = basis + "/gruppe12";
    m.pfade[49] = basis + "/gruppe50";
    m.importverzeichnis = basis + "/import/";
    m.signaldatei = "/usr/share/sounds/alarm ü.wav";
    m.tastentext1 = "Überfall, Kasse 2";
    m.tastentext2 = "Taste 2";
    m.idnummer = "0";
    m.port = "3";
    m.alarmempfang = 1;
    m.tastenverzoegerung = "250";
    m.logfile = 1;
    m.vollbild = 1;
    m.gesperrt = 0;
    s.h.geraeteart_gewaehlt("Kestu_10");
}

std::string ersetze(std::string text, const std::string& alt, const std::string& neu)
{
    for (auto pos = text.find(alt); pos != std::string::npos; pos = text.find(alt, pos + neu.size())) {
        text.replace(pos, alt.size(), neu);
    }
    return text;
}

// The lines joined again as file bytes, each ended by CR LF.
std::string crlf(const std::vector<std::string>& z)
{
    std::string bytes;
    for (const auto& l : z) {
        bytes += l + "\r\n";
    }
    return bytes;
}

class Einstellungsdatei : public ::testing::Test {
  protected:
    void SetUp() override
    {
        for (const char* g : {"gruppe1", "gruppe3", "gruppe12", "gruppe50", "import"}) {
            basis.unterverzeichnis(g);
        }
    }
    TempVerzeichnis basis;
};

} // namespace

TEST_F(Einstellungsdatei, OhneDateiOeffnetDasFensterMitDenVorgaben)
{
    Station s;
    s.starten();
    EXPECT_TRUE(existiert(s.dir / "mameldung.log"));
    EXPECT_EQ(s.datei("mameldung.log"), "");
    EXPECT_TRUE(s.h.maske().sichtbar);
    EXPECT_EQ(s.h.maske().port, "1");
    EXPECT_EQ(s.h.einstellungen().alarmempf, "0");
    EXPECT_EQ(s.h.maske().tastenverzoegerung, "120");
    EXPECT_EQ(s.ap.geraet().entprellung().interval(), 2000);
    EXPECT_TRUE(s.boxen.hinweise.empty());
    EXPECT_TRUE(s.ap.alarmempfang().abfragetakt().aktiv()) << "polling runs from the start in every case";
    EXPECT_EQ(s.h.maske().caption, "BORL XQV GmbH");
    EXPECT_EQ(versionstext(), "Version 4.3.0 - TS");
    EXPECT_EQ(s.h.maske().pfade_tooltip[0], "Pfad für Gruppe 1");
    EXPECT_EQ(s.h.maske().pfade_tooltip[49], "Pfad für Gruppe 50");
    EXPECT_TRUE(s.h.maske().pfade_sichtbar[9]);
    EXPECT_FALSE(s.h.maske().pfade_sichtbar[10]);
    EXPECT_EQ(s.port.oeffnungen, 0);
}

TEST_F(Einstellungsdatei, GespeicherteDateiEntsprichtDemMusterBytegenau)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.speichern();
    ASSERT_EQ(s.h.maske().meldungtxt.find("Achtung"), std::string::npos) << s.h.maske().meldungtxt;
    EXPECT_FALSE(s.h.maske().sichtbar);

    const std::string erwartet = ersetze(golden("Hestrel.DAT"), "@BASIS@", basis.pfad());
    EXPECT_EQ(s.datei("Hestrel.DAT"), erwartet);
    EXPECT_EQ(zeilen(s.datei("Hestrel.DAT")).size(), 68u);

    // The export files of the import directory.
    EXPECT_EQ(datei_lesen(basis / "import/MDAT0.XQV"), "\xDC"
                                                       "berfall, Kasse 2\r\n");
    EXPECT_EQ(datei_lesen(basis / "import/MDAT0-1.XQV"), "\xDC"
                                                         "berfall, Kasse 2\r\n");
    EXPECT_EQ(datei_lesen(basis / "import/MDAT0-2.XQV"), "Taste 2\r\n");
}

TEST_F(Einstellungsdatei, DieNaechsteSitzungLiestGenauZurueck)
{
    std::string appdata;
    Station a;
    a.starten();
    maske_fuellen(a, basis.pfad());
    a.h.maske().pfade[20] = "";
    a.h.maske().tastentext2 = "";
    a.speichern();
    const std::string gespeichert = a.datei("Hestrel.DAT");

    Station b;
    datei_schreiben(b.dir / "Hestrel.DAT", gespeichert);
    b.starten();
    EXPECT_TRUE(b.boxen.hinweise.empty()) << b.boxen.hinweise.front().text;
    EXPECT_FALSE(b.h.maske().sichtbar);
    const auto& e = b.h.einstellungen();
    EXPECT_EQ(e.importverzeichnis, basis.pfad() + "/import/");
    EXPECT_EQ(e.portnummer, "3");
    EXPECT_EQ(e.idnummer, "0");
    EXPECT_EQ(e.signaldatei, "/usr/share/sounds/alarm ü.wav");
    EXPECT_EQ(e.tastentext1, "Überfall, Kasse 2");
    EXPECT_EQ(e.tastentext2, "") << "the second key text is not stored";
    EXPECT_EQ(e.alarmempf, "1");
    EXPECT_EQ(e.comdeaktiviert, "0");
    EXPECT_EQ(e.entprellzeit, 250);
    EXPECT_EQ(b.h.maske().tastenverzoegerung, "250");
    EXPECT_EQ(b.ap.geraet().entprellung().interval(), 250);
    EXPECT_EQ(e.logfileaktive, "1");
    EXPECT_EQ(e.gruppenpfad[0], basis.pfad() + "/gruppe1/");
    EXPECT_EQ(e.gruppenpfad[2], basis.pfad() + "/gruppe3/");
    EXPECT_EQ(e.gruppenpfad[11], basis.pfad() + "/gruppe12/");
    EXPECT_EQ(e.gruppenpfad[49], basis.pfad() + "/gruppe50/");
    EXPECT_EQ(b.h.maske().pfade[11], basis.pfad() + "/gruppe12/");
    EXPECT_EQ(b.h.maske().geraeteart, "Kestu_10");
    EXPECT_TRUE(b.h.maske().port_sichtbar);
    EXPECT_TRUE(e.vollbildanzeige);
    EXPECT_FALSE(e.gesperrtanzeige);
    EXPECT_TRUE(b.ap.geraet().statusabfrage().aktiv());
    EXPECT_EQ(b.port.nummer_, 3);
    EXPECT_TRUE(b.port.offen());

    // Saving again unchanged, the window opened from the tray, writes the same bytes.
    b.h.einstellungen_zeigen();
    b.speichern();
    EXPECT_EQ(b.datei("Hestrel.DAT"), gespeichert);
}

TEST_F(Einstellungsdatei, KommaUndAnfuehrungszeichenUeberlebenEineRunde)
{
    Station a;
    a.starten();
    maske_fuellen(a, basis.pfad());
    a.h.maske().tastentext1 = "Hilfe, \"sofort\"";
    a.h.maske().signaldatei = " /a,b.wav";
    a.speichern();

    Station b;
    datei_schreiben(b.dir / "Hestrel.DAT", a.datei("Hestrel.DAT"));
    b.starten();
    EXPECT_EQ(b.h.einstellungen().tastentext1, "Hilfe, \"sofort\"");
    EXPECT_EQ(b.h.einstellungen().signaldatei, " /a,b.wav");
    EXPECT_EQ(b.h.einstellungen().gruppenpfad[49], basis.pfad() + "/gruppe50/") << "no later value shifted";
}

TEST_F(Einstellungsdatei, GekuerzteDateiMeldetSichUndOeffnetDasFenster)
{
    // A file of a workstation that knew ten groups only: lines 1 to 25.
    std::string kurz;
    const auto voll = zeilen(golden("Hestrel.DAT"));
    for (int i = 0; i < 25; ++i) {
        kurz += ersetze(voll[static_cast<std::size_t>(i)], "@BASIS@", basis.pfad()) + "\r\n";
    }
    Station s;
    datei_schreiben(s.dir / "Hestrel.DAT", kurz);
    s.starten();
    EXPECT_EQ(s.hinweistexte(), (std::vector<std::string>{"Typen unverträglich - 13  ",
                                                          "Bitte Einstellungen prüfen und speichern."}));
    EXPECT_EQ(s.boxen.hinweise[0].titel, "Hestrel");
    EXPECT_TRUE(s.h.maske().sichtbar);
    EXPECT_EQ(s.h.maske().pfade[2], basis.pfad() + "/gruppe3/");
    EXPECT_EQ(s.h.maske().pfade[11], "");
    EXPECT_EQ(s.h.einstellungen().gruppenpfad[49], "");
    EXPECT_EQ(s.port.oeffnungen, 0) << "the load stops before the port";
    EXPECT_TRUE(s.ap.alarmempfang().abfragetakt().aktiv());
}

TEST_F(Einstellungsdatei, UeberlanderWertMeldetEinenLadefehlerOhneDenRestZuVerlieren)
{
    auto z = zeilen(ersetze(golden("Hestrel.DAT"), "@BASIS@", basis.pfad()));
    z[9] = " 40000";
    const std::string bytes = crlf(z);
    Station s;
    datei_schreiben(s.dir / "Hestrel.DAT", bytes);
    s.starten();
    ASSERT_FALSE(s.boxen.hinweise.empty());
    EXPECT_EQ(s.boxen.hinweise[0].text, "Überlauf - 6  ");
    EXPECT_TRUE(s.h.maske().sichtbar);
    EXPECT_EQ(s.h.maske().pfade[49], basis.pfad() + "/gruppe50/");
}

TEST_F(Einstellungsdatei, PfadpruefungNenntDenIndexMitZweiBlanks)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.h.maske().pfade[2] = basis.pfad() + "/fehlt";
    s.speichern();
    EXPECT_EQ(s.h.maske().meldungtxt, "Achtung, bitte Pfad  2 prüfen !!");
    EXPECT_FALSE(existiert(s.dir / "Hestrel.DAT"));
    EXPECT_TRUE(s.h.maske().sichtbar);
    EXPECT_FALSE(s.ap.alarmempfang().abfragetakt().aktiv()) << "the refilled settings window stops polling";
    EXPECT_EQ(s.h.maske().pfade[2], basis.pfad() + "/fehlt/") << "the box keeps the appended separator";
    EXPECT_EQ(s.h.einstellungen().gruppenpfad[0], basis.pfad() + "/gruppe1/");
}

TEST_F(Einstellungsdatei, IdWirdGeprueftUndNormalisiert)
{
    const struct {
        const char* text;
        bool angenommen;
    } faelle[] = {{"0", true}, {"0abc", true}, {"0.5", true}, {"", false}, {"7", false}, {"99999", false}};
    for (const auto& f : faelle) {
        Station s;
        s.starten();
        maske_fuellen(s, basis.pfad());
        s.h.maske().idnummer = f.text;
        s.speichern();
        EXPECT_EQ(existiert(s.dir / "Hestrel.DAT"), f.angenommen) << f.text;
        if (f.angenommen) {
            EXPECT_EQ(s.h.einstellungen().idnummer, "0") << f.text;
        } else {
            EXPECT_EQ(s.h.maske().meldungtxt, "Achtung, bitte ID prüfen !!") << f.text;
            EXPECT_TRUE(s.h.maske().sichtbar);
        }
    }
}

TEST_F(Einstellungsdatei, GespeicherteFalscheIdOeffnetDasFensterUndLaedtWeiter)
{
    Station a;
    a.starten();
    maske_fuellen(a, basis.pfad());
    a.speichern();
    auto z = zeilen(a.datei("Hestrel.DAT"));
    z[3] = "5";
    const std::string bytes = crlf(z);
    Station b;
    datei_schreiben(b.dir / "Hestrel.DAT", bytes);
    b.starten();
    EXPECT_EQ(b.h.maske().id_warnung, "Falsche ID");
    EXPECT_TRUE(b.h.maske().sichtbar);
    EXPECT_TRUE(b.port.offen()) << "the port is still opened";
    EXPECT_TRUE(existiert(basis / "import/MDAT5.XQV"));
    b.speichern();
    EXPECT_EQ(b.h.maske().id_warnung, "");
}

TEST_F(Einstellungsdatei, HardwareArtBestimmtSchnittstelleUndTimer)
{
    Station a;
    a.starten();
    maske_fuellen(a, basis.pfad());
    a.h.geraeteart_gewaehlt("keine");
    EXPECT_FALSE(a.h.maske().port_sichtbar);
    a.h.maske().schnittstelle_aus = 0;
    a.speichern();
    EXPECT_EQ(zeilen(a.datei("Hestrel.DAT"))[8], "1") << "no hardware writes the device as deactivated";
    EXPECT_FALSE(a.ap.geraet().statusabfrage().aktiv());

    Station b;
    datei_schreiben(b.dir / "Hestrel.DAT", a.datei("Hestrel.DAT"));
    b.starten();
    EXPECT_EQ(b.h.maske().schnittstelle_aus, 1);
    EXPECT_EQ(b.port.oeffnungen, 0);

    // "Kestu_1" with line 9 "1": the kind wins, the port opens, no polling of the device.
    auto z = zeilen(a.datei("Hestrel.DAT"));
    z[25] = "Kestu_1";
    const std::string bytes = crlf(z);
    Station c;
    datei_schreiben(c.dir / "Hestrel.DAT", bytes);
    c.starten();
    EXPECT_EQ(c.h.maske().schnittstelle_aus, 0);
    EXPECT_TRUE(c.port.offen());
    EXPECT_FALSE(c.ap.geraet().statusabfrage().aktiv());
    c.h.einstellungen_zeigen();
    c.speichern();
    EXPECT_TRUE(c.ap.geraet().statusabfrage().aktiv()) << "a save starts the check for every kind but none";
}

TEST_F(Einstellungsdatei, PortDerNichtAufgehtIstEinLadefehler)
{
    Station a;
    a.starten();
    maske_fuellen(a, basis.pfad());
    a.speichern();
    Station b;
    b.port.oeffnen_fehler = {8002, "Ungültige Anschlussnummer"};
    datei_schreiben(b.dir / "Hestrel.DAT", a.datei("Hestrel.DAT"));
    b.starten();
    EXPECT_EQ(b.hinweistexte(), std::vector<std::string>{"Ungültige Anschlussnummer - 8002  "});
    EXPECT_TRUE(b.h.maske().sichtbar);
    EXPECT_TRUE(b.ap.alarmempfang().abfragetakt().aktiv());
}

TEST_F(Einstellungsdatei, ExportdateiHaengtDenNamenOhneTrennerAn)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.h.maske().importverzeichnis = basis.pfad() + "/import";
    s.speichern();
    EXPECT_TRUE(existiert(basis / "importMDAT0.XQV"));
    EXPECT_TRUE(existiert(basis / "importMDAT0-1.XQV"));
    EXPECT_TRUE(existiert(basis / "importMDAT0-2.XQV"));
}

TEST_F(Einstellungsdatei, OhneImportverzeichnisEntstehtKeineExportdatei)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.h.maske().importverzeichnis = "";
    s.speichern();
    EXPECT_TRUE(existiert(s.dir / "Hestrel.DAT"));
    for (const auto& e : std::filesystem::directory_iterator(s.dir.pfad())) {
        EXPECT_EQ(e.path().filename().string().find("MDAT"), std::string::npos);
    }
    EXPECT_FALSE(existiert("MDAT0.XQV"));
}

TEST_F(Einstellungsdatei, SchreibfehlerLaesstDieAlteDateiStehenUndSagtEs)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.speichern();
    const std::string vorher = s.datei("Hestrel.DAT");

    s.h.einrichten();
    s.h.maske().pfade[0] = "";
    s.h.maske().tastentext1 = "neu";
    s.fs.muster = "Hestrel.DAT";
    s.speichern();
    s.fs.muster.clear();
    EXPECT_EQ(s.datei("Hestrel.DAT"), vorher);
    ASSERT_FALSE(s.boxen.hinweise.empty());
    EXPECT_NE(s.boxen.hinweise.back().text.find("Einstellungen nicht gespeichert"), std::string::npos);
    EXPECT_TRUE(s.h.maske().sichtbar) << "the window stays open";
    EXPECT_TRUE(s.ap.alarmempfang().abfragetakt().aktiv()) << "polling goes on with the settings in force";
    // Leftover temporary files would pile up on the share.
    for (const auto& e : std::filesystem::directory_iterator(s.dir.pfad())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

TEST_F(Einstellungsdatei, GeleerteKaestenAlterUndNeuerGruppenVerhaltenSichVerschieden)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.speichern();
    s.h.einrichten();
    s.h.maske().pfade[0] = "";
    s.h.maske().pfade[11] = "";
    s.speichern();
    const auto z = zeilen(s.datei("Hestrel.DAT"));
    EXPECT_EQ(z[11], basis.pfad() + "/gruppe1/") << "group 1 comes from the array";
    EXPECT_EQ(z[27], "") << "group 12 comes from the box";
}

TEST_F(Einstellungsdatei, ZusammenfassungHaeltDieElfWerte)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.h.geraeteart_gewaehlt("keine");
    s.h.maske().schnittstelle_aus = 0;
    s.speichern();
    EXPECT_EQ(
        s.h.einstellungen().ausdruck,
        "[" + basis.pfad() +
            "/import/][3][0][/usr/share/sounds/alarm ü.wav][][Überfall, Kasse 2][1][0][ 250][1][Taste 2]");
}

TEST_F(Einstellungsdatei, SpeichernSchreibtZweiEintraegeInsEreignislog)
{
    Station s;
    s.starten();
    maske_fuellen(s, basis.pfad());
    s.speichern();
    const auto z = zeilen(s.datei("Hestrel.log"));
    ASSERT_EQ(z.size(), 2u);
    EXPECT_EQ(z[0], "08.12.2026 08:00:00 " + s.dir.pfad() + "/Hestrel.DAT");
    EXPECT_EQ(z[1], "08.12.2026 08:00:00 Setup ausgef\xFChrt");
}

TEST_F(Einstellungsdatei, SeitenwahlZeigtGenauZehnKaesten)
{
    Station s;
    s.starten();
    s.h.maske().pfade[0] = "bleibt";
    s.h.pfadseite_zeigen(3);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(s.h.maske().pfade_sichtbar[static_cast<std::size_t>(i)], i >= 30 && i < 40) << i;
    }
    EXPECT_EQ(s.h.maske().pfade[0], "bleibt");
}
