#include "console/meldelistenmaske.h"

namespace hestrel {

Meldelistenmaske Meldelistenmaske::neu()
{
    Meldelistenmaske m;
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        m.gruppennamen[i] = "Gruppe " + std::to_string(i + 1);
        m.gruppennamen_aktiv[i] = true;
        m.melde_gruppen_aktiv[i] = true;
        m.relais_aktiv[i] = true;
        m.relaisfarben[i] = k_schaltflaeche;
        m.gruppe_anwesend[i] = -1;
    }
    return m;
}

} // namespace hestrel
