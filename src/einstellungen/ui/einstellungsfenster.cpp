#include "einstellungen/ui/einstellungsfenster.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "einstellungen/einstellungsverwaltung.h"
#include "platform/fensterbau.h"

namespace hestrel {
namespace {




void text_setzen(QLineEdit* e, const std::string& text)
{
    const QString t = q(text);
    if (e->text() != t) {
        e->setText(t);
    }
}

}  // namespace

Einstellungsfenster::Einstellungsfenster(Einstellungsverwaltung& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("Hestrel"));
    setFixedSize(twips(14940), twips(9450));
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));

    m_set = control<QLabel>(this, "Set", 240, 120, 3000, 600);
    m_set->setText(QStringLiteral("Setup"));
    m_set->setFont(arial(24, true));
    m_label7 = control<QLabel>(this, "Label7", 240, 780, 7000, 450);
    m_label7->setFont(arial(14.25, true, true));
    m_image1 = control<QLabel>(this, "Image1", 12720, 120, 1950, 1350);
    m_image1->setPixmap(QIcon(QStringLiteral(":/bilder/banner.svg")).pixmap(twips(1950), twips(1350)));
    m_image1->setScaledContents(false);

    m_label13 = control<QLabel>(this, "Label13", 240, 1560, 3000, 300);
    m_label13->setText(QStringLiteral("Gruppenverzeichnisse:"));
    m_label13->setFont(arial(9.75, true));
    m_label14 = control<QLabel>(this, "Label14", 3240, 1560, 4200, 300);
    m_label14->setText(QStringLiteral(" z.B.: \\\\Servername\\Alarm\\Gruppe1\\"));

    static const char* seiten[5] = {"01-10", "11-20", "21-30", "31-40", "41-50"};
    for (int k = 0; k < 5; ++k) {
        auto* b = control<QPushButton>(this, "gruppenfeld", 240 + k * 1440, 1980, 1335, 375);
        b->setObjectName(QStringLiteral("gruppenfeld_%1").arg(k));
        b->setText(QLatin1String(seiten[k]));
        connect(b, &QPushButton::clicked, this, [this, k] { m_engine.pfadseite_zeigen(k); });
        m_gruppenfeld[static_cast<std::size_t>(k)] = b;
    }
    for (int i = 0; i < 50; ++i) {
        auto* e = control<QLineEdit>(this, "Pfade", 240, 2520 + (i % 10) * 480, 7100, 375);
        e->setObjectName(QStringLiteral("Pfade_%1").arg(i));
        connect(e, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            m_engine.maske().pfade[static_cast<std::size_t>(i)] = t.toStdString();
        });
        m_pfade[static_cast<std::size_t>(i)] = e;
    }

    m_frame1 = control<QGroupBox>(this, "Frame1", 7800, 1560, 3300, 1800);
    m_frame1->setTitle(QStringLiteral("Hardware Einstellung"));
    m_art_hardware = new QComboBox(m_frame1);
    m_art_hardware->setObjectName(QStringLiteral("art_hardware"));
    twips_setzen(m_art_hardware, 240, 360, 2000, 375);
    m_art_hardware->addItems({QStringLiteral("keine"), QStringLiteral("Kestu_1"), QStringLiteral("Kestu_10")});
    connect(m_art_hardware, &QComboBox::activated, this, [this](int) {
        m_engine.geraeteart_gewaehlt(m_art_hardware->currentText().toStdString());
    });
    m_label_port = new QLabel(QStringLiteral("Port:"), m_frame1);
    m_label_port->setObjectName(QStringLiteral("Label_Port"));
    twips_setzen(m_label_port, 240, 960, 700, 375);
    m_auswahl_port = new QComboBox(m_frame1);
    m_auswahl_port->setObjectName(QStringLiteral("auswahl_port"));
    twips_setzen(m_auswahl_port, 960, 960, 1000, 375);
    for (int n = 1; n <= 12; ++n) {
        m_auswahl_port->addItem(QString::number(n));
    }
    m_auswahl_port->setToolTip(QStringLiteral("COM-Port"));
    connect(m_auswahl_port, &QComboBox::activated, this, [this](int) {
        m_engine.maske().auswahl_port = m_auswahl_port->currentText().toStdString();
    });

    m_chk_vollbild = control<QCheckBox>(this, "chk_vollbild", 7800, 3600, 3300, 330);
    m_chk_vollbild->setText(QStringLiteral("Anzeige als Vollbild"));
    connect(m_chk_vollbild, &QCheckBox::clicked, this,
            [this](bool an) { m_engine.maske().chk_vollbild = an ? 1 : 0; });
    m_chk_gesperrt = control<QCheckBox>(this, "chk_gesperrt", 7800, 4020, 3300, 330);
    m_chk_gesperrt->setText(QStringLiteral("Anzeige bei gesperrtem PC"));
    connect(m_chk_gesperrt, &QCheckBox::clicked, this,
            [this](bool an) { m_engine.maske().chk_gesperrt = an ? 1 : 0; });
    m_logfile = control<QCheckBox>(this, "logfile", 7800, 4440, 3300, 330);
    m_logfile->setText(QStringLiteral("Logfile aktive"));
    connect(m_logfile, &QCheckBox::clicked, this, [this](bool an) { m_engine.maske().logfile = an ? 1 : 0; });

    m_meldungtxt = control<QPlainTextEdit>(this, "meldungtxt", 11400, 1560, 3300, 2400);
    m_meldungtxt->setReadOnly(true);
    m_meldungtxt->setStyleSheet(QStringLiteral("color: red;"));

    m_label4 = control<QLabel>(this, "Label4", 7800, 5040, 4000, 300);
    m_label4->setText(QStringLiteral("Aktuelles akustisches Signal :"));
    m_command2 = control<QPushButton>(this, "Command2", 7800, 5400, 1800, 400);
    m_command2->setText(QStringLiteral("Signal suchen"));
    connect(m_command2, &QPushButton::clicked, this, &Einstellungsfenster::signal_suchen);
    m_text4 = control<QLineEdit>(this, "Text4", 7800, 5940, 6900, 375);
    connect(m_text4, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_engine.maske().text4 = t.toStdString(); });

    m_label5 = control<QLabel>(this, "Label5", 7800, 6600, 600, 375);
    m_label5->setText(QStringLiteral("ID :"));
    m_text5 = control<QLineEdit>(this, "Text5", 8400, 6600, 1200, 375);
    connect(m_text5, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_engine.maske().text5 = t.toStdString(); });
    m_label2 = control<QLabel>(this, "Label2", 9840, 6600, 2400, 375);
    m_label2->setFont(arial(9.75, true));

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
    m_label7->setText(q(m.label7));
    for (int i = 0; i < 50; ++i) {
        auto* e = m_pfade[static_cast<std::size_t>(i)];
        text_setzen(e, m.pfade[static_cast<std::size_t>(i)]);
        e->setVisible(m.pfade_sichtbar[static_cast<std::size_t>(i)]);
        e->setToolTip(q(m.pfade_tooltip[static_cast<std::size_t>(i)]));
    }
    {
        const QSignalBlocker sperre(m_art_hardware);
        int index = m_art_hardware->findText(q(m.art_hardware));
        if (index < 0) {
            m_art_hardware->addItem(q(m.art_hardware));
            index = m_art_hardware->count() - 1;
        }
        m_art_hardware->setCurrentIndex(index);
    }
    {
        const QSignalBlocker sperre(m_auswahl_port);
        int index = m_auswahl_port->findText(q(m.auswahl_port));
        if (index < 0) {
            m_auswahl_port->addItem(q(m.auswahl_port));
            index = m_auswahl_port->count() - 1;
        }
        m_auswahl_port->setCurrentIndex(index);
    }
    m_label_port->setVisible(m.port_sichtbar);
    m_auswahl_port->setVisible(m.port_sichtbar);
    m_chk_vollbild->setChecked(m.chk_vollbild != 0);
    m_chk_gesperrt->setChecked(m.chk_gesperrt != 0);
    m_logfile->setChecked(m.logfile != 0);
    if (m_meldungtxt->toPlainText() != q(m.meldungtxt)) {
        m_meldungtxt->setPlainText(q(m.meldungtxt));
    }
    text_setzen(m_text4, m.text4);
    text_setzen(m_text5, m.text5);
    m_label2->setText(q(m.label2));
    if (m.sichtbar && !isVisible()) {
        nach_vorne(this);
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

}  // namespace hestrel
