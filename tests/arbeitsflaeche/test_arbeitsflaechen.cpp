// The real program on the desktops people have: GNOME Shell and KWin on
// Wayland (the program through XWayland) and openbox on X11, each started
// with two monitors by tests/arbeitsflaeche/sitzung, which runs this program
// inside. One table over mode x situation. The proof is what the desktop
// itself reports of its stacking, layers and keyboard focus (GNOME Shell's
// evaluation interface, KWin's scripting, the X server for openbox); the
// pictures are for people.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>

#include "core/cp1252.h"
#include "support/echtprogramm.h"
#include "support/kindprozess.h"
#include "support/testumgebung.h"

namespace hestrel::test {
namespace {

using namespace std::chrono_literals;
constexpr int k_monitore = 2;
constexpr int k_monitorbreite = 1280;
// "schließen" and "Programm": the middle of the buttons, in pixels from the client area's corner.
constexpr int k_schliessen_x = (1440 + 2415 / 2) / 15, k_schliessen_y = (240 + 615 / 2) / 15;

std::string aus(const std::string& befehl)
{
    std::string text;
    if (FILE* p = ::popen((befehl + " 2>/dev/null").c_str(), "r")) {
        char puffer[4096];
        for (std::size_t n; (n = std::fread(puffer, 1, sizeof puffer, p)) > 0;) {
            text.append(puffer, n);
        }
        ::pclose(p);
    }
    return text;
}

std::string umgebung(const char* name)
{
    const char* w = std::getenv(name);
    return w ? w : "";
}

// A window as the desktop reports it.
struct Fenster {
    std::string titel, rolle;
    long pid = 0;
    int schicht = 0;
    bool fokus = false, vollbild = false, minimiert = false;
    int x = 0, y = 0, b = 0, h = 0;
    int monitor() const { return std::clamp((x + b / 2) / k_monitorbreite, 0, k_monitore - 1); }
    bool ueberlappt(const Fenster& o) const
    {
        return x < o.x + o.b && o.x < x + b && y < o.y + o.h && o.y < y + h;
    }
};

// The X server itself (XWayland on the Wayland desktops): windows by process
// and role, their place, clicks and an X11 session's stacking.
class X11 {
  public:
    X11() : m_c(xcb_connect(nullptr, nullptr)) {}
    ~X11() { xcb_disconnect(m_c); }
    bool verbunden() const { return xcb_connection_has_error(m_c) == 0; }

