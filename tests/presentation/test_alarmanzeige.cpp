#include <gtest/gtest.h>

#include "exchange/platz.h"

namespace hestrel::test {
namespace {

class AlarmanzeigeTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        p.starten();
        p.anzeige.bildschirm = [this] { return schirm; };
    }
    std::string anzeigelog() const { return datei_lesen(p.daten + "/quorvis.log"); }

    TempVerzeichnis basis;
    VirtualScheduler uhr;
    Platz p{uhr, basis / "daten"};
    Bildschirm schirm;
    Alarmanzeige& a = p.anzeige;
};

TEST_F(AlarmanzeigeTest, VollbildUeberDenGanzenSchirm)
{
    p.h.einstellungen().vollbildanzeige = true;
    a.alarm_zeigen("Hilfe", "1", "1");
    EXPECT_TRUE(a.sichtbar());
    EXPECT_TRUE(a.oben());
    EXPECT_TRUE(a.vollbild_platziert());
    EXPECT_EQ(a.breite_px(), 1920);
    EXPECT_EQ(a.hoehe_px(), 1080);
    EXPECT_DOUBLE_EQ(a.schriftgroesse(), 64.0);
    EXPECT_EQ(a.alarmtext(), "Hilfe");
    EXPECT_EQ(a.caption(), "BORL XQV GmbH");
    EXPECT_NE(anzeigelog().find(" Vollbild - gesetzt\r\n"), std::string::npos);

    // Red and white every 500 ms; in the red phase the window is set maximised.
    EXPECT_EQ(a.hintergrundfarbe(), k_rot);
    uhr.advance(500);
    EXPECT_EQ(a.hintergrundfarbe(), k_weiss);
    EXPECT_EQ(a.fensterzustand(), Alarmanzeige::Fensterzustand::normal);
    uhr.advance(500);
    EXPECT_EQ(a.hintergrundfarbe(), k_rot);
    EXPECT_EQ(a.fensterzustand(), Alarmanzeige::Fensterzustand::maximiert);
    EXPECT_DOUBLE_EQ(a.schriftgroesse(), 64.0);

    schirm.breite_px = 1280;
    schirm.hoehe_px = 1024;
    a.alarm_zeigen("zwei", "1", "1");
    EXPECT_NEAR(a.schriftgroesse(), 42.67, 0.01);
    EXPECT_EQ(zaehlen(anzeigelog(), "Vollbild - gesetzt"), 2);
}

TEST_F(AlarmanzeigeTest, NormalGrossInDerMitteSchriftNachBreite)
{
    a.alarm_zeigen("Hilfe", "", "");
    EXPECT_TRUE(a.sichtbar());
    EXPECT_TRUE(a.oben());
    EXPECT_FALSE(a.vollbild_platziert());
    EXPECT_EQ(a.aussenbreite_twips(), 5500);
    EXPECT_DOUBLE_EQ(a.schriftgroesse(), 11.25);
    uhr.advance(1000);
    EXPECT_NEAR(a.schriftgroesse(), 12.22, 0.01);
    // The user widened the window: the next red phase follows.
    a.aussenbreite_setzen(9000);
    uhr.advance(1000);
    EXPECT_DOUBLE_EQ(a.schriftgroesse(), 20.0);
    EXPECT_EQ(a.fensterzustand(), Alarmanzeige::Fensterzustand::normal);
    // Nothing is written to the log in normal mode; with the switch off nothing at all.
    EXPECT_FALSE(existiert(p.daten + "/quorvis.log"));
    p.h.einstellungen().logfileaktive = "0";
    p.h.einstellungen().vollbildanzeige = true;
    a.alarm_zeigen("x", "", "");
    EXPECT_FALSE(existiert(p.daten + "/quorvis.log"));
}

