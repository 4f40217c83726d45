#include <gtest/gtest.h>

#include <map>
#include <random>

#include "console/journalliste.h"
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
    Fehler lesen_ab(const std::string& pfad, std::uint64_t ab, std::string& inhalt, std::size_t max_bytes) override
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
        return Dateiinfo {dateien[pfad].size(), zeiten[pfad]};
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

}  // namespace

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
    EXPECT_EQ(l.zeilen, std::vector<std::string> {"wieder da"});
}
