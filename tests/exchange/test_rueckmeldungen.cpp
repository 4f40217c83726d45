// Who sent an alarm, who answers it, and the test alarm: workstations on one
// virtual clock and one tree of group directories.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/cp1252.h"
#include "exchange/begleitdateien.h"
#include "exchange/platz.h"
#include "exchange/rueckmeldungen.h"

namespace hestrel::test {
namespace {

namespace fs = std::filesystem;

class Rueckmeldung : public ::testing::Test {
  protected:
    Rueckmeldung() { g1 = basis.unterverzeichnis("gruppe1"); }
    void SetUp() override
    {
        for (auto [p, name] : {std::pair{&a, "Kasse"}, {&b, "Empfang-2"}, {&c, "Lager"}}) {
            p->starten();
            p->gruppe(0, g1);
            p->ap.zusatz().platzname = name;
            p->fs.freigabeuhr = &uhr;
            p->ap.anwesenheit().runde();
        }
        a.liste.gruppen[0] = 1;
        uhr.advance(1000);
    }
    // The sender's alarm, presented by both receivers at their next tick.
    void senden(bool probe = false)
    {
        gesendet_um = langzeit(uhr.jetzt());
        if (probe) {
            // The tray menu's item, as the person chooses it.
            for (std::size_t i = 0; i < k_traymenue.size(); ++i) {
                if (std::string_view(k_traymenue[i].text) == "Probealarm") {
                    a.ap.traymenue().menuepunkt_gewaehlt(static_cast<int>(i));
                }
            }
        } else {
            a.ap.ausloesen();
            uhr.ausfuehren();
        }
        uhr.advance(4000);
    }
    static int zeilen(const std::string& text, const std::string& teil) { return zaehlen(text, teil); }
    // A file's time set back by `sekunden`.
    static void altern(const std::string& pfad, int sekunden)
    {
        fs::last_write_time(pfad, fs::last_write_time(pfad) - std::chrono::seconds(sekunden));
    }
    // A file laid by another desk `sekunden` ago by the share's clock (the virtual one).
    void legen(const std::string& pfad, const std::string& bytes, int sekunden)
    {
        datei_schreiben(pfad, bytes);
        Stoerdateisystem::stempeln(pfad, a.fs.freigabezeit_ns() - std::int64_t{sekunden} * 1000000000);
    }

