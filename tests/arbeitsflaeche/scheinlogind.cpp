// Plays the login manager on a test desktop's own system bus, as far as KDE's
// screen locker asks it: the session of every process, and "Unlock" for it on
// SIGUSR1, as `loginctl unlock-session` sends it. KDE's lock screen cannot be
// unlocked in a test otherwise (its greeter asks for a password).
#include <csignal>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

namespace {

const QString k_sitzung = QStringLiteral("/org/freedesktop/login1/session/hestrel");
int g_rohr[2];

class Anmeldung : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& frage, const QDBusConnection& bus) override
    {
        if (frage.member() != QLatin1String("GetSessionByPID") &&
            frage.member() != QLatin1String("GetSession")) {
            return false;
        }
        bus.send(frage.createReply(QVariant::fromValue(QDBusObjectPath(k_sitzung))));
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    Anmeldung anmeldung;
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &anmeldung) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        return 1;
    }
    if (::pipe(g_rohr) != 0) {
        return 1;
    }
    std::signal(SIGUSR1, [](int) { (void)!::write(g_rohr[1], "u", 1); });
    QSocketNotifier signal(g_rohr[0], QSocketNotifier::Read);
    QObject::connect(&signal, &QSocketNotifier::activated, [&bus] {
        char c;
        (void)!::read(g_rohr[0], &c, 1);
        bus.send(QDBusMessage::createSignal(k_sitzung, QStringLiteral("org.freedesktop.login1.Session"),
                                            QStringLiteral("Unlock")));
    });
    return QCoreApplication::exec();
}
