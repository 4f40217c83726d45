// Two real programs, offscreen, on one group directory: each keeps its
// presence record there while it runs and takes it away when it ends.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "support/echtprogramm.h"

namespace hestrel::test {

TEST(AnwesenheitProzess, AufzeichnungKommtMitDemStartUndGehtMitDemEnde)
{
    TempVerzeichnis basis;
    const std::string gruppe = basis.unterverzeichnis("gruppe1");
    std::vector<std::unique_ptr<echt::Programm>> programme;
    const std::vector<std::string> namen = {"Anmeldung", "Empfang-2"};
    for (const std::string& name : namen) {
        const std::string daten = basis / ("daten-" + name);
        std::filesystem::create_directories(daten);
        datei_schreiben(daten + "/Hestrel.DAT", echt::einstellungen({gruppe}));
        datei_schreiben(daten + "/Hestrel-Zusatz.ini", echt::zeilen_cr_lf({"Platzname=" + name}));
        programme.push_back(
            std::make_unique<echt::Programm>(HESTREL_PROGRAMM, daten, basis / ("ausgabe-" + name + ".txt")));
    }
    const auto da = [&](const std::string& name) {
        return existiert(gruppe + "hestrel-da-" + name + ".txt");
    };
    ASSERT_TRUE(warten_bis([&] { return da(namen[0]) && da(namen[1]); }, std::chrono::seconds(20)))
        << datei_lesen(basis / "ausgabe-Anmeldung.txt");
    const std::string inhalt = datei_lesen(gruppe + "hestrel-da-Empfang-2.txt");
    EXPECT_EQ(inhalt.rfind("HESTREL-ANWESENHEIT 1\r\nPlatz=Empfang-2\r\n", 0), 0U) << inhalt;
    EXPECT_FALSE(existiert(gruppe + "hestrel-probe-Anmeldung.txt")) << "the start-up probe leaves nothing";

    // SIGTERM is a clean exit: the record goes, the other one stays.
    ASSERT_TRUE(programme[0]->beenden(std::chrono::seconds(10)));
    EXPECT_FALSE(da(namen[0]));
    EXPECT_TRUE(da(namen[1]));
    ASSERT_TRUE(programme[1]->beenden(std::chrono::seconds(10)));
    EXPECT_FALSE(da(namen[1]));
    EXPECT_EQ(echt::vorkommen(datei_lesen(basis / "daten-Anmeldung/Hestrel.log"), "berwachung"), 0)
        << "a sound start raises no warning";
}

} // namespace hestrel::test