    xcb_atom_t atom(const char* name)
    {
        auto* r = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }
    std::string text(xcb_window_t w, const char* name, xcb_atom_t typ = XCB_ATOM_ANY)
    {
        auto* r = xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, atom(name), typ, 0, 1024), nullptr);
        std::string t = r ? std::string(static_cast<const char*>(xcb_get_property_value(r)),
                                        static_cast<std::size_t>(xcb_get_property_value_length(r)))
                          : std::string();
        std::free(r);
        return t;
    }
    std::vector<std::uint32_t> zahlen(xcb_window_t w, const char* name)
    {
        const std::string t = text(w, name);
        std::vector<std::uint32_t> z(t.size() / 4);
        std::memcpy(z.data(), t.data(), z.size() * 4);
        return z;
    }
    std::vector<xcb_window_t> kinder(xcb_window_t w)
    {
        std::vector<xcb_window_t> k;
        if (auto* r = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, w), nullptr)) {
            k.assign(xcb_query_tree_children(r),
                     xcb_query_tree_children(r) + xcb_query_tree_children_length(r));
            std::free(r);
        }
        return k;
    }
    bool sichtbar(xcb_window_t w)
    {
        auto* r = xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, w), nullptr);
        const bool s = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(r);
        return s;
    }
    Fenster lage(xcb_window_t w)
    {
        Fenster f;
        auto* g = xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr);
        auto* t =
            xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, w, wurzel(), 0, 0), nullptr);
        if (g && t) {
            f = {text(w, "_NET_WM_NAME"),
                 text(w, "WM_WINDOW_ROLE"),
                 0,
                 0,
                 false,
                 false,
                 false,
                 t->dst_x,
                 t->dst_y,
                 g->width,
                 g->height};
            const auto pid = zahlen(w, "_NET_WM_PID");
            f.pid = pid.empty() ? 0 : pid[0];
        }
        std::free(g);
        std::free(t);
        return f;
    }
    xcb_window_t wurzel() { return xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root; }
    // One pixel of what the window shows, as 0xRRGGBB.
    std::uint32_t pixel(xcb_window_t w, int x, int y)
    {
        auto* r =
            xcb_get_image_reply(m_c,
                                xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, static_cast<std::int16_t>(x),
                                              static_cast<std::int16_t>(y), 1, 1, ~0u),
                                nullptr);
        std::uint32_t p = 0;
        if (r && xcb_get_image_data_length(r) >= 4) {
            std::memcpy(&p, xcb_get_image_data(r), 4);
        }
        std::free(r);
        return p & 0xFFFFFF;
    }

    // Every shown window of a process with a role (all: also those not shown), its client area, and its id.
    std::vector<std::pair<xcb_window_t, Fenster>> von(long pid, const std::string& rolle = "*",
                                                      bool alle = false)
    {
        std::vector<std::pair<xcb_window_t, Fenster>> l;
        std::function<void(xcb_window_t)> gehen = [&](xcb_window_t w) {
            for (xcb_window_t k : kinder(w)) {
                if (!alle && !sichtbar(k)) {
                    continue;
                }
                const auto p = zahlen(k, "_NET_WM_PID");
                if (!p.empty() && p[0] == pid && (rolle == "*" || text(k, "WM_WINDOW_ROLE") == rolle)) {
                    l.emplace_back(k, lage(k));
                }
                gehen(k);
            }
        };
        gehen(wurzel());
        return l;
    }
    void klicken(int x, int y)
    {
        // From elsewhere, so that the window under the pointer is entered anew (a window
        // mapped where the pointer rests may not know it yet); without --sync, which
        // waits for ever when the pointer is there already.
        aus("xdotool mousemove " + std::to_string(x + 40) + " " + std::to_string(y + 40) +
            " sleep 0.05 mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1");
    }

    // An X11 session: the shown top-level windows, bottom first, a frame standing for its client.
    std::vector<Fenster> stapel()
    {
        std::vector<Fenster> l;
        const auto aktiv = zahlen(wurzel(), "_NET_ACTIVE_WINDOW");
        const xcb_atom_t voll = atom("_NET_WM_STATE_FULLSCREEN");
        for (xcb_window_t w : kinder(wurzel())) {
            if (!sichtbar(w)) {
                continue;
            }
            xcb_window_t client = w;
            for (xcb_window_t k : kinder(w)) {
                if (!text(k, "WM_STATE").empty()) {
                    client = k;
                }
            }
            Fenster f = lage(client);
            // X11 has no layers: a managed window 0, one no window manager manages 1.
            f.schicht = text(client, "WM_STATE").empty() ? 1 : 0;
            f.fokus = !aktiv.empty() && aktiv[0] == client;
            const auto zustand = zahlen(client, "_NET_WM_STATE");
            f.vollbild = std::find(zustand.begin(), zustand.end(), voll) != zustand.end();
            if (f.b > 1 && f.h > 1) {
                l.push_back(f);
            }
        }
        return l;
    }
    // The process's icon embedded in another program's window: an X11 notification area.
    bool eingebettet(long pid)
    {
        for (xcb_window_t oben : kinder(wurzel())) {
            const auto p = zahlen(oben, "_NET_WM_PID");
            if (!p.empty() && p[0] == pid) {
                continue;
            }
            // An icon: a small shown window of the process that no window manager manages.
            std::function<bool(xcb_window_t)> suchen = [&](xcb_window_t w) {
                for (xcb_window_t k : kinder(w)) {
                    const auto q = zahlen(k, "_NET_WM_PID");
                    const Fenster f = lage(k);
                    if ((!q.empty() && q[0] == pid && sichtbar(k) && text(k, "WM_STATE").empty() &&
                         f.b <= 64 && f.h <= 64) ||
                        suchen(k)) {
                        return true;
                    }
                }
                return false;
            };
            if (suchen(oben)) {
                return true;
            }
        }
        return false;
    }

  private:
    xcb_connection_t* m_c;
};

X11& x11()
{
    static X11 x;
    return x;
}

// The desktop under test: how it reports its stacking and moves the other
// programs' windows. pid names a window's process, rolle (if not empty) its role.
struct Arbeitsflaeche {
    virtual ~Arbeitsflaeche() = default;
    virtual std::vector<Fenster> stapel() = 0;
    virtual void vollbild(long pid, int monitor) = 0;
    virtual void maximieren(long pid) = 0;
    virtual void aktivieren(long pid, const std::string& rolle = "") = 0;
    virtual void schliessen(long pid, const std::string& rolle) = 0;
    virtual void sperren(bool an) = 0;
    virtual bool gesperrt() = 0;
    virtual void infobereich() = 0;
    virtual void foto(const std::string& datei) = 0;
    // What the lock screen shows of notifications (GNOME only).
    virtual std::string sperrtext() { return {}; }
};

QDBusMessage aufruf(const char* dienst, const char* pfad, const char* schnittstelle, const char* methode,
                    const QVariantList& args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(dienst, pfad, schnittstelle, methode);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, 20000);
}

