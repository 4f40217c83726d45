#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/gruppenbezeichnung.h"
#include "console/journalliste.h"
#include "console/meldelistenmaske.h"
#include "core/dateisystem.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "core/scheduler.h"
#include "core/uhr.h"
#include "core/wavab.h"
#include "device/geraet.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "exchange/alarmempfang.h"
#include "exchange/alarmversand.h"
#include "exchange/anwesenheitsmelder.h"

namespace hestrel {

// What the message list's buttons set going elsewhere.
class Meldelistenfolgen {
  public:
    virtual ~Meldelistenfolgen() = default;
    // "Alarm auslösen".
    virtual void alarm_ausloesen() = 0;
    // A relay button: the alarm box's output of that group goes off.
    virtual void ausgang_ausschalten(int gruppe) = 0;
};

// The message list: the group console's state and handlers. The window is a
// view over it. It is loaded on first use (shown, or hidden when another part
// reaches one of its controls) and unloaded when the user closes it.
//
// It answers what the other parts need of it: the send's targets and texts,
// the reception's showing and group states, the device's relay buttons, and
// the settings' group controls.
class Meldeliste : public Zielauswahl,
                   public Empfangsanzeige,
                   public Relaisanzeige,
                   public Gruppensteuerung,
                   public Anwesenheitsanzeige {
  public:
    Meldeliste(const Einstellungen& einstellungen, const std::string& datenverzeichnis, Dateisystem& fs,
               const Uhr& uhr, Scheduler& scheduler, Meldungsdienst& boxen, Meldelistenfolgen& folgen);
    ~Meldeliste() override;
    Meldeliste(const Meldeliste&) = delete;
    Meldeliste& operator=(const Meldeliste&) = delete;

    void zeigen() override;
    void bildschirm_anpassen() override;
    void relais_farbe(int index, int farbe) override;
    void gruppe_erreichbar(int index, bool erreichbar, const std::string& grund) override;
    void eingaenge(bool ein1, bool ein2) override;
    bool melde_alle() override;
    int melde_gruppe(int index) override;
    std::array<std::string, 4> sammeltexte() override;
    void anwesende_zeigen(int index, int anzahl, const std::vector<std::string>& namen) override;
    // The supervision found a fault of the group, or it is mended.
    void gruppe_warnen(int index, bool an);

    // The next showing is one the person asked for.
    void auf_wunsch_vormerken();
    // Loads the window, hidden, when it is not loaded.
    void laden();
    // The user closed the window: it is unloaded, unsaved changes are lost.
    void geschlossen();

    // Handlers of the window's controls.
    void liste_loeschen_geklickt();
    void alle_gruppen_geklickt(bool an);
    void meldegruppe_geklickt(int index);
    void alarm_ausloesen_geklickt();
    void relais_geklickt(int index);
    void gruppenname_geklickt(int index);
    void alarmdaten_speichern_geklickt();
    void alarmtext_geaendert(int nummer, const std::string& text);

    // Refreshes the list's rows from "mameldung.log" (the journal tick).
    void liste_laden();

    // The caption of gruppennamen(index), and setting it (naming dialog).
    std::string gruppenname(int index);
    void gruppe_benennen(int index, const std::string& name);

    const Meldelistenmaske& maske() const { return m_maske; }
    // The list's own writer of the event log.
    Logbuch& log() { return m_log; }
    Gruppenbezeichnung& gruppenbezeichnung() { return m_bezeichnung; }
    // Re-reads the journal every 5 s while the list is loaded.
    Zeitgeber& journaltakt() { return *m_journaltakt; }
    std::string alarmdaten_pfad() const;
    // The site's directories searched for "Alarmdaten.DAT" where the data
    // directory has none; the save still writes the data directory's file.
    void standort_setzen(std::vector<std::string> verzeichnisse) { m_standort = std::move(verzeichnisse); }

    // Called whenever the window's state changed (the view refreshes).
    std::function<void()> geaendert;

  private:
    void alarmdaten_laden();
    Fehler journal_kuerzen(const Dateiinfo& gefragt);
    void anpassen();
    void zuruecksetzen();
    void melden();

    const Einstellungen& m_e;
    const std::string& m_datenverzeichnis;
    Dateisystem& m_fs;
    Meldungsdienst& m_boxen;
    Meldelistenfolgen& m_folgen;
    std::vector<std::string> m_standort;
    Wavab m_wavab;
    Meldelistenmaske m_maske;
    Journalliste m_journal;
    Logbuch m_log;
    Gruppenbezeichnung m_bezeichnung;
    std::unique_ptr<Zeitgeber> m_journaltakt;
    // "Liste löschen ?" is open: a second click brings it forward.
    bool m_frage_offen = false;
    // Answers to a question still open must not reach a list that is gone.
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
