// Memory of a workstation whose alarm window stays open for hours.
#include <gtest/gtest.h>

#include <QPushButton>

#include "exchange/platz.h"
#include "platform/fensterstapel.h"
#include "presentation/ui/alarmanzeigefenster.h"
#include "presentation/ui/alarmanzeigen.h"

namespace hestrel::test {
namespace {

TEST(Speicher, BlinkendesAlarmfensterGibtDemStilKeineNeuenBilder)
{
    TempVerzeichnis basis;
    VirtualScheduler uhr;
    Platz p{uhr, basis / "daten"};
    p.starten();
    const auto stapel = fensterstapel_der_sitzung();
    Alarmanzeigen alle(p.anzeige, *stapel);
    AlarmanzeigeFenster& f = alle.haupt();
    p.anzeige.alarm_zeigen("Überfall", "", "");
    auto* knopf = f.findChild<QPushButton*>(QStringLiteral("schliessenButton"));
    ASSERT_TRUE(knopf);
    // The style keys its cached pictures of the button by the button's palette:
    // a new palette every blink filled Qt's picture cache, 10 MB per window.
    const qint64 schluessel = knopf->palette().cacheKey();
    const QColor rot = f.palette().color(QPalette::Window);
    for (int i = 0; i < 21; ++i) {
        uhr.advance(500);
        EXPECT_EQ(knopf->palette().cacheKey(), schluessel) << i;
    }
    EXPECT_NE(f.palette().color(QPalette::Window), rot) << "the window itself blinks on";
    f.close();
}

} // namespace
} // namespace hestrel::test
