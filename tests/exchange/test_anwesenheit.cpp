#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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
    Haltefreigaben halte_c(fs_c, a.uhr, [&] { return a.uhr.jetzt_ms(); });
    auto pa = a.platz("Anmeldung");
    auto pb = a.platz("Empfang-2");
    auto pc = a.platz("Lager", &halte_c);
    for (Platz* p : {pa.get(), pb.get(), pc.get()}) {
        p->gruppe(0, a.g1);
        p->ap.anwesenheit().runde();
        a.uhr.ausfuehren();
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
    a.uhr.ausfuehren();
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

    // Lager's share hangs: its record is no longer renewed and is taken off
    // by the workstation before it by name once three minutes old; its own
    // count is no longer known. Back, it writes its record anew and counts again.
    halte_c.halten(a.g1);
    a.uhr.advance(2 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 2) << "two minutes old is still present";
    EXPECT_EQ(anzahl(*pc, 0), -1);
    const std::size_t wartend = halte_c.wartend(a.g1);
    a.uhr.advance(3 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_FALSE(existiert(a.g1 + "hestrel-da-Lager.txt"));
    EXPECT_EQ(anzahl(*pa, 0), 1);
    EXPECT_EQ(pa->ap.anwesenheit().namen(0), std::vector<std::string>{"Empfang-2"});
    EXPECT_EQ(halte_c.wartend(a.g1), wartend) << "one round waits for a hung share, not one a minute";
    halte_c.freigeben(a.g1);
    a.uhr.advance(2 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 2);
    EXPECT_EQ(anzahl(*pc, 0), 2);
    pc.reset();
}

TEST(Anwesenheit, NichtErneuerteUndFremdeAufzeichnungen)
{
    Anlage a;
    auto pa = a.platz("Anmeldung");
    pa->gruppe(0, a.g1);
    // By name after the own record: two not renewed for minutes, then one
    // fresh, then garbage; a link is no record.
    a.legen(a.g1, "Archiv", 4 * 60000);
    a.legen(a.g1, "Ausgang", 11 * 60000);
    a.legen(a.g1, "Frisch", 60000);
    a.legen(a.g1, "Kaputt", 1000, "HESTREL-ANDERES 1\r\n");
    a.legen(a.g1, "Riesig", 1000, std::string(k_max_begleitdatei + 10, 'x'));
    std::filesystem::create_symlink(a.g1 + "hestrel-da-Frisch.txt", a.g1 + "hestrel-da-Verweis.txt");
    for (int runde = 0; runde < 3; ++runde) {
        pa->ap.anwesenheit().runde();
        a.uhr.advance(1000);
    }
    EXPECT_FALSE(existiert(a.g1 + "hestrel-da-Archiv.txt"));
    EXPECT_FALSE(existiert(a.g1 + "hestrel-da-Ausgang.txt"));
    EXPECT_EQ(anzahl(*pa, 0), 1);
    EXPECT_EQ(pa->ap.anwesenheit().namen(0), std::vector<std::string>{"Frisch"});
    const std::string log = cp1252_zu_utf8(pa->ereignislog());
    EXPECT_EQ(zaehlen(log, "hestrel-da-Kaputt.txt übergangen"), 1) << log;
    EXPECT_EQ(zaehlen(log, "hestrel-da-Riesig.txt übergangen"), 1) << log;
    EXPECT_EQ(zaehlen(log, "Verweis"), 0) << "a link is never read";
    // Nobody renews the others: three minutes on, each is gone, in one round.
    a.uhr.advance(4 * Anwesenheitsmelder::k_takt_ms);
    EXPECT_EQ(anzahl(*pa, 0), 0);
    for (const char* name : {"Frisch", "Kaputt", "Riesig"}) {
        EXPECT_FALSE(existiert(a.g1 + anwesenheitsdatei(name))) << name;
    }
    EXPECT_TRUE(existiert(a.g1 + "hestrel-da-Anmeldung.txt"));
}

TEST(Anwesenheit, DateiaufrufeJeRundeWachsenNichtMitDenKollegen)
{
    // Per group and minute: the own record renewed in place, one look at the
    // directory, the record after the own one, and a listing only where the
    // directory changed; a colleague's record read once, when it appears.
    // (Beyond 2000 entries a directory is listed only every ten minutes.)
    struct Fall {
        const char* name;
        int kollegen;
        int dokumente;
    };
    std::map<std::string, std::map<std::string, long>> gezaehlt;
    for (const Fall f : {Fall{"ein Kollege", 1, 0}, Fall{"20 Kollegen", 20, 0},
                         Fall{"20 Kollegen, 1900 Dokumente", 20, 1900}}) {
        SCOPED_TRACE(f.name);
        Anlage a;
        for (int k = 0; k < f.kollegen; ++k) {
            a.legen(a.g1, "Kollege-" + std::to_string(k), 0);
        }
        for (int d = 0; d < f.dokumente; ++d) {
            datei_schreiben(a.g1 + "Dokument " + std::to_string(d) + ".docx", "x");
        }
        auto pa = a.platz("Anmeldung");
        pa->gruppe(0, a.g1);
        pa->fs.gezaehlt = a.g1;
        // The colleagues renew theirs each minute, in place, as their own rounds do.
        const auto erneuern = [&] {
            for (int k = 0; k < f.kollegen; ++k) {
                Stoerdateisystem::stempeln(a.g1 + anwesenheitsdatei("Kollege-" + std::to_string(k)),
                                           pa->fs.freigabezeit_ns());
            }
        };
        pa->ap.anwesenheit().runde();
        a.uhr.ausfuehren();
        EXPECT_EQ(pa->fs.aufrufe["lesen"], f.kollegen) << "each colleague read once";
        EXPECT_EQ(pa->fs.aufrufe["auflisten"], 1);
        pa->fs.aufrufe.clear();
        for (int minute = 0; minute < 9; ++minute) {
            erneuern();
            a.uhr.advance(Anwesenheitsmelder::k_takt_ms);
        }
        EXPECT_EQ(anzahl(*pa, 0), f.kollegen);
        gezaehlt[f.name] = pa->fs.aufrufe;
        EXPECT_EQ(pa->fs.aufrufe["auffrischen"], 9);
        EXPECT_EQ(pa->fs.aufrufe["auflisten"], 0) << "the directory did not change";
        EXPECT_EQ(pa->fs.aufrufe["lesen"], 0);
        EXPECT_EQ(pa->fs.aufrufe["ersetzen"], 0);
        EXPECT_EQ(pa->fs.aufrufe["loeschen"], 0);

        // A new colleague: one listing, one read.
        pa->fs.aufrufe.clear();
        a.legen(a.g1, "Neu", 0);
        erneuern();
        a.uhr.advance(Anwesenheitsmelder::k_takt_ms);
        EXPECT_EQ(pa->fs.aufrufe["auflisten"], 1);
        EXPECT_EQ(pa->fs.aufrufe["lesen"], 1);
        EXPECT_EQ(anzahl(*pa, 0), f.kollegen + 1);
    }
    EXPECT_EQ(gezaehlt["20 Kollegen"], gezaehlt["ein Kollege"]);
    EXPECT_EQ(gezaehlt["20 Kollegen, 1900 Dokumente"], gezaehlt["ein Kollege"]);
    // The poll's look every 5 s, the directory's change time each minute, and
    // the next record when it could be due: renewed each minute, not before two.
    EXPECT_LE(gezaehlt["ein Kollege"]["ansehen"], 9 * (12 + 1) + 5);
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
        a.uhr.ausfuehren();
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
