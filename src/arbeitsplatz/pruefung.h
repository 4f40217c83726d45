#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/freigabedienst.h"
#include "core/scheduler.h"
#include "core/seriellerport.h"
#include "core/uhr.h"
#include "exchange/verzeichnisschau.h"

namespace hestrel {

class Empfangsdecoder;

// The check of one workstation from a shell or a monitoring system
// (`hestrel --check`): loads the settings as the start-up does, but every
// message box goes into the report and nothing is written; then tests every
// group directory and the import directory through the share service with
// the exchange's own calls (one listing, timed and counted; a probe file
// created, looked up in capitals, replaced while a handle holds it open, read
// back and removed), the alarm box (a status request on its port), the sound
// file and the alarm journal. A share that does not answer is reported after
// k_frist_ms; nothing waits for it.
class Pruefung {
  public:
    enum class Stufe { offen, ok, hinweis, warnung, fehler };
    struct Befund {
        std::string was;
        Stufe stufe = Stufe::offen;
        std::string text;
    };

    // Exit codes of the check.
    static constexpr int k_alles_gut = 0;
    static constexpr int k_gestoert = 1;           // something needed for receiving or sending fails
    static constexpr int k_ohne_einstellungen = 2; // the settings cannot be read (or a bad command line)
    // How long the check waits for a share or the alarm box.
    static constexpr int k_frist_ms = 3000;
    // A group directory holding more entries is a warning: every listing
    // costs the server megabytes (the records' upkeep lists it only every ten
    // minutes, and looks for answers there by name).
    static constexpr std::size_t k_viele_eintraege = Verzeichnisschau::k_viele_eintraege;

    // fs: the data directory and the sound file; freigaben: the group and
    // import directories; port: the alarm box.
    Pruefung(Dateisystem& fs, Scheduler& scheduler, const Uhr& uhr, Seriellerport& port,
             Freigabedienst& freigaben, std::string datenverzeichnis,
             std::vector<std::string> standortverzeichnisse);
    ~Pruefung();
    Pruefung(const Pruefung&) = delete;
    Pruefung& operator=(const Pruefung&) = delete;

    // Starts the checks; fertig runs once, on the engine's thread, when every
    // check has answered or the time ran out (possibly before starten returns).
    void starten(std::function<void()> fertig);
    bool fertig() const { return m_fertig; }

    const std::vector<Befund>& befunde() const { return m_befunde; }
    int rueckgabewert() const;
    // One line per check and the summary, each ending in a line feed.
    std::string bericht() const;

  private:
    struct Zustand;
    void einstellungen_laden();
    void verzeichnis_pruefen(std::size_t befund, const std::string& praefix);
    void geraet_pruefen();
    void geraet_antwort();
    void tondatei_pruefen();
    void journal_pruefen();
    void setzen(std::size_t befund, Stufe stufe, std::string text);
    void fristablauf();
    void abschliessen();

    Dateisystem& m_fs;
    Scheduler& m_scheduler;
    const Uhr& m_uhr;
    Seriellerport& m_port;
    Freigabedienst& m_freigaben;
    std::string m_datenverzeichnis;
    std::vector<std::string> m_standort;
    std::string m_platzname;
    std::unique_ptr<Zustand> m_z;
    std::vector<Befund> m_befunde;
    bool m_einstellungen_ok = false;
    std::size_t m_offen = 0;
    std::size_t m_geraetebefund = 0;
    bool m_port_offen = false;
    bool m_fertig = false;
    std::function<void()> m_fertig_melden;
    std::unique_ptr<Zeitgeber> m_frist;
    std::unique_ptr<Zeitgeber> m_zeichenfrist;
    std::unique_ptr<Empfangsdecoder> m_decoder;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
