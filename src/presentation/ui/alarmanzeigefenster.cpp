#include "presentation/ui/alarmanzeigefenster.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QtMath>

#include "einstellungen/einstellungen.h"
#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"
#include "platform/twips.h"
#include "presentation/alarmanzeige.h"
#include "presentation/ui/alarmtext.h"

namespace hestrel {
namespace {

QColor farbe(int windowsfarbe)
{
    // Windows colour values are 0x00BBGGRR.
    return QColor(windowsfarbe & 0xFF, (windowsfarbe >> 8) & 0xFF, (windowsfarbe >> 16) & 0xFF);
}

constexpr int k_rand_px = 8;
constexpr int k_text_oben_twips = 1080;
constexpr int k_text_links_twips = 1560;

// A button keeps its own colours: inheriting the blinking palette would give
// the style a new cached picture of it twice a second.
void eigene_farben(QPushButton* knopf)
{
    QPalette p = knopf->palette();
    for (int gruppe = 0; gruppe < QPalette::NColorGroups; ++gruppe) {
        for (int rolle = 0; rolle < QPalette::NColorRoles; ++rolle) {
            const auto g = static_cast<QPalette::ColorGroup>(gruppe);
            const auto r = static_cast<QPalette::ColorRole>(rolle);
            p.setColor(g, r, p.color(g, r));
        }
    }
    knopf->setPalette(p);
}

} // namespace

AlarmanzeigeFenster::AlarmanzeigeFenster(Alarmanzeige& modell, QScreen* schirm, Fensterstapel& stapel,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_modell(modell), m_schirm(schirm),
      m_stapel(stapel)
{
    setObjectName(QStringLiteral("Alarmanzeige"));
    setWindowRole(objectName());
    // Above every window, full-screen ones included, and never with the keyboard.
    m_stapel.ueber_allem(this);
    if (m_schirm) {
        setScreen(m_schirm);
    }
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
    setAutoFillBackground(true);
    resize(twips(Alarmanzeige::k_aussenbreite_twips), twips(Alarmanzeige::k_innenhoehe_twips));

    m_bild = new QLabel(this);
    m_bild->setObjectName(QStringLiteral("bild"));
    twips_setzen(m_bild, 120, 120, 975, 975);
    m_bild->setPixmap(QIcon(QStringLiteral(":/bilder/alarm.svg")).pixmap(twips(975), twips(975)));

    m_knopf = new QPushButton(QStringLiteral("schließen"), this);
    m_knopf->setObjectName(QStringLiteral("schliessenButton"));
    twips_setzen(m_knopf, 1440, 240, 2415, 615);
    m_knopf->setFont(arial(9.75, true));
    eigene_farben(m_knopf);
    // "schließen" is pressed by a deliberate click; see keyPressEvent for the keyboard.
    nur_mit_maus(m_knopf);
    connect(m_knopf, &QPushButton::clicked, this, [this] { m_modell.schliessen_geklickt(); });

    // "Ich komme" answers the sender; shown only for an alarm whose sender reads answers.
    m_antwort = new QPushButton(QStringLiteral("Ich komme"), this);
    m_antwort->setObjectName(QStringLiteral("antwortButton"));
    twips_setzen(m_antwort, 3975, 240, 1155, 615);
    m_antwort->setFont(arial(9.75, true));
    eigene_farben(m_antwort);
    nur_mit_maus(m_antwort);
    m_antwort->hide();
    connect(m_antwort, &QPushButton::clicked, this, [this] { m_modell.antwort_geklickt(); });

    // The alarms, one below the other, on the window's own blinking ground.
    m_liste = new QScrollArea(this);
    m_liste->setObjectName(QStringLiteral("alarmliste"));
    m_liste->setFrameShape(QFrame::NoFrame);
    m_liste->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_liste->setFocusPolicy(Qt::NoFocus);
    m_liste->viewport()->setAutoFillBackground(false);
    m_liste->move(twips(k_text_links_twips), twips(k_text_oben_twips));
    m_inhalt = new QWidget;
    m_inhalt->setObjectName(QStringLiteral("alarminhalt"));
    m_inhalt->setAutoFillBackground(false);
    m_liste->setWidget(m_inhalt);
    eintrag_anlegen();

    aktualisieren();
}

QRect AlarmanzeigeFenster::flaeche() const
{
    const QScreen* s = m_schirm ? m_schirm.data() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1920, 1080);
}

void AlarmanzeigeFenster::mittig_setzen()
{
    const QRect s = flaeche();
    move(s.x() + (s.width() - frameGeometry().width()) / 2,
         s.y() + (s.height() - frameGeometry().height()) / 2);
}

QRect AlarmanzeigeFenster::frei() const
{
    const QScreen* s = m_schirm ? m_schirm.data() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1920, 1080);
}