    TempVerzeichnis basis;
    std::string g1;
    std::string gesendet_um;
    VirtualScheduler uhr;
    Platz a{uhr, basis / "a"};
    Platz b{uhr, basis / "b"};
    Platz c{uhr, basis / "c"};
};

TEST_F(Rueckmeldung, HerkunftIchKommeUndWerSonstKommt)
{
    senden();
    ASSERT_EQ(b.journaleintraege(), 1);
    ASSERT_EQ(c.journaleintraege(), 1);
    EXPECT_EQ(b.anzeige.herkunftszeile(), "Gruppe 1 · Kasse · " + gesendet_um);
    EXPECT_TRUE(b.anzeige.antwort_moeglich());
    EXPECT_EQ(b.anzeige.antwortknopf(), "Ich komme");
    EXPECT_EQ(b.anzeige.caption(), "BORL XQV GmbH");

    // "Ich komme" at b: the record lies beside the alarm, the window stops blinking.
    uhr.advance(200);
    const std::string vorher = b.journal();
    const std::string geklickt = langzeit(uhr.jetzt());
    b.anzeige.antwort_geklickt();
    uhr.ausfuehren();
    const std::string alarm = a.versand.alarmkennung();
    const auto antwort = [&](const std::string& platz) {
        std::string grund;
        return antwort_lesen(datei_lesen(g1 + antwortdatei(alarm, platz)), grund);
    };
    ASSERT_TRUE(antwort("Empfang-2"));
    EXPECT_EQ(antwort("Empfang-2")->art, Antwort::Art::kommt);
    EXPECT_EQ(zeilen(b.journal(), "Antwort gesendet: Ich komme, Alarm in Gruppe 1\r\n"), 1);
    EXPECT_EQ(b.journaleintraege(), 1) << vorher;
    EXPECT_FALSE(b.anzeige.antwort_moeglich());
    for (int i = 0; i < 4; ++i) {
        uhr.advance(250);
        EXPECT_EQ(b.anzeige.hintergrundfarbe(), k_rot);
    }

    // The sender shows it within half a second of its writing, with one short tone;
    // the third receiver within a second; the answering one does not count itself.
    EXPECT_EQ(a.bestaetigung.rueckmeldetext(), "Es kommt (1): Empfang-2 " + geklickt);
    EXPECT_EQ(a.ton.piepe, (std::vector<std::pair<int, int>>{{1000, 120}}));
    EXPECT_EQ(c.anzeige.rueckmeldezeile(), "1 kommt bereits: Empfang-2");
    EXPECT_EQ(b.anzeige.rueckmeldezeile(), "");

    // "OK !" hides the confirmation; the next answer brings it back.
    uhr.advance(15000);
    a.bestaetigung.ok_geklickt();
    ASSERT_FALSE(a.bestaetigung.sichtbar());
    c.anzeige.antwort_geklickt();
    uhr.advance(1000);
    EXPECT_TRUE(a.bestaetigung.sichtbar());
    EXPECT_EQ(a.bestaetigung.rueckmeldungen().size(), 2u);
    EXPECT_EQ(a.bestaetigung.rueckmeldetext().rfind("Es kommen (2): Empfang-2 " + geklickt + ", Lager ", 0),
              0u)
        << a.bestaetigung.rueckmeldetext();
    EXPECT_EQ(b.anzeige.rueckmeldezeile(), "1 kommt bereits: Lager");
    EXPECT_EQ(a.ton.piepe.size(), 1u) << "a tone with the first answer only";

    // Each answer once in the sender's journal, however often it looks.
    uhr.advance(60000);
    const std::string j = cp1252_zu_utf8(a.journal());
    EXPECT_EQ(zeilen(j, "Antwort von Empfang-2"), 1) << j;
    EXPECT_EQ(zeilen(j, "Antwort von Lager"), 1) << j;
    EXPECT_EQ(zeilen(j, ": Ich komme, Alarm in Gruppe 1\r\n"), 2) << j;

    // Ten minutes after the send the answers go and the sender stops looking.
    EXPECT_TRUE(a.ap.rueckmeldungen().sendertakt().aktiv());
    uhr.advance(Rueckmeldungen::k_dauer_ms);
    EXPECT_TRUE(a.bestaetigung.rueckmeldungen().empty());
    EXPECT_EQ(a.bestaetigung.rueckmeldetext(), "");
    EXPECT_FALSE(a.ap.rueckmeldungen().sendertakt().aktiv());
}

// Alarms close together reach one desk: each stays in its window with its own
// origin line and answer, real ones first and newest first, and each answer
// reaches its own sender. Closing acts on one alarm, "Alle schließen" on all.
TEST_F(Rueckmeldung, JederOffeneAlarmBleibtSichtbarUndWirdBeantwortet)
{
    const std::string g2 = basis.unterverzeichnis("gruppe2");
    b.gruppe(1, g2);
    c.gruppe(1, g2);
    a.gruppe(1, g2);
    struct Sendung {
        Platz* von;
        std::vector<int> gruppen;
        bool probe;
        int danach_ms;
    };
    struct Fall {
        const char* name;
        std::vector<Sendung> sendungen;
        std::size_t gezeigt;
    };
    const std::vector<Fall> faelle = {
        {"zwei Gruppen, 0,3 s auseinander", {{&a, {0}, false, 300}, {&c, {1}, false, 5000}}, 2},
        {"eine Gruppe, nacheinander", {{&a, {0}, false, 20000}, {&c, {0}, false, 5000}}, 2},
        {"Probealarm nach einem echten", {{&a, {0}, false, 300}, {&c, {1}, true, 5000}}, 2},
        {"Probealarm vor einem echten", {{&c, {1}, true, 300}, {&a, {0}, false, 5000}}, 2},
        {"drei, zwei Gruppen", {{&a, {0}, false, 300}, {&c, {1}, false, 20000}, {&a, {0}, false, 5000}}, 3},
        // One alarm into both groups b polls is one alarm in its window.
        {"eine Sendung in zwei Gruppen", {{&a, {0, 1}, false, 5000}}, 1},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        b.anzeige.schliessen_geklickt();
        const int a_vorher = zeilen(a.journal(), "Antwort von Empfang-2");
        const int c_vorher = zeilen(c.journal(), "Antwort von Empfang-2");
        std::vector<std::string> antwortdateien;
        for (const Sendung& s : f.sendungen) {
            s.von->liste.gruppen.fill(0);
            for (int g : s.gruppen) {
                s.von->liste.gruppen[static_cast<std::size_t>(g)] = 1;
            }
            if (s.probe) {
                for (std::size_t i = 0; i < k_traymenue.size(); ++i) {
                    if (std::string_view(k_traymenue[i].text) == "Probealarm") {
                        s.von->ap.traymenue().menuepunkt_gewaehlt(static_cast<int>(i));
                    }
                }
            } else {
                s.von->ap.ausloesen();
            }
            antwortdateien.push_back((s.gruppen[0] == 0 ? g1 : g2) +
                                     antwortdatei(s.von->versand.alarmkennung(), "Empfang-2"));
            uhr.advance(s.danach_ms);
        }

        // All in the window, each with its origin: real ones first, newest first.
        const std::vector<OffenerAlarm> alarme = b.anzeige.alarme();
        ASSERT_EQ(alarme.size(), f.gezeigt);
        for (std::size_t i = 0; i < alarme.size(); ++i) {
            EXPECT_FALSE(alarme[i].herkunft.empty()) << i;
            if (i > 0) {
                EXPECT_TRUE(alarme[i].probe || !alarme[i - 1].probe) << "a test alarm above a real one";
                EXPECT_TRUE(alarme[i].probe != alarme[i - 1].probe ||
                            alarme[i].nummer < alarme[i - 1].nummer);
            }
        }
        EXPECT_FALSE(alarme.front().probe);
        EXPECT_EQ(b.anzeige.caption(), "BORL XQV GmbH");
        EXPECT_EQ(b.anzeige.hauptfarbe(), k_rot);

        // Each answered, the oldest first: each record lies in its own group, each sender hears it.
        for (auto it = alarme.rbegin(); it != alarme.rend(); ++it) {
            b.anzeige.antwort_geklickt(it->nummer);
        }
        uhr.advance(2000);
        for (const std::string& datei : antwortdateien) {
            EXPECT_TRUE(existiert(datei)) << datei;
        }
        const auto von = [&](Platz* p) {
            return static_cast<int>(std::count_if(f.sendungen.begin(), f.sendungen.end(),
                                                  [p](const Sendung& s) { return s.von == p; }));
        };
        EXPECT_EQ(zeilen(a.journal(), "Antwort von Empfang-2") - a_vorher, von(&a));
        EXPECT_EQ(zeilen(c.journal(), "Antwort von Empfang-2") - c_vorher, von(&c));
        EXPECT_TRUE(b.anzeige.alle_beantwortet());

        // Closing one leaves the others; "Alle schließen" empties the window.
        b.anzeige.alarm_schliessen(alarme.front().nummer);
        EXPECT_EQ(b.anzeige.alarme().size(), alarme.size() - 1);
        EXPECT_EQ(b.anzeige.sichtbar(), alarme.size() > 1);
        b.anzeige.schliessen_geklickt();
        EXPECT_TRUE(b.anzeige.alarme().empty());
        EXPECT_FALSE(b.anzeige.sichtbar());
        EXPECT_EQ(b.journaleintraege(), zaehlen(b.journal(), "Alarm aus Gruppe")) << "one entry per alarm";
        uhr.advance(20000);
    }
}

TEST_F(Rueckmeldung, AntwortAufEinFrueheresAlarmKommtInsJournal)
{
    // b answers the first alarm only after the same desk sent a second one.
    senden();
    const std::string erster = a.versand.alarmkennung();
    ASSERT_TRUE(b.anzeige.antwort_moeglich());
    uhr.advance(20000);
    b.anzeige.schliessen_geklickt();
    a.liste.gruppen[0] = 1;
    senden();
    ASSERT_NE(a.versand.alarmkennung(), erster);
    // The answer as b would have written it for the first alarm.
    Antwort antwort;
    antwort.alarm = erster;
    antwort.platz = "Empfang-2";
    antwort.zeit = kurzdatum(uhr.jetzt()) + " " + langzeit(uhr.jetzt());
    ASSERT_FALSE(EchtesDateisystem().ersetzen(g1 + antwortdatei(erster, "Empfang-2"), kodieren(antwort)));
    uhr.advance(1000);

    // Into the journal once; the confirmation shows the newest alarm's answers, silently.
    EXPECT_EQ(zeilen(a.journal(), "Antwort von Empfang-2: Ich komme, Alarm in Gruppe 1\r\n"), 1)
        << a.journal();
    EXPECT_TRUE(a.bestaetigung.rueckmeldungen().empty());
    EXPECT_TRUE(a.ton.piepe.empty());
    uhr.advance(5000);
    EXPECT_EQ(zeilen(a.journal(), "Antwort von Empfang-2"), 1);

    // The first alarm's ten minutes end before the second's.
    uhr.advance(Rueckmeldungen::k_dauer_ms - 30000);
    EXPECT_TRUE(a.ap.rueckmeldungen().sendertakt().aktiv());
    uhr.advance(30000);
    EXPECT_FALSE(a.ap.rueckmeldungen().sendertakt().aktiv());
}

TEST_F(Rueckmeldung, OhnePassendeHerkunftKeineZeileUndKeinKnopf)
{
    const std::string text = "\xDC"
                             "berfall\r\nKasse 2\r\n";
    Herkunft h;
    h.alarm = "0123456789abcdef";
    h.platz = "Empfang-9";
    h.zeit = "01.02.2024 10:32:05";
    h.gruppen = {1};
    h.pruefsumme = pruefsumme(text);
    Herkunft anders = h;
    anders.pruefsumme = pruefsumme("Brand\r\n");
    const std::string herkunft = g1 + k_herkunftsdatei;

    struct Fall {
        const char* name;
        std::function<void()> legen; // after the alarm's files
        int spaeter_ms;              // the record is laid this long after the alarm
        bool zeile;
        int protokolliert;
    };
    const std::vector<Fall> faelle{
        {"older sender: no record", [] {}, 0, false, 0},
        {"record of an earlier alarm with the same text", [&] { legen(herkunft, kodieren(h), 60); }, 0, false,
         0},
        {"another alarm's record", [&] { legen(herkunft, kodieren(anders), 0); }, 0, false, 0},
        {"garbage", [&] { legen(herkunft, "HESTREL-HERKUNFT 1\r\nAlarm=zz\r\n", 0); }, 0, false, 1},
        {"too large", [&] { legen(herkunft, std::string(k_max_begleitdatei + 1, 'x'), 0); }, 0, false, 1},
        {"a link", [&] { fs::create_symlink(g1 + "ziel.txt", herkunft); }, 0, false, 0},
        {"its own record", [&] { legen(herkunft, kodieren(h), 0); }, 0, true, 0},
        {"its own record, written late", [&] { legen(herkunft, kodieren(h), 0); }, 2500, true, 0},
    };
    datei_schreiben(g1 + "ziel.txt", kodieren(h));
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        fs::remove(herkunft);
        b.anzeige.schliessen();
        b.empfang.abfragetakt().stop();
        fs::remove(g1 + "MESSAGE.XQV");
        uhr.advance(5000);
        b.empfang.abfragetakt().start();
        uhr.advance(5000);
        const std::string log_vorher = b.ereignislog();
        alarm_legen(g1, text);
        for (const char* datei : {"MDAT0.XQV", "MESSAGE.XQV"}) {
            Stoerdateisystem::stempeln(g1 + datei, a.fs.freigabezeit_ns());
        }
        if (f.spaeter_ms == 0) {
            f.legen();
        }
        uhr.advance(5000);
        ASSERT_EQ(b.anzeige.alarmtext(), cp1252_zu_utf8(text));
        ASSERT_TRUE(b.anzeige.sichtbar());
        if (f.spaeter_ms != 0) {
            uhr.advance(f.spaeter_ms);
            f.legen();
        }
        uhr.advance(8000);
        EXPECT_EQ(b.anzeige.herkunftszeile(), f.zeile ? "Gruppe 1 · Empfang-9 · 10:32:05" : "");
        EXPECT_EQ(b.anzeige.antwort_moeglich(), f.zeile);
        const std::string log = b.ereignislog().substr(log_vorher.size());
        EXPECT_EQ(zeilen(log, "Begleitdatei \xFC"
                              "bergangen"),
                  f.protokolliert)
            << log;
        EXPECT_EQ(b.ap.rueckmeldungen().empfaengertakt().aktiv(), f.zeile)
            << "an older sender reads no answers";
    }
}

TEST_F(Rueckmeldung, ProbealarmBlauMitEinemTonOhneGeraetUndMitEmpfangsliste)
{
    int ausgaenge = 0;
    c.h.einstellungen().comdeaktiviert = "0";
    c.ap.bei_statusausgabe = [&](bool, int, int) { ++ausgaenge; };
    senden(true);

    // Older receivers read a text that says what it is.
    const std::string daten = datei_lesen(g1 + "MDAT0.XQV");
    EXPECT_EQ(daten.substr(0, 23), "PROBEALARM \x96 \xDC"
                                   "berfall\r\n");
    std::string grund;
    const auto h = herkunft_lesen(datei_lesen(g1 + k_herkunftsdatei), grund);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->probe);
    EXPECT_EQ(h->gruppen, std::vector<int>{1});
    EXPECT_EQ(h->pruefsumme, pruefsumme(daten));

