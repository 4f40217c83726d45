#include <gtest/gtest.h>

#include <filesystem>

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "console/meldeliste.h"
#include "console/ui/gruppenbezeichnungfenster.h"
#include "console/ui/meldelistefenster.h"
#include "platform/twips.h"
#include "support/station.h"
#include "tray/traymenue.h"
#include "tray/ui/qttraysymbol.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

template <typename T> T* finde(QWidget& w, const QString& name)
{
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

struct Fenster : Station {
    Meldeliste& ml = ap.meldeliste();
    MeldelisteFenster fenster{ml};
    GruppenbezeichnungFenster dialog{ml.gruppenbezeichnung()};

    explicit Fenster(std::initializer_list<int> gruppen = {})
    {
        starten();
        for (int g : gruppen) {
            h.einstellungen().gruppenpfad[static_cast<std::size_t>(g - 1)] =
                dir.unterverzeichnis("g" + std::to_string(g));
        }
        ml.bildschirm_anpassen();
    }
    template <typename T> T* c(const QString& name) { return finde<T>(fenster, name); }
    QLabel* status(int i) { return c<QLabel>(QStringLiteral("gruppennameFeld_%1").arg(i)); }
    QCheckBox* box(int i) { return c<QCheckBox>(QStringLiteral("meldegruppeBox_%1").arg(i)); }
    QPushButton* relais(int i) { return c<QPushButton>(QStringLiteral("relaisButton_%1").arg(i)); }
};

void klicken(QWidget* w)
{
    const QPointF mitte(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent druck(QEvent::MouseButtonPress, mitte, w->mapToGlobal(mitte), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &druck);
    QMouseEvent los(QEvent::MouseButtonRelease, mitte, w->mapToGlobal(mitte), Qt::LeftButton, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(w, &los);
}

void tippen(QLineEdit* e, const QString& text)
{
    e->setText(text);
    emit e->textEdited(text);
}

} // namespace

TEST(Meldelistenfenster, LageUndBeschriftungen)
{
    Fenster f;
    EXPECT_TRUE(f.fenster.isVisible());
    EXPECT_EQ(f.fenster.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    EXPECT_EQ(f.fenster.size(), QSize(twips(18600), twips(9675)));

    const struct {
        int i;
        int rel_l, status_l, melde_l, r;
    } gruppen[] = {{0, 360, 960, 16005, 0},    {9, 360, 960, 16005, 9},    {11, 2520, 3120, 16440, 1},
                   {23, 4680, 5280, 16920, 3}, {40, 9000, 9600, 17880, 0}, {49, 9000, 9600, 17880, 9}};
    for (const auto& g : gruppen) {
        EXPECT_EQ(f.relais(g.i)->geometry(), twips_rect(g.rel_l, 3360 + 600 * g.r, 495, 375)) << g.i;
        EXPECT_EQ(f.status(g.i)->geometry(), twips_rect(g.status_l, 3360 + 600 * g.r, 1395, 375)) << g.i;
        EXPECT_EQ(f.box(g.i)->geometry(), twips_rect(g.melde_l, 4080 + 480 * g.r, 255, 270)) << g.i;
        EXPECT_EQ(f.relais(g.i)->text(), QString::number(g.i + 1));
        EXPECT_EQ(f.status(g.i)->text(), QStringLiteral("Gruppe %1").arg(g.i + 1));
        EXPECT_EQ(f.box(g.i)->toolTip(), QStringLiteral("Gruppe %1").arg(g.i + 1));
        EXPECT_EQ(f.status(g.i)->toolTip(), QStringLiteral("zum änder doppelt klicken"));
    }
    const struct {
        const char* name;
        const char* text;
    } labels[] = {{"produkttitel", "Vandu Kestu Standard"},
                  {"version", "Version 4.3.0 - TS"},
                  {"meldungenBeschriftung", "Meldungen"},
                  {"statusBeschriftung", "Status der Gruppen"},
                  {"gruppenalarmBeschriftung", "Gruppenalarm"},
                  {"alarmtextBeschriftung", "Alarmtext"},
                  {"alleGruppenBeschriftung", "an alle eingetragenen Gruppen"},
                  {"meldegruppenBeschriftung", "Meldegruppen"},
                  {"gruppennummer_0", "01"},
                  {"gruppennummer_1", "05"},
                  {"gruppennummer_2", "10"},
                  {"gruppennummer_3", "01"},
                  {"gruppennummer_4", "41"}};
    for (const auto& l : labels) {
        EXPECT_EQ(f.c<QLabel>(QLatin1String(l.name))->text(), QString::fromUtf8(l.text)) << l.name;
    }
    EXPECT_EQ(f.c<QPushButton>(QStringLiteral("alarmAusloesenButton"))->text(),
              QStringLiteral("Alarm auslösen"));
    EXPECT_EQ(f.c<QPushButton>(QStringLiteral("listeLoeschenButton"))->text(),
              QStringLiteral("Liste löschen"));
    EXPECT_EQ(f.c<QPushButton>(QStringLiteral("alarmdatenSpeichernButton"))->text(),
              QStringLiteral("Einstellungen speichern"));
    EXPECT_EQ(f.c<QLineEdit>(QStringLiteral("alarmtextFeld4"))->geometry(),
              twips_rect(11520, 5520, 3615, 390));
    EXPECT_EQ(f.c<QAbstractItemView>(QStringLiteral("journalListe"))->geometry(),
              twips_rect(11520, 720, 6735, 1530));
    EXPECT_FALSE(f.c<QCheckBox>(QStringLiteral("eingang1"))->isVisible());
}

TEST(Meldelistenfenster, GruppenFarbenUndKaesten)
{
    Fenster f{1, 12};
    EXPECT_TRUE(f.relais(0)->isEnabled());
    EXPECT_TRUE(f.relais(0)->styleSheet().contains(QStringLiteral("#00ff00")));
    EXPECT_FALSE(f.relais(1)->isEnabled());
    EXPECT_TRUE(f.relais(1)->styleSheet().isEmpty());
    EXPECT_FALSE(f.status(1)->isEnabled());
    EXPECT_FALSE(f.box(1)->isEnabled());

    f.ml.relais_farbe(11, k_rot);
    EXPECT_TRUE(f.relais(11)->styleSheet().contains(QStringLiteral("#ff0000")));

    f.c<QCheckBox>(QStringLiteral("alleGruppenBox"))->click();
    EXPECT_TRUE(f.box(0)->isChecked());
    EXPECT_TRUE(f.box(11)->isChecked());
    EXPECT_FALSE(f.box(1)->isChecked());
    f.box(11)->click();
    EXPECT_EQ(f.ml.melde_gruppe(11), 0);
    EXPECT_FALSE(f.box(11)->isChecked());

    tippen(f.c<QLineEdit>(QStringLiteral("alarmtextFeld3")), QStringLiteral("Halle 3"));
    EXPECT_EQ(f.ml.sammeltexte()[2], "Halle 3");
}

TEST(Meldelistenfenster, StatusfeldOeffnetDenDialogUndBenenntUm)
{
    Fenster f{3, 7};
    klicken(f.status(2));
    ASSERT_TRUE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("Gruppenbezeichnung"));
    EXPECT_EQ(f.dialog.size(), QSize(twips(4680), twips(3195)));
    EXPECT_EQ(finde<QLineEdit>(f.dialog, QStringLiteral("aktuellerNameFeld"))->text(),
              QStringLiteral("Gruppe 3"));
    tippen(finde<QLineEdit>(f.dialog, QStringLiteral("neuerNameFeld")), QStringLiteral("nicht übernommen"));

    klicken(f.status(6));
    EXPECT_EQ(finde<QLineEdit>(f.dialog, QStringLiteral("aktuellerNameFeld"))->text(),
              QStringLiteral("Gruppe 7"));
    EXPECT_EQ(finde<QLineEdit>(f.dialog, QStringLiteral("neuerNameFeld"))->text(), QString());
    tippen(finde<QLineEdit>(f.dialog, QStringLiteral("neuerNameFeld")), QStringLiteral("Empfang"));
    finde<QPushButton>(f.dialog, QStringLiteral("uebernehmenButton"))->click();
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.status(6)->text(), QStringLiteral("Empfang"));
    EXPECT_EQ(f.status(2)->text(), QStringLiteral("Gruppe 3"));

    // A disabled field opens nothing.
    klicken(f.status(0));
    EXPECT_FALSE(f.dialog.isVisible());

    klicken(f.status(2));
    f.dialog.close();
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_FALSE(f.ml.gruppenbezeichnung().geladen);
}

// Counts the paint events a set of widgets receives.
class Malzaehler : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        gemalt += e->type() == QEvent::Paint;
        return false;
    }
    int gemalt = 0;
};

