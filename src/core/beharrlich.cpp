#include "core/beharrlich.h"

#include <algorithm>
#include <cerrno>

namespace hestrel {

bool voruebergehend_verweigert(const Fehler& f)
{
    switch (f.systemfehler) {
    case EEXIST:
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return true;
    default:
        return false;
    }
}

Fehler beharrlich(const std::function<Fehler()>& schritt, const std::function<void(int ms)>& warten,
                  int geduld_ms)
{
    int gewartet = 0;
    int pause = 5;
    for (;;) {
        Fehler f = schritt();
        if (!f || !voruebergehend_verweigert(f) || gewartet >= geduld_ms) {
            return f;
        }
        const int jetzt = std::min(pause, geduld_ms - gewartet);
        warten(jetzt);
        gewartet += jetzt;
        pause = std::min(pause * 2, 100);
    }
}

Fehler ersetzen_mit_ausweg(const Ersetzschritte& s, const std::function<void(int ms)>& warten,
                           Ersetzbericht* bericht)
{
    Ersetzbericht b;
    Fehler f = beharrlich(
        [&] {
            Fehler r = s.umbenennen();
            b.verweigert += voruebergehend_verweigert(r) ? 1 : 0;
            return r;
        },
        warten, k_ersetzgeduld_ms);
    if (f && voruebergehend_verweigert(f)) {
        b.an_ort = true;
        f = beharrlich(s.an_ort, warten, k_ausweggeduld_ms);
    }
    if (f || b.an_ort) {
        // What stays is swept from the share later by whoever finds it old.
        beharrlich(s.vorlage_entfernen, warten, k_loeschgeduld_ms);
    }
    if (bericht) {
        *bericht = b;
    }
    return f;
}

} // namespace hestrel