    for (Platz* p : {&b, &c}) {
        EXPECT_EQ(p->anzeige.caption(), "PROBEALARM");
        EXPECT_EQ(p->anzeige.hintergrundfarbe(), k_probeblau);
        EXPECT_EQ(p->anzeige.vordergrundfarbe(), k_weiss);
        EXPECT_EQ(p->anzeige.antwortknopf(), "Empfangen");
        EXPECT_EQ(p->ton.piepe, (std::vector<std::pair<int, int>>{{1500, 200}})) << "one short tone";
        EXPECT_TRUE(p->ton.gespielt.empty());
        EXPECT_TRUE(p->liste.farben.empty());
    }
    uhr.advance(500);
    EXPECT_EQ(b.anzeige.hintergrundfarbe(), k_weiss);
    EXPECT_EQ(b.anzeige.vordergrundfarbe(), k_probeblau);
    EXPECT_EQ(ausgaenge, 0) << "a test alarm leaves the alarm box's output alone";
    uhr.advance(3000);
    EXPECT_EQ(b.ton.piepe.size(), 1u) << "no beeps follow";

    b.anzeige.antwort_geklickt();
    uhr.ausfuehren();
    c.anzeige.antwort_geklickt();
    uhr.advance(500);
    EXPECT_EQ(a.bestaetigung.meldung(), "Der Probealarm wurde ausgelöst .");
    EXPECT_EQ(a.bestaetigung.rueckmeldetext().substr(0, 25), "Empfangen (2): Empfang-2 ");
    EXPECT_EQ(zeilen(cp1252_zu_utf8(a.journal()), ": Empfangen, Probealarm in Gruppe 1\r\n"), 2);
    EXPECT_EQ(zeilen(cp1252_zu_utf8(b.journal()), "Antwort gesendet: Empfangen, Probealarm in Gruppe 1\r\n"),
              1);

