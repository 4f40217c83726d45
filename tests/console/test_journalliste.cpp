#include <gtest/gtest.h>

#include <map>
#include <random>

#include "console/journalliste.h"
#include "core/cp1252.h"
#include "core/textdatei.h"

using namespace hestrel;

namespace {

// Files in memory; every write moves the file's time on, and the bytes
// handed out by reads are counted.
class SpeicherDateisystem : public Dateisystem {
  public:
    bool existiert(const std::string& pfad) override { return dateien.count(pfad) != 0; }
    Fehler lesen(const std::string& pfad, std::string& inhalt, std::size_t max_bytes) override
    {
        return lesen_ab(pfad, 0, inhalt, max_bytes);
    }
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt,
                    std::size_t max_bytes) override
    {
        inhalt.clear();
        if (gesperrt || !existiert(pfad)) {
            return {53, "Datei nicht gefunden"};
        }
        const std::string& d = dateien[pfad];
        if (ab < d.size()) {
            inhalt = d.substr(static_cast<std::size_t>(ab), max_bytes);
        }
        gelesen += inhalt.size();
        return {};
    }
    Fehler ersetzen(const std::string& pfad, const std::string& inhalt) override
    {
        dateien[pfad] = inhalt;
        zeiten[pfad] = ++uhr;
        return {};
    }
    Fehler anhaengen(const std::string& pfad, const std::string& inhalt) override
    {
        dateien[pfad] += inhalt;
        zeiten[pfad] = ++uhr;
        return {};
    }
    Fehler leeren(const std::string& pfad) override { return ersetzen(pfad, ""); }
    Fehler loeschen(const std::string& pfad) override
    {
        dateien.erase(pfad);
        return {};
    }
    std::optional<Dateiinfo> info(const std::string& pfad) override
    {
        if (!existiert(pfad)) {
            return std::nullopt;
        }
        return Dateiinfo{dateien[pfad].size(), zeiten[pfad]};
    }

    std::map<std::string, std::string> dateien;
    std::map<std::string, std::int64_t> zeiten;
    std::int64_t uhr = 0;
    std::size_t gelesen = 0;
    bool gesperrt = false;
};

const std::string k_pfad = "mameldung.log";

struct Liste {
    SpeicherDateisystem fs;
    Journalliste journal;
    std::vector<std::string> zeilen;
    Fehler fehler;

    Journalliste::Aenderung refresh() { return journal.aktualisieren(fs, k_pfad, zeilen, fehler); }
    std::vector<std::string> voll() { return zeilen_zerlegen(fs.dateien[k_pfad]); }
};

} // namespace

TEST(Journalliste, StueckweiseGewachseneDateiGleichtDemVollenLesen)
{
    // Pieces cut at every awkward place: inside a line, between CR and LF,
    // after a lone CR, lone LF, empty lines, Windows-1252 bytes.
    const std::string text =
        "08.12.2026 08:00:01 Alarm aus Gruppe 7 von:\rFeuer\r\n\r\nzweite\nLF-Zeile\r\rleer davor\r\n"
        "K\xFC"
        "che\r\nende ohne Umbruch";
    std::mt19937 zufall(4711);
    for (int durchlauf = 0; durchlauf < 300; ++durchlauf) {
        Liste l;
        l.fs.ersetzen(k_pfad, "");
        l.refresh();
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t n = std::min<std::size_t>(text.size() - pos, 1 + zufall() % 9);
            l.fs.anhaengen(k_pfad, text.substr(pos, n));
            pos += n;
            const auto a = l.refresh();
            EXPECT_NE(a, Journalliste::Aenderung::neu) << "a file that only grew is appended to";
            ASSERT_EQ(l.zeilen, l.voll()) << "after " << pos << " bytes, run " << durchlauf;
        }
    }
}

TEST(Journalliste, LiestNurWasNeuIstUndNichtsBeiStillstand)
{
    Liste l;
    std::string gross;
    for (int i = 0; i < 1000; ++i) {
        gross += "08.12.2026 08:00:00 Alarm aus Gruppe " + std::to_string(i % 50 + 1) + " von:\r\n";
    }
    l.fs.ersetzen(k_pfad, gross);
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::neu);
    EXPECT_EQ(l.zeilen.size(), 1000u);

    l.fs.gelesen = 0;
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::keine);
    EXPECT_EQ(l.fs.gelesen, 0u);

    l.fs.anhaengen(k_pfad, "neu\r\n");
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::angehaengt);
    EXPECT_LT(l.fs.gelesen, 200u);
    EXPECT_EQ(l.zeilen.back(), "neu");
    EXPECT_EQ(l.zeilen.size(), 1001u);
}

