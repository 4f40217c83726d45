#include "prozess.h"

#include <dirent.h>
#include <fstream>
#include <vector>

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

std::vector<std::string> gesetzt(const std::map<std::string, std::string>& umgebung)
{
    std::vector<std::string> env;
    for (const auto& [name, wert] : umgebung) {
        env.push_back(name + "=" + wert);
    }
    return env;
}

} // namespace

Prozess::Prozess(const std::string& programm, const std::map<std::string, std::string>& umgebung,
                 const std::string& ausgabe)
    : m_kind({programm}, gesetzt(umgebung), {"DISPLAY", "WAYLAND_DISPLAY"}, ausgabe, true)
{
}

std::optional<std::uint64_t> Prozess::hauptfaden_ns() const
{
    const std::string p = std::to_string(pid());
    return laufzeit("/proc/" + p + "/task/" + p + "/schedstat");
}

std::optional<std::uint64_t> Prozess::cpu_ns() const
{
    const std::string verzeichnis = "/proc/" + std::to_string(pid()) + "/task";
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
    std::ifstream f("/proc/" + std::to_string(pid()) + "/wchan");
    std::string wo;
    f >> wo;
    return wo.find("poll") != std::string::npos;
}

std::optional<long> Prozess::rss_kib() const
{
    std::ifstream f("/proc/" + std::to_string(pid()) + "/status");
    std::string zeile;
    while (std::getline(f, zeile)) {
        if (zeile.starts_with("VmRSS:")) {
            return std::stol(zeile.substr(6));
        }
    }
    return std::nullopt;
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

} // namespace hestrel::bench
