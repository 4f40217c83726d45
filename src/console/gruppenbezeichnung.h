#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace hestrel {

class Meldeliste;

// The dialog that renames a group: the state of its two text boxes and the
// group it works on. The caption it changes belongs to the message list.
class Gruppenbezeichnung {
  public:
    explicit Gruppenbezeichnung(Meldeliste& liste) : m_liste(liste) {}

    // Shows the dialog for group gruppen_index, or makes it the active window
    // again: the current name, an empty new one.
    void zeigen();
    // "Übernehmen": the new name as typed becomes the group's caption.
    void uebernehmen_geklickt();
    // "Abbrechen": hidden, nothing changes.
    void abbrechen_geklickt();
    // Closed with the close box: unloaded.
    void geschlossen();

    // Index 0..49 of the group the dialog works on; set by the message list.
    int gruppen_index = 0;

    bool geladen = false;
    bool sichtbar = false;
    std::string akt_bez;
    std::string neu_bez;
    // Counts the activations, so the view knows when to bring itself to the front.
    std::uint64_t aktivierungen = 0;

    // Called whenever the dialog's state changed (the view refreshes).
    std::function<void()> geaendert;

  private:
    void melden();

    Meldeliste& m_liste;
};

} // namespace hestrel
