// The alarm device on a workstation's engine: interface check, commands,
// and the reaction to status frames, on a virtual clock with a port in memory.
#include <functional>

#include <gtest/gtest.h>

#include "core/cp1252.h"
#include "device/geraet.h"
#include "exchange/platz.h"

namespace hestrel::test {
namespace {

std::string bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int x : b) {
        s += static_cast<char>(x);
    }
    return s;
}

// A status frame: input 1, input 2, outputs 1..10.
std::string rahmen(int ein1, int ein2, std::initializer_list<int> an = {})
{
    std::string r = bytes({242, 1, ein1, ein2});
    for (int n = 1; n <= 10; ++n) {
        r += static_cast<char>(std::find(an.begin(), an.end(), n) != an.end() ? 1 : 0);
    }
    return r;
}

const std::string k_abfrage = bytes({242, 1, 10});
const std::string k_reset = bytes({242, 3, 11});

class Liste : public FakeMeldeliste {
  public:
    using FakeMeldeliste::FakeMeldeliste;
    void eingaenge(bool a, bool b) override { ein = {a, b}; }
    std::pair<bool, bool> ein{true, true};
};

class GeraetTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        p.starten();
        p.ap.meldeliste_verwenden(&liste);
        liste.gruppen[0] = 1;
        p.gruppe(0, g1);
        Einstellungen& e = p.h.einstellungen();
        e.comdeaktiviert = "0";
        e.portnummer = "3";
        p.port.setCommPort(3);
        p.port.oeffnen();
        p.port.oeffnungen = 0;
    }
    // The event log is Windows-1252.
    int logzeilen(const std::string& teil) const { return zaehlen(p.ereignislog(), utf8_zu_cp1252(teil)); }
    std::vector<int> farben_von(std::size_t ab) const
    {
        std::vector<int> f;
        for (std::size_t i = ab; i < liste.farben.size(); ++i) {
            f.push_back(liste.farben[i].second);
        }
        return f;
    }
    bool gesendet() const { return existiert(g1 + "MESSAGE.XQV"); }

    TempVerzeichnis basis;
    std::string g1 = basis.unterverzeichnis("gruppe1");
    VirtualScheduler uhr;
    Platz p{uhr, basis / "daten"};
    Liste liste{p.ereignisse};
    Geraet& geraet = p.ap.geraet();
};

TEST_F(GeraetTest, SchnittstellenpruefungOeffntNeuUndFragtDenStatusAb)
{
    p.ap.geraet().statusabfrage().start();
    p.port.geschrieben.clear();
    uhr.advance(499);
    EXPECT_EQ(p.port.geschrieben, "");
    uhr.advance(1);
    EXPECT_EQ(p.port.geschrieben, k_abfrage);
    EXPECT_TRUE(p.port.offen());
    EXPECT_EQ(p.port.commPort(), 3);
    uhr.advance(500);
    EXPECT_EQ(p.port.geschrieben, k_abfrage + k_abfrage);
    EXPECT_TRUE(p.boxen.hinweise.empty());

    // A changed port number is taken at the next check; a number that is none gives 0.
    p.h.einstellungen().portnummer = "abc";
    uhr.advance(500);
    EXPECT_EQ(p.port.commPort(), 0);

    // Switched off: no port operation, no box.
    p.h.einstellungen().comdeaktiviert = "1";
    const int vorher = p.port.oeffnungen;
    uhr.advance(5000);
    EXPECT_EQ(p.port.oeffnungen, vorher);
    EXPECT_TRUE(p.boxen.hinweise.empty());
}

