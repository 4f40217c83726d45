#include "tray/mnbar.h"

#include "core/hestrel.h"
#include "tray/mainfo.h"
#include "tray/traysymbol.h"

namespace hestrel {

void Mnbar::laden()
{
    caption = m_hestrel.firmentext;
    // The icon is added once; a failure leaves the program running without it.
    if (m_symbol != nullptr && !symbol_da) {
        symbol_da = m_symbol->hinzufuegen("Kestu");
    }
}

void Mnbar::menue_Click(int punkt)
{
    switch (punkt) {
    case 0: pinfo_Click(); break;
    case 1: mliste_Click(); break;
    case 2: peinstell_Click(); break;
    case 3: pbeend_Click(); break;
    default: break;
    }
}

void Mnbar::pinfo_Click()
{
    m_info.zeigen();
}

void Mnbar::mliste_Click()
{
    if (m_hestrel.meldeliste != nullptr) {
        m_hestrel.meldeliste->zeigen();
    }
}

void Mnbar::peinstell_Click()
{
    m_hestrel.einstellungen_zeigen();
}

void Mnbar::symbol_entfernen()
{
    if (m_symbol != nullptr) {
        m_symbol->entfernen();
    }
    symbol_da = false;
}

void Mnbar::pbeend_Click()
{
    // The central engine's shut-down calls this again; the first run finishes the work.
    if (m_beendet) {
        return;
    }
    m_beendet = true;
    symbol_entfernen();
    Seriellerport& port = m_hestrel.dienste().port;
    if (port.offen()) {
        port.schliessen();
    }
    m_hestrel.Form_Unload();
    if (prozess_beenden) {
        prozess_beenden();
    }
}

}  // namespace hestrel