class Gnome : public Arbeitsflaeche {
  public:
    Gnome() { eval("Main.overview.hide()"); }
    std::string eval(const std::string& js)
    {
        const auto r = aufruf("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval",
                              {QString::fromStdString(k_finden + js)});
        return r.arguments().size() == 2 ? r.arguments()[1].toString().toStdString()
                                         : r.errorMessage().toStdString();
    }
    std::vector<Fenster> stapel() override
    {
        const QJsonArray a =
            QJsonDocument::fromJson(
                QByteArray::fromStdString(
                    eval("global.display.sort_windows_by_stacking(global.display.list_all_windows())"
                         ".map(w => { const r = w.get_frame_rect(); return [w.get_title() || '', "
                         "w.get_role() || '', w.get_pid(), w.get_layer(), w.has_focus(), "
                         "w.is_fullscreen(), w.minimized, r.x, r.y, r.width, r.height]; })")))
                .array();
        std::vector<Fenster> l;
        for (const auto& e : a) {
            const QJsonArray f = e.toArray();
            Fenster w{f[0].toString().toStdString(),
                      f[1].toString().toStdString(),
                      f[2].toInt(),
                      f[3].toInt(),
                      f[4].toBool(),
                      f[5].toBool(),
                      f[6].toBool(),
                      f[7].toInt(),
                      f[8].toInt(),
                      f[9].toInt(),
                      f[10].toInt()};
            // GNOME Shell reads no role of a window it does not manage: the X server knows it.
            for (const auto& [id, x] :
                 w.rolle.empty() ? x11().von(w.pid) : std::vector<std::pair<xcb_window_t, Fenster>>{}) {
                if (x.x == w.x && x.y == w.y && x.b == w.b && x.h == w.h) {
                    w.rolle = x.rolle;
                }
            }
            // Leave out the shell's own helper window, off the screen.
            if (w.b > 1 && w.h > 1 && !w.minimiert) {
                l.push_back(w);
            }
        }
        return l;
    }
    void tun(long pid, const std::string& js, const std::string& rolle = "")
    {
        eval("{ const w = F(" + std::to_string(pid) + ", '" + rolle +
             "'); const t = global.get_current_time(); " + js + " }");
    }
    void vollbild(long pid, int m) override
    {
        tun(pid, "w.move_to_monitor(" + std::to_string(m) + "); w.make_fullscreen(); w.activate(t);");
    }
    void maximieren(long pid) override
    {
        tun(pid, "w.maximize(imports.gi.Meta.MaximizeFlags.BOTH); w.activate(t);");
    }
    void aktivieren(long pid, const std::string& rolle) override { tun(pid, "w.activate(t);", rolle); }
    void schliessen(long pid, const std::string& rolle) override { tun(pid, "w.delete(t);", rolle); }
    void sperren(bool an) override
    {
        // Headless GNOME Shell has no display manager: its lock screen is made here.
        eval(an ? "if (!Main.screenShield) Main.screenShield = new imports.ui.screenShield.ScreenShield(); "
                  "Main.screenShield.lock(false)"
                : "Main.screenShield.deactivate(false)");
    }
    bool gesperrt() override { return eval("!!Main.screenShield && Main.screenShield.locked") == "true"; }
    void infobereich() override
    {
        eval("Main.extensionManager.enableExtension('ubuntu-appindicators@ubuntu.com')");
    }
    void foto(const std::string& datei) override
    {
        aufruf("org.gnome.Shell", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot", "Screenshot",
               {false, false, QString::fromStdString(datei)});
    }
    std::string sperrtext() override
    {
        return eval("Main.messageTray.getSources().filter(s => s.policy.detailsInLockScreen)"
                    ".map(s => s.notifications.map(n => n.bannerBodyText).join('|')).join('|')");
    }

  private:
    const std::string k_finden = "const F = (p, r) => global.display.list_all_windows().find("
                                 "w => w.get_pid() == p && (r == '' || w.get_role() == r)); ";
};

