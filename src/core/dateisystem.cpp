#include "core/dateisystem.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

std::string temp_name(const std::string& pfad)
{
    static std::atomic<unsigned> zaehler{0};
    const auto schnitt = pfad.find_last_of(k_trenner);
    const std::string verzeichnis = schnitt == std::string::npos ? "" : pfad.substr(0, schnitt + 1);
    const std::string name = schnitt == std::string::npos ? pfad : pfad.substr(schnitt + 1);
    // A leading dot and a suffix no reader asks for.
    return verzeichnis + "." + name + ".tmp" + std::to_string(::getpid()) + "-" +
           std::to_string(zaehler++);
}

// Written under a temporary name in the same directory, then renamed over the
// old file; with sichern the bytes are on the disk before the rename.
Fehler ersetzen_ueber_temp(const std::string& pfad, const std::string& inhalt, bool sichern)
{
    const std::string temp = temp_name(pfad);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Fehler::aus_errno(errno, pfad);
    }
    Fehler f = alles_schreiben(fd, inhalt, pfad);
    if (!f && sichern && ::fsync(fd) != 0 && errno != EINVAL) {
        f = Fehler::aus_errno(errno, pfad);
    }
    if (::close(fd) != 0 && !f) {
        f = Fehler::aus_errno(errno, pfad);
    }
    if (!f && ::rename(temp.c_str(), pfad.c_str()) != 0) {
        f = Fehler::aus_errno(errno, pfad);
    }
    if (f) {
        ::unlink(temp.c_str());
    }
    return f;
}

}  // namespace

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
    const int fd = ::open(pfad.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Fehler::aus_errno(errno, pfad);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Fehler::aus_errno(EISDIR, pfad);
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
    return ersetzen_ueber_temp(pfad, inhalt, true);
}

Fehler EchtesDateisystem::ersetzen_fluechtig(const std::string& pfad, const std::string& inhalt)
{
    // Waiting for the disk cost the sender of an alarm to 50 groups 30 ms and
    // more here, and a round trip per file on a share.
    return ersetzen_ueber_temp(pfad, inhalt, false);
}

Fehler EchtesDateisystem::anhaengen(const std::string& pfad, const std::string& inhalt)
{
    const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Fehler::aus_errno(errno, pfad);
    }
    struct stat st {};
    const bool groesse_bekannt = ::fstat(fd, &st) == 0;
    Fehler f = alles_schreiben(fd, inhalt, pfad);
    if (f && groesse_bekannt) {
        // Half an entry would run into the next one: the file goes back to where it was.
        (void)::ftruncate(fd, st.st_size);
    }
    if (::close(fd) != 0 && !f) {
        f = Fehler::aus_errno(errno, pfad);
    }
    return f;
}

Fehler EchtesDateisystem::leeren(const std::string& pfad)
{
    const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Fehler::aus_errno(errno, pfad);
    }
    ::close(fd);
    return {};
}

Fehler EchtesDateisystem::loeschen(const std::string& pfad)
{
    // On POSIX the write bit of the file itself does not guard it from deletion.
    if (::unlink(pfad.c_str()) != 0) {
        return Fehler::aus_errno(errno, pfad);
    }
    return {};
}

std::optional<Dateiinfo> EchtesDateisystem::info(const std::string& pfad)
{
    struct stat st {};
    if (::stat(pfad.c_str(), &st) != 0) {
        return std::nullopt;
    }
    Dateiinfo i;
    i.groesse = static_cast<std::uint64_t>(st.st_size);
    i.geaendert_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    i.kennung = (static_cast<std::uint64_t>(st.st_dev) << 40) ^ static_cast<std::uint64_t>(st.st_ino);
    return i;
}

}  // namespace hestrel
