// Two running programs and the simulated alarm box: key 2 at the first sends
// an alarm with its origin record; an answer laid beside it as the second
// program's "Ich komme" lays it reaches the sender's journal within two seconds.
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "core/cp1252.h"
#include "core/textdatei.h"
#include "exchange/begleitdateien.h"
#include "support/qtprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

// A workstation with group 1 in `gruppe1`, its name in Hestrel-Zusatz.ini.
void arbeitsplatz_einrichten(const std::string& verzeichnis, const std::string& gruppe1,
                             const std::string& import, const std::string& hardware, const std::string& aus,
                             const std::string& name)
{
    std::vector<std::string> z{"", import, "3", "0", "", "", "Taste 1", "0", aus, " 250", "1", gruppe1};
    z.resize(25);
    z.push_back(hardware);
    z.resize(66);
    z.push_back("0");
    z.push_back("0");
    datei_schreiben(verzeichnis + "Hestrel.DAT", zeilen_kodieren(z));
    datei_schreiben(verzeichnis + "Hestrel-Zusatz.ini", zeilen_kodieren({"Platzname=" + name}));
    // The message list's texts and targets: group 1 ticked.
    std::vector<std::string> d{"Überfall", "Kasse 2", "", "Bitte kommen", " 1 "};
    d.resize(14, " 0 ");
    for (int i = 1; i <= 10; ++i) {
        d.push_back("Gruppe " + std::to_string(i));
    }
    d.resize(64, " 0 ");
    for (int i = 11; i <= 50; ++i) {
        d.push_back("Gruppe " + std::to_string(i));
    }
    datei_schreiben(verzeichnis + "Alarmdaten.DAT", zeilen_kodieren(d));
}

TEST(AntwortZwischenProgrammen, IchKommeErreichtDasJournalDesSendersInZweiSekunden)
{
    TempVerzeichnis basis;
    const std::string a = basis.unterverzeichnis("a");
    const std::string b = basis.unterverzeichnis("b");
    const std::string gruppe1 = basis.unterverzeichnis("gruppe1");

    Prozess sim(KESTU_SIM, {"3"}, QProcessEnvironment::systemEnvironment());
    ASSERT_TRUE(sim.laeuft());
    ASSERT_TRUE(sim.warten_auf("\n", 5000));
    const std::string zeile = sim.ausgabe().substr(0, sim.ausgabe().find('\n'));
    const std::string vorne = "export HESTREL_COM3=";
    ASSERT_EQ(zeile.substr(0, vorne.size()), vorne) << zeile;

    arbeitsplatz_einrichten(a, gruppe1, basis.unterverzeichnis("import_a"), "Kestu_10", "0", "Kasse");
    arbeitsplatz_einrichten(b, gruppe1, basis.unterverzeichnis("import_b"), "keine", "1", "Empfang-2");

    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    umgebung.insert("QT_QPA_PLATFORM", "offscreen");
    umgebung.insert("HESTREL_COM3", QString::fromStdString(zeile.substr(vorne.size())));
    umgebung.insert("APPDATA", QString::fromStdString(a));
    Prozess sender(HESTREL_PROGRAMM, {}, umgebung);
    umgebung.insert("APPDATA", QString::fromStdString(b));
    umgebung.remove("HESTREL_COM3");
    Prozess empfaenger(HESTREL_PROGRAMM, {}, umgebung);
    ASSERT_TRUE(sender.laeuft());
    ASSERT_TRUE(empfaenger.laeuft());
    ASSERT_TRUE(sim.warten_auf("Statusabfrage", 10000)) << sim.ausgabe();

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
