#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "console/meldeliste.h"
#include "core/textdatei.h"
#include "support/station.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct Liste : Station {
    Meldeliste& ml = ap.meldeliste();
    const Meldelistenmaske& m = ml.maske();

    // Gives the groups (numbers 1..50) a directory and adapts the list.
    void konfigurieren(std::initializer_list<int> gruppen)
    {
        for (int g : gruppen) {
            h.einstellungen().gruppenpfad[static_cast<std::size_t>(g - 1)] =
                dir.unterverzeichnis("g" + std::to_string(g));
        }
        ml.bildschirm_anpassen();
    }
    std::string vorlage() const { return datei_lesen(std::string(HESTREL_TESTDATA) + "/Alarmdaten.DAT"); }
    void ereignislog_an() { h.einstellungen().logfileaktive = "1"; }
};

} // namespace

TEST(Meldeliste, NachDemStartOhneDateien)
{
    Liste l;
    l.starten();
    EXPECT_TRUE(l.m.geladen);
    EXPECT_TRUE(l.m.sichtbar);
    EXPECT_EQ(l.m.caption, "BORL XQV GmbH");
    EXPECT_EQ(l.m.produkttitel, "Vandu Kestu Standard");
    EXPECT_EQ(l.m.version, "Version 4.3.0 - TS");
    EXPECT_EQ(l.m.melde_alle, 0);
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        EXPECT_EQ(l.m.gruppennamen[i], "Gruppe " + std::to_string(i + 1));
        EXPECT_EQ(l.m.melde_gruppen[i], 0);
        EXPECT_FALSE(l.m.relais_aktiv[i]);
        EXPECT_EQ(l.m.relaisfarben[i], k_schaltflaeche);
        EXPECT_FALSE(l.m.gruppennamen_aktiv[i]);
        EXPECT_FALSE(l.m.melde_gruppen_aktiv[i]);
        EXPECT_EQ(l.m.melde_gruppen_tooltip[i], "Gruppe " + std::to_string(i + 1));
        EXPECT_EQ(l.m.gruppennamen_tooltip[i], "zum änder doppelt klicken");
    }
    Zeitgeber* timer = l.uhr.finden("Journalabgleich");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->aktiv());
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_FALSE(existiert(l.dir / "Alarmdaten.DAT"));
}

TEST(Meldeliste, GeladeneAlarmdatenWerdenUnveraendertGespeichert)
{
    Liste l;
    datei_schreiben(l.dir / "Alarmdaten.DAT", l.vorlage());
    l.starten();
    EXPECT_EQ(l.m.alarmtexte[1], "Bitte sofort kommen, Halle 3");
    EXPECT_EQ(l.m.alarmtexte[2], "Rückruf: \"Zentrale\"");
    EXPECT_EQ(l.m.gruppennamen[10], "  Küche");
    EXPECT_EQ(l.m.melde_gruppen[4], 2);
    EXPECT_EQ(l.ml.sammeltexte()[0], "Feueralarm im Lager");
    // Ticks of groups without a directory are kept and saved too.
    EXPECT_EQ(l.ml.melde_gruppe(11), 1);

    std::filesystem::remove(l.dir / "Alarmdaten.DAT");
    l.ml.alarmdaten_speichern_geklickt();
    EXPECT_EQ(l.datei("Alarmdaten.DAT"), l.vorlage());
}

TEST(Meldeliste, SpeichernNachUmbenennenUndAbwaehlen)
{
    Liste l;
    l.starten();
    l.konfigurieren({3, 12});
    l.ml.alle_gruppen_geklickt(true);
    l.ml.gruppenname_geklickt(2);
    l.ml.gruppenbezeichnung().neu_bez = "Empfang";
    l.ml.gruppenbezeichnung().uebernehmen_geklickt();
    l.ml.meldegruppe_geklickt(11);
    l.ml.alarmtext_geaendert(1, "Hilfe, sofort");
    l.ml.alarmdaten_speichern_geklickt();
    const auto z = zeilen(l.datei("Alarmdaten.DAT"));
    ASSERT_EQ(z.size(), 104u);
    EXPECT_EQ(z[0], "\"Hilfe, sofort\"");
    EXPECT_EQ(z[6], " 1 ");      // group 3
    EXPECT_EQ(z[16], "Empfang"); // line 17
    EXPECT_EQ(z[25], " 0 ");     // line 26, group 12
}

