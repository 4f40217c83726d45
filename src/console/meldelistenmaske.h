#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "einstellungen/einstellungen.h"

namespace hestrel {

// What the message list shows: every control's state, held by the engine so
// that the window is a thin view and the tests need no window.
struct Meldelistenmaske {
    // Loaded: the controls hold the state of a load. Unloaded, they hold the
    // state a fresh window has.
    bool geladen = false;
    bool sichtbar = false;
    // Counts the showings, so the view knows when to bring itself to the front.
    std::uint64_t gezeigt = 0;
    // Counts the showings the person asked for (the menu, a second start):
    // those also give the window the keyboard.
    std::uint64_t gewuenscht = 0;

    std::string caption;
    std::string produkttitel; // product title
    std::string version;

    // Rows of "mameldung.log", oldest on top. A full refill raises
    // liste_generation; rows only appended keep it. The list keeps a bounded
    // number of rows: liste_entfernt counts the rows dropped from the top.
    std::vector<std::string> listmeldungen;
    std::uint64_t liste_generation = 0;
    std::uint64_t liste_entfernt = 0;

    std::array<std::string, 4> alarmtexte;      // SNText1..SNText4
    std::array<int, k_gruppen> melde_gruppen{}; // 0 clear, 1 ticked, 2 greyed
    std::array<bool, k_gruppen> melde_gruppen_aktiv{};
    std::array<std::string, k_gruppen> melde_gruppen_tooltip;
    // Why a group's directory is unreachable and since when; empty while it answers.
    std::array<std::string, k_gruppen> gruppe_stoerung;
    int melde_alle = 0;

    std::array<int, k_gruppen> relaisfarben{}; // k_gruen, k_rot, k_schaltflaeche
    std::array<bool, k_gruppen> relais_aktiv{};

    std::array<std::string, k_gruppen> gruppennamen; // group names
    std::array<bool, k_gruppen> gruppennamen_aktiv{};
    std::array<std::string, k_gruppen> gruppennamen_tooltip;
    // Colleagues ready to receive in each group: their count (-1 not known)
    // and the line naming them; kept while the window is unloaded.
    std::array<int, k_gruppen> gruppe_anwesend{};
    std::array<std::string, k_gruppen> gruppe_anwesende;
    // The supervision found a fault of the group (its button turns orange).
    std::array<bool, k_gruppen> gruppe_warnung{};

    // Never shown: the device inputs and the echo of the list's own log.
    bool ein1 = false;
    bool ein2 = false;
    std::string meldungtxt;

    // The state of a window just created: names "Gruppe 1".."Gruppe 50",
    // every box clear, every group control enabled on the button face.
    static Meldelistenmaske neu();
};

} // namespace hestrel