bool AlarmanzeigeFenster::ueber_dem_schirm() const
{
    return m_modell.vollbild_platziert() ||
           m_modell.fensterzustand() == Alarmanzeige::Fensterzustand::maximiert;
}

double AlarmanzeigeFenster::schriftgroesse() const
{
    // Over the screen the text scales with the screen: the engine sets it for the primary one.
    const double punkte = m_modell.schriftgroesse();
    if (!m_modell.vollbild_platziert() || m_modell.breite_px() <= 0) {
        return punkte;
    }
    return punkte * flaeche().width() / m_modell.breite_px();
}

void AlarmanzeigeFenster::eintrag_anlegen()
{
    Eintrag e;
    e.linie = new QFrame(m_inhalt);
    e.linie->setFrameShape(QFrame::HLine);
    e.linie->setFrameShadow(QFrame::Plain);
    e.linie->hide();
    e.herkunft = new QLabel(m_inhalt);
    e.herkunft->setObjectName(QStringLiteral("herkunft"));
    e.herkunft->setFont(arial(9.75, true));
    // Names from a share are shown as they are, never as markup.
    e.herkunft->setTextFormat(Qt::PlainText);
    e.herkunft->hide();
    e.text = new Alarmtext(m_inhalt);
    e.text->setObjectName(QStringLiteral("alarmtext"));
    e.text->setAutoFillBackground(true);
    e.rueckmeldung = new QLabel(m_inhalt);
    e.rueckmeldung->setObjectName(QStringLiteral("rueckmeldung"));
    e.rueckmeldung->setFont(arial(9.75, true));
    e.rueckmeldung->setTextFormat(Qt::PlainText);
    e.rueckmeldung->setWordWrap(true);
    e.rueckmeldung->hide();
    const std::size_t i = m_eintraege.size();
    const auto knopf = [this](const QString& name, const QString& text) {
        auto* k = new QPushButton(text, m_inhalt);
        k->setObjectName(name);
        k->setFont(arial(9.75, true));
        k->setFixedSize(twips(1455), twips(495));
        eigene_farben(k);
        nur_mit_maus(k);
        k->hide();
        return k;
    };
    e.antwort = knopf(QStringLiteral("alarmAntwortButton"), QStringLiteral("Ich komme"));
    e.schliessen = knopf(QStringLiteral("alarmSchliessenButton"), QStringLiteral("schließen"));
    // Each acts on the alarm its entry shows now.
    connect(e.antwort, &QPushButton::clicked, this,
            [this, i] { m_modell.antwort_geklickt(m_eintraege[i].nummer); });
    connect(e.schliessen, &QPushButton::clicked, this,
            [this, i] { m_modell.alarm_schliessen(m_eintraege[i].nummer); });
    m_eintraege.push_back(e);
}

