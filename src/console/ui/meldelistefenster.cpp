#include "console/ui/meldelistefenster.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QVBoxLayout>

#include "console/meldeliste.h"
#include "console/ui/journalmodell.h"
#include "platform/fensterbau.h"
#include "platform/fensterstapel.h"

namespace hestrel {
namespace {

QLabel* beschriftung(QWidget* eltern, const char* name, const char* text, int l, int o, int b, int h)
{
    auto* label = control<QLabel>(eltern, QLatin1String(name), l, o, b, h);
    label->setText(QString::fromUtf8(text));
    label->setFont(arial(12, true));
    return label;
}

// A Windows colour 0x00BBGGRR as a style sheet background.
QString hintergrund(int farbe)
{
    if (farbe < 0) {
        return {};
    }
    const QColor c(farbe & 0xFF, (farbe >> 8) & 0xFF, (farbe >> 16) & 0xFF);
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid #404040; }"
                          "QPushButton:pressed { border: 2px inset #404040; }")
        .arg(c.name());
}

// The supervision's warning colour of a group's button (orange).
constexpr int k_warnfarbe = 0x008CFF;
constexpr int k_marke_breite = 20;

constexpr int k_rel_links[5] = {360, 2520, 4680, 6840, 9000};
constexpr int k_status_links[5] = {960, 3120, 5280, 7440, 9600};
constexpr int k_melde_links[5] = {16005, 16440, 16920, 17400, 17880};
constexpr int k_breite = 18600;
constexpr int k_hoehe = 9675;

} // namespace

