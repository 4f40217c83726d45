#pragma once

#include <cstdint>

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace hestrel {

class Zusatzverwaltung;

// The dialog "Zusatzeinstellungen" (Hestrel-Zusatz.ini): a view over its model; not modal.
class Zusatzfenster : public QWidget {
    Q_OBJECT
  public:
    explicit Zusatzfenster(Zusatzverwaltung& modell, QWidget* parent = nullptr);
    ~Zusatzfenster() override;

    void aktualisieren();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Zusatzverwaltung& m_modell;
    QLineEdit* m_platzname = nullptr;
    QCheckBox* m_nur_hestrel = nullptr;
    QCheckBox* m_warnton = nullptr;
    QSpinBox* m_minuten = nullptr;
    QSpinBox* m_wiederholung_sekunden = nullptr;
    QSpinBox* m_wiederholung_minuten = nullptr;
    QLabel* m_meldung = nullptr;
    std::uint64_t m_gezeigt = 0;
    bool m_schliesst = false;
};

} // namespace hestrel