    // A real alarm within the test's 15 s is a new alarm for those who showed the test.
    a.ap.ausloesen();
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_EQ(b.anzeige.caption(), "BORL XQV GmbH");
    EXPECT_EQ(b.anzeige.hauptfarbe(), k_rot);
    EXPECT_EQ(ausgaenge, 1);
    EXPECT_NE(a.versand.alarmkennung(), h->alarm);

    // A test alarm never takes the place of a real one still on its way.
    const std::string echt = datei_lesen(g1 + "MDAT0.XQV");
    const auto hinweise = a.boxen.hinweise.size();
    a.ap.traymenue().probealarm_senden();
    uhr.ausfuehren();
    EXPECT_EQ(datei_lesen(g1 + "MDAT0.XQV"), echt);
    EXPECT_EQ(a.boxen.hinweise.size(), hinweise + 1);
}

TEST_F(Rueckmeldung, NurEineHerkunftDiesesAlarmsMachtEinenProbealarm)
{
    int ausgaenge = 0;
    b.h.einstellungen().comdeaktiviert = "0";
    b.ap.bei_statusausgabe = [&](bool, int, int) { ++ausgaenge; };
    const std::string text = utf8_zu_cp1252("PROBEALARM – Kasse 2\r\n");
    // The origin record's age against the signal file's (1 s); -1: none.
    struct Fall {
        const char* was;
        int herkunft_alter;
        bool probe, passende_summe, als_probe;
    };
    const Fall faelle[] = {
        {"an older desk's alarm with the test prefix", -1, false, true, false},
        {"a Hestrel alarm whose record says Probe=0", 0, false, true, false},
        {"Probe=1 written before this signal file (an earlier alarm's)", 2, true, true, false},
        {"Probe=1 with another text's check sum", 0, true, false, false},
        {"Probe=1 of this alarm", 0, true, true, true},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.was);
        const int vorher = ausgaenge;
        fs::remove(g1 + k_herkunftsdatei);
        legen(g1 + "MDAT0.XQV", text, 1);
        legen(g1 + "MESSAGE.XQV", "0", 1);
        if (f.herkunft_alter >= 0) {
            const Herkunft h{"0123456789abcdef",
                             "Kasse",
                             "",
                             "09.12.2026 10:00:00",
                             {1},
                             f.probe,
                             pruefsumme(f.passende_summe ? text : "anders")};
            legen(g1 + k_herkunftsdatei, kodieren(h), f.herkunft_alter);
        }
        b.ton.piepe.clear();
        uhr.advance(6000);
        const OffenerAlarm* gezeigt = b.anzeige.alarm(b.anzeige.alarmnummer());
        ASSERT_TRUE(gezeigt);
        EXPECT_EQ(gezeigt->text, cp1252_zu_utf8(text));
        EXPECT_EQ(gezeigt->probe, f.als_probe);
        EXPECT_EQ(gezeigt->antwortknopf(), f.als_probe ? "Empfangen" : "Ich komme");
        EXPECT_EQ(ausgaenge - vorher, f.als_probe ? 0 : 1) << "the alarm box's output";
        EXPECT_EQ(!b.ton.piepe.empty() && b.ton.piepe.back() == std::pair(1500, 200), f.als_probe);
        b.anzeige.verbergen();
        fs::remove(g1 + "MESSAGE.XQV");
        uhr.advance(6000);
    }
    EXPECT_EQ(b.journaleintraege(), 5);
}

