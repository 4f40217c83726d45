#include "tray/mainfo.h"

#include "core/version.h"

namespace hestrel {

void Mainfo::melden()
{
    if (geaendert) {
        geaendert();
    }
}

void Mainfo::zeigen()
{
    if (!geladen) {
        geladen = true;
        lbl_version = versionstext();
    }
    sichtbar = true;
    ++gezeigt;
    melden();
}

void Mainfo::Command1_Click()
{
    sichtbar = false;
    melden();
}

void Mainfo::Form_Unload()
{
    geladen = false;
    sichtbar = false;
    lbl_version.clear();
    melden();
}

}  // namespace hestrel
