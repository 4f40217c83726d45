// Alarms that meet in one group directory: a second sender, a short gap, a
// share that goes away, a signal file that cannot be removed, a sender's
// clean-up while another alarm is under way. Each would once lose or repeat
// an alarm on the receiving workstation.
#include <gtest/gtest.h>

#include <filesystem>

#include "exchange/platz.h"

namespace hestrel::test {
namespace {

class Signale : public ::testing::Test {
  protected:
    Signale()
    {
        g1 = basis.unterverzeichnis("gruppe1");
        g2 = basis.unterverzeichnis("gruppe2");
        g3 = basis.unterverzeichnis("gruppe3");
    }
    void SetUp() override
    {
        for (Platz* p : {&a, &b, &c}) {
            p->starten();
            p->gruppe(0, g1);
            p->gruppe(2, g3);
            // The shares stamp files on the virtual clock; the presence
            // records give each desk that clock.
            p->fs.freigabeuhr = &uhr;
            p->ap.anwesenheit().runde();
        }
    }
    // p sends texts to the groups with the given indices.
    static void senden(Platz& p, const std::string& text, std::initializer_list<int> gruppen)
    {
        p.liste.gruppen.fill(0);
        for (int g : gruppen) {
            p.liste.gruppen[static_cast<std::size_t>(g)] = 1;
        }
        p.liste.texte = {text, "", "", ""};
        p.ap.ausloesen();
    }
    static std::string eintrag(int gruppe, const std::string& text)
    {
        return " Alarm aus Gruppe " + std::to_string(gruppe) + " von:\r" + text + "\r\n\r\n\r\n\r\n\r\n";
    }

