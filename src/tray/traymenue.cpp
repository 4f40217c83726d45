#include "tray/traymenue.h"

#include "core/version.h"
#include "tray/programminfo.h"
#include "tray/traysymbol.h"

namespace hestrel {

void Traymenue::laden()
{
    caption = k_firmentext;
    // The icon is added once; a failure leaves the program running without it.
    if (m_symbol != nullptr && !symbol_da) {
        symbol_da = m_symbol->hinzufuegen("Kestu");
    }
}

void Traymenue::menuepunkt_gewaehlt(int punkt)
{
    switch (punkt) {
    case 0:
        info_zeigen();
        break;
    case 1:
        meldeliste_zeigen();
        break;
    case 2:
        einstellungen_zeigen();
        break;
    case 3:
        beenden();
        break;
    default:
        break;
    }
}

void Traymenue::info_zeigen()
{
    m_info.zeigen();
}

void Traymenue::meldeliste_zeigen()
{
    m_befehle.meldeliste_zeigen();
}

void Traymenue::einstellungen_zeigen()
{
    m_befehle.einstellungen_zeigen();
}

void Traymenue::symbol_entfernen()
{
    if (m_symbol != nullptr) {
        m_symbol->entfernen();
    }
    symbol_da = false;
}

void Traymenue::beenden()
{
    // Closing the settings window ends the program through here as well; the
    // first run finishes the work.
    if (m_beendet) {
        return;
    }
    m_beendet = true;
    symbol_entfernen();
    if (m_port.offen()) {
        m_port.schliessen();
    }
    if (prozess_beenden) {
        prozess_beenden();
    }
}

} // namespace hestrel
