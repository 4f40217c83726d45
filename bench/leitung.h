#pragma once

#include <chrono>
#include <string>

namespace hestrel::bench {

// The device end of a serial line: a pseudo-terminal whose other end the
// program opens as its port. The device end holds the line open itself, so
// the program's closing and re-opening at every interface check does not
// hang it up.
class Leitung {
  public:
    Leitung();
    ~Leitung();
    Leitung(const Leitung&) = delete;
    Leitung& operator=(const Leitung&) = delete;

    bool bereit() const { return m_geraet >= 0; }
    // The device file the program opens.
    const std::string& port() const { return m_port; }
    int fd() const { return m_geraet; }

    // Writes all bytes; true when they went out.
    bool schreiben(const std::string& bytes);
    // Whatever the program sent, without waiting.
    std::string lesen();

  private:
    int m_geraet = -1;
    int m_programmseite = -1;
    std::string m_port;
};

// A status frame of the device: start byte, type 1, the two keys, ten outputs off.
std::string statusrahmen(bool taste1, bool taste2);

} // namespace hestrel::bench