TEST(Meldeliste, SpeicherfehlerMeldetUndLaesstDieDateiStehen)
{
    Liste l;
    datei_schreiben(l.dir / "Alarmdaten.DAT", l.vorlage());
    l.starten();
    l.ml.alarmtext_geaendert(1, "geändert");
    l.fs.muster = "Alarmdaten";
    l.ml.alarmdaten_speichern_geklickt();
    ASSERT_FALSE(l.hinweistexte().empty());
    EXPECT_EQ(l.hinweistexte().back().rfind("Alarmdaten nicht gespeichert: ", 0), 0u);
    EXPECT_EQ(l.datei("Alarmdaten.DAT"), l.vorlage());

    // The real file system: the directory is gone; nothing is left behind.
    Liste weg;
    weg.starten();
    std::filesystem::remove_all(weg.dir.pfad());
    weg.ml.alarmdaten_speichern_geklickt();
    EXPECT_EQ(weg.hinweistexte().size(), 1u);
}

TEST(Meldeliste, LadefehlerDerAlarmdatenImEreignislog)
{
    Liste l;
    std::string bytes = l.vorlage();
    bytes.replace(bytes.find(" 1 "), 3, "x");
    datei_schreiben(l.dir / "Alarmdaten.DAT", bytes.substr(0, bytes.find("Gruppe 7")));
    l.starten();
    EXPECT_FALSE(existiert(l.dir / "Hestrel.log")) << "the event log is off";

    l.ereignislog_an();
    l.ml.geschlossen();
    l.ml.zeigen();
    const auto log = zeilen(l.datei("Hestrel.log"));
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.front().find("lade Alarmdaten: Typen unvertr\xE4glich"), std::string::npos);
    EXPECT_NE(log.back().find("lade Alarmdaten: Einlesen hinter Dateiende"), std::string::npos);
    EXPECT_EQ(log.size(), 1u + (104u - 20u));
    EXPECT_EQ(l.m.melde_gruppen[0], 0) << "unreadable tick leaves the box as it was";
    EXPECT_EQ(l.m.melde_gruppen[1], 1);
    EXPECT_EQ(l.m.gruppennamen[5], "Gruppe 6");
    EXPECT_EQ(l.m.gruppennamen[6], "Gruppe 7") << "missing value leaves the name as it was";
    EXPECT_EQ(l.m.meldungtxt.find("lade Alarmdaten"), 22u) << "echo into the list's own field";
}

TEST(Meldeliste, UnlesbaresJournalBeimLadenMeldetUndLaedtDenRest)
{
    Liste l;
    datei_schreiben(l.dir / "Alarmdaten.DAT", l.vorlage());
    l.starten();
    l.konfigurieren({1});
    l.ereignislog_an();
    l.ml.geschlossen();
    l.fs.muster = "mameldung";
    l.ml.zeigen();
    ASSERT_FALSE(l.hinweistexte().empty());
    EXPECT_EQ(l.hinweistexte().back(), "Fehler beim Zugriff auf Pfad/Datei - 75  ");
    EXPECT_NE(l.datei("Hestrel.log").find("MeldelisteFehler beim Zugriff auf Pfad/Datei - 75"),
              std::string::npos);
    EXPECT_TRUE(l.m.listmeldungen.empty());
    // Texts and targets are there: an alarm from here still reaches its groups.
    EXPECT_EQ(l.m.alarmtexte[0], "Feueralarm im Lager");
    EXPECT_TRUE(l.m.relais_aktiv[0]);
    EXPECT_EQ(l.m.relaisfarben[0], k_gruen);
}

TEST(Meldeliste, BildschirmAnpassenNachSpeichernMitGruppe12)
{
    Liste l;
    l.starten();
    l.ml.relais_farbe(0, k_rot);
    ASSERT_FALSE(l.m.relais_aktiv[11]);
    l.h.maske().pfade[0] = l.dir.unterverzeichnis("g1");
    l.h.maske().pfade[11] = l.dir.unterverzeichnis("g12");
    l.h.maske().idnummer = "0";
    l.speichern();
    ASSERT_FALSE(l.h.maske().sichtbar) << l.h.maske().meldungtxt;
    EXPECT_TRUE(l.m.relais_aktiv[11]);
    EXPECT_EQ(l.m.relaisfarben[11], k_gruen);
    EXPECT_TRUE(l.m.gruppennamen_aktiv[11]);
    EXPECT_TRUE(l.m.melde_gruppen_aktiv[11]);
    EXPECT_EQ(l.m.relaisfarben[0], k_gruen) << "a red button of a configured group turns green";
    EXPECT_FALSE(l.m.relais_aktiv[10]);
    EXPECT_EQ(l.m.relaisfarben[10], k_schaltflaeche);

    // A directory removed again: disabled, the tick kept.
    l.ml.meldegruppe_geklickt(11);
    l.h.einstellungen().gruppenpfad[11].clear();
    l.ml.bildschirm_anpassen();
    EXPECT_FALSE(l.m.melde_gruppen_aktiv[11]);
    EXPECT_EQ(l.m.melde_gruppen[11], 1);
}