MeldelisteFenster::MeldelisteFenster(Meldeliste& liste, QWidget* parent) : QWidget(parent), m_liste(liste)
{
    setObjectName(QStringLiteral("Meldeliste"));
    setWindowRole(objectName());
    setWindowIcon(QIcon(QStringLiteral(":/bilder/programm.svg")));
    QFont arial_black(QStringLiteral("Arial Black"));
    arial_black.setPointSizeF(9.75);
    setFont(arial_black);
    m_farbe.fill(-2);

    // The controls keep their places in twips on a surface of the designed
    // size; on a screen too small for it the window scrolls over it.
    auto* rahmen_layout = new QVBoxLayout(this);
    rahmen_layout->setContentsMargins(0, 0, 0, 0);
    m_flaeche = new QScrollArea(this);
    m_flaeche->setObjectName(QStringLiteral("Flaeche"));
    m_flaeche->setFrameShape(QFrame::NoFrame);
    m_flaeche->setFocusPolicy(Qt::NoFocus);
    m_flaeche->setWidgetResizable(false);
    m_inhalt = new QWidget;
    m_inhalt->setObjectName(QStringLiteral("Inhalt"));
    m_inhalt->setFixedSize(twips(k_breite), twips(k_hoehe));
    m_flaeche->setWidget(m_inhalt);
    rahmen_layout->addWidget(m_flaeche);
    QWidget* const flaeche = m_inhalt;

    // The frames first, so that every control lies above them.
    const struct {
        const char* name;
        int l, o, b, h;
    } rahmen[] = {{"Shape2", 120, 3000, 11115, 6495},
                  {"Shape1", 11400, 3000, 6975, 6495},
                  {"Shape3", 11400, 600, 6975, 1815}};
    for (const auto& r : rahmen) {
        auto* f = control<QFrame>(flaeche, QLatin1String(r.name), r.l, r.o, r.b, r.h);
        f->setFrameShape(QFrame::Box);
        f->setFrameShadow(QFrame::Plain);
    }

    auto* image1 = control<QLabel>(flaeche, QStringLiteral("bild"), 120, 120, 975, 975);
    image1->setPixmap(QIcon(QStringLiteral(":/bilder/alarm.svg")).pixmap(twips(975), twips(975)));
    image1->setScaledContents(true);

    m_produkttitel = control<QLabel>(flaeche, QStringLiteral("produkttitel"), 1440, 240, 5535, 375);
    m_produkttitel->setFont(arial(14.25, true, true));
    m_version = control<QLabel>(flaeche, QStringLiteral("version"), 240, 1200, 1815, 255);
    m_version->setFont(arial(8.25));

    auto* speichern =
        control<QPushButton>(flaeche, QStringLiteral("alarmdatenSpeichernButton"), 120, 1920, 2655, 495);
    speichern->setText(QStringLiteral("Einstellungen speichern"));
    speichern->setFont(arial(9.75, true));
    nur_mit_maus(speichern);
    connect(speichern, &QPushButton::clicked, this, [this] { m_liste.alarmdaten_speichern_geklickt(); });

    auto* loeschen =
        control<QPushButton>(flaeche, QStringLiteral("listeLoeschenButton"), 9240, 1920, 2055, 495);
    loeschen->setText(QStringLiteral("Liste löschen"));
    loeschen->setFont(arial(9.75, true));
    nur_mit_maus(loeschen);
    connect(loeschen, &QPushButton::clicked, this, [this] { m_liste.liste_loeschen_geklickt(); });

    // The program's menu; shown once the program hands it over.
    m_programm = control<QPushButton>(flaeche, QStringLiteral("programmButton"), 9240, 240, 2055, 495);
    m_programm->setText(QStringLiteral("Programm"));
    m_programm->setFont(arial(9.75, true));
    nur_mit_maus(m_programm);
    m_programm->hide();

    beschriftung(flaeche, "meldungenBeschriftung", "Meldungen", 11400, 120, 1455, 375);
    m_journal = new Journalmodell(m_liste.maske(), this);
    // A one-column table drawn as a plain list: a list view lays out every
    // row again whenever rows are appended, which a journal of 100,000 rows
    // feels at every refresh; the table's rows all have the same height.
    m_listmeldungen = control<QTableView>(flaeche, QStringLiteral("journalListe"), 11520, 720, 6735, 1530);
    m_listmeldungen->setFont(arial(8.25));
    m_listmeldungen->setShowGrid(false);
    m_listmeldungen->setWordWrap(false);
    m_listmeldungen->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listmeldungen->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listmeldungen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listmeldungen->horizontalHeader()->hide();
    m_listmeldungen->horizontalHeader()->setStretchLastSection(true);
    m_listmeldungen->verticalHeader()->hide();
    m_listmeldungen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_listmeldungen->verticalHeader()->setMinimumSectionSize(1);
    // Rows as tall as a list view makes them.
    QStyleOptionViewItem zeile;
    zeile.initFrom(m_listmeldungen);
    zeile.font = m_listmeldungen->font();
    zeile.features = QStyleOptionViewItem::HasDisplay;
    zeile.text = QStringLiteral("Ag");
    const QSize groesse =
        m_listmeldungen->style()->sizeFromContents(QStyle::CT_ItemViewItem, &zeile, QSize(), m_listmeldungen);
    m_listmeldungen->verticalHeader()->setDefaultSectionSize(groesse.height());
    m_listmeldungen->setModel(m_journal);

    beschriftung(flaeche, "statusBeschriftung", "Status der Gruppen", 240, 2640, 2895, 375);
    for (int i = 0; i < 50; ++i) {
        const int k = i / 10;
        const int r = i % 10;
        auto* knopf = control<QPushButton>(flaeche, QStringLiteral("relaisButton_%1").arg(i), k_rel_links[k],
                                           3360 + 600 * r, 495, 375);
        knopf->setText(QString::number(i + 1));
        knopf->setFont(arial(9.75, true));
        nur_mit_maus(knopf);
        connect(knopf, &QPushButton::clicked, this, [this, i] { m_liste.relais_geklickt(i); });
        m_rel_stat[static_cast<std::size_t>(i)] = knopf;

        auto* status = control<QLabel>(flaeche, QStringLiteral("gruppennameFeld_%1").arg(i),
                                       k_status_links[k], 3360 + 600 * r, 1395, 375);
        status->setFont(arial(12, true));
        status->installEventFilter(this);
        m_gruppe_status[static_cast<std::size_t>(i)] = status;
        auto* marke = new QLabel(status);
        marke->setObjectName(QStringLiteral("anwesendMarke_%1").arg(i));
        marke->setFont(arial(8.25, true));
        marke->setAlignment(Qt::AlignCenter);
        marke->setAttribute(Qt::WA_TransparentForMouseEvents);
        marke->setGeometry(status->width() - k_marke_breite, (status->height() - 16) / 2, k_marke_breite, 16);
        marke->hide();
        m_anwesend[static_cast<std::size_t>(i)] = marke;
    }

    beschriftung(flaeche, "gruppenalarmBeschriftung", "Gruppenalarm", 11520, 2640, 2895, 375);
    beschriftung(flaeche, "alarmtextBeschriftung", "Alarmtext", 11520, 3600, 2535, 375);
    for (int n = 0; n < 4; ++n) {
        auto* text = control<QLineEdit>(flaeche, QStringLiteral("alarmtextFeld%1").arg(n + 1), 11520,
                                        4080 + 480 * n, 3615, 390);
        text->setFont(arial(12, true));
        connect(text, &QLineEdit::textEdited, this,
                [this, n](const QString& t) { m_liste.alarmtext_geaendert(n + 1, t.toStdString()); });
        m_sntext[static_cast<std::size_t>(n)] = text;
    }

    auto* senden =
        control<QPushButton>(flaeche, QStringLiteral("alarmAusloesenButton"), 11640, 6840, 3375, 855);
    senden->setText(QStringLiteral("Alarm auslösen"));
    senden->setFont(arial(14.25, true));
    senden->setStyleSheet(hintergrund(255));
    // No keystroke may send an alarm: a space typed for another program, or
    // one after the message list came forward, must not press this button.
    nur_mit_maus(senden);
    connect(senden, &QPushButton::clicked, this, [this] { m_liste.alarm_ausloesen_geklickt(); });

    m_melde_alle = control<QCheckBox>(flaeche, QStringLiteral("alleGruppenBox"), 11640, 8760, 255, 270);
    connect(m_melde_alle, &QCheckBox::clicked, this, [this](bool an) { m_liste.alle_gruppen_geklickt(an); });
    beschriftung(flaeche, "alleGruppenBeschriftung", "an alle eingetragenen Gruppen", 12000, 8760, 3615, 375);

    auto* label4 = beschriftung(flaeche, "meldegruppenBeschriftung", "Meldegruppen", 15960, 3360, 1815, 375);
    label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const struct {
        const char* text;
        int l, o;
    } nummern[] = {{"01", 15600, 4080},
                   {"05", 15600, 6000},
                   {"10", 15600, 8400},
                   {"01", 15960, 3720},
                   {"41", 17880, 3720}};
    for (int n = 0; n < 5; ++n) {
        auto* label = control<QLabel>(flaeche, QStringLiteral("gruppennummer_%1").arg(n), nummern[n].l,
                                      nummern[n].o, 375, 255);
        label->setText(QLatin1String(nummern[n].text));
    }
    for (int i = 0; i < 50; ++i) {
        auto* box = control<QCheckBox>(flaeche, QStringLiteral("meldegruppeBox_%1").arg(i),
                                       k_melde_links[i / 10], 4080 + 480 * (i % 10), 255, 270);
        connect(box, &QCheckBox::clicked, this, [this, i](bool) { m_liste.meldegruppe_geklickt(i); });
        m_melde_gruppen[static_cast<std::size_t>(i)] = box;
    }

    // The device inputs; never shown.
    m_ein1 = new QCheckBox(QStringLiteral("Eingang 1"), flaeche);
    m_ein1->setObjectName(QStringLiteral("eingang1"));
    m_ein1->hide();
    m_ein2 = new QCheckBox(QStringLiteral("Eingang 2"), flaeche);
    m_ein2->setObjectName(QStringLiteral("eingang2"));
    m_ein2->hide();

    m_liste.geaendert = [this] { aktualisieren(); };
    const QScreen* schirm = QGuiApplication::primaryScreen();
    einpassen(schirm ? schirm->availableGeometry() : QRect(0, 0, 1920, 1080));
    aktualisieren();
}

