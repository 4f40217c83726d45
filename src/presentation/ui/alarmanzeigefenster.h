#pragma once

#include <QWidget>

#include <QPointer>
#include <QScreen>

#include <vector>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

namespace hestrel {

class Alarmanzeige;
class Alarmtext;
class Fensterstapel;

// The alarm window on one screen: above all other windows, red and white
// blinking, the alarm texts, "schließen" and the alarm picture; a view over
// Alarmanzeige. Alarmanzeigen keeps one on every screen. Several alarms stand
// one below the other, each with its own "Ich komme" and "schließen", and
// "Alle schließen" at the top; the list scrolls where the screen is too small.
class AlarmanzeigeFenster : public QWidget {
    Q_OBJECT
  public:
    AlarmanzeigeFenster(Alarmanzeige& modell, QScreen* schirm, Fensterstapel& stapel,
                        QWidget* parent = nullptr);

    void aktualisieren();
    void vorholen();
    QScreen* schirm() const { return m_schirm; }

  protected:
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void mittig_setzen();
    void aussenbreite_einhalten();
    void einpassen();
    QRect flaeche() const;
    QRect frei() const;
    // The window stands over the whole screen (full-screen alarm mode).
    bool ueber_dem_schirm() const;
    double schriftgroesse() const;

    // One alarm of the list: the origin line above the text, who else comes
    // below it; with several alarms its own buttons and a line above it.
    struct Eintrag {
        int nummer = 0;
        QFrame* linie = nullptr;
        QLabel* herkunft = nullptr;
        Alarmtext* text = nullptr;
        QLabel* rueckmeldung = nullptr;
        QPushButton* antwort = nullptr;
        QPushButton* schliessen = nullptr;
    };
    void eintrag_anlegen();
    // Lays the entries out at this width; returns the height they need.
    int eintraege_setzen(int breite);

    Alarmanzeige& m_modell;
    QPointer<QScreen> m_schirm;
    Fensterstapel& m_stapel;
    QPushButton* m_knopf = nullptr;
    QLabel* m_bild = nullptr;
    // "Ich komme" beside "schließen" while one alarm is shown.
    QPushButton* m_antwort = nullptr;
    QScrollArea* m_liste = nullptr;
    QWidget* m_inhalt = nullptr;
    std::vector<Eintrag> m_eintraege;
    std::size_t m_gezeigt = 0;
    // The list was too long for the window at the last layout.
    bool m_rollt = false;
    int m_erzeugungen = 0;
    // The person clicked into the window since it was last shown or left:
    // only then does a key close it.
    bool m_selbst_aktiviert = false;
    // The size of the normal window, put back when it leaves the maximised or minimised state.
    QSize m_normalgroesse;
    // A new window's width still waits for the desktop's frame: the window is
    // 5500 twips wide with it, so the client area takes what the frame leaves.
    bool m_rahmen_offen = false;
};

} // namespace hestrel
