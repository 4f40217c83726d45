// Hestrel beside an older workstation on one group tree: alarms go both
// ways, and the older one keeps its own habits (a flag per group while any
// signal file lies there, a clean-up of every group 15 s after its send).
#include <gtest/gtest.h>

#include <memory>

#include "exchange/platz.h"
#include "reliability/altplatz.h"

namespace hestrel::test {
namespace {

class Mischbetrieb : public ::testing::Test {
  protected:
    Mischbetrieb()
    {
        for (int i = 0; i < 3; ++i) {
            g[i] = basis.unterverzeichnis("gruppe" + std::to_string(i + 1));
        }
    }
    void SetUp() override
    {
        a.starten();
        for (int i = 0; i < 3; ++i) {
            a.gruppe(i, g[i]);
        }
        // Its presence records, as at the program's start: they give it the shares' clock.
        a.ap.anwesenheit().runde();
        o = alt_starten("o");
    }
    std::unique_ptr<Altplatz> alt_starten(const std::string& name)
    {
        const std::string daten = basis.unterverzeichnis(name);
        Altplatz::Umgebung u{echt, uhr, daten.substr(0, daten.size() - 1), "", {}, nullptr, nullptr};
        // Its files get the share's time, as Hestrel's clock there tells it.
        u.geschrieben = [this](const std::string& pfad) {
            frisch({&a}, pfad.substr(0, pfad.rfind('/') + 1), pfad.substr(pfad.rfind('/') + 1));
        };
        for (int i = 0; i < 3; ++i) {
            u.gruppenpfad[static_cast<std::size_t>(i)] = g[i];
        }
        return std::make_unique<Altplatz>(std::move(u));
    }
    void hestrel_sendet(const std::string& text, int gruppe)
    {
        a.liste.gruppen.fill(0);
        a.liste.gruppen[static_cast<std::size_t>(gruppe)] = 1;
        a.liste.texte = {text, "", "", ""};
        a.ap.ausloesen();
    }
    static void alt_sendet(Altplatz& p, const std::string& text, int gruppe)
    {
        p.alarm_ausloesen({text, "", "", ""}, {gruppe}, false);
    }
    std::string alt_journal() const { return datei_lesen(basis / "o/mameldung.log"); }

