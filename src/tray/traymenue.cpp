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
        if (symbol_da && !m_warnung.empty()) {
            m_symbol->warnung("Kestu – Störung\n" + m_warnung);
        }
    }
}

void Traymenue::symbol_erschienen()
{
    if (m_beendet || m_symbol == nullptr || symbol_da) {
        return;
    }
    symbol_da = true;
    if (!m_warnung.empty()) {
        m_symbol->warnung("Kestu – Störung\n" + m_warnung);
    }
}

void Traymenue::menuepunkt_gewaehlt(int punkt)
{
    if (punkt < 0 || punkt >= static_cast<int>(k_traymenue.size())) {
        return;
    }
    // By the item's name: items added to the menu leave the others' meaning as it is.
    const std::string_view name = k_traymenue[static_cast<std::size_t>(punkt)].name;
    if (name == "infoAktion") {
        info_zeigen();
    } else if (name == "meldelisteAktion") {
        meldeliste_zeigen();
    } else if (name == "einstellungAktion") {
        einstellungen_zeigen();
    } else if (name == "probealarmAktion") {
        probealarm_senden();
    } else if (name == "zusatzAktion") {
        m_befehle.zusatz_zeigen();
    } else if (name == "warnungAktion") {
        m_befehle.warnung_bestaetigen();
    } else if (name == "beendenAktion") {
        beenden();
    }
}

void Traymenue::warnung_setzen(const std::string& text)
{
    if (text == m_warnung) {
        return;
    }
    m_warnung = text;
    if (m_symbol != nullptr && symbol_da) {
        m_symbol->warnung(text.empty() ? std::string() : "Kestu – Störung\n" + text);
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
    m_befehle.abmelden([this] {
        if (prozess_beenden) {
            prozess_beenden();
        }
    });
}

} // namespace hestrel
