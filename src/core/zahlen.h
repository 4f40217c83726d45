#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "core/fehler.h"

namespace hestrel {

// The numeric prefix of a text ("0abc" -> 0, " 250" -> 250, "0.5" -> 0.5, "" -> 0).
double zahlenwert(std::string_view text);

// Rounds to the nearest 16-bit integer, halves to the even neighbour.
// Outside -32768..32767 the result is the overflow error.
std::variant<std::int16_t, Fehler> ganzzahl16(double wert);

// Strict conversion of a whole text, blanks around it allowed ("1", " 0 ", "1.5").
// Not a number: type mismatch; out of range: overflow.
std::variant<std::int16_t, Fehler> text_zu_ganzzahl16(std::string_view text);

// The printed form of a number: a blank (or the minus sign) before the digits.
std::string vorzeichenform(long wert);

} // namespace hestrel
