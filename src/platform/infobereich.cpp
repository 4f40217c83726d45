#include "platform/infobereich.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace hestrel {
namespace {

const QString k_waechter = QStringLiteral("org.kde.StatusNotifierWatcher");

} // namespace

Infobereichswaechter::Infobereichswaechter(std::function<void()> da, QObject* parent)
    : QObject(parent), m_da(std::move(da))
{
    m_takt.setInterval(2000);
    connect(&m_takt, &QTimer::timeout, this, [this] { schauen(); });
}

void Infobereichswaechter::starten()
{
    // Without a display (offscreen) no notification area ever comes.
    const QString p = QGuiApplication::platformName();
    if (p == QLatin1String("offscreen") || p == QLatin1String("minimal")) {
        return;
    }
    schauen();
    if (!m_gefragt) {
        m_takt.start();
    }
}

void Infobereichswaechter::gefunden()
{
    if (m_gefragt) {
        return;
    }
    m_gefragt = true;
    m_takt.stop();
    if (m_da) {
        m_da();
    }
}

bool Infobereichswaechter::x11_infobereich()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return false;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (c == nullptr) {
        return false;
    }
    // The tray of the first screen; XWayland and Xvfb have only that one.
    const char* name = "_NET_SYSTEM_TRAY_S0";
    auto* a = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (a == nullptr) {
        return false;
    }
    const xcb_atom_t auswahl = a->atom;
    std::free(a);
    if (auswahl == XCB_ATOM_NONE) {
        return false;
    }
    auto* inhaber = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, auswahl), nullptr);
    const bool da = inhaber && inhaber->owner != XCB_WINDOW_NONE;
    std::free(inhaber);
    return da;
}

void Infobereichswaechter::schauen()
{
    if (m_gefragt) {
        return;
    }
    if (x11_infobereich()) {
        gefunden();
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    // The watcher tells whether a host shows its items; asked without waiting,
    // the answer comes back on the event loop.
    QDBusMessage frage = QDBusMessage::createMethodCall(k_waechter, QStringLiteral("/StatusNotifierWatcher"),
                                                        QStringLiteral("org.freedesktop.DBus.Properties"),
                                                        QStringLiteral("Get"));
    frage << k_waechter << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* antwort = new QDBusPendingCallWatcher(bus.asyncCall(frage, 1500), this);
    connect(antwort, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusVariant> r = *w;
        w->deleteLater();
        if (!r.isError() && r.value().variant().toBool()) {
            gefunden();
        }
    });
}

} // namespace hestrel
