#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "app/programm.h"
#include "arbeitsplatz/pruefung.h"
#include "core/datenverzeichnis.h"
#include "core/freigabedienst.h"
#include "core/tondateileser.h"
#include "core/uhr.h"
#include "core/version.h"
#include "platform/qtscheduler.h"
#include "platform/qtseriellerport.h"
#include "platform/uebersetzung.h"

namespace {

// "hestrel 4.3.0"
std::string versionszeile()
{
    return "hestrel " + std::to_string(hestrel::k_version_major) + "." +
           std::to_string(hestrel::k_version_minor) + "." + std::to_string(hestrel::k_version_revision);
}

struct Befehlszeile {
    QCommandLineOption pruefen{
        QStringLiteral("check"),
        QStringLiteral("Prüft Einstellungen, Gruppenverzeichnisse, Importverzeichnis, "
                       "Alarmbox, Tondatei und Journal dieses Arbeitsplatzes, ohne ein "
                       "Fenster zu öffnen oder einen Alarm zu senden. Rückgabewert: 0 alles "
                       "bereit, 1 etwas für Empfang oder Senden Nötiges gestört, 2 "
                       "Einstellungen nicht lesbar oder falscher Aufruf.")};
    QCommandLineOption hilfe{{QStringLiteral("h"), QStringLiteral("help")},
                             QStringLiteral("Zeigt diese Hilfe.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Zeigt die Version.")};
    QCommandLineParser parser;

    Befehlszeile()
    {
        parser.setApplicationDescription(
            QStringLiteral("Hestrel: stiller Alarm am Arbeitsplatz. Ohne Optionen startet das Programm im "
                           "Infobereich; Qts Optionen wie -platform gelten dann auch."));
        parser.addOption(pruefen);
        parser.addOption(hilfe);
        parser.addOption(version);
    }
};

// --help, --version or --check: none of them needs a display.
bool ohne_fenster(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* o : {"--check", "--help", "-h", "--version", "-v"}) {
            if (std::strcmp(argv[i], o) == 0) {
                return true;
            }
        }
    }
    return false;
}

// The command line after Qt took its own options: 0 when the program is to
// start, else the exit code (help, version and errors are printed).
int befehlszeile_auswerten(Befehlszeile& b, const QStringList& argumente)
{
    if (!b.parser.parse(argumente)) {
        std::fprintf(stderr, "hestrel: %s\n%s", qPrintable(b.parser.errorText()),
                     qPrintable(b.parser.helpText()));
        return hestrel::Pruefung::k_ohne_einstellungen;
    }
    if (!b.parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "hestrel: unerwartetes Argument: %s\n%s",
                     qPrintable(b.parser.positionalArguments().first()), qPrintable(b.parser.helpText()));
        return hestrel::Pruefung::k_ohne_einstellungen;
    }
    return -1;
}

// The check itself: its report, and its exit code in the first byte.
std::string pruefen()
{
    auto umgebung = [](const char* n) { return std::getenv(n); };
    hestrel::EchtesDateisystem fs;
    hestrel::QtScheduler scheduler;
    // Dies before the scheduler its answers go through, after the check that asks.
    hestrel::FaedenFreigabedienst freigaben(std::make_shared<hestrel::EchtesDateisystem>(
                                                hestrel::EchtesDateisystem::Verknuepfungen::nicht_folgen),
                                            scheduler);
    hestrel::SystemUhr uhr;
    hestrel::QtSeriellerport port;
    {
        hestrel::Pruefung pruefung(fs, scheduler, uhr, port, freigaben,
                                   hestrel::datenverzeichnis_ermitteln(umgebung),
                                   hestrel::standortverzeichnisse_ermitteln(umgebung));
        pruefung.starten([] { QCoreApplication::exit(0); });
        if (!pruefung.fertig()) {
            QCoreApplication::exec();
        }
        return static_cast<char>(pruefung.rueckgabewert()) + pruefung.bericht();
    }
}

