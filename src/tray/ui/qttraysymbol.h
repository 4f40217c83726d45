#pragma once

#include <QObject>

#include "tray/traysymbol.h"

class QMenu;
class QSystemTrayIcon;

namespace hestrel {

class Traymenue;

// The notification-area icon through Qt, with the tray window's menu on a
// right click. Where the desktop has no notification area the program runs
// without the icon and says so once on standard error.
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
    Traymenue& m_traymenue;
    QMenu* m_menue = nullptr;
    QSystemTrayIcon* m_symbol = nullptr;
    QString m_tip;
    QString m_warnung;
};

} // namespace hestrel
