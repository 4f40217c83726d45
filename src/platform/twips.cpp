#include "platform/twips.h"

#include <QWidget>

namespace hestrel {

// Qt scales logical pixels with the screen's device pixel ratio itself.
int twips(int t)
{
    return (t + 7) / 15;
}

QRect twips_rect(int links, int oben, int breite, int hoehe)
{
    return QRect(twips(links), twips(oben), twips(breite), twips(hoehe));
}

void twips_setzen(QWidget* w, int links, int oben, int breite, int hoehe)
{
    w->setGeometry(twips_rect(links, oben, breite, hoehe));
}

} // namespace hestrel