void MeldelisteFenster::einpassen(const QRect& frei)
{
    const QSize entwurf(twips(k_breite), twips(k_hoehe));
    // Before the window is shown its frame is not known; a title bar and a thin border are assumed.
    const QRect aussen = frameGeometry();
    const QSize rahmen = isVisible() ? aussen.size() - size() : QSize(8, 32);
    const QSize platz = frei.size() - rahmen;
    if (platz.width() >= entwurf.width() && platz.height() >= entwurf.height()) {
        m_flaeche->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_flaeche->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFixedSize(entwurf);
    } else {
        m_flaeche->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_flaeche->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // As large as the screen allows, never larger than the surface and its scroll bars.
        const int balken = m_flaeche->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize groesste = entwurf + QSize(balken, balken);
        setMinimumSize(QSize(200, 150));
        setMaximumSize(groesste);
        resize(groesste.boundedTo(platz.expandedTo(QSize(200, 150))));
    }
    // The whole window on the screen, its title bar included.
    const QRect r = frameGeometry();
    const QSize aussen_groesse = size() + rahmen;
    const int x = std::max(frei.left(), std::min(r.left(), frei.right() + 1 - aussen_groesse.width()));
    const int y = std::max(frei.top(), std::min(r.top(), frei.bottom() + 1 - aussen_groesse.height()));
    if (x != r.left() || y != r.top()) {
        move(x, y);
    }
}

