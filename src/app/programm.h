#pragma once

#include <memory>

namespace hestrel {

class Arbeitsplatz;
class EchtesDateisystem;
class HestrelFenster;
class QtMeldungsdienst;
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

    Arbeitsplatz& arbeitsplatz() { return *m_arbeitsplatz; }

private:
    std::unique_ptr<EchtesDateisystem> m_fs;
    std::unique_ptr<QtScheduler> m_scheduler;
    std::unique_ptr<SystemUhr> m_uhr;
    std::unique_ptr<QtMeldungsdienst> m_boxen;
    std::unique_ptr<Seriellerport> m_port;
    std::unique_ptr<Arbeitsplatz> m_arbeitsplatz;
    std::unique_ptr<HestrelFenster> m_einstellungsfenster;
    bool m_beendet = false;
};

}  // namespace hestrel
