#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace hestrel {

class Alarmanzeige;

// The alarm window on screen: topmost, red and white blinking, the alarm
// text, "schließen" and the alarm picture; a view over Alarmanzeige.
class AlarmanzeigeFenster : public QWidget {
    Q_OBJECT
public:
    explicit AlarmanzeigeFenster(Alarmanzeige& modell, QWidget* parent = nullptr);
    ~AlarmanzeigeFenster() override;

    void aktualisieren();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void vorholen();
    void mittig_setzen();
    QRect schirm() const;

    Alarmanzeige& m_modell;
    QLabel* m_label1 = nullptr;
    QPushButton* m_command1 = nullptr;
    QLabel* m_image1 = nullptr;
    int m_erzeugungen = 0;
};

}  // namespace hestrel
