#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include <array>
#include <string>

#include "core/dateisystem.h"
#include "core/einstellungen.h"
#include "core/einstellungsmaske.h"
#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/meldelistenzugang.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/seriellerport.h"
#include "core/uhr.h"
#include "core/wavab.h"

namespace hestrel {

class Prozessstarter;
class Tonausgabe;

// The services a workstation's engine runs on.
struct Dienste {
    Dateisystem& fs;
    Scheduler& scheduler;
    const Uhr& uhr;
    Meldungsdienst& boxen;
    Seriellerport& port;
    // The alarm sound; none: silent.
    Tonausgabe* ton = nullptr;
    // Starting the locked-workstation notice; none: it cannot be started.
    Prozessstarter* prozesse = nullptr;
    // File work on the group and import directories; none: done at once on fs.
    Freigabedienst* freigaben = nullptr;
};

// The central engine of a workstation: start-up and shut-down, the settings
// with their load and save, the settings window's state, the logs and the
// timers. It is at once the hidden engine and the model of the settings window.
class Hestrel {
public:
    explicit Hestrel(Dienste dienste);
    Hestrel(const Hestrel&) = delete;
    Hestrel& operator=(const Hestrel&) = delete;

    // The start-up procedure, in its order; datenverzeichnis is where the files lie.
    void Form_Load(const std::string& datenverzeichnis);
    // The shut-down: closes the port and leaves through the exit command.
    void Form_Unload();

    void einstellungen_laden();
    void setup();
    // Shows the settings window without refilling it (tray menu "Einstellung").
    void einstellungen_zeigen();

    // Handlers of the settings window.
    void Speichern_Click();
    void art_hardware_geaendert(const std::string& text);
    void gruppenfeld_Click(int seite);
    // The sound file dialog returned name; a cancelled dialog passes the current file.
    void signal_gewaehlt(const std::string& name);

    // directory + separator + name exists? Kept in dateivorhanden.
    void datei_pruefen(const std::string& verzeichnis, const std::string& name);
    bool dateivorhanden = false;

    // Operations the later parts fill in through the seams below.
    void sammelmeldung();
    void MSCOM_Ausgabe(bool austext, int agruppe, int aktion);
    bool PortTest(int nummer);

    // Program-wide values.
    std::string firmentext;
    std::string produkttitel;
    std::string versionstext;
    std::string datenverzeichnis;
    int startzeichen = 0;
    int telegrammtyp_status = 0;

    Einstellungen& einstellungen() { return m_e; }
    Einstellungsmaske& maske() { return m_maske; }
    Logbuch& log() { return m_log; }
    Wavab& wavab() { return m_wavab; }
    Dienste& dienste() { return m_d; }
    // Every access to a group or import directory goes through here.
    Freigabedienst& freigaben() { return m_d.freigaben ? *m_d.freigaben : m_sofort; }
    std::string einstellungsdatei_pfad() const;

    // Timers of the central window.
    Zeitgeber& Timer1() { return *m_timer1; }
    Zeitgeber& Timer2() { return *m_timer2; }
    Zeitgeber& entprell() { return *m_entprell; }
    Zeitgeber& timer_eingang() { return *m_timer_eingang; }
    Zeitgeber& Timerser() { return *m_timerser; }

    // --- Seams: filled by the parts that build on the engine ---------------
    // The message list (console); may stay null while there is none.
    Meldelistenzugang* meldeliste = nullptr;
    // Sending an alarm (exchange).
    std::function<void()> sammelmeldung_seam;
    // Status output to the device (device).
    std::function<void(bool austext, int agruppe, int aktion)> mscom_ausgabe_seam;
    // The interface test of the device (device).
    std::function<bool(int nummer)> porttest_seam;
    // Hiding the alarm window, as the device's reset key does (presentation).
    std::function<void()> alarmanzeige_verbergen;
    // Loading the tray window, which adds the notification-area icon (tray).
    std::function<void()> tray_laden;
    // The exit command of the tray; ends the program (tray).
    std::function<void()> pbeend_Click;
    // Called whenever the settings window's state changed (the view refreshes).
    std::function<void()> maske_geaendert;

private:
    void werte_einfuellen();
    void ladefehler(const Fehler& f, bool& dateiende);
    // Writes "MDAT" + key + ".XQV" files into the import directory through the
    // share service. The first error comes back at once where the service
    // answered at once; otherwise later, through spaeter.
    std::optional<Fehler> exportieren(std::vector<std::pair<std::string, std::string>> dateien,
                                      std::function<void(const Fehler&)> spaeter);
    void exportfehler_melden(const Fehler& f);
    // A save waiting for the answers about its group directories.
    struct Pfadpruefung {
        std::array<std::string, k_gruppen> pfade;
        std::array<bool, k_gruppen> da {};
        // The path holds characters "Hestrel.DAT" cannot keep: refused unasked.
        std::array<bool, k_gruppen> unkodierbar {};
        int offen = 0;
        bool einreihen = true;
    };
    void speichern_fortsetzen(std::shared_ptr<Pfadpruefung> p);
    // The message for the first text box of the settings window that holds
    // characters "Hestrel.DAT" or the export files cannot keep; none when all fit.
    std::optional<std::string> unkodierbare_felder() const;
    void melden();

    Dienste m_d;
    SofortigerFreigabedienst m_sofort;
    Einstellungen m_e;
    Einstellungsmaske m_maske;
    Logbuch m_log;
    Wavab m_wavab;
    std::unique_ptr<Zeitgeber> m_timer1;
    std::unique_ptr<Zeitgeber> m_timer2;
    std::unique_ptr<Zeitgeber> m_entprell;
    std::unique_ptr<Zeitgeber> m_timer_eingang;
    std::unique_ptr<Zeitgeber> m_timerser;
    // How long a save waits for its group directories and the import directory.
    static constexpr int k_pfadfrist_ms = 3000;
    std::unique_ptr<Zeitgeber> m_pfadfrist;
    std::shared_ptr<Pfadpruefung> m_pfadpruefung;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

}  // namespace hestrel
