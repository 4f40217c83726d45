#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <tuple>

#include "console/alarmdatei.h"
#include "console/meldeliste.h"
#include "core/cp1252.h"
#include "support/station.h"

using namespace hestrel;
using namespace hestrel::test;

// What is saved is what comes back: characters the files cannot hold are
// refused, bytes other programs put there survive, links and modes stay.

namespace {

std::string golden(const std::string& name)
{
    return datei_lesen(std::string(HESTREL_TESTDATA) + "/" + name);
}

std::string ersetze(std::string text, const std::string& alt, const std::string& neu)
{
    for (auto pos = text.find(alt); pos != std::string::npos; pos = text.find(alt, pos + neu.size())) {
        text.replace(pos, alt.size(), neu);
    }
    return text;
}

// The golden settings file with its group directories made under basis.
struct Gespeichert : Station {
    TempVerzeichnis basis;
    std::string bytes;

    explicit Gespeichert(const std::string& vorlage = golden("Hestrel.DAT"))
    {
        for (const char* g : {"gruppe1", "gruppe3", "gruppe12", "gruppe50", "import"}) {
            basis.unterverzeichnis(g);
        }
        bytes = ersetze(vorlage, "@BASIS@", basis.pfad());
        datei_schreiben(dir / "Hestrel.DAT", bytes);
        starten();
        h.einstellungen_zeigen();
        // Kept in the summary line only, so not read back.
        h.maske().tastentext2 = "Taste 2";
    }
};

mode_t modus(const std::string& pfad)
{
    struct stat st {};
    EXPECT_EQ(::stat(pfad.c_str(), &st), 0) << pfad;
    return st.st_mode & 07777;
}

} // namespace

TEST(Zeichensatz, JederBytewertKommtZurueckUndNichtDarstellbaresWirdGenannt)
{
    std::string alle;
    for (int b = 1; b < 256; ++b) {
        alle += static_cast<char>(b);
    }
    EXPECT_EQ(utf8_zu_cp1252(cp1252_zu_utf8(alle)), alle);
    // The five bytes the code page leaves undefined read as the C1 controls of their value.
    EXPECT_EQ(cp1252_zu_utf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");

    const std::pair<const char*, const char*> faelle[] = {
        {"Łódź", "Łź"}, // ó is in the code page, Ł and ź are not
        {"€ „Küche“ – Straße \u0081", ""},
        {"\u0080 \u0085", "\u0080\u0085"}, // other C1 controls have no byte of their own
        {"☃ und ☃ und Ł", "☃Ł"},           // each character once
        {"a\xFF"
         "b",
         "\uFFFD"}, // broken UTF-8
    };
    for (const auto& [text, fehlt] : faelle) {
        EXPECT_EQ(nicht_darstellbar(text), fehlt) << text;
        // Whatever is not named survives the file unchanged.
        EXPECT_EQ(cp1252_zu_utf8(utf8_zu_cp1252(text)) == text, *fehlt == 0) << text;
    }
}

TEST(Fremdbytes, AlarmdatenKommenByteFuerByteZurueck)
{
    const std::string vorlage = golden("Alarmdaten-Fremdbytes.DAT");
    Station s;
    datei_schreiben(s.dir / "Alarmdaten.DAT", vorlage);
    s.starten();
    Meldeliste& ml = s.ap.meldeliste();
    EXPECT_EQ(ml.maske().alarmtexte[1], "\u008D\u008F, \u0090\u009D");
    EXPECT_EQ(ml.maske().alarmtexte[2], "Überfall");
    std::filesystem::remove(s.dir / "Alarmdaten.DAT");
    ml.alarmdaten_speichern_geklickt();
    EXPECT_TRUE(s.boxen.hinweise.empty()) << s.boxen.hinweise.front().text;
    EXPECT_EQ(s.datei("Alarmdaten.DAT"), vorlage);
}

TEST(Fremdbytes, EinstellungenUndExportKommenByteFuerByteZurueck)
{
    // The key text and the four reserved lines hold every undefined byte.
    auto vorlage = ersetze(golden("Hestrel.DAT"),
                           "\xDC"
                           "berfall",
                           "\x81\x8D\x8F\x90\x9D");
    auto z = zeilen(vorlage);
    z[21] = "\x81";
    z[24] = "vorbehalten \x9D\x90";
    vorlage.clear();
    for (const auto& l : z) {
        vorlage += l + "\r\n";
    }
    Gespeichert s(vorlage);
    std::filesystem::remove(s.dir / "Hestrel.DAT");
    s.speichern();
    EXPECT_FALSE(s.h.maske().sichtbar) << s.h.maske().meldungtxt;
    EXPECT_EQ(s.datei("Hestrel.DAT"), s.bytes);
    EXPECT_EQ(datei_lesen(s.basis / "import/MDAT0.XQV"), "\x81\x8D\x8F\x90\x9D, Kasse 2\r\n");
}

TEST(Unkodierbar, EinstellungenWerdenNichtGespeichertUndNichtUebernommen)
{
    const std::string zeichen = "Zeichen, die die Datei nicht aufnehmen kann, in ";
    const struct {
        const char* feld;
        std::string Einstellungsmaske::*box;
        int gruppe; // index of the path box, -1: a text box
        std::string meldung;
    } faelle[] = {
        {"Gruppe 3", nullptr, 2, "Achtung, bitte Pfad  2 prüfen !!"},
        {"Gruppe 12", nullptr, 11, "Achtung, bitte Pfad  11 prüfen !!"},
        {"Signaldatei", &Einstellungsmaske::signaldatei, -1, zeichen + "Signaldatei: Łź"},
        {"Importverzeichnis", &Einstellungsmaske::importverzeichnis, -1, zeichen + "Importverzeichnis: Łź"},
        {"Taste 1", &Einstellungsmaske::tastentext1, -1, zeichen + "Text der Taste 1: Łź"},
        {"Taste 2", &Einstellungsmaske::tastentext2, -1, zeichen + "Text der Taste 2: Łź"},
    };
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.feld);
        Gespeichert s;
        const Einstellungen vorher = s.h.einstellungen();
        // The directory exists: only its name cannot be kept in the file.
        const std::string lodz = s.basis.unterverzeichnis("Łódź");
        if (f.gruppe >= 0) {
            s.h.maske().pfade[static_cast<std::size_t>(f.gruppe)] = lodz;
        } else {
            s.h.maske().*f.box = "Łódź";
        }
        s.h.maske().tastentext1.insert(0, "neu ");
        s.speichern();
        EXPECT_EQ(s.h.maske().meldungtxt, f.meldung);
        EXPECT_TRUE(s.h.maske().sichtbar);
        EXPECT_EQ(s.datei("Hestrel.DAT"), s.bytes);
        EXPECT_EQ(datei_lesen(s.basis / "import/MDAT0.XQV"), "\xDC"
                                                             "berfall, Kasse 2\r\n");
        const Einstellungen& jetzt = s.h.einstellungen();
        EXPECT_EQ(jetzt.gruppenpfad, vorher.gruppenpfad);
        EXPECT_EQ(
            std::tie(jetzt.signaldatei, jetzt.importverzeichnis, jetzt.tastentext1, jetzt.tastentext2),
            std::tie(vorher.signaldatei, vorher.importverzeichnis, vorher.tastentext1, vorher.tastentext2));
    }
}

