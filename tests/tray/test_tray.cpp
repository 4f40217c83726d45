#include <gtest/gtest.h>

#include "console/meldeliste.h"
#include "support/station.h"
#include "tray/programminfo.h"
#include "tray/traymenue.h"
#include "tray/traysymbol.h"
#include "ueberwachung/ueberwachung.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct FakeTraysymbol : Traysymbol {
    bool hinzufuegen(const std::string& t) override
    {
        ++hinzugefuegt;
        tip = t;
        da = verfuegbar;
        return verfuegbar;
    }
    void entfernen() override
    {
        ++entfernt;
        da = false;
    }
    void warnung(const std::string& t) override { warntip = t; }
    std::string warntip;
    bool verfuegbar = true;
    bool da = false;
    int hinzugefuegt = 0;
    int entfernt = 0;
    std::string tip;
};

struct Platz : Station {
    FakeTraysymbol symbol;
    int prozessende = 0;
    Platz()
    {
        ap.traymenue().symbol_setzen(&symbol);
        ap.traymenue().prozess_beenden = [this] { ++prozessende; };
    }
};

} // namespace

TEST(Tray, SymbolMitTippNachDemStart)
{
    Platz p;
    p.starten();
    EXPECT_TRUE(p.symbol.da);
    EXPECT_EQ(p.symbol.tip, "Kestu");
    EXPECT_EQ(p.symbol.hinzugefuegt, 1);
    EXPECT_EQ(p.ap.traymenue().caption, "BORL XQV GmbH");

    const char* texte[] = {"Info",
                           "Meldeliste",
                           "Einstellung",
                           "Probealarm",
                           "Zusatzeinstellungen",
                           "Warnung bestätigen",
                           "Programm beenden"};
    const char* namen[] = {"infoAktion",   "meldelisteAktion", "einstellungAktion", "probealarmAktion",
                           "zusatzAktion", "warnungAktion",    "beendenAktion"};
    for (std::size_t i = 0; i < k_traymenue.size(); ++i) {
        EXPECT_STREQ(k_traymenue[i].text, texte[i]);
        EXPECT_STREQ(k_traymenue[i].name, namen[i]);
    }
}

TEST(Tray, OhneInfobereichLaeuftDasProgrammWeiter)
{
    Platz p;
    p.symbol.verfuegbar = false;
    p.starten();
    EXPECT_FALSE(p.ap.traymenue().symbol_da);
    EXPECT_TRUE(p.ap.meldeliste().maske().sichtbar);
    p.ap.traymenue().menuepunkt_gewaehlt(0);
    EXPECT_TRUE(p.ap.programminfo().sichtbar);

    // The notification area comes later: the icon is there, with a warning given meanwhile.
    p.ap.traymenue().warnung_setzen("Gruppe 1 nicht erreichbar");
    p.ap.traymenue().symbol_erschienen();
    EXPECT_TRUE(p.ap.traymenue().symbol_da);
    EXPECT_EQ(p.symbol.warntip, "Kestu – Störung\nGruppe 1 nicht erreichbar");
}

TEST(Tray, MenuepunkteOeffnenIhreFenster)
{
    Platz p;
    p.starten();
    Traymenue& bar = p.ap.traymenue();
    p.ap.meldeliste().geschlossen();
    bar.menuepunkt_gewaehlt(1);
    EXPECT_TRUE(p.ap.meldeliste().maske().sichtbar);

    p.h.maske().sichtbar = false;
    bar.menuepunkt_gewaehlt(2);
    EXPECT_TRUE(p.h.maske().sichtbar);

    Programminfo& info = p.ap.programminfo();
    bar.menuepunkt_gewaehlt(0);
    bar.menuepunkt_gewaehlt(0);
    EXPECT_TRUE(info.sichtbar);
    EXPECT_EQ(info.version, "Version 4.3.0 - TS");
    info.schliessen_geklickt();
    EXPECT_FALSE(info.sichtbar);
    EXPECT_TRUE(info.geladen);
    info.geschlossen();
    EXPECT_FALSE(info.geladen);
    bar.info_zeigen();
    EXPECT_TRUE(info.sichtbar);
    EXPECT_EQ(info.version, "Version 4.3.0 - TS");
    EXPECT_EQ(p.prozessende, 0);
}

TEST(Tray, ProgrammBeendenEntferntSymbolUndSchliesstDenPort)
{
    Platz p;
    p.starten();
    ASSERT_FALSE(p.port.oeffnen());
    const auto boxen = p.boxen.hinweise.size();
    // "Programm beenden" is the last item.
    p.ap.traymenue().menuepunkt_gewaehlt(static_cast<int>(k_traymenue.size()) - 1);
    EXPECT_FALSE(p.symbol.da);
    EXPECT_FALSE(p.port.offen());
    EXPECT_EQ(p.prozessende, 1);
    EXPECT_EQ(p.boxen.hinweise.size(), boxen) << "leaves without a question";

    // Entered again (the central engine's shut-down runs it too): nothing more.
    p.ap.traymenue().beenden();
    p.ap.beenden();
    EXPECT_EQ(p.prozessende, 1);
    EXPECT_EQ(p.boxen.hinweise.size(), boxen);
}

TEST(Tray, SchliessfeldDerEinstellungenBeendetWieDasMenue)
{
    Platz p;
    p.starten();
    p.port.oeffnen();
    p.ap.beenden();
    EXPECT_FALSE(p.symbol.da);
    EXPECT_EQ(p.symbol.entfernt, 1);
    EXPECT_FALSE(p.port.offen());
    EXPECT_EQ(p.prozessende, 1);
}

TEST(Tray, WarnungImSymbolBestaetigenUndZusatzeinstellungen)
{
    Platz p;
    p.starten();
    auto punkt = [](std::string_view name) {
        for (std::size_t i = 0; i < k_traymenue.size(); ++i) {
            if (name == k_traymenue[i].name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    Ueberwachung& u = p.ap.ueberwachung();
    u.stoerung("geraet", -1, "Alarmbox antwortet nicht");
    EXPECT_EQ(p.symbol.warntip.rfind("Kestu – Störung\nAlarmbox antwortet nicht seit ", 0), 0U)
        << p.symbol.warntip;
    p.ap.traymenue().menuepunkt_gewaehlt(punkt("warnungAktion"));
    ASSERT_EQ(u.stoerungen().size(), 1U);
    EXPECT_TRUE(u.stoerungen()[0].bestaetigt);
    EXPECT_FALSE(u.warnton().aktiv());
    u.behoben("geraet");
    EXPECT_EQ(p.symbol.warntip, "") << "the plain icon again";

    p.ap.traymenue().menuepunkt_gewaehlt(punkt("zusatzAktion"));
    EXPECT_TRUE(p.ap.zusatzverwaltung().maske().sichtbar);
    EXPECT_EQ(p.prozessende, 0);
}