TEST_F(AlarmanzeigeTest, EinFensterFuerAlleAlarmeSchliessenUndWiederzeigen)
{
    a.alarm_zeigen("eins", "1", "0");
    a.alarm_zeigen("zwei", "9", "1");
    EXPECT_EQ(a.erzeugungen(), 1);
    EXPECT_EQ(a.alarmtext(), "zwei");
    a.schliessen_geklickt();
    EXPECT_FALSE(a.sichtbar());
    EXPECT_TRUE(a.hintergrund().aktiv()) << "hidden, the window keeps blinking";
    uhr.advance(500);
    EXPECT_FALSE(a.sichtbar());
    a.alarm_zeigen("drei", "", "");
    EXPECT_TRUE(a.sichtbar());
    EXPECT_EQ(a.alarmtext(), "drei");

    // The device's reset key hides it through the engine's seam.
    p.ap.alarmanzeige().verbergen();
    EXPECT_FALSE(a.sichtbar());

    // Closed through the title bar: destroyed with its timer, created anew by the next alarm.
    a.schliessen();
    EXPECT_FALSE(a.existiert());
    EXPECT_FALSE(a.hintergrund().aktiv());
    a.aussenbreite_setzen(9000);
    a.alarm_zeigen("vier", "", "");
    EXPECT_EQ(a.erzeugungen(), 2);
    EXPECT_EQ(a.aussenbreite_twips(), 5500);
    EXPECT_TRUE(a.hintergrund().aktiv());
}

TEST_F(AlarmanzeigeTest, HideErzeugtDasFensterVerborgen)
{
    p.ap.alarmanzeige().verbergen();
    EXPECT_TRUE(a.existiert());
    EXPECT_FALSE(a.sichtbar());
    EXPECT_TRUE(a.hintergrund().aktiv());
}

TEST_F(AlarmanzeigeTest, GesperrterRechnerGibtDemMeldeprogrammDenTextAufDerEingabe)
{
    const std::string euro = "\xE2\x82\xAC";
    const std::string auslassung = "\xE2\x80\xA6";
    std::string euros;
    for (int i = 0; i < 21845; ++i) {
        euros += euro; // 64 KiB of characters, 192 KiB of UTF-8
    }
    std::string euros_gekappt;
    for (int i = 0; i < 1364; ++i) {
        euros_gekappt += euro;
    }
    struct Fall {
        std::string text;
        std::string eingabe;
    };
    const std::vector<Fall> faelle = {
        {"Hilfe", "Hilfe"},
        {"Hilfe in \"Raum 3\"; rm -rf /\r\nKasse", "Hilfe in \"Raum 3\"; rm -rf /\r\nKasse"},
        {std::string("\0Hilfe\0Raum 3", 13), " Hilfe Raum 3"},
        {std::string(4096, 'a'), std::string(4096, 'a')},
        {std::string(4097, 'a'), std::string(4093, 'a') + auslassung},
        {euros, euros_gekappt + auslassung},
    };
    p.h.einstellungen().gesperrtanzeige = true;
    p.prozesse.variablen["UserName"] = "user1";
    for (const auto& f : faelle) {
        p.prozesse.starts.clear();
        a.alarm_zeigen(f.text, "", "");
        ASSERT_EQ(p.prozesse.starts.size(), 1u);
        const auto& start = p.prozesse.starts[0];
        EXPECT_EQ(start.programm, "/opt/hestrel/hestrel-msg");
        EXPECT_EQ(start.argumente, (std::vector<std::string>{"user1"})) << "the text is never an argument";
        EXPECT_EQ(start.eingabe, f.eingabe) << f.text.substr(0, 40);
        EXPECT_LE(start.eingabe.size(), 4096u);
        EXPECT_EQ(a.alarmtext(), f.text) << "the window keeps the whole text";
    }
    EXPECT_NE(anzeigelog().find(" Meldung bei gesperrtem Rechner\r\n"), std::string::npos);
    EXPECT_TRUE(p.boxen.hinweise.empty());

    // Without UserName the session's login name.
    p.prozesse.variablen.clear();
    a.alarm_zeigen("Hilfe", "", "");
    EXPECT_EQ(p.prozesse.starts.back().argumente, (std::vector<std::string>{"anmeldung"}));
}

TEST_F(AlarmanzeigeTest, MeldeprogrammFehltTextWirdTrotzdemGezeigt)
{
    p.h.einstellungen().gesperrtanzeige = true;
    p.prozesse.fehler = {53, "Datei nicht gefunden"};
    a.alarm_zeigen("alt", "", "");
    a.alarm_zeigen("neu", "", "");
    EXPECT_TRUE(a.sichtbar());
    EXPECT_EQ(a.alarmtext(), "neu");
    ASSERT_FALSE(p.boxen.hinweise.empty());
    EXPECT_EQ(p.boxen.hinweise.back().text, "Datei nicht gefunden - 53  ");
    const std::string log = anzeigelog();
    EXPECT_LT(log.find("Meldung bei gesperrtem Rechner"), log.find("Datei nicht gefunden - 53  \r\n"));
}

