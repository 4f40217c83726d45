// The alarm window and the confirmation window as views over their engine state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "exchange/platz.h"
#include "presentation/alarmanzeigefenster.h"
#include "presentation/alarmgesendetfenster.h"

namespace hestrel::test {
namespace {

QColor hintergrund(const QWidget* w) { return w->palette().color(QPalette::Window); }

class FensterTest : public ::testing::Test {
protected:
    void SetUp() override { p.starten(); }
    TempVerzeichnis basis;
    VirtualScheduler uhr;
    Platz p {uhr, basis / "daten"};
};

TEST_F(FensterTest, AlarmfensterObenBlinktUndSchliesst)
{
    AlarmanzeigeFenster f(p.anzeige);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);

    p.anzeige.Alarm("Überfall\r\nKasse 2", "", "");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    auto* label = f.findChild<QLabel*>(QStringLiteral("Label1"));
    auto* knopf = f.findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_TRUE(label && knopf);
    EXPECT_EQ(knopf->text(), QStringLiteral("schließen"));
    EXPECT_EQ(label->text(), QStringLiteral("Überfall\r\nKasse 2"));
    EXPECT_NEAR(label->font().pointSizeF(), 11.25, 0.01);
    // Every line of the text is inside the window.
    EXPECT_LE(label->geometry().bottom(), f.height());
    EXPECT_GE(label->height(), 2 * label->fontMetrics().height());

    EXPECT_EQ(hintergrund(&f), QColor(Qt::red));
    uhr.advance(500);
    EXPECT_EQ(hintergrund(&f), QColor(Qt::white));
    EXPECT_EQ(hintergrund(label), QColor(Qt::white));
    uhr.advance(500);
    EXPECT_EQ(hintergrund(&f), QColor(Qt::red));
    EXPECT_NEAR(label->font().pointSizeF(), 12.22, 0.01);

    knopf->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(p.anzeige.sichtbar());
    p.anzeige.Alarm("neu", "", "");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("neu"));

    f.close();
    EXPECT_FALSE(p.anzeige.existiert());
    EXPECT_FALSE(p.anzeige.hintergrund().aktiv());
    p.anzeige.Alarm("wieder", "", "");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(p.anzeige.erzeugungen(), 2);
}

TEST_F(FensterTest, AlarmfensterVollbildUeberDemSchirm)
{
    AlarmanzeigeFenster f(p.anzeige);
    p.h.einstellungen().vollbildanzeige = true;
    p.anzeige.Alarm("Hilfe", "", "");
    const QRect schirm = f.screen()->geometry();
    EXPECT_EQ(f.geometry(), schirm);
    auto* label = f.findChild<QLabel*>(QStringLiteral("Label1"));
    EXPECT_NEAR(label->font().pointSizeF(), schirm.width() * 15 / 450.0, 0.01);
}

TEST_F(FensterTest, BestaetigungOkErstNachDerWarte)
{
    AlarmgesendetFenster f(p.bestaetigung);
    EXPECT_FALSE(f.isVisible());
    p.bestaetigung.einschalten();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    auto* label = f.findChild<QLabel*>(QStringLiteral("Label1"));
    auto* ok = f.findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_TRUE(label && ok);
    EXPECT_EQ(label->text(), QStringLiteral("Der Alarm wurde ausgelöst ."));
    EXPECT_EQ(ok->text(), QStringLiteral("OK !"));
    EXPECT_FALSE(ok->isEnabled());
    uhr.advance(15000);
    EXPECT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_FALSE(f.isVisible());
    p.bestaetigung.einschalten();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(ok->isEnabled());
    f.close();
    EXPECT_FALSE(p.bestaetigung.existiert());
}

}  // namespace
}  // namespace hestrel::test
