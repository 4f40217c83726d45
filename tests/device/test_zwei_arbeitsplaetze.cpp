// Two running programs and the simulated device: key 2 on the first one's
// line puts the alarm into the second one's journal.
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "core/textdatei.h"
#include "support/qtprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

// The settings file of a workstation with group 1 in `gruppe1`.
void einstellungen_schreiben(const std::string& verzeichnis, const std::string& gruppe1,
                             const std::string& import, const std::string& hardware, const std::string& aus)
{
    std::vector<std::string> z{"", import, "3", "0", "", "", "Taste 1", "0", aus, " 250", "1", gruppe1};
    z.resize(25);
    z.push_back(hardware);
    z.resize(66);
    z.push_back("0");
    z.push_back("0");
    datei_schreiben(verzeichnis + "Hestrel.DAT", zeilen_kodieren(z));
}

// Alarm text and targets of the message list: group 1 ticked.
void alarmdaten_schreiben(const std::string& verzeichnis)
{
    std::vector<std::string> z{"Überfall", "Kasse 2", "", "Bitte kommen", " 1 "};
    for (int i = 1; i < 10; ++i) {
        z.push_back(" 0 ");
    }
    for (int i = 1; i <= 10; ++i) {
        z.push_back("Gruppe " + std::to_string(i));
    }
    for (int i = 11; i <= 50; ++i) {
        z.push_back(" 0 ");
    }
    for (int i = 11; i <= 50; ++i) {
        z.push_back("Gruppe " + std::to_string(i));
    }
    datei_schreiben(verzeichnis + "Alarmdaten.DAT", zeilen_kodieren(z));
}

TEST(ZweiArbeitsplaetze, Taste2AmGeraetErreichtDasJournalDesAnderenInSechsSekunden)
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
    const std::string leitung = zeile.substr(vorne.size());

    einstellungen_schreiben(a, gruppe1, basis.unterverzeichnis("import_a"), "Kestu_10", "0");
    alarmdaten_schreiben(a);
    einstellungen_schreiben(b, gruppe1, basis.unterverzeichnis("import_b"), "keine", "1");

    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    umgebung.insert("QT_QPA_PLATFORM", "offscreen");
    umgebung.insert("HESTREL_COM3", QString::fromStdString(leitung));
    umgebung.insert("APPDATA", QString::fromStdString(a));
    Prozess erster(HESTREL_PROGRAMM, {}, umgebung);
    umgebung.insert("APPDATA", QString::fromStdString(b));
    umgebung.remove("HESTREL_COM3");
    Prozess zweiter(HESTREL_PROGRAMM, {}, umgebung);
    ASSERT_TRUE(erster.laeuft());
    ASSERT_TRUE(zweiter.laeuft());

    // The first program polls the device.
    ASSERT_TRUE(sim.warten_auf("Statusabfrage", 10000)) << sim.ausgabe();

    sim.tippen("2");
    QElapsedTimer seit_taste;
    seit_taste.start();
    auto journal = [&] { return existiert(b + "mameldung.log") ? datei_lesen(b + "mameldung.log") : ""; };
    while (journal().find("Alarm aus Gruppe 1 von:") == std::string::npos && seit_taste.elapsed() < 6000) {
        sim.lesen(50);
    }
    EXPECT_LT(seit_taste.elapsed(), 6000) << journal();
    EXPECT_NE(journal().find("Alarm aus Gruppe 1 von:\r\xDC"
                             "berfall\r\nKasse 2\r\n"),
              std::string::npos);
    EXPECT_TRUE(existiert(gruppe1 + "MESSAGE.XQV"));

    // Key 1 answers with the reset command.
    sim.tippen("1");
    EXPECT_TRUE(sim.warten_auf("Reset", 5000)) << sim.ausgabe();
    sim.tippen("q");
}

} // namespace
} // namespace hestrel::test