TEST_F(Rueckmeldung, ProbealarmWeichtEinemFremdenAlarmAusEchterAlarmNieDemVorsatz)
{
    // b's real alarm into group 1, its text beginning like a test's: it goes without that beginning.
    b.liste.gruppen[0] = 1;
    b.liste.texte = {"PROBEALARM – Hilfe Lager", "", "", ""};
    b.ap.ausloesen();
    uhr.ausfuehren();
    const std::string echt = datei_lesen(g1 + "MDAT0.XQV");
    EXPECT_EQ(echt.substr(0, 13), "Hilfe Lager\r\n");
    EXPECT_EQ(b.boxen.hinweise.at(0).text.substr(0, 46), "Der Alarm wurde gesendet, aber ohne den Anfang");
    // Half a second later a's test alarm: not into group 1, and a is told why.
    uhr.advance(500);
    a.ap.traymenue().probealarm_senden();
    uhr.ausfuehren();
    EXPECT_EQ(datei_lesen(g1 + "MDAT0.XQV"), echt);
    EXPECT_EQ(a.boxen.hinweise.at(0).text.substr(0, 55),
              "Der Probealarm wurde in Gruppe 1 nicht gesendet: dort i");
    EXPECT_FALSE(a.bestaetigung.sichtbar()) << "nothing was sent";
    uhr.advance(5000);
    EXPECT_EQ(c.anzeige.alarmtext().substr(0, 11), "Hilfe Lager");
    EXPECT_EQ(c.anzeige.hauptfarbe(), k_rot);

    // Once b's alarm is cleaned up and its texts older than the wait, the test goes through.
    uhr.advance(15000);
    a.ap.traymenue().probealarm_senden();
    uhr.ausfuehren();
    EXPECT_TRUE(a.bestaetigung.sichtbar());
    uhr.advance(5000);
    EXPECT_TRUE(c.anzeige.alarm(c.anzeige.alarmnummer())->probe);
}

