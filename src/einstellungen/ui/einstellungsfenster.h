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
    QLabel* m_label7 = nullptr;
    QLabel* m_image1 = nullptr;
    QLabel* m_label13 = nullptr;
    QLabel* m_label14 = nullptr;
    std::array<QPushButton*, 5> m_gruppenfeld {};
    std::array<QLineEdit*, 50> m_pfade {};
    QGroupBox* m_frame1 = nullptr;
    QComboBox* m_art_hardware = nullptr;
    QLabel* m_label_port = nullptr;
    QComboBox* m_auswahl_port = nullptr;
    QCheckBox* m_chk_vollbild = nullptr;
    QCheckBox* m_chk_gesperrt = nullptr;
    QCheckBox* m_logfile = nullptr;
    QPlainTextEdit* m_meldungtxt = nullptr;
    QLabel* m_label4 = nullptr;
    QPushButton* m_command2 = nullptr;
    QLineEdit* m_text4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLineEdit* m_text5 = nullptr;
    QLabel* m_label2 = nullptr;
    QPushButton* m_speichern = nullptr;
    QFileDialog* m_dialog = nullptr;
    bool m_aktualisiert = false;
};

}  // namespace hestrel
