// The real program, offscreen in its own data directory, receives an alarm
// that another workstation left in its group directory.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "support/testumgebung.h"

extern char** environ;

namespace hestrel::test {
namespace {

using Uhrzeit = std::chrono::steady_clock;

// The 68 lines of a settings file: group 1 in gruppe, no alarm device, event log on.
std::string einstellungen(const std::string& gruppe)
{
    std::vector<std::string> z(68);
    z[0] = "x";
    z[2] = "1";
    z[3] = "0";
    z[7] = "0";
    z[8] = "1";
    z[9] = " 120";
    z[10] = "1";
    z[11] = gruppe;
    z[25] = "keine";
    z[66] = "0";
    z[67] = "0";
    std::string bytes;
    for (const auto& zeile : z) {
        bytes += zeile + "\r\n";
    }
    return bytes;
}

template <typename Bedingung>
bool warten_bis(Bedingung b, std::chrono::milliseconds grenze)
{
    const auto ende = Uhrzeit::now() + grenze;
    while (Uhrzeit::now() < ende) {
        if (b()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return b();
}

class Prozess {
public:
    Prozess(const std::string& programm, const std::vector<std::string>& umgebung, const std::string& ausgabe)
    {
        std::vector<std::string> env = umgebung;
        for (char** e = environ; *e; ++e) {
            const std::string eintrag = *e;
            const std::string name = eintrag.substr(0, eintrag.find('='));
            if (name != "APPDATA" && name != "QT_QPA_PLATFORM" && name != "DISPLAY" && name != "WAYLAND_DISPLAY") {
                env.push_back(eintrag);
            }
        }
        std::vector<char*> envp;
        for (auto& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t aktionen;
        posix_spawn_file_actions_init(&aktionen);
        posix_spawn_file_actions_addopen(&aktionen, 1, ausgabe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&aktionen, 1, 2);
        std::string p = programm;
        char* argv[] = {p.data(), nullptr};
        m_ok = posix_spawn(&m_pid, programm.c_str(), &aktionen, nullptr, argv, envp.data()) == 0;
        posix_spawn_file_actions_destroy(&aktionen);
    }
    ~Prozess()
    {
        if (!m_ok) {
            return;
        }
        ::kill(m_pid, SIGTERM);
        int status = 0;
        if (!warten_bis([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, std::chrono::seconds(5))) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
    }
    bool laeuft() { return m_ok && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = 0;
    bool m_ok = false;
};

TEST(Prozess, FremderAlarmErscheintImJournalUndDasSignalBleibt)
{
    TempVerzeichnis basis;
    const std::string daten = basis / "daten";
    const std::string gruppe = basis.unterverzeichnis("gruppe1");
    std::filesystem::create_directories(daten);
    datei_schreiben(daten + "/Hestrel.DAT", einstellungen(gruppe));

    Prozess hestrel(HESTREL_PROGRAMM, {"APPDATA=" + daten, "QT_QPA_PLATFORM=offscreen"}, basis / "ausgabe.txt");
    ASSERT_TRUE(warten_bis([&] { return existiert(daten + "/mameldung.log"); }, std::chrono::seconds(20)))
        << datei_lesen(basis / "ausgabe.txt");

    // As another workstation sends: the data file complete before the signal file appears.
    datei_schreiben(gruppe + ".MDAT0.XQV.tmp", "\xDC"
                                               "berfall\r\nKasse 2\r\n\r\n\r\n");
    std::filesystem::rename(gruppe + ".MDAT0.XQV.tmp", gruppe + "MDAT0.XQV");
    datei_schreiben(gruppe + ".MESSAGE.XQV.tmp", "0");
    std::filesystem::rename(gruppe + ".MESSAGE.XQV.tmp", gruppe + "MESSAGE.XQV");

    const auto gelegt = Uhrzeit::now();
    const bool gezeigt = warten_bis(
        [&] { return datei_lesen(daten + "/mameldung.log").find("Alarm aus Gruppe 1 von:") != std::string::npos; },
        std::chrono::seconds(6));
    const auto dauer = std::chrono::duration_cast<std::chrono::milliseconds>(Uhrzeit::now() - gelegt);
    ASSERT_TRUE(gezeigt) << datei_lesen(basis / "ausgabe.txt");
    EXPECT_LE(dauer.count(), 6000);
    EXPECT_NE(datei_lesen(daten + "/mameldung.log").find(" Alarm aus Gruppe 1 von:\r\xDC"
                                                         "berfall\r\nKasse 2\r\n\r\n\r\n\r\n"),
              std::string::npos);
    // The receiver leaves the signal file for its sender to remove.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(datei_lesen(gruppe + "MESSAGE.XQV"), "0");
    EXPECT_TRUE(hestrel.laeuft());
}

}  // namespace
}  // namespace hestrel::test