TEST_F(Rueckmeldung, LiegengebliebeneSignaldateiGehtFrischeBleibt)
{
    // A stopped sender's alarm 21 s old by the share's clock goes, once; a fresh one 8 s old stays.
    for (const int alter : {8, 21}) {
        SCOPED_TRACE(alter);
        legen(g1 + "MDAT0.XQV", "liegt", alter);
        legen(g1 + "MESSAGE.XQV", "0", alter);
        uhr.advance(10000);
        EXPECT_EQ(existiert(g1 + "MESSAGE.XQV"), alter < 20);
        std::string log;
        for (Platz* p : {&a, &b, &c}) {
            log += p->ereignislog();
        }
        EXPECT_EQ(zeilen(log, "Liegengebliebene Message gel\xF6scht: Gruppe 1\r\n"), alter < 20 ? 0 : 1);
        fs::remove(g1 + "MESSAGE.XQV");
        uhr.advance(10000);
    }
    EXPECT_EQ(b.journaleintraege() + c.journaleintraege(), 4) << "each shown before it goes";
}

TEST_F(Rueckmeldung, AntwortNichtGeschriebenWirdGesagtUndNichtEingetragen)
{
    senden();
    b.fs.schreiben_muster = "hestrel-antwort";
    b.anzeige.antwort_geklickt();
    uhr.ausfuehren();
    EXPECT_FALSE(b.anzeige.geantwortet());
    EXPECT_TRUE(b.anzeige.antwort_moeglich()) << "it can be pressed again";
    EXPECT_EQ(b.anzeige.rueckmeldezeile().substr(0, 24), "Antwort nicht gesendet: ");
    EXPECT_EQ(zeilen(b.journal(), "Antwort gesendet"), 0);
    EXPECT_EQ(zeilen(b.ereignislog(), "Antwort nicht geschrieben"), 1);
    uhr.advance(1000);
    EXPECT_TRUE(a.bestaetigung.rueckmeldungen().empty());
}

