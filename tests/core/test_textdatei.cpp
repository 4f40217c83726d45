#include <gtest/gtest.h>

#include "core/cp1252.h"
#include "core/textdatei.h"
#include "core/zahlen.h"

using namespace hestrel;

TEST(Zeichensatz, WandeltDieGemeinsamenZeichenInBeideRichtungen)
{
    const struct {
        const char* utf8;
        const char* cp1252;
    } faelle[] = {
        {"Alarm auslösen", "Alarm ausl\xF6sen"},
        {"ÄÖÜäöüß", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF"},
        {"€ – „x“", "\x80 \x96 \x84x\x93"},
        {"schließen", "schlie\xDF"
                      "en"},
        {"", ""},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(utf8_zu_cp1252(f.utf8), f.cp1252) << f.utf8;
        EXPECT_EQ(cp1252_zu_utf8(f.cp1252), f.utf8) << f.utf8;
    }
}

TEST(Zeichensatz, UnbekanntesWirdZuFragezeichenStattZuVerschwinden)
{
    EXPECT_EQ(utf8_zu_cp1252("a\xE2\x98\x83"
                             "b"),
              "a?b"); // snowman
    EXPECT_EQ(utf8_zu_cp1252("a\xFF"
                             "b"),
              "a?b");                         // broken UTF-8
    EXPECT_EQ(utf8_zu_cp1252("a\xC3"), "a?"); // cut sequence
    EXPECT_EQ(utf8_zu_cp1252("a\xEF\xBF\xBD"
                             "b"),
              "a?b"); // U+FFFD itself
}

TEST(Textzeilen, TrenntBeiCrLfCrUndLf)
{
    EXPECT_EQ(zeilen_zerlegen("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(zeilen_zerlegen("a\rb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(zeilen_zerlegen("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(zeilen_zerlegen(""), std::vector<std::string>{});
    EXPECT_EQ(zeilen_kodieren({"ä", ""}), "\xE4\r\n\r\n");
}

TEST(Werte, UeberlebenSchreibenUndLesen)
{
    const char* werte[] = {
        "",
        "einfach",
        "mit, Komma",
        "mit \"Anführung\"",
        " führende Blanks",
        "\"",
        "a,\"b\",c",
        "nachgestellt  ",
        "\\\\server\\alarm\\gruppe1\\",
        "   ",
        "/mnt/alarm/gruppe 1/",
    };
    for (const char* w : werte) {
        EXPECT_EQ(wert_lesen(wert_schreiben(w)), w) << '[' << w << ']';
    }
}

TEST(Werte, DateienAndererArbeitsplaetzeLesenSichWieBisher)
{
    // Old files never quote: the whole line is the value, leading blanks skipped.
    EXPECT_EQ(wert_lesen("C:\\Import\\"), "C:\\Import\\");
    EXPECT_EQ(wert_lesen(" 250"), "250");
    EXPECT_EQ(wert_lesen(" 0 "), "0 ");
    // A comma no longer splits the line.
    EXPECT_EQ(wert_lesen("\\\\srv\\a,b\\"), "\\\\srv\\a,b\\");
    // Plain values are written exactly as held, so the bytes stay the same.
    EXPECT_EQ(wert_schreiben("Kestu_10"), "Kestu_10");
    EXPECT_EQ(wert_schreiben("a\r\nb"), "a  b");
}

TEST(Zahlen, ZahlenwertNimmtDenZahlenanfang)
{
    EXPECT_EQ(zahlenwert("0abc"), 0.0);
    EXPECT_EQ(zahlenwert(" 250"), 250.0);
    EXPECT_EQ(zahlenwert("-5x"), -5.0);
    EXPECT_EQ(zahlenwert("0.5"), 0.5);
    EXPECT_EQ(zahlenwert(""), 0.0);
    EXPECT_EQ(zahlenwert("abc"), 0.0);
    EXPECT_EQ(zahlenwert("1e3"), 1000.0);
}

TEST(Zahlen, GanzzahlRundetHalbeZumGeradenNachbarnUndKenntDieGrenzen)
{
    const struct {
        double ein;
        int aus;
    } faelle[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {32767.4, 32767}, {-32768, -32768}};
    for (const auto& f : faelle) {
        auto r = ganzzahl16(f.ein);
        ASSERT_TRUE(std::holds_alternative<std::int16_t>(r)) << f.ein;
        EXPECT_EQ(std::get<std::int16_t>(r), f.aus) << f.ein;
    }
    EXPECT_EQ(std::get<Fehler>(ganzzahl16(32767.5)).nummer, 6);
    EXPECT_EQ(std::get<Fehler>(ganzzahl16(-40000)).nummer, 6);
}

TEST(Zahlen, StrengeUmwandlungUnterscheidetTypUndUeberlauf)
{
    EXPECT_EQ(std::get<std::int16_t>(text_zu_ganzzahl16(" 1 ")), 1);
    EXPECT_EQ(std::get<std::int16_t>(text_zu_ganzzahl16("0 ")), 0);
    EXPECT_EQ(std::get<Fehler>(text_zu_ganzzahl16("")).nummer, 13);
    EXPECT_EQ(std::get<Fehler>(text_zu_ganzzahl16("1a")).nummer, 13);
    EXPECT_EQ(std::get<Fehler>(text_zu_ganzzahl16("99999")).nummer, 6);
    EXPECT_EQ(vorzeichenform(250), " 250");
    EXPECT_EQ(vorzeichenform(-3), "-3");
    EXPECT_EQ(vorzeichenform(0), " 0");
}
