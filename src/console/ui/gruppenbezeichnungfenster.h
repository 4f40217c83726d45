#pragma once

#include <cstdint>

#include <QWidget>

class QLineEdit;

namespace hestrel {

class Gruppenbezeichnung;

// The group naming dialog: a view over its model; not modal.
class GruppenbezeichnungFenster : public QWidget {
    Q_OBJECT
  public:
    explicit GruppenbezeichnungFenster(Gruppenbezeichnung& dialog, QWidget* parent = nullptr);
    ~GruppenbezeichnungFenster() override;

    void aktualisieren();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Gruppenbezeichnung& m_dialog;
    QLineEdit* m_akt_bez = nullptr;
    QLineEdit* m_neu_bez = nullptr;
    std::uint64_t m_aktivierungen = 0;
    bool m_schliesst = false;
};

} // namespace hestrel
