#pragma once

#include <string>

#include <QFont>
#include <QString>
#include <QWidget>

#include "platform/twips.h"

namespace hestrel {

// Small helpers the windows share when they build their controls.

inline QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Arial in points, the windows' font.
QFont arial(double punkte, bool fett = false, bool kursiv = false);

// A control of type T named `name`, placed at a rectangle given in twips.
template <typename T> T* control(QWidget* eltern, const QString& name, int l, int o, int b, int h)
{
    auto* w = new T(eltern);
    w->setObjectName(name);
    twips_setzen(w, l, o, b, h);
    return w;
}

// Shows the window and brings it to the front without taking the keyboard
// from the program the person is typing in; the windows kept above (below)
// are raised after it. Offscreen there is no front.
void nach_vorne(QWidget* fenster);

// Marks a window that stays above the windows nach_vorne brings forward:
// the sender's confirmation and open message boxes.
void oben_halten(QWidget* fenster);

// A button no keystroke can press: it never takes the keyboard focus and is
// never a default button, so a space or Return meant for another program or
// left over from a click does nothing.
void nur_mit_maus(QWidget* knopf);

} // namespace hestrel