TEST_F(GeraetTest, UnbenutzbarerAnschlussMeldetJedePruefungUndErholtSich)
{
    p.port.schliessen();
    p.port.oeffnen_fehler = {8002, "Ungültige Anschlussnummer"};
    p.ap.geraet().statusabfrage().start();
    uhr.advance(1500);
    EXPECT_EQ(p.boxen.hinweise.size(), 3u);
    EXPECT_EQ(p.boxen.hinweise.back().text, "Schnittstelle nicht aktive!");
    EXPECT_EQ(logzeilen("Schnittstelle prüfen Ungültige Anschlussnummer - 8002\r\n"), 3);
    EXPECT_EQ(p.port.geschrieben, "");
    EXPECT_FALSE(p.port.offen());

    p.port.oeffnen_fehler = {};
    uhr.advance(500);
    EXPECT_EQ(p.port.geschrieben, k_abfrage);
    EXPECT_EQ(p.boxen.hinweise.size(), 3u);
}

TEST_F(GeraetTest, MisslungeneAbfrageUndVerlorenesGeraetWerdenGemeldet)
{
    p.ap.geraet().statusabfrage().start();
    p.port.schreib_fehler = {8015, "Schreiben fehlgeschlagen"};
    uhr.advance(500);
    EXPECT_EQ(p.boxen.hinweise.size(), 1u);
    EXPECT_EQ(logzeilen("Schnittstelle prüfen Schreiben fehlgeschlagen - 8015"), 1);
    EXPECT_FALSE(p.port.offen());
    p.port.schreib_fehler = {};

    // Unplugged while open, with the checks not running (hardware kind "Kestu_1").
    uhr.advance(500);
    p.ap.geraet().statusabfrage().stop();
    p.port.schliessen();
    p.port.verloren(Fehler{8010, "Hardware nicht verfügbar"});
    EXPECT_EQ(p.boxen.hinweise.size(), 2u);
    EXPECT_EQ(logzeilen("Schnittstelle prüfen Hardware nicht verfügbar - 8010"), 1);
    p.port.geschrieben.clear();
    uhr.advance(500);
    EXPECT_TRUE(p.port.offen());
    EXPECT_EQ(p.port.geschrieben, k_abfrage);
}

TEST_F(GeraetTest, BefehleJeAktion)
{
    const struct {
        bool austext;
        int agruppe;
        int aktion;
        std::string bytes;
        std::vector<std::pair<int, int>> farben;
    } faelle[] = {
        {true, 4, 2, bytes({242, 2, 5}), {{4, k_rot}}},
        {false, 4, 3, bytes({242, 3, 5}), {{4, k_gruen}}},
        {false, 49, 3, bytes({242, 3, 50}), {{49, k_gruen}}},
        {true, 0, 2, bytes({242, 2, 1}), {{0, k_rot}}},
        {false, 1, 4, k_reset, {}},
    };
    for (const auto& f : faelle) {
        p.port.geschrieben.clear();
        p.port.setRts(!f.austext);
        liste.farben.clear();
        p.ap.geraet().statusausgabe(f.austext, f.agruppe, f.aktion);
        EXPECT_EQ(p.port.geschrieben, f.bytes) << f.aktion << " " << f.agruppe;
        EXPECT_EQ(p.port.leitung_rts, f.austext) << f.aktion << " " << f.agruppe;
        EXPECT_EQ(liste.farben, f.farben) << f.aktion << " " << f.agruppe;
    }
}

TEST_F(GeraetTest, AusgabeOhneGeraetOderMitGeschlossenemAnschluss)
{
    // Switched off: the colour only.
    p.h.einstellungen().comdeaktiviert = "1";
    p.port.setRts(true);
    p.ap.geraet().statusausgabe(false, 2, 3);
    EXPECT_EQ(p.port.geschrieben, "");
    EXPECT_TRUE(p.port.leitung_rts);
    EXPECT_EQ(liste.farben.back(), std::make_pair(2, k_gruen));

    // Closed: opened on the configured number first.
    p.h.einstellungen().comdeaktiviert = "0";
    p.port.schliessen();
    p.port.setCommPort(9);
    p.ap.geraet().statusausgabe(true, 6, 2);
    EXPECT_EQ(p.port.commPort(), 3);
    EXPECT_EQ(p.port.geschrieben, bytes({242, 2, 7}));

    // Cannot be opened: the colour stands, the failure goes to the event log, RTS stays.
    p.port.schliessen();
    p.port.geschrieben.clear();
    p.port.oeffnen_fehler = {8005, "Anschluss bereits geöffnet"};
    p.ap.geraet().statusausgabe(false, 7, 3);
    EXPECT_EQ(liste.farben.back(), std::make_pair(7, k_gruen));
    EXPECT_EQ(p.port.geschrieben, "");
    EXPECT_TRUE(p.port.rts());
    EXPECT_EQ(logzeilen("Schnittstelle Ausgabe Anschluss bereits geöffnet - 8005"), 1);
    EXPECT_TRUE(p.boxen.hinweise.empty());
}

