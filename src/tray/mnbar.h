#pragma once

#include <array>
#include <functional>
#include <string>

namespace hestrel {

class Hestrel;
class Mainfo;
class Traysymbol;

// One item of the tray menu: its control name and its text.
struct Menuepunkt {
    const char* name;
    const char* text;
};

// The tray menu in the order it shows, without separators.
inline constexpr std::array<Menuepunkt, 4> k_traymenue {{
    {"pinfo", "Info"},
    {"mliste", "Meldeliste"},
    {"peinstell", "Einstellung"},
    {"pbeend", "Programm beenden"},
}};

// The never-shown tray window: owns the notification-area icon, holds the
// menu and carries the program's exit command.
class Mnbar {
public:
    Mnbar(Hestrel& hestrel, Mainfo& info) : m_hestrel(hestrel), m_info(info) {}

    // The icon service; without one the program runs without an icon.
    void symbol_setzen(Traysymbol* symbol) { m_symbol = symbol; }

    // Creating the tray window: caption, icon added with the tip "Kestu".
    void laden();

    // The menu items, by index into k_traymenue.
    void menue_Click(int punkt);
    void pinfo_Click();
    void mliste_Click();
    void peinstell_Click();
    // The exit command: icon removed, port closed, central engine unloaded,
    // process ended. Safe to enter again while it runs.
    void pbeend_Click();

    std::string caption;
    bool symbol_da = false;
    bool beendet() const { return m_beendet; }

    // Ends the process (the program quits its event loop).
    std::function<void()> prozess_beenden;

private:
    void symbol_entfernen();

    Hestrel& m_hestrel;
    Mainfo& m_info;
    Traysymbol* m_symbol = nullptr;
    bool m_beendet = false;
};

}  // namespace hestrel