TEST(Meldeliste, MeldeAlleAendertNurFreigegebeneKaesten)
{
    Liste l;
    std::string bytes = l.vorlage();
    datei_schreiben(l.dir / "Alarmdaten.DAT", bytes); // ticks: 1, 2, 12; 5 greyed
    l.starten();
    l.konfigurieren({1, 3, 5, 40});
    l.ml.alle_gruppen_geklickt(true);
    EXPECT_TRUE(l.ml.melde_alle());
    EXPECT_EQ(l.m.melde_gruppen[0], 1);
    EXPECT_EQ(l.m.melde_gruppen[2], 1);
    EXPECT_EQ(l.m.melde_gruppen[4], 1);
    EXPECT_EQ(l.m.melde_gruppen[39], 1);
    EXPECT_EQ(l.m.melde_gruppen[1], 1) << "disabled, ticked from the file";
    EXPECT_EQ(l.m.melde_gruppen[3], 0) << "disabled, clear";
    l.ml.alle_gruppen_geklickt(false);
    EXPECT_FALSE(l.ml.melde_alle());
    EXPECT_EQ(l.m.melde_gruppen[0], 0);
    EXPECT_EQ(l.m.melde_gruppen[39], 0);
    EXPECT_EQ(l.m.melde_gruppen[1], 1);
    EXPECT_EQ(l.m.melde_gruppen[11], 1);

    // A disabled box ignores clicks; a greyed one becomes ticked.
    l.ml.meldegruppe_geklickt(1);
    EXPECT_EQ(l.m.melde_gruppen[1], 1);
    l.ml.geschlossen();
    l.ml.zeigen();
    EXPECT_EQ(l.m.melde_alle, 0) << "not saved, clear after every load";
    ASSERT_EQ(l.m.melde_gruppen[4], 2);
    l.ml.meldegruppe_geklickt(4);
    EXPECT_EQ(l.m.melde_gruppen[4], 1);
}

TEST(Meldeliste, UmbenennenUeberDenDialogMitWechselDerGruppe)
{
    Liste l;
    l.starten();
    l.konfigurieren({3, 7});
    Gruppenbezeichnung& d = l.ml.gruppenbezeichnung();
    l.ml.gruppenname_geklickt(2);
    EXPECT_TRUE(d.sichtbar);
    EXPECT_EQ(d.gruppen_index, 2);
    EXPECT_EQ(d.akt_bez, "Gruppe 3");
    d.neu_bez = "Lager"; // typed, not taken

    const auto vorher = d.aktivierungen;
    l.ml.gruppenname_geklickt(6);
    EXPECT_GT(d.aktivierungen, vorher);
    EXPECT_EQ(d.akt_bez, "Gruppe 7");
    EXPECT_EQ(d.neu_bez, "");
    d.neu_bez = " Empfang, Halle 2 ";
    d.uebernehmen_geklickt();
    EXPECT_FALSE(d.sichtbar);
    EXPECT_EQ(l.m.gruppennamen[6], " Empfang, Halle 2 ");
    EXPECT_EQ(l.m.gruppennamen[2], "Gruppe 3");
    EXPECT_FALSE(existiert(l.dir / "Alarmdaten.DAT")) << "stored only by the save";

    // Disabled status field: no dialog.
    l.ml.gruppenname_geklickt(10);
    EXPECT_FALSE(d.sichtbar);
    EXPECT_EQ(d.gruppen_index, 6);

    // Cancel changes nothing; an empty new name is taken.
    l.ml.gruppenname_geklickt(2);
    d.neu_bez = "x";
    d.abbrechen_geklickt();
    EXPECT_EQ(l.m.gruppennamen[2], "Gruppe 3");
    l.ml.gruppenname_geklickt(2);
    d.uebernehmen_geklickt();
    EXPECT_EQ(l.m.gruppennamen[2], "");

    l.ml.alarmdaten_speichern_geklickt();
    const auto z = zeilen(l.datei("Alarmdaten.DAT"));
    EXPECT_EQ(z[16], "");
    EXPECT_EQ(z[20], "\" Empfang, Halle 2 \"");
    l.ml.geschlossen();
    l.ml.zeigen();
    EXPECT_EQ(l.m.gruppennamen[6], " Empfang, Halle 2 ");
}

