// The start of the program: the display it takes from the environment, and
// one program per user session and data directory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include <QEventLoop>
#include <QTimer>

#include "app/anzeigewahl.h"
#include "platform/einzelstart.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

TEST(Start, AnzeigeAusDerUmgebung)
{
    struct Fall {
        const char* name;
        std::map<std::string, std::string> umgebung;
        bool wayland_modul;
        const char* plattform;
        bool x11_pruefen;
        const char* hinweis; // a piece of the line, "" for none
        bool fehler;
    };
    const Fall faelle[] = {
        {"X11-Sitzung", {{"DISPLAY", ":0"}}, false, "xcb", true, "", false},
        {"Wayland mit XWayland",
         {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         true,
         "xcb",
         true,
         "",
         false},
        {"QT_QPA_PLATFORM=wayland mit XWayland",
         {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         true,
         "xcb",
         true,
         "läuft über XWayland",
         false},
        {"QT_QPA_PLATFORM=wayland;xcb",
         {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":1"}},
         false,
         "xcb",
         true,
         "übergangen",
         false},
        {"QT_QPA_PLATFORM=wayland ohne XWayland",
         {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         true,
         "",
         false,
         "nicht über allen Fenstern",
         false},
        {"QT_QPA_PLATFORM=wayland ohne XWayland und ohne Modul",
         {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         false,
         "",
         false,
         "",
         true},
        {"nur Wayland ohne Modul", {{"WAYLAND_DISPLAY", "wayland-0"}}, false, "", false, "", true},
        {"QT_QPA_PLATFORM=xcb", {{"QT_QPA_PLATFORM", "xcb"}}, false, "", true, "", false},
        {"QT_QPA_PLATFORM=offscreen",
         {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}},
         false,
         "",
         false,
         "",
         false},
        {"keine Anzeige", {}, false, "offscreen", false, "keine Anzeige gefunden", false},
        {"leeres DISPLAY", {{"DISPLAY", ""}}, false, "offscreen", false, "", false},
    };
    for (const Fall& f : faelle) {
        const Anzeigewahl w = anzeige_waehlen(
            [&](const char* n) {
                const auto i = f.umgebung.find(n);
                return i == f.umgebung.end() ? nullptr : i->second.c_str();
            },
            f.wayland_modul);
        EXPECT_EQ(w.plattform, f.plattform) << f.name;
        EXPECT_EQ(w.x11_pruefen, f.x11_pruefen) << f.name;
        EXPECT_NE(w.hinweis.find(f.hinweis), std::string::npos) << f.name << ": " << w.hinweis;
        EXPECT_EQ(w.hinweis.find('\n'), std::string::npos) << f.name;
        EXPECT_EQ(!w.fehler.empty(), f.fehler) << f.name << ": " << w.fehler;
    }
    EXPECT_EQ(
        x11_fehlertext(":5", nullptr, "abgewiesen"),
        "hestrel: keine Verbindung zur X-Anzeige \":5\" (DISPLAY): abgewiesen; XAUTHORITY ist nicht gesetzt");
}

// The second start's side runs in a thread of its own: it waits for the answer
// the first gives on the event loop.
Einzelstart::Ergebnis zweiter_start(const std::string& daten, const std::string& laufzeit)
{
    Einzelstart::Ergebnis e{};
    std::atomic<bool> fertig = false;
    std::thread t([&] {
        Einzelstart zweiter(daten, laufzeit);
        e = zweiter.anmelden();
        fertig = true;
    });
    while (!fertig) {
        QEventLoop schleife;
        QTimer::singleShot(20, &schleife, &QEventLoop::quit);
        schleife.exec();
    }
    t.join();
    return e;
}

TEST(Start, EinProgrammJeSitzungUndDatenverzeichnis)
{
    TempVerzeichnis basis;
    const std::string laufzeit = basis.unterverzeichnis("laufzeit");
    const std::string daten = basis.unterverzeichnis("daten");
    auto erster = std::make_unique<Einzelstart>(daten, laufzeit);
    int vorgeholt = 0;
    erster->vorholen = [&] { ++vorgeholt; };
    ASSERT_EQ(erster->anmelden(), Einzelstart::Ergebnis::erster) << erster->grund();

    // Another start on the same directory (also written differently) brings the first forward.
    EXPECT_EQ(zweiter_start(daten + "/./", laufzeit), Einzelstart::Ergebnis::weitergereicht);
    EXPECT_EQ(vorgeholt, 1);
    // A second workstation on the same machine has a data directory of its own.
    Einzelstart anderer(basis.unterverzeichnis("daten2"), laufzeit);
    EXPECT_EQ(anderer.anmelden(), Einzelstart::Ergebnis::erster);

    // A program that ended (or crashed) leaves the place free.
    erster.reset();
    Einzelstart nachfolger(daten, laufzeit);
    EXPECT_EQ(nachfolger.anmelden(), Einzelstart::Ergebnis::erster);
}

TEST(Start, EinHaengenderErsterUndKeinPlatzFuerDieSperre)
{
    TempVerzeichnis basis;
    const std::string laufzeit = basis.unterverzeichnis("laufzeit");
    const std::string daten = basis.unterverzeichnis("daten");
    {
        // A program that holds the lock but never answers.
        Einzelstart probe(daten, laufzeit);
        ASSERT_EQ(probe.anmelden(), Einzelstart::Ergebnis::erster);
    }
    std::string sperre;
    for (const auto& e : std::filesystem::directory_iterator(laufzeit)) {
        if (e.path().extension() == ".sperre") {
            sperre = e.path();
        }
    }
    const int fd = ::open(sperre.c_str(), O_RDWR);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    Einzelstart zweiter(daten, laufzeit);
    EXPECT_EQ(zweiter.anmelden(), Einzelstart::Ergebnis::keine_antwort);
    ::close(fd);

    // The runtime directory is no directory: the program runs without the check and says why.
    datei_schreiben(basis / "datei", "");
    Einzelstart ohne(daten, basis / "datei");
    EXPECT_EQ(ohne.anmelden(), Einzelstart::Ergebnis::ohne_sperre);
    EXPECT_NE(ohne.grund().find(basis / "datei"), std::string::npos) << ohne.grund();
}

} // namespace
} // namespace hestrel::test
