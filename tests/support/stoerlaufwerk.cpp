#include "support/stoerlaufwerk.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace hestrel::test {
namespace {

using Uhr = std::chrono::steady_clock;

// One line from the socket, or "" when nothing came within the time.
std::string zeile_lesen(int fd, std::chrono::milliseconds grenze)
{
    std::string zeile;
    const auto ende = Uhr::now() + grenze;
    while (Uhr::now() < ende) {
        pollfd p{fd, POLLIN, 0};
        const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(ende - Uhr::now());
        const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(rest.count(), 1)));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            break;
        }
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) {
            break;
        }
        if (c == '\n') {
            return zeile;
        }
        zeile += c;
    }
    return {};
}

bool noch_eingehaengt(const std::string& pfad)
{
    std::ifstream ein("/proc/self/mountinfo");
    std::string zeile;
    while (std::getline(ein, zeile)) {
        std::istringstream felder(zeile);
        std::string id, eltern, geraet, wurzel, punkt;
        felder >> id >> eltern >> geraet >> wurzel >> punkt;
        if (punkt == pfad) {
            return true;
        }
    }
    return false;
}

bool warten_auf(pid_t pid, std::chrono::milliseconds grenze)
{
    const auto ende = Uhr::now() + grenze;
    do {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (Uhr::now() < ende);
    return false;
}

pid_t starten(const std::vector<std::string>& argumente, const posix_spawn_file_actions_t* aktionen)
{
    std::vector<std::string> kopie = argumente;
    std::vector<char*> argv;
    for (auto& a : kopie) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], aktionen, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

} // namespace

Stoerlaufwerk::Stoerlaufwerk()
{
    const std::string programm = HESTREL_STOERFS;
    if (programm.empty()) {
        m_grund = "übersprungen: ohne libfuse 3 gebaut";
        return;
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_grund = "übersprungen: /dev/fuse fehlt";
        return;
    }
    m_verfuegbar = true;

    std::string muster = (std::filesystem::temp_directory_path() / "hestrel-stoerfs-XXXXXX").string();
    if (!::mkdtemp(muster.data())) {
        m_grund = "kein Temp-Verzeichnis";
        return;
    }
    m_basis = muster;
    m_unterlage = m_basis + "/unterlage";
    m_einhaengepunkt = m_basis + "/laufwerk";
    std::filesystem::create_directory(m_unterlage);
    std::filesystem::create_directory(m_einhaengepunkt);

    int paar[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, paar) != 0) {
        m_grund = "kein Socket";
        return;
    }
    const std::string protokoll = m_basis + "/stoerfs.log";
    posix_spawn_file_actions_t aktionen;
    posix_spawn_file_actions_init(&aktionen);
    posix_spawn_file_actions_adddup2(&aktionen, paar[1], 3);
    posix_spawn_file_actions_addopen(&aktionen, 1, protokoll.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&aktionen, 1, 2);
    m_pid = starten({programm, m_unterlage, m_einhaengepunkt}, &aktionen);
    posix_spawn_file_actions_destroy(&aktionen);
    ::close(paar[1]);
    m_steuerung = paar[0];
    if (m_pid < 0) {
        m_grund = "stoerfs nicht gestartet: " + programm;
        return;
    }
    if (zeile_lesen(m_steuerung, std::chrono::seconds(15)) != "bereit") {
        std::ifstream ein(protokoll);
        std::stringstream text;
        text << ein.rdbuf();
        m_grund = "stoerfs nicht eingehängt: " + text.str();
        aushaengen();
        return;
    }
    struct stat st {};
    if (::stat(m_einhaengepunkt.c_str(), &st) == 0) {
        m_geraet = st.st_dev;
    }
}

Stoerlaufwerk::~Stoerlaufwerk()
{
    aushaengen();
    if (!m_basis.empty() && !noch_eingehaengt(m_einhaengepunkt)) {
        std::error_code egal;
        std::filesystem::remove_all(m_basis, egal);
    }
}

std::string Stoerlaufwerk::befehl(const std::string& zeile)
{
    if (m_steuerung < 0) {
        return {};
    }
    const std::string text = zeile + "\n";
    if (::send(m_steuerung, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) {
        return {};
    }
    return zeile_lesen(m_steuerung, std::chrono::seconds(5));
}

bool Stoerlaufwerk::haengen(const std::string& operation, const std::string& praefix)
{
    return befehl("haengen " + operation + " " + praefix) == "ok";
}

bool Stoerlaufwerk::verzoegern(int millisekunden, const std::string& praefix, const std::string& operation)
{
    return befehl("verzoegern " + std::to_string(millisekunden) + " " + praefix + " " + operation) == "ok";
}

bool Stoerlaufwerk::scheitern(const std::string& operation, int anzahl, const std::string& fehler,
                              const std::string& praefix)
{
    return befehl("scheitern " + operation + " " + std::to_string(anzahl) + " " + fehler + " " + praefix) ==
           "ok";
}

bool Stoerlaufwerk::freigeben()
{
    return befehl("freigeben") == "ok";
}

int Stoerlaufwerk::wartend()
{
    const std::string antwort = befehl("wartend");
    return antwort.empty() ? -1 : std::atoi(antwort.c_str());
}

int Stoerlaufwerk::offen()
{
    const std::string antwort = befehl("offen");
    return antwort.empty() ? -1 : std::atoi(antwort.c_str());
}

void Stoerlaufwerk::aushaengen()
{
    // Closing the socket lets every waiting operation go on; the file system
    // then unmounts itself as well.
    if (m_steuerung >= 0) {
        ::close(m_steuerung);
        m_steuerung = -1;
    }
    if (m_pid <= 0) {
        return;
    }
    // Lazily: a process still inside the mount does not keep it in place.
    if (::geteuid() == 0) {
        ::umount2(m_einhaengepunkt.c_str(), MNT_DETACH);
    } else {
        const pid_t pid = starten({"fusermount3", "-u", "-z", "-q", m_einhaengepunkt}, nullptr);
        if (pid > 0 && !warten_auf(pid, std::chrono::seconds(5))) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    if (!warten_auf(m_pid, std::chrono::seconds(5))) {
        // Still there: cut the connection, which ends every request with an
        // error, then the file system itself.
        if (m_geraet != 0) {
            std::ofstream abbruch("/sys/fs/fuse/connections/" + std::to_string(minor(m_geraet)) + "/abort");
            abbruch << "1";
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

std::map<std::string, long> Stoerlaufwerk::zaehlen()
{
    std::map<std::string, long> z;
    std::istringstream teile(befehl("zaehlen"));
    std::string teil;
    while (teile >> teil) {
        const auto gleich = teil.find('=');
        if (gleich != std::string::npos) {
            z[teil.substr(0, gleich)] = std::stol(teil.substr(gleich + 1));
        }
    }
    return z;
}

} // namespace hestrel::test
