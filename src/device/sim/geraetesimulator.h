#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace hestrel {

// The alarm device as seen from the line: decodes the workstation's 3-byte
// commands, keeps its ten outputs, and answers every status request with a
// 14-byte status frame. A pressed key stays active for k_tastendauer frames,
// so that one frame cut off by the workstation's port check loses nothing.
class Geraetesimulator {
  public:
    static constexpr int k_tastendauer = 2;

    struct Ergebnis {
        std::string antwort;             // bytes to write back to the line
        std::vector<std::string> zeilen; // the commands in readable form
    };

    // Bytes from the line, in any pieces.
    Ergebnis empfangen(const std::string& bytes);
    // Key 1, key 2, or both (tasten 3).
    void druecken(int tasten);
    // The next status frame; counts down the pressed keys.
    std::string statusrahmen();

    bool ausgang(int n) const { return m_ausgaenge[static_cast<std::size_t>(n - 1)]; }
    bool taste_aktiv(int n) const { return (n == 1 ? m_taste1 : m_taste2) > 0; }
    // "Ausgänge an: 1 5" or "Ausgänge: alle aus".
    std::string ausgangsliste() const;

  private:
    void befehl(std::uint8_t code, std::uint8_t parameter, Ergebnis& e);

    int m_zustand = 0;
    std::uint8_t m_code = 0;
    std::array<bool, 10> m_ausgaenge{};
    int m_taste1 = 0;
    int m_taste2 = 0;
};

} // namespace hestrel
