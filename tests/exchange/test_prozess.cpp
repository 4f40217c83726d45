// The real program, offscreen in its own data directory, receives an alarm
// that another workstation left in its group directory.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/echtprogramm.h"

namespace hestrel::test {
namespace {

using echt::Uhrzeit;

TEST(Prozess, FremderAlarmErscheintImJournalUndDasSignalBleibt)
{
    TempVerzeichnis basis;
    const std::string daten = basis / "daten";
    const std::string gruppe = basis.unterverzeichnis("gruppe1");
    std::filesystem::create_directories(daten);
    datei_schreiben(daten + "/Hestrel.DAT", echt::einstellungen({gruppe}));

    echt::Programm hestrel(HESTREL_PROGRAMM, daten, basis / "ausgabe.txt");
    ASSERT_TRUE(warten_bis([&] { return existiert(daten + "/mameldung.log"); }, std::chrono::seconds(20)))
        << datei_lesen(basis / "ausgabe.txt");

    echt::alarm_legen(gruppe, "\xDC"
                              "berfall\r\nKasse 2\r\n\r\n\r\n");

    const auto gelegt = Uhrzeit::now();
    const bool gezeigt = warten_bis(
        [&] {
            return datei_lesen(daten + "/mameldung.log").find("Alarm aus Gruppe 1 von:") != std::string::npos;
        },
        std::chrono::seconds(6));
    const auto dauer = std::chrono::duration_cast<std::chrono::milliseconds>(Uhrzeit::now() - gelegt);
    ASSERT_TRUE(gezeigt) << datei_lesen(basis / "ausgabe.txt");
    EXPECT_LE(dauer.count(), 6000);
    EXPECT_NE(datei_lesen(daten + "/mameldung.log")
                  .find(" Alarm aus Gruppe 1 von:\r\xDC"
                        "berfall\r\nKasse 2\r\n\r\n\r\n\r\n"),
              std::string::npos);
    // The receiver leaves the signal file for its sender to remove.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(datei_lesen(gruppe + "MESSAGE.XQV"), "0");
    EXPECT_TRUE(hestrel.laeuft());
}

} // namespace
} // namespace hestrel::test