TEST_F(GeraetTest, RtsBehaeltSeinenStandUeberJedesNeueOeffnen)
{
    // The port's driver raises RTS at every opening and drops it at close;
    // the interface check re-opens the port every 0.5 s.
    const struct {
        const char* was;
        std::function<void()> tun;
        bool rts;
    } faelle[] = {
        {"nichts gesetzt", [] {}, false},
        {"Alarm empfangen", [this] { p.ap.geraet().statusausgabe(true, 4, 2); }, true},
        {"quittiert", [this] { p.ap.geraet().statusausgabe(false, 4, 3); }, false},
        {"Alarm Gruppe 50", [this] { p.ap.geraet().statusausgabe(true, 49, 2); }, true},
        {"Reset am Gerät", [this] { p.port.senden(rahmen(1, 0)); }, false},
        {"Alarm, dann Gerät verloren",
         [this] {
             p.ap.geraet().statusausgabe(true, 0, 2);
             p.port.schliessen();
             p.port.verloren(Fehler{8010, "Hardware nicht verfügbar"});
         },
         true},
    };
    for (const auto& f : faelle) {
        f.tun();
        p.ap.geraet().statusabfrage().start();
        for (int pruefung = 1; pruefung <= 3; ++pruefung) {
            uhr.advance(500);
            ASSERT_TRUE(p.port.offen()) << f.was;
            EXPECT_EQ(p.port.leitung_rts, f.rts) << f.was << ", Prüfung " << pruefung;
        }
        // A reload of the settings opens the port as well.
        p.port.schliessen();
        p.port.oeffnen();
        EXPECT_EQ(p.port.leitung_rts, f.rts) << f.was << ", neu geöffnet";
    }
}

TEST_F(GeraetTest, Eingang2SendetDenAlarmUndFaerbtDieAusgaenge)
{
    p.port.senden(rahmen(0, 1, {2, 10}));
    uhr.ausfuehren();
    EXPECT_TRUE(gesendet());
    EXPECT_EQ(datei_lesen(g1 + "MESSAGE.XQV"), "0");
    EXPECT_EQ(logzeilen("Alarm gesetzt"), 1);
    EXPECT_EQ(logzeilen("Reset Eingang"), 0);
    EXPECT_EQ(farben_von(0), (std::vector<int>{k_gruen, k_rot, k_gruen, k_gruen, k_gruen, k_gruen, k_gruen,
                                               k_gruen, k_gruen, k_rot}));
    EXPECT_EQ(liste.ein, std::make_pair(false, false));
    EXPECT_EQ(p.port.geschrieben, "");

    // No debouncing: every frame with input 2 calls the send again.
    p.port.senden(rahmen(0, 1));
    uhr.ausfuehren();
    EXPECT_EQ(logzeilen("Alarm gesetzt"), 2);
}

TEST_F(GeraetTest, Eingang1SetztZurueck)
{
    p.anzeige.alarm_zeigen("Überfall", "", "");
    ASSERT_TRUE(p.anzeige.sichtbar());
    p.port.setRts(true);
    p.port.senden(rahmen(1, 0));
    uhr.ausfuehren();
    EXPECT_EQ(p.port.geschrieben, k_reset);
    EXPECT_FALSE(p.port.leitung_rts);
    EXPECT_EQ(logzeilen("Reset Eingang"), 1);
    EXPECT_FALSE(p.anzeige.sichtbar());
    EXPECT_FALSE(gesendet());
}

