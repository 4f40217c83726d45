#pragma once

#include <memory>
#include <string>

#include "leitung.h"
#include "stoppuhr.h"

namespace hestrel {
class Alarmanzeigen;
class Fensterstapel;
class AlarmgesendetFenster;
class Arbeitsplatz;
class Einstellungsfenster;
class MeldelisteFenster;
class QtMeldungsdienst;
class QtProzessstarter;
class QtScheduler;
class QtSeriellerport;
class QtTonausgabe;
class SystemUhr;
} // namespace hestrel

namespace hestrel::bench {

// One workstation in this process as the program composes it, with the Qt
// services, the windows and the alarm device on a pseudo-terminal, but on a
// file system that notes the times of the alarm's file steps. Needs a
// QApplication.
class Werkbank {
  public:
    // Starts the workstation on the data directory (set up by Standort).
    explicit Werkbank(const std::string& datenverzeichnis);
    ~Werkbank();
    Werkbank(const Werkbank&) = delete;
    Werkbank& operator=(const Werkbank&) = delete;

    Arbeitsplatz& arbeitsplatz() { return *m_arbeitsplatz; }
    MeldelisteFenster& meldelistefenster() { return *m_meldelistefenster; }
    Stoppuhr& fs() { return m_fs; }
    Leitung& leitung() { return m_leitung; }
    const std::string& daten() const { return m_daten; }

    // Runs the event loop until nothing is left to do now.
    static void ereignisse();

  private:
    std::string m_daten;
    Leitung m_leitung;
    Stoppuhr m_fs;
    std::unique_ptr<QtScheduler> m_scheduler;
    std::unique_ptr<SystemUhr> m_uhr;
    std::unique_ptr<QtMeldungsdienst> m_boxen;
    std::unique_ptr<QtSeriellerport> m_port;
    std::unique_ptr<QtTonausgabe> m_ton;
    std::unique_ptr<QtProzessstarter> m_prozesse;
    std::unique_ptr<Arbeitsplatz> m_arbeitsplatz;
    std::unique_ptr<Einstellungsfenster> m_einstellungsfenster;
    std::unique_ptr<Fensterstapel> m_stapel;
    std::unique_ptr<Alarmanzeigen> m_alarmfenster;
    std::unique_ptr<AlarmgesendetFenster> m_bestaetigungsfenster;
    std::unique_ptr<MeldelisteFenster> m_meldelistefenster;
};

} // namespace hestrel::bench