TEST(Meldelistenfenster, JournalZeigtZeilenWieEineListeUndHaengtDarunterAn)
{
    Fenster f;
    auto* liste = f.c<QAbstractItemView>(QStringLiteral("journalListe"));
    QAbstractItemModel* modell = liste->model();
    for (int n = 1; n <= 3; ++n) {
        f.h.log().meldung_eintragen("Alarm aus Gruppe 2 von:\rText " + std::to_string(n));
    }
    f.uhr.advance(5000);
    QApplication::processEvents();
    ASSERT_EQ(modell->rowCount(), 6);

    // One row under the other, each as tall as a list view of the same font makes it.
    QListView liste_zum_vergleich;
    liste_zum_vergleich.setFont(liste->font());
    liste_zum_vergleich.setModel(modell);
    liste_zum_vergleich.resize(liste->size());
    liste_zum_vergleich.doItemsLayout();
    for (int z = 0; z < 6; ++z) {
        EXPECT_EQ(liste->visualRect(modell->index(z, 0)).height(),
                  liste_zum_vergleich.visualRect(modell->index(z, 0)).height());
        EXPECT_EQ(liste->visualRect(modell->index(z, 0)).top(),
                  z * liste->visualRect(modell->index(0, 0)).height());
    }
    EXPECT_EQ(modell->columnCount(), 1);

    // Appended rows leave the rows above and the user's choice alone.
    liste->setCurrentIndex(modell->index(1, 0));
    f.h.log().meldung_eintragen("Alarm aus Gruppe 3 von:\rNeu");
    f.uhr.advance(5000);
    ASSERT_EQ(modell->rowCount(), 8);
    EXPECT_EQ(liste->currentIndex().row(), 1);
    EXPECT_EQ(modell->index(1, 0).data().toString(), QStringLiteral("Text 1"));
    EXPECT_EQ(modell->index(7, 0).data().toString(), QStringLiteral("Neu"));
}