TEST_F(GeraetTest, BeideEingaengeSetzenZurueckSendenUndSchaltenAllesAus)
{
    p.anzeige.alarm_zeigen("Überfall", "", "");
    p.port.senden(rahmen(1, 1, {1}));
    EXPECT_EQ(p.h.maske().meldungtxt, "Eingang 1 und 2 aktive");
    // The send's line follows once the group directories answered.
    uhr.ausfuehren();
    EXPECT_EQ(p.h.maske().meldungtxt.substr(p.h.maske().meldungtxt.size() - 13), "Alarm gesetzt");
    std::string erwartet = k_reset;
    for (int n = 1; n <= 10; ++n) {
        erwartet += bytes({242, 3, n});
    }
    EXPECT_EQ(p.port.geschrieben, erwartet);
    EXPECT_FALSE(p.anzeige.sichtbar());
    EXPECT_TRUE(gesendet());
    const std::string log = p.ereignislog();
    EXPECT_LT(log.find("Reset Eingang"), log.find("Alarm gesetzt"));
    EXPECT_EQ(liste.ein, std::make_pair(true, true));
    EXPECT_EQ(farben_von(0).front(), k_rot);
}

TEST_F(GeraetTest, RahmenOhneEingangLeertDenStatustext)
{
    p.h.maske().meldungtxt = "alt";
    p.port.senden(rahmen(0, 0, {3}) + rahmen(2, 255));
    uhr.ausfuehren();
    EXPECT_EQ(p.h.maske().meldungtxt, "");
    EXPECT_FALSE(gesendet());
    EXPECT_EQ(p.port.geschrieben, "");
    EXPECT_EQ(liste.farben.size(), 20u);
    EXPECT_EQ(liste.farben[2].second, k_rot);
}

TEST_F(GeraetTest, JederRahmenStartetDiePruefungNeu)
{
    // Hardware kind "Kestu_1": no checks until the first frame arrives.
    ASSERT_FALSE(p.ap.geraet().statusabfrage().aktiv());
    uhr.advance(2000);
    EXPECT_EQ(p.port.geschrieben, "");
    p.port.senden(rahmen(0, 0));
    uhr.ausfuehren();
    EXPECT_TRUE(p.ap.geraet().statusabfrage().aktiv());
    uhr.advance(400);
    p.port.senden(rahmen(0, 0));
    uhr.advance(499);
    EXPECT_EQ(p.port.geschrieben, "");
    uhr.advance(1);
    EXPECT_EQ(p.port.geschrieben, k_abfrage);
}

TEST_F(GeraetTest, PruefungVerwirftEinenAngefangenenRahmen)
{
    // Without this the reply to the next request would complete the old frame
    // and its input 2 byte would land among the outputs.
    p.ap.geraet().statusabfrage().start();
    p.port.senden(bytes({242, 1, 0}));
    uhr.advance(500);
    p.port.senden(rahmen(0, 1));
    uhr.ausfuehren();
    EXPECT_TRUE(gesendet());
}

TEST_F(GeraetTest, SpurUndZeitablauf)
{
    p.port.senden(bytes({242, 1, 0, 17}));
    uhr.ausfuehren();
    EXPECT_EQ(p.h.maske().empfangsspur, " 242h 1h 0h 17h");
    uhr.advance(1000);
    EXPECT_EQ(p.h.maske().letzte_zeichenpause, "08:00:01");
    EXPECT_EQ(geraet.decoder().empfangsstatus(), 0);

    for (int i = 0; i < 2000; ++i) {
        p.port.senden(bytes({i % 200}));
        uhr.ausfuehren();
    }
    const std::string& spur = p.h.maske().empfangsspur;
    EXPECT_EQ(spur.size(), Geraet::k_spurlaenge);
    EXPECT_TRUE(spur.ends_with(" 197h 198h 199h"));
}

} // namespace
} // namespace hestrel::test
