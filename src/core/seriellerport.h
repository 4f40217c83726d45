#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/fehler.h"

namespace hestrel {

// The error of every write or line change on a port that is not open.
Fehler anschluss_nicht_geoeffnet();

// The port number a setting names: its numeric prefix to the nearest 16-bit
// integer; an empty, non-numeric or too large setting gives 0, which no port takes.
int anschlussnummer(std::string_view einstellung);

// The serial port of the alarm device: 2400 baud, 8 data bits, no parity,
// one stop bit; port number n is the n-th serial port of the machine.
//
// The RTS line keeps the state last set through every close and open: a
// driver drops RTS at close and raises it at open, so each opening sets it
// again to that state (off until it is first set).
class Seriellerport {
  public:
    virtual ~Seriellerport() = default;
    virtual void setCommPort(int nummer) = 0;
    virtual int commPort() const = 0;
    // Opens the port, then applies the RTS state. A port without an RTS line
    // opens all the same.
    Fehler oeffnen()
    {
        Fehler f = port_oeffnen();
        if (!f && offen()) {
            rts_leitung(m_rts);
        }
        return f;
    }
    virtual void schliessen() = 0;
    virtual bool offen() const = 0;
    virtual Fehler schreiben(const std::string& bytes) = 0;
    // Sets the RTS line; the state is kept for every later opening, also when
    // the port is closed now (which is reported).
    Fehler setRts(bool an)
    {
        m_rts = an;
        if (!offen()) {
            return anschluss_nicht_geoeffnet();
        }
        return rts_leitung(an);
    }
    // The RTS state last set.
    bool rts() const { return m_rts; }

    // One call per received byte.
    std::function<void(std::uint8_t)> empfangen;
    // The open port failed (device unplugged); it is closed now.
    std::function<void(const Fehler&)> verloren;

  protected:
    // Opens the device itself.
    virtual Fehler port_oeffnen() = 0;
    // Sets the RTS line of the open port.
    virtual Fehler rts_leitung(bool an) = 0;

  private:
    bool m_rts = false;
};

} // namespace hestrel
