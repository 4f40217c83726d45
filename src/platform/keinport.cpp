#include "platform/keinport.h"

namespace hestrel {

Fehler KeinPort::port_oeffnen()
{
    return {8002, "Ungültige Anschlussnummer"};
}

Fehler KeinPort::schreiben(const std::string&)
{
    return anschluss_nicht_geoeffnet();
}

} // namespace hestrel
