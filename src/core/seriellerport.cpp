#include "core/seriellerport.h"

#include <variant>

#include "core/zahlen.h"

namespace hestrel {

Fehler anschluss_nicht_geoeffnet()
{
    return {8018, "Anschluss nicht geöffnet"};
}

int anschlussnummer(std::string_view einstellung)
{
    const auto n = ganzzahl16(zahlenwert(einstellung));
    return std::holds_alternative<std::int16_t>(n) ? std::get<std::int16_t>(n) : 0;
}

} // namespace hestrel