void MeldelisteFenster::programmmenue_setzen(QMenu* menue, std::function<bool()> infobereich)
{
    m_programm->setMenu(menue);
    m_programm->setVisible(menue != nullptr);
    m_infobereich = std::move(infobereich);
}

void MeldelisteFenster::gruppenname_zeigen(std::size_t i, const QString& name, const QString& hinweis)
{
    QLabel* status = m_gruppe_status[i];
    if (status->text() != name) {
        status->setText(name);
    }
    // A name cut at the field's edge is shown in full as its tooltip.
    const bool abgeschnitten = status->fontMetrics().horizontalAdvance(name) > status->contentsRect().width();
    const QString tipp = abgeschnitten ? name + QLatin1Char('\n') + hinweis : hinweis;
    if (status->toolTip() != tipp) {
        status->setToolTip(tipp);
    }
}

void MeldelisteFenster::anwesende_zeigen(std::size_t i, int anzahl)
{
    QLabel* marke = m_anwesend[i];
    const bool zeigen = anzahl >= 0;
    if (zeigen) {
        const QString text = anzahl > 99 ? QStringLiteral("99+") : QString::number(anzahl);
        if (marke->text() != text) {
            marke->setText(text);
            // Nobody there: grey; colleagues ready: blue.
            marke->setStyleSheet(
                anzahl == 0
                    ? QStringLiteral("QLabel { background: #a0a0a0; color: white; border-radius: 7px; }")
                    : QStringLiteral("QLabel { background: #1f5fbf; color: white; border-radius: 7px; }"));
        }
    }
    if (marke->isVisibleTo(m_gruppe_status[i]) != zeigen) {
        marke->setVisible(zeigen);
        // The name ends before the mark; a name cut there shows whole in the tooltip.
        m_gruppe_status[i]->setContentsMargins(0, 0, zeigen ? k_marke_breite + 2 : 0, 0);
    }
}

MeldelisteFenster::~MeldelisteFenster()
{
    m_liste.geaendert = nullptr;
}

