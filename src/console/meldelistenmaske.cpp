#include "console/meldelistenmaske.h"

namespace hestrel {

Meldelistenmaske Meldelistenmaske::neu()
{
    Meldelistenmaske m;
    for (std::size_t i = 0; i < k_gruppen; ++i) {
        m.gruppe_status[i] = "Gruppe " + std::to_string(i + 1);
        m.gruppe_status_aktiv[i] = true;
        m.melde_gruppen_aktiv[i] = true;
        m.rel_stat_aktiv[i] = true;
        m.rel_stat_farbe[i] = k_schaltflaeche;
    }
    return m;
}

}  // namespace hestrel
