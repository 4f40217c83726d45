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

void Gruppenbezeichnung::uebernahme_Click()
{
    m_liste.gruppe_benennen(gruppen_index, neu_bez);
    sichtbar = false;
    melden();
}

void Gruppenbezeichnung::abbruch_Click()
{
    sichtbar = false;
    melden();
}

void Gruppenbezeichnung::Form_Unload()
{
    geladen = false;
    sichtbar = false;
    akt_bez.clear();
    neu_bez.clear();
    melden();
}

}  // namespace hestrel
