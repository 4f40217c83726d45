#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/fehler.h"

namespace hestrel {

// The serial port of the alarm device: 2400 baud, 8 data bits, no parity,
// one stop bit; port number n is the n-th serial port of the machine.
class Seriellerport {
public:
    virtual ~Seriellerport() = default;
    virtual void setCommPort(int nummer) = 0;
    virtual int commPort() const = 0;
    virtual Fehler oeffnen() = 0;
    virtual void schliessen() = 0;
    virtual bool offen() const = 0;
    virtual Fehler schreiben(const std::string& bytes) = 0;
    virtual Fehler setRts(bool an) = 0;

    // One call per received byte.
    std::function<void(std::uint8_t)> empfangen;
    // The open port failed (device unplugged); it is closed now.
    std::function<void(const Fehler&)> verloren;
};

}  // namespace hestrel
