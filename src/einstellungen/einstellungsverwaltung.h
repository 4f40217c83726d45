#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/dateisystem.h"
#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/seriellerport.h"
#include "core/wavab.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/einstellungsdatei.h"
#include "einstellungen/einstellungsmaske.h"

namespace hestrel {

// What loading, opening and saving the settings sets going elsewhere; the
// workstation that puts the parts together answers it.
class Einstellungsfolgen {
  public:
    virtual ~Einstellungsfolgen() = default;
    // The settings window opened for setting up: the poll waits until the save.
    virtual void abfrage_anhalten() = 0;
    virtual void abfrage_fortsetzen() = 0;
    // The alarm box's key delay in milliseconds.
    virtual void tastenverzoegerung_setzen(int ms) = 0;
    // Whether the alarm box is asked for its status every half second.
    virtual void geraeteabfrage_setzen(bool an) = 0;
    // The settings window was closed: the program ends.
    virtual void programm_beenden() = 0;
};

// What the settings need of the message list: its group controls follow the
// group directories after a save.
class Gruppensteuerung {
  public:
    virtual ~Gruppensteuerung() = default;
    virtual void bildschirm_anpassen() = 0;
};

// The settings of a workstation: loading "Hestrel.DAT" at start, the settings
// window's state and its save, and the export files of the import directory.
// The window itself is a thin view over this (ui/einstellungsfenster).
class Einstellungsverwaltung {
  public:
    Einstellungsverwaltung(Einstellungen& einstellungen, Logbuch& log, const std::string& datenverzeichnis,
                           Dateisystem& fs, Freigabedienst& freigaben, Scheduler& scheduler,
                           Meldungsdienst& boxen, Seriellerport& port, Einstellungsfolgen& folgen);
    Einstellungsverwaltung(const Einstellungsverwaltung&) = delete;
    Einstellungsverwaltung& operator=(const Einstellungsverwaltung&) = delete;

    // The settings' part of the start-up: the window's fixed texts, then the load.
    void starten();
    // Loads "Hestrel.DAT" (or the defaults without one) and opens the port;
    // a failure opens the settings window for setting up.
    void laden();
    // Opens the settings window with the values in force, the poll waiting
    // until the save ("Setup gestartet" in the event log).
    void einrichten();
    // Shows the settings window without refilling it (tray menu "Einstellung").
    void einstellungen_zeigen();

    // What the person does in the settings window.
    void speichern();
    void geraeteart_gewaehlt(const std::string& text);
    // Shows the page of ten group paths (0..4).
    void pfadseite_zeigen(int seite);
    // The sound file dialog's answer; a cancelled dialog passes the current file.
    void signal_gewaehlt(const std::string& name);
    // Closing the settings window ends the program.
    void fenster_geschlossen();

    Einstellungen& einstellungen() { return m_e; }
    const Einstellungen& einstellungen() const { return m_e; }
    Einstellungsmaske& maske() { return m_maske; }
    Logbuch& log() { return m_log; }
    const std::string& datenverzeichnis() const { return m_datenverzeichnis; }
    std::string einstellungsdatei_pfad() const;
    // The site's directories searched for "Hestrel.DAT" where the data
    // directory has none; the save still writes the data directory's file.
    void standort_setzen(std::vector<std::string> verzeichnisse) { m_standort = std::move(verzeichnisse); }
    // The file the last load read (or failed to read); empty when there was none.
    const std::string& geladen_aus() const { return m_geladen_aus; }

    // The message list whose group controls follow the saved paths; none: nothing to adapt.
    void gruppensteuerung_setzen(Gruppensteuerung* g) { m_gruppen = g; }
    // Tells the window that the state changed.
    void melden();
    // Called whenever the settings window's state changed (the view refreshes).
    std::function<void()> geaendert;

  private:
    bool datei_da(const std::string& verzeichnis, const std::string& name);
    void werte_einfuellen();
    void ladefehler(const Fehler& f, bool& dateiende);
    // Writes data files (key, text) into the import directory through the
    // share service; danach gets the first error when the directory answers.
    void exportieren(std::vector<std::pair<std::string, std::string>> dateien,
                     std::function<void(const Fehler&)> danach);
    void exportfehler_melden(const Fehler& f);
    // A save waiting for the answers about its group directories; touched on
    // the engine's thread only.
    struct Pfadpruefung {
        std::array<std::string, k_gruppen> pfade;
        // Set by each directory's answer; one that has not answered counts as missing.
        std::array<bool, k_gruppen> da{};
        // The path holds characters "Hestrel.DAT" cannot keep: refused unasked.
        std::array<bool, k_gruppen> unkodierbar{};
        int offen = 0;
    };
    void speichern_fortsetzen(std::shared_ptr<Pfadpruefung> p);

    // The load's steps.
    void journal_anlegen();
    // The file the settings come from: the data directory's, else the site's; none: empty.
    std::string einstellungsquelle();
    void voreinstellungen_setzen();
    Fehler datei_einlesen(const std::string& quelle, bool& dateiende);
    Fehler werte_uebernehmen(const Einstellungswerte& w);
    // The window's check boxes and the timers the values switch.
    Fehler schalter_setzen();
    Fehler id_pruefen();
    Fehler anschluss_oeffnen();
    void exportdatei_schreiben();

    // The save's steps; false where it stops.
    bool pfade_annehmen(const Pfadpruefung& p);
    bool eingaben_annehmen();
    void werte_aus_fenster();
    // What the file gets: the settings in force and, where the file has
    // always taken them, the window's boxes.
    Einstellungswerte dateiwerte() const;
    bool datei_schreiben();
    void einrichtung_beenden();
    // The message for the first text box of the settings window that holds
    // characters "Hestrel.DAT" or the export files cannot keep; none when all fit.
    std::optional<std::string> unkodierbare_felder() const;

    Einstellungen& m_e;
    Logbuch& m_log;
    const std::string& m_datenverzeichnis;
    Dateisystem& m_fs;
    Freigabedienst& m_freigaben;
    Meldungsdienst& m_boxen;
    Seriellerport& m_port;
    Einstellungsfolgen& m_folgen;
    Gruppensteuerung* m_gruppen = nullptr;
    std::vector<std::string> m_standort;
    std::string m_geladen_aus;
    Einstellungsmaske m_maske;
    Wavab m_wavab;
    // How long a save waits for its group directories and the import directory.
    static constexpr int k_pfadfrist_ms = 3000;
    std::unique_ptr<Zeitgeber> m_pfadfrist;
    std::shared_ptr<Pfadpruefung> m_pfadpruefung;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
