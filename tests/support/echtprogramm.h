#pragma once

// The real program as a process of its own, for tests that watch it from
// outside: its settings, its start and end, and alarms laid as another
// workstation lays them.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/kindprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test::echt {

using Uhrzeit = std::chrono::steady_clock;
using hestrel::test::warten_bis;

// Lines as the program's files keep them: each ended by CR LF.
inline std::string zeilen_cr_lf(const std::vector<std::string>& z)
{
    std::string bytes;
    for (const auto& zeile : z) {
        bytes += zeile + "\r\n";
    }
    return bytes;
}

// The 68 lines of a settings file: the groups' directories (with trailing
// separator, at most ten), no alarm device, event log on.
inline std::vector<std::string> einstellungszeilen(const std::vector<std::string>& gruppen)
{
    std::vector<std::string> z(68);
    z[0] = "x";
    z[2] = "1";
    z[3] = "0";
    z[7] = "0";
    z[8] = "1";
    z[9] = " 120";
    z[10] = "1";
    for (std::size_t i = 0; i < gruppen.size() && i < 10; ++i) {
        z[11 + i] = gruppen[i];
    }
    z[25] = "keine";
    z[66] = "0";
    z[67] = "0";
    return z;
}

inline std::string einstellungen(const std::vector<std::string>& gruppen)
{
    return zeilen_cr_lf(einstellungszeilen(gruppen));
}

// How often `muster` stands in `text`.
inline int vorkommen(const std::string& text, const std::string& muster)
{
    int n = 0;
    for (auto p = text.find(muster); p != std::string::npos; p = text.find(muster, p + muster.size())) {
        ++n;
    }
    return n;
}

// As another workstation sends: the data file complete before the signal file appears.
inline void alarm_legen(const std::string& gruppe, const std::string& text)
{
    datei_schreiben(gruppe + ".MDAT0.XQV.tmp", text);
    std::filesystem::rename(gruppe + ".MDAT0.XQV.tmp", gruppe + "MDAT0.XQV");
    datei_schreiben(gruppe + ".MESSAGE.XQV.tmp", "0");
    std::filesystem::rename(gruppe + ".MESSAGE.XQV.tmp", gruppe + "MESSAGE.XQV");
}

// The program offscreen with its own data directory; ended when it goes out of scope.
class Programm {
  public:
    Programm(const std::string& programm, const std::string& daten, const std::string& ausgabe)
        : m_kind({programm}, {"APPDATA=" + daten, "QT_QPA_PLATFORM=offscreen"},
                 {"DISPLAY", "WAYLAND_DISPLAY"}, ausgabe)
    {
    }
    ~Programm() { beenden(std::chrono::seconds(5)); }
    Programm(const Programm&) = delete;
    Programm& operator=(const Programm&) = delete;

    bool laeuft() { return m_kind.laeuft(); }

    // SIGTERM; true when the program ended within `grenze`. Otherwise it is
    // killed, after `vor_dem_toeten` (e.g. letting a hung file system go, so the kill can land).
    bool beenden(std::chrono::milliseconds grenze, const std::function<void()>& vor_dem_toeten = {})
    {
        if (!m_kind.gestartet()) {
            return true;
        }
        m_kind.signal(SIGTERM);
        const auto weg = [&] { return !m_kind.laeuft(); };
        // The program has ended once its main thread has: a worker thread held
        // in the kernel by a share that never answers keeps the process alive
        // until the share lets go, and nothing in user space can cut that short.
        const auto geendet = [&] { return weg() || hauptfaden_beendet(); };
        if (warten_bis(geendet, grenze)) {
            if (!weg() && vor_dem_toeten) {
                vor_dem_toeten();
            }
            m_kind.ende_abwarten(std::chrono::seconds(10));
            m_kind.loslassen();
            return true;
        }
        if (vor_dem_toeten) {
            vor_dem_toeten();
        }
        m_kind.toeten();
        m_kind.loslassen();
        return false;
    }

  private:
    bool hauptfaden_beendet() const
    {
        const std::string pid = std::to_string(m_kind.pid());
        const std::string stat = "/proc/" + pid + "/task/" + pid + "/stat";
        std::FILE* f = std::fopen(stat.c_str(), "r");
        if (!f) {
            return true;
        }
        char zeile[512]{};
        const bool gelesen = std::fgets(zeile, sizeof zeile, f) != nullptr;
        std::fclose(f);
        const char* klammer = gelesen ? std::strrchr(zeile, ')') : nullptr;
        return klammer && (klammer[2] == 'Z' || klammer[2] == 'X');
    }

    Kindprozess m_kind;
};

} // namespace hestrel::test::echt
