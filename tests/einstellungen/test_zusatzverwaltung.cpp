#include <gtest/gtest.h>

#include "core/cp1252.h"
#include "core/logbuch.h"
#include "core/virtualscheduler.h"
#include "einstellungen/zusatzverwaltung.h"
#include "support/testumgebung.h"

using namespace hestrel;
using namespace hestrel::test;

TEST(Zusatzverwaltung, SpeichertNurWasDieDateiWiederLiest)
{
    struct Fall {
        const char* name;
        std::string platzname;
        int minuten;
        const char* schreibmuster; // the file system refuses writes to this
        bool gespeichert;
        const char* meldung_beginnt;
    };
    const std::vector<Fall> faelle = {
        {"gültig, Leerzeichen am Rand fallen", "  Empfang-2 ", 7, "", true, ""},
        {"ohne Namen", "   ", 5, "", false, "Bitte einen Namen"},
        {"Zeichen ohne Windows-1252", "Empfang ★", 5, "", false, ""},
        {"zu lang", std::string(65, 'x'), 5, "", false, "Der Name dieses Arbeitsplatzes ist zu lang"},
        {"Minuten außerhalb", "Empfang", 0, "", false, "Warnton alle 1 bis 600"},
        {"Datei nicht schreibbar", "Empfang", 5, "Hestrel-Zusatz", false,
         "Zusatzeinstellungen nicht gespeichert: "},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        TempVerzeichnis tmp;
        VirtualScheduler uhr;
        FehlerDateisystem fs;
        fs.muster = f.schreibmuster;
        FakeMeldungsdienst boxen;
        const std::string daten = tmp.pfad();
        const std::string aktiv = "1";
        Logbuch log(fs, uhr, daten, aktiv);
        Zusatzeinstellungen werte = zusatz_voreinstellungen();
        werte.platzname = "Alt";
        const Zusatzeinstellungen vorher = werte;
        Zusatzverwaltung v(werte, fs, daten, log, boxen);
        int gespeichert = 0;
        v.gespeichert = [&] { ++gespeichert; };

        v.zeigen();
        EXPECT_EQ(v.maske().platzname, "Alt");
        v.platzname_geaendert(f.platzname);
        v.nur_hestrel_geklickt(true);
        v.warnton_geklickt(false);
        v.minuten_geaendert(f.minuten);
        EXPECT_EQ(v.speichern_geklickt(), f.gespeichert);
        EXPECT_EQ(gespeichert, f.gespeichert ? 1 : 0);
        EXPECT_EQ(v.maske().sichtbar, !f.gespeichert);
        EXPECT_EQ(v.maske().meldung.rfind(f.meldung_beginnt, 0), 0U) << v.maske().meldung;
        if (f.gespeichert) {
            EXPECT_EQ(werte.platzname, "Empfang-2");
            EXPECT_TRUE(werte.nur_hestrel);
            EXPECT_FALSE(werte.warnton);
            EXPECT_EQ(werte.warnton_minuten, f.minuten);
            std::string meldung;
            EXPECT_EQ(zusatz_laden(fs, daten, meldung), werte) << "the file reads back what was saved";
        } else {
            EXPECT_EQ(werte, vorher) << "in force stays what was";
            EXPECT_FALSE(v.maske().meldung.empty());
            EXPECT_FALSE(existiert(tmp / k_zusatzdatei));
        }
        if (std::string(f.schreibmuster).empty()) {
            EXPECT_TRUE(boxen.hinweise.empty());
        } else {
            ASSERT_EQ(boxen.hinweise.size(), 1U);
            EXPECT_NE(cp1252_zu_utf8(datei_lesen(tmp / "Hestrel.log"))
                          .find("Zusatzeinstellungen nicht gespeichert"),
                      std::string::npos);
        }
        // Closed without saving: shown again, it starts from what is in force.
        v.geschlossen();
        v.zeigen();
        EXPECT_EQ(v.maske().platzname, werte.platzname);
        EXPECT_EQ(v.maske().meldung, "");
    }
}
