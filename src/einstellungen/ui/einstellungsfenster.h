#pragma once

#include <array>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QGroupBox;
class QFileDialog;

namespace hestrel {

class Einstellungsverwaltung;

// The settings window: a view over the settings' state.
class Einstellungsfenster : public QWidget {
    Q_OBJECT
  public:
    explicit Einstellungsfenster(Einstellungsverwaltung& engine, QWidget* parent = nullptr);

    // Brings every control in line with the engine's state and shows or hides the window.
    void aktualisieren();

    // The sound file dialog, open while the user chooses (for tests).
    QFileDialog* signaldialog() const { return m_dialog; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void signal_suchen();

    Einstellungsverwaltung& m_engine;
    QLabel* m_set = nullptr;
    QLabel* m_produkttitel = nullptr;
    QLabel* m_bild = nullptr;
    QLabel* m_pfade_ueberschrift = nullptr;
    QLabel* m_pfade_beispiel = nullptr;
    std::array<QPushButton*, 5> m_pfadseiten{};
    std::array<QLineEdit*, 50> m_pfade{};
    QGroupBox* m_geraetrahmen = nullptr;
    QComboBox* m_geraeteart = nullptr;
    QLabel* m_port_beschriftung = nullptr;
    QComboBox* m_port = nullptr;
    QCheckBox* m_vollbild = nullptr;
    QCheckBox* m_gesperrt = nullptr;
    QCheckBox* m_logfile = nullptr;
    QPlainTextEdit* m_meldungtxt = nullptr;
    QLabel* m_signal_beschriftung = nullptr;
    QPushButton* m_signal_suchen = nullptr;
    QLineEdit* m_signaldatei = nullptr;
    QLabel* m_id_beschriftung = nullptr;
    QLineEdit* m_idnummer = nullptr;
    QLabel* m_id_warnung = nullptr;
    QPushButton* m_speichern = nullptr;
    QFileDialog* m_dialog = nullptr;
    bool m_aktualisiert = false;
};

} // namespace hestrel