int AlarmanzeigeFenster::eintraege_setzen(int breite)
{
    const bool einzeln = m_gezeigt <= 1;
    int y = 0;
    for (std::size_t i = 0; i < m_gezeigt; ++i) {
        const Eintrag& e = m_eintraege[i];
        if (i > 0) {
            y += k_rand_px;
            e.linie->setGeometry(0, y, breite, 2);
            y += 2 + k_rand_px;
        }
        if (!e.herkunft->text().isEmpty()) {
            const QSize kopf(breite, e.herkunft->sizeHint().height());
            if (e.herkunft->size() != kopf) {
                e.herkunft->setFixedSize(kopf);
            }
            e.herkunft->move(0, y);
            y += kopf.height() + k_rand_px / 2;
        }
        if (e.text->y() != y || e.text->x() != 0) {
            e.text->move(0, y);
        }
        const int texthoehe = std::max(e.text->hoehe_fuer(breite), e.text->fontMetrics().height());
        if (e.text->size() != QSize(breite, texthoehe)) {
            e.text->setFixedSize(breite, texthoehe);
        }
        y += texthoehe;
        if (!e.rueckmeldung->text().isEmpty()) {
            const QSize fuss(breite, e.rueckmeldung->heightForWidth(breite));
            if (e.rueckmeldung->size() != fuss) {
                e.rueckmeldung->setFixedSize(fuss);
            }
            e.rueckmeldung->move(0, y + k_rand_px / 2);
            y += k_rand_px / 2 + fuss.height();
        }
        if (!einzeln) {
            y += k_rand_px / 2;
            int x = 0;
            if (!e.antwort->isHidden()) {
                e.antwort->move(x, y);
                x += e.antwort->width() + k_rand_px;
            }
            e.schliessen->move(x, y);
            y += e.schliessen->height();
        }
    }
    return y;
}

void AlarmanzeigeFenster::einpassen()
{
    // The list takes the room right of and below its place; each text is laid
    // out only when its text, font or width changed.
    const int x = twips(k_text_links_twips);
    const int oben = twips(k_text_oben_twips);
    const int breite = std::max(1, width() - x - k_rand_px);
    const int leiste = m_liste->verticalScrollBar()->sizeHint().width();
    const bool normal = !ueber_dem_schirm() &&
                        !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QRect f = frei();
    const auto hoehe_fuer = [&](int inhalt) {
        if (!normal) {
            return height();
        }
        // The normal window: its designed size, grown as far as the texts need, and on the screen.
        const int rahmen_hoehe = isVisible() ? frameGeometry().height() - height() : 0;
        const int noetig = std::max(twips(Alarmanzeige::k_innenhoehe_twips), oben + inhalt + k_rand_px);
        return std::max(1, std::min(noetig, f.height() - rahmen_hoehe));
    };
    // Too many or too long for the screen: the list scrolls, none is cut off.
    // The last answer is tried first, so that a blink lays nothing out twice.
    int inhalt = eintraege_setzen(std::max(1, m_rollt ? breite - leiste : breite));
    int hoehe = hoehe_fuer(inhalt);
    if ((inhalt > hoehe - oben - k_rand_px) != m_rollt) {
        m_rollt = !m_rollt;
        inhalt = eintraege_setzen(std::max(1, m_rollt ? breite - leiste : breite));
        hoehe = hoehe_fuer(inhalt);
    }
    const int platz = std::max(1, hoehe - oben - k_rand_px);
    const QSize liste(breite, platz);
    if (m_liste->size() != liste) {
        m_liste->resize(liste);
    }
    const QSize innen(std::max(1, m_rollt ? breite - leiste : breite), std::max(1, inhalt));
    if (m_inhalt->size() != innen) {
        m_inhalt->resize(innen);
    }
    if (!normal) {
        return;
    }
    if (hoehe != height()) {
        resize(width(), hoehe);
    }
    if (isVisible()) {
        const QRect r = frameGeometry();
        const int x = std::max(f.left(), std::min(r.left(), f.right() + 1 - r.width()));
        const int y = std::max(f.top(), std::min(r.top(), f.bottom() + 1 - r.height()));
        if (x != r.left() || y != r.top()) {
            move(x, y);
        }
    }
}

