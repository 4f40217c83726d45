#pragma once

#include <memory>
#include <vector>

#include <QObject>

class QScreen;

namespace hestrel {

class Alarmanzeige;
class AlarmanzeigeFenster;
class Fensterstapel;

// The alarm windows: one on every screen, so that the alarm is seen on
// whichever one the person looks at. All are views over the one Alarmanzeige:
// "schließen" or an answer in any of them acts for all. Screens plugged in or
// out while the program runs get or lose theirs.
class Alarmanzeigen : public QObject {
    Q_OBJECT
  public:
    Alarmanzeigen(Alarmanzeige& modell, Fensterstapel& stapel);
    ~Alarmanzeigen() override;

    std::size_t anzahl() const { return m_fenster.size(); }
    AlarmanzeigeFenster& fenster(std::size_t i) { return *m_fenster.at(i); }
    // The window on the primary screen.
    AlarmanzeigeFenster& haupt();

  private:
    void hinzufuegen(QScreen* schirm);
    void entfernen(QScreen* schirm);

    Alarmanzeige& m_modell;
    Fensterstapel& m_stapel;
    std::vector<std::unique_ptr<AlarmanzeigeFenster>> m_fenster;
};

} // namespace hestrel