TEST(Journalliste, GeleertGeloeschtNeuGeschriebenOderGesperrt)
{
    Liste l;
    l.fs.ersetzen(k_pfad, "eins\r\nzwei\r\n");
    l.refresh();
    ASSERT_EQ(l.zeilen.size(), 2u);

    // Cleared.
    l.fs.leeren(k_pfad);
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::neu);
    EXPECT_TRUE(l.zeilen.empty());

    // Written anew, longer than before, with a different start: not taken as grown.
    l.fs.ersetzen(k_pfad, "alt\r\n");
    l.refresh();
    l.fs.ersetzen(k_pfad, "ganz anders\r\nund mehr\r\n");
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::neu);
    EXPECT_EQ(l.zeilen, l.voll());

    // Same size, new content.
    l.fs.ersetzen(k_pfad, "GANZ ANDERS\r\nUND MEHR\r\n");
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::neu);
    EXPECT_EQ(l.zeilen.front(), "GANZ ANDERS");

    // Unreadable: the rows stay, the error is told, the next refresh tries again.
    l.fs.anhaengen(k_pfad, "drei\r\n");
    l.fs.gesperrt = true;
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::keine);
    EXPECT_EQ(l.fehler.nummer, 53);
    EXPECT_EQ(l.zeilen.size(), 2u);
    l.fs.gesperrt = false;
    l.refresh();
    EXPECT_EQ(l.zeilen, l.voll());

    // Deleted: empty; created again: filled.
    l.fs.loeschen(k_pfad);
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::neu);
    EXPECT_TRUE(l.zeilen.empty());
    EXPECT_EQ(l.refresh(), Journalliste::Aenderung::keine);
    l.fs.anhaengen(k_pfad, "wieder da\r\n");
    l.refresh();
    EXPECT_EQ(l.zeilen, std::vector<std::string>{"wieder da"});
}

namespace {

// The rows of a whole file with the offset each begins at.
std::vector<std::pair<std::size_t, std::string>> zeilen_mit_anfang(const std::string& bytes)
{
    std::vector<std::pair<std::size_t, std::string>> z;
    std::size_t anfang = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            z.emplace_back(anfang, bytes.substr(anfang, i - anfang));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            anfang = i + 1;
        }
    }
    if (anfang < bytes.size()) {
        z.emplace_back(anfang, bytes.substr(anfang));
    }
    return z;
}

std::string zufallsstueck(std::mt19937& zufall)
{
    static const char* stuecke[] = {
        "Alarm", "\r\n", "\r", "\n", "xy", "\r\n\r\n", "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"};
    return stuecke[zufall() % std::size(stuecke)];
}

} // namespace

TEST(Journalliste, LiestNurDasEndeUndBehaeltDieNeuestenZeilen)
{
    // Small bounds stand for the program's MiB and 10,000 rows.
    std::mt19937 zufall(815);
    for (int durchlauf = 0; durchlauf < 400; ++durchlauf) {
        const std::size_t max_lesen = 8 + zufall() % 200;
        const std::size_t max_zeilen = 1 + zufall() % 30;
        SpeicherDateisystem fs;
        Journalliste journal(max_zeilen, max_lesen);
        std::vector<std::string> zeilen;
        std::string text;
        for (int n = zufall() % 120; n > 0; --n) {
            text += zufallsstueck(zufall);
        }
        fs.ersetzen(k_pfad, text);

        // At start: the rows that begin inside the tail, at most max_zeilen of them.
        ASSERT_FALSE(journal.neu_laden(fs, k_pfad, zeilen));
        EXPECT_LE(fs.gelesen, max_lesen + 1);
        const std::size_t ab = text.size() > max_lesen ? text.size() - max_lesen : 0;
        std::vector<std::string> erwartet;
        for (const auto& [anfang, zeile] : zeilen_mit_anfang(text)) {
            if (anfang >= ab) {
                erwartet.push_back(cp1252_zu_utf8(zeile));
            }
        }
        if (erwartet.size() > max_zeilen) {
            erwartet.erase(erwartet.begin(), erwartet.end() - static_cast<std::ptrdiff_t>(max_zeilen));
        }
        ASSERT_EQ(zeilen, erwartet) << "run " << durchlauf;

        // Growing in pieces, some longer than the tail: every read stays bounded,
        // the rows stay the newest rows of the file.
        for (int schritt = 0; schritt < 20; ++schritt) {
            std::string dazu;
            for (int n = 1 + zufall() % 12; n > 0; --n) {
                dazu += zufallsstueck(zufall);
            }
            fs.anhaengen(k_pfad, dazu);
            fs.gelesen = 0;
            Fehler fehler;
            const std::size_t vorher = zeilen.size();
            const auto a = journal.aktualisieren(fs, k_pfad, zeilen, fehler);
            EXPECT_LE(fs.gelesen, max_lesen + 1);
            ASSERT_LE(zeilen.size(), max_zeilen);
            std::vector<std::string> voll = zeilen_zerlegen(fs.dateien[k_pfad]);
            ASSERT_LE(zeilen.size(), voll.size());
            EXPECT_TRUE(std::equal(zeilen.begin(), zeilen.end(),
                                   voll.end() - static_cast<std::ptrdiff_t>(zeilen.size())))
                << "run " << durchlauf << " step " << schritt << " a=" << int(a) << " L=" << max_lesen
                << " N=" << max_zeilen << " rows=" << ::testing::PrintToString(zeilen) << " full tail="
                << ::testing::PrintToString(std::vector<std::string>(
                       voll.end() - static_cast<std::ptrdiff_t>(zeilen.size()), voll.end()));
            if (a == Journalliste::Aenderung::angehaengt) {
                EXPECT_LE(journal.entfernt(), vorher) << "only rows that were shown leave the top";
            }
        }
    }
}
