#include <gtest/gtest.h>

#include "core/datenverzeichnis.h"
#include "core/logbuch.h"
#include "core/wavab.h"

#include <map>
#include "core/virtualscheduler.h"
#include "support/testumgebung.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct Logs {
    TempVerzeichnis dir;
    VirtualScheduler uhr;
    FehlerDateisystem fs;
    std::string verzeichnis = dir.pfad();
    std::string schalter = "1";
    Logbuch log {fs, uhr, verzeichnis, schalter};
    std::string echo = "(kein Echo)";
    Logs()
    {
        uhr.setStartzeit({2026, 3, 7, 9, 5, 59});
        log.setEcho([this](const std::string& t) { echo = t; });
    }
};

}  // namespace

TEST(Logbuch, ZeileHatDatumZeitUndTextInCp1252MitCrLf)
{
    Logs l;
    l.log.logeintrag("Reset Eingang");
    l.uhr.advance(1000);
    l.log.logeintrag("Setup ausgeführt");
    EXPECT_EQ(datei_lesen(l.dir / "Hestrel.log"),
              "07.03.2026 09:05:59 Reset Eingang\r\n07.03.2026 09:06:00 Setup ausgef\xFChrt\r\n");
    EXPECT_EQ(l.echo, "07.03.2026  09:06:00  Setup ausgeführt");
}

TEST(Logbuch, SchalterGiltFuerEreignisUndAnzeigelogAberNichtFuerDasJournal)
{
    for (const char* schalter : {"0", "", "ja"}) {
        Logs l;
        l.schalter = schalter;
        l.log.logeintrag("Alarm gesetzt");
        l.log.anzeigelog_eintragen("Vollbild - gesetzt");
        EXPECT_FALSE(existiert(l.dir / "Hestrel.log")) << schalter;
        EXPECT_FALSE(existiert(l.dir / "quorvis.log")) << schalter;
        EXPECT_EQ(l.echo, "(kein Echo)") << "no echo either";
        l.log.meldung_eintragen("x");
        EXPECT_TRUE(existiert(l.dir / "mameldung.log")) << schalter;
        EXPECT_EQ(l.echo, "07.03.2026  09:05:59  x");
    }
}

TEST(Logbuch, AnzeigelogWirdNichtGespiegelt)
{
    Logs l;
    l.log.anzeigelog_eintragen("Vollbild - gesetzt");
    EXPECT_EQ(datei_lesen(l.dir / "quorvis.log"), "07.03.2026 09:05:59 Vollbild - gesetzt\r\n");
    EXPECT_EQ(l.echo, "(kein Echo)");
}

TEST(Logbuch, JournaleintragMitMehrzeiligemTextGibtWeitereZeilenOhneDatum)
{
    Logs l;
    l.log.meldung_eintragen("Alarm aus Gruppe 7 von:\rHilfe\r\nKasse 2");
    l.log.meldung_eintragen("");
    EXPECT_EQ(datei_lesen(l.dir / "mameldung.log"),
              "07.03.2026 09:05:59 Alarm aus Gruppe 7 von:\rHilfe\r\nKasse 2\r\n07.03.2026 09:05:59 \r\n");
}

TEST(Logbuch, FehlerGehtAnDenAufruferUndSpiegeltNichts)
{
    Logs l;
    l.fs.muster = "mameldung.log";
    const Fehler f = l.log.meldung_eintragen("x");
    EXPECT_TRUE(f);
    EXPECT_NE(f.beschreibung, "");
    EXPECT_EQ(l.echo, "(kein Echo)");
}

TEST(VirtuelleUhr, TimerFeuernInZeitfolgeUndIntervallWechselZaehltNeu)
{
    VirtualScheduler s;
    auto a = s.timer("a", 500);
    auto b = s.timer("b", 1200);
    std::vector<std::string> ereignisse;
    a->tick = [&] { ereignisse.push_back("a" + std::to_string(s.now_ms())); };
    b->tick = [&] {
        ereignisse.push_back("b" + std::to_string(s.now_ms()));
        a->setInterval(1000);
    };
    a->start();
    b->start();
    s.advance(2500);
    EXPECT_EQ(ereignisse, (std::vector<std::string>{"a500", "a1000", "b1200", "a2200", "b2400"}));

    // start() on a running timer changes nothing; stop() stops.
    ereignisse.clear();
    a->start();
    a->stop();
    s.advance(5000);
    EXPECT_EQ(ereignisse, (std::vector<std::string>{"b3600", "b4800", "b6000", "b7200"}));
}

