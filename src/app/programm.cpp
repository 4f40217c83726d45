#include "app/programm.h"

#include <cstdlib>
#include <filesystem>

#include <QApplication>

#include "core/arbeitsplatz.h"
#include "core/datenverzeichnis.h"
#include "core/hestrelfenster.h"
#include "platform/keinport.h"
#include "platform/qtmeldungsdienst.h"
#include "platform/qtscheduler.h"
#include "platform/ressourcen.h"

namespace hestrel {

Programm::Programm()
    : m_fs(std::make_unique<EchtesDateisystem>()),
      m_scheduler(std::make_unique<QtScheduler>()),
      m_uhr(std::make_unique<SystemUhr>()),
      m_boxen(std::make_unique<QtMeldungsdienst>()),
      m_port(std::make_unique<KeinPort>())
{
    ressourcen_laden();
    m_arbeitsplatz = std::make_unique<Arbeitsplatz>(Dienste{*m_fs, *m_scheduler, *m_uhr, *m_boxen, *m_port});
    Hestrel& h = m_arbeitsplatz->hestrel();
    m_einstellungsfenster = std::make_unique<HestrelFenster>(h);
    h.pbeend_Click = [this] { beenden(); };
}

Programm::~Programm() = default;

void Programm::starten()
{
    const std::string verzeichnis = datenverzeichnis_ermitteln([](const char* n) { return std::getenv(n); });
    std::error_code fehler;
    std::filesystem::create_directories(verzeichnis, fehler);
    m_arbeitsplatz->starten(verzeichnis);
}

void Programm::beenden()
{
    // Entered again from the shut-down of the central engine: once is enough.
    if (m_beendet) {
        return;
    }
    m_beendet = true;
    if (m_port->offen()) {
        m_port->schliessen();
    }
    QApplication::quit();
}

}  // namespace hestrel
