#include <gtest/gtest.h>

#include <functional>

#include "core/cp1252.h"
#include "exchange/begleitdateien.h"
#include "exchange/platz.h"
#include "ueberwachung/ueberwachung.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct Quellen : Ueberwachungsquellen {
    bool gruppe_unerreichbar(int index) override { return weg[static_cast<std::size_t>(index)]; }
    bool geraet_stumm() override { return stumm; }
    std::size_t journal_wartend() override { return wartend; }
    std::array<bool, k_gruppen> weg{};
    bool stumm = false;
    std::size_t wartend = 0;
};

struct Anzeige : Warnanzeige {
    void warnung_zeigen(const std::string& t) override { text = t; }
    void gruppe_warnen(int index, bool an) override { warnen[static_cast<std::size_t>(index)] = an; }
    std::string text;
    std::array<bool, k_gruppen> warnen{};
};

// One supervision on the virtual clock, its event log in a temp directory.
struct Umgebung {
    VirtualScheduler uhr;
    TempVerzeichnis tmp;
    EchtesDateisystem fs;
    Einstellungen e;
    Zusatzeinstellungen z = zusatz_voreinstellungen();
    std::string daten = tmp.pfad();
    std::string aktiv = "1";
    Logbuch log{fs, uhr, daten, aktiv};
    EinreihenderFreigabedienst freigaben{fs, uhr};
    Ereignisse ereignisse;
    FakeTon ton{ereignisse};
    Quellen quellen;
    Anzeige anzeige;
    Ueberwachung u{e, z, log, freigaben, uhr, uhr, &ton, quellen};
    Umgebung()
    {
        e.gruppenpfad[2] = tmp.unterverzeichnis("g3");
        u.anzeige_setzen(&anzeige);
    }
    std::string ereignislog() const { return cp1252_zu_utf8(datei_lesen(daten + "/Hestrel.log")); }
};

} // namespace

TEST(Ueberwachung, JedeStoerungKommtUndGehtMitEinemEintrag)
{
    struct Fall {
        const char* text;
        std::function<void(Quellen&, bool)> setzen;
        int gruppe;
        std::int64_t frist_ms; // how long the fault lasts before it is one
    };
    const std::vector<Fall> faelle = {
        {"Gruppe 3 nicht erreichbar", [](Quellen& q, bool an) { q.weg[2] = an; }, 2,
         Ueberwachung::k_unerreichbar_ms},
        {"Alarmbox antwortet nicht", [](Quellen& q, bool an) { q.stumm = an; }, -1, 0},
        {"Journal mameldung.log nicht schreibbar", [](Quellen& q, bool an) { q.wartend = an ? 3 : 0; }, -1,
         0},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.text);
        Umgebung u;
        u.uhr.setStartzeit({2026, 12, 8, 8, 0, 0});
        u.u.starten();
        f.setzen(u.quellen, true);
        if (f.frist_ms > 0) {
            u.uhr.advance(f.frist_ms - 2000);
            EXPECT_TRUE(u.u.stoerungen().empty()) << "a share away for less than a minute is no fault";
        }
        u.uhr.advance(3000);
        ASSERT_EQ(u.u.stoerungen().size(), 1U);
        u.uhr.advance(10 * 60000);
        EXPECT_EQ(zaehlen(u.ereignislog(), std::string("Überwachung: ") + f.text), 1);
        EXPECT_EQ(u.anzeige.text.rfind(std::string(f.text) + " seit 08:0", 0), 0U) << u.anzeige.text;
        if (f.gruppe >= 0) {
            EXPECT_TRUE(u.anzeige.warnen[static_cast<std::size_t>(f.gruppe)]);
        }

        f.setzen(u.quellen, false);
        u.uhr.advance(1000);
        EXPECT_TRUE(u.u.stoerungen().empty());
        EXPECT_EQ(u.anzeige.text, "");
        EXPECT_EQ(u.anzeige.warnen, (std::array<bool, k_gruppen>{}));
        u.uhr.advance(5000);
        EXPECT_EQ(zaehlen(u.ereignislog(), std::string("Überwachung: behoben: ") + f.text), 1);
        EXPECT_EQ(zaehlen(u.ereignislog(), "Überwachung"), 2) << u.ereignislog();
    }
}

