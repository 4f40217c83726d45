#pragma once

#include <memory>
#include <string>

class QWidget;

namespace hestrel {

// How the desktop stacks the program's windows: the alarm windows above every
// other window, an active full-screen one included; the windows the person
// asked for in front with the keyboard. Each desktop needs its own way; the
// views only say what they want.
class Fensterstapel {
  public:
    // The ways a window is kept above full-screen windows.
    enum class Technik {
        // Only the stay-on-top hint: no desktop to ask (offscreen, tests).
        hinweis,
        // A window no window manager manages (override-redirect): X11 window
        // managers and GNOME Shell stack it above every managed window.
        unverwaltet,
        // KDE's critical-notification window type: KWin keeps it above an
        // active full-screen window, below its lock screen.
        kritische_meldung,
    };

    virtual ~Fensterstapel() = default;
    // Prepares a window that comes up by itself above all others and never
    // takes the keyboard; called before the window is first shown.
    virtual void ueber_allem(QWidget* fenster) = 0;
    // Raises such a window again above all others.
    virtual void heben(QWidget* fenster) = 0;
    virtual Technik technik() const = 0;
    // One line for the log: the desktop found and the way chosen.
    virtual std::string beschreibung() const = 0;
};

// The stacking of this session's desktop, found by asking it.
std::unique_ptr<Fensterstapel> fensterstapel_der_sitzung();

// Shows a window the person asked for, brings it to the front and gives it the
// keyboard, past the desktop's guard against windows that steal the focus.
void auf_wunsch_vorholen(QWidget* fenster);

} // namespace hestrel
