#include <fcntl.h>
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

#include <filesystem>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <xcb/xcb.h>

#include "app/anzeigewahl.h"
#include "app/programm.h"
#include "arbeitsplatz/pruefung.h"
#include "core/datenverzeichnis.h"
#include "core/freigabedienst.h"
#include "core/tondateileser.h"
#include "core/uhr.h"
#include "core/umgebung.h"
#include "core/version.h"
#include "platform/einzelstart.h"
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
                                   hestrel::datenverzeichnis_ermitteln(hestrel::umgebung),
                                   hestrel::standortverzeichnisse_ermitteln(hestrel::umgebung));
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

// Qt's Wayland plugin, where Qt looks for its plugins.
bool wayland_modul()
{
    std::vector<std::string> orte;
    if (const char* p = hestrel::umgebung("QT_PLUGIN_PATH")) {
        std::string rest = p;
        for (std::size_t pos; (pos = rest.find(':')) != std::string::npos; rest.erase(0, pos + 1)) {
            orte.push_back(rest.substr(0, pos));
        }
        orte.push_back(rest);
    }
    orte.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString());
    for (const std::string& ort : orte) {
        std::error_code fehler;
        for (const auto& e : std::filesystem::directory_iterator(ort + "/platforms", fehler)) {
            if (e.path().filename().string().rfind("libqwayland", 0) == 0) {
                return true;
            }
        }
    }
    return false;
}

// Chooses the Qt platform and makes sure the display can be reached: -1 to
// go on, else the exit code (what is wrong has been said on standard error).
int anzeige_einrichten()
{
    const hestrel::Anzeigewahl wahl = hestrel::anzeige_waehlen(hestrel::umgebung, wayland_modul());
    if (!wahl.fehler.empty()) {
        std::fprintf(stderr, "%s\n", wahl.fehler.c_str());
        return hestrel::Pruefung::k_ohne_einstellungen;
    }
    if (!wahl.plattform.empty()) {
        // Before QApplication and before any thread of the program runs.
        setenv("QT_QPA_PLATFORM", wahl.plattform.c_str(), 1); // NOLINT(concurrency-mt-unsafe)
    }
    if (!wahl.hinweis.empty()) {
        std::fprintf(stderr, "%s\n", wahl.hinweis.c_str());
    }
    if (wahl.x11_pruefen) {
        // libxcb writes the server's refusal, in English, to standard error: the German line says it.
        std::fflush(stderr);
        const int fehlerausgabe = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const int fehler = xcb_connection_has_error(c);
        xcb_disconnect(c);
        if (fehlerausgabe >= 0) {
            ::dup2(fehlerausgabe, STDERR_FILENO);
            ::close(fehlerausgabe);
        }
        if (fehler != 0) {
            const char* grund = fehler == XCB_CONN_CLOSED_PARSE_ERR ? "DISPLAY ist keine gültige Anzeige"
                                : fehler == XCB_CONN_CLOSED_INVALID_SCREEN
                                    ? "diese Anzeige hat den Bildschirm nicht"
                                    : "abgewiesen oder nicht erreichbar";
            std::fprintf(
                stderr, "%s\n",
                hestrel::x11_fehlertext(hestrel::umgebung("DISPLAY"), hestrel::umgebung("XAUTHORITY"), grund)
                    .c_str());
            return hestrel::Pruefung::k_ohne_einstellungen;
        }
    }
    return -1;
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
        if (const int c = anzeige_einrichten(); c >= 0) {
            return c;
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
        const std::string daten = hestrel::datenverzeichnis_ermitteln(hestrel::umgebung);
        const char* laufzeit = hestrel::umgebung("XDG_RUNTIME_DIR");
        hestrel::Einzelstart einzeln(daten, laufzeit ? laufzeit : "");
        switch (einzeln.anmelden()) {
        case hestrel::Einzelstart::Ergebnis::erster:
            break;
        case hestrel::Einzelstart::Ergebnis::weitergereicht:
            std::fprintf(stderr,
                         "hestrel: Hestrel läuft in dieser Sitzung schon (Datenverzeichnis %s); seine "
                         "Meldeliste ist nach vorne geholt, dieser Start endet\n",
                         daten.c_str());
            return 0;
        case hestrel::Einzelstart::Ergebnis::keine_antwort:
            std::fprintf(stderr,
                         "hestrel: Hestrel läuft in dieser Sitzung schon (Datenverzeichnis %s), antwortet "
                         "aber nicht; dieser Start endet\n",
                         daten.c_str());
            return 1;
        case hestrel::Einzelstart::Ergebnis::ohne_sperre:
            std::fprintf(stderr,
                         "hestrel: ob Hestrel schon läuft, ist nicht zu prüfen (%s); startet trotzdem\n",
                         einzeln.grund().c_str());
            break;
        }
        {
            hestrel::Programm programm;
            einzeln.vorholen = [&programm] { programm.meldeliste_vorholen(); };
            programm.starten();
            code = QApplication::exec();
            einzeln.vorholen = nullptr;
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
