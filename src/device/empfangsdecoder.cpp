#include "device/empfangsdecoder.h"

namespace hestrel {

Empfangsdecoder::Empfangsdecoder(Zeitgeber& timerser) : m_timerser(timerser) {}

void Empfangsdecoder::timerser_neu()
{
    m_timerser.stop();
    m_timerser.setInterval(1000);
    m_timerser.start();
}

bool Empfangsdecoder::schritt(std::uint8_t byte)
{
    switch (m_empfangsstatus) {
    case 0:
        if (byte == k_startzeichen) {
            m_empfangsstatus = 1;
            m_empfangszaehler = 0;
            // A new frame gets its own full time-out, not what is left of the previous frame's.
            timerser_neu();
        }
        return false;
    case 1:
        m_empfangsstatus = 2;
        timerser_neu();
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
            timerser_neu();
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
    m_timerser.stop();
}

} // namespace hestrel