TEST(Meldelistenfenster, NurGeaenderteGruppenfelderWerdenNeuGemalt)
{
    Fenster f({1, 2});
    QApplication::processEvents();
    Malzaehler zaehler;
    for (int i = 0; i < 50; ++i) {
        f.box(i)->installEventFilter(&zaehler);
    }
    // A journal refresh or a device frame refreshes the window with the boxes as they are.
    f.fenster.aktualisieren();
    QApplication::processEvents();
    EXPECT_EQ(zaehler.gemalt, 0);

    f.ml.meldegruppe_geklickt(1);
    QApplication::processEvents();
    EXPECT_GT(zaehler.gemalt, 0);
    EXPECT_EQ(f.box(1)->checkState(), f.ml.melde_gruppe(1) == 1 ? Qt::Checked : Qt::Unchecked);
}

// Without a notification area the button "Programm" holds every item of the
// tray menu, and closing the list only minimises it: the way in stays.
TEST(Meldelistenfenster, ProgrammmenueUndSchliessenOhneInfobereich)
{
    Fenster f;
    auto* knopf = f.c<QPushButton>(QStringLiteral("programmButton"));
    EXPECT_TRUE(knopf->isHidden());
    QMenu menue;
    programmmenue_fuellen(&menue, f.ap.traymenue());
    bool infobereich = false;
    f.fenster.programmmenue_setzen(&menue, [&] { return infobereich; });
    EXPECT_FALSE(knopf->isHidden());
    ASSERT_EQ(knopf->menu(), &menue);
    ASSERT_EQ(menue.actions().size(), static_cast<qsizetype>(k_traymenue.size()));
    for (std::size_t i = 0; i < k_traymenue.size(); ++i) {
        EXPECT_EQ(menue.actions()[static_cast<qsizetype>(i)]->text(), QString::fromUtf8(k_traymenue[i].text));
    }
    menue.actions()[2]->trigger(); // "Einstellung"
    QApplication::processEvents();
    EXPECT_TRUE(f.ap.einstellungen().maske().sichtbar);

    f.fenster.close();
    EXPECT_TRUE(f.fenster.isVisible());
    EXPECT_TRUE(f.fenster.isMinimized());
    EXPECT_TRUE(f.ml.maske().geladen) << "closing without a notification area unloaded the list";
    infobereich = true;
    f.fenster.close();
    EXPECT_FALSE(f.fenster.isVisible());
    EXPECT_FALSE(f.ml.maske().geladen);
}

