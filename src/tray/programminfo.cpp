#include "tray/programminfo.h"

#include "core/version.h"

namespace hestrel {

void Programminfo::melden()
{
    if (geaendert) {
        geaendert();
    }
}

void Programminfo::zeigen()
{
    if (!geladen) {
        geladen = true;
        version = versionstext();
    }
    sichtbar = true;
    ++gezeigt;
    melden();
}

void Programminfo::schliessen_geklickt()
{
    sichtbar = false;
    melden();
}

void Programminfo::geschlossen()
{
    geladen = false;
    sichtbar = false;
    version.clear();
    melden();
}

} // namespace hestrel
