#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>

#include "support/kindprozess.h"
#include "support/testumgebung.h"

using namespace hestrel::test;

// The real program, offscreen, without a settings file (so the settings
// window is open, which must not hold the exit up).
TEST(Programmende, SigtermUndSigintBeendenDasProgramm)
{
    for (int signal : {SIGTERM, SIGINT}) {
        TempVerzeichnis dir;
        Kindprozess hestrel({HESTREL_PROGRAMM}, {"APPDATA=" + dir.pfad(), "QT_QPA_PLATFORM=offscreen"}, {},
                            "/dev/null");
        ASSERT_TRUE(hestrel.gestartet());

        // Start-up has created the journal once it is done.
        EXPECT_TRUE(warten_bis([&] { return existiert(dir / "mameldung.log"); }, std::chrono::seconds(20)));
        hestrel.signal(signal);
        const bool beendet = hestrel.ende_abwarten(std::chrono::seconds(10)).has_value();
        hestrel.toeten();
        const int status = hestrel.ende_abwarten(std::chrono::milliseconds(0)).value_or(0);
        EXPECT_TRUE(beendet) << "signal " << signal;
        EXPECT_TRUE(WIFEXITED(status)) << "signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "signal " << signal;
    }
}
