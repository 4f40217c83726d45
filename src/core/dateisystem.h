#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/beharrlich.h"
#include "core/fehler.h"

struct stat;

namespace hestrel {

// Size, modification time and serial number of a file, to tell whether it
// changed or another file took its name.
struct Dateiinfo {
    std::uint64_t groesse = 0;
    std::int64_t geaendert_ns = 0;
    std::uint64_t kennung = 0; // device and inode; 0 where unknown
    // The same file by size and time (the server's, in 100-ns steps on a
    // share): a network mount numbers its files anew after each remount, so
    // the serial number is no part of a file's identity there.
    bool operator==(const Dateiinfo& o) const
    {
        return groesse == o.groesse && geaendert_ns == o.geaendert_ns;
    }
};

// The names a listing found, without looking at each file.
struct Namensliste {
    std::vector<std::string> namen; // those the filter took, at most the maximum asked
    std::size_t eintraege = 0;      // every entry of the directory
};

// What lies under a name, looked at without following a link at the name itself.
struct Dateistand {
    enum class Art {
        fehlt,   // nothing of that name: the only answer that means "absent"
        datei,   // a regular file
        anderes, // a directory, link, FIFO or device
        fehler   // the look itself failed (share gone, no permission, I/O error)
    };
    Art art = Art::fehlt;
    Dateiinfo info; // for a file
    Fehler fehler;  // for anderes and fehler: what was found
};

// One regular file found in a directory.
struct Verzeichniseintrag {
    std::string name;
    Dateiinfo info;
};

// Every file access of the engine goes through this interface, so tests can
// put a failing share or a full disk in its place.
class Dateisystem {
  public:
    virtual ~Dateisystem() = default;

    // True when the path names an existing file or directory; false for "".
    virtual bool existiert(const std::string& pfad) = 0;
    // Reads at most max_bytes of the file into inhalt.
    virtual Fehler lesen(const std::string& pfad, std::string& inhalt,
                         std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) = 0;
    // Reads at most max_bytes from byte offset ab on; past the end gives "".
    virtual Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                            std::size_t max_bytes = std::numeric_limits<std::size_t>::max());
    // Replaces the file whole: written under a temporary name in the same
    // directory, then renamed over the old one.
    virtual Fehler ersetzen(const std::string& pfad, const std::string& inhalt) = 0;
    // Replaces a file that lives only seconds, as ersetzen does but without
    // waiting for the disk: readers see the old or the new file whole at once;
    // only a crash of the machine that holds it may lose it. On a share that
    // refuses the replace while another desk holds the file open, the bytes go
    // into the file in place (see ersetzen_mit_ausweg).
    virtual Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
    {
        return ersetzen(pfad, inhalt);
    }
    // The same, telling what the replace met on its way.
    virtual Fehler ersetzen_berichtet(const std::string& pfad, const std::string& inhalt,
                                      Ersetzbericht& bericht)
    {
        bericht = {};
        return ersetzen_fluechtig(pfad, inhalt);
    }
    // The same while a handle of this desk holds the file open for reading,
    // as another desk's reader holds it: what the exchange meets on a share,
    // tried by the workstation check.
    virtual Fehler gehalten_ersetzen(const std::string& pfad, const std::string& inhalt,
                                     Ersetzbericht& bericht)
    {
        return ersetzen_berichtet(pfad, inhalt, bericht);
    }
    // Renews a record that is rewritten again and again with the same bytes:
    // where the file is there, its bytes are written over its own (its time
    // becomes the server's now, the directory stays unchanged and no reader
    // sees it short); where it is not, it is made whole as ersetzen_fluechtig does.
    virtual Fehler auffrischen(const std::string& pfad, const std::string& inhalt)
    {
        return ersetzen_fluechtig(pfad, inhalt);
    }
    // Appends to the file, creating it when missing.
    virtual Fehler anhaengen(const std::string& pfad, const std::string& inhalt) = 0;
    // Truncates the file to zero length, creating it when missing.
    virtual Fehler leeren(const std::string& pfad) = 0;
    // Deletes the file, also a read-only one.
    virtual Fehler loeschen(const std::string& pfad) = 0;
    virtual std::optional<Dateiinfo> info(const std::string& pfad) = 0;
    // What lies under the name. Plain file systems answer from existiert and info.
    virtual Dateistand stand(const std::string& pfad);
    // True when the directory lies on another device than its parent (a share
    // mounted there); false when on the same; none where it cannot be told.
    virtual std::optional<bool> eingehaengt(const std::string& /*verzeichnis*/) { return std::nullopt; }
    // The regular files of the directory whose names begin with praefix, at
    // most max_eintraege of them; links, directories and the like are left
    // out. A file system that cannot list answers with an error.
    virtual Fehler auflisten(const std::string& verzeichnis, const std::string& praefix,
                             std::vector<Verzeichniseintrag>& eintraege, std::size_t max_eintraege = 256);
    // One listing of the directory by name only: the names of files (and of
    // entries of unknown kind) that passt takes, at most max_namen of them.
    // Costs the same whatever the files' times; each is looked at only where
    // the caller needs it.
    virtual Fehler namen(const std::string& verzeichnis, const std::function<bool(std::string_view)>& passt,
                         Namensliste& liste, std::size_t max_namen = 1024);
};