void AlarmanzeigeFenster::aktualisieren()
{
    if (m_modell.erzeugungen() != m_erzeugungen) {
        // A new window: designed size, in the middle of the screen.
        m_erzeugungen = m_modell.erzeugungen();
        setWindowState(Qt::WindowNoState);
        resize(twips(Alarmanzeige::k_aussenbreite_twips), twips(Alarmanzeige::k_innenhoehe_twips));
        m_normalgroesse = size();
        m_rahmen_offen = true;
        mittig_setzen();
    }
    setWindowTitle(QString::fromStdString(m_modell.caption()));

    // The blink: colours only. Nothing here lays the text out again.
    const QColor hinten = farbe(m_modell.hintergrundfarbe());
    const QColor vorne = farbe(m_modell.vordergrundfarbe());
    if (palette().color(QPalette::Window) != hinten || palette().color(QPalette::WindowText) != vorne) {
        QPalette p = palette();
        p.setColor(QPalette::Window, hinten);
        p.setColor(QPalette::WindowText, vorne);
        setPalette(p);
    }

    // The alarms, each with what is known of its sender and the others' answers.
    const std::vector<OffenerAlarm>& alarme = m_modell.alarme();
    while (m_eintraege.size() < alarme.size()) {
        eintrag_anlegen();
    }
    m_gezeigt = alarme.size();
    const bool einzeln = alarme.size() <= 1;
    const QString schliessen = einzeln ? QStringLiteral("schließen") : QStringLiteral("Alle schließen");
    if (m_knopf->text() != schliessen) {
        m_knopf->setText(schliessen);
    }
    m_antwort->setVisible(einzeln && !m_modell.herkunftszeile().empty());
    m_antwort->setEnabled(m_modell.antwort_moeglich());
    const QString knopftext = QString::fromStdString(m_modell.antwortknopf());
    if (m_antwort->text() != knopftext) {
        m_antwort->setText(knopftext);
    }
    const QFont f = arial(std::max(1.0, schriftgroesse()), false);
    for (std::size_t i = 0; i < m_eintraege.size(); ++i) {
        Eintrag& e = m_eintraege[i];
        const bool da = i < alarme.size();
        const OffenerAlarm leer;
        const OffenerAlarm& a = da ? alarme[i] : leer;
        e.nummer = a.nummer;
        e.linie->setVisible(da && i > 0);
        const QString herkunft = QString::fromStdString(a.herkunft);
        if (e.herkunft->text() != herkunft) {
            e.herkunft->setText(herkunft);
            e.herkunft->setFixedSize(QSize(1, 1));
        }
        e.herkunft->setVisible(da && !herkunft.isEmpty());
        const QString rueckmeldung = QString::fromStdString(a.rueckmeldung);
        if (e.rueckmeldung->text() != rueckmeldung) {
            e.rueckmeldung->setText(rueckmeldung);
            e.rueckmeldung->setFixedSize(QSize(1, 1));
        }
        e.rueckmeldung->setVisible(da && !rueckmeldung.isEmpty());
        if (e.text->palette().color(QPalette::Window) != hinten ||
            e.text->palette().color(QPalette::WindowText) != vorne) {
            e.text->setPalette(palette());
        }
        if (e.text->font() != f) {
            e.text->setFont(f);
        }
        const QString text = QString::fromStdString(a.text);
        if (e.text->text() != text) {
            e.text->setText(text);
        }
        e.text->setVisible(da || i == 0);
        const QString antwort = QString::fromStdString(a.antwortknopf());
        if (e.antwort->text() != antwort) {
            e.antwort->setText(antwort);
        }
        e.antwort->setVisible(da && !einzeln && !herkunft.isEmpty());
        e.antwort->setEnabled(a.antwort_moeglich());
        e.schliessen->setVisible(da && !einzeln);
    }
    einpassen();

    if (!m_modell.existiert() || !m_modell.sichtbar()) {
        if (isVisible()) {
            hide();
        }
        return;
    }
    const Qt::WindowStates zustand = windowState();
    if (ueber_dem_schirm()) {
        // Over the whole screen by its own geometry: a desktop that maximised
        // it would take it out of the layer above full-screen windows.
        if (zustand != Qt::WindowNoState) {
            setWindowState(Qt::WindowNoState);
        }
        if (geometry() != flaeche()) {
            setGeometry(flaeche());
        }
    } else if (zustand & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        setWindowState(Qt::WindowNoState);
        // Its own normal size, not what the desktop leaves it with.
        if (!m_modell.vollbild_platziert() && m_normalgroesse.isValid()) {
            resize(m_normalgroesse);
        }
        einpassen();
    }
    if (!isVisible()) {
        show();
    }
    aussenbreite_einhalten();
    if (m_modell.hintergrundfarbe() == m_modell.hauptfarbe() && !m_modell.alle_beantwortet()) {
        // Once a second, as the window state is put back, it goes back above all others.
        m_stapel.heben(this);
    }
}