    TempVerzeichnis basis;
    std::string g1, g2, g3;
    VirtualScheduler uhr;
    Platz a{uhr, basis / "a"};
    Platz b{uhr, basis / "b"};
    Platz c{uhr, basis / "c"};
};

TEST_F(Signale, ZweiterSenderInDerselbenGruppeWirdAuchGezeigt)
{
    uhr.advance(1000);
    senden(a, "erster", {0});
    uhr.advance(4000);
    ASSERT_EQ(b.journaleintraege(), 1);

    // Within a's 15 s, c sends to the same group: both files are replaced.
    uhr.advance(2000);
    senden(c, "zweiter", {0});
    uhr.advance(3000);
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_EQ(b.anzeige.alarmtext(), "zweiter\r\n\r\n\r\n\r\n");
    EXPECT_NE(b.journal().find(eintrag(1, "zweiter")), std::string::npos);

    // a's clean-up leaves c's signal file for c's receivers; c removes it.
    uhr.advance(6000);
    EXPECT_FALSE(a.versand.nachricht_gesendet());
    EXPECT_EQ(datei_lesen(g1 + "MESSAGE.XQV"), "0");
    uhr.advance(6000);
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_EQ(zaehlen(c.ereignislog(), "Message - gel\xF6scht"), 1);
    EXPECT_EQ(zaehlen(a.ereignislog(), "Message - gel\xF6scht"), 0);
}

TEST_F(Signale, NeuesSignalNachKurzerLueckeIstEinNeuerAlarm)
{
    alarm_legen(g1, "eins");
    uhr.advance(5000);
    ASSERT_EQ(b.journaleintraege(), 1);
    // Gone and back between two polls: no poll ever saw the directory empty.
    uhr.advance(1000);
    std::filesystem::remove(g1 + "MESSAGE.XQV");
    uhr.advance(1000);
    alarm_legen(g1, "zwei");
    uhr.advance(3000);
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_EQ(b.anzeige.alarmtext(), "zwei");

    // The same file, however long it stays, is shown once.
    uhr.advance(60000);
    EXPECT_EQ(b.journaleintraege(), 2);
}

TEST_F(Signale, FreigabeWegUndWiederZeigtDasselbeSignalNichtNochmal)
{
    alarm_legen(g1, "eins");
    frisch({&a, &b, &c}, g1, "MESSAGE.XQV");
    uhr.advance(5000);
    ASSERT_EQ(b.journaleintraege(), 1);

    const std::string weg = basis / "gruppe1.weg";
    std::filesystem::rename(basis / "gruppe1", weg);
    uhr.advance(10000);
    std::filesystem::rename(weg, basis / "gruppe1");
    uhr.advance(4000);
    EXPECT_EQ(b.journaleintraege(), 1);
    EXPECT_TRUE(b.empfang.gruppe_gemeldet(0));
    // Now older than a clean-up's wait and a poll: a leftover, which goes.
    uhr.advance(6000);
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_EQ(b.journaleintraege(), 1);

    // Once the file is really gone, the next one is a new alarm again.
    uhr.advance(5000);
    EXPECT_FALSE(b.empfang.gruppe_gemeldet(0));
    alarm_legen(g1, "zwei");
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 2);
}

TEST_F(Signale, UnloeschbaresSignalHaeltSpaetereAlarmeNichtAuf)
{
    a.fs.loeschen_muster = g1 + "MESSAGE.XQV";
    uhr.advance(1000);
    senden(a, "erster", {0});
    uhr.advance(20000);
    ASSERT_TRUE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_EQ(b.journaleintraege(), 1);

    // The stuck file is overwritten by the next sender: a new alarm.
    senden(c, "zweiter", {0});
    uhr.advance(5000);
    EXPECT_EQ(b.journaleintraege(), 2);
    EXPECT_EQ(b.anzeige.alarmtext(), "zweiter\r\n\r\n\r\n\r\n");
    // a tried again until another file took its place: nothing to report, and no success.
    uhr.advance(Alarmversand::k_loeschversuche_ms);
    EXPECT_EQ(zaehlen(a.ereignislog(), "Message"), 0) << a.ereignislog();
}

TEST_F(Signale, AufraeumenLaesstEinenSpaeterenFremdenAlarmLiegen)
{
    uhr.advance(1000);
    senden(a, "erster", {0});
    // Half a second before a's clean-up c alarms group 3, which a also polls.
    uhr.advance(14500);
    senden(c, "dritter", {2});
    uhr.advance(500);
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_TRUE(existiert(g3 + "MESSAGE.XQV"));
    // b polls 3.5 s later and still finds it.
    uhr.advance(4000);
    EXPECT_NE(b.journal().find(eintrag(3, "dritter")), std::string::npos);
}

TEST_F(Signale, AufraeumenEntferntWeiterhinAlteFremdeSignale)
{
    // Left by a workstation that stopped before its clean-up.
    alarm_legen(g3, "liegengeblieben");
    uhr.advance(1000);
    senden(a, "erster", {0});
    uhr.advance(15000);
    EXPECT_FALSE(existiert(g1 + "MESSAGE.XQV"));
    EXPECT_FALSE(existiert(g3 + "MESSAGE.XQV"));
    EXPECT_EQ(zaehlen(a.ereignislog(), "Message - gel\xF6scht"), 2);
    EXPECT_TRUE(a.bestaetigung.ok_aktiv());
}

TEST_F(Signale, SenderZeigtEinenAlarmAusSeinerWartezeitBeimAufraeumen)
{
    uhr.advance(1000);
    senden(a, "erster", {0});
    uhr.advance(2000);
    senden(c, "dritter", {2});
    // a does not poll while it waits; its clean-up tick polls after removing its own files.
    uhr.advance(12999);
    EXPECT_EQ(a.journaleintraege(), 0);
    uhr.advance(1);
    EXPECT_EQ(a.journaleintraege(), 1);
    EXPECT_NE(a.journal().find(eintrag(3, "dritter")), std::string::npos);
    EXPECT_EQ(a.journal().find("erster"), std::string::npos) << "a sender never shows its own alarm";
}

TEST_F(Signale, ZwanzigBenachbarteGruppenInnerhalbVon15Sekunden)
{
    std::vector<std::string> gruppen;
    for (int i = 0; i < 20; ++i) {
        gruppen.push_back(basis.unterverzeichnis("nachbar" + std::to_string(i)));
        b.gruppe(10 + i, gruppen.back());
        alarm_legen(gruppen.back(), "Gruppe " + std::to_string(11 + i));
    }
    // The first on the first tick, then one every half second.
    uhr.advance(5000 + 19 * 500);
    EXPECT_EQ(b.journaleintraege(), 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_NE(b.journal().find("Alarm aus Gruppe " + std::to_string(11 + i) + " von:\rGruppe " +
                                   std::to_string(11 + i) + "\r\n"),
                  std::string::npos)
            << i;
    }
    EXPECT_EQ(b.ap.alarmempfang().abfragetakt().interval(), 5000);
}

} // namespace
} // namespace hestrel::test