class Kde : public Arbeitsflaeche {
  public:
    // Runs a KWin script; what it print()s, read back from KWin's standard error.
    std::string skript(const std::string& js)
    {
        const std::string marke = "hestrel-" + std::to_string(++m_nummer);
        const std::string datei = umgebung("HESTREL_SITZUNG") + "/" + marke + ".js";
        datei_schreiben(datei,
                        "function F(p, r) { var l = workspace.clientList(); for (var i = 0; i < l.length; "
                        "++i) if (l[i].pid == p && (r == '' || l[i].windowRole == r)) return l[i]; return "
                        "null; }\nvar aus = (function() {" +
                            js + "})();\nprint('" + marke + "<' + (aus === undefined ? '' : aus) + '>" +
                            marke + "');\n");
        aufruf("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
               {QString::fromStdString(datei), QString::fromStdString(marke)});
        aufruf("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "start", {});
        std::string log;
        warten_bis(
            [&] {
                return (log = datei_lesen(umgebung("HESTREL_KWIN_LOG"))).find(">" + marke) !=
                       std::string::npos;
            },
            5s);
        aufruf("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
               {QString::fromStdString(marke)});
        const auto a = log.find(marke + "<");
        const auto e = log.find(">" + marke);
        return a == std::string::npos || e == std::string::npos
                   ? ""
                   : log.substr(a + marke.size() + 1, e - a - marke.size() - 1);
    }
    std::vector<Fenster> stapel() override
    {
        std::istringstream zeilen(skript(
            "var l = workspace.clientList().sort(function(a, b) { return a.stackingOrder - b.stackingOrder; "
            "}); "
            "var z = []; for (var i = 0; i < l.length; ++i) { var c = l[i], g = c.frameGeometry; "
            "z.push([c.caption, "
            "c.windowRole, c.pid, c.layer, c.active, c.fullScreen, c.minimized, g.x, g.y, g.width, g.height]"
            ".join('\\t')); } return z.join('\\n');"));
        std::vector<Fenster> l;
        for (std::string z; std::getline(zeilen, z);) {
            std::vector<std::string> f;
            std::istringstream felder(z);
            for (std::string s; std::getline(felder, s, '\t');) {
                f.push_back(s);
            }
            if (f.size() == 11 && f[6] != "true") {
                l.push_back({f[0], f[1], std::stol(f[2]), std::stoi(f[3]), f[4] == "true", f[5] == "true",
                             false, std::stoi(f[7]), std::stoi(f[8]), std::stoi(f[9]), std::stoi(f[10])});
            }
        }
        return l;
    }
    void tun(long pid, const std::string& js, const std::string& rolle = "")
    {
        skript("var c = F(" + std::to_string(pid) + ", '" + rolle + "'); " + js);
    }
    void vollbild(long pid, int m) override
    {
        tun(pid, "workspace.sendClientToScreen(c, " + std::to_string(m) +
                     "); c.fullScreen = true; workspace.activeClient = c;");
    }
    void maximieren(long pid) override { tun(pid, "c.setMaximize(true, true); workspace.activeClient = c;"); }
    void aktivieren(long pid, const std::string& rolle) override
    {
        tun(pid, "workspace.activeClient = c;", rolle);
    }
    void schliessen(long pid, const std::string& rolle) override { tun(pid, "c.closeWindow();", rolle); }
    void sperren(bool an) override
    {
        if (an) {
            // KDE's greeter asks for a password: the login manager unlocks, as loginctl would.
            m_logind = std::make_unique<Kindprozess>(std::vector<std::string>{HESTREL_SCHEINLOGIND},
                                                     std::vector<std::string>{}, std::vector<std::string>{},
                                                     umgebung("HESTREL_SITZUNG") + "/logind.log");
            std::this_thread::sleep_for(500ms);
            aufruf("org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver", "Lock", {});
        } else if (m_logind) {
            m_logind->signal(SIGUSR1);
        }
    }
    bool gesperrt() override
    {
        const auto r = aufruf("org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver",
                              "GetActive", {});
        return !r.arguments().isEmpty() && r.arguments()[0].toBool();
    }
    void infobereich() override
    {
        // Plasma's panel with its notification area, and what it needs in a session.
        for (const std::vector<std::string>& a :
             {std::vector<std::string>{"/usr/lib/x86_64-linux-gnu/libexec/kactivitymanagerd"},
              std::vector<std::string>{"kded5"}, std::vector<std::string>{"plasmashell", "--no-respawn"}}) {
            m_plasma.push_back(std::make_unique<Kindprozess>(
                a, std::vector<std::string>{"QT_QPA_PLATFORM=wayland", "QT_QUICK_BACKEND=software"},
                std::vector<std::string>{}, umgebung("HESTREL_SITZUNG") + "/plasma.log", true));
        }
    }
    void foto(const std::string& datei) override
    {
        // KWin's outputs are windows on a private Xvfb: set side by side and exposed anew, then photographed.
        const std::string ausgabe = umgebung("HESTREL_KWIN_AUSGABE");
        std::istringstream ids(
            aus("xwininfo -root -children -display " + ausgabe + " | grep -oE '^ +0x[0-9a-f]+' | tac"));
        int n = 0;
        for (std::string id; ids >> id; ++n) {
            const std::string x = std::to_string(n * k_monitorbreite);
            aus("DISPLAY=" + ausgabe + " xdotool windowmove " + id + " " + x + " 800 windowmove " + id + " " +
                x + " 0");
        }
        std::this_thread::sleep_for(700ms);
        aus("xwd -silent -root -display " + ausgabe + " | convert xwd:- " + datei);
    }

  private:
    int m_nummer = 0;
    std::unique_ptr<Kindprozess> m_logind;
    std::vector<std::unique_ptr<Kindprozess>> m_plasma;
};

class Openbox : public Arbeitsflaeche {
  public:
    std::vector<Fenster> stapel() override { return x11().stapel(); }
    std::string id(long pid, const std::string& rolle = "*")
    {
        const auto l = x11().von(pid, rolle);
        return l.empty() ? "0" : std::to_string(l.front().first);
    }
    void vollbild(long pid, int m) override
    {
        const std::string w = id(pid);
        aus("xdotool windowmove " + w + " " + std::to_string(m * k_monitorbreite + 100) + " 100");
        aus("wmctrl -i -r " + w + " -b add,fullscreen; xdotool windowactivate --sync " + w);
    }
    void maximieren(long pid) override
    {
        aus("wmctrl -i -r " + id(pid) +
            " -b add,maximized_vert,maximized_horz; xdotool windowactivate --sync " + id(pid));
    }
    void aktivieren(long pid, const std::string& rolle) override
    {
        aus("xdotool windowactivate --sync " + id(pid, rolle.empty() ? "*" : rolle));
    }
    void schliessen(long pid, const std::string& rolle) override { aus("wmctrl -i -c " + id(pid, rolle)); }
    void sperren(bool an) override
    {
        if (an) {
            m_sperre = std::make_unique<Kindprozess>(std::vector<std::string>{"i3lock", "-n", "-c", "203040"},
                                                     std::vector<std::string>{}, std::vector<std::string>{},
                                                     "/dev/null");
        } else {
            m_sperre.reset();
        }
    }
    bool gesperrt() override { return m_sperre && m_sperre->laeuft(); }
    void infobereich() override
    {
        m_tray = std::make_unique<Kindprozess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                     "--height", "24"},
            std::vector<std::string>{}, std::vector<std::string>{}, "/dev/null");
    }
    // xwd leaves out windows whose colour map is not installed; import does not.
    void foto(const std::string& datei) override { aus("import -window root " + datei); }

  private:
    std::unique_ptr<Kindprozess> m_sperre;
    std::unique_ptr<Kindprozess> m_tray;
};

