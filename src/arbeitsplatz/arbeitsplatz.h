#pragma once

#include <memory>
#include <string>
#include <vector>

#include "console/meldeliste.h"
#include "core/dateisystem.h"
#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/seriellerport.h"
#include "core/uhr.h"
#include "device/geraet.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "einstellungen/zusatzeinstellungen.h"
#include "einstellungen/zusatzverwaltung.h"
#include "exchange/alarmempfang.h"
#include "exchange/alarmversand.h"
#include "exchange/anwesenheitsmelder.h"
#include "exchange/rueckmeldungen.h"
#include "exchange/verzeichnisschau.h"
#include "tray/traymenue.h"
#include "ueberwachung/ueberwachung.h"

namespace hestrel {

class Alarmanzeige;
class Alarmgesendet;
class Programminfo;
class Prozessstarter;
class Tonausgabe;

// The services a workstation runs on.
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
    // File work on the group and import directories; none: done on fs, queued through the scheduler.
    Freigabedienst* freigaben = nullptr;
    // The site's directories with the defaults of "Hestrel.DAT" and
    // "Alarmdaten.DAT" for a data directory without them; none: no defaults.
    std::vector<std::string> standortverzeichnisse = {};
};

// One whole workstation: the settings and the parts, put together and wired
// through the small interfaces each part declares for what it needs of the
// others. The program puts Qt services under it; the tests and the
// simulations put virtual ones.
class Arbeitsplatz : public Einstellungsfolgen,
                     public Geraetefolgen,
                     public Geraeteausgang,
                     public Meldelistenfolgen,
                     public Traybefehle,
                     public Ueberwachungsquellen,
                     public Warnanzeige {
  public:
    explicit Arbeitsplatz(Dienste dienste);
    ~Arbeitsplatz() override;
    Arbeitsplatz(const Arbeitsplatz&) = delete;
    Arbeitsplatz& operator=(const Arbeitsplatz&) = delete;

    // The start-up on the given data directory: the settings are loaded, the
    // poll runs, the tray icon is added and the message list shown.
    void starten(const std::string& datenverzeichnis);
    // The shut-down: the port is closed and the program's exit command runs.
    void beenden();

    // Every event-log entry also goes to the system log (both writers of the event log).
    void systemlog_setzen(const std::shared_ptr<Systemlog>& systemlog)
    {
        m_log.setSystemlog(systemlog);
        m_meldeliste->log().setSystemlog(systemlog);
    }

    // Puts another message list in the place of the own one, for every part
    // that uses it (tests); the list must outlive the workstation's use of it.
    template <typename Liste> void meldeliste_verwenden(Liste* liste)
    {
        m_empfangsanzeige = liste;
        m_zielauswahl = liste;
        m_alarmversand->zielauswahl_setzen(liste);
        m_empfang->anzeige_setzen(liste);
        m_geraet->relaisanzeige_setzen(liste);
        m_einstellungen->gruppensteuerung_setzen(liste);
    }

    Dienste& dienste() { return m_d; }
    Logbuch& log() { return m_log; }
    Freigabedienst& freigaben() { return m_d.freigaben ? *m_d.freigaben : m_einreihend; }
    const std::string& datenverzeichnis() const { return m_datenverzeichnis; }
    // What goes beyond the alarm (Hestrel-Zusatz.ini), loaded at the start.
    Zusatzeinstellungen& zusatz() { return m_zusatz; }
    Einstellungsverwaltung& einstellungen() { return *m_einstellungen; }
    Alarmanzeige& alarmanzeige() { return *m_alarmanzeige; }
    Alarmgesendet& alarmgesendet() { return *m_alarmgesendet; }
    Alarmversand& alarmversand() { return *m_alarmversand; }
    Alarmempfang& alarmempfang() { return *m_empfang; }
    Rueckmeldungen& rueckmeldungen() { return *m_rueckmeldungen; }
    Meldeliste& meldeliste() { return *m_meldeliste; }
    Programminfo& programminfo() { return *m_programminfo; }
    Traymenue& traymenue() { return *m_traymenue; }
    Geraet& geraet() { return *m_geraet; }
    Anwesenheitsmelder& anwesenheit() { return *m_anwesenheit; }
    Verzeichnisschau& verzeichnisschau() { return *m_schau; }
    Ueberwachung& ueberwachung() { return *m_ueberwachung; }
    Zusatzverwaltung& zusatzverwaltung() { return *m_zusatzverwaltung; }

  protected:
    // What the parts ask of each other; protected so that a test can watch
    // the wiring by overriding them.
    // Einstellungsfolgen
    void abfrage_anhalten() override;
    void abfrage_fortsetzen() override;
    void tastenverzoegerung_setzen(int ms) override;
    void geraeteabfrage_setzen(bool an) override;
    void programm_beenden() override;
    // Geraetefolgen and Meldelistenfolgen
    void alarm_ausloesen() override;
    void alarmanzeige_verbergen() override;
    void ausgang_ausschalten(int gruppe) override;
    // Geraeteausgang
    void alarm_an_geraet(int gruppe) override;
    // Traybefehle
    void meldeliste_zeigen() override;
    void einstellungen_zeigen() override;
    void zusatz_zeigen() override;
    void warnung_bestaetigen() override;
    void abmelden(std::function<void()> danach) override;
    // Ueberwachungsquellen
    bool gruppe_unerreichbar(int index) override;
    bool geraet_stumm() override;
    std::size_t journal_wartend() override;
    // Warnanzeige
    void warnung_zeigen(const std::string& text) override;
    void gruppe_warnen(int index, bool an) override;
    void probealarm_senden() override;

  private:
    void zusatz_verbinden();
    // The confirmation learns, before the send, whom the target groups reach.
    void reichweite_melden();

    Dienste m_d;
    EinreihenderFreigabedienst m_einreihend;
    std::string m_datenverzeichnis;
    Einstellungen m_werte;
    Zusatzeinstellungen m_zusatz = zusatz_voreinstellungen();
    Logbuch m_log;
    std::unique_ptr<Einstellungsverwaltung> m_einstellungen;
    std::unique_ptr<Meldeliste> m_meldeliste;
    std::unique_ptr<Programminfo> m_programminfo;
    std::unique_ptr<Traymenue> m_traymenue;
    std::unique_ptr<Alarmanzeige> m_alarmanzeige;
    std::unique_ptr<Alarmgesendet> m_alarmgesendet;
    std::unique_ptr<Alarmversand> m_alarmversand;
    std::unique_ptr<Alarmempfang> m_empfang;
    std::unique_ptr<Verzeichnisschau> m_schau;
    std::unique_ptr<Rueckmeldungen> m_rueckmeldungen;
    std::unique_ptr<Geraet> m_geraet;
    Empfangsanzeige* m_empfangsanzeige = nullptr;
    Zielauswahl* m_zielauswahl = nullptr;
    std::unique_ptr<Anwesenheitsmelder> m_anwesenheit;
    std::unique_ptr<Ueberwachung> m_ueberwachung;
    std::unique_ptr<Zusatzverwaltung> m_zusatzverwaltung;
};

} // namespace hestrel
