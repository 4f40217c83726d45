#include "tray/ui/programminfofenster.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"
#include "tray/programminfo.h"

namespace hestrel {
namespace {

QLabel* bild(QWidget* eltern, const char* name, const char* datei, int l, int o, int b, int h)
{
    auto* label = control<QLabel>(eltern, name, l, o, b, h);
    const qreal dpr = eltern->devicePixelRatioF();
    QPixmap p = QIcon(QLatin1String(datei)).pixmap(QSize(twips(b), twips(h)), dpr);
    label->setPixmap(p);
    label->setScaledContents(true);
    return label;
}

} // namespace

ProgramminfoFenster::ProgramminfoFenster(Programminfo& info, QWidget* parent) : QWidget(parent), m_info(info)
{
    setObjectName(QStringLiteral("programminfo"));
    setWindowRole(objectName());
    setWindowTitle(QStringLiteral("Borl XQV GmbH"));
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
    setFixedSize(twips(5430), twips(2655));

    bild(this, "bild", ":/bilder/alarm.svg", 240, 240, 975, 975);

    auto* label1 = control<QLabel>(this, "firma", 1920, 360, 2535, 255);
    label1->setText(QStringLiteral("Borl XQV GmbH"));
    label1->setFont(arial(11.25, true));

    auto* label2 = control<QLabel>(this, "produkt", 1920, 720, 3135, 855);
    label2->setText(QStringLiteral("Kestu für Mitarbeiteralarm"));
    label2->setFont(arial(18, true, true));
    label2->setWordWrap(true);
    label2->setStyleSheet(QStringLiteral("color: #c00000;"));

    m_version = control<QLabel>(this, "version", 120, 1320, 1695, 255);
    m_version->setFont(arial(8.25));

    auto* schliessen = control<QPushButton>(this, "schliessenButton", 2400, 1680, 1215, 495);
    schliessen->setText(QStringLiteral("Schliessen"));
    connect(schliessen, &QPushButton::clicked, this, [this] { m_info.schliessen_geklickt(); });

    bild(this, "banner", ":/bilder/banner.svg", 4200, 2400, 1215, 255);

    auto* label4 = control<QLabel>(this, "copyright", 120, 2400, 1455, 255);
    label4->setText(QStringLiteral("© Borl XQV GmbH"));
    label4->setFont(arial(8.25));

    m_info.geaendert = [this] { aktualisieren(); };
    aktualisieren();
}

ProgramminfoFenster::~ProgramminfoFenster()
{
    m_info.geaendert = nullptr;
}

void ProgramminfoFenster::aktualisieren()
{
    m_version->setText(QString::fromStdString(m_info.version));
    if (m_info.sichtbar && (!isVisible() || m_info.gezeigt != m_gezeigt)) {
        auf_wunsch_vorholen(this);
    } else if (!m_info.sichtbar && isVisible() && !m_schliesst) {
        hide();
    }
    m_gezeigt = m_info.gezeigt;
}

void ProgramminfoFenster::closeEvent(QCloseEvent* event)
{
    m_schliesst = true;
    m_info.geschlossen();
    m_schliesst = false;
    event->accept();
}

} // namespace hestrel
