#include "core/dateisystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace hestrel {
namespace {

Fehler alles_schreiben(int fd, const std::string& inhalt, const std::string& pfad)
{
    std::size_t geschrieben = 0;
    while (geschrieben < inhalt.size()) {
        const ssize_t n = ::write(fd, inhalt.data() + geschrieben, inhalt.size() - geschrieben);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fehler::aus_errno(errno, pfad);
        }
        geschrieben += static_cast<std::size_t>(n);
    }
    return {};
}

// A name no other process can guess: a FIFO or link planted under the next
// temporary name must not catch the write.
std::string temp_name(const std::string& pfad)
{
    const auto schnitt = pfad.find_last_of(k_trenner);
    const std::string verzeichnis = schnitt == std::string::npos ? "" : pfad.substr(0, schnitt + 1);
    const std::string name = schnitt == std::string::npos ? pfad : pfad.substr(schnitt + 1);
    unsigned char zufall[8]{};
    std::size_t gelesen = 0;
    while (gelesen < sizeof zufall) {
        const ssize_t n = ::getrandom(zufall + gelesen, sizeof zufall - gelesen, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        gelesen += static_cast<std::size_t>(n);
    }
    char hex[sizeof zufall * 2 + 1]{};
    for (std::size_t i = 0; i < sizeof zufall; ++i) {
        std::snprintf(hex + 2 * i, 3, "%02x", zufall[i]);
    }
    // A leading dot and a suffix no reader asks for.
    return verzeichnis + "." + name + ".tmp" + hex;
}

// Writes the bytes under a new temporary name beside pfad, created
// exclusively; with sichern they are on the disk before it returns. With a
// modus the new file gets it.
Fehler vorlage_schreiben(const std::string& pfad, const std::string& inhalt, bool sichern,
                         std::optional<mode_t> modus, std::string& temp)
{
    int fd = -1;
    for (int versuch = 0; versuch < 16 && fd < 0; ++versuch) {
        temp = temp_name(pfad);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return Fehler::aus_errno(errno, pfad);
        }
    }
    if (fd < 0) {
        return Fehler::aus_errno(EEXIST, pfad);
    }
    Fehler f;
    if (modus && ::fchmod(fd, *modus) != 0) {
        f = Fehler::aus_errno(errno, pfad);
    }
    if (!f) {
        f = alles_schreiben(fd, inhalt, pfad);
    }
    if (!f && sichern && ::fsync(fd) != 0 && errno != EINVAL) {
        f = Fehler::aus_errno(errno, pfad);
    }
    if (::close(fd) != 0 && !f) {
        f = Fehler::aus_errno(errno, pfad);
    }
    return f;
}

Fehler umbenennen(const std::string& von, const std::string& nach)
{
    return ::rename(von.c_str(), nach.c_str()) == 0 ? Fehler{} : Fehler::aus_errno(errno, nach);
}

Fehler entfernen(const std::string& pfad)
{
    return ::unlink(pfad.c_str()) == 0 ? Fehler{} : Fehler::aus_errno(errno, pfad);
}

// Written under a new temporary name in the same directory, then renamed over
// the old file. The rename replaces a link at the name, never its target.
Fehler ersetzen_ueber_temp(const std::string& pfad, const std::string& inhalt, bool sichern,
                           std::optional<mode_t> modus = std::nullopt)
{
    std::string temp;
    Fehler f = vorlage_schreiben(pfad, inhalt, sichern, modus, temp);
    if (!f) {
        f = umbenennen(temp, pfad);
    }
    if (f) {
        ::unlink(temp.c_str());
    }
    return f;
}

