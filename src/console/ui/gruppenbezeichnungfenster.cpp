#include "console/ui/gruppenbezeichnungfenster.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "console/gruppenbezeichnung.h"
#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"

namespace hestrel {
namespace {

QFont schrift(const char* familie, double punkte)
{
    QFont f{QLatin1String(familie)};
    f.setPointSizeF(punkte);
    return f;
}

} // namespace

GruppenbezeichnungFenster::GruppenbezeichnungFenster(Gruppenbezeichnung& dialog, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_dialog(dialog)
{
    setObjectName(QStringLiteral("Gruppenbezeichnung"));
    setWindowRole(objectName());
    setWindowTitle(QStringLiteral("Gruppenbezeichnung"));
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
    setFixedSize(twips(4680), twips(3195));

    auto* label1 = control<QLabel>(this, "aktuellBeschriftung", 120, 360, 855, 495);
    label1->setText(QStringLiteral("Aktuell:"));
    label1->setFont(schrift("Arial", 12));
    m_akt_bez = control<QLineEdit>(this, "aktuellerNameFeld", 1080, 360, 3375, 495);
    m_akt_bez->setFont(schrift("MS Sans Serif", 8.25));
    connect(m_akt_bez, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_dialog.akt_bez = t.toStdString(); });

    auto* label2 = control<QLabel>(this, "neuBeschriftung", 120, 1080, 855, 495);
    label2->setText(QStringLiteral("Neu:"));
    label2->setFont(schrift("Arial", 12));
    m_neu_bez = control<QLineEdit>(this, "neuerNameFeld", 1080, 1080, 3375, 495);
    m_neu_bez->setFont(schrift("MS Sans Serif", 8.25));
    connect(m_neu_bez, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_dialog.neu_bez = t.toStdString(); });

    auto* uebernahme = control<QPushButton>(this, "uebernehmenButton", 240, 2040, 1455, 615);
    uebernahme->setText(QStringLiteral("Übernehmen"));
    uebernahme->setFont(schrift("Arial", 9.75));
    uebernahme->setAutoDefault(false);
    connect(uebernahme, &QPushButton::clicked, this, [this] { m_dialog.uebernehmen_geklickt(); });
    auto* abbruch = control<QPushButton>(this, "abbrechenButton", 2520, 2040, 1455, 615);
    abbruch->setText(QStringLiteral("Abbrechen"));
    abbruch->setFont(schrift("Arial", 9.75));
    abbruch->setAutoDefault(false);
    connect(abbruch, &QPushButton::clicked, this, [this] { m_dialog.abbrechen_geklickt(); });

    setTabOrder(m_akt_bez, m_neu_bez);
    setTabOrder(m_neu_bez, uebernahme);
    setTabOrder(uebernahme, abbruch);

    m_dialog.geaendert = [this] { aktualisieren(); };
    aktualisieren();
}

GruppenbezeichnungFenster::~GruppenbezeichnungFenster()
{
    m_dialog.geaendert = nullptr;
}

void GruppenbezeichnungFenster::aktualisieren()
{
    const QString akt = QString::fromStdString(m_dialog.akt_bez);
    if (m_akt_bez->text() != akt) {
        m_akt_bez->setText(akt);
    }
    const QString neu = QString::fromStdString(m_dialog.neu_bez);
    if (m_neu_bez->text() != neu) {
        m_neu_bez->setText(neu);
    }
    if (m_dialog.sichtbar && (!isVisible() || m_dialog.aktivierungen != m_aktivierungen)) {
        auf_wunsch_vorholen(this);
        // The typing goes where the new name is read; the current name is never read.
        m_neu_bez->setFocus();
    } else if (!m_dialog.sichtbar && isVisible() && !m_schliesst) {
        hide();
    }
    m_aktivierungen = m_dialog.aktivierungen;
}

void GruppenbezeichnungFenster::closeEvent(QCloseEvent* event)
{
    m_schliesst = true;
    m_dialog.geschlossen();
    m_schliesst = false;
    event->accept();
}

} // namespace hestrel