TEST(Meldeliste, JournalZeigtNeueZeilenUndLeereDatei)
{
    Liste l;
    l.starten();
    l.h.log().meldung_eintragen("Alarm aus Gruppe 7 von:\rFeuer in Halle 3");
    l.uhr.advance(4999);
    EXPECT_TRUE(l.m.listmeldungen.empty());
    const auto generation = l.m.liste_generation;
    l.uhr.advance(1);
    ASSERT_EQ(l.m.listmeldungen.size(), 2u);
    EXPECT_NE(l.m.listmeldungen[0].find("Alarm aus Gruppe 7 von:"), std::string::npos);
    EXPECT_EQ(l.m.listmeldungen[1], "Feuer in Halle 3");
    EXPECT_EQ(l.m.liste_generation, generation) << "rows appended, not refilled";

    l.h.log().meldung_eintragen("Alarm aus Gruppe 8 von:\rzweiter");
    l.uhr.advance(5000);
    ASSERT_EQ(l.m.listmeldungen.size(), 4u);
    EXPECT_EQ(l.m.listmeldungen[3], "zweiter");

    // "Liste löschen ?" does not wait: the timer and the program go on meanwhile.
    l.ml.liste_loeschen_geklickt();
    ASSERT_EQ(l.boxen.fragen.size(), 1u);
    EXPECT_EQ(l.boxen.fragen[0].text, "Liste löschen ?");
    l.h.log().meldung_eintragen("während der Frage");
    l.uhr.advance(5000);
    EXPECT_EQ(l.m.listmeldungen.size(), 5u);
    l.boxen.offene_antwort(false);
    EXPECT_EQ(l.m.listmeldungen.size(), 5u);
    EXPECT_EQ(zeilen_zerlegen(l.datei("mameldung.log")).size(), 5u);

    l.ml.liste_loeschen_geklickt();
    l.boxen.offene_antwort(true);
    EXPECT_TRUE(l.m.listmeldungen.empty());
    EXPECT_EQ(l.datei("mameldung.log"), "");

    l.h.log().meldung_eintragen("danach");
    l.uhr.advance(5000);
    EXPECT_EQ(l.m.listmeldungen.size(), 1u);

    // Deleted: an empty list; created again: shown again.
    std::filesystem::remove(l.dir / "mameldung.log");
    l.uhr.advance(5000);
    EXPECT_TRUE(l.m.listmeldungen.empty());
    l.h.log().meldung_eintragen("wieder");
    l.uhr.advance(5000);
    EXPECT_EQ(l.m.listmeldungen.size(), 1u);

    // The file cannot be emptied: the list stays, the user is told.
    l.fs.erlaubt = l.fs.schreibvorgaenge;
    l.ml.liste_loeschen_geklickt();
    l.boxen.offene_antwort(true);
    EXPECT_EQ(l.m.listmeldungen.size(), 1u);
    EXPECT_EQ(l.hinweistexte().back().rfind("Liste nicht gelöscht: ", 0), 0u);
}

TEST(Meldeliste, SchliessenEntlaedtUndVerwirftUngespeichertes)
{
    Liste l;
    datei_schreiben(l.dir / "Alarmdaten.DAT", l.vorlage());
    l.starten();
    l.konfigurieren({1});
    l.ml.alarmtext_geaendert(1, "nicht gespeichert");
    l.ml.gruppe_benennen(0, "weg");
    l.ml.geschlossen();
    EXPECT_FALSE(l.m.geladen);
    EXPECT_FALSE(l.m.sichtbar);
    EXPECT_FALSE(l.ml.journaltakt().aktiv());

    // Another part reaches a control: loaded again, hidden, from the file.
    EXPECT_EQ(l.ml.sammeltexte()[0], "Feueralarm im Lager");
    EXPECT_TRUE(l.m.geladen);
    EXPECT_FALSE(l.m.sichtbar);
    EXPECT_TRUE(l.ml.journaltakt().aktiv());
    EXPECT_EQ(l.m.gruppennamen[0], "Gruppe 1");
    l.ml.zeigen();
    EXPECT_TRUE(l.m.sichtbar);

    // An answer to "Liste löschen ?" after the list is gone reaches nothing.
    l.ml.liste_loeschen_geklickt();
    auto antwort = l.boxen.offene_antwort;
    l.ml.geschlossen();
    l.h.log().meldung_eintragen("bleibt");
    antwort(true);
    const auto rest = zeilen_zerlegen(l.datei("mameldung.log"));
    ASSERT_EQ(rest.size(), 1u) << "the user's answer still counts for the file, for what was asked about";
    EXPECT_TRUE(rest[0].ends_with(" bleibt"));
    EXPECT_FALSE(l.m.geladen);
}

