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

#include <map>

#include "exchange/platz.h"
#include "platform/fensterstapel.h"
#include "platform/qtmeldungsdienst.h"
#include "presentation/ui/alarmanzeigefenster.h"
#include "presentation/ui/alarmanzeigen.h"
#include "presentation/ui/alarmgesendetfenster.h"
#include "presentation/ui/alarmtext.h"

namespace hestrel::test {
namespace {

QColor hintergrund(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

// What the alarm windows ask of the desktop's stacking.
struct Stapelprotokoll : Fensterstapel {
    void ueber_allem(QWidget* fenster) override
    {
        vorbereitet.push_back(fenster);
        // Without "does not accept focus": some tests play a desktop that hands it the keyboard all the same.
        fenster->setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
        fenster->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    void heben(QWidget* fenster) override { ++gehoben[fenster]; }
    Technik technik() const override { return Technik::hinweis; }
    std::string beschreibung() const override { return "Stapelprotokoll"; }
    std::vector<QWidget*> vorbereitet;
    std::map<QWidget*, int> gehoben;
};

class FensterTest : public ::testing::Test {
  protected:
    void SetUp() override { p.starten(); }
    TempVerzeichnis basis;
    VirtualScheduler uhr;
    Platz p{uhr, basis / "daten"};
    Stapelprotokoll stapel;
};

TEST_F(FensterTest, AlarmfensterObenBlinktUndSchliesst)
{
    Alarmanzeigen alle(p.anzeige, stapel);
    AlarmanzeigeFenster& f = alle.haupt();
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
    Alarmanzeigen alle(p.anzeige, stapel);
    AlarmanzeigeFenster& f = alle.haupt();
    p.h.einstellungen().vollbildanzeige = true;
    p.anzeige.alarm_zeigen("Hilfe", "", "");
    const QRect schirm = f.screen()->geometry();
    EXPECT_EQ(f.geometry(), schirm);
    auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
    EXPECT_NEAR(label->font().pointSizeF(), schirm.width() * 15 / 450.0, 0.01);
}

// One alarm window on every screen, each prepared for the desktop before it
// is first shown and raised again with every red phase; one model behind all:
// what is pressed in one acts for all. In full-screen mode each covers its own
// screen with the text in its scale.
TEST_F(FensterTest, EinAlarmfensterAufJedemSchirm)
{
    struct Antwortweg : hestrel::Antwortweg {
        void antworten(int nummer) override { gefragt.push_back(nummer); }
        std::vector<int> gefragt;
    } weg;
    p.anzeige.antwortweg_setzen(&weg);
    const QList<QScreen*> schirme = QGuiApplication::screens();
    ASSERT_EQ(schirme.size(), 2) << "the widget tests of this program run on two screens";
    Alarmanzeigen alle(p.anzeige, stapel);
    ASSERT_EQ(alle.anzahl(), 2u);
    EXPECT_EQ(alle.haupt().schirm(), QGuiApplication::primaryScreen());

    for (const bool vollbild : {false, true}) {
        p.h.einstellungen().vollbildanzeige = vollbild;
        p.anzeige.alarm_zeigen("Überfall\r\nKasse 2", "", "");
        p.anzeige.herkunft_setzen(p.anzeige.alarmnummer(), "Gruppe 3 · Kasse · 10:32:05");
        uhr.advance(1000);
        QApplication::processEvents();
        for (std::size_t i = 0; i < 2; ++i) {
            AlarmanzeigeFenster& f = alle.fenster(i);
            const QRect schirm = f.schirm()->geometry();
            EXPECT_TRUE(f.isVisible()) << i;
            EXPECT_TRUE(std::count(stapel.vorbereitet.begin(), stapel.vorbereitet.end(), &f)) << i;
            EXPECT_TRUE(f.testAttribute(Qt::WA_ShowWithoutActivating)) << i;
            EXPECT_GE(stapel.gehoben[&f], 2) << i << ": not raised again in the red phase";
            EXPECT_EQ(hintergrund(&f), QColor(Qt::red)) << i;
            auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
            EXPECT_EQ(label->text(), QStringLiteral("Überfall\r\nKasse 2"));
            if (vollbild) {
                EXPECT_EQ(f.geometry(), schirm) << i;
                EXPECT_NEAR(label->font().pointSizeF(), schirm.width() * 15 / 450.0, 0.01) << i;
            } else {
                EXPECT_TRUE(schirm.contains(f.frameGeometry())) << i;
                EXPECT_LE(std::abs(f.frameGeometry().center().x() - schirm.center().x()), 1) << i;
            }
        }
        // "Ich komme" in the second window answers once and holds the colour in both.
        alle.fenster(1).findChild<QPushButton*>(QStringLiteral("antwortButton"))->click();
        EXPECT_EQ(weg.gefragt.size(), vollbild ? 2u : 1u);
        EXPECT_FALSE(alle.fenster(0).findChild<QPushButton*>(QStringLiteral("antwortButton"))->isEnabled());
        uhr.advance(500);
        EXPECT_EQ(hintergrund(&alle.fenster(0)), QColor(Qt::red));
        // "schließen" in the second window closes both.
        alle.fenster(1).findChild<QPushButton*>(QStringLiteral("schliessenButton"))->click();
        EXPECT_FALSE(alle.fenster(0).isVisible());
        EXPECT_FALSE(alle.fenster(1).isVisible());
        p.anzeige.schliessen();
    }
    p.anzeige.antwortweg_setzen(nullptr);
}

// The origin line above the text, "Ich komme" beside "schließen" only with a
// known origin, who else comes below; names from a share never as markup; a
// test alarm in blue and white.
TEST_F(FensterTest, AlarmfensterHerkunftAntwortUndProbealarm)
{
    struct Antwortweg : hestrel::Antwortweg {
        void antworten(int nummer) override { gefragt.push_back(nummer); }
        std::vector<int> gefragt;
    } weg;
    Alarmanzeigen alle(p.anzeige, stapel);
    AlarmanzeigeFenster& f = alle.haupt();
    p.anzeige.antwortweg_setzen(&weg);
    auto* herkunft = f.findChild<QLabel*>(QStringLiteral("herkunft"));
    auto* antwort = f.findChild<QPushButton*>(QStringLiteral("antwortButton"));
    auto* kommen = f.findChild<QLabel*>(QStringLiteral("rueckmeldung"));
    auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
    ASSERT_TRUE(herkunft && antwort && kommen && label);

    p.anzeige.alarm_zeigen("Überfall\r\nKasse 2", "", "");
    EXPECT_TRUE(antwort->isHidden()) << "an older sender reads no answers";
    EXPECT_TRUE(herkunft->isHidden());
    EXPECT_EQ(antwort->focusPolicy(), Qt::NoFocus);

    const int nummer = p.anzeige.alarmnummer();
    p.anzeige.herkunft_setzen(nummer, "Gruppe 3 · <b>Empfang-2</b> · 10:32:05");
    p.anzeige.kommende_setzen(nummer, "1 kommt bereits: Lager");
    EXPECT_FALSE(antwort->isHidden());
    EXPECT_TRUE(antwort->isEnabled());
    EXPECT_EQ(antwort->text(), QStringLiteral("Ich komme"));
    EXPECT_EQ(herkunft->textFormat(), Qt::PlainText);
    EXPECT_EQ(herkunft->text(), QStringLiteral("Gruppe 3 · <b>Empfang-2</b> · 10:32:05"));
    EXPECT_LE(herkunft->geometry().bottom(), label->geometry().top());
    EXPECT_GE(kommen->geometry().top(), label->geometry().bottom());
    EXPECT_LE(kommen->geometry().bottom(), f.height());

    antwort->click();
    EXPECT_EQ(weg.gefragt, std::vector<int>{nummer});
    EXPECT_FALSE(antwort->isEnabled());
    uhr.advance(2000);
    EXPECT_EQ(hintergrund(&f), QColor(Qt::red)) << "steady once answered";
    // A test alarm after it never takes the window: the real one stays first, in red.
    p.anzeige.alarm_zeigen("PROBEALARM – Kasse 2", "", "");
    const int probe = p.anzeige.alarmnummer();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    EXPECT_EQ(label->text(), QStringLiteral("Überfall\r\nKasse 2"));
    EXPECT_TRUE(antwort->isHidden()) << "with two alarms each has its own buttons";
    EXPECT_EQ(f.findChild<QPushButton*>(QStringLiteral("schliessenButton"))->text(),
              QStringLiteral("Alle schließen"));
    const auto texte = f.findChildren<Alarmtext*>(QStringLiteral("alarmtext"));
    ASSERT_GE(texte.size(), 2);
    EXPECT_EQ(texte[1]->text(), QStringLiteral("PROBEALARM – Kasse 2"));
    EXPECT_GE(texte[1]->mapTo(&f, QPoint(0, 0)).y(), label->mapTo(&f, label->rect().bottomLeft()).y());
    p.anzeige.herkunft_setzen(probe, "Gruppe 1 · Kasse · 10:40:00");
    auto eigene = f.findChildren<QPushButton*>(QStringLiteral("alarmAntwortButton"));
    ASSERT_GE(eigene.size(), 2);
    EXPECT_EQ(eigene[1]->text(), QStringLiteral("Empfangen"));
    EXPECT_FALSE(eigene[0]->isEnabled()) << "the real one is answered already";
    eigene[1]->click();
    EXPECT_EQ(weg.gefragt, (std::vector<int>{nummer, probe}));
    // Closing the real one leaves the test alarm, now in its own colours.
    f.findChildren<QPushButton*>(QStringLiteral("alarmSchliessenButton"))[0]->click();
    EXPECT_EQ(p.anzeige.alarme().size(), 1u);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("PROBEALARM"));
    EXPECT_EQ(hintergrund(&f), QColor(0, 0x46, 0xAA));
    EXPECT_EQ(label->text(), QStringLiteral("PROBEALARM – Kasse 2"));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(antwort->text(), QStringLiteral("Empfangen"));
    p.anzeige.antwortweg_setzen(nullptr);
}

// The answers below "OK !": the window grows for them and comes back for each.
TEST_F(FensterTest, BestaetigungZeigtDieAntworten)
{
    AlarmgesendetFenster f(p.bestaetigung);
    p.bestaetigung.einschalten();
    p.bestaetigung.rueckmeldungen_beginnen(false);
    auto* liste = f.findChild<QLabel*>(QStringLiteral("rueckmeldungen"));
    ASSERT_TRUE(liste);
    EXPECT_TRUE(liste->isHidden());
    const int hoehe = f.height();
    uhr.advance(15000);
    f.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    ASSERT_FALSE(f.isVisible());

    p.bestaetigung.rueckmeldung("Empfang-2", "10:32:07");
    p.bestaetigung.rueckmeldung("Lager", "10:32:15");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(liste->text(), QStringLiteral("Es kommen (2): Empfang-2 10:32:07, Lager 10:32:15"));
    EXPECT_GT(f.height(), hoehe);
    EXPECT_LE(liste->geometry().bottom(), f.height());
    p.bestaetigung.rueckmeldungen_beenden();
    EXPECT_TRUE(liste->isHidden());
    EXPECT_EQ(f.height(), hoehe);
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
    // After what showing the windows (one per screen) set off.
    QApplication::processEvents();
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &w);
}

TEST_F(FensterTest, KeineTasteSchliesstEinAlarmfensterDasVonSelbstKam)
{
    Alarmanzeigen alle(p.anzeige, stapel);
    AlarmanzeigeFenster& f = alle.haupt();
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
    Alarmanzeigen alle(p.anzeige, stapel);
    AlarmanzeigeFenster& f = alle.haupt();
    auto* label = f.findChild<QLabel*>(QStringLiteral("alarmtext"));
    const QRect frei = f.screen()->availableGeometry();
    for (const Qt::WindowState zustand : {Qt::WindowMaximized, Qt::WindowMinimized, Qt::WindowFullScreen}) {
        p.anzeige.schliessen_geklickt();
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
        p.anzeige.schliessen_geklickt();
        p.anzeige.alarm_zeigen("noch eins", "", "");
        uhr.advance(1000);
        QApplication::processEvents();
        EXPECT_EQ(f.size(), normal) << zustand;
    }
}

TEST_F(FensterTest, BlinkenFaerbtNurUmUndLegtDenTextNichtNeuAus)
{
    Alarmanzeigen alle(p.anzeige, stapel);
    AlarmanzeigeFenster& f = alle.haupt();
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
    // What the first layout left to do (the list's scroll bar appearing) is done before counting.
    QApplication::processEvents();
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