// The file a name finally stands for: links followed one by one, a relative
// target taken from the link's directory. A link to nothing gives the name the
// file is to be created under.
Fehler verknuepfung_aufloesen(const std::string& pfad, std::string& ziel)
{
    ziel = pfad;
    for (int schritt = 0; schritt < 40; ++schritt) {
        struct stat st {};
        if (::lstat(ziel.c_str(), &st) != 0) {
            return errno == ENOENT ? Fehler{} : Fehler::aus_errno(errno, pfad);
        }
        if (!S_ISLNK(st.st_mode)) {
            return {};
        }
        std::string inhalt(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(ziel.c_str(), inhalt.data(), inhalt.size());
        if (n < 0) {
            return Fehler::aus_errno(errno, pfad);
        }
        if (static_cast<std::size_t>(n) >= inhalt.size()) {
            // The link changed while it was read: look again.
            continue;
        }
        inhalt.resize(static_cast<std::size_t>(n));
        if (inhalt.empty()) {
            return Fehler::aus_errno(ENOENT, pfad);
        }
        if (inhalt.front() == k_trenner) {
            ziel = inhalt;
        } else {
            const auto schnitt = ziel.find_last_of(k_trenner);
            ziel = (schnitt == std::string::npos ? std::string() : ziel.substr(0, schnitt + 1)) + inhalt;
        }
    }
    return Fehler::aus_errno(ELOOP, pfad);
}

// Only a regular file is read or written: a FIFO, device or directory under
// the name is refused before a byte moves.
Fehler regulaer_pruefen(int fd, const std::string& pfad, struct stat* gesehen = nullptr)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return Fehler::aus_errno(errno, pfad);
    }
    if (S_ISDIR(st.st_mode)) {
        return Fehler::aus_errno(EISDIR, pfad);
    }
    if (!S_ISREG(st.st_mode)) {
        return keine_datei(pfad);
    }
    if (gesehen) {
        *gesehen = st;
    }
    return {};
}

Dateiinfo info_aus(const struct stat& st)
{
    Dateiinfo i;
    i.groesse = static_cast<std::uint64_t>(st.st_size);
    i.geaendert_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    i.kennung = (static_cast<std::uint64_t>(st.st_dev) << 40) ^ static_cast<std::uint64_t>(st.st_ino);
    return i;
}

// The bytes into the file itself, as older workstations write: opened,
// truncated, written. Never through a link, never blocking on a FIFO.
Fehler an_ort_schreiben(const std::string& pfad, const std::string& inhalt)
{
    const int fd =
        ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return (errno == ELOOP || errno == ENXIO) ? keine_datei(pfad) : Fehler::aus_errno(errno, pfad);
    }
    Fehler f = regulaer_pruefen(fd, pfad);
    if (!f) {
        f = alles_schreiben(fd, inhalt, pfad);
    }
    if (::close(fd) != 0 && !f) {
        f = Fehler::aus_errno(errno, pfad);
    }
    return f;
}

bool hexziffern(std::string_view s)
{
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Opens the directory for readdir; on a share never through a link.
Fehler verzeichnis_oeffnen(const std::string& verzeichnis, bool nicht_folgen, DIR*& d)
{
    const int fd = ::open(verzeichnis.c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (nicht_folgen ? O_NOFOLLOW : 0));
    if (fd < 0) {
        return Fehler::aus_errno(errno, verzeichnis);
    }
    d = ::fdopendir(fd);
    if (d == nullptr) {
        const int err = errno;
        ::close(fd);
        return Fehler::aus_errno(err, verzeichnis);
    }
    // readdir tells its end from an error only through errno.
    errno = 0;
    return {};
}

} // namespace

bool ist_vorlage(std::string_view name)
{
    // "." + name + ".tmp" + 16 hex digits, as temp_name makes them.
    constexpr std::string_view k_tmp = ".tmp";
    if (name.size() < 1 + 1 + k_tmp.size() + 16 || name.front() != '.') {
        return false;
    }
    const std::string_view hex = name.substr(name.size() - 16);
    return hexziffern(hex) && name.substr(name.size() - 16 - k_tmp.size(), k_tmp.size()) == k_tmp;
}