Arbeitsflaeche& flaeche()
{
    static std::unique_ptr<Arbeitsflaeche> f = []() -> std::unique_ptr<Arbeitsflaeche> {
        const std::string art = umgebung("HESTREL_ARBEITSFLAECHE");
        if (art == "gnome") {
            return std::make_unique<Gnome>();
        }
        if (art == "kde") {
            return std::make_unique<Kde>();
        }
        return std::make_unique<Openbox>();
    }();
    return *f;
}

// The item the process shows in a StatusNotifier host's area (GNOME's extension, Plasma's panel).
bool symbol_angemeldet(long pid)
{
    const auto r = aufruf(
        "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get",
        {QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("RegisteredStatusNotifierItems")});
    if (r.arguments().isEmpty()) {
        return false;
    }
    // "service/path" (KDE) or "service@/path" (GNOME's extension).
    for (const QString& eintrag : r.arguments()[0].value<QDBusVariant>().variant().toStringList()) {
        const QString dienst = eintrag.section('/', 0, 0).section('@', 0, 0);
        const QDBusReply<uint> p = QDBusConnection::sessionBus().interface()->servicePid(dienst);
        if (p.isValid() && p.value() == pid) {
            return true;
        }
    }
    return false;
}

enum class Lage {
    fokussiert,
    maximiert,
    vollbild,
    danach_gehoben,
    neues_fenster,
    zweiter_monitor,
    gesperrt,
    ohne_infobereich
};
struct Zeile {
    const char* name;
    bool vollbildmodus;
    Lage lage;
};

// The situations, each in normal and in full-screen alarm mode; then the desk
// without a notification area and a second start, which need no alarm.
const Zeile k_zeilen[] = {
    {"normal_fokussiert", false, Lage::fokussiert},
    {"normal_maximiert", false, Lage::maximiert},
    {"normal_vollbild", false, Lage::vollbild},
    {"normal_danach_gehoben", false, Lage::danach_gehoben},
    {"normal_neues_fenster", false, Lage::neues_fenster},
    {"normal_zweiter_monitor", false, Lage::zweiter_monitor},
    {"normal_gesperrt", false, Lage::gesperrt},
    {"vollbild_fokussiert", true, Lage::fokussiert},
    {"vollbild_maximiert", true, Lage::maximiert},
    {"vollbild_vollbild", true, Lage::vollbild},
    {"vollbild_danach_gehoben", true, Lage::danach_gehoben},
    {"vollbild_neues_fenster", true, Lage::neues_fenster},
    {"vollbild_zweiter_monitor", true, Lage::zweiter_monitor},
    {"vollbild_gesperrt", true, Lage::gesperrt},
    {"ohne_infobereich_zweiter_start", false, Lage::ohne_infobereich},
};

void ohne_infobereich_und_zweiter_start();

// What all rows share: the running program of the current mode, the group
// the next alarm goes to, the test directory.
struct Lauf {
    TempVerzeichnis basis;
    std::unique_ptr<Kindprozess> programm;
    std::string modus, daten;
    int gruppe = 0;

    Kindprozess& starten(const std::string& m, bool vollbild)
    {
        if (programm && modus == m && programm->laeuft()) {
            return *programm;
        }
        programm.reset();
        modus = m;
        daten = basis / ("daten-" + m);
        std::vector<std::string> gruppen;
        for (int i = 1; i <= 10; ++i) {
            gruppen.push_back(basis.unterverzeichnis("gruppe-" + m + "-" + std::to_string(i)));
        }
        auto z = echt::einstellungszeilen(gruppen);
        z[66] = vollbild ? " 1 " : " 0 ";
        // "Anzeige bei gesperrtem PC": every alarm also as a desktop notification.
        z[67] = " 1 ";
        std::filesystem::create_directories(daten);
        datei_schreiben(daten + "/Hestrel.DAT", echt::zeilen_cr_lf(z));
        programm = std::make_unique<Kindprozess>(
            std::vector<std::string>{HESTREL_PROGRAMM}, std::vector<std::string>{"APPDATA=" + daten},
            std::vector<std::string>{"QT_QPA_PLATFORM"}, basis / ("programm-" + m + ".txt"));
        const long pid = programm->pid();
        EXPECT_TRUE(warten_bis([&] { return !x11().von(pid, "Meldeliste").empty(); }, 20s, 50ms))
            << datei_lesen(basis / ("programm-" + m + ".txt"));
        gruppe = 0;
        return *programm;
    }
    std::string naechste_gruppe()
    {
        return basis / ("gruppe-" + modus + "-" + std::to_string(++gruppe)) + "/";
    }
};

Lauf& lauf()
{
    static Lauf l;
    return l;
}

// Another program the person works in.
std::unique_ptr<Kindprozess> anderes_programm(const std::string& titel)
{
    auto p = std::make_unique<Kindprozess>(std::vector<std::string>{HESTREL_FOKUSFENSTER, "/dev/null", titel},
                                           std::vector<std::string>{},
                                           std::vector<std::string>{"QT_QPA_PLATFORM"}, "/dev/null");
    const long pid = p->pid();
    EXPECT_TRUE(warten_bis(
        [&] {
            const auto s = flaeche().stapel();
            return std::any_of(s.begin(), s.end(), [&](const Fenster& f) { return f.pid == pid; });
        },
        10s, 50ms));
    return p;
}

