// kestu-sim: an alarm device on a pseudo-terminal, for trying the workstation
// program without the box. Prints the variable that points the program's port
// at it, answers status requests, shows the commands it receives and takes
// key presses from the keyboard.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/fehler.h"
#include "device/sim/geraetesimulator.h"

namespace {

volatile std::sig_atomic_t g_ende = 0;

void signal_ende(int)
{
    g_ende = 1;
}

const char* const k_hilfe =
    "Tasten: 1 = Taste 1 (Reset), 2 = Taste 2 (Alarm), b = beide, s = Ausgänge zeigen, q = Ende\n";

// Prints the device's lines; a run of status requests stays one line that counts up.
class Ausgabe {
  public:
    explicit Ausgabe(bool terminal) : m_terminal(terminal) {}

    void zeile(const std::string& text)
    {
        if (text == "Statusabfrage") {
            ++m_abfragen;
            if (m_abfragen == 1) {
                std::fputs("Statusabfrage", stdout);
                if (!m_terminal) {
                    std::fputs("\n", stdout);
                }
            } else if (m_terminal) {
                std::printf("\rStatusabfrage (%ld)", m_abfragen);
            }
        } else {
            abschliessen();
            std::printf("%s\n", text.c_str());
        }
        std::fflush(stdout);
    }

    void abschliessen()
    {
        if (m_terminal && m_abfragen > 0) {
            std::fputs("\n", stdout);
        }
        m_abfragen = 0;
    }

  private:
    bool m_terminal;
    long m_abfragen = 0;
};

bool alles_schreiben(int fd, const std::string& bytes)
{
    std::size_t weg = 0;
    while (weg < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + weg, bytes.size() - weg);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        weg += static_cast<std::size_t>(n);
    }
    return true;
}

int nutzung()
{
    std::fputs("Aufruf: kestu-sim [Anschlussnummer 1-12]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    int nummer = 1;
    if (argc > 2) {
        return nutzung();
    }
    if (argc == 2) {
        char* ende = nullptr;
        const long n = std::strtol(argv[1], &ende, 10);
        if (ende == argv[1] || *ende != '\0' || n < 1 || n > 99) {
            return nutzung();
        }
        nummer = static_cast<int>(n);
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "kestu-sim: kein Pseudo-Terminal: %s\n",
                     hestrel::systemfehlertext(errno).c_str());
        return 1;
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        std::fprintf(stderr, "kestu-sim: kein Pseudo-Terminal: %s\n",
                     hestrel::systemfehlertext(errno).c_str());
        return 1;
    }
    const std::string pfad = name;
    // Held open by the simulator itself: without it, every time the program
    // closes its port the line hangs up and reads fail until it opens again.
    const int slave = ::open(pfad.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::fprintf(stderr, "kestu-sim: %s: %s\n", pfad.c_str(), hestrel::systemfehlertext(errno).c_str());
        return 1;
    }
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B2400);
    ::cfsetospeed(&t, B2400);
    ::tcsetattr(slave, TCSANOW, &t);

    const bool terminal = ::isatty(STDIN_FILENO) != 0;
    termios alt{};
    if (terminal) {
        ::tcgetattr(STDIN_FILENO, &alt);
        termios roh = alt;
        roh.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        roh.c_cc[VMIN] = 1;
        roh.c_cc[VTIME] = 0;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &roh);
    }
    std::signal(SIGINT, signal_ende);
    std::signal(SIGTERM, signal_ende);
    std::signal(SIGHUP, signal_ende);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("export HESTREL_COM%d=%s\n", nummer, pfad.c_str());
    std::printf("Gerät an %s, Anschluss %d (2400 Baud 8N1). %s", pfad.c_str(), nummer, k_hilfe);
    std::fflush(stdout);

    hestrel::Geraetesimulator geraet;
    Ausgabe ausgabe(::isatty(STDOUT_FILENO) != 0);
    bool eingabe_offen = true;
    int rc = 0;
    while (!g_ende) {
        pollfd fds[2] = {{master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int n = ::poll(fds, eingabe_offen ? 2 : 1, 250);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            rc = 1;
            break;
        }
        if (fds[0].revents & POLLIN) {
            char puffer[256];
            const ssize_t r = ::read(master, puffer, sizeof puffer);
            if (r > 0) {
                const auto e = geraet.empfangen(std::string(puffer, static_cast<std::size_t>(r)));
                for (const auto& z : e.zeilen) {
                    ausgabe.zeile(z);
                }
                if (!e.antwort.empty() && !alles_schreiben(master, e.antwort)) {
                    ausgabe.zeile(std::string("Schreiben fehlgeschlagen: ") +
                                  hestrel::systemfehlertext(errno).c_str());
                }
            }
        }
        if (eingabe_offen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char c = 0;
            const ssize_t r = ::read(STDIN_FILENO, &c, 1);
            if (r <= 0) {
                eingabe_offen = false; // input closed: keep answering until a signal ends us
                continue;
            }
            switch (c) {
            case '1':
                geraet.druecken(1);
                ausgabe.zeile("Taste 1 gedrückt");
                break;
            case '2':
                geraet.druecken(2);
                ausgabe.zeile("Taste 2 gedrückt");
                break;
            case 'b':
            case 'B':
                geraet.druecken(3);
                ausgabe.zeile("Taste 1 und 2 gedrückt");
                break;
            case 's':
            case 'S':
                ausgabe.zeile(geraet.ausgangsliste());
                break;
            case 'q':
            case 'Q':
                g_ende = 1;
                break;
            case '\n':
            case '\r':
                break;
            default:
                ausgabe.zeile(std::string("? ") + k_hilfe);
                break;
            }
        }
    }
    ausgabe.abschliessen();
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &alt);
    }
    ::close(slave);
    ::close(master);
    return rc;
}
