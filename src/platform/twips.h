#pragma once

#include <QRect>

class QWidget;

namespace hestrel {

// Window positions and sizes are given in twips: 15 twips are one pixel at 96 dpi.
int twips(int t);
QRect twips_rect(int links, int oben, int breite, int hoehe);
// Places w at the rectangle given in twips.
void twips_setzen(QWidget* w, int links, int oben, int breite, int hoehe);

} // namespace hestrel
