#include "device/sim/geraetesimulator.h"

namespace hestrel {
namespace {

constexpr std::uint8_t k_start = 242;

} // namespace

Geraetesimulator::Ergebnis Geraetesimulator::empfangen(const std::string& bytes)
{
    Ergebnis e;
    for (unsigned char b : bytes) {
        switch (m_zustand) {
        case 0:
            if (b == k_start) {
                m_zustand = 1;
            } else {
                e.zeilen.push_back("Unerwartetes Byte " + std::to_string(b));
            }
            break;
        case 1:
            m_code = b;
            m_zustand = 2;
            break;
        default:
            m_zustand = 0;
            befehl(m_code, b, e);
            break;
        }
    }
    return e;
}

void Geraetesimulator::befehl(std::uint8_t code, std::uint8_t parameter, Ergebnis& e)
{
    const std::string n = std::to_string(parameter);
    const bool am_geraet = parameter >= 1 && parameter <= 10;
    const std::string hinweis = am_geraet ? "" : " (kein Ausgang am Gerät)";
    if (code == 1) {
        e.zeilen.push_back(parameter == 10 ? "Statusabfrage" : "Statusabfrage mit Parameter " + n);
        e.antwort += statusrahmen();
    } else if (code == 2) {
        if (am_geraet) {
            m_ausgaenge[parameter - 1u] = true;
        }
        e.zeilen.push_back("Ausgang " + n + " ein" + hinweis);
    } else if (code == 3 && parameter == 11) {
        e.zeilen.push_back("Reset");
    } else if (code == 3) {
        if (am_geraet) {
            m_ausgaenge[parameter - 1u] = false;
        }
        e.zeilen.push_back("Ausgang " + n + " aus" + hinweis);
    } else {
        e.zeilen.push_back("Unbekannter Befehl 242, " + std::to_string(code) + ", " + n);
    }
}

void Geraetesimulator::druecken(int tasten)
{
    if (tasten & 1) {
        m_taste1 = k_tastendauer;
    }
    if (tasten & 2) {
        m_taste2 = k_tastendauer;
    }
}

std::string Geraetesimulator::statusrahmen()
{
    std::string r{static_cast<char>(k_start), 1, static_cast<char>(m_taste1 > 0 ? 1 : 0),
                  static_cast<char>(m_taste2 > 0 ? 1 : 0)};
    for (bool an : m_ausgaenge) {
        r += static_cast<char>(an ? 1 : 0);
    }
    if (m_taste1 > 0) {
        --m_taste1;
    }
    if (m_taste2 > 0) {
        --m_taste2;
    }
    return r;
}

std::string Geraetesimulator::ausgangsliste() const
{
    std::string an;
    for (int i = 0; i < 10; ++i) {
        if (m_ausgaenge[static_cast<std::size_t>(i)]) {
            an += " " + std::to_string(i + 1);
        }
    }
    return an.empty() ? "Ausgänge: alle aus" : "Ausgänge an:" + an;
}

} // namespace hestrel
