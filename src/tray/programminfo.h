#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace hestrel {

// The info window: product, maker and version. Created on the first "Info",
// hidden by "Schliessen", destroyed by its close box.
class Programminfo {
  public:
    // Makes the window visible, creating it when needed.
    void zeigen();
    // "Schliessen": invisible, kept.
    void schliessen_geklickt();
    // Closed through the title bar: destroyed.
    void geschlossen();

    bool geladen = false;
    bool sichtbar = false;
    std::string version;
    // Counts the showings, so the view knows when to bring itself to the front.
    std::uint64_t gezeigt = 0;

    // Called whenever the window's state changed (the view refreshes).
    std::function<void()> geaendert;

  private:
    void melden();
};

} // namespace hestrel
