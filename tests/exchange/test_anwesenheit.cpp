#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/cp1252.h"
#include "exchange/anwesenheitsmelder.h"
#include "exchange/begleitdateien.h"
#include "exchange/platz.h"
#include "support/haltefreigaben.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

// Workstations on one virtual clock whose shares stamp files with that clock.
struct Anlage {
    VirtualScheduler uhr;
    TempVerzeichnis tmp;
    std::string g1 = tmp.unterverzeichnis("g1");
    std::string g2 = tmp.unterverzeichnis("g2");
    int nummer = 0;

    std::unique_ptr<Platz> platz(const std::string& name, Freigabedienst* freigaben = nullptr)
    {
        auto p = std::make_unique<Platz>(uhr, tmp / ("daten" + std::to_string(++nummer)), freigaben);
        p->fs.freigabeuhr = &uhr;
        p->starten();
        p->ap.zusatz().platzname = name;
        return p;
    }
    // A record as another workstation left it, written `alter_ms` ago by the share's clock.
    void legen(const std::string& verzeichnis, const std::string& name, std::int64_t alter_ms,
               const std::string& bytes = "")
    {
        const std::string pfad = verzeichnis + anwesenheitsdatei(name);
        datei_schreiben(pfad,
                        bytes.empty() ? kodieren(Anwesenheit{name, "jemand", "08.12.2026 08:00:00"}) : bytes);
        Stoerdateisystem::stempeln(pfad, (std::int64_t{1800000000000} + uhr.jetzt_ms() - alter_ms) * 1000000);
    }
};

int anzahl(Platz& p, int index)
{
    return p.ap.anwesenheit().anzahl(index).value_or(-1);
}

} // namespace

TEST(Anwesenheit, ZaehltNachStartNeustartUndAusfallDerFreigabe)
{
    Anlage a;
    Ereignisse ereignisse_c;
    Stoerdateisystem fs_c{ereignisse_c};
    fs_c.freigabeuhr = &a.uhr;
    Haltefreigaben halte_c(fs_c, [&] { return a.uhr.jetzt_ms(); });
    auto pa = a.platz("Anmeldung");
    auto pb = a.platz("Empfang-2");
    auto pc = a.platz("Lager", &halte_c);
    for (Platz* p : {pa.get(), pb.get(), pc.get()}) {
        p->gruppe(0, a.g1);
        p->ap.anwesenheit().runde();
    }
    pa->gruppe(1, a.g2);
    pb->gruppe(1, a.g2);

    // Each counts who was there before it: right after the start.
    EXPECT_EQ(anzahl(*pa, 0), 0);
    EXPECT_EQ(anzahl(*pb, 0), 1);
    EXPECT_EQ(anzahl(*pc, 0), 2);
    EXPECT_TRUE(existiert(a.g1 + "hestrel-da-Empfang-2.txt"));
    a.uhr.advance(Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 2);
    EXPECT_EQ(anzahl(*pb, 1), 1) << "Anmeldung wrote group 2 before this round";
    EXPECT_EQ(pa->ap.anwesenheit().namen(0), (std::vector<std::string>{"Empfang-2", "Lager"}));
    EXPECT_EQ(pa->ap.meldeliste().maske().gruppe_anwesende[0], "2 Plätze empfangsbereit: Empfang-2, Lager");

    // A clean exit takes the records off at once; the restart puts them back.
    pb->ap.beenden();
    EXPECT_FALSE(existiert(a.g1 + "hestrel-da-Empfang-2.txt"));
    EXPECT_FALSE(existiert(a.g2 + "hestrel-da-Empfang-2.txt"));
    pb.reset();
    a.uhr.advance(Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 1);
    EXPECT_EQ(anzahl(*pa, 1), 0);
    pb = a.platz("Empfang-2");
    pb->gruppe(0, a.g1);
    pb->ap.anwesenheit().runde();
    a.uhr.advance(Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 2);

    // Lager's share hangs: its record ages and drops out after three minutes;
    // its own count is no longer known. Back, it counts again.
    halte_c.halten(a.g1);
    a.uhr.advance(2 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 2) << "two minutes old is still present";
    EXPECT_EQ(anzahl(*pc, 0), -1);
    const std::size_t wartend = halte_c.wartend(a.g1);
    a.uhr.advance(2 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 1);
    EXPECT_EQ(pa->ap.anwesenheit().namen(0), std::vector<std::string>{"Empfang-2"});
    EXPECT_EQ(halte_c.wartend(a.g1), wartend) << "one round waits for a hung share, not one a minute";
    halte_c.freigeben(a.g1);
    a.uhr.advance(2 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 2);
    EXPECT_EQ(anzahl(*pc, 0), 2);
    pc.reset();
}