void EchtesDateisystem::warten(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Fehler keine_datei(const std::string& pfad)
{
    return {75, "Fehler beim Zugriff auf Pfad/Datei: " + pfad + " (keine gewöhnliche Datei)"};
}

std::string pfad_verbinden(const std::string& verzeichnis, const std::string& name)
{
    return verzeichnis + k_trenner + name;
}

Fehler Dateisystem::lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                             std::size_t max_bytes)
{
    // Plain but slow: file systems that can seek override it.
    Fehler f = lesen(pfad, inhalt);
    if (f) {
        inhalt.clear();
        return f;
    }
    inhalt.erase(0, static_cast<std::size_t>(std::min<std::uint64_t>(ab, inhalt.size())));
    if (inhalt.size() > max_bytes) {
        inhalt.resize(max_bytes);
    }
    return {};
}

Dateistand Dateisystem::stand(const std::string& pfad)
{
    Dateistand d;
    if (pfad.empty()) {
        return d;
    }
    if (auto i = info(pfad)) {
        d.art = Dateistand::Art::datei;
        d.info = *i;
    } else if (existiert(pfad)) {
        d.art = Dateistand::Art::anderes;
        d.fehler = keine_datei(pfad);
    }
    return d;
}

int EchtesDateisystem::oeffnen_flags() const
{
    return O_CLOEXEC | O_NONBLOCK | (m_verknuepfungen == Verknuepfungen::nicht_folgen ? O_NOFOLLOW : 0);
}

Fehler EchtesDateisystem::oeffnungsfehler(int err, const std::string& pfad) const
{
    // O_NOFOLLOW answers a link with ELOOP; a FIFO without reader refuses a writer with ENXIO.
    if ((err == ELOOP && m_verknuepfungen == Verknuepfungen::nicht_folgen) || err == ENXIO) {
        return keine_datei(pfad);
    }
    return Fehler::aus_errno(err, pfad);
}

bool EchtesDateisystem::existiert(const std::string& pfad)
{
    if (pfad.empty()) {
        return false;
    }
    struct stat st {};
    return ::stat(pfad.c_str(), &st) == 0;
}

Fehler EchtesDateisystem::lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes)
{
    return lesen_ab(pfad, 0, inhalt, max_bytes);
}

