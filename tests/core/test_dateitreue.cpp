#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "console/alarmdatei.h"
#include "console/meldeliste.h"
#include "core/cp1252.h"
#include "station.h"

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
        h.maske().text1_2 = "Taste 2";
    }
};

mode_t modus(const std::string& pfad)
{
    struct stat st {};
    EXPECT_EQ(::stat(pfad.c_str(), &st), 0) << pfad;
    return st.st_mode & 07777;
}

}  // namespace

TEST(Zeichensatz, JederBytewertKommtUnveraendertZurueck)
{
    std::string alle;
    for (int b = 1; b < 256; ++b) {
        alle += static_cast<char>(b);
    }
    EXPECT_EQ(utf8_zu_cp1252(cp1252_zu_utf8(alle)), alle);
    EXPECT_EQ(nicht_darstellbar(cp1252_zu_utf8(alle)), "");
    // The five bytes the code page leaves undefined read as the C1 controls of their value.
    EXPECT_EQ(cp1252_zu_utf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Zeichensatz, NenntWasDieDateiNichtAufnehmenKann)
{
    const struct {
        const char* text;
        const char* fehlt;
    } faelle[] = {
        {"Łódź", "Łź"},                       // ó is in the code page, Ł and ź are not
        {"/srv/gruppe 1/", ""},
        {"€ „Küche“ – Straße", ""},
        {"\u0081", ""},                       // read from a file, written back as it was
        {"\u0080 \u0085", "\u0080\u0085"},    // other C1 controls have no byte of their own
        {"☃ und ☃ und Ł", "☃Ł"},              // each character once
        {"a\xFF" "b", "\uFFFD"},              // broken UTF-8
        {"日本", "日本"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(nicht_darstellbar(f.text), f.fehlt) << f.text;
        // Whatever is not named here survives the file unchanged.
        if (std::string(f.fehlt).empty()) {
            EXPECT_EQ(cp1252_zu_utf8(utf8_zu_cp1252(f.text)), f.text) << f.text;
        }
    }
}

TEST(Fremdbytes, AlarmdatenKommenByteFuerByteZurueck)
{
    const std::string vorlage = golden("Alarmdaten-Fremdbytes.DAT");
    Station s;
    datei_schreiben(s.dir / "Alarmdaten.DAT", vorlage);
    s.starten();
    Meldeliste& ml = s.ap.meldeliste();
    EXPECT_EQ(ml.maske().sntext[1], "\u008D\u008F, \u0090\u009D");
    EXPECT_EQ(ml.maske().sntext[2], "Überfall");
    std::filesystem::remove(s.dir / "Alarmdaten.DAT");
    ml.speicher_alarmdaten_Click();
    EXPECT_TRUE(s.boxen.hinweise.empty()) << s.boxen.hinweise.front().text;
    EXPECT_EQ(s.datei("Alarmdaten.DAT"), vorlage);
}

TEST(Fremdbytes, EinstellungenUndExportKommenByteFuerByteZurueck)
{
    // The key text and the four reserved lines hold every undefined byte.
    auto vorlage = ersetze(golden("Hestrel.DAT"), "\xDC" "berfall", "\x81\x8D\x8F\x90\x9D");
    auto z = zeilen(vorlage);
    z[21] = "\x81";
    z[24] = "vorbehalten \x9D\x90";
    vorlage.clear();
    for (const auto& l : z) {
        vorlage += l + "\r\n";
    }
    Gespeichert s(vorlage);
    std::filesystem::remove(s.dir / "Hestrel.DAT");
    s.h.Speichern_Click();
    EXPECT_FALSE(s.h.maske().sichtbar) << s.h.maske().meldungtxt;
    EXPECT_EQ(s.datei("Hestrel.DAT"), s.bytes);
    EXPECT_EQ(datei_lesen(s.basis / "import/MDAT0.XQV"), "\x81\x8D\x8F\x90\x9D, Kasse 2\r\n");
}

TEST(Unkodierbar, EinstellungenWerdenNichtGespeichertUndNichtUebernommen)
{
    const struct {
        const char* feld;
        std::string Einstellungsmaske::*box;
        int gruppe;  // index of the path box, -1: a text box
        const char* meldung;
    } faelle[] = {
        {"Gruppe 3", nullptr, 2, "Achtung, bitte Pfad  2 prüfen !!"},
        {"Gruppe 12", nullptr, 11, "Achtung, bitte Pfad  11 prüfen !!"},
        {"Signaldatei", &Einstellungsmaske::text4, -1,
         "Zeichen, die die Datei nicht aufnehmen kann, in Signaldatei: Łź"},
        {"Importverzeichnis", &Einstellungsmaske::text3, -1,
         "Zeichen, die die Datei nicht aufnehmen kann, in Importverzeichnis: Łź"},
        {"Taste 1", &Einstellungsmaske::text1_1, -1,
         "Zeichen, die die Datei nicht aufnehmen kann, in Text der Taste 1: Łź"},
        {"Taste 2", &Einstellungsmaske::text1_2, -1,
         "Zeichen, die die Datei nicht aufnehmen kann, in Text der Taste 2: Łź"},
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
        s.h.maske().text1_1.insert(0, "neu ");
        s.h.Speichern_Click();
        EXPECT_EQ(s.h.maske().meldungtxt, f.meldung);
        EXPECT_TRUE(s.h.maske().sichtbar);
        EXPECT_EQ(s.datei("Hestrel.DAT"), s.bytes);
        EXPECT_EQ(datei_lesen(s.basis / "import/MDAT0.XQV"), "\xDC" "berfall, Kasse 2\r\n");
        const Einstellungen& jetzt = s.h.einstellungen();
        EXPECT_EQ(jetzt.gruppenpfad, vorher.gruppenpfad);
        EXPECT_EQ(jetzt.signaldatei, vorher.signaldatei);
        EXPECT_EQ(jetzt.importverzeichnis, vorher.importverzeichnis);
        EXPECT_EQ(jetzt.tastentext1, vorher.tastentext1);
        EXPECT_EQ(jetzt.tastentext2, vorher.tastentext2);
    }
}

TEST(Unkodierbar, AlarmdatenWerdenNichtGespeichert)
{
    const struct {
        int text;    // 1..4, or 0
        int gruppe;  // 1..50, or 0
        const char* meldung;
    } faelle[] = {
        {2, 0, "Alarmdaten nicht gespeichert: Zeichen, die die Datei nicht aufnehmen kann, in Alarmtext Zeile 2: Łź"},
        {0, 7, "Alarmdaten nicht gespeichert: Zeichen, die die Datei nicht aufnehmen kann, in Name der Gruppe 7: Łź"},
        {0, 50, "Alarmdaten nicht gespeichert: Zeichen, die die Datei nicht aufnehmen kann, in Name der Gruppe 50: Łź"},
    };
    for (const auto& f : faelle) {
        Station s;
        const std::string vorlage = golden("Alarmdaten.DAT");
        datei_schreiben(s.dir / "Alarmdaten.DAT", vorlage);
        s.starten();
        Meldeliste& ml = s.ap.meldeliste();
        if (f.text > 0) {
            ml.SNText_geaendert(f.text, "Łódź");
        } else {
            ml.gruppe_benennen(f.gruppe - 1, "Łódź");
        }
        ml.speicher_alarmdaten_Click();
        EXPECT_EQ(s.hinweistexte(), std::vector<std::string> {f.meldung});
        EXPECT_EQ(s.datei("Alarmdaten.DAT"), vorlage);
    }
}

TEST(Speichern, FolgtVerknuepfungenUndBehaeltDenModus)
{
    enum class Art { datei, relativ, absolut, kette, ins_leere };
    const struct {
        const char* name;
        Art art;
        mode_t modus;  // 0: as created
    } faelle[] = {
        {"Datei", Art::datei, 0},
        {"Datei 0600", Art::datei, 0600},
        {"Datei 0640", Art::datei, 0640},
        {"relativer Link", Art::relativ, 0640},
        {"absoluter Link", Art::absolut, 0600},
        {"Link auf Link", Art::kette, 0640},
        {"Link ins Leere", Art::ins_leere, 0},
    };
    for (const char* name : {"Hestrel.DAT", "Alarmdaten.DAT"}) {
        for (const auto& f : faelle) {
            SCOPED_TRACE(std::string(name) + ", " + f.name);
            Gespeichert s;
            const std::string pfad = s.dir / name;
            // The file another tool keeps elsewhere, and the name in the data directory.
            const std::string ablage = s.dir.unterverzeichnis("ablage");
            const std::string ziel = ablage + name;
            std::filesystem::remove(pfad);
            if (f.art != Art::ins_leere) {
                datei_schreiben(f.art == Art::datei ? pfad : ziel, "alt\r\n");
            }
            switch (f.art) {
            case Art::datei:
                break;
            case Art::relativ:
                std::filesystem::create_symlink(std::string("ablage/") + name, pfad);
                break;
            case Art::absolut:
            case Art::ins_leere:
                std::filesystem::create_symlink(ziel, pfad);
                break;
            case Art::kette:
                std::filesystem::create_symlink(ziel, ablage + "zwischen");
                std::filesystem::create_symlink("ablage/zwischen", pfad);
                break;
            }
            const std::string echt = f.art == Art::datei ? pfad : ziel;
            if (f.modus != 0) {
                ASSERT_EQ(::chmod(echt.c_str(), f.modus), 0);
            }
            const mode_t vorher = f.art == Art::ins_leere ? 0 : modus(echt);

            if (std::string(name) == "Hestrel.DAT") {
                s.h.Speichern_Click();
            } else {
                s.ap.meldeliste().speicher_alarmdaten_Click();
            }

            EXPECT_TRUE(s.boxen.hinweise.empty()) << s.boxen.hinweise.front().text;
            const std::string erwartet =
                std::string(name) == "Hestrel.DAT" ? s.bytes : alarmdaten_bytes(s.ap.meldeliste().maske());
            EXPECT_EQ(datei_lesen(echt), erwartet);
            EXPECT_EQ(datei_lesen(pfad), erwartet);
            EXPECT_EQ(std::filesystem::is_symlink(pfad), f.art != Art::datei);
            if (f.art != Art::ins_leere) {
                EXPECT_EQ(modus(echt), vorher);
            }
            for (const auto& e : std::filesystem::recursive_directory_iterator(s.dir.pfad())) {
                EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
            }
        }
    }
}
