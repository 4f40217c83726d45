#pragma once

#include <QWidget>

#include <QPointer>
#include <QScreen>

class QLabel;
class QPushButton;

namespace hestrel {

class Alarmanzeige;
class Alarmtext;
class Fensterstapel;

// The alarm window on one screen: above all other windows, red and white
// blinking, the alarm text, "schließen" and the alarm picture; a view over
// Alarmanzeige. Alarmanzeigen keeps one on every screen.
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

    Alarmanzeige& m_modell;
    QPointer<QScreen> m_schirm;
    Fensterstapel& m_stapel;
    Alarmtext* m_text = nullptr;
    QPushButton* m_knopf = nullptr;
    QLabel* m_bild = nullptr;
    // The origin line above the text, "Ich komme" beside "schließen", who else comes below the text.
    QLabel* m_herkunft = nullptr;
    QPushButton* m_antwort = nullptr;
    QLabel* m_rueckmeldung = nullptr;
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
