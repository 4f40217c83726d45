// The measuring harness must measure what it claims: the workstations it lays
// out are configured as described, the device end speaks the device's frames,
// and the figures it derives from its readings are right.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "arbeitsplatz/arbeitsplatz.h"
#include "auswertung.h"
#include "console/meldeliste.h"
#include "core/textdatei.h"
#include "core/virtualscheduler.h"
#include "device/empfangsdecoder.h"
#include "leitung.h"
#include "prozess.h"
#include "standort.h"
#include "support/testumgebung.h"

namespace hestrel::bench {
namespace {

TEST(Standort, ArbeitsplaetzeStartenMitFuenfzigGruppenUndIhrerGeraeteeinstellung)
{
    test::TempVerzeichnis tmp;
    Standort standort(tmp.pfad());
    Platzart sender;
    sender.geraet = true;
    sender.ziele = {1, 11, 50};
    Platzart empfaenger;
    empfaenger.journalzeilen = 30;

    struct Fall {
        std::string name;
        Platzart art;
    };
    for (const Fall& fall : {Fall{"a", sender}, Fall{"b", empfaenger}}) {
        const std::string daten = standort.arbeitsplatz(fall.name, fall.art);
        EchtesDateisystem fs;
        VirtualScheduler uhr;
        test::FakeMeldungsdienst boxen;
        test::FakePort port;
        Arbeitsplatz ap(Dienste{fs, uhr, uhr, boxen, port});
        ap.starten(daten);
        const Einstellungen& e = ap.einstellungen().einstellungen();
        for (int n = 1; n <= 50; ++n) {
            EXPECT_EQ(e.gruppenpfad[static_cast<std::size_t>(n - 1)], standort.gruppe(n)) << fall.name << n;
            EXPECT_EQ(ap.meldeliste().melde_gruppe(n - 1) == 1,
                      fall.art.ziele.end() != std::find(fall.art.ziele.begin(), fall.art.ziele.end(), n))
                << fall.name << n;
        }
        EXPECT_TRUE(e.pfadeok);
        EXPECT_EQ(e.importverzeichnis, standort.basis() + "/import_" + fall.name + "/");
        EXPECT_EQ(e.comdeaktiviert, fall.art.geraet ? "0" : "1");
        EXPECT_EQ(e.portnummer, "3");
        EXPECT_EQ(ap.einstellungen().maske().geraeteart, fall.art.geraet ? "Kestu_10" : "keine");
        EXPECT_TRUE(boxen.hinweise.empty()) << boxen.hinweise.front().text;
        // Rows as the message list counts them.
        EXPECT_GE(static_cast<int>(ap.meldeliste().maske().listmeldungen.size()), fall.art.journalzeilen);
        EXPECT_LT(static_cast<int>(ap.meldeliste().maske().listmeldungen.size()), fall.art.journalzeilen + 6);
    }
}

TEST(Standort, JournalEintraegeWieDerEmpfangSieSchreibt)
{
    const std::string j = journal(12, 7);
    const std::vector<std::string> z = zeilen_zerlegen(j);
    ASSERT_EQ(z.size(), 12U);
    EXPECT_EQ(journalzeilen(j), 12);
    EXPECT_TRUE(z[0].ends_with(" Alarm aus Gruppe 8 von:")) << z[0];
    EXPECT_EQ(z[1], "Überfall 7");
    EXPECT_EQ(z[5], "");
    EXPECT_TRUE(z[6].ends_with(" Alarm aus Gruppe 9 von:")) << z[6];
}

TEST(Leitung, StatusrahmenKommenBeimProgrammAnUndWerdenAlsTaste2Erkannt)
{
    Leitung leitung;
    ASSERT_TRUE(leitung.bereit());
    const int programm = ::open(leitung.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(programm, 0);
    ASSERT_TRUE(leitung.schreiben(statusrahmen(false, true) + statusrahmen(true, false)));
    std::string bytes;
    char puffer[64];
    for (int versuch = 0; versuch < 100 && bytes.size() < 28; ++versuch) {
        const ssize_t n = ::read(programm, puffer, sizeof puffer);
        if (n > 0) {
            bytes.append(puffer, static_cast<std::size_t>(n));
        } else {
            ::usleep(1000);
        }
    }
    ASSERT_EQ(bytes.size(), 28U);

    VirtualScheduler uhr;
    auto zeichenfrist = uhr.timer("Zeichenfrist", 1000);
    Empfangsdecoder decoder(*zeichenfrist);
    std::vector<std::pair<int, int>> tasten;
    for (unsigned char b : bytes) {
        if (decoder.schritt(b)) {
            tasten.emplace_back(decoder.empfangspuffer()[1], decoder.empfangspuffer()[2]);
        }
    }
    EXPECT_EQ(tasten, (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}}));

