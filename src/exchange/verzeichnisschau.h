#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dateisystem.h"
#include "core/freigabedienst.h"
#include "core/scheduler.h"

namespace hestrel {

// The records' view of the group directories, one per workstation: the names
// of Hestrel's records and temporary files in each directory, from one
// listing by name that is taken only when the directory's own change time
// moved since the last (one look; a record renewed in place leaves it as it
// is), or when nothing was listed for k_hoechstens_ms. Presence, the answers'
// watch and the sweep all read from it, so a department directory of 20,000
// office files costs a listing per change, not per look.
//
// It also keeps each directory's clock: the server's time stamp of the desk's
// own presence record, renewed every minute, against this desk's steady
// clock; the ages of other desks' records are judged by it (desks' clocks
// differ), without a file of its own on the share.
class Verzeichnisschau {
  public:
    // A directory listed at least this often, in case its change time missed one.
    static constexpr std::int64_t k_hoechstens_ms = std::int64_t{10} * 60 * 1000;
    // A look that listed and took this long (a large directory, a slow
    // server) makes the directory a slow one for k_hoechstens_ms: it is then
    // listed no more often than that, whatever changed, and answers are
    // looked for by name. Many clients let nothing else into a directory
    // while it is listed, not even the poll's look for an alarm.
    static constexpr std::int64_t k_langsam_ms = 1000;
    // A directory holding more entries than this (a department directory
    // of office files) is a slow one too, however fast its server listed it
    // this time: each listing still costs the server megabytes.
    static constexpr std::size_t k_viele_eintraege = 2000;
    // At most this many names are kept per directory.
    static constexpr std::size_t k_max_namen = 1024;

    struct Liste {
        std::vector<std::string> namen; // records ("hestrel-…") and temporary files, sorted
        std::size_t eintraege = 0;      // every entry the directory held
        std::int64_t gelistet_ms = -1;  // when, on this desk's steady clock
        std::int64_t stand_ns = 0;      // the directory's change time it was taken at
    };
    // What one look did in a job on the share's side.
    struct Blick {
        bool gelistet = false;
        Fehler fehler;
        Liste liste;
    };

    Verzeichnisschau(Freigabedienst& freigaben, Scheduler& scheduler);
    ~Verzeichnisschau();
    Verzeichnisschau(const Verzeichnisschau&) = delete;
    Verzeichnisschau& operator=(const Verzeichnisschau&) = delete;

    // Looks at pfad in the records' queue and answers with its newest list,
    // taken now where the directory changed; none where it could not be
    // listed. Looks asked for while one is under way share its answer.
    void schauen(const std::string& pfad, std::function<void(const Liste*)> antwort);
    // The last list of pfad; none before the first.
    const Liste* letzte(const std::string& pfad) const;

    // Inside a job on the share's side: the look itself, given the directory's
    // change time at its last listing (none: list in any case); without
    // listen nothing is looked at.
    static Blick blicken(Dateisystem& fs, const std::string& pfad, std::optional<std::int64_t> stand_ns,
                         bool listen = true);
    // What the look to take along into such a job needs to know.
    std::optional<std::int64_t> stand_fuer(const std::string& pfad) const;
    bool listen_erlaubt(const std::string& pfad) const;
    // On the engine's thread, with what a look in another job found; gefragt_ms: when it was asked for.
    void uebernehmen(const std::string& pfad, Blick blick, std::int64_t gefragt_ms);
    // The directory's listings take long (see k_langsam_ms).
    bool langsam(const std::string& pfad) const;
    // Names this desk removed from pfad leave its last list at once.
    void entfernt(const std::string& pfad, const std::vector<std::string>& namen);

    // The server's time stamp freigabe_ns of a file this desk wrote at eigen_ms (its steady clock).
    void uhr_stellen(const std::string& pfad, std::int64_t freigabe_ns, std::int64_t eigen_ms);
    // The server's time now in pfad, as its file time stamps give it; none until it was set.
    std::optional<std::int64_t> freigabezeit_ns(const std::string& pfad) const;

  private:
    struct Verzeichnis {
        std::optional<Liste> liste;
        bool unterwegs = false;
        std::vector<std::function<void(const Liste*)>> wartend;
        std::optional<std::pair<std::int64_t, std::int64_t>> uhr; // server ns, own ms
        std::int64_t langsam_bis_ms = -1;
    };
    Freigabedienst& m_freigaben;
    Scheduler& m_scheduler;
    std::map<std::string, Verzeichnis> m_verzeichnisse;
    std::shared_ptr<bool> m_lebt = std::make_shared<bool>(true);
};

// Names of the records and temporary files the view keeps.
bool ist_begleitname(std::string_view name);

} // namespace hestrel