bool alles_schreiben(int fd, const std::string& bytes)
{
    for (std::size_t weg = 0; weg < bytes.size();) {
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

// `hestrel --check`: the report on standard output, the exit code for
// monitoring. The check runs in a child process: a thread held in the kernel
// by a share that never answers keeps its process from ending, so the child
// hands over its report and is left to the share, and this process ends at
// once with the report's code. A child that gives no report within
// k_gesamtfrist_ms counts as hung as well.
int pruefen_in_kind(int argc, char* argv[])
{
    constexpr int k_gesamtfrist_ms = 4 * hestrel::Pruefung::k_frist_ms;
    int rohr[2];
    if (::pipe(rohr) != 0) {
        std::perror("hestrel: pipe");
        return hestrel::Pruefung::k_gestoert;
    }
    std::fflush(nullptr);
    const pid_t kind = ::fork();
    if (kind < 0) {
        std::perror("hestrel: fork");
        return hestrel::Pruefung::k_gestoert;
    }
    if (kind == 0) {
        ::close(rohr[0]);
        std::string bericht;
        {
            QCoreApplication app(argc, argv);
            bericht = pruefen();
        }
        alles_schreiben(rohr[1], bericht);
        // Nothing the caller waits on stays open while this process may hang on its way out.
        ::close(rohr[1]);
        std::fflush(nullptr);
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
        std::_Exit(0);
    }
    ::close(rohr[1]);
    std::string bericht;
    const auto ende = std::chrono::steady_clock::now() + std::chrono::milliseconds(k_gesamtfrist_ms);
    for (;;) {
        const auto rest =
            std::chrono::duration_cast<std::chrono::milliseconds>(ende - std::chrono::steady_clock::now())
                .count();
        pollfd p{rohr[0], POLLIN, 0};
        const int n = rest > 0 ? ::poll(&p, 1, static_cast<int>(rest)) : 0;
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::kill(kind, SIGKILL);
            std::fputs(bericht.empty() ? "" : bericht.substr(1).c_str(), stdout);
            std::printf("FEHLER  Prüfung: kein Ergebnis innerhalb von %d s (ein Zugriff hängt)\n",
                        k_gesamtfrist_ms / 1000);
            return hestrel::Pruefung::k_gestoert;
        }
        char puffer[4096];
        const ssize_t r = ::read(rohr[0], puffer, sizeof puffer);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            break;
        }
        bericht.append(puffer, static_cast<std::size_t>(r));
    }
    ::close(rohr[0]);
    if (bericht.empty()) {
        int status = 0;
        ::waitpid(kind, &status, WNOHANG);
        std::fputs("FEHLER  Prüfung: ohne Ergebnis abgebrochen\n", stdout);
        return hestrel::Pruefung::k_gestoert;
    }
    std::fputs(bericht.c_str() + 1, stdout);
    // A child already gone is collected; one still held by a share is left to it.
    ::waitpid(kind, nullptr, WNOHANG);
    return static_cast<unsigned char>(bericht[0]);
}

} // namespace

int main(int argc, char* argv[])
{
    int code = 0;
    if (ohne_fenster(argc, argv)) {
        {
            QCoreApplication app(argc, argv);
            QCoreApplication::setApplicationName(QStringLiteral("hestrel"));
            Befehlszeile b;
            if (const int c = befehlszeile_auswerten(b, QCoreApplication::arguments()); c >= 0) {
                return c;
            }
            if (b.parser.isSet(b.hilfe)) {
                std::fputs(qPrintable(b.parser.helpText()), stdout);
                return 0;
            }
            if (b.parser.isSet(b.version)) {
                std::printf("%s\n", versionszeile().c_str());
                return 0;
            }
        }
        // Forked with no thread of Qt's running in this process.
        return pruefen_in_kind(argc, argv);
    } else {
        const bool ohne_anzeige =
            !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
        if (ohne_anzeige) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            std::fputs("hestrel: no display found, running with QT_QPA_PLATFORM=offscreen\n", stderr);
        } else if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY") &&
                   std::getenv("DISPLAY")) {
            // Through XWayland a window may stay on top of all others; the alarm window must.
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        }

        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Hestrel"));
        QApplication::setQuitOnLastWindowClosed(false);
        {
            // What Qt left of the command line must be empty.
            Befehlszeile b;
            if (const int c = befehlszeile_auswerten(b, QApplication::arguments()); c >= 0) {
                return c;
            }
        }
        if (!hestrel::qt_deutsch_laden(app)) {
            std::fputs("hestrel: Qt's German texts (qtbase_de) not found; standard dialogs speak English\n",
                       stderr);
        }
        {
            hestrel::Programm programm;
            programm.starten();
            code = QApplication::exec();
        }
    }
    // A share that never answers holds a worker (or the sound file reader) in the kernel; nothing
    // may wait for it on the way out (no clean-up handler, no leak check).
    if (hestrel::FaedenFreigabedienst::haengt_noch() || hestrel::Tondateileser::haengt_noch()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