void AlarmanzeigeFenster::vorholen()
{
    if (m_modell.vollbild_platziert()) {
        setWindowState(Qt::WindowNoState);
        setGeometry(flaeche());
    }
    // A new alarm must be seen before a key may close it.
    m_selbst_aktiviert = false;
    aktualisieren();
    show();
    // Raised, never activated: the keyboard stays with the program the person types in.
    m_stapel.heben(this);
    // The reception shows the message list right after; where the desktop
    // ignores the stay-on-top hint, the alarm window must still end up above it.
    QTimer::singleShot(0, this, [this] { m_stapel.heben(this); });
}

void AlarmanzeigeFenster::hideEvent(QHideEvent* event)
{
    m_selbst_aktiviert = false;
    QWidget::hideEvent(event);
}

void AlarmanzeigeFenster::mousePressEvent(QMouseEvent* event)
{
    m_selbst_aktiviert = true;
    QWidget::mousePressEvent(event);
}

void AlarmanzeigeFenster::keyPressEvent(QKeyEvent* event)
{
    // The keyboard way to "schließen": only in a window the person clicked
    // into themselves, never in one that came forward on its own.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_selbst_aktiviert && isActiveWindow() && isVisible()) {
            event->accept();
            m_modell.schliessen_geklickt();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void AlarmanzeigeFenster::closeEvent(QCloseEvent* event)
{
    // The title bar's close destroys the window; the engine creates it anew for the next alarm.
    m_modell.schliessen();
    event->accept();
}

void AlarmanzeigeFenster::aussenbreite_einhalten()
{
    if (!m_rahmen_offen || !isVisible() || windowState() != Qt::WindowNoState || ueber_dem_schirm()) {
        return;
    }
    // The desktop tells the frame only once the window is on the screen.
    const int rahmen = frameGeometry().width() - width();
    if (rahmen <= 0) {
        return;
    }
    m_rahmen_offen = false;
    resize(std::max(1, twips(Alarmanzeige::k_aussenbreite_twips) - rahmen), height());
    m_normalgroesse = size();
    mittig_setzen();
}

void AlarmanzeigeFenster::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    aussenbreite_einhalten();
}

void AlarmanzeigeFenster::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width()) {
        einpassen();
    }
    // Only the normal window's width counts for the font: a maximised or
    // minimised one would set the text in 64 pt and grow a column off the
    // screen. A window as wide as the free screen is taken as maximised, for
    // the desktop may report the size before the state.
    if (event->spontaneous() && windowState() == Qt::WindowNoState && !ueber_dem_schirm() &&
        frameGeometry().width() < frei().width()) {
        m_normalgroesse = QSize(width(), m_normalgroesse.isValid() ? m_normalgroesse.height() : height());
        const QScreen* s = m_schirm ? m_schirm.data() : QGuiApplication::primaryScreen();
        // The engine keeps one width: the one of the window on the primary screen.
        if (s != QGuiApplication::primaryScreen()) {
            return;
        }
        const int twips_pro_pixel = s ? std::max(1, qRound(1440.0 / s->logicalDotsPerInchX())) : 15;
        // The width it was created with stays exactly that many twips, not its pixels' worth.
        const int aussen = frameGeometry().width();
        m_modell.aussenbreite_setzen(aussen == twips(Alarmanzeige::k_aussenbreite_twips)
                                         ? Alarmanzeige::k_aussenbreite_twips
                                         : aussen * twips_pro_pixel);
    }
}

} // namespace hestrel
