#pragma once

#include <functional>

#include <QObject>
#include <QTimer>

namespace hestrel {

// Watches for the desktop's notification area: a StatusNotifier host on the
// session bus (KDE Plasma, GNOME's notification-area extension) or an X11
// system tray. Asks every two seconds, never blocking, until one is there;
// then calls da once and stops. A desktop may get its notification area only
// after the program started (an extension switched on, a panel restarted).
class Infobereichswaechter : public QObject {
    Q_OBJECT
  public:
    explicit Infobereichswaechter(std::function<void()> da, QObject* parent = nullptr);

    // Starts watching; da comes as soon as the area is found (an X11 tray
    // that is there now: within this call). Offscreen it never comes.
    void starten();
    bool wacht() const { return m_takt.isActive(); }

    // Whether an X11 system tray is there right now.
    static bool x11_infobereich();

  private:
    void schauen();
    void gefunden();

    std::function<void()> m_da;
    QTimer m_takt;
    bool m_gefragt = false;
};

} // namespace hestrel
