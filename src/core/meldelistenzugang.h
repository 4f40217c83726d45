#pragma once

#include <array>
#include <string>

namespace hestrel {

// What the engine needs of the message list: its targets and texts for sending,
// its relay-status buttons and input indicators, and showing it.
class Meldelistenzugang {
public:
    virtual ~Meldelistenzugang() = default;
    // Shows the message list, not modal, loading it first when needed.
    virtual void zeigen() = 0;
    // Adapts the group controls to the configured group directories.
    virtual void bildschirm_anpassen() = 0;
    // Background colour of Rel_stat(index): k_rot, k_gruen.
    virtual void relais_farbe(int index, int farbe) = 0;
    // The never-shown indicators ein1 and ein2.
    virtual void eingaenge(bool ein1, bool ein2) = 0;
    virtual bool melde_alle() = 0;
    // Value of Melde_gruppen(index): 0 clear, 1 ticked, 2 greyed.
    virtual int melde_gruppe(int index) = 0;
    // SNText1..SNText4.
    virtual std::array<std::string, 4> sammeltexte() = 0;
    // A group directory stopped answering (grund says since when and why) or answers again.
    virtual void gruppe_erreichbar(int /*index*/, bool /*erreichbar*/, const std::string& /*grund*/) {}
};

}  // namespace hestrel
