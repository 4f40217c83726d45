#include "werkbank.h"

#include <cstdlib>

#include <QApplication>

#include "arbeitsplatz/arbeitsplatz.h"
#include "console/meldeliste.h"
#include "console/ui/meldelistefenster.h"
#include "einstellungen/ui/einstellungsfenster.h"
#include "platform/fensterstapel.h"
#include "platform/qtmeldungsdienst.h"
#include "platform/qtprozessstarter.h"
#include "platform/qtscheduler.h"
#include "platform/qtseriellerport.h"
#include "platform/qttonausgabe.h"
#include "presentation/ui/alarmanzeigen.h"
#include "presentation/ui/alarmgesendetfenster.h"
#include "standort.h"

namespace hestrel::bench {

Werkbank::Werkbank(const std::string& datenverzeichnis)
    : m_daten(datenverzeichnis), m_scheduler(std::make_unique<QtScheduler>()),
      m_uhr(std::make_unique<SystemUhr>()), m_boxen(std::make_unique<QtMeldungsdienst>()),
      m_port(std::make_unique<QtSeriellerport>()), m_ton(std::make_unique<QtTonausgabe>()),
      m_prozesse(std::make_unique<QtProzessstarter>())
{
    // The port the settings name is this line.
    const std::string variable = "HESTREL_COM" + std::to_string(Standort::k_port);
    setenv(variable.c_str(), m_leitung.port().c_str(), 1);

    m_arbeitsplatz = std::make_unique<Arbeitsplatz>(
        Dienste{m_fs, *m_scheduler, *m_uhr, *m_boxen, *m_port, m_ton.get(), m_prozesse.get()});
    m_einstellungsfenster = std::make_unique<Einstellungsfenster>(m_arbeitsplatz->einstellungen());
    m_stapel = fensterstapel_der_sitzung();
    m_alarmfenster = std::make_unique<Alarmanzeigen>(m_arbeitsplatz->alarmanzeige(), *m_stapel);
    m_bestaetigungsfenster = std::make_unique<AlarmgesendetFenster>(m_arbeitsplatz->alarmgesendet());
    m_meldelistefenster = std::make_unique<MeldelisteFenster>(m_arbeitsplatz->meldeliste());
    m_arbeitsplatz->starten(m_daten);
    ereignisse();
}

Werkbank::~Werkbank()
{
    m_meldelistefenster.reset();
    m_bestaetigungsfenster.reset();
    m_alarmfenster.reset();
    m_einstellungsfenster.reset();
    m_arbeitsplatz.reset();
}

void Werkbank::ereignisse()
{
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

} // namespace hestrel::bench