TEST(VirtuelleUhr, TageswechselImDatum)
{
    VirtualScheduler s;
    s.setStartzeit({2026, 12, 31, 23, 59, 59});
    s.advance(1000);
    EXPECT_EQ(kurzdatum(s.jetzt()), "01.01.2027");
    EXPECT_EQ(langzeit(s.jetzt()), "00:00:00");
}

TEST(Dateitest, KenntDateienUndVerzeichnisseAberKeinenLeerenPfad)
{
    TempVerzeichnis dir;
    EchtesDateisystem fs;
    Wavab wavab(fs);
    datei_schreiben(dir / "Alarmdaten.DAT", "x");
    EXPECT_TRUE(wavab.datei_existiert(dir.pfad()));
    EXPECT_TRUE(wavab.datei_existiert(dir.unterverzeichnis("gruppe1")));
    EXPECT_TRUE(wavab.datei_existiert(dir / "Alarmdaten.DAT"));
    EXPECT_FALSE(wavab.datei_existiert(""));
    EXPECT_FALSE(wavab.datei_existiert(dir / "fehlt"));
    EXPECT_FALSE(wavab.datei_gefunden);
    wavab.verzeichnisdatei_pruefen(dir.pfad(), "Alarmdaten.DAT");
    EXPECT_TRUE(wavab.datei_gefunden);
    // The separator is always inserted; a doubled one names the same file.
    wavab.verzeichnisdatei_pruefen(dir.pfad() + "/", "Alarmdaten.DAT");
    EXPECT_TRUE(wavab.datei_gefunden);
    wavab.verzeichnisdatei_pruefen(dir.pfad(), "fehlt");
    EXPECT_FALSE(wavab.datei_gefunden);
}

TEST(Dateisystem, ErsetzenLaesstKeineHalbeDateiUndKeinenRestZurueck)
{
    // The exchange files' replace skips only the wait for the disk.
    for (auto ersetzen : {&Dateisystem::ersetzen, &Dateisystem::ersetzen_fluechtig}) {
        TempVerzeichnis dir;
        EchtesDateisystem fs;
        ASSERT_FALSE((fs.*ersetzen)(dir / "a.DAT", "alt"));
        ASSERT_FALSE((fs.*ersetzen)(dir / "a.DAT", "neu\r\n"));
        EXPECT_EQ(datei_lesen(dir / "a.DAT"), "neu\r\n");
        // A directory in the way: the old content stays and nothing is left behind.
        std::filesystem::create_directories(dir / "b.DAT");
        EXPECT_TRUE((fs.*ersetzen)(dir / "b.DAT", "x"));
        EXPECT_TRUE((fs.*ersetzen)(dir / "fehlt/c.DAT", "x"));
        int dateien = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.pfad())) {
            ++dateien;
        }
        EXPECT_EQ(dateien, 2);
        std::string inhalt;
        EXPECT_EQ(fs.lesen(dir / "fehlt.txt", inhalt).nummer, 53);
        EXPECT_EQ(fs.lesen(dir / "b.DAT", inhalt).nummer, 75);
        ASSERT_FALSE(fs.lesen(dir / "a.DAT", inhalt, 3));
        EXPECT_EQ(inhalt, "neu");
    }
}

TEST(Datenverzeichnis, AppdataVorBenutzerverzeichnis)
{
    std::map<std::string, std::string> env;
    auto holen = [&](const char* n) -> const char* {
        auto it = env.find(n);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    env = {{"APPDATA", "/tmp/ws1/"}, {"HOME", "/home/a"}};
    EXPECT_EQ(datenverzeichnis_ermitteln(holen), "/tmp/ws1");
    env = {{"APPDATA", ""}, {"HOME", "/home/a"}};
    EXPECT_EQ(datenverzeichnis_ermitteln(holen), "/home/a/.local/share/hestrel");
    env = {{"XDG_DATA_HOME", "/x"}, {"HOME", "/home/a"}};
    EXPECT_EQ(datenverzeichnis_ermitteln(holen), "/x/hestrel");
}
