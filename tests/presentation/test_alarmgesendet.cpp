#include <gtest/gtest.h>

#include "exchange/platz.h"

namespace hestrel::test {
namespace {

class AlarmgesendetTest : public ::testing::Test {
  protected:
    void SetUp() override { p.starten(); }
    TempVerzeichnis basis;
    VirtualScheduler uhr;
    Platz p{uhr, basis / "daten"};
    Alarmgesendet& g = p.bestaetigung;
};

TEST_F(AlarmgesendetTest, OkErstNach15Sekunden)
{
    g.einschalten();
    EXPECT_TRUE(g.sichtbar());
    EXPECT_EQ(g.caption(), "BORL XQV GmbH");
    EXPECT_FALSE(g.ok_aktiv());
    g.ok_geklickt();
    EXPECT_TRUE(g.sichtbar()) << "a disabled button does nothing";
    uhr.advance(14999);
    EXPECT_FALSE(g.ok_aktiv());
    uhr.advance(1);
    EXPECT_TRUE(g.ok_aktiv());
    EXPECT_FALSE(g.wartezeit().aktiv());
    g.ok_geklickt();
    EXPECT_FALSE(g.sichtbar());
    EXPECT_TRUE(g.existiert());
}

TEST_F(AlarmgesendetTest, ZweitesEinschaltenVerlaengertDieWarteNicht)
{
    g.einschalten();
    uhr.advance(10000);
    g.einschalten();
    EXPECT_FALSE(g.ok_aktiv());
    uhr.advance(5000);
    EXPECT_TRUE(g.ok_aktiv());

    // Once ready, a new alarm disables it again for a full wait.
    uhr.advance(1000);
    g.einschalten();
    EXPECT_FALSE(g.ok_aktiv());
    uhr.advance(14999);
    EXPECT_FALSE(g.ok_aktiv());
    uhr.advance(1);
    EXPECT_TRUE(g.ok_aktiv());
}

TEST_F(AlarmgesendetTest, FreigabeDurchDasAufraeumenUndSchliessen)
{
    g.einschalten();
    g.ok_freigeben();
    EXPECT_TRUE(g.ok_aktiv());
    EXPECT_TRUE(g.wartezeit().aktiv());
    g.schliessen();
    EXPECT_FALSE(g.existiert());
    EXPECT_FALSE(g.wartezeit().aktiv());
    g.einschalten();
    EXPECT_TRUE(g.sichtbar());
    EXPECT_FALSE(g.ok_aktiv());
}

} // namespace
} // namespace hestrel::test
