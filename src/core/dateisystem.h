#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "core/fehler.h"

namespace hestrel {

// Size, modification time and serial number of a file, to tell whether it
// changed or another file took its name.
struct Dateiinfo {
    std::uint64_t groesse = 0;
    std::int64_t geaendert_ns = 0;
    std::uint64_t kennung = 0;  // device and inode; 0 where unknown
    bool operator==(const Dateiinfo&) const = default;
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
    // only a crash of the machine that holds it may lose it.
    virtual Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
    {
        return ersetzen(pfad, inhalt);
    }
    // Appends to the file, creating it when missing.
    virtual Fehler anhaengen(const std::string& pfad, const std::string& inhalt) = 0;
    // Truncates the file to zero length, creating it when missing.
    virtual Fehler leeren(const std::string& pfad) = 0;
    // Deletes the file, also a read-only one.
    virtual Fehler loeschen(const std::string& pfad) = 0;
    virtual std::optional<Dateiinfo> info(const std::string& pfad) = 0;
};

// The real file system.
class EchtesDateisystem : public Dateisystem {
public:
    bool existiert(const std::string& pfad) override;
    Fehler lesen(const std::string& pfad, std::string& inhalt,
                 std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) override;
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                    std::size_t max_bytes = std::numeric_limits<std::size_t>::max()) override;
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override;
    Fehler ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt) override;
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override;
    Fehler leeren(const std::string& pfad) override;
    Fehler loeschen(const std::string& pfad) override;
    std::optional<Dateiinfo> info(const std::string& pfad) override;
};

// The separator between a directory and a file name on this system.
inline constexpr char k_trenner = '/';

// directory + separator + name, the separator always inserted.
std::string pfad_verbinden(const std::string& verzeichnis, const std::string& name);

}  // namespace hestrel
