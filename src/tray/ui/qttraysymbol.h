#pragma once

#include <QObject>

#include "tray/traysymbol.h"

class QMenu;
class QSystemTrayIcon;

namespace hestrel {

class Infobereichswaechter;
class Traymenue;

// Fills menue with the tray menu's items; a choice goes to mnbar.
void programmmenue_fuellen(QMenu* menue, Traymenue& mnbar);

// The notification-area icon through Qt, with the tray window's menu on a
// right click. Where the desktop has no notification area yet, the program
// runs without the icon, says so once on standard error, and adds the icon as
// soon as one appears.
class QtTraysymbol : public QObject, public Traysymbol {
    Q_OBJECT
  public:
    explicit QtTraysymbol(Traymenue& mnbar, QObject* parent = nullptr);
    ~QtTraysymbol() override;

    bool hinzufuegen(const std::string& tip) override;
    void entfernen() override;
    void warnung(const std::string& text) override;

    QMenu* menue() const { return m_menue; }
    QSystemTrayIcon* symbol() const { return m_symbol; }

  private:
    void anlegen();

    Traymenue& m_traymenue;
    QMenu* m_menue = nullptr;
    QSystemTrayIcon* m_symbol = nullptr;
    Infobereichswaechter* m_waechter = nullptr;
    QString m_tip;
    QString m_warnung;
    bool m_entfernt = false;
    // Within hinzufuegen: an area found now is no late one.
    bool m_erster_blick = false;
};

} // namespace hestrel
