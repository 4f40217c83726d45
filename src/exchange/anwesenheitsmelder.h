#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/freigabedienst.h"
#include "core/logbuch.h"
#include "core/scheduler.h"
#include "core/uhr.h"
#include "einstellungen/einstellungen.h"
#include "einstellungen/zusatzeinstellungen.h"

namespace hestrel {

// Where the presence counts show: the message list's group buttons.
class Anwesenheitsanzeige {
  public:
    virtual ~Anwesenheitsanzeige() = default;
    // The colleagues ready to receive in group index; anzahl -1: not known.
    virtual void anwesende_zeigen(int index, int anzahl, const std::vector<std::string>& namen) = 0;
};

// This workstation's presence record "hestrel-da-<platz>.txt" in every group
// directory it receives, and the count of the colleagues whose records are
// fresh there. Every minute (and at the start) each group directory gets the
// record written anew and is listed; a record younger than three minutes by
// the share's own clock counts as a workstation ready to receive, one older
// than ten minutes is removed (its workstation stopped without cleaning up).
// At a clean exit the own records go. Owns the minute's tick and the wait
// for the removals at the exit.
class Anwesenheitsmelder {
  public:
    static constexpr int k_takt_ms = 60000;
    static constexpr std::int64_t k_anwesend_ms = 180000;
    static constexpr std::int64_t k_veraltet_ms = 600000;
    // A count older than this is not known any more (one round plus its answer).
    static constexpr std::int64_t k_gueltig_ms = 90000;
    // How long the exit waits for the removal of the own records.
    static constexpr int k_abmeldefrist_ms = 1000;
    static constexpr std::size_t k_max_eintraege = 256;

    Anwesenheitsmelder(const Einstellungen& einstellungen, const Zusatzeinstellungen& zusatz, Logbuch& log,
                       Freigabedienst& freigaben, Scheduler& scheduler, const Uhr& uhr);
    ~Anwesenheitsmelder();
    Anwesenheitsmelder(const Anwesenheitsmelder&) = delete;
    Anwesenheitsmelder& operator=(const Anwesenheitsmelder&) = delete;

    // Writes and counts at once, then every minute.
    void starten();
    // One round over every configured group directory.
    void runde();
    // The clean exit: no more rounds, the own records are removed; danach
    // runs once they are gone or the wait ran out.
    void abmelden(std::function<void()> danach);

    void anzeige_setzen(Anwesenheitsanzeige* anzeige) { m_anzeige = anzeige; }
    // Each group's record write: index and the error text, empty when it was written.
    std::function<void(int index, const std::string& fehler)> schreibergebnis;

    // The other workstations present in group index, counted within
    // k_gueltig_ms; none when not known.
    std::optional<int> anzahl(int index) const;
    const std::vector<std::string>& namen(int index) const;
    // The confirmation's lines for a send to ziele (group indexes): how many
    // workstations were reached (each counted once), and with nur_hestrel a
    // warning for each target group with none; otherwise "mindestens n".
    std::vector<std::string> reichweite(const std::vector<int>& ziele, bool nur_hestrel) const;

    Zeitgeber& takt() { return *m_takt; }

    // What one round found in a directory (on the share's side).
    struct Befund {
        Fehler schreibfehler;
        Fehler listenfehler;
        // File-name identity and name of each workstation present.
        std::vector<std::pair<std::string, std::string>> anwesend;
        // Records that are not presence records: name and why.
        std::vector<std::pair<std::string, std::string>> muell;
    };
    static Befund befund_erheben(Dateisystem& fs, const std::string& pfad, const std::string& eigen,
                                 const std::string& bytes);

  private:
    struct Gruppe {
        std::string geschrieben_in; // the directory holding the own record
        std::string datei;          // its name there
        bool unterwegs = false;
        int anzahl = -1;
        std::int64_t gezaehlt_ms = -1;
        std::vector<std::string> kennungen;
        std::vector<std::string> namen;
        std::set<std::string> gemeldet; // garbage already in the event log
    };
    void beantwortet(std::size_t i, const Befund& b, bool ausgefuehrt);
    void zeigen(std::size_t i);
    void entfernen(const std::string& verzeichnis, const std::string& datei, std::function<void()> fertig);
    void abmeldung_fertig();

    const Einstellungen& m_e;
    const Zusatzeinstellungen& m_zusatz;
    Logbuch& m_log;
    Freigabedienst& m_freigaben;
    Scheduler& m_scheduler;
    const Uhr& m_uhr;
    Anwesenheitsanzeige* m_anzeige = nullptr;
    std::array<Gruppe, k_gruppen> m_gruppen{};
    std::unique_ptr<Zeitgeber> m_takt;
    std::unique_ptr<Zeitgeber> m_abmeldefrist;
    bool m_abgemeldet = false;
    int m_offen = 0;
    std::function<void()> m_danach;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
