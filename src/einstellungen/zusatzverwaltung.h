#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/dateisystem.h"
#include "core/logbuch.h"
#include "core/meldungsdienst.h"
#include "einstellungen/zusatzeinstellungen.h"

namespace hestrel {

// What the dialog of Hestrel-Zusatz.ini shows: the values being edited.
struct Zusatzmaske {
    bool sichtbar = false;
    // Counts the showings, so the view knows when to bring itself to the front.
    std::uint64_t gezeigt = 0;
    std::string platzname;
    bool nur_hestrel = false;
    bool warnton = true;
    int warnton_minuten = 5;
    int wiederholung_sekunden = 60;
    int wiederholung_minuten = 10;
    // Why the last "Speichern" did not save; empty otherwise.
    std::string meldung;
};

// The dialog "Zusatzeinstellungen": its state and handlers, without the
// toolkit. It edits a copy; "Speichern" writes the file and, only when that
// worked, hands the values to the workstation.
class Zusatzverwaltung {
  public:
    static constexpr int k_max_minuten = 600;
    static constexpr int k_max_wiederholung_sekunden = 3600;
    static constexpr std::size_t k_max_name = 64;

    Zusatzverwaltung(Zusatzeinstellungen& werte, Dateisystem& fs, const std::string& datenverzeichnis,
                     Logbuch& log, Meldungsdienst& boxen);

    void zeigen();
    void platzname_geaendert(const std::string& name) { m_maske.platzname = name; }
    void nur_hestrel_geklickt(bool an) { m_maske.nur_hestrel = an; }
    void warnton_geklickt(bool an) { m_maske.warnton = an; }
    void minuten_geaendert(int minuten) { m_maske.warnton_minuten = minuten; }
    void wiederholung_sekunden_geaendert(int s) { m_maske.wiederholung_sekunden = s; }
    void wiederholung_minuten_geaendert(int m) { m_maske.wiederholung_minuten = m; }
    // True when saved (the window closes).
    bool speichern_geklickt();
    // Closed without saving: the edits are dropped.
    void geschlossen();

    const Zusatzmaske& maske() const { return m_maske; }

    // The view refreshes on every change.
    std::function<void()> geaendert;
    // The new values are in force (the presence takes a new name at once).
    std::function<void()> gespeichert;

  private:
    void melden();
    void ablehnen(const std::string& text);

    Zusatzeinstellungen& m_werte;
    Dateisystem& m_fs;
    const std::string& m_datenverzeichnis;
    Logbuch& m_log;
    Meldungsdienst& m_boxen;
    Zusatzmaske m_maske;
};

} // namespace hestrel
