#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

#include "support/kindprozess.h"

namespace hestrel::bench {

// One running program, started with its own environment and its output in a
// file, and what /proc tells about it. Ended (SIGTERM, then SIGKILL) with the object.
class Prozess {
  public:
    // umgebung: variables set for the program (the harness's own values of
    // these names, and of DISPLAY and WAYLAND_DISPLAY, are dropped).
    Prozess(const std::string& programm, const std::map<std::string, std::string>& umgebung,
            const std::string& ausgabe);
    Prozess(const Prozess&) = delete;
    Prozess& operator=(const Prozess&) = delete;

    bool laeuft() { return m_kind.laeuft(); }
    pid_t pid() const { return m_kind.pid(); }
    // CPU time of the main thread and of all threads together, in nanoseconds.
    std::optional<std::uint64_t> hauptfaden_ns() const;
    std::optional<std::uint64_t> cpu_ns() const;
    // True while the main thread sleeps in the event loop's poll.
    bool wartet() const;
    // Resident memory in KiB (VmRSS).
    std::optional<long> rss_kib() const;
    // SIGTERM and wait up to 5 s, then SIGKILL; true when it ended by itself.
    bool beenden() { return m_kind.beenden(std::chrono::seconds(5)); }

  private:
    test::Kindprozess m_kind;
};

// Tells when a process has gone quiet: fed with the CPU time read at moments
// in time, it finds the last moment the time still grew.
class Ruhemelder {
  public:
    explicit Ruhemelder(double ruhe_ms) : m_ruhe_ms(ruhe_ms) {}
    // A reading at t_ms; true once the time has not grown for the quiet span.
    bool messen(double t_ms, std::uint64_t cpu_ns);
    // When the time grew last: between the reading before and this one.
    double letzte_aenderung_ms() const { return m_letzte_aenderung; }

  private:
    double m_ruhe_ms;
    std::optional<std::uint64_t> m_wert;
    double m_letzte_aenderung = 0;
    double m_vorige = 0;
};

} // namespace hestrel::bench