Fehler EchtesDateisystem::lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                                   std::size_t max_bytes)
{
    inhalt.clear();
    int fd = -1;
    const auto oeffnen = [&] {
        fd = ::open(pfad.c_str(), O_RDONLY | oeffnen_flags());
        return fd < 0 ? oeffnungsfehler(errno, pfad) : Fehler{};
    };
    // A share answers "busy" while another desk holds the file with a lock of its own.
    if (Fehler f = auf_freigabe() ? beharrlich(oeffnen, warten, k_lesegeduld_ms) : oeffnen()) {
        return f;
    }
    if (Fehler f = regulaer_pruefen(fd, pfad)) {
        ::close(fd);
        return f;
    }
    if (::lseek(fd, static_cast<off_t>(ab), SEEK_SET) < 0) {
        const int err = errno;
        ::close(fd);
        return Fehler::aus_errno(err, pfad);
    }
    char puffer[65536];
    while (inhalt.size() < max_bytes) {
        const std::size_t wunsch = std::min(sizeof puffer, max_bytes - inhalt.size());
        const ssize_t n = ::read(fd, puffer, wunsch);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = errno;
            ::close(fd);
            inhalt.clear();
            return Fehler::aus_errno(err, pfad);
        }
        if (n == 0) {
            break;
        }
        inhalt.append(puffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {};
}

Fehler EchtesDateisystem::ersetzen(const std::string& pfad, const std::string& inhalt)
{
    if (auf_freigabe()) {
        return freigabe_ersetzen(pfad, inhalt, true, nullptr);
    }
    // In the data directory a file kept as a link elsewhere stays a link, and
    // the new content goes where it points, with the mode the old file had.
    std::string ziel;
    if (Fehler f = verknuepfung_aufloesen(pfad, ziel)) {
        return f;
    }
    std::optional<mode_t> modus;
    struct stat st {};
    if (::stat(ziel.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return Fehler::aus_errno(EISDIR, pfad);
        }
        modus = st.st_mode & 07777;
    }
    return ersetzen_ueber_temp(ziel, inhalt, true, modus);
}

Fehler EchtesDateisystem::ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
{
    // Waiting for the disk cost the sender of an alarm to 50 groups 30 ms and
    // more here, and a round trip per file on a share.
    if (auf_freigabe()) {
        return freigabe_ersetzen(pfad, inhalt, false, nullptr);
    }
    return ersetzen_ueber_temp(pfad, inhalt, false);
}

Fehler EchtesDateisystem::ersetzen_berichtet(const std::string& pfad, const std::string& inhalt,
                                             Ersetzbericht& bericht)
{
    bericht = {};
    return auf_freigabe() ? freigabe_ersetzen(pfad, inhalt, false, &bericht)
                          : ersetzen_fluechtig(pfad, inhalt);
}

Fehler EchtesDateisystem::gehalten_ersetzen(const std::string& pfad, const std::string& inhalt,
                                            Ersetzbericht& bericht)
{
    const int fd = ::open(pfad.c_str(), O_RDONLY | oeffnen_flags());
    if (fd < 0) {
        return oeffnungsfehler(errno, pfad);
    }
    Fehler f = ersetzen_berichtet(pfad, inhalt, bericht);
    ::close(fd);
    return f;
}

Fehler EchtesDateisystem::freigabe_ersetzen(const std::string& pfad, const std::string& inhalt, bool sichern,
                                            Ersetzbericht* bericht)
{
    vorlagen_nachholen(pfad);
    std::string temp;
    const auto temp_entfernen = [&] {
        Fehler f = entfernen(temp);
        return f.systemfehler == ENOENT ? Fehler{} : f;
    };
    if (Fehler f = vorlage_schreiben(pfad, inhalt, sichern, std::nullopt, temp)) {
        if (beharrlich(temp_entfernen, warten, k_loeschgeduld_ms)) {
            vorlage_merken(temp);
        }
        return f;
    }
    Ersetzschritte schritte;
    schritte.umbenennen = [&] { return umbenennen(temp, pfad); };
    schritte.an_ort = [&] { return an_ort_schreiben(pfad, inhalt); };
    schritte.vorlage_entfernen = [&] {
        Fehler f = temp_entfernen();
        if (f) {
            vorlage_merken(temp);
        }
        return f;
    };
    return ersetzen_mit_ausweg(schritte, warten, bericht);
}

void EchtesDateisystem::vorlage_merken(const std::string& temp)
{
    std::lock_guard sperre(m_vorlagen_mutex);
    // A few are plenty: whoever finds one five minutes old removes it as well.
    if (m_vorlagen.size() < 64) {
        m_vorlagen.push_back(temp);
    }
}

void EchtesDateisystem::vorlagen_nachholen(const std::string& pfad)
{
    const auto schnitt = pfad.find_last_of(k_trenner);
    const std::string verzeichnis = schnitt == std::string::npos ? "" : pfad.substr(0, schnitt + 1);
    std::vector<std::string> hier;
    {
        std::lock_guard sperre(m_vorlagen_mutex);
        std::erase_if(m_vorlagen, [&](const std::string& t) {
            const bool dort =
                t.rfind(verzeichnis, 0) == 0 && t.find(k_trenner, verzeichnis.size()) == std::string::npos;
            if (dort) {
                hier.push_back(t);
            }
            return dort;
        });
    }
    for (const std::string& t : hier) {
        if (Fehler f = entfernen(t); f && f.systemfehler != ENOENT) {
            vorlage_merken(t);
        }
    }
}

Fehler EchtesDateisystem::auffrischen(const std::string& pfad, const std::string& inhalt)
{
    if (auf_freigabe()) {
        vorlagen_nachholen(pfad);
    }
    int fd = -1;
    const auto oeffnen = [&] {
        fd = ::open(pfad.c_str(), O_WRONLY | oeffnen_flags());
        return fd < 0 ? oeffnungsfehler(errno, pfad) : Fehler{};
    };
    if (Fehler f = auf_freigabe() ? beharrlich(oeffnen, warten, k_ausweggeduld_ms) : oeffnen()) {
        return f.systemfehler == ENOENT ? ersetzen_fluechtig(pfad, inhalt) : f;
    }
    // Written over the old bytes, then cut to length: a reader meanwhile sees
    // the record whole, old or new, never an empty file.
    struct stat st {};
    Fehler f = regulaer_pruefen(fd, pfad, &st);
    if (!f) {
        f = alles_schreiben(fd, inhalt, pfad);
    }
    if (!f && static_cast<std::uint64_t>(st.st_size) > inhalt.size() &&
        ::ftruncate(fd, static_cast<off_t>(inhalt.size())) != 0) {
        f = Fehler::aus_errno(errno, pfad);
    }
    if (::close(fd) != 0 && !f) {
        f = Fehler::aus_errno(errno, pfad);
    }
    return f;
}

Fehler EchtesDateisystem::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_APPEND | oeffnen_flags(), 0666);
    if (fd < 0) {
        return oeffnungsfehler(errno, pfad);
    }
    if (Fehler f = regulaer_pruefen(fd, pfad)) {
        ::close(fd);
        return f;
    }
    struct stat st {};
    const bool groesse_bekannt = ::fstat(fd, &st) == 0;
    Fehler f = alles_schreiben(fd, inhalt, pfad);
    if (f && groesse_bekannt) {
        // Half an entry would run into the next one: the file goes back to
        // where it was. Where that fails too, the write's error is what counts.
        if (::ftruncate(fd, st.st_size) != 0) {
            // Nothing more to do: the caller hears of the failed write.
        }
    }
    if (::close(fd) != 0 && !f) {
        f = Fehler::aus_errno(errno, pfad);
    }
    return f;
}

