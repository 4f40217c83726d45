#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "support/testumgebung.h"

extern char** environ;

using namespace hestrel::test;

namespace {

// Waits up to `sekunden` for the condition, looking every 20 ms.
template <typename F>
bool warten(double sekunden, F bedingung)
{
    const auto ende = std::chrono::steady_clock::now() + std::chrono::duration<double>(sekunden);
    while (std::chrono::steady_clock::now() < ende) {
        if (bedingung()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return bedingung();
}

}  // namespace

// The real program, offscreen, without a settings file (so the settings
// window is open, which must not hold the exit up).
TEST(Programmende, SigtermUndSigintBeendenDasProgramm)
{
    for (int signal : {SIGTERM, SIGINT}) {
        TempVerzeichnis dir;
        std::vector<std::string> umgebung = {"APPDATA=" + dir.pfad(), "QT_QPA_PLATFORM=offscreen"};
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string eintrag = *e;
            if (eintrag.rfind("APPDATA=", 0) != 0 && eintrag.rfind("QT_QPA_PLATFORM=", 0) != 0) {
                umgebung.push_back(eintrag);
            }
        }
        std::vector<char*> envp;
        for (auto& e : umgebung) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t aktionen;
        posix_spawn_file_actions_init(&aktionen);
        posix_spawn_file_actions_addopen(&aktionen, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&aktionen, 2, "/dev/null", O_WRONLY, 0);
        char programm[] = HESTREL_PROGRAMM;
        char* argv[] = {programm, nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, programm, &aktionen, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&aktionen);

        // Start-up has created the journal once it is done.
        EXPECT_TRUE(warten(20, [&] { return existiert(dir / "mameldung.log"); }));
        ::kill(pid, signal);
        int status = 0;
        const bool beendet = warten(10, [&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
        if (!beendet) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        EXPECT_TRUE(beendet) << "signal " << signal;
        EXPECT_TRUE(WIFEXITED(status)) << "signal " << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "signal " << signal;
    }
}
