#pragma once

#include <memory>

class QMenu;

namespace hestrel {

class Alarmanzeigen;
class AlarmgesendetFenster;
class Arbeitsplatz;
class EchtesDateisystem;
class Fensterstapel;
class FaedenFreigabedienst;
class GruppenbezeichnungFenster;
class ProgramminfoFenster;
class MeldelisteFenster;
class QtTraysymbol;
class Signalwaechter;
class Einstellungsfenster;
class Zusatzfenster;
class QtMeldungsdienst;
class QtProzessstarter;
class QtTonausgabe;
class QtScheduler;
class Seriellerport;
class SystemUhr;

// The running program: the Qt services, one workstation engine on them, and
// the windows over it.
class Programm {
  public:
    Programm();
    ~Programm();

    // Start-up on the data directory of this user.
    void starten();
    // Ends the program as "Programm beenden" does.
    void beenden();
    // Another start in this session asked: the message list to the front, with the keyboard.
    void meldeliste_vorholen();

    Arbeitsplatz& arbeitsplatz() { return *m_arbeitsplatz; }

  private:
    std::unique_ptr<EchtesDateisystem> m_fs;
    std::unique_ptr<QtScheduler> m_scheduler;
    // Dies before the scheduler its answers go through, after the engine that asks.
    std::unique_ptr<FaedenFreigabedienst> m_freigaben;
    std::unique_ptr<SystemUhr> m_uhr;
    std::unique_ptr<QtMeldungsdienst> m_boxen;
    std::unique_ptr<Seriellerport> m_port;
    std::unique_ptr<QtTonausgabe> m_ton;
    std::unique_ptr<QtProzessstarter> m_prozesse;
    std::unique_ptr<Arbeitsplatz> m_arbeitsplatz;
    std::unique_ptr<Einstellungsfenster> m_einstellungsfenster;
    std::unique_ptr<Fensterstapel> m_stapel;
    std::unique_ptr<Alarmanzeigen> m_alarmfenster;
    std::unique_ptr<AlarmgesendetFenster> m_bestaetigungsfenster;
    std::unique_ptr<MeldelisteFenster> m_meldelistefenster;
    std::unique_ptr<GruppenbezeichnungFenster> m_bezeichnungsfenster;
    std::unique_ptr<ProgramminfoFenster> m_infofenster;
    std::unique_ptr<Zusatzfenster> m_zusatzfenster;
    std::unique_ptr<QtTraysymbol> m_tray;
    std::unique_ptr<Signalwaechter> m_signale;
    // The tray menu's items on the message list's button "Programm".
    std::unique_ptr<QMenu> m_programmmenue;
    bool m_beendet = false;
};

} // namespace hestrel
