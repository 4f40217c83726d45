// Two running programs and the simulated alarm box: key 2 at the first sends
// an alarm with its origin record; an answer laid beside it as the second
// program's "Ich komme" lays it reaches the sender's journal within two seconds.
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "core/cp1252.h"
#include "core/textdatei.h"
#include "exchange/begleitdateien.h"
#include "support/geraeteanlage.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

TEST(AntwortZwischenProgrammen, IchKommeErreichtDasJournalDesSendersInZweiSekunden)
{
    Geraeteanlage anlage;
    const std::string fehler = anlage.starten(HESTREL_PROGRAMM, KESTU_SIM, "Kasse", "Empfang-2");
    ASSERT_EQ(fehler, "");
    Prozess& sim = *anlage.sim;
    const std::string& a = anlage.a;
    const std::string& b = anlage.b;
    const std::string& gruppe1 = anlage.gruppe1;

    // Key 2: the alarm reaches the second program.
    sim.tippen("2");
    const auto journal = [](const std::string& d) {
        return existiert(d + "mameldung.log") ? cp1252_zu_utf8(datei_lesen(d + "mameldung.log")) : "";
    };
    QElapsedTimer t;
    t.start();
    while (journal(b).find("Alarm aus Gruppe 1 von:") == std::string::npos && t.elapsed() < 8000) {
        sim.lesen(50);
    }
    ASSERT_NE(journal(b).find("Alarm aus Gruppe 1 von:\rÜberfall"), std::string::npos) << journal(b);

    // Beside it the sender's origin record, tied to the text shown.
    std::string grund;
    const auto h = herkunft_lesen(datei_lesen(gruppe1 + k_herkunftsdatei), grund);
    ASSERT_TRUE(h) << grund;
    EXPECT_EQ(h->platz, "Kasse");
    EXPECT_EQ(h->gruppen, std::vector<int>{1});
    EXPECT_FALSE(h->probe);
    EXPECT_EQ(h->pruefsumme, pruefsumme(datei_lesen(gruppe1 + "MDAT0.XQV")));

    // "Ich komme" at the second program: the record, whole at once.
    Antwort antwort;
    antwort.alarm = h->alarm;
    antwort.platz = "Empfang-2";
    antwort.benutzer = "pruefer";
    antwort.zeit = "08.12.2026 10:32:07";
    const std::string ziel = gruppe1 + antwortdatei(h->alarm, antwort.platz);
    datei_schreiben(ziel + ".tmp", kodieren(antwort));
    std::filesystem::rename(ziel + ".tmp", ziel);
    t.restart();
    const std::string erwartet = "Antwort von Empfang-2 (pruefer): Ich komme, Alarm in Gruppe 1";
    while (journal(a).find(erwartet) == std::string::npos && t.elapsed() < 5000) {
        sim.lesen(20);
    }
    const qint64 dauer = t.elapsed();
    std::cout << "Antwort bis ins Journal des Senders: " << dauer << " ms\n";
    EXPECT_NE(journal(a).find(erwartet), std::string::npos) << journal(a);
    EXPECT_LT(dauer, 2000);
    sim.tippen("q");
}

} // namespace
} // namespace hestrel::test
