#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "einstellungen/ui/einstellungsfenster.h"
#include "support/station.h"

using namespace hestrel;
using namespace hestrel::test;

namespace {

template <typename T> T* finde(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

struct Fenster {
    Station s;
    Einstellungsfenster fenster{s.h};
    Fenster() { s.starten(); }
};

} // namespace

TEST(Einstellungsfenster, OhneEinstellungenOffenMitAllenBeschriftungen)
{
    Fenster f;
    EXPECT_TRUE(f.fenster.isVisible());
    EXPECT_EQ(f.fenster.windowTitle(), QStringLiteral("BORL XQV GmbH"));
    const struct {
        const char* name;
        const char* text;
    } labels[] = {
        {"Set", "Setup"},
        {"produkttitel", "Vandu Kestu Standard"},
        {"pfadeUeberschrift", "Gruppenverzeichnisse:"},
        {"pfadeBeispiel", " z.B.: \\\\Servername\\Alarm\\Gruppe1\\"},
        {"signalBeschriftung", "Aktuelles akustisches Signal :"},
        {"idBeschriftung", "ID :"},
        {"portBeschriftung", "Port:"},
    };
    for (const auto& l : labels) {
        auto* label = finde<QLabel>(f.fenster, l.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(l.text)) << l.name;
    }
    const struct {
        const char* name;
        const char* text;
    } knoepfe[] = {{"pfadseiteButton_0", "01-10"},
                   {"pfadseiteButton_4", "41-50"},
                   {"signalSuchenButton", "Signal suchen"},
                   {"Speichern", "Setup beenden"}};
    for (const auto& k : knoepfe) {
        auto* b = finde<QPushButton>(f.fenster, k.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(k.text)) << k.name;
    }
    EXPECT_EQ(finde<QCheckBox>(f.fenster, "vollbildBox")->text(), QStringLiteral("Anzeige als Vollbild"));
    EXPECT_EQ(finde<QCheckBox>(f.fenster, "gesperrtBox")->text(),
              QStringLiteral("Anzeige bei gesperrtem PC"));
    EXPECT_EQ(finde<QCheckBox>(f.fenster, "logdateiBox")->text(), QStringLiteral("Logfile aktive"));
    EXPECT_EQ(finde<QGroupBox>(f.fenster, "geraetRahmen")->title(), QStringLiteral("Hardware Einstellung"));
    EXPECT_EQ(finde<QComboBox>(f.fenster, "geraeteartAuswahl")->currentText(), QStringLiteral("keine"));
    EXPECT_EQ(finde<QComboBox>(f.fenster, "portAuswahl")->count(), 12);
    EXPECT_EQ(finde<QComboBox>(f.fenster, "portAuswahl")->toolTip(), QStringLiteral("COM-Port"));
    EXPECT_FALSE(finde<QComboBox>(f.fenster, "portAuswahl")->isVisible());
    EXPECT_TRUE(finde<QLineEdit>(f.fenster, "pfadFeld_0")->isVisible());
    EXPECT_FALSE(finde<QLineEdit>(f.fenster, "pfadFeld_10")->isVisible());
    EXPECT_EQ(finde<QLineEdit>(f.fenster, "pfadFeld_49")->toolTip(), QStringLiteral("Pfad für Gruppe 50"));
    EXPECT_NE(finde<QPlainTextEdit>(f.fenster, "meldungtxt"), nullptr);
}

TEST(Einstellungsfenster, SeitenUndHardwareArtSchaltenDieKaesten)
{
    Fenster f;
    finde<QLineEdit>(f.fenster, "pfadFeld_0")->setText(QStringLiteral("/x"));
    emit finde<QLineEdit>(f.fenster, "pfadFeld_0")->textEdited(QStringLiteral("/x"));
    finde<QPushButton>(f.fenster, "pfadseiteButton_3")->click();
    EXPECT_FALSE(finde<QLineEdit>(f.fenster, "pfadFeld_0")->isVisible());
    EXPECT_TRUE(finde<QLineEdit>(f.fenster, "pfadFeld_30")->isVisible());
    EXPECT_TRUE(finde<QLineEdit>(f.fenster, "pfadFeld_39")->isVisible());
    EXPECT_FALSE(finde<QLineEdit>(f.fenster, "pfadFeld_40")->isVisible());
    EXPECT_EQ(f.s.h.maske().pfade[0], "/x");

    auto* art = finde<QComboBox>(f.fenster, "geraeteartAuswahl");
    art->setCurrentIndex(1);
    emit art->activated(1);
    EXPECT_TRUE(finde<QLabel>(f.fenster, "portBeschriftung")->isVisible());
    EXPECT_TRUE(finde<QComboBox>(f.fenster, "portAuswahl")->isVisible());
    EXPECT_EQ(f.s.h.einstellungen().comdeaktiviert, "0");
    art->setCurrentIndex(0);
    emit art->activated(0);
    EXPECT_FALSE(finde<QComboBox>(f.fenster, "portAuswahl")->isVisible());
}

TEST(Einstellungsfenster, SetupBeendenSchreibtUndVersteckt)
{
    Fenster f;
    const std::string gruppe = f.s.dir.unterverzeichnis("g1");
    auto* pfad = finde<QLineEdit>(f.fenster, "pfadFeld_0");
    pfad->setText(QString::fromStdString(gruppe));
    emit pfad->textEdited(pfad->text());
    auto* id = finde<QLineEdit>(f.fenster, "idFeld");
    id->setText(QStringLiteral("0"));
    emit id->textEdited(id->text());
    finde<QPushButton>(f.fenster, "Speichern")->click();
    f.s.uhr.ausfuehren();
    EXPECT_FALSE(f.fenster.isVisible());
    EXPECT_EQ(zeilen(f.s.datei("Hestrel.DAT")).at(11), gruppe);
}

TEST(Einstellungsfenster, PruefmeldungErscheintImMeldungsfeld)
{
    Fenster f;
    finde<QPushButton>(f.fenster, "Speichern")->click();
    EXPECT_EQ(finde<QPlainTextEdit>(f.fenster, "meldungtxt")->toPlainText(),
              QStringLiteral("Achtung, bitte ID prüfen !!"));
    EXPECT_TRUE(f.fenster.isVisible());
}

TEST(Einstellungsfenster, SchliessfeldBeendetDasProgramm)
{
    Fenster f;
    int beendet = 0;
    f.s.ap.traymenue().prozess_beenden = [&] { ++beendet; };
    f.s.port.oeffnen();
    f.fenster.close();
    EXPECT_EQ(beendet, 1);
    EXPECT_FALSE(f.s.port.offen()) << "the port is closed on the way out";
}
