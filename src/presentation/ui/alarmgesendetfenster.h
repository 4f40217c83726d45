#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace hestrel {

class Alarmgesendet;

// The confirmation "Der Alarm wurde ausgelöst ." with its "OK !" button; a
// view over Alarmgesendet.
class AlarmgesendetFenster : public QWidget {
    Q_OBJECT
  public:
    explicit AlarmgesendetFenster(Alarmgesendet& modell, QWidget* parent = nullptr);
    ~AlarmgesendetFenster() override;

    void aktualisieren();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void vorholen();
    // The reach of the send below the button; the window grows with its lines.
    void reichweite_zeigen();
    void rueckmeldungen_zeigen();
    void groesse_anpassen();

    Alarmgesendet& m_modell;
    QLabel* m_text = nullptr;
    QPushButton* m_knopf = nullptr;
    QLabel* m_bild = nullptr;
    QLabel* m_reichweite = nullptr;
    // The answers below "OK !"; the window grows by their height.
    QLabel* m_rueckmeldungen = nullptr;
    bool m_platziert = false;
};

} // namespace hestrel