TEST(Meldelistenfenster, JournalZeilenUndSchliessen)
{
    Fenster f;
    auto* liste = f.c<QAbstractItemView>(QStringLiteral("journalListe"));
    QAbstractItemModel* modell = liste->model();
    EXPECT_EQ(modell->rowCount(), 0);
    f.h.log().meldung_eintragen("Alarm aus Gruppe 2 von:\rText");
    f.uhr.advance(5000);
    ASSERT_EQ(modell->rowCount(), 2);
    EXPECT_EQ(modell->index(1, 0).data().toString(), QStringLiteral("Text"));

    f.fenster.close();
    EXPECT_FALSE(f.fenster.isVisible());
    EXPECT_FALSE(f.ml.maske().geladen);
    EXPECT_EQ(modell->rowCount(), 0);

    f.ml.zeigen();
    EXPECT_TRUE(f.fenster.isVisible());
    EXPECT_EQ(modell->rowCount(), 2);
}

// A key as the window system delivers it: to the focused widget, or to the active window.
static void taste(int key)
{
    QWidget* ziel = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(ziel, nullptr);
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QKeyEvent druck(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(ziel, &druck);
    QKeyEvent los(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(ziel, &los);
}

TEST(Meldelistenfenster, KeineTasteLoestEinenAlarmAusNachdemDieListeNachVorneKam)
{
    Fenster f{1};
    f.h.maske().pfade[0] = f.h.einstellungen().gruppenpfad[0];
    f.ml.meldegruppe_geklickt(0);
    auto* senden = f.c<QPushButton>(QStringLiteral("alarmAusloesenButton"));
    // The person raised an alarm with a click a while ago.
    klicken(senden);
    f.uhr.ausfuehren();
    const std::string signal = f.h.einstellungen().gruppenpfad[0] + "MESSAGE.XQV";
    ASSERT_TRUE(existiert(signal));
    std::filesystem::remove(signal);
    for (const char* name :
         {"alarmAusloesenButton", "alarmdatenSpeichernButton", "listeLoeschenButton", "relaisButton_0"}) {
        auto* knopf = f.c<QPushButton>(QLatin1String(name));
        EXPECT_EQ(knopf->focusPolicy(), Qt::NoFocus) << name;
        EXPECT_FALSE(knopf->isDefault() || knopf->autoDefault()) << name;
    }
    // An alarm brings the list forward; the desktop hands it the keyboard anyway.
    f.ml.zeigen();
    QApplication::setActiveWindow(&f.fenster);
    QApplication::processEvents();
    for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        taste(key);
    }
    EXPECT_FALSE(existiert(signal)) << "a key sent an alarm";
    EXPECT_NE(QApplication::focusWidget(), senden);
}

TEST(Meldelistenfenster, PasstAufDenSchirmUndJedesFeldIstErreichbar)
{
    Fenster f;
    auto* flaeche = f.c<QScrollArea>(QStringLiteral("Flaeche"));
    const struct {
        QRect frei;
        bool rollt;
    } schirme[] = {{QRect(0, 0, 1920, 1040), false},
                   {QRect(0, 0, 1280, 984), false},
                   {QRect(0, 0, 1024, 768), true},
                   {QRect(0, 28, 1024, 740), true},
                   {QRect(0, 0, 800, 600), true}};
    for (const auto& s : schirme) {
        f.fenster.move(400, 300);
        f.fenster.einpassen(s.frei);
        QApplication::processEvents();
        const QRect aussen = f.fenster.frameGeometry();
        EXPECT_TRUE(s.frei.contains(aussen)) << s.frei.width() << "x" << s.frei.height();
        if (!s.rollt) {
            // The twips layout, unchanged and without scroll bars.
            EXPECT_EQ(f.fenster.size(), QSize(twips(18600), twips(9675)));
            EXPECT_FALSE(flaeche->horizontalScrollBar()->isVisible());
            continue;
        }
        // Every control can be scrolled into the window.
        for (const char* name : {"meldegruppeBox_49", "meldegruppeBox_40", "alleGruppenBox",
                                 "alarmAusloesenButton", "relaisButton_9", "journalListe", "alarmtextFeld4",
                                 "gruppennummer_4", "alarmdatenSpeichernButton"}) {
            auto* w = f.c<QWidget>(QLatin1String(name));
            flaeche->ensureWidgetVisible(w, 0, 0);
            const QRect im_fenster(w->mapTo(&f.fenster, QPoint(0, 0)), w->size());
            EXPECT_TRUE(flaeche->viewport()->geometry().contains(im_fenster))
                << name << " " << s.frei.width();
        }
    }
}

TEST(Meldelistenfenster, AbgeschnitteneGruppennamenStehenGanzImTooltip)
{
    Fenster f{3};
    const struct {
        const char* name;
        bool abgeschnitten;
    } namen[] = {{"Lager", false}, {"Lager Halle 2 Nord-Ost", true}, {"Empfang und Pforte", true}};
    for (const auto& n : namen) {
        f.ml.gruppe_benennen(2, n.name);
        const QString tipp = f.status(2)->toolTip();
        EXPECT_TRUE(tipp.contains(QStringLiteral("zum änder doppelt klicken"))) << n.name;
        EXPECT_EQ(tipp.startsWith(QString::fromUtf8(n.name)), n.abgeschnitten) << n.name;
    }
}

TEST(Meldelistenfenster, JournalZeigtDenNeuestenEintragAusserDerNutzerLiestWeiterOben)
{
    Fenster f;
    auto* liste = f.c<QAbstractItemView>(QStringLiteral("journalListe"));
    QScrollBar* rollen = liste->verticalScrollBar();
    auto letzte_sichtbar = [&] {
        const QModelIndex letzte = liste->model()->index(liste->model()->rowCount() - 1, 0);
        return liste->viewport()->rect().contains(liste->visualRect(letzte));
    };
    for (int n = 0; n < 30; ++n) {
        f.h.log().meldung_eintragen("Alarm aus Gruppe 2 von:\rText " + std::to_string(n));
    }
    f.uhr.advance(5000);
    QApplication::processEvents();
    EXPECT_TRUE(letzte_sichtbar());

    // Scrolled up to read: the list stays where the person is.
    rollen->setValue(3);
    f.h.log().meldung_eintragen("Alarm aus Gruppe 3 von:\rNeu");
    f.uhr.advance(5000);
    QApplication::processEvents();
    EXPECT_EQ(rollen->value(), 3);
    EXPECT_FALSE(letzte_sichtbar());

    // Back at the bottom, it follows again.
    rollen->setValue(rollen->maximum());
    f.h.log().meldung_eintragen("Alarm aus Gruppe 4 von:\rNeuer");
    f.uhr.advance(5000);
    QApplication::processEvents();
    EXPECT_TRUE(letzte_sichtbar());
}