std::string zeile(const Fenster& f, long hestrel)
{
    std::ostringstream o;
    o << (f.pid == hestrel ? "Hestrel " : "") << '"' << f.titel << "\" " << f.rolle << " Schicht "
      << f.schicht << (f.fokus ? " Fokus" : "") << (f.vollbild ? " Vollbild" : "") << " Monitor "
      << f.monitor() << " " << f.x << "," << f.y << " " << f.b << "x" << f.h;
    return o.str();
}

// The alarm windows stand in front of every other window, one on each
// monitor, and the keyboard is where it was: "" or what is wrong.
std::string alarm_vorn(const std::vector<Fenster>& s, long hestrel, long fokus, bool vollbildmodus)
{
    std::vector<std::size_t> alarme;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i].pid == hestrel && s[i].rolle == "Alarmanzeige") {
            alarme.push_back(i);
        }
    }
    if (alarme.size() != k_monitore) {
        return std::to_string(alarme.size()) + " alarm windows";
    }
    if (s[alarme[0]].monitor() == s[alarme[1]].monitor()) {
        return "both alarm windows on one monitor";
    }
    for (const std::size_t a : alarme) {
        const Fenster& f = s[a];
        const int links = f.monitor() * k_monitorbreite;
        if (vollbildmodus ? (f.x != links || f.y != 0 || f.b != k_monitorbreite || f.h != 800)
                          : std::abs(f.x + f.b / 2 - (links + k_monitorbreite / 2)) > 2) {
            return "alarm window not where it belongs: " + zeile(f, hestrel);
        }
        for (std::size_t i = a + 1; i < s.size(); ++i) {
            if (!(s[i].pid == hestrel && s[i].rolle == "Alarmanzeige") && s[i].ueberlappt(f)) {
                return "in front of the alarm window: " + zeile(s[i], hestrel);
            }
        }
    }
    for (const Fenster& f : s) {
        if (f.fokus && (f.pid == hestrel || (fokus != 0 && f.pid != fokus))) {
            return "the keyboard moved to " + zeile(f, hestrel);
        }
    }
    return {};
}

// The null sink's recording holds more than silence.
bool zu_hoeren(const std::string& aufnahme)
{
    const std::string roh = datei_lesen(aufnahme);
    int spitze = 0;
    for (std::size_t i = 0; i + 1 < roh.size(); i += 2) {
        spitze = std::max(spitze, std::abs(static_cast<int>(static_cast<std::int16_t>(
                                      static_cast<unsigned char>(roh[i]) |
                                      (static_cast<unsigned char>(roh[i + 1]) << 8)))));
    }
    return spitze > 2000;
}

// Where a picture goes: beside the test's files, or kept in $HESTREL_BILDER.
std::string bildpfad(const std::string& name)
{
    const std::string ort = umgebung("HESTREL_BILDER");
    return (ort.empty() ? lauf().basis.pfad() : ort) + "/" + umgebung("HESTREL_ARBEITSFLAECHE") + "-" + name;
}

// "schließen" in the alarm window on the second monitor: true when every alarm window is gone.
bool alarm_schliessen(long hestrel)
{
    const auto alarme = x11().von(hestrel, "Alarmanzeige");
    if (alarme.empty()) {
        return true;
    }
    const Fenster& f = std::max_element(alarme.begin(), alarme.end(), [](const auto& p, const auto& q) {
                           return p.second.x < q.second.x;
                       })->second;
    x11().klicken(f.x + k_schliessen_x, f.y + k_schliessen_y);
    return warten_bis([&] { return x11().von(hestrel, "Alarmanzeige").empty(); }, 5s, 50ms);
}

class Szenario : public ::testing::TestWithParam<Zeile> {};