Fehler EchtesDateisystem::leeren(const std::string& pfad)
{
    const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | oeffnen_flags(), 0666);
    if (fd < 0) {
        return oeffnungsfehler(errno, pfad);
    }
    Fehler f = regulaer_pruefen(fd, pfad);
    if (!f && ::ftruncate(fd, 0) != 0) {
        f = Fehler::aus_errno(errno, pfad);
    }
    ::close(fd);
    return f;
}

Fehler EchtesDateisystem::loeschen(const std::string& pfad)
{
    // On POSIX the write bit of the file itself does not guard it from deletion.
    // A share refuses it while another desk holds the file open.
    return auf_freigabe() ? beharrlich([&] { return entfernen(pfad); }, warten, k_loeschgeduld_ms)
                          : entfernen(pfad);
}

int EchtesDateisystem::ansehen(const std::string& pfad, struct stat& st) const
{
    return m_verknuepfungen == Verknuepfungen::nicht_folgen ? ::lstat(pfad.c_str(), &st)
                                                            : ::stat(pfad.c_str(), &st);
}

std::optional<Dateiinfo> EchtesDateisystem::info(const std::string& pfad)
{
    struct stat st {};
    if (ansehen(pfad, st) != 0) {
        return std::nullopt;
    }
    return info_aus(st);
}

Dateistand EchtesDateisystem::stand(const std::string& pfad)
{
    Dateistand d;
    if (pfad.empty()) {
        return d;
    }
    struct stat st {};
    if (ansehen(pfad, st) != 0) {
        // Only "does not exist" means absent; a share that fails to answer does not.
        if (errno != ENOENT) {
            d.art = Dateistand::Art::fehler;
            d.fehler = Fehler::aus_errno(errno, pfad);
        }
        return d;
    }
    if (S_ISREG(st.st_mode)) {
        d.art = Dateistand::Art::datei;
        d.info = info_aus(st);
    } else {
        d.art = Dateistand::Art::anderes;
        d.fehler = S_ISDIR(st.st_mode) ? Fehler::aus_errno(EISDIR, pfad) : keine_datei(pfad);
    }
    return d;
}

