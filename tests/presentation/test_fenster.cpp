// The alarm window and the confirmation window as views over their engine state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "exchange/platz.h"
#include "platform/qtmeldungsdienst.h"
#include "presentation/ui/alarmanzeigefenster.h"
#include "presentation/ui/alarmgesendetfenster.h"
#include "presentation/ui/alarmtext.h"

namespace hestrel::test {
namespace {

QColor hintergrund(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

class FensterTest : public ::testing::Test {
  protected:
    void SetUp() override { p.starten(); }
    TempVerzeichnis basis;
    VirtualScheduler uhr;
    Platz p{uhr, basis / "daten"};
};

TEST_F(FensterTest, AlarmfensterObenBlinktUndSchliesst)
{
    AlarmanzeigeFenster f(p.anzeige);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);

    p.anzeige.alarm_zeigen("Überfall\r\nKasse 2", "", "");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
    auto* knopf = f.findChild<QPushButton*>(QStringLiteral("schliessenButton"));
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
    p.anzeige.alarm_zeigen("neu", "", "");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("neu"));

    f.close();
    EXPECT_FALSE(p.anzeige.existiert());
    EXPECT_FALSE(p.anzeige.hintergrund().aktiv());
    p.anzeige.alarm_zeigen("wieder", "", "");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(p.anzeige.erzeugungen(), 2);
}

TEST_F(FensterTest, AlarmfensterVollbildUeberDemSchirm)
{
    AlarmanzeigeFenster f(p.anzeige);
    p.h.einstellungen().vollbildanzeige = true;
    p.anzeige.alarm_zeigen("Hilfe", "", "");
    const QRect schirm = f.screen()->geometry();
    EXPECT_EQ(f.geometry(), schirm);
    auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
    EXPECT_NEAR(label->font().pointSizeF(), schirm.width() * 15 / 450.0, 0.01);
}

TEST_F(FensterTest, BestaetigungOkErstNachDerWarte)
{
    AlarmgesendetFenster f(p.bestaetigung);
    EXPECT_FALSE(f.isVisible());
    p.bestaetigung.einschalten();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    auto* label = f.findChild<QLabel*>(QStringLiteral("meldung"));
    auto* ok = f.findChild<QPushButton*>(QStringLiteral("okButton"));
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

// A key as the window system delivers it: to the focused widget, or to the active window.
void taste(int key)
{
    QWidget* ziel = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (!ziel) {
        return;
    }
    QKeyEvent druck(QEvent::KeyPress, key, Qt::NoModifier,
                    key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(ziel, &druck);
    QKeyEvent los(QEvent::KeyRelease, key, Qt::NoModifier,
                  key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(ziel, &los);
}

// As a desktop that hands a window the keyboard.
void aktivieren(QWidget& w)
{
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &w);
}

TEST_F(FensterTest, KeineTasteSchliesstEinAlarmfensterDasVonSelbstKam)
{
    AlarmanzeigeFenster f(p.anzeige);
    auto* knopf = f.findChild<QPushButton*>(QStringLiteral("schliessenButton"));
    for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        p.anzeige.alarm_zeigen("Hilfe", "", "");
        // Even where the desktop hands the new window the keyboard, no key closes it.
        aktivieren(f);
        taste(key);
        EXPECT_TRUE(f.isVisible()) << key;
        EXPECT_NE(QApplication::focusWidget(), knopf) << key;
        EXPECT_FALSE(knopf->isDefault() || knopf->autoDefault()) << key;

        // Once the person clicked into it, the key is theirs.
        QMouseEvent druck(QEvent::MouseButtonPress, QPointF(5, 5), f.mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &druck);
        aktivieren(f);
        taste(key);
        EXPECT_FALSE(f.isVisible()) << key;
    }
    // A new alarm must be clicked again before a key closes it.
    p.anzeige.alarm_zeigen("wieder", "", "");
    aktivieren(f);
    taste(Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(FensterTest, AlarmfensterKommtAusJedemZustandInSeinerGroesseAufDenSchirmZurueck)
{
    AlarmanzeigeFenster f(p.anzeige);
    auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
    const QRect frei = f.screen()->availableGeometry();
    for (const Qt::WindowState zustand : {Qt::WindowMaximized, Qt::WindowMinimized, Qt::WindowFullScreen}) {
        p.anzeige.alarm_zeigen("Überfall\r\nKasse 2", "", "");
        uhr.advance(1000);
        QApplication::processEvents();
        const QSize normal = f.size();
        // The person maximises (or minimises) it; the next red phase puts it back.
        f.setWindowState(zustand);
        QApplication::processEvents();
        uhr.advance(1000);
        QApplication::processEvents();
        EXPECT_EQ(f.windowState(), Qt::WindowNoState) << zustand;
        EXPECT_EQ(f.size(), normal) << zustand;
        EXPECT_NEAR(label->font().pointSizeF(), 12.22, 0.01) << zustand;
        EXPECT_TRUE(frei.contains(f.frameGeometry())) << zustand;
        // And keeps that shape for the next alarm.
        p.anzeige.alarm_zeigen("noch eins", "", "");
        uhr.advance(1000);
        QApplication::processEvents();
        EXPECT_EQ(f.size(), normal) << zustand;
    }
}

TEST_F(FensterTest, BlinkenFaerbtNurUmUndLegtDenTextNichtNeuAus)
{
    AlarmanzeigeFenster f(p.anzeige);
    std::string text;
    for (int i = 0; i < 21845; ++i) {
        text += "a\r\n";
    }
    p.anzeige.alarm_zeigen(text, "", "");
    // The first red phase sets the font for the window's width: one layout, as designed.
    uhr.advance(1000);
    QApplication::processEvents();
    auto* label = f.findChild<Alarmtext*>(QStringLiteral("alarmtext"));
    ASSERT_TRUE(label);
    // The window grows as far as the screen lets it, and no further.
    EXPECT_LE(f.frameGeometry().height(), f.screen()->availableGeometry().height());
    f.grab();
    const int aufbauten = label->aufbauten();
    const QRect lage = label->geometry();

    class Zaehler : public QObject {
      public:
        bool eventFilter(QObject*, QEvent* e) override
        {
            neu_ausgelegt += e->type() == QEvent::LayoutRequest || e->type() == QEvent::Resize ||
                             e->type() == QEvent::FontChange || e->type() == QEvent::Move;
            return false;
        }
        int neu_ausgelegt = 0;
    } zaehler;
    label->installEventFilter(&zaehler);
    f.installEventFilter(&zaehler);
    for (int i = 0; i < 20; ++i) {
        uhr.advance(500);
        QApplication::processEvents();
        f.grab();
    }
    EXPECT_EQ(zaehler.neu_ausgelegt, 0);
    EXPECT_EQ(label->aufbauten(), aufbauten);
    EXPECT_EQ(label->geometry(), lage);
    EXPECT_EQ(hintergrund(label), QColor(Qt::red));

    // A new text is laid out once.
    p.anzeige.alarm_zeigen("kurz", "", "");
    f.grab();
    EXPECT_EQ(label->aufbauten(), aufbauten + 1);
}

TEST(Dialoge, QtsEigeneTexteSindDeutsch)
{
    QtMeldungsdienst boxen;
    boxen.frage("Titel", "Liste löschen ?", [](bool) {});
    QMessageBox* frage = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) {
            frage = b;
        }
    }
    ASSERT_TRUE(frage);
    EXPECT_EQ(frage->button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    frage->button(QMessageBox::Cancel)->click();

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const struct {
        const char* name;
        const char* text;
    } beschriftungen[] = {{"lookInLabel", "Suchen in:"},
                          {"fileNameLabel", "Datei&name:"},
                          {"fileTypeLabel", "Dateien des Typs:"}};
    for (const auto& b : beschriftungen) {
        auto* label = dialog.findChild<QLabel*>(QLatin1String(b.name));
        ASSERT_TRUE(label) << b.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(b.text)) << b.name;
    }
}

} // namespace
} // namespace hestrel::test
