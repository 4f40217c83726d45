#pragma once

#include <functional>

#include "arbeitsplatz/arbeitsplatz.h"

namespace hestrel::test {

// A workstation whose wiring between the parts a test can watch: each hook,
// when set, runs in place of the part's call and may run it itself.
class Testarbeitsplatz : public Arbeitsplatz {
  public:
    using Arbeitsplatz::Arbeitsplatz;

    // "Alarm auslösen" or key 2, as the parts ask for it.
    void ausloesen() { alarm_ausloesen(); }
    // Runs in place of the send; senden() runs the real one.
    std::function<void()> beim_ausloesen;
    void senden() { Arbeitsplatz::alarm_ausloesen(); }
    // Every command to the alarm box's outputs: austext, group, action.
    std::function<void(bool, int, int)> bei_statusausgabe;

  protected:
    void alarm_ausloesen() override
    {
        if (beim_ausloesen) {
            beim_ausloesen();
        } else {
            senden();
        }
    }
    void ausgang_ausschalten(int gruppe) override
    {
        if (bei_statusausgabe) {
            bei_statusausgabe(false, gruppe, Geraet::k_ausgang_aus);
        } else {
            Arbeitsplatz::ausgang_ausschalten(gruppe);
        }
    }
    void alarm_an_geraet(int gruppe) override
    {
        if (bei_statusausgabe) {
            bei_statusausgabe(true, gruppe, Geraet::k_ausgang_an);
        } else {
            Arbeitsplatz::alarm_an_geraet(gruppe);
        }
    }
};

} // namespace hestrel::test
