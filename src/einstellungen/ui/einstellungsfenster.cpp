#include "einstellungen/ui/einstellungsfenster.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "einstellungen/einstellungsverwaltung.h"
#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"

namespace hestrel {
namespace {

void text_setzen(QLineEdit* e, const std::string& text)
{
    const QString t = q(text);
    if (e->text() != t) {
        e->setText(t);
    }
}

} // namespace

Einstellungsfenster::Einstellungsfenster(Einstellungsverwaltung& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("Einstellungen"));
    setWindowRole(objectName());
    setFixedSize(twips(14940), twips(9450));
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));

    m_set = control<QLabel>(this, "Set", 240, 120, 3000, 600);
    m_set->setText(QStringLiteral("Setup"));
    m_set->setFont(arial(24, true));
    m_produkttitel = control<QLabel>(this, "produkttitel", 240, 780, 7000, 450);
    m_produkttitel->setFont(arial(14.25, true, true));
    m_bild = control<QLabel>(this, "bild", 12720, 120, 1950, 1350);
    m_bild->setPixmap(QIcon(QStringLiteral(":/bilder/banner.svg")).pixmap(twips(1950), twips(1350)));
    m_bild->setScaledContents(false);

    m_pfade_ueberschrift = control<QLabel>(this, "pfadeUeberschrift", 240, 1560, 3000, 300);
    m_pfade_ueberschrift->setText(QStringLiteral("Gruppenverzeichnisse:"));
    m_pfade_ueberschrift->setFont(arial(9.75, true));
    m_pfade_beispiel = control<QLabel>(this, "pfadeBeispiel", 3240, 1560, 4200, 300);
    m_pfade_beispiel->setText(QStringLiteral(" z.B.: \\\\Servername\\Alarm\\Gruppe1\\"));

    static const char* seiten[5] = {"01-10", "11-20", "21-30", "31-40", "41-50"};
    for (int k = 0; k < 5; ++k) {
        auto* b = control<QPushButton>(this, "gruppenfeld", 240 + k * 1440, 1980, 1335, 375);
        b->setObjectName(QStringLiteral("pfadseiteButton_%1").arg(k));
        b->setText(QLatin1String(seiten[k]));
        connect(b, &QPushButton::clicked, this, [this, k] { m_engine.pfadseite_zeigen(k); });
        m_pfadseiten[static_cast<std::size_t>(k)] = b;
    }
    for (int i = 0; i < 50; ++i) {
        auto* e = control<QLineEdit>(this, "Pfade", 240, 2520 + (i % 10) * 480, 7100, 375);
        e->setObjectName(QStringLiteral("pfadFeld_%1").arg(i));
        connect(e, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            m_engine.maske().pfade[static_cast<std::size_t>(i)] = t.toStdString();
        });
        m_pfade[static_cast<std::size_t>(i)] = e;
    }

    m_geraetrahmen = control<QGroupBox>(this, "geraetRahmen", 7800, 1560, 3300, 1800);
    m_geraetrahmen->setTitle(QStringLiteral("Hardware Einstellung"));
    m_geraeteart = new QComboBox(m_geraetrahmen);
    m_geraeteart->setObjectName(QStringLiteral("geraeteartAuswahl"));
    twips_setzen(m_geraeteart, 240, 360, 2000, 375);
    m_geraeteart->addItems({QStringLiteral("keine"), QStringLiteral("Kestu_1"), QStringLiteral("Kestu_10")});
    connect(m_geraeteart, &QComboBox::activated, this,
            [this](int) { m_engine.geraeteart_gewaehlt(m_geraeteart->currentText().toStdString()); });
    m_port_beschriftung = new QLabel(QStringLiteral("Port:"), m_geraetrahmen);
    m_port_beschriftung->setObjectName(QStringLiteral("portBeschriftung"));
    twips_setzen(m_port_beschriftung, 240, 960, 700, 375);
    m_port = new QComboBox(m_geraetrahmen);
    m_port->setObjectName(QStringLiteral("portAuswahl"));
    twips_setzen(m_port, 960, 960, 1000, 375);
    for (int n = 1; n <= 12; ++n) {
        m_port->addItem(QString::number(n));
    }
    m_port->setToolTip(QStringLiteral("COM-Port"));
    connect(m_port, &QComboBox::activated, this,
            [this](int) { m_engine.maske().port = m_port->currentText().toStdString(); });

    m_vollbild = control<QCheckBox>(this, "vollbildBox", 7800, 3600, 3300, 330);
    m_vollbild->setText(QStringLiteral("Anzeige als Vollbild"));
    connect(m_vollbild, &QCheckBox::clicked, this,
            [this](bool an) { m_engine.maske().vollbild = an ? 1 : 0; });
    m_gesperrt = control<QCheckBox>(this, "gesperrtBox", 7800, 4020, 3300, 330);
    m_gesperrt->setText(QStringLiteral("Anzeige bei gesperrtem PC"));
    connect(m_gesperrt, &QCheckBox::clicked, this,
            [this](bool an) { m_engine.maske().gesperrt = an ? 1 : 0; });
    m_logfile = control<QCheckBox>(this, "logdateiBox", 7800, 4440, 3300, 330);
    m_logfile->setText(QStringLiteral("Logfile aktive"));
    connect(m_logfile, &QCheckBox::clicked, this, [this](bool an) { m_engine.maske().logfile = an ? 1 : 0; });

    m_meldungtxt = control<QPlainTextEdit>(this, "meldungtxt", 11400, 1560, 3300, 2400);
    m_meldungtxt->setReadOnly(true);
    m_meldungtxt->setStyleSheet(QStringLiteral("color: red;"));

    m_signal_beschriftung = control<QLabel>(this, "signalBeschriftung", 7800, 5040, 4000, 300);
    m_signal_beschriftung->setText(QStringLiteral("Aktuelles akustisches Signal :"));
    m_signal_suchen = control<QPushButton>(this, "signalSuchenButton", 7800, 5400, 1800, 400);
    m_signal_suchen->setText(QStringLiteral("Signal suchen"));
    connect(m_signal_suchen, &QPushButton::clicked, this, &Einstellungsfenster::signal_suchen);
    m_signaldatei = control<QLineEdit>(this, "signaldateiFeld", 7800, 5940, 6900, 375);
    connect(m_signaldatei, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_engine.maske().signaldatei = t.toStdString(); });

    m_id_beschriftung = control<QLabel>(this, "idBeschriftung", 7800, 6600, 600, 375);
    m_id_beschriftung->setText(QStringLiteral("ID :"));
    m_idnummer = control<QLineEdit>(this, "idFeld", 8400, 6600, 1200, 375);
    connect(m_idnummer, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_engine.maske().idnummer = t.toStdString(); });
    m_id_warnung = control<QLabel>(this, "idWarnung", 9840, 6600, 2400, 375);
    m_id_warnung->setFont(arial(9.75, true));

    m_speichern = control<QPushButton>(this, "Speichern", 11400, 8400, 3300, 615);
    m_speichern->setText(QStringLiteral("Setup beenden"));
    m_speichern->setFont(arial(9.75, true));
    connect(m_speichern, &QPushButton::clicked, this, [this] { m_engine.speichern(); });

    m_engine.geaendert = [this] { aktualisieren(); };
    aktualisieren();
}

