#pragma once

#include <cstddef>
#include <mutex>
#include <string>

#include "core/systemlog.h"

namespace hestrel {

// The system log of the machine: one datagram per entry to the local syslog
// socket ("<12>Mar  7 09:05:59 hestrel[4711]: text", facility user), which
// both syslog daemons and the systemd journal read. Sent without waiting:
// an entry the socket cannot take at once is counted and reported with the
// next one that goes through. Without the socket nothing is sent.
class Systemlogsocket : public Systemlog {
  public:
    // The socket at `pfad`; an empty path sends nothing.
    explicit Systemlogsocket(std::string pfad);
    ~Systemlogsocket() override;
    Systemlogsocket(const Systemlogsocket&) = delete;
    Systemlogsocket& operator=(const Systemlogsocket&) = delete;

    // $HESTREL_SYSLOG when it is set (empty: no system log), else /dev/log.
    static std::string standardpfad();

    void schreiben(Prioritaet prioritaet, const std::string& text) override;

    // Entries the socket could not take so far (not yet reported).
    std::size_t verloren() const;

    // The text as it goes out: control characters as blanks, no trailing
    // blanks, at most `k_max_text` bytes, cut between characters and ending in "…".
    static std::string bereinigt(const std::string& text);
    static constexpr std::size_t k_max_text = 2000;

  private:
    bool senden(Prioritaet prioritaet, const std::string& text);

    const std::string m_pfad;
    mutable std::mutex m_mutex;
    int m_fd = -1;
    std::size_t m_verloren = 0;
};

} // namespace hestrel