TEST_F(Rueckmeldung, VeralteteAntwortenHerkunftUndVorlagenWerdenEntfernt)
{
    senden();
    b.anzeige.antwort_geklickt();
    uhr.ausfuehren();
    const std::string alt = g1 + antwortdatei("00000000000000aa", "Alt");
    legen(alt, "HESTREL-ANTWORT 1\r\n", 11 * 60);
    // A temporary file whose removal a share refused, and one being written right now.
    const std::string liegt = g1 + ".MESSAGE.XQV.tmp0123456789abcdef";
    const std::string jetzt = g1 + ".MDAT0.XQV.tmpfedcba9876543210";
    legen(liegt, "0", 6 * 60);
    legen(jetzt, "0", 0);
    const std::string frisch = g1 + antwortdatei(a.versand.alarmkennung(), "Empfang-2");
    ASSERT_TRUE(existiert(frisch));

    uhr.advance(Anwesenheitsmelder::k_takt_ms);
    EXPECT_FALSE(existiert(alt));
    EXPECT_FALSE(existiert(liegt));
    EXPECT_TRUE(existiert(jetzt));
    EXPECT_TRUE(existiert(frisch)) << "younger than ten minutes";
    EXPECT_TRUE(existiert(g1 + k_herkunftsdatei));
    EXPECT_TRUE(existiert(g1 + "MDAT0.XQV"));

    uhr.advance(10 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_FALSE(existiert(frisch));
    EXPECT_FALSE(existiert(jetzt));
    EXPECT_FALSE(existiert(g1 + k_herkunftsdatei));
    // Only the running workstations' presence records stay.
    for (const auto& e : fs::directory_iterator(g1)) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name.rfind("hestrel-", 0) != 0 || name.rfind(k_anwesenheitspraefix, 0) == 0) << e.path();
        EXPECT_NE(name[0], '.') << e.path();
    }
}

} // namespace
} // namespace hestrel::test
