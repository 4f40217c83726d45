#include "presentation/ui/alarmgesendetfenster.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "platform/fensterbau.h"
#include "platform/twips.h"
#include "presentation/alarmgesendet.h"

namespace hestrel {

AlarmgesendetFenster::AlarmgesendetFenster(Alarmgesendet& modell, QWidget* parent)
    : QWidget(parent, Qt::Window), m_modell(modell)
{
    setObjectName(QStringLiteral("alarmgesendet"));
    setWindowRole(objectName());
    // Shown on a key of the alarm box too, while the person may type elsewhere;
    // it stays above the message list that a received alarm brings forward.
    setAttribute(Qt::WA_ShowWithoutActivating);
    oben_halten(this);
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
    setFixedSize(twips(4440), twips(1845));

    m_text = new QLabel(QStringLiteral("Der Alarm wurde ausgelöst ."), this);
    m_text->setObjectName(QStringLiteral("meldung"));
    twips_setzen(m_text, 240, 240, 2895, 615);
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(12);
    f.setBold(true);
    m_text->setFont(f);
    m_text->setWordWrap(true);

    m_knopf = new QPushButton(QStringLiteral("OK !"), this);
    m_knopf->setObjectName(QStringLiteral("okButton"));
    twips_setzen(m_knopf, 1440, 1080, 1455, 495);
    nur_mit_maus(m_knopf);
    connect(m_knopf, &QPushButton::clicked, this, [this] { m_modell.ok_geklickt(); });

    m_bild = new QLabel(this);
    m_bild->setObjectName(QStringLiteral("bild"));
    twips_setzen(m_bild, 3240, 120, 975, 975);
    m_bild->setPixmap(QIcon(QStringLiteral(":/bilder/alarm.svg")).pixmap(twips(975), twips(975)));

    m_reichweite = new QLabel(this);
    m_reichweite->setObjectName(QStringLiteral("reichweite"));
    QFont klein(QStringLiteral("Arial"));
    klein.setPointSizeF(9.75);
    klein.setBold(true);
    m_reichweite->setFont(klein);
    m_reichweite->setTextFormat(Qt::RichText);
    m_reichweite->hide();
    m_rueckmeldungen = new QLabel(this);
    m_rueckmeldungen->setObjectName(QStringLiteral("rueckmeldungen"));
    m_rueckmeldungen->setFont(arial(9.75, true));
    // Names from a share are shown as they are, never as markup.
    m_rueckmeldungen->setTextFormat(Qt::PlainText);
    m_rueckmeldungen->setWordWrap(true);
    m_rueckmeldungen->hide();

    m_modell.geaendert = [this] { aktualisieren(); };
    m_modell.vorholen = [this] { vorholen(); };
    aktualisieren();
}

AlarmgesendetFenster::~AlarmgesendetFenster()
{
    m_modell.geaendert = nullptr;
    m_modell.vorholen = nullptr;
}

void AlarmgesendetFenster::aktualisieren()
{
    setWindowTitle(QString::fromStdString(m_modell.caption()));
    m_knopf->setEnabled(m_modell.ok_aktiv());
    const QString meldung = QString::fromStdString(m_modell.meldung());
    if (m_text->text() != meldung) {
        m_text->setText(meldung);
    }
    reichweite_zeigen();
    rueckmeldungen_zeigen();
    groesse_anpassen();
    const bool zeigen = m_modell.existiert() && m_modell.sichtbar();
    if (zeigen && !m_platziert) {
        // First shown in the middle of the screen; afterwards where the user left it.
        m_platziert = true;
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect g = s->availableGeometry();
            move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
        }
    }
    if (zeigen != isVisible()) {
        setVisible(zeigen);
    }
}

void AlarmgesendetFenster::reichweite_zeigen()
{
    const std::vector<std::string>& zeilen = m_modell.reichweite();
    QString html;
    for (std::size_t n = 0; n < zeilen.size(); ++n) {
        const QString zeile = QString::fromStdString(zeilen[n]).toHtmlEscaped();
        // The first line is the count; every further one warns of a group nobody hears.
        html += (n == 0 ? zeile : QStringLiteral("<br><span style=\"color:#b00000\">%1</span>").arg(zeile));
    }
    if (m_reichweite->text() == html && m_reichweite->isVisibleTo(this) == !zeilen.empty()) {
        return;
    }
    m_reichweite->setText(html);
    const int zeilenhoehe = 270;
    const int hoehe = static_cast<int>(zeilen.size()) * zeilenhoehe;
    twips_setzen(m_reichweite, 240, 1680, 3960, std::max(hoehe, zeilenhoehe));
    m_reichweite->setVisible(!zeilen.empty());
}

void AlarmgesendetFenster::rueckmeldungen_zeigen()
{
    const QString rueckmeldungen = QString::fromStdString(m_modell.rueckmeldetext());
    if (m_rueckmeldungen->text() == rueckmeldungen) {
        return;
    }
    m_rueckmeldungen->setText(rueckmeldungen);
    m_rueckmeldungen->setVisible(!rueckmeldungen.isEmpty());
    const int breite = twips(4440 - 2 * 240);
    const int hoehe = rueckmeldungen.isEmpty() ? 0 : m_rueckmeldungen->heightForWidth(breite);
    m_rueckmeldungen->setFixedSize(breite, std::max(1, hoehe));
}

void AlarmgesendetFenster::groesse_anpassen()
{
    // The reach lines below "OK !", the answers below them; the window grows by both.
    int unten = twips(1680);
    if (m_reichweite->isVisibleTo(this)) {
        unten = m_reichweite->geometry().bottom() + twips(60);
    }
    if (m_rueckmeldungen->isVisibleTo(this)) {
        m_rueckmeldungen->move(twips(240), unten);
        unten += m_rueckmeldungen->height() + twips(60);
    }
    const QSize groesse(twips(4440), std::max(twips(1845), unten + twips(180)));
    if (size() != groesse) {
        setFixedSize(groesse);
    }
}

void AlarmgesendetFenster::vorholen()
{
    aktualisieren();
    if (isVisible()) {
        nach_vorne(this);
    }
}

void AlarmgesendetFenster::closeEvent(QCloseEvent* event)
{
    m_modell.schliessen();
    m_platziert = false;
    event->accept();
}

} // namespace hestrel