TEST(Anwesenheit, AlteUndFremdeAufzeichnungen)
{
    Anlage a;
    auto pa = a.platz("Anmeldung");
    pa->gruppe(0, a.g1);
    a.legen(a.g1, "Frisch", 60000);
    a.legen(a.g1, "Still", 5 * 60000);      // not renewed: not counted, kept
    a.legen(a.g1, "Verlassen", 11 * 60000); // left by a workstation that died: removed
    a.legen(a.g1, "Kaputt", 1000, "HESTREL-ANDERES 1\r\n");
    a.legen(a.g1, "Riesig", 1000, std::string(k_max_begleitdatei + 10, 'x'));
    std::filesystem::create_symlink(a.g1 + "hestrel-da-Frisch.txt", a.g1 + "hestrel-da-Verweis.txt");
    for (int runde = 0; runde < 3; ++runde) {
        pa->ap.anwesenheit().runde();
        a.uhr.advance(1000);
    }
    EXPECT_EQ(anzahl(*pa, 0), 1);
    EXPECT_EQ(pa->ap.anwesenheit().namen(0), std::vector<std::string>{"Frisch"});
    EXPECT_TRUE(existiert(a.g1 + "hestrel-da-Still.txt"));
    EXPECT_FALSE(existiert(a.g1 + "hestrel-da-Verlassen.txt"));
    const std::string log = cp1252_zu_utf8(pa->ereignislog());
    EXPECT_EQ(zaehlen(log, "hestrel-da-Kaputt.txt übergangen"), 1) << log;
    EXPECT_EQ(zaehlen(log, "hestrel-da-Riesig.txt übergangen"), 1) << log;
    EXPECT_EQ(zaehlen(log, "Verweis"), 0) << "a link is never read";
}

TEST(Anwesenheit, ReichweiteInDerBestaetigung)
{
    Anlage a;
    auto pa = a.platz("Anmeldung");
    auto pb = a.platz("Empfang-2");
    auto pc = a.platz("Lager");
    const std::string g3 = a.tmp.unterverzeichnis("g3");
    for (Platz* p : {pa.get(), pb.get(), pc.get()}) {
        p->gruppe(0, a.g1);
    }
    pa->gruppe(1, a.g2);
    pb->gruppe(1, a.g2); // Empfang-2 hears groups 1 and 2: one workstation reached
    pa->gruppe(2, g3);   // nobody else hears group 3
    for (Platz* p : {pb.get(), pc.get(), pa.get()}) {
        p->ap.anwesenheit().runde();
    }
    const std::string ungezaehlt = a.tmp.unterverzeichnis("g4");

    struct Fall {
        const char* name;
        bool nur_hestrel;
        std::vector<int> ziele;
        std::vector<std::string> zeilen;
    };
    const std::vector<Fall> faelle = {
        {"nur Hestrel, alle erreicht", true, {0, 1}, {"2 Plätze erreicht"}},
        {"nur Hestrel, eine Gruppe leer",
         true,
         {0, 2},
         {"2 Plätze erreicht", "Gruppe 3: kein Platz empfangsbereit"}},
        {"ältere Plätze möglich", false, {0, 2}, {"mindestens 2 Plätze erreicht"}},
        {"nur die leere Gruppe", true, {2}, {"0 Plätze erreicht", "Gruppe 3: kein Platz empfangsbereit"}},
        {"eine Gruppe ungezählt", true, {1, 3}, {"mindestens 1 Platz erreicht"}},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        pa->gruppe(3, f.ziele.back() == 3 ? ungezaehlt : "");
        pa->ap.zusatz().nur_hestrel = f.nur_hestrel;
        pa->liste.gruppen.fill(0);
        for (int z : f.ziele) {
            pa->liste.gruppen[static_cast<std::size_t>(z)] = 1;
        }
        pa->ap.ausloesen();
        EXPECT_EQ(pa->bestaetigung.reichweite(), f.zeilen);
        a.uhr.advance(16000);
    }
    // A count more than a minute and a half old is not used.
    pa->ap.anwesenheit().takt().stop();
    a.uhr.advance(Anwesenheitsmelder::k_gueltig_ms);
    pa->ap.zusatz().nur_hestrel = true;
    pa->liste.gruppen.fill(0);
    pa->liste.gruppen[0] = 1;
    pa->ap.ausloesen();
    EXPECT_EQ(pa->bestaetigung.reichweite(), std::vector<std::string>{"mindestens 0 Plätze erreicht"});
}