TEST_P(Szenario, AlarmVornTastaturBleibt)
{
    const Zeile& z = GetParam();
    if (z.lage == Lage::ohne_infobereich) {
        ohne_infobereich_und_zweiter_start();
        return;
    }
    Arbeitsflaeche& a = flaeche();
    Lauf& l = lauf();
    const long hestrel = l.starten(z.vollbildmodus ? "vollbild" : "normal", z.vollbildmodus).pid();
    ASSERT_TRUE(alarm_schliessen(hestrel)) << "an alarm window of the last row is still there";
    const auto arbeit = anderes_programm("Vortrag");
    const long pid = arbeit->pid();
    switch (z.lage) {
    case Lage::fokussiert:
        a.aktivieren(pid);
        break;
    case Lage::maximiert:
        a.maximieren(pid);
        break;
    case Lage::zweiter_monitor:
        a.vollbild(pid, 1);
        break;
    default:
        a.vollbild(pid, 0);
        break;
    }
    ASSERT_TRUE(warten_bis(
        [&] {
            for (const Fenster& f : a.stapel()) {
                if (f.pid == pid && f.fokus &&
                    (f.vollbild || z.lage == Lage::fokussiert || z.lage == Lage::maximiert)) {
                    return true;
                }
            }
            return false;
        },
        5s, 50ms))
        << "the other program did not get the keyboard";

    std::unique_ptr<Kindprozess> aufnahme;
    const std::string ton = l.basis / (std::string(z.name) + ".raw");
    if (z.lage == Lage::gesperrt) {
        aufnahme = std::make_unique<Kindprozess>(
            std::vector<std::string>{"parec", "-d", "hestrel_aufnahme.monitor", "--format=s16le",
                                     "--rate=16000", "--channels=1", "--raw"},
            std::vector<std::string>{}, std::vector<std::string>{}, ton);
        a.sperren(true);
        ASSERT_TRUE(warten_bis([&] { return a.gesperrt(); }, 10s, 100ms)) << "the screen did not lock";
    }

    const auto gelegt = std::chrono::steady_clock::now();
    echt::alarm_legen(l.naechste_gruppe(), "Hilfe Kasse 2\r\nErdgeschoss\r\n");
    ASSERT_TRUE(
        warten_bis([&] { return x11().von(hestrel, "Alarmanzeige").size() == k_monitore; }, 12s, 50ms))
        << "no alarm window on every monitor";
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - gelegt)
            .count();

    if (z.lage == Lage::gesperrt) {
        std::this_thread::sleep_for(1500ms);
        EXPECT_TRUE(a.gesperrt());
        EXPECT_TRUE(zu_hoeren(ton)) << "no alarm sound while locked";
        if (dynamic_cast<Gnome*>(&a)) {
            // What the administrator allowed for Hestrel: the text on GNOME's lock screen.
            EXPECT_NE(a.sperrtext().find("Hilfe Kasse 2"), std::string::npos) << a.sperrtext();
        }
        if (!umgebung("HESTREL_BILDER").empty()) {
            a.foto(bildpfad("gesperrt.png"));
        }
        a.sperren(false);
        ASSERT_TRUE(warten_bis([&] { return !a.gesperrt(); }, 10s, 100ms)) << "the screen did not unlock";
    }
    std::unique_ptr<Kindprozess> neu;
    if (z.lage == Lage::danach_gehoben) {
        a.aktivieren(pid);
    } else if (z.lage == Lage::neues_fenster) {
        neu = anderes_programm("Neues Fenster");
    }

    std::string fehler;
    std::vector<Fenster> s;
    // The desktop settles within a moment; the alarm must stand in front once it has.
    warten_bis(
        [&] {
            s = a.stapel();
            fehler = alarm_vorn(s, hestrel, z.lage == Lage::neues_fenster ? 0 : pid, z.vollbildmodus);
            return fehler.empty();
        },
        3s, 100ms);
    std::ostringstream bericht;
    bericht << z.name << ": alarm windows after " << ms << " ms; stacking, bottom first:\n";
    for (const Fenster& f : s) {
        bericht << "  " << zeile(f, hestrel) << "\n";
    }
    std::printf("%s", bericht.str().c_str());
    EXPECT_EQ(fehler, "") << bericht.str();

    const auto alarme = x11().von(hestrel, "Alarmanzeige");
    ASSERT_EQ(alarme.size(), std::size_t{k_monitore});
    if (z.lage == Lage::gesperrt) {
        // Blinking: red and white at the window's corner within a second and a half.
        const auto& [id, f] = alarme.front();
        std::set<std::uint32_t> farben;
        warten_bis(
            [&, id = id, f = f] {
                farben.insert(x11().pixel(id, f.b - 6, f.h - 6));
                return farben.count(0xFF0000) && farben.count(0xFFFFFF);
            },
            1500ms, 100ms);
        EXPECT_TRUE(farben.count(0xFF0000) && farben.count(0xFFFFFF)) << "not blinking red and white";
    }
    if (!umgebung("HESTREL_BILDER").empty() &&
        (z.lage == Lage::vollbild || z.lage == Lage::zweiter_monitor)) {
        a.foto(bildpfad(z.name + std::string(".png")));
    }

    EXPECT_TRUE(alarm_schliessen(hestrel)) << "one click on \"schließen\" did not close every alarm window";
}

// Clicks the menu item of the message list's button "Programm" (0 "Info", 2 "Einstellung").
void programmmenue(long hestrel, int punkt)
{
    flaeche().aktivieren(hestrel, "Meldeliste");
    std::this_thread::sleep_for(300ms);
    const auto liste = x11().von(hestrel, "Meldeliste");
    ASSERT_FALSE(liste.empty());
    const Fenster& l = liste.front().second;
    const std::size_t vorher = x11().von(hestrel).size();
    x11().klicken(l.x + (9240 + 2055 / 2) / 15, l.y + (240 + 495 / 2) / 15);
    Fenster menue;
    ASSERT_TRUE(warten_bis(
        [&] {
            for (const auto& [id, f] : x11().von(hestrel)) {
                if (f.rolle.empty() && f.h > 100 && x11().von(hestrel).size() > vorher) {
                    menue = f;
                    return true;
                }
            }
            return false;
        },
        5s, 50ms))
        << "no menu on the button \"Programm\"";
    const int hoehe = menue.h / 7;
    x11().klicken(menue.x + menue.b / 2, menue.y + punkt * hoehe + hoehe / 2);
}

