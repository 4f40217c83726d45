#include "app/programm.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QMenu>
#include <QSessionManager>

#include "arbeitsplatz/arbeitsplatz.h"
#include "console/meldeliste.h"
#include "console/ui/gruppenbezeichnungfenster.h"
#include "console/ui/meldelistefenster.h"
#include "core/datenverzeichnis.h"
#include "core/freigabedienst.h"
#include "core/systemlog.h"
#include "core/umgebung.h"
#include "einstellungen/ui/einstellungsfenster.h"
#include "einstellungen/ui/zusatzfenster.h"
#include "platform/fensterstapel.h"
#include "platform/qtmeldungsdienst.h"
#include "platform/qtprozessstarter.h"
#include "platform/qtscheduler.h"
#include "platform/qtseriellerport.h"
#include "platform/qttonausgabe.h"
#include "platform/ressourcen.h"
#include "presentation/ui/alarmanzeigen.h"
#include "presentation/ui/alarmgesendetfenster.h"
#include "tray/traymenue.h"
#include "tray/ui/programminfofenster.h"
#include "tray/ui/qttraysymbol.h"
#include "tray/ui/signalwaechter.h"

namespace hestrel {

Programm::Programm()
    : m_fs(std::make_unique<EchtesDateisystem>()), m_scheduler(std::make_unique<QtScheduler>()),
      // On the shares a link at an exchange file's name is never followed.
      m_freigaben(std::make_unique<FaedenFreigabedienst>(
          std::make_shared<EchtesDateisystem>(EchtesDateisystem::Verknuepfungen::nicht_folgen),
          *m_scheduler)),
      m_uhr(std::make_unique<SystemUhr>()), m_boxen(std::make_unique<QtMeldungsdienst>()),
      m_port(std::make_unique<QtSeriellerport>()), m_ton(std::make_unique<QtTonausgabe>()),
      m_prozesse(std::make_unique<QtProzessstarter>())
{
    ressourcen_laden();
    m_arbeitsplatz = std::make_unique<Arbeitsplatz>(Dienste{*m_fs, *m_scheduler, *m_uhr, *m_boxen, *m_port,
                                                            m_ton.get(), m_prozesse.get(), m_freigaben.get(),
                                                            standortverzeichnisse_ermitteln(umgebung)});
    m_arbeitsplatz->systemlog_setzen(systemlog_des_rechners());
    Logbuch& log = m_arbeitsplatz->log();
    m_ton->setStoerung([&log](const std::string& text) { log.logeintrag(text); });
    m_einstellungsfenster = std::make_unique<Einstellungsfenster>(m_arbeitsplatz->einstellungen());
    // The alarm windows stand above full-screen programs in the way this desktop allows.
    m_stapel = fensterstapel_der_sitzung();
    std::fprintf(stderr, "hestrel: %s\n", m_stapel->beschreibung().c_str());
    m_alarmfenster = std::make_unique<Alarmanzeigen>(m_arbeitsplatz->alarmanzeige(), *m_stapel);
    m_bestaetigungsfenster = std::make_unique<AlarmgesendetFenster>(m_arbeitsplatz->alarmgesendet());
    m_meldelistefenster = std::make_unique<MeldelisteFenster>(m_arbeitsplatz->meldeliste());
    m_bezeichnungsfenster =
        std::make_unique<GruppenbezeichnungFenster>(m_arbeitsplatz->meldeliste().gruppenbezeichnung());
    m_infofenster = std::make_unique<ProgramminfoFenster>(m_arbeitsplatz->programminfo());
    m_zusatzfenster = std::make_unique<Zusatzfenster>(m_arbeitsplatz->zusatzverwaltung());
    m_tray = std::make_unique<QtTraysymbol>(m_arbeitsplatz->traymenue());
    m_arbeitsplatz->traymenue().symbol_setzen(m_tray.get());
    // Every item of the tray menu is within reach from the message list too,
    // for desktops without a notification area.
    m_programmmenue = std::make_unique<QMenu>();
    m_programmmenue->setObjectName(QStringLiteral("programmmenue"));
    programmmenue_fuellen(m_programmmenue.get(), m_arbeitsplatz->traymenue());
    m_meldelistefenster->programmmenue_setzen(m_programmmenue.get(),
                                              [this] { return m_arbeitsplatz->traymenue().symbol_da; });
    m_arbeitsplatz->traymenue().prozess_beenden = [this] {
        m_beendet = true;
        // exit, not quit: quit first asks every window to close, and the
        // settings window answers a close with the shut-down.
        QApplication::exit(0);
    };
    // SIGTERM, SIGINT and the end of the desktop session leave as "Programm beenden" does.
    m_signale = std::make_unique<Signalwaechter>([this] { beenden(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, m_tray.get(),
                     [this](QSessionManager&) { beenden(); });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, m_tray.get(), [this] { beenden(); });
}

Programm::~Programm() = default;

void Programm::starten()
{
    const std::string verzeichnis = datenverzeichnis_ermitteln(umgebung);
    std::error_code fehler;
    std::filesystem::create_directories(verzeichnis, fehler);
    m_arbeitsplatz->starten(verzeichnis);
}

void Programm::meldeliste_vorholen()
{
    m_arbeitsplatz->traymenue().meldeliste_zeigen();
}

void Programm::beenden()
{
    // The tray's exit command: icon removed, port closed, engine unloaded, quit.
    if (m_beendet) {
        return;
    }
    m_arbeitsplatz->traymenue().beenden();
}

} // namespace hestrel
