#include "tray/traymenue.h"

#include <string_view>

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
    if (punkt < 0 || punkt >= static_cast<int>(k_traymenue.size())) {
        return;
    }
    // By name: an item added to the menu moves the others' places.
    const std::string_view name = k_traymenue[static_cast<std::size_t>(punkt)].name;
    if (name == "infoAktion") {
        info_zeigen();
    } else if (name == "meldelisteAktion") {
        meldeliste_zeigen();
    } else if (name == "einstellungAktion") {
        einstellungen_zeigen();
    } else if (name == "probealarmAktion") {
        probealarm_senden();
    } else if (name == "beendenAktion") {
        beenden();
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

void Traymenue::probealarm_senden()
{
    m_befehle.probealarm_senden();
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
