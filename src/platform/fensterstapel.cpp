#include "platform/fensterstapel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

namespace hestrel {
namespace {

bool auf_x11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

xcb_connection_t* verbindung()
{
    if (!auf_x11()) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const auto frage = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* antwort = xcb_intern_atom_reply(c, frage, nullptr);
    const xcb_atom_t a = antwort ? antwort->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(antwort);
    return a;
}

xcb_window_t wurzel(xcb_connection_t* c)
{
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return s ? s->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

// A window property's bytes, at most 4 KiB.
std::vector<char> eigenschaft(xcb_connection_t* c, xcb_window_t fenster, xcb_atom_t name, xcb_atom_t typ)
{
    std::vector<char> wert;
    const auto frage = xcb_get_property(c, 0, fenster, name, typ, 0, 1024);
    if (xcb_get_property_reply_t* antwort = xcb_get_property_reply(c, frage, nullptr)) {
        const auto* daten = static_cast<const char*>(xcb_get_property_value(antwort));
        wert.assign(daten, daten + xcb_get_property_value_length(antwort));
        std::free(antwort);
    }
    return wert;
}

// The name the window manager gives itself ("GNOME Shell", "KWin", "Openbox"), or "".
std::string fenstermanager(xcb_connection_t* c)
{
    const auto pruef = eigenschaft(c, wurzel(c), atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (pruef.size() != sizeof(xcb_window_t)) {
        return {};
    }
    xcb_window_t wm = 0;
    std::memcpy(&wm, pruef.data(), sizeof wm);
    auto name = eigenschaft(c, wm, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"));
    if (name.empty()) {
        name = eigenschaft(c, wm, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    }
    return std::string(name.begin(), name.end());
}

constexpr Qt::WindowFlags k_ueber_allem =
    Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

// No desktop to ask: the stay-on-top hint only.
class Hinweisstapel : public Fensterstapel {
  public:
    void ueber_allem(QWidget* fenster) override
    {
        fenster->setWindowFlags(k_ueber_allem);
        fenster->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    void heben(QWidget* fenster) override
    {
        if (fenster->isVisible() && QGuiApplication::platformName() != QLatin1String("offscreen")) {
            fenster->raise();
        }
    }
    Technik technik() const override { return Technik::hinweis; }
    std::string beschreibung() const override
    {
        return "Fensterstapel: " + QGuiApplication::platformName().toStdString() + ", nur der Hinweis 'oben'";
    }
};

// X11 and XWayland: how the window manager found stacks above full screen.
class X11Stapel : public Fensterstapel {
  public:
    X11Stapel(std::string wm, Technik technik) : m_wm(std::move(wm)), m_technik(technik) {}

    void ueber_allem(QWidget* fenster) override
    {
        Qt::WindowFlags f = k_ueber_allem;
        if (m_technik == Technik::unverwaltet) {
            f |= Qt::X11BypassWindowManagerHint;
        }
        fenster->setWindowFlags(f);
        fenster->setAttribute(Qt::WA_ShowWithoutActivating);
        if (m_technik != Technik::kritische_meldung) {
            return;
        }
        xcb_connection_t* c = verbindung();
        if (c == nullptr) {
            return;
        }
        // Set on the native window before it is mapped: KWin reads the type when it takes the window on.
        const auto id = static_cast<xcb_window_t>(fenster->winId());
        const xcb_atom_t typen[] = {atom(c, "_KDE_NET_WM_WINDOW_TYPE_CRITICAL_NOTIFICATION"),
                                    atom(c, "_NET_WM_WINDOW_TYPE_NOTIFICATION")};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                            2, typen);
        xcb_flush(c);
    }
    void heben(QWidget* fenster) override
    {
        if (fenster->isVisible()) {
            fenster->raise();
        }
    }
    Technik technik() const override { return m_technik; }
    std::string beschreibung() const override
    {
        const char* weg = m_technik == Technik::kritische_meldung ? "Fenstertyp kritische Meldung"
                                                                  : "Fenster ohne Fenstermanager";
        return "Fensterstapel: X11, Fenstermanager '" + (m_wm.empty() ? std::string("keiner") : m_wm) +
               "', Alarmfenster als " + weg;
    }

  private:
    std::string m_wm;
    Technik m_technik;
};

// _NET_ACTIVE_WINDOW as a pager sends it: the window managers honour it past
// their focus-stealing prevention, which keeps back a window whose program got
// the click through the notification area's bus rather than from the X server.
void als_pager_aktivieren(xcb_connection_t* c, xcb_window_t fenster)
{
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = fenster;
    e.type = atom(c, "_NET_ACTIVE_WINDOW");
    e.data.data32[0] = 2; // source indication: pager
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, wurzel(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

// Sends the request once the window manager has mapped the window.
class Aktivierung : public QObject {
  public:
    explicit Aktivierung(QWindow* fenster) : QObject(fenster) { fenster->installEventFilter(this); }
    bool eventFilter(QObject* objekt, QEvent* event) override
    {
        auto* fenster = static_cast<QWindow*>(objekt);
        if (event->type() == QEvent::Expose && fenster->isExposed()) {
            if (xcb_connection_t* c = verbindung()) {
                als_pager_aktivieren(c, static_cast<xcb_window_t>(fenster->winId()));
            }
            fenster->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

std::unique_ptr<Fensterstapel> fensterstapel_der_sitzung()
{
    xcb_connection_t* c = verbindung();
    if (c == nullptr) {
        return std::make_unique<Hinweisstapel>();
    }
    std::string wm = fenstermanager(c);
    // KWin keeps an active full-screen window above its "keep above" layer and
    // shows no window it does not manage in its own lists; its critical
    // notifications stand above both. Elsewhere, GNOME Shell's mutter and the
    // X11 window managers stack a window they do not manage above all theirs.
    const bool kwin = wm.find("KWin") != std::string::npos;
    return std::make_unique<X11Stapel>(std::move(wm), kwin ? Fensterstapel::Technik::kritische_meldung
                                                           : Fensterstapel::Technik::unverwaltet);
}

void auf_wunsch_vorholen(QWidget* fenster)
{
    fenster->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (fenster->isMinimized()) {
        fenster->setWindowState(fenster->windowState() & ~Qt::WindowMinimized);
    }
    fenster->show();
    fenster->raise();
    fenster->activateWindow();
    xcb_connection_t* c = verbindung();
    QWindow* handle = fenster->windowHandle();
    if (c == nullptr || handle == nullptr) {
        return;
    }
    if (handle->isExposed()) {
        als_pager_aktivieren(c, static_cast<xcb_window_t>(handle->winId()));
    } else if (handle->findChild<Aktivierung*>(QString(), Qt::FindDirectChildrenOnly) == nullptr) {
        new Aktivierung(handle);
    }
}

} // namespace hestrel
