// The save's wait for its group directories through the real share service:
// a directory still inside its look when the 3 s run out counts as missing,
// and its late answer changes nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/freigabedienst.h"
#include "einstellungen/einstellungsverwaltung.h"
#include "support/echtprogramm.h"
#include "support/kindprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

// Looks at one directory slowly while `bremsen` is set; no lock orders the
// look with the engine, as with a share that answers late.
class Langsam : public EchtesDateisystem {
  public:
    explicit Langsam(std::string pfad) : m_pfad(std::move(pfad)) {}
    bool existiert(const std::string& p) override
    {
        if (p == m_pfad && bremsen) {
            drin = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        return EchtesDateisystem::existiert(p);
    }
    std::atomic<bool> bremsen{true};
    std::atomic<bool> drin{false};

  private:
    const std::string m_pfad;
};

class Folgenlos : public Einstellungsfolgen {
    void abfrage_anhalten() override {}
    void abfrage_fortsetzen() override {}
    void tastenverzoegerung_setzen(int) override {}
    void geraeteabfrage_setzen(bool) override {}
    void programm_beenden() override {}
};

TEST(Pfadfrist, EinVerzeichnisNochImAufrufZaehltAlsFehlend)
{
    TempVerzeichnis dir;
    const std::string g1 = dir.unterverzeichnis("g1");
    datei_schreiben(dir / "Hestrel.DAT", echt::einstellungen({g1}));
    VirtualScheduler uhr;
    FakeMeldungsdienst boxen;
    FakePort port;
    Folgenlos folgen;
    EchtesDateisystem fs;
    Einstellungen e;
    Logbuch log(fs, uhr, dir.pfad(), e.logfileaktive);
    auto teilfs = std::make_shared<Langsam>(g1);
    FaedenFreigabedienst freigaben(teilfs, uhr);
    Einstellungsverwaltung v(e, log, dir.pfad(), fs, freigaben, uhr, boxen, port, folgen);
    v.starten();
    const std::string vorher = datei_lesen(dir / "Hestrel.DAT");

    v.einstellungen_zeigen();
    v.speichern();
    ASSERT_TRUE(warten_bis([&] { return teilfs->drin.load(); }, std::chrono::seconds(5)));
    uhr.advance(3000);
    EXPECT_EQ(v.maske().meldungtxt, "Achtung, bitte Pfad  0 prüfen !!");
    // The late answer comes and goes.
    ASSERT_TRUE(warten_bis([&] { return uhr.ausfuehren() > 0; }, std::chrono::seconds(5)));
    EXPECT_EQ(v.maske().meldungtxt, "Achtung, bitte Pfad  0 prüfen !!");
    EXPECT_EQ(datei_lesen(dir / "Hestrel.DAT"), vorher);

    // Answered in time, the same save goes through.
    teilfs->bremsen = false;
    v.speichern();
    ASSERT_TRUE(warten_bis([&] { return uhr.ausfuehren() > 0; }, std::chrono::seconds(5)));
    EXPECT_FALSE(v.maske().sichtbar) << v.maske().meldungtxt;
    EXPECT_NE(datei_lesen(dir / "Hestrel.DAT"), vorher);
}

} // namespace
} // namespace hestrel::test