    TempVerzeichnis basis;
    std::string g[3];
    VirtualScheduler uhr;
    EchtesDateisystem echt;
    Platz a{uhr, basis / "a"};
    std::unique_ptr<Altplatz> o;
};

TEST_F(Mischbetrieb, AlarmeGehenInBeideRichtungen)
{
    // Older to Hestrel: data file written in place, then the signal file.
    uhr.advance(1000);
    alt_sendet(*o, "vom alten", 0);
    EXPECT_EQ(datei_lesen(g[0] + "MDAT0.XQV"), "vom alten\r\n\r\n\r\n\r\n");
    EXPECT_EQ(o->intervall(), 15000);
    uhr.advance(4000);
    EXPECT_EQ(a.journaleintraege(), 1);
    EXPECT_EQ(a.anzeige.alarmtext(), "vom alten\r\n\r\n\r\n\r\n");

    // Hestrel to older, within the older sender's wait: it does not poll, so it sees it after its clean-up.
    uhr.advance(2000);
    hestrel_sendet("von Hestrel", 2);
    uhr.advance(9000); // 16 s: the older clean-up removed every signal file, also Hestrel's fresh one
    EXPECT_FALSE(existiert(g[0] + "MESSAGE.XQV"));
    EXPECT_FALSE(existiert(g[2] + "MESSAGE.XQV"));
    EXPECT_EQ(alt_journal(), "");
    EXPECT_EQ(o->intervall(), 5000);

    // Hestrel again, with the older one listening: shown once, journal "Alarm aus Gruppe 2 von:".
    uhr.advance(20000);
    hestrel_sendet("noch einmal", 1);
    uhr.advance(5000);
    EXPECT_EQ(o->angezeigt(), 1);
    EXPECT_NE(alt_journal().find(" Alarm aus Gruppe 2 von:\rnoch einmal\r\n\r\n\r\n\r\n\r\n"),
              std::string::npos);
    // Group 3 right behind it has no signal file: that clears empfang_aktiv and sets 5000 ms again.
    EXPECT_FALSE(o->empfang_aktiv());
    uhr.advance(5000);
    EXPECT_EQ(o->angezeigt(), 1);
    // Hestrel removes its own file 15 s after its send; then the older one forgets the group.
    uhr.advance(6000);
    EXPECT_FALSE(existiert(g[1] + "MESSAGE.XQV"));
    EXPECT_FALSE(o->gruppe_gemeldet(1));
}

TEST_F(Mischbetrieb, DasAlteVerhaltenBleibtErhalten)
{
    struct Fall {
        const char* was;
        // What lies in group 1 before the second alarm, and whether the older receiver shows the second.
        bool luecke_gesehen;
        bool leerer_schluessel;
        int erwartet_angezeigt;
        bool signal_bleibt;
    };
    const Fall faelle[] = {
        {"replaced without a gap: the flag stays, the second alarm is missed", false, false, 1, true},
        {"a gap one poll saw: the second is a new alarm", true, false, 2, true},
        {"a half-written (empty) signal file names no data file and is deleted", true, true, 1, false},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.was);
        std::filesystem::remove_all(g[0]);
        std::filesystem::create_directories(g[0]);
        o = alt_starten("o" + std::to_string(&f - faelle));
        alarm_legen(g[0], "eins");
        frisch({&a}, g[0], "MESSAGE.XQV");
        uhr.advance(5000);
        ASSERT_EQ(o->angezeigt(), 1);
        if (f.luecke_gesehen) {
            std::filesystem::remove(g[0] + "MESSAGE.XQV");
            uhr.advance(5000);
            EXPECT_FALSE(o->gruppe_gemeldet(0));
        }
        uhr.advance(2000);
        datei_schreiben(g[0] + "MDAT0.XQV", "zwei");
        datei_schreiben(g[0] + "MESSAGE.XQV", f.leerer_schluessel ? "" : "0");
        frisch({&a}, g[0], "MESSAGE.XQV");
        uhr.advance(10000);
        EXPECT_EQ(o->angezeigt(), f.erwartet_angezeigt);
        EXPECT_EQ(existiert(g[0] + "MESSAGE.XQV"), f.signal_bleibt);
        std::filesystem::remove(g[0] + "MESSAGE.XQV");
    }
}

TEST_F(Mischbetrieb, GestoppterAlterSenderBlendetAlteEmpfaengerNicht)
{
    // An older sender stops right after sending to group 2: its signal file stays.
    auto weg = alt_starten("weg");
    uhr.advance(1000);
    alt_sendet(*weg, "liegt noch", 1);
    uhr.advance(5000);
    weg.reset();
    ASSERT_EQ(o->angezeigt(), 1);
    ASSERT_TRUE(o->gruppe_gemeldet(1));

    // Hestrel sends to group 1 and cleans up, leftovers included.
    uhr.advance(30000);
    hestrel_sendet("Gruppe 1", 0);
    uhr.advance(16000);
    EXPECT_FALSE(existiert(g[1] + "MESSAGE.XQV"));
    uhr.advance(5000);
    EXPECT_FALSE(o->gruppe_gemeldet(1));

    // The next alarm to group 2 reaches the older receiver.
    hestrel_sendet("Gruppe 2", 1);
    uhr.advance(5000);
    EXPECT_NE(alt_journal().find(" Alarm aus Gruppe 2 von:\rGruppe 2\r\n"), std::string::npos);
}

TEST_F(Mischbetrieb, EchterAlarmNachEinemProbealarmErreichtAlteUndNeueEmpfaenger)
{
    // A Hestrel receiver beside the older one; the sender's test alarm, then its real alarm.
    Platz b{uhr, basis / "b"};
    b.starten();
    b.gruppe(0, g[0]);
    a.liste.gruppen[0] = 1;
    for (const int sekunden : {3, 6, 12, 14, 16}) {
        SCOPED_TRACE(sekunden);
        const std::string text = "Echt nach " + std::to_string(sekunden) + " s";
        const std::string eintrag = " Alarm aus Gruppe 1 von:\r" + text + "\r\n";
        a.ap.traymenue().probealarm_senden();
        uhr.advance(sekunden * 1000);
        hestrel_sendet(text, 0);
        // Hestrel receivers have it at their next poll, once.
        uhr.advance(5000);
        EXPECT_EQ(zaehlen(b.journal(), eintrag), 1);
        EXPECT_EQ(b.anzeige.hauptfarbe(), k_rot);
        // Older ones after the pause that lets them forget the test alarm.
        uhr.advance(40000);
        EXPECT_GE(zaehlen(alt_journal(), eintrag), 1) << alt_journal();
        EXPECT_EQ(zaehlen(b.journal(), eintrag), 1) << "written again for the older ones, not shown again";
        EXPECT_FALSE(existiert(g[0] + "MESSAGE.XQV"));
        EXPECT_EQ(zaehlen(a.journal(), "Alarm aus Gruppe"), 0) << "the sender never shows its own";
    }
}

} // namespace
} // namespace hestrel::test
