#include <gtest/gtest.h>

#include "console/alarmdatei.h"
#include "support/testumgebung.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

Meldelistenmaske beispiel()
{
    Meldelistenmaske m = Meldelistenmaske::neu();
    m.alarmtexte = {"Feueralarm im Lager", "Bitte sofort kommen, Halle 3", "Rückruf: \"Zentrale\"", ""};
    m.melde_gruppen[0] = 1;
    m.melde_gruppen[1] = 1;
    m.melde_gruppen[4] = 2;
    m.melde_gruppen[11] = 1;
    m.gruppennamen[2] = "Empfang";
    m.gruppennamen[10] = "  Küche";
    m.gruppennamen[49] = "";
    return m;
}

std::vector<Fehler> einlesen(const std::string& bytes, Meldelistenmaske& m)
{
    std::vector<Fehler> gemeldet;
    alarmdaten_einlesen(bytes, m, [&](const Fehler& f) { gemeldet.push_back(f); });
    return gemeldet;
}

void gleicher_inhalt(const Meldelistenmaske& a, const Meldelistenmaske& b)
{
    EXPECT_EQ(a.alarmtexte, b.alarmtexte);
    EXPECT_EQ(a.melde_gruppen, b.melde_gruppen);
    EXPECT_EQ(a.gruppennamen, b.gruppennamen);
}

} // namespace

TEST(Alarmdatei, GespeicherteBytesGleichenDerVorlage)
{
    const std::string vorlage = datei_lesen(std::string(HESTREL_TESTDATA) + "/Alarmdaten.DAT");
    ASSERT_EQ(zeilen(vorlage).size(), 104u);
    EXPECT_EQ(alarmdaten_bytes(beispiel()), vorlage);

    Meldelistenmaske gelesen = Meldelistenmaske::neu();
    EXPECT_TRUE(einlesen(vorlage, gelesen).empty());
    gleicher_inhalt(gelesen, beispiel());
}

TEST(Alarmdatei, TexteMitKommaUndAnfuehrungszeichenKommenUnveraendertZurueck)
{
    const std::string texte[] = {
        "a,b",      "\"",       "\"\"",       "Er sagte \"Hilfe\", dann ging er",
        "  vorne",  "hinten  ", ",",          "\"angefangen",
        "Straße 5", "",         "Tab\tinnen", "ends with quote\"",
    };
    for (const std::string& t : texte) {
        Meldelistenmaske m = Meldelistenmaske::neu();
        m.alarmtexte = {t, "danach", t, "zuletzt"};
        m.gruppennamen[0] = t;
        m.gruppennamen[1] = "nachbar";
        m.melde_gruppen[0] = 1;
        Meldelistenmaske gelesen = Meldelistenmaske::neu();
        EXPECT_TRUE(einlesen(alarmdaten_bytes(m), gelesen).empty()) << t;
        gleicher_inhalt(gelesen, m);
    }
}

TEST(Alarmdatei, AlteDateiOhneAnfuehrungszeichen)
{
    // Written by a workstation that stored texts as they stand: a comma stays in its line.
    Meldelistenmaske m = Meldelistenmaske::neu();
    m.alarmtexte[0] = "Halle 3, Tor 2";
    std::string bytes = alarmdaten_bytes(m);
    const auto ende = bytes.find("\r\n");
    EXPECT_EQ(bytes.substr(0, ende), "\"Halle 3, Tor 2\"");
    bytes.replace(0, ende, "Halle 3, Tor 2");
    Meldelistenmaske gelesen = Meldelistenmaske::neu();
    EXPECT_TRUE(einlesen(bytes, gelesen).empty());
    gleicher_inhalt(gelesen, m);

    // Blanks before a text of such a file are skipped, as they always were.
    Meldelistenmaske blanks = Meldelistenmaske::neu();
    const std::string mit_blanks = "   eingerueckt\r\n" + alarmdaten_bytes(blanks).substr(2);
    einlesen(mit_blanks, blanks);
    EXPECT_EQ(blanks.alarmtexte[0], "eingerueckt");
}

TEST(Alarmdatei, KurzeDateiLaesstDieRestlichenFelderStehen)
{
    Meldelistenmaske voll = beispiel();
    const auto z = zeilen(alarmdaten_bytes(voll));
    // The file ends after the name of group 2 (line 16).
    std::string kurz;
    for (std::size_t i = 0; i < 16; ++i) {
        kurz += z[i] + "\r\n";
    }
    Meldelistenmaske m = Meldelistenmaske::neu();
    m.melde_gruppen[11] = 1;
    m.gruppennamen[2] = "bleibt";
    m.gruppennamen[40] = "auch";
    const auto gemeldet = einlesen(kurz, m);
    ASSERT_EQ(gemeldet.size(), 104u - 16u);
    for (const auto& f : gemeldet) {
        EXPECT_EQ(f.nummer, 62);
        EXPECT_EQ(f.beschreibung, "Einlesen hinter Dateiende");
    }
    EXPECT_EQ(m.alarmtexte, voll.alarmtexte);
    EXPECT_EQ(m.melde_gruppen[4], 2);
    EXPECT_EQ(m.gruppennamen[1], "Gruppe 2");
    EXPECT_EQ(m.gruppennamen[2], "bleibt");
    EXPECT_EQ(m.melde_gruppen[11], 1);
    EXPECT_EQ(m.gruppennamen[40], "auch");

    Meldelistenmaske leer = Meldelistenmaske::neu();
    EXPECT_EQ(einlesen("", leer).size(), 104u);
    gleicher_inhalt(leer, Meldelistenmaske::neu());
}

TEST(Alarmdatei, UnlesbareHakenBleibenUnveraendertUndWerdenGemeldet)
{
    const struct {
        const char* zeile;
        int erwartet; // -1: unchanged
        int fehler;   // 0: none
    } faelle[] = {
        {" 0 ", 0, 0}, {" 1 ", 1, 0},    {" 2 ", 2, 0},   {"1", 1, 0},      {"   1", 1, 0},  {"x", -1, 13},
        {"", -1, 13},  {" 3 ", -1, 380}, {"-1", -1, 380}, {"99999", -1, 6}, {"1 x", -1, 13}, {"\"1\"", 1, 0},
    };
    for (const auto& fall : faelle) {
        Meldelistenmaske m = Meldelistenmaske::neu();
        std::string bytes = alarmdaten_bytes(m);
        auto z = zeilen(bytes);
        z[4] = fall.zeile; // tick of group 1
        bytes.clear();
        for (const auto& zeile : z) {
            bytes += zeile + "\r\n";
        }
        m.melde_gruppen[0] = 1;
        const auto gemeldet = einlesen(bytes, m);
        if (fall.fehler == 0) {
            EXPECT_TRUE(gemeldet.empty()) << fall.zeile;
            EXPECT_EQ(m.melde_gruppen[0], fall.erwartet) << fall.zeile;
        } else {
            ASSERT_EQ(gemeldet.size(), 1u) << fall.zeile;
            EXPECT_EQ(gemeldet[0].nummer, fall.fehler) << fall.zeile;
            EXPECT_EQ(m.melde_gruppen[0], 1) << fall.zeile;
        }
        EXPECT_EQ(m.gruppennamen[0], "Gruppe 1") << "later values still read: " << fall.zeile;
    }
}
