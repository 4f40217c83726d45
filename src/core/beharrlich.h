#pragma once

#include <functional>

#include "core/fehler.h"

namespace hestrel {

// A refusal a file server gives only for a moment: another desk holds the
// file open (a replace answered "exists", a delete or open "busy"), or the
// client has not yet closed its own last handle on the server.
bool voruebergehend_verweigert(const Fehler& f);

// How long a refused step on a share is tried again (the sum of the pauses):
// a replace before it falls back to writing in place, the write in place,
// a removal, an opening for reading.
inline constexpr int k_ersetzgeduld_ms = 300;
inline constexpr int k_ausweggeduld_ms = 700;
inline constexpr int k_loeschgeduld_ms = 500;
inline constexpr int k_lesegeduld_ms = 300;

// Runs schritt until it succeeds, fails otherwise, or is still refused once
// the pauses between the tries (5 ms, doubling up to 100 ms) reach geduld_ms.
// warten makes a pause: a sleep on the share's side, a count on a virtual clock.
Fehler beharrlich(const std::function<Fehler()>& schritt, const std::function<void(int ms)>& warten,
                  int geduld_ms);

// The steps of replacing a file on a share whose new bytes already lie
// under a temporary name beside it.
struct Ersetzschritte {
    std::function<Fehler()> umbenennen;        // the temporary file over the target
    std::function<Fehler()> an_ort;            // the new bytes into the target itself
    std::function<Fehler()> vorlage_entfernen; // the temporary file removed
};

// What a replace met on its way.
struct Ersetzbericht {
    int verweigert = 0;  // tries of the rename that were refused
    bool an_ort = false; // written in place in the end
};

// A rename over a file another desk holds open is refused by the server as
// long as that desk holds it: it is tried again for k_ersetzgeduld_ms, then
// the bytes go into the target in place, as older workstations write every
// file (the one step the server lets through while another desk reads). Any
// other failure is the answer at once.
Fehler ersetzen_mit_ausweg(const Ersetzschritte& s, const std::function<void(int ms)>& warten,
                           Ersetzbericht* bericht = nullptr);

} // namespace hestrel
