// Two running programs and the simulated device: key 2 on the first one's
// line puts the alarm into the second one's journal.
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "core/textdatei.h"
#include "support/geraeteanlage.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

TEST(ZweiArbeitsplaetze, Taste2AmGeraetErreichtDasJournalDesAnderenInSechsSekunden)
{
    Geraeteanlage anlage;
    const std::string fehler = anlage.starten(HESTREL_PROGRAMM, KESTU_SIM);
    ASSERT_EQ(fehler, "");
    Prozess& sim = *anlage.sim;
    const std::string& b = anlage.b;
    const std::string& gruppe1 = anlage.gruppe1;

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
