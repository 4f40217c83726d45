#pragma once

#include <cstdint>
#include <string>

#include <memory>

#include "core/fehler.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/seriellerport.h"
#include "core/uhr.h"
#include "device/empfangsdecoder.h"

namespace hestrel {

class Einstellungsverwaltung;

// What the alarm box's keys set going: key 2 raises an alarm, key 1 hides the alarm window.
class Geraetefolgen {
  public:
    virtual ~Geraetefolgen() = default;
    virtual void alarm_ausloesen() = 0;
    virtual void alarmanzeige_verbergen() = 0;
};

// Where the box's outputs and inputs show: the message list's relay buttons.
class Relaisanzeige {
  public:
    virtual ~Relaisanzeige() = default;
    // Background colour of the relay button of group index: k_rot, k_gruen.
    virtual void relais_farbe(int index, int farbe) = 0;
    // The never-shown indicators of the box's two inputs.
    virtual void eingaenge(bool ein1, bool ein2) = 0;
};

// The alarm device on the serial port: the interface check that re-opens the
// port and asks the device for its status every half second, the commands to
// its outputs, and the receive path that decodes its status frames and acts on
// its two keys. It owns its timers: the status poll, the frame time-out and
// the key delay.
class Geraet {
  public:
    // Takes the port's events; the settings give the port and show the trace.
    Geraet(Einstellungsverwaltung& einstellungen, Logbuch& log, Meldungsdienst& boxen, Seriellerport& port,
           Scheduler& scheduler, const Uhr& uhr, Geraetefolgen& folgen);
    ~Geraet();
    Geraet(const Geraet&) = delete;
    Geraet& operator=(const Geraet&) = delete;

    // What statusausgabe does with an output.
    static constexpr int k_ausgang_an = 2;
    static constexpr int k_ausgang_aus = 3;
    static constexpr int k_zuruecksetzen = 4;

    // True when port `nummer` could be opened; always leaves the port closed.
    bool port_pruefen(int nummer);
    // The interface check, every half second while the status poll runs:
    // re-opens the port and asks the box for its status.
    void schnittstelle_pruefen();
    // aktion k_ausgang_an: output gruppe + 1 on; k_ausgang_aus: off;
    // k_zuruecksetzen: all off. RTS follows austext.
    void statusausgabe(bool austext, int gruppe, int aktion);
    // Receive event: one byte from the device.
    void empfangen(std::uint8_t byte);
    // No byte came for a second: the frame in progress is dropped.
    void zeichenpause();
    // The status poll (every half second) runs or not.
    Zeitgeber& statusabfrage() { return *m_statusabfrage; }
    // The frame time-out, restarted by every byte.
    Zeitgeber& zeichenfrist() { return *m_zeichenfrist; }
    // The key delay set in the settings; kept, the box debounces itself.
    Zeitgeber& entprellung() { return *m_entprellung; }
    // The relay buttons; none: nothing shows.
    void relaisanzeige_setzen(Relaisanzeige* anzeige) { m_relais = anzeige; }
    // The open port failed under us (device unplugged); the port is closed.
    void verloren(const Fehler& f);

    const Empfangsdecoder& decoder() const { return m_decoder; }

    // The box is asked for its state and has sent no status frame for this long.
    static constexpr std::int64_t k_stumm_ms = 10000;
    // True while the status poll runs and the box has been silent for k_stumm_ms.
    bool stumm() const;

    // The trace keeps only its last characters.
    static constexpr std::size_t k_spurlaenge = 4096;

  private:
    void eingang_auswerten();
    // "Schnittstelle nicht aktive!" and the event-log entry.
    void nicht_aktiv(const Fehler& f);
    int portnummer() const;
    void aktualisieren();

    Einstellungsverwaltung& m_einstellungen;
    Logbuch& m_log;
    Meldungsdienst& m_boxen;
    Seriellerport& m_port;
    const Uhr& m_uhr;
    Scheduler& m_scheduler;
    Geraetefolgen& m_folgen;
    Relaisanzeige* m_relais = nullptr;
    std::unique_ptr<Zeitgeber> m_entprellung;
    std::unique_ptr<Zeitgeber> m_statusabfrage;
    std::unique_ptr<Zeitgeber> m_zeichenfrist;
    Empfangsdecoder m_decoder;
    Fehler m_oeffnungsfehler;
    // When the box was last asked and last answered with a status frame (scheduler ms).
    std::int64_t m_letzte_frage_ms = -1;
    std::int64_t m_letzte_antwort_ms = -1;
};

} // namespace hestrel