void MeldelisteFenster::aktualisieren()
{
    const Meldelistenmaske& m = m_liste.maske();
    setWindowTitle(q(m.caption));
    m_produkttitel->setText(q(m.produkttitel));
    m_version->setText(q(m.version));
    // The newest entry comes into sight, unless the person scrolled up to read.
    QScrollBar* rollen = m_listmeldungen->verticalScrollBar();
    const bool unten = rollen->value() >= rollen->maximum();
    const int stand = rollen->value();
    m_journal->abgleichen();
    if (unten) {
        m_listmeldungen->scrollToBottom();
    } else if (rollen->value() != stand) {
        rollen->setValue(stand);
    }
    for (std::size_t n = 0; n < 4; ++n) {
        const QString t = q(m.alarmtexte[n]);
        if (m_sntext[n]->text() != t) {
            m_sntext[n]->setText(t);
        }
    }
    for (std::size_t i = 0; i < 50; ++i) {
        QPushButton* knopf = m_rel_stat[i];
        knopf->setEnabled(m.relais_aktiv[i]);
        // A group fault turns the button orange; an alarm's red stays above it.
        const int farbe = m.gruppe_warnung[i] && m.relaisfarben[i] != k_rot ? k_warnfarbe : m.relaisfarben[i];
        if (m_farbe[i] != farbe) {
            m_farbe[i] = farbe;
            knopf->setStyleSheet(hintergrund(m_farbe[i]));
        }
        // An unreachable group directory: a mark on the group's button, the reason in its tooltip.
        const QString stoerung = q(m.gruppe_stoerung[i]);
        if (knopf->toolTip() != stoerung) {
            knopf->setToolTip(stoerung);
            knopf->setText(stoerung.isEmpty() ? QString() : QStringLiteral("!"));
        }
        anwesende_zeigen(i, m.gruppe_anwesend[i]);
        const QString anwesende = q(m.gruppe_anwesende[i]);
        gruppenname_zeigen(i, q(m.gruppennamen[i]),
                           anwesende.isEmpty()
                               ? q(m.gruppennamen_tooltip[i])
                               : anwesende + QLatin1Char('\n') + q(m.gruppennamen_tooltip[i]));
        m_gruppe_status[i]->setEnabled(m.gruppennamen_aktiv[i]);
        QCheckBox* box = m_melde_gruppen[i];
        const int wert = m.melde_gruppen[i];
        const Qt::CheckState zustand = wert == 1   ? Qt::Checked
                                       : wert == 2 ? Qt::PartiallyChecked
                                                   : Qt::Unchecked;
        // setCheckState repaints the box even when it stays as it is, and
        // every journal refresh and device frame passes here.
        if (box->isTristate() != (wert == 2) || box->checkState() != zustand) {
            box->setTristate(wert == 2);
            box->setCheckState(zustand);
        }
        box->setEnabled(m.melde_gruppen_aktiv[i]);
        box->setToolTip(stoerung.isEmpty() ? q(m.melde_gruppen_tooltip[i]) : stoerung);
    }
    m_melde_alle->setChecked(m.melde_alle == 1);
    m_ein1->setChecked(m.ein1);
    m_ein2->setChecked(m.ein2);

    if (m.sichtbar && (!isVisible() || m.gezeigt != m_gezeigt)) {
        if (!isVisible()) {
            const QScreen* schirm = screen() ? screen() : QGuiApplication::primaryScreen();
            if (schirm) {
                einpassen(schirm->availableGeometry());
            }
        }
        if (m.gewuenscht != m_gewuenscht) {
            auf_wunsch_vorholen(this);
        } else {
            nach_vorne(this);
        }
    } else if (m.sichtbar && m.gewuenscht != m_gewuenscht) {
        // Asked for while on show (perhaps minimised): to the front with the keyboard.
        auf_wunsch_vorholen(this);
    } else if (!m.sichtbar && isVisible() && !m_schliesst) {
        hide();
    }
    m_gezeigt = m.gezeigt;
    m_gewuenscht = m.gewuenscht;
}

void MeldelisteFenster::closeEvent(QCloseEvent* event)
{
    if (m_infobereich && !m_infobereich()) {
        // Without the icon this window is the way in: it goes to the task bar, not away.
        event->ignore();
        showMinimized();
        return;
    }
    // Closing unloads the list; the program runs on in the notification area.
    m_schliesst = true;
    m_liste.geschlossen();
    m_schliesst = false;
    event->accept();
}

bool MeldelisteFenster::eventFilter(QObject* objekt, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < 50; ++i) {
            QLabel* status = m_gruppe_status[static_cast<std::size_t>(i)];
            if (objekt == status &&
                status->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
                m_liste.gruppenname_geklickt(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(objekt, event);
}

} // namespace hestrel
