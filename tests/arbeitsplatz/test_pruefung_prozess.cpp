// `hestrel --check` as an administrator or a monitoring system runs it: the
// exit codes, the box simulator on a pseudo-terminal, a missing port, and a
// share that hangs (stoerfs), which must be reported within a few seconds.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "support/echtprogramm.h"
#include "support/stoerlaufwerk.h"

namespace hestrel::test {
namespace {

using namespace std::chrono_literals;
using echt::Uhrzeit;

struct Lauf {
    int code = -1; // -1: did not end in time
    std::string ausgabe;
    long ms = 0;
};

// Runs the program with the arguments and the environment over the test's own.
Lauf laufen(const TempVerzeichnis& basis, std::vector<std::string> argumente,
            std::vector<std::string> umgebung, std::chrono::milliseconds grenze = 15s)
{
    argumente.insert(argumente.begin(), HESTREL_PROGRAMM);
    umgebung.push_back("HESTREL_SYSLOG=");
    umgebung.push_back("XDG_CONFIG_DIRS=" + basis / "xdg");
    const std::string ausgabe = basis / "ausgabe.txt";
    const auto beginn = Uhrzeit::now();
    Kindprozess p(argumente, umgebung, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, ausgabe);
    Lauf l;
    const auto status = p.ende_abwarten(grenze);
    l.ms = std::chrono::duration_cast<std::chrono::milliseconds>(Uhrzeit::now() - beginn).count();
    if (status && WIFEXITED(*status)) {
        l.code = WEXITSTATUS(*status);
    }
    l.ausgabe = datei_lesen(ausgabe);
    return l;
}

// A data directory whose settings name the groups; the box on port 3 when asked.
std::string daten_anlegen(const TempVerzeichnis& basis, const std::vector<std::string>& gruppen, bool box)
{
    const std::string daten = basis.unterverzeichnis("daten");
    auto z = echt::einstellungszeilen(gruppen);
    if (box) {
        z[2] = "3";
        z[8] = "0";
        z[25] = "Kestu_10";
    }
    datei_schreiben(daten + "Hestrel.DAT", echt::zeilen_cr_lf(z));
    return daten;
}

bool enthaelt(const std::string& text, const std::string& teil)
{
    return text.find(teil) != std::string::npos;
}

TEST(PruefungProzess, HilfeVersionUndFalscherAufruf)
{
    TempVerzeichnis basis;
    const std::string daten = basis.unterverzeichnis("daten");
    struct Fall {
        std::vector<std::string> argumente;
        int code;
        const char* ausgabe;
    };
    const std::vector<Fall> faelle = {
        {{"--help"}, 0, "--check"},
        {{"--version"}, 0, "hestrel 4."},
        {{"--check", "--gibtsnicht"}, 2, "gibtsnicht"},
        {{"--check", "nebenbei"}, 2, "nebenbei"},
        // No settings anywhere: the check says so and what else it found.
        {{"--check"}, 2, "FEHLER  Einstellungen: keine Hestrel.DAT"},
    };
    for (const auto& f : faelle) {
        const Lauf l = laufen(basis, f.argumente, {"APPDATA=" + daten});
        EXPECT_EQ(l.code, f.code) << f.argumente.back() << "\n" << l.ausgabe;
        EXPECT_TRUE(enthaelt(l.ausgabe, f.ausgabe)) << l.ausgabe;
    }
    EXPECT_FALSE(existiert(daten + "Hestrel.DAT"));
}

TEST(PruefungProzess, BoxAmPseudoTerminalUndFehlenderAnschluss)
{
    TempVerzeichnis basis;
    const std::string g1 = basis.unterverzeichnis("gruppen/g1");
    const std::string daten = daten_anlegen(basis, {g1}, true);

    Kindprozess sim({KESTU_SIM, "3"}, {}, {}, basis / "sim.txt");
    ASSERT_TRUE(warten_bis([&] { return enthaelt(datei_lesen(basis / "sim.txt"), "\n"); }, 5s));
    const std::string zeile = datei_lesen(basis / "sim.txt");
    const std::string vorne = "export HESTREL_COM3=";
    ASSERT_EQ(zeile.rfind(vorne, 0), 0u) << zeile;
    const std::string leitung = zeile.substr(vorne.size(), zeile.find('\n') - vorne.size());

    const Lauf gut = laufen(basis, {"--check"}, {"APPDATA=" + daten, "HESTREL_COM3=" + leitung});
    EXPECT_EQ(gut.code, 0) << gut.ausgabe;
    EXPECT_TRUE(enthaelt(gut.ausgabe, "OK      Alarmbox: Anschluss 3: antwortet")) << gut.ausgabe;
    EXPECT_TRUE(enthaelt(gut.ausgabe, "OK      Gruppe 1: " + g1)) << gut.ausgabe;
    EXPECT_TRUE(enthaelt(datei_lesen(basis / "sim.txt"), "Statusabfrage"));
    RecordProperty("pruefung_gesund_ms", std::to_string(gut.ms));

    const Lauf ohne = laufen(basis, {"--check"}, {"APPDATA=" + daten, "HESTREL_COM3=" + basis / "kein-tty"});
    EXPECT_EQ(ohne.code, 1) << ohne.ausgabe;
    EXPECT_TRUE(enthaelt(ohne.ausgabe, "FEHLER  Alarmbox: Anschluss 3: nicht geöffnet")) << ohne.ausgabe;
    EXPECT_LT(ohne.ms, 5000);
}

TEST(PruefungProzess, HaengendeFreigabeWirdInWenigenSekundenGemeldet)
{
    Stoerlaufwerk laufwerk;
    STOERLAUFWERK_BEREIT(laufwerk);
    TempVerzeichnis basis;
    std::filesystem::create_directories(laufwerk.unterlage() + "/g2");
    const std::string g1 = basis.unterverzeichnis("gruppen/g1");
    const std::string g2 = laufwerk.einhaengepunkt() + "/g2/";
    const std::string daten = daten_anlegen(basis, {g1, g2}, false);
    ASSERT_TRUE(laufwerk.haengen("alle", "/g2"));

    const Lauf l = laufen(basis, {"--check"}, {"APPDATA=" + daten}, 20s);
    RecordProperty("pruefung_haengend_ms", std::to_string(l.ms));
    EXPECT_EQ(l.code, 1) << l.ausgabe;
    EXPECT_TRUE(enthaelt(l.ausgabe, "OK      Gruppe 1: ")) << l.ausgabe;
    EXPECT_TRUE(enthaelt(l.ausgabe, "FEHLER  Gruppe 2: " + g2 + ": antwortet nicht innerhalb von 3 s"))
        << l.ausgabe;
    EXPECT_LT(l.ms, 6000) << "the check hung with its share";
    laufwerk.freigeben();
}

} // namespace
} // namespace hestrel::test
