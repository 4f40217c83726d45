#pragma once

#include <array>
#include <cstdint>

#include "core/scheduler.h"

namespace hestrel {

// Assembles the device's status frames byte by byte: 242, type 1, then twelve
// payload bytes. A byte 242 inside the payload is data. The frame time-out is the
// inter-byte time-out; its tick drops the frame in progress.
class Empfangsdecoder {
  public:
    static constexpr std::uint8_t k_startzeichen = 242;
    static constexpr int k_status = 1;
    static constexpr int k_statuslaenge = 12;

    explicit Empfangsdecoder(Zeitgeber& zeichenfrist);

    // One received byte; true when it completed a status frame.
    bool schritt(std::uint8_t byte);
    // The frame time-out ran out.
    void zeitablauf();
    // Forgets a frame in progress (the port was closed under it).
    void zuruecksetzen() { m_empfangsstatus = 0; }

    int empfangsstatus() const { return m_empfangsstatus; }
    int telegrammtyp() const { return m_telegrammtyp; }
    bool telegramm_fertig() const { return m_telegramm_fertig; }
    // Payload byte k (1..12) at index k: 1 = input 1, 2 = input 2, 3..12 = outputs 1..10.
    const std::array<std::uint8_t, k_statuslaenge + 1>& empfangspuffer() const { return m_empfangspuffer; }

  private:
    void zeichenfrist_neu();

    Zeitgeber& m_zeichenfrist;
    int m_empfangsstatus = 0;
    int m_empfangszaehler = 0;
    int m_telegrammlaenge = 0;
    int m_telegrammtyp = 0;
    bool m_telegramm_fertig = false;
    std::array<std::uint8_t, k_statuslaenge + 1> m_empfangspuffer{};
};

} // namespace hestrel