Fehler Dateisystem::auflisten(const std::string& verzeichnis, const std::string& /*praefix*/,
                              std::vector<Verzeichniseintrag>& eintraege, std::size_t /*max_eintraege*/)
{
    eintraege.clear();
    return {45, "Verzeichnis kann nicht aufgelistet werden: " + verzeichnis};
}

Fehler EchtesDateisystem::auflisten(const std::string& verzeichnis, const std::string& praefix,
                                    std::vector<Verzeichniseintrag>& eintraege, std::size_t max_eintraege)
{
    eintraege.clear();
    DIR* d = nullptr;
    if (Fehler f = verzeichnis_oeffnen(verzeichnis, auf_freigabe(), d)) {
        return f;
    }
    // The stream is this call's own: readdir is safe on it from any thread.
    while (const dirent* e = ::readdir(d)) { // NOLINT(concurrency-mt-unsafe)
        const std::string name = e->d_name;
        if (name.size() < praefix.size() || name.compare(0, praefix.size(), praefix) != 0) {
            continue;
        }
        struct stat st {};
        // Never followed: a link under a record's name is not a record.
        if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        eintraege.push_back({name, info_aus(st)});
        if (eintraege.size() >= max_eintraege) {
            break;
        }
    }
    const int err = errno;
    ::closedir(d);
    if (err != 0 && eintraege.size() < max_eintraege) {
        return Fehler::aus_errno(err, verzeichnis);
    }
    return {};
}

Fehler Dateisystem::namen(const std::string& verzeichnis, const std::function<bool(std::string_view)>& passt,
                          Namensliste& liste, std::size_t max_namen)
{
    liste = {};
    std::vector<Verzeichniseintrag> alle;
    Fehler f = auflisten(verzeichnis, "", alle, std::numeric_limits<std::size_t>::max());
    for (const Verzeichniseintrag& e : alle) {
        ++liste.eintraege;
        if (liste.namen.size() < max_namen && passt(e.name)) {
            liste.namen.push_back(e.name);
        }
    }
    return f;
}

Fehler EchtesDateisystem::namen(const std::string& verzeichnis,
                                const std::function<bool(std::string_view)>& passt, Namensliste& liste,
                                std::size_t max_namen)
{
    liste = {};
    DIR* d = nullptr;
    if (Fehler f = verzeichnis_oeffnen(verzeichnis, auf_freigabe(), d)) {
        return f;
    }
    // The stream is this call's own: readdir is safe on it from any thread.
    while (const dirent* e = ::readdir(d)) { // NOLINT(concurrency-mt-unsafe)
        const std::string_view name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        ++liste.eintraege;
        // A directory, link or FIFO is no file of anybody's; a share may not tell the kind.
        const bool datei = e->d_type == DT_REG || e->d_type == DT_UNKNOWN;
        if (datei && liste.namen.size() < max_namen && passt(name)) {
            liste.namen.emplace_back(name);
        }
    }
    const int err = errno;
    ::closedir(d);
    return err != 0 ? Fehler::aus_errno(err, verzeichnis) : Fehler{};
}

std::optional<bool> EchtesDateisystem::eingehaengt(const std::string& verzeichnis)
{
    struct stat selbst {};
    struct stat eltern {};
    if (::stat(verzeichnis.c_str(), &selbst) != 0 || !S_ISDIR(selbst.st_mode) ||
        ::stat(pfad_verbinden(verzeichnis, "..").c_str(), &eltern) != 0) {
        return std::nullopt;
    }
    return selbst.st_dev != eltern.st_dev;
}

} // namespace hestrel
