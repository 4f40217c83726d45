#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
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
#include "exchange/verzeichnisschau.h"

namespace hestrel {

// Where the presence counts show: the message list's group buttons.
class Anwesenheitsanzeige {
  public:
    virtual ~Anwesenheitsanzeige() = default;
    // The colleagues ready to receive in group index; anzahl -1: not known.
    virtual void anwesende_zeigen(int index, int anzahl, const std::vector<std::string>& namen) = 0;
};

// This workstation's presence record "hestrel-da-<platz>.txt" in every group
// directory it receives, the colleagues whose records lie there, and the
// upkeep of the records in that directory. Owns the minute's tick and the
// wait for the removals at the exit.
//
// Once a minute (and at the start) each group directory gets one job in its
// queue for records, whose file calls do not grow with the colleagues:
// - the own record renewed in place (one write; the directory stays unchanged);
//   every ten minutes its previous time stamp sets the directory's clock
//   (Verzeichnisschau);
// - one look at the directory's change time, and a listing by name only where
//   it changed: the colleagues are the presence records listed there; a
//   record is read once, when its name is new;
// - the record that follows the own one by name looked at, when it could be
//   due: one renewed last more than k_anwesend_ms ago belongs to a workstation
//   that stopped without cleaning up, and goes, and so on to the first renewed
//   one. Every record is so watched by one colleague;
// - the workstation whose record comes first by name sweeps the directory:
//   answers and origin records older than ten minutes, temporary files left
//   over for five, each looked at once when it appears.
// At a clean exit the own records go.
class Anwesenheitsmelder {
  public:
    static constexpr int k_takt_ms = 60000;
    // A record not renewed for this long is taken off by its neighbour.
    static constexpr std::int64_t k_anwesend_ms = 180000;
    // Records of alarms and answers are swept after this; temporary files after k_vorlage_alt_ms.
    static constexpr std::int64_t k_begleit_alt_ms = 600000;
    static constexpr std::int64_t k_vorlage_alt_ms = 300000;
    // The directory's clock is set anew from the own record this often.
    static constexpr std::int64_t k_uhrabstand_ms = std::int64_t{10} * 60 * 1000;
    // At most this many records that were not renewed are taken off in one round.
    static constexpr std::size_t k_max_nachbarn = 8;
    // A count older than this is not known any more (one round plus its answer).
    static constexpr std::int64_t k_gueltig_ms = 90000;
    // How long the exit waits for the removal of the own records.
    static constexpr int k_abmeldefrist_ms = 1000;

    Anwesenheitsmelder(const Einstellungen& einstellungen, const Zusatzeinstellungen& zusatz, Logbuch& log,
                       Freigabedienst& freigaben, Scheduler& scheduler, const Uhr& uhr,
                       Verzeichnisschau& schau);
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

    // What a round's job takes along to the share and brings back.
    struct Auftrag {
        std::string pfad;
        std::string eigen; // the own record's name
        std::string bytes;
        std::optional<std::int64_t> stand_ns; // the directory's change time at its last listing
        bool listen = true;                   // not in a slow directory before its time
        std::vector<std::string> namen;       // the names of that listing
        std::set<std::string> bekannt;        // records already read (or known to be garbage)
        std::optional<std::int64_t> jetzt_ns; // the directory's clock now
        bool uhr_stellen = false;             // look at the own record's stamp first
        bool nachbarn = true;                 // look at the records after the own one
        bool kehren = false;
        std::map<std::string, Dateiinfo> zeiten; // records and temporary files looked at before
    };
    struct Befund {
        Fehler schreibfehler;
        std::optional<std::int64_t> vorige_zeit_ns; // the own record's stamp before the renewal
        std::optional<std::int64_t> neue_zeit_ns;   // the own record's stamp, where it was made anew
        Verzeichnisschau::Blick blick;
        std::map<std::string, std::string> gelesen; // record -> workstation name
        std::map<std::string, std::string> muell;   // record -> why it is no presence record
        std::map<std::string, Dateiinfo> zeiten;    // looked at in this job
        std::vector<std::string> entfernt;
        // The first record after the own one that was renewed, and how long ago.
        std::string nachbar;
        std::int64_t nachbar_alter_ms = 0;
    };
    // The job itself, on the share's side.
    static Befund befund_erheben(Dateisystem& fs, const Auftrag& a);

  private:
    struct Gruppe {
        std::string geschrieben_in; // the directory holding the own record
        std::string datei;          // its name there
        bool unterwegs = false;
        bool geschrieben = false;          // the last round's renewal went through
        std::int64_t geschrieben_ms = -1;  // and when its answer came
        std::int64_t uhr_gestellt_ms = -1; // when the directory's clock was set from it
        // The record after the own one, and when it could be three minutes old at the earliest.
        std::string nachbar;
        std::int64_t nachbar_faellig_ms = -1;
        int anzahl = -1;
        std::int64_t gezaehlt_ms = -1;
        std::vector<std::string> kennungen;
        std::vector<std::string> namen;
        std::map<std::string, std::string> plaetze; // record -> workstation name
        std::set<std::string> muell;                // garbage already in the event log
        std::map<std::string, Dateiinfo> zeiten;
    };
    Auftrag auftrag_fuer(std::size_t i, const std::string& pfad, const std::string& eigen,
                         const std::string& bytes) const;
    void beantwortet(std::size_t i, Befund b, bool ausgefuehrt, std::int64_t gefragt_ms);
    void zeigen(std::size_t i);
    void entfernen(const std::string& verzeichnis, const std::string& datei, std::function<void()> fertig);
    void abmeldung_fertig();

    const Einstellungen& m_e;
    const Zusatzeinstellungen& m_zusatz;
    Logbuch& m_log;
    Freigabedienst& m_freigaben;
    Scheduler& m_scheduler;
    const Uhr& m_uhr;
    Verzeichnisschau& m_schau;
    Anwesenheitsanzeige* m_anzeige = nullptr;
    std::array<Gruppe, k_gruppen> m_gruppen{};
    std::unique_ptr<Zeitgeber> m_takt;
    std::unique_ptr<Zeitgeber> m_abmeldefrist;
    bool m_abgemeldet = false;
    int m_offen = 0;
    std::function<void()> m_danach;
    // The record's time stamp of this run: renewed in place, its bytes stay the same.
    std::string m_seit;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

} // namespace hestrel
