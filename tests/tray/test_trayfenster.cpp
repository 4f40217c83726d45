#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "platform/twips.h"
#include "support/station.h"
#include "tray/programminfo.h"
#include "tray/traymenue.h"
#include "tray/ui/programminfofenster.h"
#include "tray/ui/qttraysymbol.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

struct Platz : Station {
    QtTraysymbol symbol{ap.traymenue()};
    ProgramminfoFenster info{ap.programminfo()};
    int prozessende = 0;
    Platz()
    {
        ap.traymenue().symbol_setzen(&symbol);
        ap.traymenue().prozess_beenden = [this] { ++prozessende; };
        starten();
    }
};

} // namespace

TEST(Trayfenster, MenueInDieserReihenfolge)
{
    Platz p;
    const QList<QAction*> punkte = p.symbol.menue()->actions();
    ASSERT_EQ(punkte.size(), 7);
    const char* texte[] = {"Info",
                           "Meldeliste",
                           "Einstellung",
                           "Probealarm",
                           "Zusatzeinstellungen",
                           "Warnung bestätigen",
                           "Programm beenden"};
    const char* namen[] = {"infoAktion",   "meldelisteAktion", "einstellungAktion", "probealarmAktion",
                           "zusatzAktion", "warnungAktion",    "beendenAktion"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(punkte[i]->text(), QString::fromUtf8(texte[i]));
        EXPECT_EQ(punkte[i]->objectName(), QLatin1String(namen[i]));
        EXPECT_FALSE(punkte[i]->isSeparator());
    }
}

TEST(Trayfenster, InfoFenster)
{
    Platz p;
    p.symbol.menue()->actions().at(0)->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(p.info.isVisible());
    EXPECT_EQ(p.info.windowTitle(), QStringLiteral("Borl XQV GmbH"));
    EXPECT_EQ(p.info.size(), QSize(twips(5430), twips(2655)));
    EXPECT_EQ(p.info.findChild<QLabel*>(QStringLiteral("version"))->text(),
              QStringLiteral("Version 4.3.0 - TS"));
    EXPECT_EQ(p.info.findChild<QLabel*>(QStringLiteral("produkt"))->text(),
              QStringLiteral("Kestu für Mitarbeiteralarm"));
    EXPECT_EQ(p.info.findChild<QLabel*>(QStringLiteral("banner"))->geometry(),
              twips_rect(4200, 2400, 1215, 255));

    p.info.findChild<QPushButton*>(QStringLiteral("schliessenButton"))->click();
    EXPECT_FALSE(p.info.isVisible());
    p.ap.traymenue().info_zeigen();
    EXPECT_TRUE(p.info.isVisible());
    p.info.close();
    EXPECT_FALSE(p.info.isVisible());
    EXPECT_FALSE(p.ap.programminfo().geladen);
    EXPECT_EQ(p.prozessende, 0) << "closing the info window leaves the program running";

    p.symbol.menue()->actions().last()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(p.prozessende, 1);
}
