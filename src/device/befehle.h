#pragma once

#include <cstdint>
#include <string>

#include "device/empfangsdecoder.h"

namespace hestrel {

// The commands to the alarm box: the start byte, a command code, a parameter.
namespace befehl {
inline constexpr std::uint8_t k_statusabfrage = 1;
inline constexpr std::uint8_t k_ein = 2;
inline constexpr std::uint8_t k_aus = 3;
// The parameter of the status request: all outputs.
inline constexpr std::uint8_t k_alle_ausgaenge = 10;
// The parameter of k_aus that switches every output off.
inline constexpr std::uint8_t k_reset = 11;
} // namespace befehl

inline std::string geraetebefehl(std::uint8_t code, std::uint8_t parameter)
{
    return std::string{static_cast<char>(Empfangsdecoder::k_startzeichen), static_cast<char>(code),
                       static_cast<char>(parameter)};
}

// The question the box answers with a status frame.
inline std::string statusabfrage_befehl()
{
    return geraetebefehl(befehl::k_statusabfrage, befehl::k_alle_ausgaenge);
}

} // namespace hestrel