void Einstellungsfenster::aktualisieren()
{
    const Einstellungsmaske& m = m_engine.maske();
    setWindowTitle(q(m.caption));
    m_produkttitel->setText(q(m.produkttitel));
    for (int i = 0; i < 50; ++i) {
        auto* e = m_pfade[static_cast<std::size_t>(i)];
        text_setzen(e, m.pfade[static_cast<std::size_t>(i)]);
        e->setVisible(m.pfade_sichtbar[static_cast<std::size_t>(i)]);
        e->setToolTip(q(m.pfade_tooltip[static_cast<std::size_t>(i)]));
    }
    {
        const QSignalBlocker sperre(m_geraeteart);
        int index = m_geraeteart->findText(q(m.geraeteart));
        if (index < 0) {
            m_geraeteart->addItem(q(m.geraeteart));
            index = m_geraeteart->count() - 1;
        }
        m_geraeteart->setCurrentIndex(index);
    }
    {
        const QSignalBlocker sperre(m_port);
        int index = m_port->findText(q(m.port));
        if (index < 0) {
            m_port->addItem(q(m.port));
            index = m_port->count() - 1;
        }
        m_port->setCurrentIndex(index);
    }
    m_port_beschriftung->setVisible(m.port_sichtbar);
    m_port->setVisible(m.port_sichtbar);
    m_vollbild->setChecked(m.vollbild != 0);
    m_gesperrt->setChecked(m.gesperrt != 0);
    m_logfile->setChecked(m.logfile != 0);
    if (m_meldungtxt->toPlainText() != q(m.meldungtxt)) {
        m_meldungtxt->setPlainText(q(m.meldungtxt));
    }
    text_setzen(m_signaldatei, m.signaldatei);
    text_setzen(m_idnummer, m.idnummer);
    m_id_warnung->setText(q(m.id_warnung));
    if (m.sichtbar && !isVisible()) {
        auf_wunsch_vorholen(this);
    } else if (!m.sichtbar && isVisible()) {
        hide();
    }
}

void Einstellungsfenster::signal_suchen()
{
    if (m_dialog == nullptr) {
        m_dialog = new QFileDialog(this, QStringLiteral("Borl XQV GmbH"));
        m_dialog->setNameFilter(QStringLiteral("Alarmsignal (*.wav)"));
        m_dialog->setFileMode(QFileDialog::AnyFile);
        m_dialog->setOption(QFileDialog::ReadOnly, false);
        connect(m_dialog, &QFileDialog::finished, this, [this](int ergebnis) {
            const QStringList gewaehlt = m_dialog->selectedFiles();
            // A cancelled dialog keeps the sound file that was set.
            if (ergebnis == QDialog::Accepted && !gewaehlt.isEmpty()) {
                m_engine.signal_gewaehlt(gewaehlt.first().toStdString());
            }
        });
    }
    const std::string aktuell = m_engine.einstellungen().signaldatei;
    m_dialog->setDirectory(aktuell.empty() ? QDir::homePath() : QFileInfo(q(aktuell)).absolutePath());
    m_dialog->open();
}

void Einstellungsfenster::closeEvent(QCloseEvent* event)
{
    // Closing the settings window ends the program.
    event->ignore();
    m_engine.fenster_geschlossen();
}

} // namespace hestrel
