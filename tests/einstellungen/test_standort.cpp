// The site's defaults: a data directory without "Hestrel.DAT" and
// "Alarmdaten.DAT" starts from the copies in the system configuration
// directories; saves write the user's files, never the site's.
#include <gtest/gtest.h>

#include <map>

#include "core/datenverzeichnis.h"
#include "support/echtprogramm.h"
#include "support/station.h"

namespace hestrel::test {
namespace {

TEST(Standortverzeichnisse, ReihenfolgeNachXdgDannEtcHestrel)
{
    struct Fall {
        const char* xdg; // nullptr: unset
        std::vector<std::string> erwartet;
    };
    const std::vector<Fall> faelle = {
        {nullptr, {"/etc/xdg/hestrel", "/etc/hestrel"}},
        {"", {"/etc/xdg/hestrel", "/etc/hestrel"}},
        {"/opt/site/:/etc/xdg", {"/opt/site/hestrel", "/etc/xdg/hestrel", "/etc/hestrel"}},
        // Relative and empty entries are no directories of the rules.
        {"conf::/a", {"/a/hestrel", "/etc/hestrel"}},
        {"relativ", {"/etc/hestrel"}},
    };
    for (const auto& f : faelle) {
        std::map<std::string, std::string> env;
        if (f.xdg) {
            env["XDG_CONFIG_DIRS"] = f.xdg;
        }
        auto holen = [&](const char* n) -> const char* {
            auto it = env.find(n);
            return it == env.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(standortverzeichnisse_ermitteln(holen), f.erwartet) << (f.xdg ? f.xdg : "(unset)");
    }
}

// A workstation on the virtual clock whose site directories are two temp directories.
struct Standortplatz {
    TempVerzeichnis basis;
    std::string daten = basis.unterverzeichnis("daten");
    std::string erster = basis.unterverzeichnis("xdg1/hestrel");
    std::string zweiter = basis.unterverzeichnis("etc/hestrel");
    std::string g1 = basis.unterverzeichnis("gruppen/g1");
    std::string g2 = basis.unterverzeichnis("gruppen/g2");
    VirtualScheduler uhr;
    FakeMeldungsdienst boxen;
    FakePort port;
    EchtesDateisystem fs;
    std::unique_ptr<Testarbeitsplatz> ap;

    void starten()
    {
        // As the program passes them: without trailing separators.
        auto ohne = [](const std::string& p) { return p.substr(0, p.size() - 1); };
        ap = std::make_unique<Testarbeitsplatz>(
            Dienste{fs, uhr, uhr, boxen, port, nullptr, nullptr, nullptr, {ohne(erster), ohne(zweiter)}});
        ap->starten(ohne(daten));
    }
    std::vector<std::string> hinweise() const
    {
        std::vector<std::string> t;
        for (const auto& b : boxen.hinweise) {
            t.push_back(b.text);
        }
        return t;
    }
};

TEST(Standortvorgaben, StartMitDenGruppenDesStandortsErsterFundGiltSpeichernSchreibtNurDenPlatz)
{
    Standortplatz s;
    const std::string vorgabe = echt::einstellungen({s.g1, s.g2});
    // Only the second directory has the settings; the first has the group data.
    datei_schreiben(s.zweiter + "Hestrel.DAT", vorgabe);
    datei_schreiben(s.zweiter + "Alarmdaten.DAT", "falsch\r\n");
    const std::string alarmdaten = datei_lesen(std::string(HESTREL_TESTDATA) + "/Alarmdaten.DAT");
    datei_schreiben(s.erster + "Alarmdaten.DAT", alarmdaten);
    s.starten();

    EXPECT_TRUE(s.boxen.hinweise.empty());
    EXPECT_FALSE(s.ap->einstellungen().maske().sichtbar) << "the settings window opened for setting up";
    EXPECT_EQ(s.ap->einstellungen().einstellungen().gruppenpfad[0], s.g1);
    EXPECT_EQ(s.ap->einstellungen().einstellungen().gruppenpfad[1], s.g2);
    EXPECT_EQ(s.ap->einstellungen().geladen_aus(), s.zweiter + "Hestrel.DAT");
    EXPECT_EQ(s.ap->meldeliste().sammeltexte()[0], "Feueralarm im Lager");
    EXPECT_FALSE(existiert(s.daten + "Hestrel.DAT"));
    EXPECT_FALSE(existiert(s.daten + "Alarmdaten.DAT"));

    // "Einstellung" of the tray menu, then "Setup beenden".
    s.ap->einstellungen().einstellungen_zeigen();
    s.ap->einstellungen().speichern();
    s.uhr.advance(10);
    s.ap->meldeliste().alarmdaten_speichern_geklickt();
    ASSERT_TRUE(existiert(s.daten + "Hestrel.DAT"));
    EXPECT_EQ(zeilen(datei_lesen(s.daten + "Hestrel.DAT"))[11], s.g1);
    EXPECT_EQ(datei_lesen(s.daten + "Alarmdaten.DAT"), alarmdaten);
    EXPECT_EQ(datei_lesen(s.zweiter + "Hestrel.DAT"), vorgabe);
    EXPECT_EQ(datei_lesen(s.erster + "Alarmdaten.DAT"), alarmdaten);

    // From now on the user's own file counts, whatever the site's says.
    datei_schreiben(s.zweiter + "Hestrel.DAT", echt::einstellungen({s.g2}));
    s.starten();
    EXPECT_EQ(s.ap->einstellungen().einstellungen().gruppenpfad[0], s.g1);
    EXPECT_EQ(s.ap->einstellungen().geladen_aus(), s.daten + "Hestrel.DAT");
}

TEST(Standortvorgaben, KaputteVorgabeGibtDieMeldungenEinerKaputtenEigenenDateiUndBleibtUnveraendert)
{
    auto mit = [](std::vector<std::string> z, std::size_t zeile, const std::string& wert) {
        z[zeile - 1] = wert;
        return z;
    };
    const auto gut = echt::einstellungszeilen({"/"});
    const std::vector<std::pair<const char*, std::string>> faelle = {
        {"nur 25 Zeilen", echt::zeilen_cr_lf(std::vector<std::string>(gut.begin(), gut.begin() + 25))},
        {"Vollbild 7", echt::zeilen_cr_lf(mit(gut, 67, " 7 "))},
        {"Tastenverzögerung kein Wert", echt::zeilen_cr_lf(mit(gut, 10, "99999"))},
        {"ID 5", echt::zeilen_cr_lf(mit(gut, 4, "5"))},
    };
    for (const auto& [name, bytes] : faelle) {
        Standortplatz eigen;
        datei_schreiben(eigen.daten + "Hestrel.DAT", bytes);
        eigen.starten();

        Standortplatz standort;
        datei_schreiben(standort.erster + "Hestrel.DAT", bytes);
        standort.starten();

        EXPECT_TRUE(!eigen.hinweise().empty() || !eigen.ap->einstellungen().maske().id_warnung.empty())
            << name;
        EXPECT_EQ(standort.hinweise(), eigen.hinweise()) << name;
        EXPECT_TRUE(standort.ap->einstellungen().maske().sichtbar) << name;
        EXPECT_EQ(standort.ap->einstellungen().maske().id_warnung,
                  eigen.ap->einstellungen().maske().id_warnung)
            << name;
        // A save from the window writes the user's file only.
        standort.ap->einstellungen().maske().idnummer = "0";
        standort.ap->einstellungen().speichern();
        standort.uhr.advance(10);
        EXPECT_EQ(datei_lesen(standort.erster + "Hestrel.DAT"), bytes) << name;
        EXPECT_FALSE(existiert(standort.zweiter + "Hestrel.DAT")) << name;
    }
}

} // namespace
} // namespace hestrel::test
