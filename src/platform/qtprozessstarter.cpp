#include "platform/qtprozessstarter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace hestrel {
namespace {

Fehler startbar(const std::string& programm)
{
    const QFileInfo info(QString::fromStdString(programm));
    if (!info.exists()) {
        return {53, "Datei nicht gefunden"};
    }
    if (!info.isFile() || !info.isExecutable()) {
        return {75, "Fehler beim Zugriff auf Pfad/Datei"};
    }
    return {};
}

Fehler nicht_gestartet()
{
    return {5, "Unzulässiger Prozeduraufruf oder ungültiges Argument"};
}

// The input lies in an anonymous file in memory that only this process and
// the started one can reach; unlike a pipe it never fills, so neither side
// waits for the other.
int eingabedatei(const std::string& eingabe)
{
    const int fd = ::memfd_create("hestrel-eingabe", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    std::size_t geschrieben = 0;
    while (geschrieben < eingabe.size()) {
        const ssize_t n = ::write(fd, eingabe.data() + geschrieben, eingabe.size() - geschrieben);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        geschrieben += static_cast<std::size_t>(n);
    }
    if (::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

Fehler QtProzessstarter::starten(const std::string& programm, const std::vector<std::string>& argumente)
{
    if (Fehler f = startbar(programm)) {
        return f;
    }
    const QString pfad = QString::fromStdString(programm);
    QStringList liste;
    for (const auto& a : argumente) {
        liste << QString::fromStdString(a);
    }
    if (!QProcess::startDetached(pfad, liste)) {
        return nicht_gestartet();
    }
    return {};
}

Fehler QtProzessstarter::starten_mit_eingabe(const std::string& programm,
                                             const std::vector<std::string>& argumente,
                                             const std::string& eingabe)
{
    if (Fehler f = startbar(programm)) {
        return f;
    }
    // Everything the children need is made before fork: after it they call
    // only what is safe in a copy of a process with threads.
    std::vector<std::string> args;
    args.push_back(programm);
    args.insert(args.end(), argumente.begin(), argumente.end());
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    const int fd = eingabedatei(eingabe);
    if (fd < 0) {
        return nicht_gestartet();
    }
    // exec closes the write end (close-on-exec); an errno arriving on it means exec failed.
    int rueckmeldung[2];
    if (::pipe2(rueckmeldung, O_CLOEXEC) != 0) {
        ::close(fd);
        return nicht_gestartet();
    }
    // Started through an intermediate process that ends at once, so the
    // helper is nobody's child here and leaves no zombie behind.
    const pid_t zwischen = ::fork();
    if (zwischen == 0) {
        const pid_t kind = ::fork();
        if (kind == 0) {
            // dup2 onto itself would keep close-on-exec (stdin closed in this process).
            const bool bereit =
                fd == STDIN_FILENO ? ::fcntl(fd, F_SETFD, 0) == 0 : ::dup2(fd, STDIN_FILENO) >= 0;
            if (bereit) {
                ::execve(argv[0], argv.data(), environ);
            }
            const int e = errno;
            [[maybe_unused]] const ssize_t n = ::write(rueckmeldung[1], &e, sizeof e);
            ::_exit(127);
        }
        if (kind < 0) {
            const int e = errno;
            [[maybe_unused]] const ssize_t n = ::write(rueckmeldung[1], &e, sizeof e);
        }
        ::_exit(0);
    }
    ::close(rueckmeldung[1]);
    ::close(fd);
    if (zwischen < 0) {
        ::close(rueckmeldung[0]);
        return nicht_gestartet();
    }
    while (::waitpid(zwischen, nullptr, 0) < 0 && errno == EINTR) {
    }
    int fehlernummer = 0;
    ssize_t n = 0;
    do {
        n = ::read(rueckmeldung[0], &fehlernummer, sizeof fehlernummer);
    } while (n < 0 && errno == EINTR);
    ::close(rueckmeldung[0]);
    if (n != 0) {
        return nicht_gestartet();
    }
    return {};
}

std::string QtProzessstarter::programmverzeichnis() const
{
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string QtProzessstarter::umgebung(const std::string& name) const
{
    return qEnvironmentVariable(name.c_str()).toStdString();
}

std::string QtProzessstarter::anmeldename() const
{
    char puffer[256];
    if (::getlogin_r(puffer, sizeof puffer) == 0 && puffer[0] != '\0') {
        return puffer;
    }
    for (const char* name : {"LOGNAME", "USER"}) {
        const QString wert = qEnvironmentVariable(name);
        if (!wert.isEmpty()) {
            return wert.toStdString();
        }
    }
    passwd eintrag{};
    passwd* pw = nullptr;
    std::array<char, 4096> konto{};
    if (::getpwuid_r(::geteuid(), &eintrag, konto.data(), konto.size(), &pw) == 0 && pw != nullptr) {
        return pw->pw_name;
    }
    return {};
}

} // namespace hestrel