// The real file system. Nothing is ever opened blocking, and only regular
// files are read: a FIFO or device under a file's name is refused. On a share
// (nicht_folgen) a link at a file's name is refused as well, temporary files
// get unpredictable names, created exclusively, and what a file server
// refuses only for a moment (a file another desk holds open, a handle its
// client has not yet closed) is tried again briefly, a refused replace then
// written in place (core/beharrlich.h).
class EchtesDateisystem : public Dateisystem {
  public:
    enum class Verknuepfungen { folgen, nicht_folgen };
    explicit EchtesDateisystem(Verknuepfungen v = Verknuepfungen::folgen) : m_verknuepfungen(v) {}

    bool existiert(const std::string& pfad) override;
    Fehler lesen(const std::string& pfad, std::string& inhalt,
                 std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) override;
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                    std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) override;
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override;
    Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt) override;
    Fehler ersetzen_berichtet(const std::string& pfad, const std::string& inhalt,
                              Ersetzbericht& bericht) override;
    Fehler gehalten_ersetzen(const std::string& pfad, const std::string& inhalt,
                             Ersetzbericht& bericht) override;
    Fehler auffrischen(const std::string& pfad, const std::string& inhalt) override;
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override;
    Fehler leeren(const std::string& pfad) override;
    Fehler loeschen(const std::string& pfad) override;
    std::optional<Dateiinfo> info(const std::string& pfad) override;
    Dateistand stand(const std::string& pfad) override;
    std::optional<bool> eingehaengt(const std::string& verzeichnis) override;
    Fehler auflisten(const std::string& verzeichnis, const std::string& praefix,
                     std::vector<Verzeichniseintrag>& eintraege, std::size_t max_eintraege = 256) override;
    Fehler namen(const std::string& verzeichnis, const std::function<bool(std::string_view)>& passt,
                 Namensliste& liste, std::size_t max_namen = 1024) override;

  private:
    bool auf_freigabe() const { return m_verknuepfungen == Verknuepfungen::nicht_folgen; }
    // The pause between two tries of a step the share refused for a moment.
    static void warten(int ms);
    Fehler freigabe_ersetzen(const std::string& pfad, const std::string& inhalt, bool sichern,
                             Ersetzbericht* bericht);
    // Temporary files of this desk a share would not let go: tried once more
    // whenever the desk writes into their directory again.
    void vorlage_merken(const std::string& temp);
    void vorlagen_nachholen(const std::string& pfad);
    std::mutex m_vorlagen_mutex;
    std::vector<std::string> m_vorlagen;
    int oeffnen_flags() const;
    Fehler oeffnungsfehler(int err, const std::string& pfad) const;
    // stat, or lstat where links are not followed.
    int ansehen(const std::string& pfad, struct stat& st) const;
    Verknuepfungen m_verknuepfungen;
};

// A file system error that names what lies under a name instead of a regular file.
Fehler keine_datei(const std::string& pfad);

// A temporary file the program made beside an exchange file or record:
// "." + the name + ".tmp" + 16 hex digits. Left over only where a share
// refused its removal; whoever finds one old removes it.
bool ist_vorlage(std::string_view name);

// The separator between a directory and a file name on this system.
inline constexpr char k_trenner = '/';

// directory + separator + name, the separator always inserted.
std::string pfad_verbinden(const std::string& verzeichnis, const std::string& name);

} // namespace hestrel
