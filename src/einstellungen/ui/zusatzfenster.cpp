#include "einstellungen/ui/zusatzfenster.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/version.h"
#include "einstellungen/zusatzverwaltung.h"
#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"

namespace hestrel {

Zusatzfenster::Zusatzfenster(Zusatzverwaltung& modell, QWidget* parent)
    : QWidget(parent, Qt::Window), m_modell(modell)
{
    setObjectName(QStringLiteral("Zusatzeinstellungen"));
    setWindowRole(objectName());
    setWindowTitle(QStringLiteral("Zusatzeinstellungen"));
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
    setFont(arial(9.75));

    auto* spalte = new QVBoxLayout(this);
    auto* formular = new QFormLayout;
    m_platzname = new QLineEdit(this);
    m_platzname->setObjectName(QStringLiteral("platznameFeld"));
    m_platzname->setMaxLength(static_cast<int>(Zusatzverwaltung::k_max_name));
    connect(m_platzname, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_modell.platzname_geaendert(t.toStdString()); });
    formular->addRow(QStringLiteral("Name dieses Arbeitsplatzes"), m_platzname);

    m_nur_hestrel = new QCheckBox(QStringLiteral("Alle Arbeitsplätze sind Hestrel-Plätze"), this);
    m_nur_hestrel->setObjectName(QStringLiteral("nurHestrelBox"));
    connect(m_nur_hestrel, &QCheckBox::clicked, this, [this](bool an) { m_modell.nur_hestrel_geklickt(an); });
    formular->addRow(m_nur_hestrel);

    m_warnton = new QCheckBox(QStringLiteral("Warnton bei Störungen"), this);
    m_warnton->setObjectName(QStringLiteral("warntonBox"));
    connect(m_warnton, &QCheckBox::clicked, this, [this](bool an) { m_modell.warnton_geklickt(an); });
    formular->addRow(m_warnton);

    auto* minutenzeile = new QHBoxLayout;
    m_minuten = new QSpinBox(this);
    m_minuten->setObjectName(QStringLiteral("warntonMinutenFeld"));
    m_minuten->setRange(1, Zusatzverwaltung::k_max_minuten);
    connect(m_minuten, &QSpinBox::valueChanged, this, [this](int m) { m_modell.minuten_geaendert(m); });
    minutenzeile->addWidget(new QLabel(QStringLiteral("Warnton alle"), this));
    minutenzeile->addWidget(m_minuten);
    minutenzeile->addWidget(new QLabel(QStringLiteral("Minuten"), this));
    minutenzeile->addStretch();
    formular->addRow(minutenzeile);

    // An unanswered alarm's sound again; 0 switches it off.
    auto* wiederholzeile = new QHBoxLayout;
    m_wiederholung_sekunden = new QSpinBox(this);
    m_wiederholung_sekunden->setObjectName(QStringLiteral("wiederholungSekundenFeld"));
    m_wiederholung_sekunden->setRange(0, Zusatzverwaltung::k_max_wiederholung_sekunden);
    m_wiederholung_sekunden->setSpecialValueText(QStringLiteral("nie"));
    connect(m_wiederholung_sekunden, &QSpinBox::valueChanged, this,
            [this](int s) { m_modell.wiederholung_sekunden_geaendert(s); });
    m_wiederholung_minuten = new QSpinBox(this);
    m_wiederholung_minuten->setObjectName(QStringLiteral("wiederholungMinutenFeld"));
    m_wiederholung_minuten->setRange(0, Zusatzverwaltung::k_max_minuten);
    connect(m_wiederholung_minuten, &QSpinBox::valueChanged, this,
            [this](int m) { m_modell.wiederholung_minuten_geaendert(m); });
    wiederholzeile->addWidget(new QLabel(QStringLiteral("Alarmton ohne Antwort wiederholen alle"), this));
    wiederholzeile->addWidget(m_wiederholung_sekunden);
    wiederholzeile->addWidget(new QLabel(QStringLiteral("Sekunden, höchstens"), this));
    wiederholzeile->addWidget(m_wiederholung_minuten);
    wiederholzeile->addWidget(new QLabel(QStringLiteral("Minuten lang"), this));
    wiederholzeile->addStretch();
    formular->addRow(wiederholzeile);
    spalte->addLayout(formular);

    m_meldung = new QLabel(this);
    m_meldung->setObjectName(QStringLiteral("meldung"));
    m_meldung->setWordWrap(true);
    m_meldung->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    m_meldung->hide();
    spalte->addWidget(m_meldung);

    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    auto* speichern = new QPushButton(QStringLiteral("Speichern"), this);
    speichern->setObjectName(QStringLiteral("speichernButton"));
    nur_mit_maus(speichern);
    connect(speichern, &QPushButton::clicked, this, [this] { m_modell.speichern_geklickt(); });
    auto* abbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    abbrechen->setObjectName(QStringLiteral("abbrechenButton"));
    nur_mit_maus(abbrechen);
    connect(abbrechen, &QPushButton::clicked, this, [this] { close(); });
    knoepfe->addWidget(speichern);
    knoepfe->addWidget(abbrechen);
    spalte->addLayout(knoepfe);

    m_modell.geaendert = [this] { aktualisieren(); };
    aktualisieren();
}

Zusatzfenster::~Zusatzfenster()
{
    m_modell.geaendert = nullptr;
}

void Zusatzfenster::aktualisieren()
{
    const Zusatzmaske& m = m_modell.maske();
    const QString name = QString::fromStdString(m.platzname);
    if (m_platzname->text() != name) {
        m_platzname->setText(name);
    }
    m_nur_hestrel->setChecked(m.nur_hestrel);
    m_warnton->setChecked(m.warnton);
    if (m_minuten->value() != m.warnton_minuten) {
        m_minuten->setValue(m.warnton_minuten);
    }
    if (m_wiederholung_sekunden->value() != m.wiederholung_sekunden) {
        m_wiederholung_sekunden->setValue(m.wiederholung_sekunden);
    }
    if (m_wiederholung_minuten->value() != m.wiederholung_minuten) {
        m_wiederholung_minuten->setValue(m.wiederholung_minuten);
    }
    m_meldung->setText(QString::fromStdString(m.meldung));
    m_meldung->setVisible(!m.meldung.empty());
    if (m.sichtbar && (!isVisible() || m.gezeigt != m_gezeigt)) {
        adjustSize();
        auf_wunsch_vorholen(this);
    } else if (!m.sichtbar && isVisible() && !m_schliesst) {
        hide();
    }
    m_gezeigt = m.gezeigt;
}

void Zusatzfenster::closeEvent(QCloseEvent* event)
{
    m_schliesst = true;
    m_modell.geschlossen();
    m_schliesst = false;
    event->accept();
}

} // namespace hestrel