TEST(Unkodierbar, AlarmdatenWerdenNichtGespeichert)
{
    const std::string zeichen =
        "Alarmdaten nicht gespeichert: Zeichen, die die Datei nicht aufnehmen kann, in ";
    const struct {
        int text;   // 1..4, or 0
        int gruppe; // 1..50, or 0
        std::string meldung;
    } faelle[] = {
        {2, 0, zeichen + "Alarmtext Zeile 2: Łź"},
        {0, 7, zeichen + "Name der Gruppe 7: Łź"},
        {0, 50, zeichen + "Name der Gruppe 50: Łź"},
    };
    for (const auto& f : faelle) {
        Station s;
        const std::string vorlage = golden("Alarmdaten.DAT");
        datei_schreiben(s.dir / "Alarmdaten.DAT", vorlage);
        s.starten();
        Meldeliste& ml = s.ap.meldeliste();
        if (f.text > 0) {
            ml.alarmtext_geaendert(f.text, "Łódź");
        } else {
            ml.gruppe_benennen(f.gruppe - 1, "Łódź");
        }
        ml.alarmdaten_speichern_geklickt();
        EXPECT_EQ(s.hinweistexte(), std::vector<std::string>{f.meldung});
        EXPECT_EQ(s.datei("Alarmdaten.DAT"), vorlage);
    }
}

TEST(Speichern, FolgtVerknuepfungenUndBehaeltDenModus)
{
    const struct {
        const char* art;
        const char* link; // where the name in the data directory points; "": it is the file
        bool ziel_da;
        mode_t modus; // 0: as created
    } faelle[] = {
        {"Datei", "", true, 0},
        {"Datei 0600", "", true, 0600},
        {"Datei 0640", "", true, 0640},
        {"relativer Link", "ablage/NAME", true, 0640},
        {"absoluter Link", "ZIEL", true, 0600},
        {"Link auf Link", "ablage/zwischen", true, 0640},
        {"Link ins Leere", "ZIEL", false, 0},
    };
    for (const std::string name : {"Hestrel.DAT", "Alarmdaten.DAT"}) {
        for (const auto& f : faelle) {
            SCOPED_TRACE(name + ", " + f.art);
            Gespeichert s;
            const std::string pfad = s.dir / name;
            // The file another tool keeps elsewhere, and the name in the data directory.
            const std::string ziel = s.dir.unterverzeichnis("ablage") + name;
            const std::string link = ersetze(ersetze(f.link, "NAME", name), "ZIEL", ziel);
            const std::string echt = link.empty() ? pfad : ziel;
            std::filesystem::remove(pfad);
            std::filesystem::create_symlink(ziel, s.dir / "ablage/zwischen");
            if (!link.empty()) {
                std::filesystem::create_symlink(link, pfad);
            }
            if (f.ziel_da) {
                datei_schreiben(echt, "alt\r\n");
            }
            if (f.modus != 0) {
                ASSERT_EQ(::chmod(echt.c_str(), f.modus), 0);
            }
            const mode_t vorher = f.ziel_da ? modus(echt) : 0;

            if (name == "Hestrel.DAT") {
                s.speichern();
            } else {
                s.ap.meldeliste().alarmdaten_speichern_geklickt();
            }

            EXPECT_TRUE(s.boxen.hinweise.empty()) << s.boxen.hinweise.front().text;
            const std::string erwartet =
                name == "Hestrel.DAT" ? s.bytes : alarmdaten_bytes(s.ap.meldeliste().maske());
            EXPECT_EQ(datei_lesen(echt), erwartet);
            EXPECT_EQ(std::filesystem::is_symlink(pfad), !link.empty());
            if (f.ziel_da) {
                EXPECT_EQ(modus(echt), vorher);
            }
            for (const auto& e : std::filesystem::recursive_directory_iterator(s.dir.pfad())) {
                EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
            }
        }
    }
}
