#pragma once

#include <functional>
#include <string>

namespace hestrel {

// How the program meets the desktop's display, decided from the environment
// before Qt starts: Qt ends the process with a message of its own when it
// cannot open the display it was told to use.
struct Anzeigewahl {
    // The value to set for QT_QPA_PLATFORM; empty: leave it as it is.
    std::string plattform;
    // One line for standard error; empty: nothing to say.
    std::string hinweis;
    // Why the program cannot start on this display (exit code 2); empty: it can.
    std::string fehler;
    // The X display must be reached before Qt tries it.
    bool x11_pruefen = false;
};

// umgebung reads an environment variable (nullptr when unset); wayland_modul
// tells whether Qt's Wayland platform plugin is installed.
Anzeigewahl anzeige_waehlen(const std::function<const char*(const char*)>& umgebung, bool wayland_modul);

// The line for an X display that cannot be reached: display and XAUTHORITY as
// set (nullptr when unset), grund as the connection attempt gave it.
std::string x11_fehlertext(const char* display, const char* xauthority, const std::string& grund);

} // namespace hestrel