TEST(Meldeliste, KnoepfeRufenDieZentrale)
{
    Liste l;
    std::vector<std::tuple<bool, int, int>> ausgaben;
    int gesendet = 0;
    l.ap.bei_statusausgabe = [&](bool t, int g, int a) { ausgaben.emplace_back(t, g, a); };
    l.ap.beim_ausloesen = [&] { ++gesendet; };
    l.starten();
    l.konfigurieren({4});
    l.ml.relais_geklickt(3);
    l.ml.relais_geklickt(4); // disabled: no click reaches it
    ASSERT_EQ(ausgaben.size(), 1u);
    EXPECT_EQ(ausgaben[0], std::make_tuple(false, 3, 3));
    l.ml.alarm_ausloesen_geklickt();
    EXPECT_EQ(gesendet, 1);

    l.ml.eingaenge(true, true);
    EXPECT_TRUE(l.m.ein1);
    EXPECT_TRUE(l.m.ein2);
    l.ml.relais_farbe(3, k_rot);
    EXPECT_EQ(l.m.relaisfarben[3], k_rot);
    l.ml.relais_farbe(50, k_rot); // no such button
}

TEST(Meldeliste, GrossesJournalKostetBeimStillstandKaumEtwas)
{
    Liste l;
    std::string gross;
    gross.reserve(7'000'000);
    for (int i = 0; i < 100'000; ++i) {
        gross += "08.12.2026 08:00:00 Alarm aus Gruppe " + std::to_string(i % 50 + 1) + " von:\r\n";
    }
    datei_schreiben(l.dir / "mameldung.log", gross);
    l.starten();
    ASSERT_EQ(l.m.listmeldungen.size(), k_journal_max_zeilen) << "the newest rows only";
    EXPECT_NE(l.m.listmeldungen.back().find("Gruppe 50 von:"), std::string::npos);

    constexpr int k_runden = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < k_runden; ++i) {
        l.ml.liste_laden();
    }
    const auto dauer = std::chrono::steady_clock::now() - start;
    const double ms = std::chrono::duration<double, std::milli>(dauer).count() / k_runden;
    RecordProperty("refresh_ms", std::to_string(ms));
    EXPECT_LT(ms, 1.0);

    l.h.log().meldung_eintragen("neu");
    l.uhr.advance(5000);
    ASSERT_EQ(l.m.listmeldungen.size(), k_journal_max_zeilen);
    EXPECT_NE(l.m.listmeldungen.back().find("neu"), std::string::npos);
}

TEST(Meldeliste, LoeschfrageEinmalUndNurWasBeimFragenImJournalStand)
{
    struct Fall {
        bool ok;
        int danach; // alarms journaled while the question is open
    };
    for (const Fall fall : {Fall{true, 0}, Fall{true, 2}, Fall{false, 2}}) {
        SCOPED_TRACE(std::to_string(fall.ok) + "/" + std::to_string(fall.danach));
        Liste l;
        l.starten();
        for (int i = 0; i < 3; ++i) {
            l.h.log().meldung_eintragen("Alarm aus Gruppe 1 von:\rvorher " + std::to_string(i));
        }
        l.uhr.advance(5000);
        ASSERT_EQ(l.m.listmeldungen.size(), 6u);

        l.ml.liste_loeschen_geklickt();
        l.ml.liste_loeschen_geklickt();
        EXPECT_EQ(l.boxen.fragen.size(), 1u) << "the second click brings the open question forward";
        EXPECT_EQ(l.boxen.nach_vorn_geholt, std::vector<std::string>{"Liste löschen ?"});

        std::vector<std::string> neu;
        for (int i = 0; i < fall.danach; ++i) {
            l.uhr.advance(1000);
            neu.push_back(l.h.log().zeile("danach " + std::to_string(i)));
            l.h.log().meldung_eintragen("danach " + std::to_string(i));
        }
        const std::vector<std::string> vorher = zeilen_zerlegen(l.datei("mameldung.log"));
        l.boxen.offene_antwort(fall.ok);
        l.uhr.advance(5000);

        const std::vector<std::string> datei = zeilen_zerlegen(l.datei("mameldung.log"));
        EXPECT_EQ(datei, fall.ok ? neu : vorher);
        EXPECT_EQ(l.m.listmeldungen, datei) << "the list shows what the file holds";
        if (fall.ok && fall.danach == 0) {
            EXPECT_EQ(l.datei("mameldung.log"), "");
        }

        l.ml.liste_loeschen_geklickt();
        EXPECT_EQ(l.boxen.fragen.size(), 2u) << "answered: the next click asks again";
    }
}

