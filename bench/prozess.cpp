#include "prozess.h"

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace hestrel::bench {
namespace {

std::optional<std::uint64_t> laufzeit(const std::string& schedstat)
{
    std::ifstream f(schedstat);
    std::uint64_t ns = 0;
    if (!(f >> ns)) {
        return std::nullopt;
    }
    return ns;
}

}  // namespace

Prozess::Prozess(const std::string& programm, const std::map<std::string, std::string>& umgebung,
                 const std::string& ausgabe)
{
    std::vector<std::string> env;
    for (const auto& [name, wert] : umgebung) {
        env.push_back(name + "=" + wert);
    }
    for (char** e = environ; *e; ++e) {
        const std::string eintrag = *e;
        const std::string name = eintrag.substr(0, eintrag.find('='));
        if (!umgebung.count(name) && name != "DISPLAY" && name != "WAYLAND_DISPLAY") {
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
    posix_spawn_file_actions_addopen(&aktionen, 1, ausgabe.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&aktionen, 1, 2);
    posix_spawn_file_actions_addopen(&aktionen, 0, "/dev/null", O_RDONLY, 0);
    std::string p = programm;
    char* argv[] = {p.data(), nullptr};
    if (posix_spawn(&m_pid, programm.c_str(), &aktionen, nullptr, argv, envp.data()) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&aktionen);
}

Prozess::~Prozess()
{
    beenden();
}

bool Prozess::laeuft()
{
    if (m_pid <= 0 || m_beendet) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_beendet = true;
        return false;
    }
    return true;
}

std::optional<std::uint64_t> Prozess::hauptfaden_ns() const
{
    const std::string p = std::to_string(m_pid);
    return laufzeit("/proc/" + p + "/task/" + p + "/schedstat");
}

std::optional<std::uint64_t> Prozess::cpu_ns() const
{
    const std::string verzeichnis = "/proc/" + std::to_string(m_pid) + "/task";
    DIR* d = ::opendir(verzeichnis.c_str());
    if (d == nullptr) {
        return std::nullopt;
    }
    std::uint64_t summe = 0;
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] != '.') {
            summe += laufzeit(verzeichnis + "/" + e->d_name + "/schedstat").value_or(0);
        }
    }
    ::closedir(d);
    return summe;
}

bool Prozess::wartet() const
{
    std::ifstream f("/proc/" + std::to_string(m_pid) + "/wchan");
    std::string wo;
    f >> wo;
    return wo.find("poll") != std::string::npos;
}

std::optional<long> Prozess::rss_kib() const
{
    std::ifstream f("/proc/" + std::to_string(m_pid) + "/status");
    std::string zeile;
    while (std::getline(f, zeile)) {
        if (zeile.starts_with("VmRSS:")) {
            return std::stol(zeile.substr(6));
        }
    }
    return std::nullopt;
}

bool Prozess::beenden()
{
    if (m_pid <= 0 || m_beendet) {
        return true;
    }
    ::kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 250; ++i) {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_beendet = true;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, &status, 0);
    m_beendet = true;
    return false;
}

bool Ruhemelder::messen(double t_ms, std::uint64_t cpu_ns)
{
    if (!m_wert || cpu_ns != *m_wert) {
        // The time grew somewhere between the previous reading and this one.
        m_letzte_aenderung = m_wert ? (m_vorige + t_ms) / 2 : t_ms;
        m_wert = cpu_ns;
    }
    m_vorige = t_ms;
    return t_ms - m_letzte_aenderung >= m_ruhe_ms;
}

}  // namespace hestrel::bench
