#pragma once

#include <cstdint>
#include <string>

#include "core/fehler.h"
#include "device/empfangsdecoder.h"

namespace hestrel {

class Hestrel;
class Seriellerport;

// The alarm device on the serial port: the interface check that re-opens the
// port and polls the device, the commands to its outputs, and the receive path
// that decodes its status frames and acts on its two keys.
class Geraet {
public:
    // Wires itself into the engine: its seams, its timers and the port's events.
    explicit Geraet(Hestrel& hestrel);
    ~Geraet();
    Geraet(const Geraet&) = delete;
    Geraet& operator=(const Geraet&) = delete;

    // True when port `nummer` could be opened; always leaves the port closed.
    bool PortTest(int nummer);
    // Tick of timer_eingang.
    void schnittstelle_pruefen();
    // aktion 2: output agruppe + 1 on; 3: off; 4: reset. RTS follows austext.
    void MSCOM_Ausgabe(bool austext, int agruppe, int aktion);
    // Receive event: one byte from the device.
    void empfangen(std::uint8_t byte);
    // Tick of Timerser: the frame in progress is dropped.
    void Timerser_Timer();
    // The open port failed under us (device unplugged); the port is closed.
    void verloren(const Fehler& f);

    const Empfangsdecoder& decoder() const { return m_decoder; }

    // The trace keeps only its last characters.
    static constexpr std::size_t k_spurlaenge = 4096;

private:
    void eingang_auswerten();
    // "Schnittstelle nicht aktive!" and the event-log entry.
    void nicht_aktiv(const Fehler& f);
    int portnummer() const;
    void aktualisieren();

    Hestrel& m_h;
    Seriellerport& m_port;
    Empfangsdecoder m_decoder;
    Fehler m_oeffnungsfehler;
};

}  // namespace hestrel
