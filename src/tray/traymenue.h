#pragma once

#include <array>
#include <functional>
#include <string>

#include "core/seriellerport.h"

namespace hestrel {

class Programminfo;
class Traysymbol;

// What the tray menu's items open elsewhere.
class Traybefehle {
  public:
    virtual ~Traybefehle() = default;
    virtual void meldeliste_zeigen() = 0;
    virtual void einstellungen_zeigen() = 0;
    // "Zusatzeinstellungen": the dialog of Hestrel-Zusatz.ini.
    virtual void zusatz_zeigen() {}
    // "Warnung bestätigen": the supervision's warning tone stops.
    virtual void warnung_bestaetigen() {}
    // Before the process ends: the workstation takes its records off the
    // shares, then runs danach (at once where there is nothing to take off).
    virtual void abmelden(std::function<void()> danach) { danach(); }
    // A test alarm to the ticked target groups.
    virtual void probealarm_senden() {}
};

// One item of the tray menu: its control name and its text.
struct Menuepunkt {
    const char* name;
    const char* text;
};

// The tray menu in the order it shows, without separators.
inline constexpr std::array<Menuepunkt, 7> k_traymenue{{
    {"infoAktion", "Info"},
    {"meldelisteAktion", "Meldeliste"},
    {"einstellungAktion", "Einstellung"},
    {"probealarmAktion", "Probealarm"},
    {"zusatzAktion", "Zusatzeinstellungen"},
    {"warnungAktion", "Warnung bestätigen"},
    {"beendenAktion", "Programm beenden"},
}};

// The never-shown tray window: owns the notification-area icon, holds the
// menu and carries the program's exit command.
class Traymenue {
  public:
    Traymenue(Traybefehle& befehle, Seriellerport& port, Programminfo& info)
        : m_befehle(befehle), m_port(port), m_info(info)
    {
    }

    // The icon service; without one the program runs without an icon.
    void symbol_setzen(Traysymbol* symbol) { m_symbol = symbol; }

    // Creating the tray window: caption, icon added with the tip "Kestu".
    void laden();
    // The icon came later: the desktop's notification area appeared only now.
    void symbol_erschienen();

    // The menu items, by index into k_traymenue.
    void menuepunkt_gewaehlt(int punkt);
    // The supervision's warning: the icon and its tip; empty: all is well.
    void warnung_setzen(const std::string& text);
    const std::string& warnung() const { return m_warnung; }
    void info_zeigen();
    void meldeliste_zeigen();
    void einstellungen_zeigen();
    void probealarm_senden();
    // The exit command: icon removed, port closed, process ended. Safe to
    // enter again while it runs.
    void beenden();

    std::string caption;
    bool symbol_da = false;
    bool beendet() const { return m_beendet; }

    // Ends the process (the program quits its event loop).
    std::function<void()> prozess_beenden;

  private:
    void symbol_entfernen();

    Traybefehle& m_befehle;
    Seriellerport& m_port;
    Programminfo& m_info;
    Traysymbol* m_symbol = nullptr;
    bool m_beendet = false;
    std::string m_warnung;
};

} // namespace hestrel
