#include "device/empfangsdecoder.h"

namespace hestrel {

Empfangsdecoder::Empfangsdecoder(Zeitgeber& zeichenfrist) : m_zeichenfrist(zeichenfrist) {}

void Empfangsdecoder::zeichenfrist_neu()
{
    m_zeichenfrist.stop();
    m_zeichenfrist.setInterval(1000);
    m_zeichenfrist.start();
}

bool Empfangsdecoder::schritt(std::uint8_t byte)
{
    switch (m_empfangsstatus) {
    case 0:
        if (byte == k_startzeichen) {
            m_empfangsstatus = 1;
            m_empfangszaehler = 0;
            // A new frame gets its own full time-out, not what is left of the previous frame's.
            zeichenfrist_neu();
        }
        return false;
    case 1:
        m_empfangsstatus = 2;
        zeichenfrist_neu();
        if (byte == k_status) {
            m_telegrammtyp = k_status;
            m_telegramm_fertig = false;
            m_telegrammlaenge = k_statuslaenge;
        } else {
            m_empfangsstatus = 0;
        }
        return false;
    case 2:
        if (m_empfangszaehler <= m_telegrammlaenge) {
            zeichenfrist_neu();
            ++m_empfangszaehler;
            m_empfangspuffer[static_cast<std::size_t>(m_empfangszaehler)] = byte;
            if (m_empfangszaehler == m_telegrammlaenge) {
                m_telegramm_fertig = true;
                m_empfangsstatus = 0;
                return true;
            }
        }
        return false;
    default:
        m_empfangsstatus = 0;
        return false;
    }
}

void Empfangsdecoder::zeitablauf()
{
    m_empfangsstatus = 0;
    m_zeichenfrist.stop();
}

} // namespace hestrel
