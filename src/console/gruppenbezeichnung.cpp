#include "console/gruppenbezeichnung.h"

#include "console/meldeliste.h"

namespace hestrel {

void Gruppenbezeichnung::melden()
{
    if (geaendert) {
        geaendert();
    }
}

void Gruppenbezeichnung::zeigen()
{
    geladen = true;
    sichtbar = true;
    akt_bez = m_liste.gruppenname(gruppen_index);
    neu_bez.clear();
    ++aktivierungen;
    melden();
}

void Gruppenbezeichnung::uebernehmen_geklickt()
{
    m_liste.gruppe_benennen(gruppen_index, neu_bez);
    sichtbar = false;
    melden();
}

void Gruppenbezeichnung::abbrechen_geklickt()
{
    sichtbar = false;
    melden();
}

void Gruppenbezeichnung::geschlossen()
{
    geladen = false;
    sichtbar = false;
    akt_bez.clear();
    neu_bez.clear();
    melden();
}

} // namespace hestrel
