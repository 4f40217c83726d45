#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "einstellungen/einstellungen.h"

namespace hestrel {

inline constexpr int k_einstellungszeilen = 68;

// The values of "Hestrel.DAT" in file order (line 1 at index 0). A short file
// gives fewer values; lines beyond 68 are ignored.
std::vector<std::string> einstellungsdatei_lesen(std::string_view bytes);

// The summary line: the eleven values in square brackets.
std::string ausdruck_bilden(const Einstellungen& e, const std::string& comdeaktiviert);

// "1"/"0" of a check box value.
inline std::string haken_text(int wert)
{
    return wert != 0 ? "1" : "0";
}
// A check box value as written in lines 67 and 68: " 0 " or " 1 ".
std::string haken_zeile(int wert);

} // namespace hestrel
