// The records beside the alarm files: what is written reads back, garbage is
// refused with a reason, names stay inside their directory; the extra
// settings file; listing a directory's records without following links.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "einstellungen/zusatzeinstellungen.h"
#include "exchange/begleitdateien.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

TEST(Begleitdateien, JedeArtKommtUnveraendertZurueck)
{
    const Herkunft h{"0123456789abcdef",        "Empfang-2", "jdoe", "09.12.2026 10:32:05", {3, 12, 50}, true,
                     pruefsumme("Überfall\r\n")};
    std::string grund;
    const auto h2 = herkunft_lesen(kodieren(h), grund);
    ASSERT_TRUE(h2) << grund;
    EXPECT_EQ(h2->alarm, h.alarm);
    EXPECT_EQ(h2->platz, h.platz);
    EXPECT_EQ(h2->gruppen, h.gruppen);
    EXPECT_TRUE(h2->probe);
    EXPECT_EQ(h2->pruefsumme, h.pruefsumme);

    const Antwort a{"0123456789abcdef", "Küche 1", "jdoe", "09.12.2026 10:32:07", Antwort::Art::empfangen};
    const auto a2 = antwort_lesen(kodieren(a), grund);
    ASSERT_TRUE(a2) << grund;
    EXPECT_EQ(a2->platz, "Küche 1");
    EXPECT_EQ(a2->art, Antwort::Art::empfangen);
    EXPECT_NE(kodieren(a).find("Platz=K\xFC"
                               "che 1\r\n"),
              std::string::npos)
        << "Windows-1252, CR LF";

    const auto w2 = anwesenheit_lesen(kodieren(Anwesenheit{"Lager", "", "x"}), grund);
    ASSERT_TRUE(w2) << grund;
    EXPECT_EQ(w2->platz, "Lager");
}

TEST(Begleitdateien, MuellWirdMitGrundAbgewiesen)
{
    const std::string gut = kodieren(Antwort{"0123456789abcdef", "P", "", "t", Antwort::Art::kommt});
    const struct {
        const char* name;
        std::string bytes;
    } faelle[] = {
        {"empty", ""},
        {"other kind", kodieren(Anwesenheit{"P", "", "t"})},
        {"too large", gut + std::string(k_max_begleitdatei, 'x')},
        {"no identity", "HESTREL-ANTWORT 1\r\nPlatz=P\r\nZeit=t\r\nArt=kommt\r\n"},
        {"identity not hex",
         "HESTREL-ANTWORT 1\r\nAlarm=../../etc/pass\r\nPlatz=P\r\nZeit=t\r\nArt=kommt\r\n"},
        {"unknown answer", "HESTREL-ANTWORT 1\r\nAlarm=0123456789abcdef\r\nPlatz=P\r\nZeit=t\r\nArt=ja\r\n"},
        {"binary", std::string("\0\xff\xfe", 3)},
    };
    for (const auto& f : faelle) {
        std::string grund;
        EXPECT_FALSE(antwort_lesen(f.bytes, grund)) << f.name;
        EXPECT_FALSE(grund.empty()) << f.name;
    }
    // A line break inside a value cannot start another key.
    std::string grund;
    const auto a = antwort_lesen(
        kodieren(Antwort{"0123456789abcdef", "P\r\nArt=empfangen", "", "t", Antwort::Art::kommt}), grund);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->art, Antwort::Art::kommt);
}

TEST(Begleitdateien, NamenBleibenImVerzeichnis)
{
    for (const std::string& name :
         std::vector<std::string>{"../../etc", "Empfang 2/Tür", "", std::string(100, 'a')}) {
        const std::string datei = anwesenheitsdatei(name);
        EXPECT_EQ(datei.find('/'), std::string::npos) << name;
        EXPECT_EQ(datei.rfind("hestrel-da-", 0), 0u);
        EXPECT_LE(datei.size(), 64u);
    }
    EXPECT_EQ(platzkennung("Empfang-2"), "Empfang-2");
    EXPECT_NE(neue_alarmkennung(), neue_alarmkennung());
    EXPECT_NE(pruefsumme("a"), pruefsumme("b"));
}

TEST(Begleitdateien, AuflistenNimmtNurDateienMitDemPraefix)
{
    TempVerzeichnis d;
    datei_schreiben(d / "hestrel-da-a.txt", "x");
    datei_schreiben(d / "hestrel-da-b.txt", "yy");
    datei_schreiben(d / "MESSAGE.XQV", "0");
    std::filesystem::create_directory(d / "hestrel-da-verzeichnis");
    ASSERT_EQ(::symlink((d / "hestrel-da-a.txt").c_str(), (d / "hestrel-da-link.txt").c_str()), 0);
    EchtesDateisystem fs(EchtesDateisystem::Verknuepfungen::nicht_folgen);
    std::vector<Verzeichniseintrag> e;
    ASSERT_FALSE(fs.auflisten(d.pfad(), "hestrel-da-", e));
    std::vector<std::string> namen;
    for (const auto& x : e) {
        namen.push_back(x.name);
    }
    std::sort(namen.begin(), namen.end());
    EXPECT_EQ(namen, (std::vector<std::string>{"hestrel-da-a.txt", "hestrel-da-b.txt"}));
    EXPECT_TRUE(fs.auflisten(d / "fehlt", "", e));
    ASSERT_FALSE(fs.auflisten(d.pfad(), "hestrel-", e, 1));
    EXPECT_EQ(e.size(), 1u);
}

TEST(Zusatzeinstellungen, FehlendOderKaputtGibtVoreinstellungenUndEineMeldung)
{
    TempVerzeichnis d;
    EchtesDateisystem fs;
    std::string meldung;
    const Zusatzeinstellungen vor = zusatz_voreinstellungen();
    EXPECT_FALSE(vor.platzname.empty());
    EXPECT_EQ(zusatz_laden(fs, d.pfad(), meldung), vor);
    EXPECT_FALSE(meldung.empty());

    EXPECT_EQ(vor.wiederholung_sekunden, 60);
    EXPECT_EQ(vor.wiederholung_minuten, 10);
    Zusatzeinstellungen z{"Empfang 2", true, false, 12, 0, 600};
    ASSERT_FALSE(zusatz_speichern(fs, d.pfad(), z));
    EXPECT_EQ(datei_lesen(d / "Hestrel-Zusatz.ini"),
              "Platzname=Empfang 2\r\nNurHestrel=1\r\nWarnton=0\r\nWarntonMinuten=12\r\n"
              "AlarmWiederholungSekunden=0\r\nAlarmWiederholungMinuten=600\r\n");
    EXPECT_EQ(zusatz_laden(fs, d.pfad(), meldung), z);
    EXPECT_TRUE(meldung.empty());

    // A line it cannot understand keeps the default for that value only.
    datei_schreiben(d / "Hestrel-Zusatz.ini",
                    "Platzname=Lager\r\nWarntonMinuten=0\r\nquatsch\r\n"
                    "AlarmWiederholungSekunden=-5\r\nAlarmWiederholungMinuten=601\r\n");
    const Zusatzeinstellungen k = zusatz_laden(fs, d.pfad(), meldung);
    EXPECT_EQ(k.platzname, "Lager");
    EXPECT_EQ(k.warnton_minuten, vor.warnton_minuten);
    EXPECT_EQ(k.wiederholung_sekunden, vor.wiederholung_sekunden);
    EXPECT_EQ(k.wiederholung_minuten, vor.wiederholung_minuten);
    EXPECT_NE(meldung.find("WarntonMinuten=0"), std::string::npos);
}

} // namespace
} // namespace hestrel::test
