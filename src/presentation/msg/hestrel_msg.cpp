// hestrel-msg USER < TEXT
//
// Shows the alarm text read from standard input to a user's session so that it also reaches a locked
// workstation: as a desktop notification when the user is the one running
// this program and a session bus exists, else on every terminal the user is
// logged in on. Exit status 0 when the text was delivered somewhere.
//
// The text comes on standard input, never as an argument, so that no other
// local user can read it in the process list. At most 64 KiB of it are read,
// and it is capped for a notice as the program caps it.
//
// No shell is ever involved: the notifier is run with an argument list, and
// control characters are removed before anything reaches a terminal.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmpx.h>
#include <vector>

#include "presentation/msg/meldetext.h"

// hestrel-msg runs on one thread: the environment and the user database are its own.
// NOLINTBEGIN(concurrency-mt-unsafe)
namespace {

constexpr const char* k_titel = "Alarm";
constexpr std::size_t k_max_eingabe = std::size_t{64} * 1024;

std::string eingabe_lesen()
{
    std::string text;
    char puffer[4096];
    while (text.size() < k_max_eingabe) {
        const ssize_t n = ::read(STDIN_FILENO, puffer, sizeof puffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        text.append(puffer, static_cast<std::size_t>(n));
    }
    return hestrel::fuer_meldeprogramm(text);
}

std::string eigener_name()
{
    if (const passwd* pw = ::getpwuid(::geteuid())) {
        return pw->pw_name;
    }
    return {};
}

bool sitzungsbus_vorhanden()
{
    const char* adresse = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (adresse && *adresse) {
        return true;
    }
    const std::string bus = "/run/user/" + std::to_string(::geteuid()) + "/bus";
    struct stat st {};
    if (::stat(bus.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + bus).c_str(), 1);
        return true;
    }
    return false;
}

bool benachrichtigen(const std::string& text)
{
    if (!sitzungsbus_vorhanden()) {
        return false;
    }
    const std::string koerper = hestrel::fuer_benachrichtigung(text);
    const pid_t pid = ::fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        const char* argv[] = {// The desktop entry names the program to the desktop, whose settings for
                              // Hestrel (its text on a locked screen, say) then apply.
                              "notify-send",
                              "--urgency=critical",
                              "--app-name=Hestrel",
                              "--hint=string:desktop-entry:hestrel",
                              "--",
                              k_titel,
                              koerper.c_str(),
                              nullptr};
        ::execvp(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int an_terminals(const std::string& benutzer, const std::string& text)
{
    const std::string nachricht =
        "\r\n\a*** " + std::string(k_titel) + " ***\r\n" + hestrel::fuer_terminal(text) + "\r\n";
    std::vector<std::string> erledigt;
    int zugestellt = 0;
    ::setutxent();
    while (const utmpx* u = ::getutxent()) {
        if (u->ut_type != USER_PROCESS) {
            continue;
        }
        if (benutzer != std::string(u->ut_user, strnlen(u->ut_user, sizeof u->ut_user))) {
            continue;
        }
        const std::string pfad =
            hestrel::terminalpfad(std::string(u->ut_line, strnlen(u->ut_line, sizeof u->ut_line)));
        if (pfad.empty()) {
            continue;
        }
        bool schon = false;
        for (const auto& e : erledigt) {
            schon = schon || e == pfad;
        }
        if (schon) {
            continue;
        }
        erledigt.push_back(pfad);
        const int fd = ::open(pfad.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) &&
            ::write(fd, nachricht.data(), nachricht.size()) == static_cast<ssize_t>(nachricht.size())) {
            ++zugestellt;
        }
        ::close(fd);
    }
    ::endutxent();
    return zugestellt;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: hestrel-msg USER < TEXT\n", stderr);
        return 2;
    }
    std::string benutzer = argv[1];
    const std::string text = eingabe_lesen();
    if (benutzer.empty()) {
        benutzer = eigener_name();
    }
    if (benutzer == eigener_name() && benachrichtigen(text)) {
        return 0;
    }
    if (an_terminals(benutzer, text) > 0) {
        return 0;
    }
    std::fprintf(stderr, "hestrel-msg: no session of %s could be reached\n", benutzer.c_str());
    return 1;
}
// NOLINTEND(concurrency-mt-unsafe)