TEST(Ueberwachung, WarntonWiederholtSichBisZurBestaetigung)
{
    Umgebung u;
    u.z.warnton_minuten = 2;
    u.u.starten();
    auto piepe = [&] { return u.ton.piepe.size(); };

    u.quellen.wartend = 1;
    u.uhr.advance(1000);
    const std::size_t je_ton = piepe();
    ASSERT_GT(je_ton, 0U);
    u.uhr.advance(2 * 60000);
    EXPECT_EQ(piepe(), 2 * je_ton);
    u.uhr.advance(2 * 60000);
    EXPECT_EQ(piepe(), 3 * je_ton);

    u.u.bestaetigen();
    u.uhr.advance(10 * 60000);
    EXPECT_EQ(piepe(), 3 * je_ton) << "acknowledged: silent";
    EXPECT_NE(u.anzeige.text, "") << "the icon stays until the fault is mended";

    // A new fault sounds again, and its tone stops when all are mended.
    u.quellen.stumm = true;
    u.uhr.advance(1000);
    EXPECT_EQ(piepe(), 4 * je_ton);
    u.quellen.stumm = false;
    u.uhr.advance(10 * 60000);
    EXPECT_EQ(piepe(), 4 * je_ton);

    // The tone switched off: the warning shows, nothing sounds.
    u.quellen.wartend = 0;
    u.uhr.advance(1000);
    u.z.warnton = false;
    u.quellen.wartend = 1;
    u.uhr.advance(10 * 60000);
    EXPECT_EQ(piepe(), 4 * je_ton);
    EXPECT_NE(u.anzeige.text, "");
}

TEST(Ueberwachung, ProbeUndAufzeichnungenDerArbeitsplatz)
{
    VirtualScheduler uhr;
    TempVerzeichnis tmp;
    Platz p(uhr, tmp / "daten");
    p.starten();
    const std::string g1 = tmp.unterverzeichnis("g1");
    p.gruppe(0, g1);
    Ueberwachung& u = p.ap.ueberwachung();

    struct Fall {
        const char* muster;
        std::function<void()> ausloesen;
        const char* text;
        std::int64_t heilung_ms; // when the next try finds it mended
    };
    const std::vector<Fall> faelle = {
        {"hestrel-probe-", [&] { u.probe(false); },
         "Gruppe 1: Probe fehlgeschlagen: schreiben: Zugriff verweigert",
         Ueberwachung::k_probewiederholung_ms},
        {"hestrel-da-", [&] { p.ap.anwesenheit().runde(); },
         "Gruppe 1: Anwesenheit nicht geschrieben: Zugriff verweigert", Anwesenheitsmelder::k_takt_ms},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.text);
        p.fs.schreiben_muster = f.muster;
        f.ausloesen();
        uhr.ausfuehren();
        ASSERT_EQ(u.stoerungen().size(), 1U);
        EXPECT_EQ(u.stoerungen()[0].text, f.text);
        EXPECT_TRUE(p.ap.meldeliste().maske().gruppe_warnung[0]);
        EXPECT_NE(p.ap.traymenue().warnung().find(f.text), std::string::npos);
        p.fs.schreiben_muster.clear();
        uhr.advance(f.heilung_ms);
        EXPECT_TRUE(u.stoerungen().empty());
        EXPECT_FALSE(p.ap.meldeliste().maske().gruppe_warnung[0]);
        EXPECT_EQ(p.ap.traymenue().warnung(), "");
        EXPECT_EQ(zaehlen(cp1252_zu_utf8(p.ereignislog()), std::string("Überwachung: behoben: ") + f.text),
                  1);
    }
    EXPECT_FALSE(existiert(g1 + probedatei(p.ap.zusatz().platzname))) << "the probe leaves nothing behind";

    // The alarm box asked for its state and silent for ten seconds.
    p.h.einstellungen().comdeaktiviert = "0";
    p.ap.geraet().statusabfrage().start();
    uhr.advance(Geraet::k_stumm_ms + 1000);
    EXPECT_TRUE(p.ap.geraet().stumm());
    ASSERT_EQ(u.stoerungen().size(), 1U);
    EXPECT_EQ(u.stoerungen()[0].text, "Alarmbox antwortet nicht");
    for (std::uint8_t b : std::vector<std::uint8_t>{242, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) {
        p.port.empfangen(b);
    }
    uhr.advance(1000);
    EXPECT_FALSE(p.ap.geraet().stumm());
    EXPECT_TRUE(u.stoerungen().empty());
}
