#include "app/anzeigewahl.h"

namespace hestrel {
namespace {

bool gesetzt(const char* wert)
{
    return wert != nullptr && *wert != '\0';
}

} // namespace

Anzeigewahl anzeige_waehlen(const std::function<const char*(const char*)>& umgebung, bool wayland_modul)
{
    const char* plattform = umgebung("QT_QPA_PLATFORM");
    const bool x11 = gesetzt(umgebung("DISPLAY"));
    const bool wayland = gesetzt(umgebung("WAYLAND_DISPLAY"));
    Anzeigewahl w;
    if (gesetzt(plattform)) {
        const std::string p = plattform;
        if (p.rfind("wayland", 0) == 0) {
            // The alarm window must stand above every window: a Wayland client
            // cannot ask for that, an X11 window through XWayland can.
            if (x11) {
                w.plattform = "xcb";
                w.x11_pruefen = true;
                w.hinweis = "hestrel: QT_QPA_PLATFORM=" + p +
                            " übergangen: Hestrel läuft über XWayland, damit das Alarmfenster über allen "
                            "Fenstern stehen kann";
            } else if (wayland_modul) {
                w.hinweis = "hestrel: kein XWayland (DISPLAY fehlt): Hestrel läuft unter Wayland, das "
                            "Alarmfenster kann dort nicht über allen Fenstern stehen";
            } else {
                w.fehler = "hestrel: QT_QPA_PLATFORM=" + p +
                           ", aber weder XWayland (DISPLAY fehlt) noch Qts Wayland-Modul ist da";
            }
        } else if (p == "xcb") {
            w.x11_pruefen = true;
        }
        return w;
    }
    if (x11) {
        // Through XWayland where the session is Wayland: there a window may stay above all others.
        w.plattform = "xcb";
        w.x11_pruefen = true;
    } else if (wayland) {
        if (wayland_modul) {
            w.hinweis = "hestrel: kein XWayland (DISPLAY fehlt): Hestrel läuft unter Wayland, das "
                        "Alarmfenster kann dort nicht über allen Fenstern stehen";
        } else {
            w.fehler = "hestrel: kein XWayland (DISPLAY fehlt) und kein Wayland-Modul für Qt: Hestrel kann "
                       "auf dieser Anzeige kein Fenster öffnen";
        }
    } else {
        w.plattform = "offscreen";
        w.hinweis = "hestrel: keine Anzeige gefunden, Hestrel läuft ohne Fenster (QT_QPA_PLATFORM=offscreen)";
    }
    return w;
}

std::string x11_fehlertext(const char* display, const char* xauthority, const std::string& grund)
{
    std::string text = "hestrel: keine Verbindung zur X-Anzeige \"" + std::string(display ? display : "") +
                       "\" (DISPLAY): " + grund;
    if (!gesetzt(xauthority)) {
        text += "; XAUTHORITY ist nicht gesetzt";
    }
    return text;
}

} // namespace hestrel