TEST(Meldeliste, GigabyteJournalKostetBeimStartEinMebibyte)
{
    Liste l;
    const std::string pfad = l.dir / "mameldung.log";
    // A gigabyte the disk need not hold, then real entries at its end.
    {
        std::ofstream f(pfad, std::ios::binary);
    }
    std::filesystem::resize_file(pfad, std::uint64_t{1} << 30);
    std::string ende;
    for (int i = 0; i < 30'000; ++i) {
        ende += "08.12.2026 08:00:00 Alarm aus Gruppe " + std::to_string(i % 50 + 1) + " von:\r\n";
    }
    {
        std::ofstream f(pfad, std::ios::binary | std::ios::app);
        f << ende;
    }

    const std::uint64_t vorher = gelesene_bytes();
    l.starten();
    const std::uint64_t gelesen = gelesene_bytes() - vorher;
    RecordProperty("gelesen_bytes", std::to_string(gelesen));
    EXPECT_LT(gelesen, std::uint64_t{4} << 20);
    ASSERT_EQ(l.m.listmeldungen.size(), k_journal_max_zeilen);
    EXPECT_EQ(l.m.listmeldungen.back(), "08.12.2026 08:00:00 Alarm aus Gruppe 50 von:");

    // New entries push the oldest rows out; the file keeps everything.
    const auto entfernt = l.m.liste_entfernt;
    const auto generation = l.m.liste_generation;
    l.h.log().meldung_eintragen("Alarm aus Gruppe 3 von:\rneu");
    l.uhr.advance(5000);
    EXPECT_EQ(l.m.listmeldungen.size(), k_journal_max_zeilen);
    EXPECT_EQ(l.m.listmeldungen.back(), "neu");
    EXPECT_EQ(l.m.liste_entfernt, entfernt + 2);
    EXPECT_EQ(l.m.liste_generation, generation) << "rows appended, not refilled";
    EXPECT_GT(std::filesystem::file_size(pfad), std::uint64_t{1} << 30);
}

TEST(Meldeliste, ZuGrosseDatendateienSindLadefehlerUndBleibenStehen)
{
    struct Fall {
        const char* name;
        std::uint64_t groesse;
    };
    const Fall faelle[] = {{"Hestrel.DAT", (1u << 20) + 1},
                           {"Hestrel.DAT", std::uint64_t{512} << 20},
                           {"Alarmdaten.DAT", (1u << 20) + 1},
                           {"Alarmdaten.DAT", std::uint64_t{512} << 20}};
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(std::string(fall.name) + " " + std::to_string(fall.groesse));
        Liste l;
        const std::string pfad = l.dir / fall.name;
        // One first line without an end, the rest of the file left sparse.
        datei_schreiben(pfad, std::string(1u << 20, 'A'));
        std::filesystem::resize_file(pfad, fall.groesse);
        const auto zeit = std::filesystem::last_write_time(pfad);

        const std::uint64_t vorher = gelesene_bytes();
        l.starten();
        EXPECT_LT(gelesene_bytes() - vorher, std::uint64_t{8} << 20);

        EXPECT_EQ(std::filesystem::file_size(pfad), fall.groesse) << "nothing overwritten";
        EXPECT_EQ(std::filesystem::last_write_time(pfad), zeit);
        if (std::string(fall.name) == "Hestrel.DAT") {
            ASSERT_FALSE(l.boxen.hinweise.empty());
            EXPECT_EQ(l.boxen.hinweise[0].text, "Datei zu groß: " + pfad + " - 7  ");
            EXPECT_TRUE(l.h.maske().sichtbar) << "the settings window opens, as for any load error";
            EXPECT_TRUE(l.h.einstellungen().gruppenpfad[0].empty());
        } else {
            EXPECT_EQ(l.m.alarmtexte[0], "");
            EXPECT_EQ(l.m.gruppennamen[0], "Gruppe 1");
        }
    }
}