    // What the program sends reaches the device end.
    ASSERT_EQ(::write(programm, "\xF2\x01\x0A", 3), 3);
    std::string anfrage;
    for (int versuch = 0; versuch < 100 && anfrage.size() < 3; ++versuch) {
        anfrage += leitung.lesen();
        ::usleep(1000);
    }
    EXPECT_EQ(anfrage, "\xF2\x01\x0A");
    ::close(programm);
}

TEST(Ruhemelder, DieStartzeitEndetWoDieRechenzeitZuletztWuchs)
{
    Ruhemelder r(300);
    EXPECT_FALSE(r.messen(0, 100));
    EXPECT_FALSE(r.messen(10, 250));
    EXPECT_FALSE(r.messen(20, 400));
    // Unchanged from here on: the growth happened between 10 and 20 ms.
    EXPECT_FALSE(r.messen(30, 400));
    EXPECT_FALSE(r.messen(314, 400));
    EXPECT_TRUE(r.messen(315, 400));
    EXPECT_DOUBLE_EQ(r.letzte_aenderung_ms(), 15);
    // A late burst starts the quiet span anew.
    EXPECT_FALSE(r.messen(400, 401));
    EXPECT_DOUBLE_EQ(r.letzte_aenderung_ms(), 357.5);
    EXPECT_TRUE(r.messen(700, 401));
}

TEST(Kennzahlen, MedianPerzentilUndMaximum)
{
    struct Fall {
        std::vector<double> werte;
        double median, p95, max;
    };
    const std::vector<Fall> faelle{
        {{5}, 5, 5, 5},
        {{4, 1, 3, 2}, 2.5, 4, 4},
        {{9, 1, 5}, 5, 9, 9},
    };
    for (const auto& f : faelle) {
        const Kennzahlen k = kennzahlen(f.werte);
        EXPECT_DOUBLE_EQ(k.median, f.median);
        EXPECT_DOUBLE_EQ(k.p95, f.p95);
        EXPECT_DOUBLE_EQ(k.max, f.max);
        EXPECT_EQ(k.anzahl, f.werte.size());
    }
    std::vector<double> hundert;
    for (int i = 100; i >= 1; --i) {
        hundert.push_back(i);
    }
    EXPECT_DOUBLE_EQ(kennzahlen(hundert).p95, 95);
    EXPECT_EQ(kennzahlen({}).anzahl, 0U);
}

TEST(Auswertung, TabelleZeigtVerfehlteGrenzen)
{
    const std::string t =
        tabelle({{"A", "1 ms", "≤ 2 ms", true, "x"}, {"B", "3 ms", "≤ 2 ms", false, "y --z"}});
    EXPECT_NE(t.find("| A | 1 ms | ≤ 2 ms | yes | `x` |"), std::string::npos) << t;
    EXPECT_NE(t.find("| B | 3 ms | ≤ 2 ms | **no** | `y --z` |"), std::string::npos) << t;
}

} // namespace
} // namespace hestrel::bench