TEST_F(AlarmanzeigeTest, UnschreibbaresAnzeigelogHaeltDasFensterNichtAuf)
{
    p.h.einstellungen().vollbildanzeige = true;
    p.fs.schreiben_muster = "quorvis.log";
    a.alarm_zeigen("Hilfe", "", "");
    EXPECT_TRUE(a.sichtbar());
    EXPECT_TRUE(a.vollbild_platziert());
    EXPECT_EQ(a.alarmtext(), "Hilfe");
    ASSERT_EQ(p.boxen.hinweise.size(), 1u);
    EXPECT_EQ(p.boxen.hinweise[0].text, "Zugriff verweigert - 70  ");

    // Nor the notice to the locked workstation.
    p.h.einstellungen().gesperrtanzeige = true;
    a.alarm_zeigen("zwei", "", "");
    EXPECT_EQ(p.prozesse.starts.size(), 1u);
    EXPECT_EQ(a.alarmtext(), "zwei");
}

// An alarm nobody answers sounds again, through the desk's own sound, until
// it is answered or closed or its minutes are over; a test alarm never.
TEST_F(AlarmanzeigeTest, UnbeantworteterAlarmTontBisJemandKommt)
{
    p.h.einstellungen().signaldatei = "/opt/alarm.wav";
    struct Fall {
        const char* name;
        int sekunden;
        int minuten;
        // The alarms' texts, the second one 30 s after the first.
        std::vector<std::string> texte;
        // After how many seconds the first alarm shown is answered (a) or closed (s); 0: never.
        char was;
        int nach_s;
        int wiederholungen;
    };
    const std::vector<Fall> faelle = {
        {"voreingestellt: jede Minute, zehn Minuten lang", 60, 10, {"Hilfe"}, ' ', 0, 10},
        {"beantwortet nach 150 s", 60, 10, {"Hilfe"}, 'a', 150, 2},
        {"geschlossen nach 90 s", 60, 10, {"Hilfe"}, 's', 90, 1},
        {"Probealarm", 60, 10, {"PROBEALARM – Hilfe"}, ' ', 0, 0},
        {"ausgeschaltet (Sekunden 0)", 0, 10, {"Hilfe"}, ' ', 0, 0},
        {"ausgeschaltet (Minuten 0)", 60, 0, {"Hilfe"}, ' ', 0, 0},
        {"alle 20 s, 1 Minute lang", 20, 1, {"Hilfe"}, ' ', 0, 3},
        // The second alarm's sound starts the interval anew: 90, 150, …, 630 s.
        {"zweiter Alarm nach 30 s", 60, 10, {"Hilfe", "Feuer"}, ' ', 0, 10},
        // The newer one is answered at 100 s; the first sounds on until its ten minutes end (570 s).
        {"einer von zwei beantwortet", 60, 10, {"Hilfe", "Feuer"}, 'a', 100, 9},
        {"Probealarm nach einem echten", 60, 10, {"Hilfe", "PROBEALARM – Übung"}, ' ', 0, 10},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        a.schliessen();
        p.ap.zusatz().wiederholung_sekunden = f.sekunden;
        p.ap.zusatz().wiederholung_minuten = f.minuten;
        p.ton.gespielt.clear();
        a.alarm_zeigen(f.texte[0], "", "");
        a.herkunft_setzen(a.alarmnummer(), "Gruppe 1 · Kasse · 10:00:00");
        for (int s = 1; s <= 700; ++s) {
            uhr.advance(1000);
            if (s == 30 && f.texte.size() > 1) {
                a.alarm_zeigen(f.texte[1], "", "");
                a.herkunft_setzen(a.alarmnummer(), "Gruppe 2 · Lager · 10:00:30");
            }
            if (s == f.nach_s && f.was == 'a') {
                a.antwort_geklickt();
            } else if (s == f.nach_s && f.was == 's') {
                a.alarm_schliessen(a.alarme().front().nummer);
            }
        }
        EXPECT_EQ(static_cast<int>(p.ton.gespielt.size()), f.wiederholungen);
        EXPECT_FALSE(a.wiederholung().aktiv()) << "the repeat stops once nothing is left to repeat";
        EXPECT_EQ(zaehlen(p.ereignislog(), "Alarmton wiederholt"), f.wiederholungen);
        std::filesystem::remove(p.daten + "/Hestrel.log");
    }
}

} // namespace
} // namespace hestrel::test