// A window the person opened: with the keyboard, in front of every window of
// its layer (a desktop's notification popup may stand above it).
void vorn_mit_tastatur(long hestrel, const std::string& rolle)
{
    std::vector<Fenster> s;
    const bool ok = warten_bis(
        [&] {
            s = flaeche().stapel();
            const auto f = std::find_if(
                s.begin(), s.end(), [&](const Fenster& w) { return w.pid == hestrel && w.rolle == rolle; });
            return f != s.end() && f->fokus && std::none_of(f + 1, s.end(), [&](const Fenster& w) {
                       return w.schicht <= f->schicht && w.ueberlappt(*f);
                   });
        },
        5s, 100ms);
    std::ostringstream o;
    for (const Fenster& f : s) {
        o << "  " << zeile(f, hestrel) << "\n";
    }
    std::printf("%s opened on purpose:\n%s", rolle.c_str(), o.str().c_str());
    EXPECT_TRUE(ok) << rolle << " is not in front with the keyboard:\n" << o.str();
}

// Without a notification area every item of the tray menu is in the message
// list; the windows opened there come forward with the keyboard, typing goes
// into them; closing the list keeps it within reach; the icon comes with the
// notification area. Then a second start brings the list forward and ends.
void ohne_infobereich_und_zweiter_start()
{
    Arbeitsflaeche& a = flaeche();
    Lauf& l = lauf();
    const long hestrel = l.starten("konsole", false).pid();
    ASSERT_FALSE(symbol_angemeldet(hestrel) || x11().eingebettet(hestrel))
        << "an icon without a notification area";

    programmmenue(hestrel, 2);
    vorn_mit_tastatur(hestrel, "Einstellungen");
    programmmenue(hestrel, 0);
    vorn_mit_tastatur(hestrel, "programminfo");

    // The group name is typed into the naming dialog, never into the alarm text.
    a.aktivieren(hestrel, "Meldeliste");
    std::this_thread::sleep_for(300ms);
    const Fenster liste = x11().von(hestrel, "Meldeliste").front().second;
    x11().klicken(liste.x + (960 + 1395 / 2) / 15, liste.y + (3360 + 375 / 2) / 15);
    vorn_mit_tastatur(hestrel, "Gruppenbezeichnung");
    aus("xdotool type --delay 30 'Kasse Nord'");
    const auto dialog = x11().von(hestrel, "Gruppenbezeichnung");
    ASSERT_FALSE(dialog.empty());
    x11().klicken(dialog.front().second.x + (240 + 1455 / 2) / 15,
                  dialog.front().second.y + (2040 + 615 / 2) / 15);
    x11().klicken(liste.x + (120 + 2655 / 2) / 15, liste.y + (1920 + 495 / 2) / 15);
    std::string alarmdaten;
    EXPECT_TRUE(warten_bis(
        [&] {
            alarmdaten = cp1252_zu_utf8(datei_lesen(l.daten + "/Alarmdaten.DAT"));
            return alarmdaten.find("\r\nKasse Nord\r\n") != std::string::npos;
        },
        5s, 100ms))
        << alarmdaten;
    EXPECT_EQ(alarmdaten.find("Kasse"), alarmdaten.find("\r\nKasse Nord\r\n") + 2)
        << "typed into the alarm text";

    // Closed without a notification area: minimised (the X11 state "iconic"), not gone.
    a.schliessen(hestrel, "Meldeliste");
    EXPECT_TRUE(warten_bis(
        [&] {
            const auto liste = x11().von(hestrel, "Meldeliste", true);
            return !liste.empty() &&
                   x11().zahlen(liste.front().first, "WM_STATE") == std::vector<std::uint32_t>{3, 0};
        },
        5s, 100ms))
        << "the message list is not minimised";
    EXPECT_TRUE(l.programm->laeuft());

    const auto ab = std::chrono::steady_clock::now();
    a.infobereich();
    EXPECT_TRUE(
        warten_bis([&] { return symbol_angemeldet(hestrel) || x11().eingebettet(hestrel); }, 90s, 200ms))
        << "no icon once the notification area appeared";
    std::printf("icon %lld ms after the notification area was started\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - ab)
                                           .count()));
    if (!umgebung("HESTREL_BILDER").empty()) {
        a.foto(bildpfad("symbol.png"));
    }

    // A second start: the list comes forward with the keyboard, the new process ends saying so.
    const std::string ausgabe = l.basis / "zweiter-start.txt";
    Kindprozess zweiter({HESTREL_PROGRAMM}, {"APPDATA=" + l.daten}, {"QT_QPA_PLATFORM"}, ausgabe);
    const auto status = zweiter.ende_abwarten(10s);
    ASSERT_TRUE(status.has_value()) << "the second start did not end";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_NE(datei_lesen(ausgabe).find("läuft in dieser Sitzung schon"), std::string::npos)
        << datei_lesen(ausgabe);
    vorn_mit_tastatur(hestrel, "Meldeliste");
}

INSTANTIATE_TEST_SUITE_P(Lagen, Szenario, ::testing::ValuesIn(k_zeilen),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace hestrel::test

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!hestrel::test::x11().verbunden()) {
        std::fprintf(stderr, "no X display: run inside tests/arbeitsflaeche/sitzung\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
