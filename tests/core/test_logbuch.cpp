#include <algorithm>
#include <gtest/gtest.h>

#include "core/cp1252.h"
#include "core/datenverzeichnis.h"
#include "core/logbuch.h"
#include "core/textdatei.h"
#include "core/wavab.h"
#include "support/station.h"

#include "core/virtualscheduler.h"
#include "support/testumgebung.h"
#include <map>

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct Logs {
    TempVerzeichnis dir;
    VirtualScheduler uhr;
    FehlerDateisystem fs;
    std::string verzeichnis = dir.pfad();
    std::string schalter = "1";
    Logbuch log{fs, uhr, verzeichnis, schalter};
    std::string echo = "(kein Echo)";
    Logs()
    {
        uhr.setStartzeit({2026, 3, 7, 9, 5, 59});
        log.setEcho([this](const std::string& t) { echo = t; });
    }
};

} // namespace

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

TEST(Logbuch, UnschreibbaresJournalMeldetEinmalUndTraegtAllesInDerFolgeNach)
{
    // The journal comes back: found by the retry timer, or by the next alarm.
    for (const bool durch_timer : {true, false}) {
        SCOPED_TRACE(durch_timer ? "timer" : "next alarm");
        Station s;
        s.starten();
        s.h.einstellungen().logfileaktive = "1";
        std::vector<std::string> stderr_;
        s.h.log().setFehlerausgabe([&](const std::string& t) { stderr_.push_back(t); });
        auto journalboxen = [&] {
            return std::count_if(s.boxen.hinweise.begin(), s.boxen.hinweise.end(), [](const auto& b) {
                return b.text.find("Alarmjournal") != std::string::npos;
            });
        };

        s.fs.muster = "mameldung.log";
        std::vector<std::string> erwartet;
        for (int i = 1; i <= 3; ++i) {
            s.uhr.advance(1000);
            const std::string text =
                "Alarm aus Gruppe " + std::to_string(i) + " von:\rText " + std::to_string(i);
            erwartet.push_back(s.h.log().zeile("Alarm aus Gruppe " + std::to_string(i) + " von:"));
            erwartet.push_back("Text " + std::to_string(i));
            EXPECT_TRUE(s.h.log().meldung_eintragen(text)) << "the caller still learns of the failure";
        }
        EXPECT_EQ(journalboxen(), 1) << "one box for the outage, not one per alarm";
        // One line per alarm on standard error: each names the alarm that waits.
        ASSERT_EQ(stderr_.size(), 3u);
        EXPECT_NE(stderr_[2].find("wird nachgetragen"), std::string::npos);
        EXPECT_NE(stderr_[2].find("Alarm aus Gruppe 3 von:"), std::string::npos);
        s.uhr.advance(15000);
        EXPECT_EQ(s.datei("mameldung.log"), "") << "still failing: nothing half written";
        EXPECT_EQ(stderr_.size(), 3u) << "retries are quiet";
        EXPECT_EQ(s.h.log().wartende_eintraege(), 3u);

        s.fs.muster.clear();
        if (durch_timer) {
            s.uhr.advance(5000);
        } else {
            erwartet.push_back(s.h.log().zeile("vier"));
            EXPECT_FALSE(s.h.log().meldung_eintragen("vier"));
        }
        EXPECT_EQ(zeilen_zerlegen(s.datei("mameldung.log")), erwartet);
        EXPECT_EQ(s.h.log().wartende_eintraege(), 0u);
        EXPECT_FALSE(s.uhr.finden("Journal.nachtragen")->aktiv());
        EXPECT_NE(s.datei("Hestrel.log")
                      .find(utf8_zu_cp1252("Journal wieder beschreibbar: 3 Einträge nachgetragen")),
                  std::string::npos);

        // A later outage is told again.
        s.fs.muster = "mameldung.log";
        s.h.log().meldung_eintragen("fünf");
        EXPECT_EQ(journalboxen(), 2);
    }
}

TEST(Logbuch, WartendeEintraegeSindBegrenztUndDerVerlustStehtImJournal)
{
    Logs l;
    std::vector<std::string> stderr_;
    l.log.setFehlerausgabe([&](const std::string& t) { stderr_.push_back(t); });
    l.fs.muster = "mameldung.log";
    const std::string gross(12u << 20, 'x');
    for (int i = 0; i < 3; ++i) {
        l.log.meldung_eintragen("Alarm " + std::to_string(i) + " von:\r" + gross);
    }
    EXPECT_EQ(l.log.wartende_eintraege(), 2u);
    ASSERT_EQ(stderr_.size(), 3u);
    EXPECT_NE(stderr_[2].find("verloren"), std::string::npos);
    EXPECT_FALSE(l.log.nachtragen());

    l.fs.muster.clear();
    EXPECT_TRUE(l.log.nachtragen());
    const std::string eintrag = "\r" + gross + "\r\n";
    EXPECT_EQ(datei_lesen(l.dir / "mameldung.log"),
              "07.03.2026 09:05:59 Alarm 0 von:" + eintrag + "07.03.2026 09:05:59 Alarm 1 von:" + eintrag +
                  utf8_zu_cp1252(
                      "07.03.2026 09:05:59 1 Journaleinträge verloren: das Journal war nicht beschreibbar") +
                  "\r\n");
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
